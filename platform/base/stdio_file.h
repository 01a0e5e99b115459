// CStdioFile: a CFile over a C stream, read and written line by line.
// In text mode (the default) a line may end in "\n" or "\r\n" and either
// ending is removed; in binary mode only the "\n" is. Lines are written as
// given: "\n" stays "\n".
#pragma once

#include "platform/base/file.h"

#include <cstdio>

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    // Takes over an open stream (closed by Close and the destructor).
    explicit CStdioFile(FILE* pOpenStream);
    // Opens the file or throws CFileException*.
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;

    // The next line without its ending; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString);
    // At most nMax - 1 characters; the "\n" is kept (a "\r\n" becomes "\n"
    // in text mode). NULL at the end of the file.
    virtual LPTSTR ReadString(LPTSTR lpsz, UINT nMax);
    virtual void WriteString(LPCTSTR lpsz);

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    FILE* m_pStream;

private:
    [[noreturn]] void ThrowStreamError() const;
    BOOL m_bText;
};
