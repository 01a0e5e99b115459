// Dialog data exchange: DoDataExchange calls DDX_ functions with a
// CDataExchange that says the direction. Loading (m_bSaveAndValidate
// FALSE) puts the members' values into the controls; saving reads them
// back. A value that cannot be read (a number that is not one, or out of
// range) is shown to the user in a message box, the control gets the focus
// (an edit control with its text selected) and Fail throws
// CUserException, which UpdateData turns into FALSE.
#pragma once

#include "platform/afx/afx_wnd.h"
#include "platform/base/cstring.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control with this id, remembered as the one a failure points at.
    // A missing control is a fault of the program: it is named on standard
    // error and the exchange fails.
    HWND PrepareCtrl(int nIDC);
    // The same for an edit control, whose text a failure selects.
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus on the last prepared control and throws CUserException.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Ties the control to the object (SubclassWindow) on the first exchange; the
// object then gets the control's messages and its reflected notifications.
void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Check box state: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked button among the radio buttons of the group
// that starts with nIDC (-1: none checked).
void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Numbers: decimal, blanks around allowed; int and LONG signed, UINT and
// DWORD without a sign.
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, long& value);
// The selected item's index (-1: none) of a combo box or a list box.
void AFXAPI DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void AFXAPI DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
