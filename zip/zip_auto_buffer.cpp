#include "zip/zip_auto_buffer.h"

#include <cstring>

CZipAutoBuffer::CZipAutoBuffer(DWORD iSize, bool bZeroMemory)
{
    Allocate(iSize, bZeroMemory);
}

CZipAutoBuffer::CZipAutoBuffer(const CZipAutoBuffer& buffer)
{
    if (buffer.IsAllocated())
        Fill(buffer.m_pBuffer, buffer.m_iSize);
}

CZipAutoBuffer& CZipAutoBuffer::operator=(const CZipAutoBuffer& buffer)
{
    if (this == &buffer)
        return *this;
    if (buffer.IsAllocated())
        Fill(buffer.m_pBuffer, buffer.m_iSize);
    else
        Release();
    return *this;
}

CZipAutoBuffer::~CZipAutoBuffer()
{
    Release();
}

char* CZipAutoBuffer::Allocate(DWORD iSize, bool bZeroMemory)
{
    if (iSize != m_iSize || !m_pBuffer)
    {
        Release();
        m_pBuffer = new char[iSize ? iSize : 1];
        m_iSize = iSize;
    }
    if (bZeroMemory)
        std::memset(m_pBuffer, 0, m_iSize);
    return m_pBuffer;
}

void CZipAutoBuffer::Release()
{
    delete[] m_pBuffer;
    m_pBuffer = nullptr;
    m_iSize = 0;
}

// The copy is made before the old memory goes, so pData may point into it.
void CZipAutoBuffer::Fill(const void* pData, DWORD iSize)
{
    char* pCopy = new char[iSize ? iSize : 1];
    if (iSize)
        std::memcpy(pCopy, pData, iSize);
    Release();
    m_pBuffer = pCopy;
    m_iSize = iSize;
}
