// Reading settings from a file that does not change, as every update worker
// does at the start of each protocol step: one ReadRegistryInt of one value
// with the program's six values and with 100,000 more beside them, and 256
// threads at once each reading ten values. An unchanged file should cost a
// look at its identity, not a read and a parse, whatever its size.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/registry_settings.h"

namespace {

const char* const kNames[] = {"DiscoverDevicesTimeout", "DiscoverManualDevicesTimeout", "UpgradePacketTimeout",
                              "UpgradeResetTimeout", "RecordPacketTimeout2", "Extra0", "Extra1", "Extra2",
                              "Extra3", "Extra4"};

std::string SettingsFile(int more) {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n";
    for (int i = 0; i < 10; ++i) text += std::string("\"") + kNames[i] + "\"=\"" + std::to_string(1000 + i) + "\"\n";
    for (int i = 0; i < more; ++i) text += "\"Value" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    return text;
}

// A private registry folder holding a settings file written a while ago.
class RestingSettings {
public:
    explicit RestingSettings(int more) {
        folder_ = (std::filesystem::temp_directory_path() / "trelwin-settings-bench-XXXXXX").string();
        if (!mkdtemp(folder_.data())) return;
        setenv("TRELWIN_REGISTRY_DIR", folder_.c_str(), 1);
        std::ofstream(folder_ + "/HKEY_CURRENT_USER.reg", std::ios::binary) << SettingsFile(more);
        // A file changed within the last clock ticks is compared in full
        // at each read; a settings file at rest is older than that.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        ok_ = true;
    }
    ~RestingSettings() {
        unsetenv("TRELWIN_REGISTRY_DIR");
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    bool Ok() const { return ok_; }

private:
    std::string folder_;
    bool ok_ = false;
};

void BM_ReadRegistryInt(benchmark::State& state) {
    RestingSettings settings(static_cast<int>(state.range(0)));
    if (!settings.Ok()) state.SkipWithError("no folder");
    for (auto _ : state) {
        if (ReadRegistryInt("UpgradePacketTimeout", 5000) != 1002) state.SkipWithError("wrong value");
    }
}

void BM_ThreadsReadTenValues(benchmark::State& state) {
    RestingSettings settings(static_cast<int>(state.range(0)));
    if (!settings.Ok()) state.SkipWithError("no folder");
    const int threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        std::vector<std::thread> readers;
        std::vector<int> wrong(static_cast<size_t>(threads), 0);
        for (int t = 0; t < threads; ++t) {
            readers.emplace_back([t, &wrong] {
                for (int i = 0; i < 10; ++i)
                    if (ReadRegistryInt(kNames[i], -1) != 1000 + i) ++wrong[static_cast<size_t>(t)];
            });
        }
        for (std::thread& reader : readers) reader.join();
        for (int w : wrong)
            if (w) state.SkipWithError("wrong value");
    }
    state.SetItemsProcessed(state.iterations() * threads * 10);
}

}  // namespace

BENCHMARK(BM_ReadRegistryInt)->ArgName("values")->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThreadsReadTenValues)
    ->ArgNames({"values", "threads"})
    ->Args({0, 256})
    ->Args({100000, 256})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
