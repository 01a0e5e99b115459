// CFileDialog: the open-file dialog as an object. The filter is written as
// "Description|*.a;*.b|All files|*.*||"; after DoModal returns IDOK the
// chosen file's full path, name and extension are read from the object.
//
// The platform has only the open-file dialog, so a save dialog
// (bOpenFileDialog FALSE) runs it too, with the flags given: without
// OFN_FILEMUSTEXIST a new name is accepted.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afx_dialog.h"
#include "platform/commctrl/file_dialog.h"

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)

public:
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise (a failure of the
    // dialog is named on standard error).
    INT_PTR DoModal() override;

    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    // The file name without its extension.
    CString GetFileTitle() const;

    OPENFILENAME m_ofn{};
    BOOL m_bOpenFileDialog;

private:
    std::vector<char> m_file;    // the path buffer m_ofn.lpstrFile points to
    std::string m_filter;        // the filter with its separators as nulls
    std::string m_defaultExt;
};
