// The open-file dialog: a modal dialog of its own that shows a folder's
// sub-folders and the files that match the chosen filter, takes a typed
// name or path (absolute, or relative to the shown folder), checks it as
// the flags ask, and hands back the full path.
#pragma once

#include "platform/user/dialog_manager.h"

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;  // pairs of description and patterns ("*.a;*.b"), each ending in '\0', then '\0'
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;  // 1-based; 0 is taken as 1
    LPSTR lpstrFile;     // in: an initial name or path; out: the chosen full path
    DWORD nMaxFile;      // size of lpstrFile in characters, with the terminating null
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;     // where the name starts in lpstrFile
    WORD nFileExtension;  // where the extension starts (after the dot), 0 for none
    LPCSTR lpstrDefExt;   // appended (after a dot) to a typed name without extension
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
} OPENFILENAMEA, *LPOPENFILENAMEA;

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLEINCLUDENOTIFY 0x00400000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

// CommDlgExtendedError values.
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_DIALOGFAILURE 0xFFFF
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

// The dialog's controls.
#define IDC_FILE_FOLDER 1088
#define IDC_FILE_LIST 1120
#define IDC_FILE_TYPES 1136
#define IDC_FILE_NAME 1152

// TRUE when the user chose a file (lpstrFile holds its full path). FALSE
// when the dialog was cancelled (CommDlgExtendedError 0) or failed, e.g.
// FNERR_BUFFERTOOSMALL, when the first two bytes of lpstrFile then hold the
// size the path needs.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn);
// The reason of the last FALSE of the calling thread's file dialog.
DWORD WINAPI CommDlgExtendedError();

#define GetOpenFileName GetOpenFileNameA
#define OPENFILENAME OPENFILENAMEA
#define LPOPENFILENAME LPOPENFILENAMEA

namespace trelwin::commctrl {

// Whether a file name matches one filter pattern ("*.zpk", "a?c", "*.*"
// for any name), ignoring case as the filters are written for.
bool MatchesFilePattern(const char* name, const char* pattern);

}  // namespace trelwin::commctrl
