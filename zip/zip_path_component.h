// CZipPathComponent: a path taken apart into its prefix, drive, directory,
// file title and extension, and put together again after a part changes.
//   "\\?\unc\host\share\dir\a.zip": prefix "\\?\unc\", drive "host\share",
//   directory "\dir", title "a", extension "zip".
// Both '\\' and '/' separate, and a path put together again uses the kind its
// first separator was; a drive is "X:" or a "\\host\share" root.
#pragma once

#include "platform/base/cstring.h"

class CZipPathComponent
{
public:
    CZipPathComponent() = default;
    explicit CZipPathComponent(LPCTSTR lpszFullPath) { SetFullPath(lpszFullPath); }
    virtual ~CZipPathComponent() = default;

    static constexpr char m_cSeparator = '/';
    // The long-path prefix that stands before a network root.
    static const char* const PathPrefixUnc;
    // The long-path prefix that stands before a drive.
    static const char* const PathPrefix;

    static bool IsSeparator(char c) { return c == '/' || c == '\\'; }
    static void AppendSeparator(CString& szPath);
    static void RemoveSeparators(CString& szPath);
    static void RemoveSeparatorsLeft(CString& szPath);

    void SetFullPath(LPCTSTR lpszFullPath);
    void SetFileTitle(LPCTSTR lpszTitle) { m_szFileTitle = lpszTitle; }
    // The extension without its dot.
    void SetExtension(LPCTSTR lpszExt);

    const CString& GetPrefix() const { return m_szPrefix; }
    CString GetFileDrive() const { return m_szPrefix + m_szDrive; }
    const CString& GetFileTitle() const { return m_szFileTitle; }
    const CString& GetFileExt() const { return m_szFileExt; }
    // Title and extension.
    CString GetFileName() const;
    // Drive and directory, without a closing separator.
    CString GetFilePath() const { return GetFileDrive() + m_szDirectory; }
    // Directory and file name, without prefix and drive.
    CString GetNoDrive() const;
    CString GetFullPath() const;

private:
    CString m_szPrefix;
    CString m_szDrive;
    CString m_szDirectory;
    CString m_szFileTitle;
    CString m_szFileExt;
    char m_cPathSeparator = m_cSeparator;
};
