// CDialog: creation through the dialog manager, the tie between the dialog
// window and its object, and the default OK and Cancel handling.
#include "platform/afx/afx_dialog.h"

#include <cstdio>

#include "platform/afx/afx_data_exchange.h"
#include "platform/afx/afx_win_app.h"
#include "platform/base/exceptions.h"
#include "platform/user/dialog_box_filtered.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog object whose window this thread is making; AfxDlgProc ties it
// to the first dialog window that reaches it.
thread_local CDialog* t_dialogInit = nullptr;


// Makes the object the one AfxDlgProc ties to the next dialog window, for
// the time of the creation (nested creations keep their own).
class DialogInitScope {
public:
    explicit DialogInitScope(CDialog* pDlg) : m_outer(t_dialogInit) { t_dialogInit = pDlg; }
    ~DialogInitScope() { t_dialogInit = m_outer; }
    DialogInitScope(const DialogInitScope&) = delete;
    DialogInitScope& operator=(const DialogInitScope&) = delete;

private:
    CDialog* m_outer;
};

}  // namespace

INT_PTR AfxTieDialogWindow(CDialog* pDlg, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!pDlg->SubclassWindow(hWnd)) return FALSE;
    // The first message the object sees goes through its map now, as later
    // ones will through AfxWndProc; what the map leaves comes back to the
    // dialog's default handling.
    const LRESULT result = AfxCallWndProc(pDlg, hWnd, message, wParam, lParam);
    if (trelwin::user::DialogProcReturnsResult(message)) return result;
    if (::IsWindow(hWnd)) ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A tied window's messages have been through its object's map already.
    if (CWnd::FromHandlePermanent(hWnd) != nullptr) return FALSE;
    CDialog* pDlg = t_dialogInit;
    if (pDlg == nullptr || pDlg->m_hWnd != nullptr) return FALSE;
    t_dialogInit = nullptr;
    return AfxTieDialogWindow(pDlg, hWnd, message, wParam, lParam);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
    if (lpszTemplateName != nullptr && !IS_INTRESOURCE(lpszTemplateName)) {
        m_templateName = lpszTemplateName;
        m_lpszTemplateName = m_templateName.c_str();
    } else {
        m_lpszTemplateName = lpszTemplateName;
    }
}

CDialog::~CDialog() = default;

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd != nullptr) return m_pParentWnd->GetSafeHwnd();
    CWnd* pMain = AfxGetMainWnd();
    if (pMain != nullptr && pMain != this && pMain->m_hWnd != nullptr && ::IsWindow(pMain->m_hWnd)) {
        return pMain->m_hWnd;
    }
    return nullptr;
}

const trelwin::user::DialogTemplate* CDialog::FindTemplate() const {
    const trelwin::user::DialogTemplate* tmpl =
        m_lpszTemplateName != nullptr ? trelwin::user::FindDialogTemplate(AfxGetResourceHandle(), m_lpszTemplateName)
                                      : nullptr;
    if (tmpl == nullptr) {
        if (m_lpszTemplateName == nullptr || IS_INTRESOURCE(m_lpszTemplateName)) {
            std::fprintf(stderr, "Dialog template %u cannot be found\n",
                         static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(m_lpszTemplateName)));
        } else {
            std::fprintf(stderr, "Dialog template \"%s\" cannot be found\n", m_lpszTemplateName);
        }
    }
    return tmpl;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) return -1;
    const trelwin::user::DialogTemplate* tmpl = FindTemplate();
    if (tmpl == nullptr) return -1;
    DialogInitScope scope(this);
    // Messages go to the objects of their windows first (up to the dialog,
    // whose PreTranslateMessage runs the keyboard interface).
    return trelwin::user::DialogBoxIndirectFiltered(
        AfxGetResourceHandle(), tmpl, OwnerWindow(), &AfxDlgProc, 0,
        [](HWND hDlg, MSG& msg) { return CWnd::WalkPreTranslateTree(hDlg, &msg) != FALSE; });
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    if (m_nIDHelp == 0) m_nIDHelp = nIDTemplate;
    return CreateModeless(pParentWnd);
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
    if (lpszTemplateName != nullptr && !IS_INTRESOURCE(lpszTemplateName)) {
        m_templateName = lpszTemplateName;
        m_lpszTemplateName = m_templateName.c_str();
    } else {
        m_lpszTemplateName = lpszTemplateName;
    }
    return CreateModeless(pParentWnd);
}

BOOL CDialog::CreateModeless(CWnd* pParentWnd) {
    if (m_hWnd != nullptr) return FALSE;
    if (pParentWnd != nullptr) m_pParentWnd = pParentWnd;
    const trelwin::user::DialogTemplate* tmpl = FindTemplate();
    if (tmpl == nullptr) return FALSE;
    DialogInitScope scope(this);
    const HWND hWnd = ::CreateDialogIndirectParamA(AfxGetResourceHandle(), tmpl, OwnerWindow(), &AfxDlgProc, 0);
    return hWnd != nullptr && m_hWnd == hWnd;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, nResult);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (m_hWnd == nullptr) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        // The user has been told what is wrong and the control has the focus.
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

void CDialog::NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }

void CDialog::PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (pWndCtrl != nullptr && pWndCtrl->m_hWnd != nullptr) {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), 1);
    }
}

void CDialog::SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }

DWORD CDialog::GetDefID() const { return static_cast<DWORD>(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (m_hWnd == nullptr) return FALSE;
    const UINT message = pMsg->message;
    const bool input = (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                       (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    if (!input) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}
