// CZipMemFile: a file held in memory, for archives built or read without a
// disk. It grows as it is written; Open starts it over empty unless the
// flags keep its contents (CFile::modeNoTruncate, or no modeCreate).
#pragma once

#include "zip/zip_abstract_file.h"

#include <vector>

class CZipMemFile : public CZipAbstractFile
{
public:
    CZipMemFile() = default;
    // A file that starts with a copy of these bytes, open for reading and writing.
    CZipMemFile(const void* pData, size_t uSize);

    bool Open(LPCTSTR lpszFileName, UINT nOpenFlags, bool bThrow) override;
    void Close() override { m_bOpen = false; }
    bool IsClosed() const override { return !m_bOpen; }
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, int nFrom) override;
    ULONGLONG GetLength() const override { return m_data.size(); }
    void SetLength(ULONGLONG uNewLen) override;
    ULONGLONG GetPosition() const override { return m_uPosition; }
    void Flush() override {}
    CString GetFilePath() const override { return m_szName; }

    const std::vector<unsigned char>& GetData() const { return m_data; }

private:
    std::vector<unsigned char> m_data;
    size_t m_uPosition = 0;
    bool m_bOpen = true;
    CString m_szName;
};
