// The progress page's cost over the update engine it drives.
//
// progress/64x2MiB: 64 stand-in devices on loopback take a 2 MiB package
// whole (window mode), once through the engine alone (64 worker threads of
// the program's thread template running UpdateDevice with a report that
// keeps nothing) and once through the
// page in the program's sheet on the virtual screen (rows, messages, gauge,
// label, clocks), from the page's start of a pass until it offers Finish.
// Each iteration runs both against the same devices, each first every
// other time; the figures are medians:
//   engine_ms, page_ms   the two runs;
//   page_extra_pct       how much longer the page took, in percent (the
//                        median of the iterations' ratios);
//   ui_cpu_ms            the window thread's processor time during the page's run.
//
// progress/message: the window thread's time for one MSG_UPDATE_PROGRESS, a
// percent that changes a row of 64: sent from another thread (the handler
// and the cross-thread delivery, as the workers send it) and called on the
// window's own thread (the handler alone). Every device records its image
// whole (length and CRC-32 checked).
#include <benchmark/benchmark.h>

#include <time.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/display.h"
#include "common/thread/thread.h"
#include "platform/threading/threading.h"
#include "tests/app/update/update_harness.h"
#include "tests/app/pages/progress_sheet.h"
#include "tools/package_maker/package_maker.h"

namespace {

using Clock = std::chrono::steady_clock;
using progress_test::CProgressSheet;
namespace pm = package_maker;

const int kDevices = 64;
const size_t kPackageBytes = 2u << 20;
const int kIterations = 9;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A package of about 2 MiB that goes whole to a family-2 device: its plain
// container and the encrypted file.
struct Package {
    std::string plain;
    std::string path;
    Package() {
        pm::Image image;
        image.sections = pm::MakeDeviceTypeSections(4);
        const std::vector<uint8_t> body = RandomBytes(kPackageBytes - 200, 3);
        image.sections.push_back(pm::MakeSection(0x0401, 1, "02.0.0", std::string(body.begin(), body.end())));
        plain = pm::BuildImage(image);
        path = "/tmp/trelwin_progress_bench_" + std::to_string(getpid()) + "_v2.0.0.zpk";
        std::string error;
        pm::WriteFile(path, pm::EncryptPackage(plain), error);
    }
    ~Package() { std::remove(path.c_str()); }
};

StandinUpdateProfile FastDevice() {
    StandinUpdateProfile profile;
    profile.recordSteps = 0;
    profile.recordPaceMs = 0;
    profile.loadsKept = 1;
    profile.keepBytes = false;
    return profile;
}

bool AllRecorded(CStandinHarness& devices, uint32_t crc, uint64_t size) {
    for (int i = 0; i < devices.Count(); ++i) {
        const auto loads = devices.Device(i).Loads();
        if (loads.empty() || !loads.back().recorded || loads.back().crc != crc || loads.back().size != size)
            return false;
    }
    return true;
}

// The engine alone, run by the worker-thread template as the page runs it.
struct CEngineRun {
    CUpdateEngine& engine;
    std::atomic<int> failed{0};
    UINT Update(int nIndex) {
        if (engine.UpdateDevice(nIndex) != 1) ++failed;
        return 0;
    }
};

void BM_PageAgainstEngine(benchmark::State& state) {
    trelwin::display::use_headless(1024, 768);
    const Package package;
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(package.plain.data()), static_cast<uInt>(package.plain.size())));
    const int standins = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    CStandinHarness devices(10, kDevices, FastDevice(), UpdateTimeouts(), standins);
    if (!devices.Ok()) {
        state.SkipWithError(devices.Error().c_str());
        return;
    }
    CWizardState sheet;
    sheet.m_nFamily = 2;
    sheet.m_strPackagePath = package.path.c_str();
    std::vector<std::string> addresses;
    for (int i = 0; i < kDevices; ++i) addresses.push_back(devices.Address(i));
    AddSelectedDevices(sheet, addresses);
    CQuietReport report;
    CUpdateEngine engine(sheet, report);
    engine.PackageBytes() = package.plain;

    std::vector<double> engineMs, pageMs, uiCpuMs, ratios;
    std::string wrong;
    // The engine alone, run by the worker-thread template as the page runs it.
    auto runEngine = [&] {
        const auto start = Clock::now();
        CEngineRun alone{engine};
        std::vector<std::unique_ptr<CThread<CEngineRun>>> workers;
        for (int i = 0; i < kDevices; ++i) {
            workers.push_back(std::make_unique<CThread<CEngineRun>>());
            workers.back()->Start(&alone, &CEngineRun::Update, i, THREAD_PRIORITY_NORMAL, TRUE);
        }
        for (auto& worker : workers) worker->WaitForEnd(INFINITE);
        engineMs.push_back(Milliseconds(Clock::now() - start));
        if (alone.failed > 0 || !report.Error().empty() || !AllRecorded(devices, crc, package.plain.size()))
            wrong = "the engine alone did not update every device";
    };
    // The page: the sheet opens on it with nothing ticked; then the devices
    // are ticked and the page starts a pass as when it is shown. Its time
    // ends when it offers Finish, seen by a thread of its own.
    auto runPage = [&] {
        CProgressSheet run(package.path);
        for (int i = 0; i < kDevices; ++i) run.AddDevice(devices.Address(i), 50013, "D", false);
        std::atomic<bool> finished{false};
        Clock::time_point start, end;
        double cpuStart = 0;
        std::thread watcher;
        run.Run({
            [&] {
                for (int i = 0; i < kDevices; ++i) run.sheet.m_devices[i]->m_nSelected = 1;
                HWND finish = ::GetDlgItem(run.sheet.m_hWnd, ID_WIZFINISH);
                cpuStart = ThreadCpuMs();
                start = Clock::now();
                watcher = std::thread([&, finish] {
                    while (!::IsWindowEnabled(finish) && Clock::now() - start < std::chrono::seconds(60))
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    end = Clock::now();
                    finished = true;
                });
                run.Page()->OnSetActive();
            },
            progress_test::Until([&] { return finished.load(); }, 3000),
            [&] {
                uiCpuMs.push_back(ThreadCpuMs() - cpuStart);
                run.sheet.PressButton(PSBTN_FINISH);
            },
        });
        if (watcher.joinable()) watcher.join();
        pageMs.push_back(Milliseconds(end - start));
        if (!run.Enabled(ID_WIZFINISH) && !AllRecorded(devices, crc, package.plain.size()))
            wrong = "the page did not update every device";
    };
    int iteration = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        // Each goes first every other time, so that both see the same drift
        // of the machine's load.
        if (iteration++ % 2 == 0) {
            runEngine();
            runPage();
        } else {
            runPage();
            runEngine();
        }
        ratios.push_back(pageMs.back() / engineMs.back());
        state.SetIterationTime(Milliseconds(Clock::now() - start) / 1000);
    }
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    const double engineMedian = Median(engineMs);
    const double pageMedian = Median(pageMs);
    state.counters["engine_ms"] = engineMedian;
    state.counters["page_ms"] = pageMedian;
    state.counters["page_extra_pct"] = (Median(ratios) - 1) * 100;
    state.counters["ui_cpu_ms"] = Median(uiCpuMs);
}

