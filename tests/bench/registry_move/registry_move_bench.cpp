// Moving the program's key from the machine root to the user's root, as
// start-up does, when the machine's key holds 10,000 and 100,000 values
// (and a subkey of 100 values for each thousand): the move reads the source
// once and writes each root once, so ten times the values should take about
// ten times as long.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/base/registry_helpers.h"

namespace {

std::string MachineFile(int values) {
    std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin]\n";
    for (int i = 0; i < values; ++i) text += "\"Value" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    for (int k = 0; k < values / 1000; ++k) {
        text += "\n[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin\\Sub" + std::to_string(k) + "]\n";
        for (int i = 0; i < 100; ++i) text += "\"v" + std::to_string(i) + "\"=dword:0000000" + std::to_string(i % 10) + "\n";
    }
    return text;
}

void Replace(const std::string& path, const std::string& text) {
    {
        std::ofstream out(path + ".edit", std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::filesystem::rename(path + ".edit", path);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void BM_MoveRegistryKey(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "trelwin-move-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no folder");
        return;
    }
    setenv("TRELWIN_REGISTRY_DIR", folder.c_str(), 1);
    const std::string text = MachineFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Replace(folder + "/HKEY_LOCAL_MACHINE.reg", text);
        std::filesystem::remove(folder + "/HKEY_CURRENT_USER.reg");
        state.ResumeTiming();
        if (MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin") != 1)
            state.SkipWithError("not moved");
        state.PauseTiming();
        if (KeyExists(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin") ||
            !KeyExists(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin\\Sub0"))
            state.SkipWithError("the tree did not move");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    unsetenv("TRELWIN_REGISTRY_DIR");
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_MoveRegistryKey)->ArgName("values")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
