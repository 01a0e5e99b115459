// CDialog: a dialog made from a template, as a window object. DoModal runs
// it modally, Create makes it modeless. The object is tied to the dialog
// window before WM_INITDIALOG, so the message map sees it (OnInitDialog);
// OK and Cancel reach OnOK and OnCancel through the map.
//
// Data exchange: DoDataExchange lists the DDX_ calls that move values
// between the controls and the members; UpdateData(FALSE) fills the
// controls (OnInitDialog does it), UpdateData(TRUE) reads them back and
// fails, with a message to the user and the focus on the control, when a
// value is not acceptable (OnOK then keeps the dialog open).
#pragma once

#include "platform/afx/afx_wnd.h"
#include "platform/user/dialog_manager.h"

class CDataExchange;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // The value given to EndDialog, or -1 when the dialog could not be made
    // (a missing template says so on standard error).
    virtual INT_PTR DoModal();
    // A modeless dialog; FALSE when it could not be made.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    using CWnd::Create;

    // TRUE lets the dialog put the focus on its first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int nResult);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;

    // Keyboard and mouse messages of the dialog's windows go to the
    // dialog's keyboard interface (Tab, arrows, Enter, Esc).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp = 0;
    LPCSTR m_lpszTemplateName = nullptr;  // a name, or MAKEINTRESOURCE of the id
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    // The owner of the dialog: the parent given, else the application's
    // main window when it is another window.
    HWND OwnerWindow() const;
    const trelwin::user::DialogTemplate* FindTemplate() const;
    BOOL CreateModeless(CWnd* pParentWnd);

    std::string m_templateName;  // keeps a template name given as text
};

// The dialog procedure behind CDialog windows: ties the window to the
// object that is being made on this thread when the first message arrives;
// after that the object's map handles the messages.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Ties a dialog window to its object from inside the dialog procedure and
// hands the object the message being handled; returns what the dialog
// procedure returns for it. FALSE when the window cannot be tied.
INT_PTR AfxTieDialogWindow(CDialog* pDlg, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