// Percents that change one of 64 rows each time, never all at 100.
int PercentOf(int k) { return 1 + (k / kDevices) % 98; }

void BM_ProgressMessage(benchmark::State& state) {
    trelwin::display::use_headless(1024, 768);
    const Package package;
    StandinUpdateProfile deaf;
    deaf.resetAnswers = false;
    CStandinHarness devices(11, kDevices, deaf, UpdateTimeouts{1000, 60000, 5000});
    if (!devices.Ok()) {
        state.SkipWithError(devices.Error().c_str());
        return;
    }
    const int messages = 64 * 98 * 4;
    double crossCpuUs = 0, crossWallUs = 0, directUs = 0;
    bool ready = false;
    for (auto _ : state) {
        CProgressSheet run(package.path);
        for (int i = 0; i < kDevices; ++i) run.AddDevice(devices.Address(i), 50013, "D", true);
        run.Run({
            progress_test::Until([&] {
                return run.AllRows(CPropertyPageProgress::COLUMN_STATUS,
                                   [](const std::string& t) { return t == "Reseting Device..."; });
            }),
            [&] {
                ready = run.Rows() == kDevices;
                HWND page = run.Page()->m_hWnd;
                // From another thread, as the workers send it.
                HANDLE sent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
                Clock::duration wall{};
                std::thread sender([&] {
                    const auto start = Clock::now();
                    for (int k = 0; k < messages; ++k)
                        ::SendMessageA(page, MSG_UPDATE_PROGRESS, static_cast<WPARAM>(k % kDevices), PercentOf(k));
                    wall = Clock::now() - start;
                    ::SetEvent(sent);
                });
                const double cpuBefore = ThreadCpuMs();
                ::MsgWaitForMultipleObjects(1, &sent, FALSE, 120000, 0);
                crossCpuUs = (ThreadCpuMs() - cpuBefore) * 1000 / messages;
                sender.join();
                ::CloseHandle(sent);
                crossWallUs = std::chrono::duration<double, std::micro>(wall).count() / messages;
                // On the window's own thread: the handler alone.
                const auto start = Clock::now();
                for (int k = 0; k < messages; ++k)
                    ::SendMessageA(page, MSG_UPDATE_PROGRESS, static_cast<WPARAM>(k % kDevices),
                                   PercentOf(k + kDevices));
                directUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / messages;
                run.sheet.PressButton(PSBTN_CANCEL);
            },
        });
        state.SetIterationTime(crossWallUs * messages / 1e6);
    }
    if (!ready) {
        state.SkipWithError("the page did not list the devices");
        return;
    }
    state.counters["ui_cpu_us_sent"] = crossCpuUs;
    state.counters["round_trip_us"] = crossWallUs;
    state.counters["handler_us"] = directUs;
}

BENCHMARK(BM_PageAgainstEngine)
    ->Name("progress/64x2MiB")
    ->Iterations(kIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressMessage)->Name("progress/message")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
