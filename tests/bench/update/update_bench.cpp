// Loading images into stand-in devices on loopback: one device in window
// and in plain mode (8 MiB), and 64 devices at once against one alone
// (2 MiB each). The record phase is kept to a single end datagram. The
// engine thread's allocations are counted to show that none happens per
// datagram.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/app/update/update_harness.h"

// The replaced operators pair malloc with free; the compiler cannot see that
// every operator new of the program is this one.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

thread_local long t_allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    ++t_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

StandinUpdateProfile FastDevice(bool window) {
    StandinUpdateProfile profile;
    profile.startReplyLength = window ? 11 : 9;
    profile.recordSteps = 0;
    profile.recordPaceMs = 0;
    profile.loadsKept = 1;
    return profile;
}

struct Bench {
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine{sheet, report};
};

void LoadOne(benchmark::State& state, bool window, int group) {
    CStandinHarness devices(group, 1, FastDevice(window));
    if (!devices.Ok()) {
        state.SkipWithError(devices.Error().c_str());
        return;
    }
    const size_t size = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> image = RandomBytes(size, 1);
    Bench bench;
    DeviceConnection connection(devices.Address(0));
    long allocations = 0;
    for (auto _ : state) {
        auto stream = ImageStream(image);
        const long before = t_allocations;
        if (bench.engine.LoadAndRecord(connection.client, connection.settings, 0, *stream, 30, 0, 1, 0) != 1)
            state.SkipWithError("the load failed");
        allocations = t_allocations - before;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    state.counters["allocs_per_run"] = static_cast<double>(allocations);
    state.counters["datagrams_per_run"] = static_cast<double>((size + 511) / 512);
}

void BM_LoadWindowMode(benchmark::State& state) { LoadOne(state, true, 1); }
void BM_LoadPlainMode(benchmark::State& state) { LoadOne(state, false, 2); }

void LoadMany(benchmark::State& state, int group) {
    const int count = static_cast<int>(state.range(0));
    const size_t size = static_cast<size_t>(state.range(1));
    const int standins = static_cast<int>(state.range(2));
    CStandinHarness devices(group, count, FastDevice(true), UpdateTimeouts(), standins);
    if (!devices.Ok()) {
        state.SkipWithError(devices.Error().c_str());
        return;
    }
    std::vector<std::vector<uint8_t>> images;
    for (int i = 0; i < count; ++i) images.push_back(RandomBytes(size, static_cast<uint32_t>(i)));
    Bench bench;
    std::vector<std::unique_ptr<DeviceConnection>> connections;
    for (int i = 0; i < count; ++i) connections.push_back(std::make_unique<DeviceConnection>(devices.Address(i)));
    std::atomic<int> failures{0};
    for (auto _ : state) {
        std::vector<std::thread> workers;
        for (int i = 0; i < count; ++i) {
            workers.emplace_back([&, i] {
                auto stream = ImageStream(images[static_cast<size_t>(i)]);
                DeviceConnection& c = *connections[static_cast<size_t>(i)];
                if (bench.engine.LoadAndRecord(c.client, c.settings, i, *stream, 30, 0, 1, 0) != 1) ++failures;
            });
        }
        for (auto& worker : workers) worker.join();
    }
    if (failures > 0) state.SkipWithError("a load failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * count * size));
}

void BM_LoadDevicesAtOnce(benchmark::State& state) {
    LoadMany(state, static_cast<int>(3 + state.range(0) % 200 + state.range(2)));
}

BENCHMARK(BM_LoadWindowMode)->Arg(8 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPlainMode)->Arg(8 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
// Devices, bytes each, stand-in threads playing them.
BENCHMARK(BM_LoadDevicesAtOnce)
    ->Args({1, 2 << 20, 1})
    ->Args({64, 2 << 20, 1})
    ->Args({64, 2 << 20, 4})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
