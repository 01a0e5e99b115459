// ZipLib::CDeflateCompressor: stores files as they are (method 0) or
// compresses them with zlib's raw deflate (method 8, no zlib header). zlib
// allocates through this object, which keeps a list of the blocks it holds,
// so a stream left half-way by an exception is freed with the compressor.
#pragma once

#include "zip/zip_compressor.h"
#include "zip/zip_ptr_list.h"

#include <zlib.h>

namespace ZipLib
{

class CDeflateCompressor : public CZipCompressor
{
public:
    CDeflateCompressor(CZipStorage* pStorage, DWORD uBufferSize);
    ~CDeflateCompressor() override;

    bool CanProcess(WORD uMethod) const override
    {
        return uMethod == ZIP_METHOD_STORE || uMethod == ZIP_METHOD_DEFLATE;
    }

    void InitCompression(int iLevel, CZipFileHeader* pFile, CZipCryptograph* pCryptograph) override;
    void Compress(const void* pBuffer, DWORD uSize) override;
    void FinishCompression(bool bAfterException) override;
    void InitDecompression(CZipFileHeader* pFile, CZipCryptograph* pCryptograph) override;
    DWORD Decompress(void* pBuffer, DWORD uSize) override;
    void FinishDecompression(bool bAfterException) override;

    // Blocks zlib holds now.
    size_t GetAllocatedBlockCount() const { return m_blocks.GetCount(); }

private:
    static voidpf Allocate(voidpf opaque, uInt uItems, uInt uSize);
    static void Free(voidpf opaque, voidpf address);
    void ResetStream();
    void CheckForError(int iErr) const;
    void ReleaseBlocks();

    z_stream m_stream;
    // Which zlib stream is set up, if any.
    enum class Stream
    {
        None,
        Deflate,
        Inflate,
    } m_activeStream;
    CZipPtrList<void> m_blocks;
};

}  // namespace ZipLib
