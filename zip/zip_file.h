// CZipFile: a file on disk for the archive classes. Every operation is the
// framework file's; its CFileException* failures come out as CZipException*
// with the run-time library's error number (ENOENT, EACCES, ENOSPC ...).
#pragma once

#include "platform/base/file.h"
#include "zip/zip_abstract_file.h"

class CZipFile : public CZipAbstractFile, public CFile
{
public:
    CZipFile() = default;
    CZipFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CZipFile() override;

    bool Open(LPCTSTR lpszFileName, UINT nOpenFlags, bool bThrow) override;
    void Close() override;
    bool IsClosed() const override { return m_hFile == CFile::hFileNull; }
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, int nFrom) override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG uNewLen) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;
    CString GetFilePath() const override { return CFile::GetFilePath(); }

    // The error number of a framework file failure.
    static int ErrnoFromFileException(const CFileException& e);

private:
    // Runs a framework file operation and turns its failure into ours.
    template <class Operation>
    auto Forward(Operation operation) const -> decltype(operation());

    // The framework's own forms, which report differently, stay out of reach.
    using CFile::Open;
    using CFile::Seek;
};
