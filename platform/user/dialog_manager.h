// Dialogs: windows made from templates in dialog units, with a dialog
// procedure behind the dialog class's window procedure (DefDlgProcA), run
// modally (DialogBox...) or modelessly (CreateDialog...), and the keyboard
// interface between their controls (IsDialogMessageA: Tab, arrows within
// groups, Enter for the default button, Esc for Cancel).
//
// A dialog procedure returns TRUE when it handled a message; the message's
// result is then what it put in DWLP_MSGRESULT (SetWindowLongPtr), except
// for WM_INITDIALOG, WM_CTLCOLOR..., WM_COMPAREITEM, WM_VKEYTOITEM,
// WM_CHARTOITEM and WM_QUERYDRAGICON, whose result is the returned value.
// FALSE leaves the message to the dialog's default handling.
//
// Window classes of dialogs other than "#32770" must reserve
// DLGWINDOWEXTRA extra bytes and pass what they do not handle to
// DefDlgProcA.
#pragma once

#include "platform/user/dialog_template.h"
#include "platform/user/window_defs.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#define WM_NEXTDLGCTL 0x0028
#define WM_INITDIALOG 0x0110
#define WM_COMPAREITEM 0x0039
#ifndef WM_VKEYTOITEM
#define WM_VKEYTOITEM 0x002E
#define WM_CHARTOITEM 0x002F
#endif
#define WM_QUERYDRAGICON 0x0037

// Dialog styles.
#define DS_ABSALIGN 0x0001L
#define DS_SYSMODAL 0x0002L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_LOCALEDIT 0x0020L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_NOIDLEMSG 0x0100L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// The dialog class and its extra window bytes.
#define WC_DIALOG MAKEINTATOM(0x8002)
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + (int)sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + (int)sizeof(DLGPROC))
#define DLGWINDOWEXTRA 30

// Answers to WM_GETDLGCODE.
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// Dialog messages.
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534B

// Standard command ids.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9

// Creating and running dialogs. The *Param forms find the template by name
// or id among the program's RT_DIALOG resources. A modal dialog disables
// its owner (the top-level window that holds hWndParent) and returns the
// value given to EndDialog, or -1 when the dialog could not be made.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam);
INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam);
HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam);
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM lParamInit);
// Ends a modal dialog's loop with the result (the dialog is hidden, and
// destroyed when its loop returns); a modeless dialog is only hidden.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg);

namespace trelwin::user {
// Whether the message's result is what a dialog procedure returns (TRUE for
// WM_INITDIALOG, WM_CTLCOLOR..., WM_COMPAREITEM, WM_VKEYTOITEM,
// WM_CHARTOITEM, WM_QUERYDRAGICON) rather than its DWLP_MSGRESULT.
bool DialogProcReturnsResult(UINT msg);
}  // namespace trelwin::user

// Dialog units.
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);
// The base units of the system font: LOWORD the width, HIWORD the height.
LONG WINAPI GetDialogBaseUnits();

// Navigation between the controls.
HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);

// Controls by id.
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
// The control's text as a number: leading and trailing blanks allowed, a
// sign only when bSigned; *lpTranslated FALSE (and 0) for anything else or
// a value out of range.
UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton);
BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);

#define DialogBoxParam DialogBoxParamA
#define DialogBoxIndirectParam DialogBoxIndirectParamA
#define CreateDialogParam CreateDialogParamA
#define CreateDialogIndirectParam CreateDialogIndirectParamA
#define DefDlgProc DefDlgProcA
#define IsDialogMessage IsDialogMessageA
#define SendDlgItemMessage SendDlgItemMessageA
#define SetDlgItemText SetDlgItemTextA
#define GetDlgItemText GetDlgItemTextA
#define DialogBoxA(i, t, p, f) DialogBoxParamA(i, t, p, f, 0)
#define DialogBox DialogBoxA
#define DialogBoxIndirectA(i, t, p, f) DialogBoxIndirectParamA(i, t, p, f, 0)
#define DialogBoxIndirect DialogBoxIndirectA
#define CreateDialogA(i, t, p, f) CreateDialogParamA(i, t, p, f, 0)
#define CreateDialog CreateDialogA
#define CreateDialogIndirectA(i, t, p, f) CreateDialogIndirectParamA(i, t, p, f, 0)
#define CreateDialogIndirect CreateDialogIndirectA
