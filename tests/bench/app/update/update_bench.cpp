// Updating devices on loopback, each device by a thread of its own, against
// the floor of this machine measured in the same run.
//
// For each load mode and for 1 device (8 MiB), 64 and 256 devices (2 MiB
// each), three pairs load the same package:
//   minimal       the minimal loader against minimal devices (the floor);
//   engine+min    the engine's UpdateDevice against minimal devices;
//   engine+standin the engine against the stand-in, one stand-in thread
//                  per device.
// Every iteration runs the floor first (untimed) and then the pair, so that
// both see the same load of the machine. An engine pair runs twice: once
// with the time-outs in the settings (warm), and once as the first run after
// installing, with none there: they are created with their defaults as the
// progress page creates them before its workers start (timed on its own),
// then the devices are updated. The figures are medians over the iterations:
//   MBps          image bytes per second of the pair (warm);
//   floor_MBps    the same for the minimal pair;
//   vs_floor      MBps / floor_MBps;
//   first_MBps, first_vs_floor  the same for the first run;
//   first_vs_warm first_MBps / MBps, pass by pass;
//   settings_ms   the creation of the missing time-outs before the first run;
//   ms_per_device time of one iteration divided by the devices;
//   vs_64         (256 devices) time against the same pair with 64 devices;
//   allocs_per_datagram  heap allocations in the whole process per data
//                 datagram during the pair's run;
//   rss_KiB, fds, threads _per_device  (engine+standin, 64 and 256 devices)
//                 what the process grows by while the devices are updated,
//                 per device: the engine's share, since the stand-in and
//                 its sockets exist before.
// Every device's recorded image is checked (length and CRC-32).
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <thread>

#include "app/update/update_timeouts.h"
#include "platform/registry/registry.h"
#include "tests/app/update/update_harness.h"
#include "tests/bench/app/update/minimal_pair.h"

// The replaced operators pair malloc with free; the compiler cannot see that
// every operator new of the program is this one.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

enum class Pair { Minimal, EngineMinimal, EngineStandin };
const char* const kPairNames[] = {"minimal", "engine+min", "engine+standin"};
const uint16_t kPort = 50013;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// What the process holds now.
struct Holdings {
    long rssKiB = 0;
    long fds = 0;
    long threads = 0;

    static Holdings Now() {
        Holdings h;
        std::ifstream statm("/proc/self/statm");
        long size = 0, resident = 0;
        statm >> size >> resident;
        h.rssKiB = resident * (sysconf(_SC_PAGESIZE) / 1024);
        if (DIR* dir = opendir("/proc/self/fd")) {
            while (readdir(dir) != nullptr) ++h.fds;
            closedir(dir);
        }
        if (DIR* dir = opendir("/proc/self/task")) {
            while (readdir(dir) != nullptr) ++h.threads;
            closedir(dir);
        }
        return h;
    }
};

// Samples the process every 20 ms while it lives (more often would cost the
// run time of its own); Stop() gives the largest of each figure seen.
class CSampler {
public:
    CSampler()
        : m_thread([this] {
              while (!m_stop) {
                  const Holdings now = Holdings::Now();
                  m_peak.rssKiB = std::max(m_peak.rssKiB, now.rssKiB);
                  m_peak.fds = std::max(m_peak.fds, now.fds);
                  m_peak.threads = std::max(m_peak.threads, now.threads);
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          }) {}
    Holdings Stop() {
        m_stop = true;
        m_thread.join();
        return m_peak;
    }

private:
    std::atomic<bool> m_stop{false};
    Holdings m_peak;
    std::thread m_thread;
};

// Runs the body once per device, each on its own thread; the time they took.
double RunDevices(int count, const std::function<bool(int)>& body, std::atomic<int>& failures) {
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        workers.emplace_back([&, i] {
            if (!body(i)) ++failures;
        });
    for (auto& worker : workers) worker.join();
    return Seconds(Clock::now() - start);
}

struct Fleet {
    std::vector<std::unique_ptr<CMinimalDevice>> minimal;
    std::unique_ptr<CStandinHarness> standin;
    std::vector<std::string> addresses;
    std::string error;

