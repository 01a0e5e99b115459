#include "zip/zip_deflate_compressor.h"

#include "zip/zip_file_header.h"
#include "zip/zip_mem_file.h"
#include "zip/zip_storage.h"
#include "zip_test_support.h"

#include <zlib.h>

#include <algorithm>

namespace
{

using namespace zip_test;

// zlib on the other side: raw deflate streams, no header, no trailer.
Bytes RawInflate(const Bytes& stream, size_t expectedSize)
{
    z_stream z = {};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    Bytes out(expectedSize + 1);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

Bytes RawDeflate(const Bytes& data, int level)
{
    z_stream z = {};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

DWORD ZlibCrc(const Bytes& data)
{
    return static_cast<DWORD>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

// The compressor writing into a storage over memory.
struct CompressorRig
{
    explicit CompressorRig(WORD method)
    {
        storage.Open(file, CZipStorage::zipCreate, 65536);
        header.m_uMethod = method;
    }
    ~CompressorRig() { storage.Close(true); }

    Bytes Compress(const Bytes& data, int level, size_t chunk)
    {
        compressor.InitCompression(level, &header, nullptr);
        for (size_t done = 0; done < data.size(); done += chunk)
            compressor.Compress(data.data() + done, static_cast<DWORD>(std::min(chunk, data.size() - done)));
        compressor.FinishCompression(false);
        storage.Flush();
        return file.GetData();
    }

    CZipMemFile file;
    CZipStorage storage;
    CZipFileHeader header;
    ZipLib::CDeflateCompressor compressor{&storage, 65536};
};

// Reads the file's data back through the compressor in pieces of `chunk`;
// the loop is bounded, so a decompressor that never ends fails the test.
Bytes DecompressAll(ZipLib::CDeflateCompressor& compressor, size_t chunk, size_t limit)
{
    Bytes out;
    Bytes piece(chunk);
    for (size_t rounds = 0; rounds < limit / chunk + 4; ++rounds)
    {
        const DWORD got = compressor.Decompress(piece.data(), static_cast<DWORD>(chunk));
        if (got == 0)
            return out;
        out.insert(out.end(), piece.begin(), piece.begin() + got);
    }
    ADD_FAILURE() << "decompression did not end";
    return out;
}

struct DataCase
{
    const char* name;
    Bytes data;
    int level;
    WORD method;
};

std::vector<DataCase> DataCases()
{
    return {
        {"empty", {}, -1, ZIP_METHOD_DEFLATE},
        {"one byte", {0x5A}, -1, ZIP_METHOD_DEFLATE},
        {"64 KiB text, fastest", TextBytes(64 << 10, 1), 1, ZIP_METHOD_DEFLATE},
        {"64 KiB text, best", TextBytes(64 << 10, 2), 9, ZIP_METHOD_DEFLATE},
        {"10 MiB text", TextBytes(10 << 20, 3), -1, ZIP_METHOD_DEFLATE},
        {"1 MiB incompressible", RandomBytes(1 << 20, 4), -1, ZIP_METHOD_DEFLATE},
        {"stored", RandomBytes(200000, 5), 0, ZIP_METHOD_STORE},
    };
}

TEST(DeflateCompressor, CompressedDataInflatesWithZlib)
{
    for (const DataCase& c : DataCases())
    {
        SCOPED_TRACE(c.name);
        CompressorRig rig(c.method);
        const Bytes stored = rig.Compress(c.data, c.level, 7777);
        EXPECT_EQ(rig.header.m_uCrc32, ZlibCrc(c.data));
        EXPECT_EQ(rig.header.m_uUncomprSize, c.data.size());
        EXPECT_EQ(rig.header.m_uComprSize, stored.size());
        EXPECT_EQ(rig.compressor.GetAllocatedBlockCount(), 0u);
        if (c.method == ZIP_METHOD_STORE)
        {
            EXPECT_EQ(stored, c.data);
        }
        else
        {
            EXPECT_EQ(RawInflate(stored, c.data.size()), c.data);
        }
        if (c.data.size() == (10u << 20))
        {
            EXPECT_LT(stored.size(), c.data.size() / 3);
        }
    }
}

TEST(DeflateCompressor, ZlibStreamsDecompressWithTheirCrc)
{
    for (const DataCase& c : DataCases())
    {
        SCOPED_TRACE(c.name);
        const Bytes stored = c.method == ZIP_METHOD_STORE ? c.data : RawDeflate(c.data, c.level);
        CZipMemFile file(stored.data(), stored.size());
        CZipStorage storage;
        storage.Open(file, CZipStorage::zipOpenReadOnly, 65536);
        CZipFileHeader header;
        header.m_uMethod = c.method;
        header.m_uComprSize = static_cast<DWORD>(stored.size());
        header.m_uUncomprSize = static_cast<DWORD>(c.data.size());
        ZipLib::CDeflateCompressor compressor(&storage, 4096);
        compressor.InitDecompression(&header, nullptr);
        EXPECT_EQ(DecompressAll(compressor, 5000, c.data.size()), c.data);
        EXPECT_TRUE(compressor.IsDecompressionDone());
        EXPECT_EQ(compressor.GetCrc(), ZlibCrc(c.data));
        compressor.FinishDecompression(false);
        storage.Close(true);
    }
}

// Damaged data ends in the library's error, in bounded time, never in a
// count that wraps around or a loop that waits for bytes that never come.
TEST(DeflateCompressor, DamagedDataIsReportedNotTrusted)
{
    const Bytes text = TextBytes(100000, 6);
    const Bytes stream = RawDeflate(text, 6);
    struct Case
    {
        const char* name;
        Bytes stored;
        WORD method;
        WORD flag;
        DWORD comprSize;
        DWORD uncomprSize;
        int code;
    };
    const Case cases[] = {
        {"encrypted but shorter than its header", Bytes(5, 0), ZIP_METHOD_DEFLATE, ZIP_FLAG_ENCRYPTED, 5, 0,
         CZipException::badZipFile},
        {"stream cut in half", Bytes(stream.begin(), stream.begin() + stream.size() / 2), ZIP_METHOD_DEFLATE, 0,
         static_cast<DWORD>(stream.size() / 2), 100000, CZipException::badZipFile},
        {"archive ends before the stored size", stream, ZIP_METHOD_DEFLATE, 0,
         static_cast<DWORD>(stream.size() + 100), 100000, CZipException::badZipFile},
        {"reserved block type", Bytes{0x07, 0x00}, ZIP_METHOD_DEFLATE, 0, 2, 10, CZipException::dataError},
        {"more data than the header says", stream, ZIP_METHOD_DEFLATE, 0, static_cast<DWORD>(stream.size()), 99999,
         CZipException::badZipFile},
        {"less data than the header says", stream, ZIP_METHOD_DEFLATE, 0, static_cast<DWORD>(stream.size()), 100001,
         CZipException::badZipFile},
        {"stored sizes that differ", text, ZIP_METHOD_STORE, 0, 100000, 99000, CZipException::badZipFile},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CZipMemFile file(c.stored.data(), c.stored.size());
        CZipStorage storage;
        storage.Open(file, CZipStorage::zipOpenReadOnly, 65536);
        CZipFileHeader header;
        header.m_uMethod = c.method;
        header.m_uFlag = c.flag;
        header.m_uComprSize = c.comprSize;
        header.m_uUncomprSize = c.uncomprSize;
        ZipLib::CDeflateCompressor compressor(&storage, 4096);
        EXPECT_EQ(ZipErrorOf([&] {
                      compressor.InitDecompression(&header, nullptr);
                      DecompressAll(compressor, 4096, 200000);
                  }),
                  c.code);
        storage.Close(true);
    }
}

// zlib allocates through the compressor; a stream dropped half-way by an
// exception is freed with the compressor (the sanitizer build sees a leak
// otherwise).
TEST(DeflateCompressor, BlocksHeldByAnAbandonedStreamGoWithTheCompressor)
{
    const Bytes data = RandomBytes(300000, 7);
    CZipMemFile file;
    CZipStorage storage;
    storage.Open(file, CZipStorage::zipCreate, 65536);
    CZipFileHeader header;
    {
        ZipLib::CDeflateCompressor compressor(&storage, 65536);
        compressor.InitCompression(9, &header, nullptr);
        EXPECT_GE(compressor.GetAllocatedBlockCount(), 3u);
        compressor.Compress(data.data(), static_cast<DWORD>(data.size()));
    }
    {
        ZipLib::CDeflateCompressor compressor(&storage, 65536);
        compressor.InitCompression(6, &header, nullptr);
        compressor.Compress(data.data(), 1000);
        compressor.FinishCompression(true);
        EXPECT_EQ(compressor.GetAllocatedBlockCount(), 0u);
        // The same compressor takes the next file.
        CZipFileHeader next;
        compressor.InitCompression(6, &next, nullptr);
        compressor.Compress(data.data(), 1000);
        compressor.FinishCompression(false);
        EXPECT_EQ(next.m_uUncomprSize, 1000u);
    }
    storage.Close(true);
}

}  // namespace
