// Throughput of the graphics layer's hot paths: full-screen copies and
// blends, the fills and text of a 1000-row list, and what text in scripts
// that the interface face lacks costs: the fallback lookup of a character
// met for the first time, and drawing such names once their glyphs are known.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/canvas.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A canvas of every byte 0x40.
struct Surface : gdi_test::Canvas {
    Surface(int w, int h) : Canvas(w, h) { std::memset(bits(), 0x40, static_cast<size_t>(w) * h * 4); }
};

void BM_MemcpyFullHd(benchmark::State& state) {
    std::vector<uint8_t> a(static_cast<size_t>(kWidth) * kHeight * 4, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(a.size()));
}
BENCHMARK(BM_MemcpyFullHd);

void BM_BitBltSrcCopyFullHd(benchmark::State& state) {
    Surface src(kWidth, kHeight), dst(kWidth, kHeight);
    for (auto _ : state) {
        BitBlt(dst.dc(), 0, 0, kWidth, kHeight, src.dc(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_BitBltSrcCopyFullHd);

void BM_AlphaBlendPerPixelFullHd(benchmark::State& state) {
    Surface src(kWidth, kHeight), dst(kWidth, kHeight);
    auto* p = src.bits();
    for (int i = 0; i < kWidth * kHeight; ++i) p[i] = 0x80402010u + static_cast<uint32_t>(i & 0x7F);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (auto _ : state) {
        AlphaBlend(dst.dc(), 0, 0, kWidth, kHeight, src.dc(), 0, 0, kWidth, kHeight, blend);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_AlphaBlendPerPixelFullHd);

// A list of 1000 rows of 5 cells (120 x 18 pixels each), drawn a screenful
// at a time the way a list control paints: every cell filled, then its text.
constexpr int kRows = 1000;
constexpr int kColumns = 5;
constexpr int kCellWidth = 120;
constexpr int kRowHeight = 18;

void BM_FillRectListCells(benchmark::State& state) {
    Surface target(kColumns * kCellWidth, 60 * kRowHeight);
    HBRUSH brushes[2] = {CreateSolidBrush(RGB(255, 255, 255)), CreateSolidBrush(RGB(230, 240, 255))};
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            const int y = (row % 60) * kRowHeight;
            for (int col = 0; col < kColumns; ++col) {
                RECT r{col * kCellWidth, y, (col + 1) * kCellWidth, y + kRowHeight};
                FillRect(target.dc(), &r, brushes[row & 1]);
            }
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRows * kColumns);
    DeleteObject(brushes[0]);
    DeleteObject(brushes[1]);
}
BENCHMARK(BM_FillRectListCells);

void BM_DrawTextListCells(benchmark::State& state) {
    Surface target(kColumns * kCellWidth, 60 * kRowHeight);
    LOGFONT lf{};
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(target.dc(), font);
    SetBkMode(target.dc(), TRANSPARENT);
    char texts[kColumns][32];
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            std::snprintf(texts[0], sizeof(texts[0]), "Device %d", row);
            std::snprintf(texts[1], sizeof(texts[1]), "192.168.%d.%d", row / 250, row % 250);
            std::snprintf(texts[2], sizeof(texts[2]), "%d %%", row % 101);
            std::snprintf(texts[3], sizeof(texts[3]), "%d bytes", row * 1024);
            std::snprintf(texts[4], sizeof(texts[4]), "Loading image section %d of 12", row % 12);
            const int y = (row % 60) * kRowHeight;
            for (int col = 0; col < kColumns; ++col) {
                RECT r{col * kCellWidth + 2, y, (col + 1) * kCellWidth - 2, y + kRowHeight};
                DrawText(target.dc(), texts[col], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            }
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRows * kColumns);
    SelectObject(target.dc(), old);
    DeleteObject(font);
}
BENCHMARK(BM_DrawTextListCells);

void BM_TextOutListCells(benchmark::State& state) {
    Surface target(kColumns * kCellWidth, 60 * kRowHeight);
    LOGFONT lf{};
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(target.dc(), font);
    SetBkMode(target.dc(), TRANSPARENT);
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            const int y = (row % 60) * kRowHeight;
            for (int col = 0; col < kColumns; ++col) TextOut(target.dc(), col * kCellWidth + 2, y + 2, "192.168.10.200", 14);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRows * kColumns);
    SelectObject(target.dc(), old);
    DeleteObject(font);
}
BENCHMARK(BM_TextOutListCells);

// Device names in five scripts; all but the Cyrillic and Greek ones take
// their glyphs from a fallback face.
void BM_DrawTextNamesInOtherScripts(benchmark::State& state) {
    Surface target(kCellWidth * 2, 60 * kRowHeight);
    LOGFONT lf{};
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(target.dc(), font);
    SetBkMode(target.dc(), TRANSPARENT);
    const char* names[] = {"编码器 北京大厅", "エンコーダ 東京", "인코더 서울", "Кодер Москва", "Κωδικοποιητής"};
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            RECT r{2, (row % 60) * kRowHeight, kCellWidth * 2 - 2, (row % 60 + 1) * kRowHeight};
            DrawText(target.dc(), names[row % 5], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRows);
    SelectObject(target.dc(), old);
    DeleteObject(font);
}
BENCHMARK(BM_DrawTextNamesInOtherScripts);

// One ideograph never drawn before in this process per iteration: the
// lookup of a face that has it, opening that face for the font once, and
// rendering the glyph.
void BM_FallbackFirstUseOfACharacter(benchmark::State& state) {
    Surface target(64, 32);
    LOGFONT lf{};
    lf.lfHeight = -13;
    std::strcpy(lf.lfFaceName, "Tahoma");
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(target.dc(), font);
    static uint32_t next = 0x4E00;  // across runs of the case, so that no character repeats
    for (auto _ : state) {
        const uint32_t code = next++;
        const char utf8[3] = {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (code & 0x3F))};
        TextOut(target.dc(), 2, 2, utf8, 3);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    SelectObject(target.dc(), old);
    DeleteObject(font);
}
BENCHMARK(BM_FallbackFirstUseOfACharacter)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
