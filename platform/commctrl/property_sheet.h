// Property sheets run as wizards: pages made from dialog templates inside a
// sheet window with a header band (title, subtitle, header bitmap), a
// watermark for pages without a header, and the Back / Next / Finish /
// Cancel / Help buttons. The pages take part through PSN_ notifications
// (WM_NOTIFY with PSHNOTIFY) and answer through DWLP_MSGRESULT.
#pragma once

#include "platform/commctrl/notify.h"
#include "platform/user/dialog_manager.h"
#include "platform/user/window_defs.h"

struct _PSP;
typedef struct _PSP* HPROPSHEETPAGE;

struct _PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEA* ppsp);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

// Page flags.
#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400
#define PSP_HIDEHEADER 0x00000800
#define PSP_USEHEADERTITLE 0x00001000
#define PSP_USEHEADERSUBTITLE 0x00002000

// Page callback messages.
#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

typedef struct _PROPSHEETPAGEA {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCSTR pszTemplate;
        LPCDLGTEMPLATE pResource;  // with PSP_DLGINDIRECT
    };
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKA pfnCallback;
    UINT* pcRefParent;
    LPCSTR pszHeaderTitle;     // with PSP_USEHEADERTITLE: text or string id
    LPCSTR pszHeaderSubTitle;  // with PSP_USEHEADERSUBTITLE: text or string id
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;

// Sheet flags.
#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARDHASFINISH 0x00000010
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800
#define PSH_WIZARDCONTEXTHELP 0x00001000
#define PSH_WATERMARK 0x00008000
#define PSH_USEHBMWATERMARK 0x00010000
#define PSH_USEHPLWATERMARK 0x00020000
#define PSH_STRETCHWATERMARK 0x00040000
#define PSH_HEADER 0x00080000
#define PSH_USEHBMHEADER 0x00100000
#define PSH_USEPAGELANG 0x00200000
#define PSH_WIZARD97 0x01000000
#define PSH_NOCONTEXTHELP 0x02000000

// Sheet callback messages.
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

typedef struct _PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;  // with PSH_USEPSTARTPAGE: the start page's caption
    };
    union {
        LPCPROPSHEETPAGEA ppsp;  // with PSH_PROPSHEETPAGE, elements dwSize bytes apart
        HPROPSHEETPAGE* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
    union {
        HBITMAP hbmWatermark;  // with PSH_USEHBMWATERMARK
        LPCSTR pszbmWatermark;
    };
    HPALETTE hplWatermark;
    union {
        HBITMAP hbmHeader;  // with PSH_USEHBMHEADER
        LPCSTR pszbmHeader;
    };
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;

// Notifications to the pages. Results (DWLP_MSGRESULT):
//  PSN_SETACTIVE  0 show the page, -1 skip it (the next one in the same
//                 direction is tried), a template id: go to that page
//  PSN_KILLACTIVE TRUE keeps the page
//  PSN_WIZBACK / PSN_WIZNEXT  -1 stay, 0 the previous / next page, a
//                 template id: go to that page
//  PSN_WIZFINISH  non-zero keeps the wizard open
//  PSN_QUERYCANCEL TRUE keeps the wizard open
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

typedef struct _PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
} PSHNOTIFY, *LPPSHNOTIFY;

// Sheet messages.
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETHEADERTITLEA (WM_USER + 125)
#define PSM_SETHEADERSUBTITLEA (WM_USER + 127)
#define PSM_HWNDTOINDEX (WM_USER + 129)
#define PSM_INDEXTOHWND (WM_USER + 130)
#define PSM_PAGETOINDEX (WM_USER + 131)
#define PSM_INDEXTOPAGE (WM_USER + 132)
#define PSM_SETTITLE PSM_SETTITLEA
#define PSM_SETHEADERTITLE PSM_SETHEADERTITLEA
#define PSM_SETHEADERSUBTITLE PSM_SETHEADERSUBTITLEA

#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

// The sheet's button ids (Cancel and Help are IDCANCEL and IDHELP).
#define ID_APPLY_NOW 0x3021
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025

// What PropertySheetA returns besides 0 (cancelled) and -1 (failed).
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

#define PropSheet_SetCurSel(hDlg, hpage, index) \
    SendMessageA(hDlg, PSM_SETCURSEL, (WPARAM)(index), (LPARAM)(hpage))
#define PropSheet_RemovePage(hDlg, index, hpage) \
    SendMessageA(hDlg, PSM_REMOVEPAGE, (WPARAM)(index), (LPARAM)(hpage))
#define PropSheet_AddPage(hDlg, hpage) SendMessageA(hDlg, PSM_ADDPAGE, 0, (LPARAM)(hpage))
#define PropSheet_CancelToClose(hDlg) PostMessageA(hDlg, PSM_CANCELTOCLOSE, 0, 0)
#define PropSheet_SetTitle(hDlg, style, text) SendMessageA(hDlg, PSM_SETTITLEA, (WPARAM)(style), (LPARAM)(text))
#define PropSheet_SetWizButtons(hDlg, flags) PostMessageA(hDlg, PSM_SETWIZBUTTONS, 0, (LPARAM)(flags))
#define PropSheet_PressButton(hDlg, button) PostMessageA(hDlg, PSM_PRESSBUTTON, (WPARAM)(button), 0)
#define PropSheet_SetCurSelByID(hDlg, id) SendMessageA(hDlg, PSM_SETCURSELID, 0, (LPARAM)(id))
#define PropSheet_IsDialogMessage(hDlg, pMsg) SendMessageA(hDlg, PSM_ISDIALOGMESSAGE, 0, (LPARAM)(pMsg))
#define PropSheet_GetCurrentPageHwnd(hDlg) ((HWND)SendMessageA(hDlg, PSM_GETCURRENTPAGEHWND, 0, 0))
#define PropSheet_SetHeaderTitle(hDlg, index, text) \
    SendMessageA(hDlg, PSM_SETHEADERTITLEA, (WPARAM)(index), (LPARAM)(text))
#define PropSheet_SetHeaderSubTitle(hDlg, index, text) \
    SendMessageA(hDlg, PSM_SETHEADERSUBTITLEA, (WPARAM)(index), (LPARAM)(text))
#define PropSheet_HwndToIndex(hDlg, hwnd) (int)SendMessageA(hDlg, PSM_HWNDTOINDEX, (WPARAM)(hwnd), 0)
#define PropSheet_IndexToHwnd(hDlg, i) (HWND)SendMessageA(hDlg, PSM_INDEXTOHWND, (WPARAM)(i), 0)

// Makes a page object from the description (copied, dwSize bytes of it);
// null when the description is unusable.
HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer);
// Destroys a page that no sheet holds (a sheet destroys its own pages).
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage);
// Runs the sheet modally: the owner is disabled, and the call returns when
// Finish (1) or Cancel (0) ends it; -1 when it could not be shown. The
// pages' windows are made when they are first shown; the sheet destroys
// every page object it holds when it ends.
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph);

#define CreatePropertySheetPage CreatePropertySheetPageA
#define PropertySheet PropertySheetA
#define PROPSHEETPAGE PROPSHEETPAGEA
#define LPPROPSHEETPAGE LPPROPSHEETPAGEA
#define LPCPROPSHEETPAGE LPCPROPSHEETPAGEA
#define PROPSHEETHEADER PROPSHEETHEADERA
#define LPPROPSHEETHEADER LPPROPSHEETHEADERA
#define LPCPROPSHEETHEADER LPCPROPSHEETHEADERA
