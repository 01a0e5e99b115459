// Decrypting a 64 MiB package: DecryptUpdateFile from a file against the
// library's GCM decryption of the same bytes already in memory, and the
// heap that DecryptUpdateFile holds at its peak.
//
// Counters: "bytes_per_second" of both; "peak_over_package" is the largest
// heap in use during one DecryptUpdateFile, over the package size.
#include "app/package_key.h"
#include "app/update_package.h"
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

void BM_DecryptUpdateFile(benchmark::State& state)
{
    const Package& package = ThePackage();
    size_t peak = 0;
    for (auto _ : state)
    {
        std::string out;
        const size_t before = g_heapInUse.load();
        g_heapPeak.store(before);
        if (!DecryptUpdateFile(package.path.c_str(), out) || out.size() != package.plain.size())
            state.SkipWithError("the package did not decrypt");
        peak = std::max(peak, g_heapPeak.load() - before);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * package.bytes.size()));
    state.counters["peak_over_package"] = static_cast<double>(peak) / static_cast<double>(package.bytes.size());
    state.counters["peak_extra_KiB"] =
        (static_cast<double>(peak) - static_cast<double>(package.bytes.size())) / 1024.0;
}
BENCHMARK(BM_DecryptUpdateFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GcmDecryptInMemory(benchmark::State& state)
{
    const Package& package = ThePackage();
    const size_t size = package.bytes.size() - PACKAGE_TAG_SIZE;
    std::string out(size, '\0');
    const auto* cipher = reinterpret_cast<const CryptoPP::byte*>(package.bytes.data());
    for (auto _ : state)
    {
        CryptoPP::GCM<CryptoPP::AES>::Decryption decryption;
        decryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
        const bool ok = decryption.DecryptAndVerify(reinterpret_cast<CryptoPP::byte*>(out.data()), cipher + size,
                                                    PACKAGE_TAG_SIZE, GetPackageIv(), PACKAGE_IV_SIZE, nullptr, 0,
                                                    cipher, size);
        if (!ok)
            state.SkipWithError("the package did not authenticate");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * package.bytes.size()));
}
BENCHMARK(BM_GcmDecryptInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
