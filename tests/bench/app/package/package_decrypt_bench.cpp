// Decrypting a 64 MiB package: DecryptUpdateFile from a file against the
// library's GCM decryption of the same bytes already in memory, and the
// heap that DecryptUpdateFile holds at its peak.
//
// Each is run twice: into a new output string every time (the first touch
// of 64 MiB of fresh memory then costs about as much as the decryption), and
// into one string reused across iterations, which measures the decryption
// path alone. Compare "bytes_per_second" of the pairs with the same suffix.
// "peak_over_package" is the largest heap in use during one
// DecryptUpdateFile over the package size.
#include "app/package/package_key.h"
#include "app/package/update_package.h"
#include "tools/package_maker/package_maker.h"

#include <benchmark/benchmark.h>
#include <cryptopp/aes.h>
#include <cryptopp/gcm.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

namespace pm = package_maker;

// Heap accounting: every operator new carries its size in front of the block.
namespace
{

std::atomic<size_t> g_heapInUse{0};
std::atomic<size_t> g_heapPeak{0};
constexpr size_t kHeader = 32;

void* Allocate(size_t size, size_t alignment)
{
    const size_t header = alignment > kHeader ? alignment : kHeader;
    void* block = std::aligned_alloc(header, ((size + header + header - 1) / header) * header);
    if (block == nullptr)
        throw std::bad_alloc();
    auto* bytes = static_cast<char*>(block) + header;
    reinterpret_cast<size_t*>(bytes)[-1] = size;
    reinterpret_cast<size_t*>(bytes)[-2] = header;
    const size_t now = g_heapInUse.fetch_add(size) + size;
    size_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now))
    {
    }
    return bytes;
}

void Release(void* pointer)
{
    if (pointer == nullptr)
        return;
    auto* bytes = static_cast<char*>(pointer);
    const size_t size = reinterpret_cast<size_t*>(bytes)[-1];
    const size_t header = reinterpret_cast<size_t*>(bytes)[-2];
    g_heapInUse.fetch_sub(size);
    std::free(bytes - header);
}

} // namespace

void* operator new(size_t size) { return Allocate(size, alignof(std::max_align_t)); }
void* operator new[](size_t size) { return Allocate(size, alignof(std::max_align_t)); }
void* operator new(size_t size, std::align_val_t alignment) { return Allocate(size, static_cast<size_t>(alignment)); }
void* operator new[](size_t size, std::align_val_t alignment) { return Allocate(size, static_cast<size_t>(alignment)); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, std::align_val_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::align_val_t) noexcept { Release(pointer); }
void operator delete(void* pointer, size_t, std::align_val_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, size_t, std::align_val_t) noexcept { Release(pointer); }

namespace
{

constexpr size_t kPackageSize = 64u << 20;

// One package for the whole run, written once.
struct Package
{
    Package()
    {
        pm::Image image;
        image.sections = pm::MakeDeviceTypeSections(25);
        const size_t used = pm::BuildImage(image).size() + pm::kSectionHeaderSize + PACKAGE_TAG_SIZE;
        std::string body(kPackageSize - used, '\0');
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = static_cast<char>((i * 2654435761u) >> 24);
        image.sections.push_back(pm::MakeSection(0x0100, 1, "02.5.6", std::move(body)));
        plain = pm::BuildImage(image);
        bytes = pm::EncryptPackage(plain);
        path = (std::filesystem::temp_directory_path() / "trelwin_bench_package.zpk").string();
        std::string error;
        if (!pm::WriteFile(path, bytes, error))
            std::abort();
    }
    ~Package() { std::filesystem::remove(path); }

    std::string plain;
    std::string bytes;
    std::string path;
};

const Package& ThePackage()
{
    static Package package;
    return package;
}

void DecryptUpdateFileInto(benchmark::State& state, bool reuseOutput)
{
    const Package& package = ThePackage();
    size_t peak = 0;
    std::string reused;
    for (auto _ : state)
    {
        std::string fresh;
        std::string& out = reuseOutput ? reused : fresh;
        const size_t before = g_heapInUse.load();
        g_heapPeak.store(before);
        if (!DecryptUpdateFile(package.path.c_str(), out) || out.size() != package.plain.size())
            state.SkipWithError("the package did not decrypt");
        peak = std::max(peak, g_heapPeak.load() - before);
        benchmark::DoNotOptimize(out.data());
    }
    std::string check;
    if (!DecryptUpdateFile(package.path.c_str(), check) || check != package.plain)
        state.SkipWithError("the package decrypted to other bytes");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * package.bytes.size()));
    state.counters["peak_over_package"] = static_cast<double>(peak) / static_cast<double>(package.bytes.size());
}

void GcmDecryptInto(benchmark::State& state, bool reuseOutput)
{
    const Package& package = ThePackage();
    const size_t size = package.bytes.size() - PACKAGE_TAG_SIZE;
    const auto* cipher = reinterpret_cast<const CryptoPP::byte*>(package.bytes.data());
    std::string reused(size, '\0');
    for (auto _ : state)
    {
        std::string fresh;
        if (!reuseOutput)
            fresh.reserve(size);
        auto* out = reinterpret_cast<CryptoPP::byte*>(reuseOutput ? reused.data() : fresh.data());
        CryptoPP::GCM<CryptoPP::AES>::Decryption decryption;
        decryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
        if (!decryption.DecryptAndVerify(out, cipher + size, PACKAGE_TAG_SIZE, GetPackageIv(), PACKAGE_IV_SIZE,
                                         nullptr, 0, cipher, size))
            state.SkipWithError("the package did not authenticate");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * package.bytes.size()));
}

void BM_DecryptUpdateFile_NewOutput(benchmark::State& state)
{
    DecryptUpdateFileInto(state, false);
}
void BM_GcmDecryptInMemory_NewOutput(benchmark::State& state)
{
    GcmDecryptInto(state, false);
}
void BM_DecryptUpdateFile_ReusedOutput(benchmark::State& state)
{
    DecryptUpdateFileInto(state, true);
}
void BM_GcmDecryptInMemory_ReusedOutput(benchmark::State& state)
{
    GcmDecryptInto(state, true);
}
BENCHMARK(BM_DecryptUpdateFile_NewOutput)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GcmDecryptInMemory_NewOutput)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecryptUpdateFile_ReusedOutput)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GcmDecryptInMemory_ReusedOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
