// One non-periodic broadcast discovery run, as the Discover page makes it,
// against 250 stand-in devices in the private network: how many devices,
// versions and settings arrive within one listening time, when the last of
// each was handled by the owner window (WaitEnd pumps it every 50 ms), and
// the CPU time this process spent on the run.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include "tests/net/discovery_harness.h"
#include "tests/net/standin_process.h"

using namespace discovery_test;

namespace {

constexpr int kDevices = 250;
constexpr int kPort = 50013;

double CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Why the private network is missing or unsafe to broadcast in; "" when fine.
std::string CheckNetwork(const PrivateNetwork& net) {
    if (!net.IsPresent() || net.deviceCount < kDevices) {
        return "needs root and the private network with 250 device addresses: run it as "
               "tests/net/private_network.sh run --devices 250 -- <this program>";
    }
    CBriselMultiDiscover probe;
    CStringList addresses;
    probe.ListLocalAddresses(addresses);
    if (addresses.GetCount() != 1 || std::string(static_cast<LPCTSTR>(addresses.GetHead())) != net.programAddress) {
        return "an interface other than the private one can broadcast here: not broadcasting";
    }
    return "";
}

// state.range(0): listening time in ms; state.range(1): 1 to ask for
// version and settings (as the page does), 0 to discover only.
void BM_BroadcastRun250Devices(benchmark::State& state) {
    const PrivateNetwork net = PrivateNetwork::FromEnvironment();
    const std::string problem = CheckNetwork(net);
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    std::vector<std::string> lines;
    for (int n = 1; n <= kDevices; ++n) {
        lines.push_back(net.Device(n) + " type=" + std::to_string(23 + n % 4) + " version=6.8." + std::to_string(n) +
                        " name=Device-" + std::to_string(n) + " status=Connected");
    }
    CStandinProcess standin;
    std::string error;
    if (!standin.Start(net, lines, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const DWORD listenMs = static_cast<DWORD>(state.range(0));
    const int ask = static_cast<int>(state.range(1));
    double found = 0, versions = 0, settings = 0, cpu = 0, lastFound = 0, lastVersion = 0, lastSettings = 0;
    for (auto _ : state) {
        CDiscoveryOwner owner;
        CBriselMultiDiscover multi;
        multi.m_hWndOwner = owner.m_hwnd;
        owner.m_pMulti = &multi;
        const double cpuBefore = CpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        multi.Start(0, 0, ask, 1, "", ask, "", listenMs, 0, kPort, nullptr, nullptr, 0);
        multi.WaitEnd();
        cpu += CpuMilliseconds() - cpuBefore;
        found += owner.Count(MSG_DISCOVER_DEVICE_FOUND);
        versions += owner.Count(MSG_DISCOVER_DEVICE_VERSION);
        settings += owner.Count(MSG_DISCOVER_DEVICE_SETTINGS);
        auto lastOf = [&](UINT message) {
            double last = 0;
            for (const auto& e : owner.m_events) {
                if (e.message == message) last = std::chrono::duration<double, std::milli>(e.when - start).count();
            }
            return last;
        };
        lastFound += lastOf(MSG_DISCOVER_DEVICE_FOUND);
        lastVersion += lastOf(MSG_DISCOVER_DEVICE_VERSION);
        lastSettings += lastOf(MSG_DISCOVER_DEVICE_SETTINGS);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["found"] = found / runs;
    state.counters["versions"] = versions / runs;
    state.counters["settings"] = settings / runs;
    state.counters["cpu_ms"] = cpu / runs;
    state.counters["last_found_ms"] = lastFound / runs;
    state.counters["last_version_ms"] = lastVersion / runs;
    state.counters["last_settings_ms"] = lastSettings / runs;
}

}  // namespace

BENCHMARK(BM_BroadcastRun250Devices)
    ->Args({2000, 1})
    ->Args({2000, 0})
    ->Args({6000, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
