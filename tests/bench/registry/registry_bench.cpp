// Reading and writing settings files of 10,000 and 100,000 values (all in
// one key, the case that was once quadratic) and of as many subkeys given
// in reverse order: the parse, the rewrite, and the program's path through
// the API, where a change made by another program is read and one value is
// set (read, parse, change, write). Each should take ten times as long for
// ten times the entries.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry/regedit_format.h"
#include "platform/registry/registry.h"

namespace {

using trelwin::registry::FormatRegedit;
using trelwin::registry::ParseRegedit;
using trelwin::registry::RegistryKey;

std::string ManyValues(int count) {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n";
    for (int i = 0; i < count; ++i) text += "\"Value" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    return text;
}

std::string ManySubkeysBackwards(int count) {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n\n";
    for (int i = count; i-- > 0;) text += "[HKEY_CURRENT_USER\\Keys\\K" + std::to_string(i) + "]\n\"v\"=\"x\"\n\n";
    return text;
}

std::string TextFor(const benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    return state.range(1) == 0 ? ManyValues(count) : ManySubkeysBackwards(count);
}

void BM_Parse(benchmark::State& state) {
    const std::string text = TextFor(state);
    for (auto _ : state) {
        RegistryKey root;
        if (!ParseRegedit(text, "HKEY_CURRENT_USER", root, nullptr)) state.SkipWithError("not parsed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Format(benchmark::State& state) {
    RegistryKey root;
    ParseRegedit(TextFor(state), "HKEY_CURRENT_USER", root, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(FormatRegedit(root, "HKEY_CURRENT_USER"));
}

// Another program rewrites the file; the next RegSetValueEx reads it, parses
// it, sets one value and writes the whole file back.
void BM_ChangedFileThenSetValue(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "trelwin-registry-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no folder");
        return;
    }
    setenv("TRELWIN_REGISTRY_DIR", folder.c_str(), 1);
    const std::string file = folder + "/HKEY_CURRENT_USER.reg";
    const std::string text = TextFor(state);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(file + ".edit", std::ios::binary | std::ios::trunc);
            out << text << "; round " << ++round << "\n";
        }
        std::filesystem::rename(file + ".edit", file);
        state.ResumeTiming();
        const std::string value = std::to_string(round);
        if (RegSetValueExA(key, "Changed", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
            state.SkipWithError("not written");
    }
    RegCloseKey(key);
    unsetenv("TRELWIN_REGISTRY_DIR");
    std::filesystem::remove_all(folder);
}

// Arguments: entries, and 0 for values in one key or 1 for subkeys.
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"entries", "subkeys"});
    for (int kind : {0, 1})
        for (int count : {10000, 100000}) b->Args({count, kind});
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Parse)->Apply(Sizes);
BENCHMARK(BM_Format)->Apply(Sizes);
BENCHMARK(BM_ChangedFileThenSetValue)->Apply(Sizes);

BENCHMARK_MAIN();
