// CZipCompressor: turns a file's plain data into the data stored in the
// archive and back, through the archive's buffer, with the file's
// encryption on the stored side. It keeps the CRC-32 of the plain data and
// the sizes on both sides, and puts them into the file's header when the
// compression finishes.
#pragma once

#include "zip/zip_auto_buffer.h"
#include "zip/zip_declarations.h"

class CZipCryptograph;
class CZipFileHeader;
class CZipStorage;

class CZipCompressor
{
public:
    CZipCompressor(CZipStorage* pStorage, DWORD uBufferSize);
    virtual ~CZipCompressor() = default;

    virtual bool CanProcess(WORD uMethod) const = 0;

    // The file's method is in pFile->m_uMethod; pCryptograph may be null.
    virtual void InitCompression(int iLevel, CZipFileHeader* pFile, CZipCryptograph* pCryptograph);
    virtual void Compress(const void* pBuffer, DWORD uSize) = 0;
    // Writes what is left and puts the CRC and sizes into the header; after
    // an exception only releases what compression holds.
    virtual void FinishCompression(bool bAfterException);

    // badZipFile when the stored size cannot even hold the encryption header.
    virtual void InitDecompression(CZipFileHeader* pFile, CZipCryptograph* pCryptograph);
    // Up to uSize plain bytes; 0 at the end of the file's data.
    virtual DWORD Decompress(void* pBuffer, DWORD uSize) = 0;
    virtual void FinishDecompression(bool bAfterException);

    DWORD GetCrc() const { return m_uCrc32; }
    // All of the file's data has been given out.
    bool IsDecompressionDone() const { return m_bDecompressionDone; }
    DWORD GetBufferSize() const { return m_uBufferSize; }

protected:
    void UpdateCrc(const void* pBuffer, DWORD uSize);
    // Counts plain bytes in; tooBigSize past the format's 4 GiB.
    void CountUncompressed(DWORD uSize);
    // Encrypts the first uSize bytes of the buffer and writes them.
    void FlushWriteBuffer(DWORD uSize);
    // Writes plain caller bytes as they are (a file without encryption or compression).
    void WriteStored(const void* pBuffer, DWORD uSize);
    // Reads up to uSize of the file's stored bytes that are left, decrypted;
    // badZipFile when the archive ends before them.
    DWORD ReadStored(char* pBuffer, DWORD uSize);
    // Counts plain bytes out; badZipFile past the size the header gives.
    void CountDecompressed(DWORD uSize);
    [[noreturn]] void ThrowError(int iZipError) const;

    CZipStorage* m_pStorage;
    CZipFileHeader* m_pFile;
    CZipCryptograph* m_pCryptograph;
    CZipAutoBuffer m_pBuffer;
    DWORD m_uBufferSize;
    DWORD m_uCrc32;
    ULONGLONG m_uComprTotal;
    ULONGLONG m_uUncomprTotal;
    ZIP_SIZE_TYPE m_uComprLeft;
    ZIP_SIZE_TYPE m_uUncomprLeft;
    bool m_bDecompressionDone;
};
