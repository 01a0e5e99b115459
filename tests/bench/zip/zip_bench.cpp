// The ZIP library's deflate compressor against zlib's own deflate on the
// same 16 MiB at the same level (compare "bytes_per_second" of the pairs
// with the same level; "stored_over_plain" is the compressed share), and the
// traditional encryption's throughput each way.
#include "zip/zip_crc32_cryptograph.h"
#include "zip/zip_deflate_compressor.h"
#include "zip/zip_file_header.h"
#include "zip/zip_mem_file.h"
#include "zip/zip_storage.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

namespace
{

const size_t SIZE = 16u << 20;

// Firmware-like data: runs of text, tables of small numbers and stretches of
// noise, so that deflate meets every kind of block.
const std::vector<unsigned char>& Data()
{
    static const std::vector<unsigned char> data = [] {
        static const char* const words[] = {"device ", "update ", "package ", "section ", "version ", "record\n"};
        std::mt19937 engine(2024);
        std::vector<unsigned char> bytes;
        bytes.reserve(SIZE + 64);
        while (bytes.size() < SIZE)
        {
            switch (engine() % 3)
            {
            case 0:
                for (int i = 0; i < 200; ++i)
                    for (const char* p = words[engine() % 6]; *p; ++p)
                        bytes.push_back(static_cast<unsigned char>(*p));
                break;
            case 1:
                for (int i = 0; i < 1024; ++i)
                    bytes.push_back(static_cast<unsigned char>(engine() % 16));
                break;
            default:
                for (int i = 0; i < 512; ++i)
                    bytes.push_back(static_cast<unsigned char>(engine()));
                break;
            }
        }
        bytes.resize(SIZE);
        return bytes;
    }();
    return data;
}

void BM_DeflateCompressor(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const auto& data = Data();
    CZipMemFile file;
    file.SetLength(SIZE + (SIZE >> 4));
    size_t stored = 0;
    for (auto _ : state)
    {
        CZipStorage storage;
        storage.Open(file, CZipStorage::zipCreate, 65536);
        CZipFileHeader header;
        header.m_uMethod = ZIP_METHOD_DEFLATE;
        ZipLib::CDeflateCompressor compressor(&storage, 65536);
        compressor.InitCompression(level, &header, nullptr);
        compressor.Compress(data.data(), static_cast<DWORD>(data.size()));
        compressor.FinishCompression(false);
        storage.Close(false);
        stored = header.m_uComprSize;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SIZE));
    state.counters["stored_over_plain"] = static_cast<double>(stored) / SIZE;
}

void BM_ZlibDeflate(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const auto& data = Data();
    std::vector<unsigned char> out(SIZE + (SIZE >> 4));
    size_t stored = 0;
    for (auto _ : state)
    {
        z_stream z = {};
        deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        z.next_in = const_cast<Bytef*>(data.data());
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        if (deflate(&z, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("deflate did not finish");
        stored = z.total_out;
        deflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SIZE));
    state.counters["stored_over_plain"] = static_cast<double>(stored) / SIZE;
}

template <bool encode>
void BM_Crc32Cryptograph(benchmark::State& state)
{
    std::vector<char> buffer(Data().begin(), Data().end());
    CZipAutoBuffer password;
    password.Fill("benchmark password", 18);
    CZipCrc32Cryptograph cryptograph;
    cryptograph.CryptInitKeys(password);
    for (auto _ : state)
    {
        if (encode)
            cryptograph.Encode(buffer.data(), static_cast<DWORD>(buffer.size()));
        else
            cryptograph.Decode(buffer.data(), static_cast<DWORD>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SIZE));
}

}  // namespace

BENCHMARK(BM_DeflateCompressor)->Arg(1)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate)->Arg(1)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Crc32Cryptograph, true)->Name("BM_Crc32Cryptograph/encode")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Crc32Cryptograph, false)->Name("BM_Crc32Cryptograph/decode")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
