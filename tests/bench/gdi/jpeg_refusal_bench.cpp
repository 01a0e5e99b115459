// What a hostile JPEG stream costs the decoder before it is refused: each
// saved input of the JPEG fuzz target (sizes claimed by a header of a few
// hundred bytes, thousands of scans), beside a real progressive picture of
// 256 x 256 decoded whole for scale.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"
#include "tests/platform/gdi/jpeg_encode.h"

namespace {

void Decode(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    for (auto _ : state) {
        std::string error;
        HBITMAP picture = trelwin::gdi::decode_jpeg(bytes.data(), bytes.size(), &error);
        if (picture) DeleteObject(picture);
        benchmark::DoNotOptimize(picture);
    }
}

std::vector<uint8_t> Progressive256() {
    std::vector<uint32_t> pixels(256 * 256);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    return gdi_test::encode_jpeg(256, 256, pixels, false, true);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("decoded/progressive_256x256", Decode, Progressive256())
        ->Unit(benchmark::kMicrosecond);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TRELWIN_JPEG_REGRESSIONS)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::RegisterBenchmark(("refused/" + file.filename().string()).c_str(), Decode, bytes)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
