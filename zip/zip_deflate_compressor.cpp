#include "zip/zip_deflate_compressor.h"

#include "zip/zip_cryptograph.h"
#include "zip/zip_exception.h"
#include "zip/zip_file_header.h"

#include <cstdlib>

namespace ZipLib
{

namespace
{

// Raw deflate: a negative window size asks zlib for no header and no trailer.
const int RAW_WINDOW_BITS = -MAX_WBITS;
const int MEMORY_LEVEL = 8;

}  // namespace

CDeflateCompressor::CDeflateCompressor(CZipStorage* pStorage, DWORD uBufferSize)
    : CZipCompressor(pStorage, uBufferSize), m_activeStream(Stream::None)
{
    ResetStream();
}

CDeflateCompressor::~CDeflateCompressor()
{
    ReleaseBlocks();
}

void CDeflateCompressor::ResetStream()
{
    m_stream = z_stream();
    m_stream.zalloc = Allocate;
    m_stream.zfree = Free;
    m_stream.opaque = this;
    m_activeStream = Stream::None;
}

voidpf CDeflateCompressor::Allocate(voidpf opaque, uInt uItems, uInt uSize)
{
    if (uSize != 0 && uItems > static_cast<size_t>(-1) / uSize)
        return Z_NULL;
    void* pBlock = std::malloc(static_cast<size_t>(uItems) * uSize);
    if (pBlock)
        static_cast<CDeflateCompressor*>(opaque)->m_blocks.AddTail(pBlock);
    return pBlock;
}

void CDeflateCompressor::Free(voidpf opaque, voidpf address)
{
    if (address && static_cast<CDeflateCompressor*>(opaque)->m_blocks.Remove(address))
        std::free(address);
}

// Frees whatever zlib still holds; the stream it belonged to is given up.
void CDeflateCompressor::ReleaseBlocks()
{
    m_blocks.RemoveAll([](void* pBlock) { std::free(pBlock); });
    ResetStream();
}

void CDeflateCompressor::CheckForError(int iErr) const
{
    if (iErr != Z_OK && iErr != Z_NEED_DICT)
        ThrowError(CZipException::ZlibErrToZip(iErr));
}

void CDeflateCompressor::InitCompression(int iLevel, CZipFileHeader* pFile, CZipCryptograph* pCryptograph)
{
    CZipCompressor::InitCompression(iLevel, pFile, pCryptograph);
    ReleaseBlocks();
    if (pFile->m_uMethod != ZIP_METHOD_DEFLATE)
        return;
    CheckForError(deflateInit2_(&m_stream, iLevel, Z_DEFLATED, RAW_WINDOW_BITS, MEMORY_LEVEL, Z_DEFAULT_STRATEGY,
                                ZLIB_VERSION, sizeof(z_stream)));
    m_activeStream = Stream::Deflate;
    m_stream.next_out = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
    m_stream.avail_out = m_uBufferSize;
}

void CDeflateCompressor::Compress(const void* pBuffer, DWORD uSize)
{
    UpdateCrc(pBuffer, uSize);
    CountUncompressed(uSize);
    if (m_activeStream != Stream::Deflate)
    {
        WriteStored(pBuffer, uSize);
        return;
    }
    m_stream.next_in = static_cast<Bytef*>(const_cast<void*>(pBuffer));
    m_stream.avail_in = uSize;
    while (m_stream.avail_in > 0)
    {
        if (m_stream.avail_out == 0)
        {
            FlushWriteBuffer(m_uBufferSize);
            m_stream.next_out = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
            m_stream.avail_out = m_uBufferSize;
        }
        CheckForError(deflate(&m_stream, Z_NO_FLUSH));
    }
}

void CDeflateCompressor::FinishCompression(bool bAfterException)
{
    if (!bAfterException && m_activeStream == Stream::Deflate)
    {
        for (;;)
        {
            if (m_stream.avail_out == 0)
            {
                FlushWriteBuffer(m_uBufferSize);
                m_stream.next_out = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
                m_stream.avail_out = m_uBufferSize;
            }
            const int iErr = deflate(&m_stream, Z_FINISH);
            if (iErr == Z_STREAM_END)
                break;
            CheckForError(iErr);
        }
        FlushWriteBuffer(m_uBufferSize - m_stream.avail_out);
    }
    if (m_activeStream == Stream::Deflate)
        deflateEnd(&m_stream);
    ReleaseBlocks();
    CZipCompressor::FinishCompression(bAfterException);
}

void CDeflateCompressor::InitDecompression(CZipFileHeader* pFile, CZipCryptograph* pCryptograph)
{
    CZipCompressor::InitDecompression(pFile, pCryptograph);
    ReleaseBlocks();
    if (pFile->m_uMethod != ZIP_METHOD_DEFLATE)
    {
        // Stored data is as long as the plain data.
        if (m_uComprLeft != m_uUncomprLeft)
            ThrowError(CZipException::badZipFile);
        return;
    }
    CheckForError(inflateInit2_(&m_stream, RAW_WINDOW_BITS, ZLIB_VERSION, sizeof(z_stream)));
    m_activeStream = Stream::Inflate;
}

DWORD CDeflateCompressor::Decompress(void* pBuffer, DWORD uSize)
{
    if (m_bDecompressionDone || uSize == 0)
        return 0;
    if (m_activeStream != Stream::Inflate)
    {
        const DWORD uRead = ReadStored(static_cast<char*>(pBuffer), uSize);
        UpdateCrc(pBuffer, uRead);
        CountDecompressed(uRead);
        m_bDecompressionDone = m_uComprLeft == 0;
        return uRead;
    }
    m_stream.next_out = static_cast<Bytef*>(pBuffer);
    m_stream.avail_out = uSize;
    while (m_stream.avail_out > 0)
    {
        if (m_stream.avail_in == 0 && m_uComprLeft > 0)
        {
            m_stream.next_in = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
            m_stream.avail_in = ReadStored(m_pBuffer, m_uBufferSize);
        }
        const uInt uInBefore = m_stream.avail_in;
        const uInt uOutBefore = m_stream.avail_out;
        const int iErr = inflate(&m_stream, Z_SYNC_FLUSH);
        if (iErr == Z_STREAM_END)
        {
            m_bDecompressionDone = true;
            break;
        }
        // No more stored bytes and no progress: the stream is cut short.
        if (m_uComprLeft == 0 && m_stream.avail_in == uInBefore && m_stream.avail_out == uOutBefore)
            ThrowError(CZipException::badZipFile);
        CheckForError(iErr == Z_BUF_ERROR ? Z_OK : iErr);
    }
    const DWORD uProduced = uSize - m_stream.avail_out;
    UpdateCrc(pBuffer, uProduced);
    CountDecompressed(uProduced);
    if (m_bDecompressionDone && m_uUncomprLeft != 0)
        ThrowError(CZipException::badZipFile);
    return uProduced;
}

void CDeflateCompressor::FinishDecompression(bool bAfterException)
{
    if (m_activeStream == Stream::Inflate)
        inflateEnd(&m_stream);
    ReleaseBlocks();
    CZipCompressor::FinishDecompression(bAfterException);
}

}  // namespace ZipLib
