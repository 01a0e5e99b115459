#include "zip/zip_compressor.h"

#include "zip/zip_crc32_cryptograph.h"
#include "zip/zip_exception.h"
#include "zip/zip_file_header.h"
#include "zip/zip_storage.h"

#include <zlib.h>

#include <algorithm>

CZipCompressor::CZipCompressor(CZipStorage* pStorage, DWORD uBufferSize)
    : m_pStorage(pStorage),
      m_pFile(nullptr),
      m_pCryptograph(nullptr),
      m_uBufferSize(uBufferSize ? uBufferSize : 1),
      m_uCrc32(0),
      m_uComprTotal(0),
      m_uUncomprTotal(0),
      m_uComprLeft(0),
      m_uUncomprLeft(0),
      m_bDecompressionDone(false)
{
}

void CZipCompressor::ThrowError(int iZipError) const
{
    CZipException::Throw(iZipError, m_pStorage->GetArchivePath());
}

void CZipCompressor::InitCompression(int /*iLevel*/, CZipFileHeader* pFile, CZipCryptograph* pCryptograph)
{
    m_pFile = pFile;
    m_pCryptograph = pCryptograph;
    m_pBuffer.Allocate(m_uBufferSize);
    m_uCrc32 = 0;
    // The encryption header, when there is one, has been counted already.
    m_uComprTotal = pFile->m_uComprSize;
    m_uUncomprTotal = 0;
}

void CZipCompressor::FinishCompression(bool bAfterException)
{
    if (!bAfterException)
    {
        m_pFile->m_uCrc32 = m_uCrc32;
        m_pFile->m_uComprSize = static_cast<ZIP_SIZE_TYPE>(m_uComprTotal);
        m_pFile->m_uUncomprSize = static_cast<ZIP_SIZE_TYPE>(m_uUncomprTotal);
    }
    m_pBuffer.Release();
}

void CZipCompressor::InitDecompression(CZipFileHeader* pFile, CZipCryptograph* pCryptograph)
{
    m_pFile = pFile;
    m_pCryptograph = pCryptograph;
    m_pBuffer.Allocate(m_uBufferSize);
    m_uCrc32 = 0;
    m_bDecompressionDone = false;
    const DWORD uHeader = pFile->IsEncrypted() ? CZipCrc32Cryptograph::ENCR_HEADER_LEN : 0;
    // A stored size smaller than the header in front of the data is damage,
    // not a size to count down from.
    if (pFile->m_uComprSize < uHeader)
        ThrowError(CZipException::badZipFile);
    m_uComprLeft = pFile->m_uComprSize - uHeader;
    m_uUncomprLeft = pFile->m_uUncomprSize;
}

void CZipCompressor::FinishDecompression(bool /*bAfterException*/)
{
    m_pBuffer.Release();
}

void CZipCompressor::UpdateCrc(const void* pBuffer, DWORD uSize)
{
    m_uCrc32 = static_cast<DWORD>(crc32(m_uCrc32, static_cast<const Bytef*>(pBuffer), uSize));
}

void CZipCompressor::CountUncompressed(DWORD uSize)
{
    m_uUncomprTotal += uSize;
    if (m_uUncomprTotal >= ZIP_MAX_SIZE)
        ThrowError(CZipException::tooBigSize);
}

void CZipCompressor::FlushWriteBuffer(DWORD uSize)
{
    if (uSize == 0)
        return;
    if (m_pCryptograph)
        m_pCryptograph->Encode(m_pBuffer, uSize);
    m_uComprTotal += uSize;
    if (m_uComprTotal >= ZIP_MAX_SIZE)
        ThrowError(CZipException::tooBigSize);
    m_pStorage->Write(m_pBuffer, uSize, false);
}

void CZipCompressor::WriteStored(const void* pBuffer, DWORD uSize)
{
    const char* p = static_cast<const char*>(pBuffer);
    if (!m_pCryptograph)
    {
        m_uComprTotal += uSize;
        if (m_uComprTotal >= ZIP_MAX_SIZE)
            ThrowError(CZipException::tooBigSize);
        m_pStorage->Write(p, uSize, false);
        return;
    }
    while (uSize > 0)
    {
        const DWORD uChunk = std::min(uSize, m_uBufferSize);
        std::copy(p, p + uChunk, m_pBuffer.GetBuffer());
        FlushWriteBuffer(uChunk);
        p += uChunk;
        uSize -= uChunk;
    }
}

DWORD CZipCompressor::ReadStored(char* pBuffer, DWORD uSize)
{
    const DWORD uToRead = std::min<ZIP_SIZE_TYPE>(uSize, m_uComprLeft);
    if (uToRead == 0)
        return 0;
    if (m_pStorage->Read(pBuffer, uToRead, false) != uToRead)
        ThrowError(CZipException::badZipFile);
    m_uComprLeft -= uToRead;
    if (m_pCryptograph)
        m_pCryptograph->Decode(pBuffer, uToRead);
    return uToRead;
}

void CZipCompressor::CountDecompressed(DWORD uSize)
{
    if (uSize > m_uUncomprLeft)
        ThrowError(CZipException::badZipFile);
    m_uUncomprLeft -= uSize;
}