    bool Ok() const { return error.empty(); }
    bool Recorded(int i, uint32_t crc, uint64_t size) {
        if (standin) {
            const auto loads = standin->Device(i).Loads();
            return !loads.empty() && loads.back().recorded && loads.back().crc == crc && loads.back().size == size;
        }
        return minimal[static_cast<size_t>(i)]->RecordedCrc() == crc &&
               minimal[static_cast<size_t>(i)]->RecordedSize() == size;
    }
};

void MakeMinimal(Fleet& fleet, int group, int count, bool window) {
    for (int i = 1; i <= count; ++i) {
        fleet.addresses.push_back(CStandinHarness::DeviceAddress(group, i));
        fleet.minimal.push_back(std::make_unique<CMinimalDevice>(fleet.addresses.back(), kPort, window));
        if (!fleet.minimal.back()->Ok()) fleet.error = "cannot bind " + fleet.addresses.back();
    }
}

void MakeStandin(Fleet& fleet, int group, int count, bool window) {
    StandinUpdateProfile profile;
    profile.startReplyLength = window ? 11 : 9;
    profile.recordSteps = 0;
    profile.recordPaceMs = 0;
    profile.loadsKept = 1;
    profile.keepBytes = false;
    // One thread per device, each waiting on its device's socket as a device
    // of its own would: a thread that plays several devices is one thread to
    // the scheduler, so it gets one share of a processor for the work of
    // several (plain mode at 64 devices reached a third of the floor with
    // one thread per processor).
    fleet.standin = std::make_unique<CStandinHarness>(group, count, profile, UpdateTimeouts(), count);
    if (!fleet.standin->Ok()) fleet.error = fleet.standin->Error();
    for (int i = 0; i < count; ++i) fleet.addresses.push_back(fleet.standin->Address(i));
}

std::map<std::string, double> g_medianSeconds;

// Takes the time-outs out of the settings, as they are before the first
// update after installing.
void ForgetTimeouts() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", 0, KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS)
        return;
    for (const char* name : {"UpgradePacketTimeout", "UpgradeResetTimeout", "RecordPacketTimeout2"})
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void BM_Update(benchmark::State& state, Pair pair, bool window, int devices) {
    const size_t size = devices == 1 ? 8u << 20 : 2u << 20;
    const std::vector<uint8_t> image = RandomBytes(size, 5);
    const std::string package(image.begin(), image.end());
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(package.data());
    const uint32_t crc = ImageCrc(bytes, size);
    // Groups: the floor's devices, then the pair's, apart for each case
    // (256 devices take two groups).
    static int nextGroup = 1;
    const int floorGroup = nextGroup;
    const int pairGroup = nextGroup + 2;
    nextGroup += 4;

    ScopedRegistryDir registry;
    CStandinHarness::SetTimeouts(UpdateTimeouts());
    Fleet floor;
    MakeMinimal(floor, floorGroup, devices, window);
    Fleet fleet;
    if (pair == Pair::EngineMinimal) MakeMinimal(fleet, pairGroup, devices, window);
    if (pair == Pair::EngineStandin) MakeStandin(fleet, pairGroup, devices, window);
    if (!floor.Ok() || !fleet.Ok()) {
        state.SkipWithError((floor.error + fleet.error).c_str());
        return;
    }
    CWizardState sheet;
    sheet.m_nFamily = 2;  // the whole package goes to every device
    sheet.m_strPackagePath = "/bench/fw_v1.0.0.zpk";
    AddSelectedDevices(sheet, fleet.addresses, kPort);
    CQuietReport report;
    CUpdateEngine engine(sheet, report);
    engine.PackageBytes() = package;

    std::vector<double> seconds, floorSeconds, allocations, firstSeconds, firstVsWarm, settingsSeconds;
    Holdings grown;
    std::atomic<int> failures{0};
    std::string wrong;
    const auto checkRecorded = [&] {
        for (int i = 0; i < devices; ++i)
            if (!fleet.Recorded(i, crc, size)) wrong = "device " + std::to_string(i) + " recorded a wrong image";
    };
    for (auto _ : state) {
        floorSeconds.push_back(RunDevices(
            devices, [&](int i) { return MinimalLoad(floor.addresses[static_cast<size_t>(i)], kPort, bytes, size); },
            failures));
        for (int i = 0; i < devices; ++i)
            if (!floor.Recorded(i, crc, size)) wrong = "the floor recorded a wrong image";
        if (pair == Pair::Minimal) {
            state.SetIterationTime(floorSeconds.back());
            seconds.push_back(floorSeconds.back());
            continue;
        }
        const Holdings before = Holdings::Now();
        std::unique_ptr<CSampler> sampler(pair == Pair::EngineStandin && devices > 1 ? new CSampler : nullptr);
        const long allocationsBefore = g_allocations.load();
        seconds.push_back(RunDevices(devices, [&](int i) { return engine.UpdateDevice(i) == 1; }, failures));
        allocations.push_back(static_cast<double>(g_allocations.load() - allocationsBefore));
        if (sampler) {
            const Holdings peak = sampler->Stop();
            grown.rssKiB = std::max(grown.rssKiB, peak.rssKiB - before.rssKiB);
            grown.fds = std::max(grown.fds, peak.fds - before.fds);
            grown.threads = std::max(grown.threads, peak.threads - before.threads);
        }
        state.SetIterationTime(seconds.back());
        checkRecorded();

        ForgetTimeouts();
        const auto creating = Clock::now();
        CreateMissingUpdateTimeouts();
        settingsSeconds.push_back(Seconds(Clock::now() - creating));
        firstSeconds.push_back(RunDevices(devices, [&](int i) { return engine.UpdateDevice(i) == 1; }, failures));
        firstVsWarm.push_back(seconds.back() / firstSeconds.back());
        checkRecorded();
        CStandinHarness::SetTimeouts(UpdateTimeouts());
    }
    if (failures > 0 || !wrong.empty()) {
        state.SkipWithError((report.Error() + " " + wrong).c_str());
        return;
    }
    const double total = static_cast<double>(size) * devices;
    const double median = Median(seconds);
    state.counters["MBps"] = total / median / 1e6;
    state.counters["floor_MBps"] = total / Median(floorSeconds) / 1e6;
    state.counters["vs_floor"] = Median(floorSeconds) / median;
    state.counters["ms_per_device"] = median * 1000 / devices;
    const std::string key = std::string(kPairNames[static_cast<int>(pair)]) + (window ? "/window/" : "/plain/");
    g_medianSeconds[key + std::to_string(devices)] = median;
    if (devices == 256 && g_medianSeconds.count(key + "64") != 0)
        state.counters["vs_64"] = median / g_medianSeconds[key + "64"];
    if (!allocations.empty())
        state.counters["allocs_per_datagram"] = Median(allocations) / (total / 512);
    if (!firstSeconds.empty()) {
        const double first = Median(firstSeconds);
        state.counters["first_MBps"] = total / first / 1e6;
        state.counters["first_vs_floor"] = Median(floorSeconds) / first;
        state.counters["first_vs_warm"] = Median(firstVsWarm);
        state.counters["settings_ms"] = Median(settingsSeconds) * 1000;
    }
    if (pair == Pair::EngineStandin && devices > 1) {
        state.counters["rss_KiB_per_device"] = static_cast<double>(grown.rssKiB) / devices;
        state.counters["fds_per_device"] = static_cast<double>(grown.fds) / devices;
        state.counters["threads_per_device"] = static_cast<double>(grown.threads) / devices;
    }
}

// Each case in the order: both modes, 1, 64 and 256 devices, the floor first.
const bool kRegistered = [] {
    for (bool window : {true, false}) {
        for (int devices : {1, 64, 256}) {
            for (Pair pair : {Pair::Minimal, Pair::EngineMinimal, Pair::EngineStandin}) {
                const std::string name = std::string("update/") + (window ? "window/" : "plain/") +
                                         std::to_string(devices) + "/" + kPairNames[static_cast<int>(pair)];
                benchmark::RegisterBenchmark(name.c_str(), BM_Update, pair, window, devices)
                    ->Iterations(devices == 1 ? 7 : devices == 64 ? 5 : 3)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
