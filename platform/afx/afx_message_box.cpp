// Message boxes of the framework and the wait cursor.
#include "platform/afx/afx_message_box.h"

#include <cstdio>

#include "platform/afx/afx_win_app.h"
#include "platform/resources/string_table.h"

namespace {

HWND MessageBoxOwner() {
    HWND hWnd = ::GetActiveWindow();
    if (hWnd != nullptr) return hWnd;
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr && pMain->m_hWnd != nullptr && ::IsWindow(pMain->m_hWnd) ? pMain->m_hWnd : nullptr;
}

}  // namespace

int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    return ::MessageBoxA(MessageBoxOwner(), lpszText != nullptr ? lpszText : "", AfxGetAppName(), nType);
}

int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    if (!text.LoadString(nIDPrompt) || text.IsEmpty()) {
        std::fprintf(stderr, "Message %u is not in the string table\n", nIDPrompt);
        return 0;
    }
    return AfxMessageBox(text, nType, nIDHelp);
}

CWaitCursor::CWaitCursor() : m_hOldCursor(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { ::SetCursor(m_hOldCursor); }

void CWaitCursor::Restore() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }
