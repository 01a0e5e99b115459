// CMemFile: a CFile over a block of memory. Either it owns a block that
// grows in steps of nGrowBytes, or it is attached to the caller's bytes:
// with nGrowBytes 0 those are a fixed, full file and writing past their end
// raises CFileException*; otherwise they start an empty file and are
// replaced by a block of our own when the file outgrows them (the caller's
// bytes are never reallocated or freed). Reads never go past the end.
#pragma once

#include "platform/base/file.h"

class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Hands the block to the caller and empties the file. A block the file
    // allocated came from malloc and is the caller's to free().
    BYTE* Detach();

    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    // Seeking past the end is allowed; a later write fills the gap with zeros.
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG dwNewLen) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

    // The block itself (valid until the next write, SetLength or Close).
    const BYTE* GetBuffer() const { return m_lpBuffer; }
    SIZE_T GetBufferSize() const { return m_nBufferSize; }

protected:
    void GrowFile(SIZE_T nNewSize);

    UINT m_nGrowBytes;
    SIZE_T m_nPosition;
    SIZE_T m_nBufferSize;
    SIZE_T m_nFileSize;
    BYTE* m_lpBuffer;
    BOOL m_bAutoDelete;
};
