// A discovery run through the Discover page (its Refresh) against 250
// stand-in devices in the private network, with the page's window procedure
// wrapped to time what the page's thread does:
//   run_end_to_list_ms  from the end of the run (Refresh returns: the last
//                       discoverer has ended) to the list showing every row
//                       (its refill done and its window painted);
//   us_per_message      the page's time per discovery message (mean; the
//                       slowest in max_us_per_message);
//   messages, rows      discovery messages handled and rows listed per run;
//   refills             list refills per run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "tests/app/pages/discover_page_harness.h"

using namespace discover_page_test;

namespace
{

constexpr int kDevices = 250;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// What the wrapped procedure saw during one run.
struct Measured
{
    WNDPROC previous = nullptr;
    HWND list = nullptr;
    std::vector<double> messageUs;
    Clock::time_point listShown{};
    int refills = 0;
};

Measured g_measured;

LRESULT CALLBACK MeasuringProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const Clock::time_point start = Clock::now();
    const LRESULT result = ::CallWindowProcA(g_measured.previous, hwnd, msg, wParam, lParam);
    if (msg >= MSG_DISCOVER_DEVICE_FOUND && msg <= MSG_DISCOVER_END)
        g_measured.messageUs.push_back(Ms(Clock::now() - start) * 1000.0);
    if (msg == MSG_DEVICE_LIST_CHANGED)
    {
        ::UpdateWindow(g_measured.list);
        g_measured.listShown = Clock::now();
        ++g_measured.refills;
    }
    return result;
}

std::string CheckNetwork(const PrivateNetwork& net)
{
    if (!net.IsPresent() || net.deviceCount < kDevices)
        return "needs root and the private network with 250 device addresses: run it as "
               "tests/net/private_network.sh run --devices 250 -- <this program>";
    CBriselMultiDiscover probe;
    CStringList addresses;
    probe.ListLocalAddresses(addresses);
    if (addresses.GetCount() != 1 || std::string(static_cast<LPCTSTR>(addresses.GetHead())) != net.programAddress)
        return "an interface other than the private one can broadcast here: not broadcasting";
    return "";
}

void BM_DiscoverPageRun250Devices(benchmark::State& state)
{
    const PrivateNetwork net = PrivateNetwork::FromEnvironment();
    const std::string problem = CheckNetwork(net);
    if (!problem.empty())
    {
        state.SkipWithError(problem.c_str());
        return;
    }
    std::vector<std::string> lines;
    const int types[] = {23, 24, 26, 27};  // all of the package's family
    for (int n = 1; n <= kDevices; ++n)
    {
        lines.push_back(net.Device(n) + " type=" + std::to_string(types[n % 4]) + " version=6.8." +
                        std::to_string(n) + " name=Device-" + std::to_string(n) + " status=Connected");
    }
    discovery_test::CStandinProcess standin;
    std::string error;
    if (!standin.Start(net, lines, error))
    {
        state.SkipWithError(error.c_str());
        return;
    }
    trelwin::display::use_headless(1024, 768);
    const std::string registry = "/tmp/trelwin_discover_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(registry);
    ::setenv("TRELWIN_REGISTRY_DIR", registry.c_str(), 1);

    double toList = 0, perMessage = 0, slowest = 0, messages = 0, rows = 0, refills = 0;
    for (auto _ : state)
    {
        // The page's first run, when it shows, is one receive attempt; the
        // measured run is Refresh's, of the program's default length.
        WriteRegistryString("0", "DiscoverDevicesTimeout");
        CZeloPropertySheet sheet("", nullptr, 1);
        ApplyPackage(sheet, {});
        Clock::time_point runEnd{};
        RunSheet(sheet, {[&] {
                             g_measured = Measured();
                             g_measured.list = PageItem(sheet, IDC_DEVICE_LIST);
                             g_measured.previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                                 PageOf(sheet), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MeasuringProc)));
                             WriteRegistryString("2", "DiscoverDevicesTimeout");
                         },
                         [&] {
                             g_measured.messageUs.clear();
                             g_measured.refills = 0;
                             ClickButton(sheet, IDC_REFRESH);
                             runEnd = Clock::now();
                         },
                         [&] {
                             rows += static_cast<double>(::SendMessageA(g_measured.list, LVM_GETITEMCOUNT, 0, 0));
                             ::SetWindowLongPtrA(PageOf(sheet), GWLP_WNDPROC,
                                                 reinterpret_cast<LONG_PTR>(g_measured.previous));
                             sheet.PressButton(PSBTN_CANCEL);
                         }});
        toList += Ms(g_measured.listShown - runEnd);
        double sum = 0;
        for (double us : g_measured.messageUs)
        {
            sum += us;
            slowest = std::max(slowest, us);
        }
        messages += static_cast<double>(g_measured.messageUs.size());
        perMessage += g_measured.messageUs.empty() ? 0 : sum / static_cast<double>(g_measured.messageUs.size());
        refills += g_measured.refills;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["run_end_to_list_ms"] = toList / runs;
    state.counters["us_per_message"] = perMessage / runs;
    state.counters["max_us_per_message"] = slowest;
    state.counters["messages"] = messages / runs;
    state.counters["rows"] = rows / runs;
    state.counters["refills"] = refills / runs;
    if (rows / runs != kDevices)
        state.SkipWithError("not every device was listed");
    std::filesystem::remove_all(registry);
}

}  // namespace

BENCHMARK(BM_DiscoverPageRun250Devices)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
