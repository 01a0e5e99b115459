#include "platform/base/mem_file.h"

#include "platform/base/win_errors.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(nullptr),
      m_bAutoDelete(TRUE)
{
}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : CMemFile(nGrowBytes)
{
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile()
{
    Close();
}

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
{
    if (m_lpBuffer)
        AfxThrowNotSupportedException();
    if (!lpBuffer && nBufferSize != 0)
        AfxThrowInvalidArgException();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = nBufferSize;
    m_nGrowBytes = nGrowBytes;
    m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
    m_nPosition = 0;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach()
{
    BYTE* p = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return p;
}

BOOL CMemFile::Open(LPCTSTR, UINT, CFileException* pError)
{
    // A memory file has no name to open.
    if (pError) {
        pError->m_cause = CFileException::genericException;
        pError->m_lOsError = ERROR_NOT_SUPPORTED;
    }
    return FALSE;
}

void CMemFile::GrowFile(SIZE_T nNewSize)
{
    if (nNewSize <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    SIZE_T steps = (nNewSize - m_nBufferSize + m_nGrowBytes - 1) / m_nGrowBytes;
    SIZE_T newBufferSize = m_nBufferSize + steps * m_nGrowBytes;
    BYTE* p;
    if (m_bAutoDelete) {
        p = static_cast<BYTE*>(realloc(m_lpBuffer, newBufferSize));
    } else {
        p = static_cast<BYTE*>(malloc(newBufferSize));
        if (p && m_nFileSize)
            memcpy(p, m_lpBuffer, m_nFileSize);
    }
    if (!p)
        AfxThrowMemoryException();
    m_lpBuffer = p;
    m_nBufferSize = newBufferSize;
    m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0 || m_nPosition >= m_nFileSize)
        return 0;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    SIZE_T n = std::min<SIZE_T>(nCount, m_nFileSize - m_nPosition);
    memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    SIZE_T end = m_nPosition + nCount;
    if (end > m_nBufferSize)
        GrowFile(end);
    if (m_nPosition > m_nFileSize)
        memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    memmove(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition = end;
    if (m_nPosition > m_nFileSize)
        m_nFileSize = m_nPosition;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base;
    switch (nFrom) {
    case begin: base = 0; break;
    case current: base = static_cast<LONGLONG>(m_nPosition); break;
    case end: base = static_cast<LONGLONG>(m_nFileSize); break;
    default: AfxThrowInvalidArgException();
    }
    LONGLONG pos;
    if (__builtin_add_overflow(base, lOff, &pos) || pos < 0)
        AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
    m_nPosition = static_cast<SIZE_T>(pos);
    return static_cast<ULONGLONG>(pos);
}

void CMemFile::SetLength(ULONGLONG dwNewLen)
{
    if (dwNewLen > SIZE_MAX)
        AfxThrowMemoryException();
    SIZE_T len = static_cast<SIZE_T>(dwNewLen);
    if (len > m_nBufferSize)
        GrowFile(len);
    if (len > m_nFileSize)
        memset(m_lpBuffer + m_nFileSize, 0, len - m_nFileSize);
    m_nFileSize = len;
    if (m_nPosition > len)
        m_nPosition = len;
}

void CMemFile::Close()
{
    if (m_bAutoDelete)
        free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bAutoDelete = TRUE;
}
