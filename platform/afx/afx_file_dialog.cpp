// CFileDialog over GetOpenFileNameA.
#include "platform/afx/afx_file_dialog.h"

#include <cstdio>
#include <cstring>

#include "platform/afx/afx_win_app.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {

// Room for a full path on Linux.
constexpr size_t kPathBuffer = 4096;

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_file(kPathBuffer, '\0') {
    m_pParentWnd = pParentWnd;
    if (lpszFileName != nullptr) std::strncpy(m_file.data(), lpszFileName, m_file.size() - 1);
    if (lpszDefExt != nullptr) m_defaultExt = lpszDefExt;
    if (lpszFilter != nullptr) {
        // "A|*.a|B|*.b||": every '|' ends a piece; the list ends with an
        // empty piece (two nulls), added when the text lacks it.
        m_filter = lpszFilter;
        for (char& c : m_filter) {
            if (c == '|') c = '\0';
        }
        m_filter.push_back('\0');
        m_filter.push_back('\0');
    }
    m_ofn.lStructSize = sizeof(OPENFILENAME);
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    m_ofn.lpstrDefExt = m_defaultExt.empty() ? nullptr : m_defaultExt.c_str();
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal() {
    if (m_ofn.hwndOwner == nullptr) {
        if (m_pParentWnd != nullptr) {
            m_ofn.hwndOwner = m_pParentWnd->GetSafeHwnd();
        } else if (CWnd* pMain = AfxGetMainWnd()) {
            m_ofn.hwndOwner = pMain->GetSafeHwnd();
        }
    }
    if (::GetOpenFileNameA(&m_ofn)) return IDOK;
    if (const DWORD error = ::CommDlgExtendedError()) {
        std::fprintf(stderr, "The file dialog failed (error 0x%lx)\n", static_cast<unsigned long>(error));
    }
    return IDCANCEL;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const {
    const char* path = m_ofn.lpstrFile;
    if (m_ofn.nFileOffset > 0 && m_ofn.nFileOffset < std::strlen(path)) return CString(path + m_ofn.nFileOffset);
    const char* slash = std::strrchr(path, '/');
    return CString(slash != nullptr ? slash + 1 : path);
}

CString CFileDialog::GetFileExt() const {
    const CString name = GetFileName();
    const char* dot = std::strrchr(name, '.');
    return CString(dot != nullptr ? dot + 1 : "");
}

CString CFileDialog::GetFileTitle() const {
    const CString name = GetFileName();
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr ? CString(std::string(static_cast<LPCSTR>(name), dot).c_str()) : name;
}
