#include "zip/zip_mem_file.h"

#include "platform/base/file.h"
#include "zip/zip_exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

CZipMemFile::CZipMemFile(const void* pData, size_t uSize)
    : m_data(static_cast<const unsigned char*>(pData), static_cast<const unsigned char*>(pData) + uSize)
{
}

bool CZipMemFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, bool /*bThrow*/)
{
    m_szName = lpszFileName;
    if ((nOpenFlags & CFile::modeCreate) && !(nOpenFlags & CFile::modeNoTruncate))
        m_data.clear();
    m_uPosition = 0;
    m_bOpen = true;
    return true;
}

UINT CZipMemFile::Read(void* lpBuf, UINT nCount)
{
    if (!m_bOpen)
        CZipException::Throw(EBADF, m_szName);
    const size_t uAvailable = m_uPosition < m_data.size() ? m_data.size() - m_uPosition : 0;
    const UINT uRead = static_cast<UINT>(std::min<size_t>(nCount, uAvailable));
    if (uRead)
        std::memcpy(lpBuf, m_data.data() + m_uPosition, uRead);
    m_uPosition += uRead;
    return uRead;
}

void CZipMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_bOpen)
        CZipException::Throw(EBADF, m_szName);
    if (nCount == 0)
        return;
    if (m_uPosition + nCount > m_data.size())
        m_data.resize(m_uPosition + nCount);
    std::memcpy(m_data.data() + m_uPosition, lpBuf, nCount);
    m_uPosition += nCount;
}

ULONGLONG CZipMemFile::Seek(LONGLONG lOff, int nFrom)
{
    const LONGLONG base = nFrom == begin ? 0 : nFrom == current ? static_cast<LONGLONG>(m_uPosition)
                                                                : static_cast<LONGLONG>(m_data.size());
    if (nFrom < begin || nFrom > end || base + lOff < 0)
        CZipException::Throw(EINVAL, m_szName);
    m_uPosition = static_cast<size_t>(base + lOff);
    return m_uPosition;
}

void CZipMemFile::SetLength(ULONGLONG uNewLen)
{
    m_data.resize(static_cast<size_t>(uNewLen));
}
