// The image loader against libpng alone on a full-HD RGBA picture, and one
// value change of the progress gauge from SetPercent to the painted window.
//
//   bench_drawing
//
// BM_PngPlainDecode is libpng's own decode of the bytes into memory (RGBA
// rows, no transformations); BM_PngLoader is the loader's whole road to a
// premultiplied DIB section. Their ratio (plain / loader) is the loader's
// efficiency. BM_GaugeSetPercent is one SetPercent(value, TRUE) of the
// 729 x 20 gauge and the handling of what it posts, paint included.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "drawing/drawing_progress_wnd.h"
#include "drawing/extended_bitmap.h"
#include "platform/display/display.h"
#include "tests/drawing/png_maker.h"

namespace
{

const int WIDTH = 1920;
const int HEIGHT = 1080;

// A picture with smooth colours, some grain and alpha from clear to opaque,
// deflated as a photo-like PNG would be.
const std::vector<uint8_t>& FullHdPng()
{
    static const std::vector<uint8_t> png = [] {
        png_maker::Spec spec;
        spec.width = WIDTH;
        spec.height = HEIGHT;
        spec.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        uint32_t seed = 12345;
        for (int y = 0; y < HEIGHT; ++y)
        {
            std::vector<uint8_t> row(WIDTH * 4);
            for (int x = 0; x < WIDTH; ++x)
            {
                seed = seed * 1103515245 + 12345;
                const int grain = static_cast<int>((seed >> 16) & 7);
                row[x * 4] = static_cast<uint8_t>((x * 255 / WIDTH + grain) & 0xFF);
                row[x * 4 + 1] = static_cast<uint8_t>((y * 255 / HEIGHT + grain) & 0xFF);
                row[x * 4 + 2] = static_cast<uint8_t>(((x + y) / 8 + grain) & 0xFF);
                row[x * 4 + 3] = static_cast<uint8_t>(x * 255 / (WIDTH - 1));
            }
            spec.rows.push_back(std::move(row));
        }
        return png_maker::Make(spec);
    }();
    return png;
}

void BM_PngPlainDecode(benchmark::State& state)
{
    const std::vector<uint8_t>& png = FullHdPng();
    std::vector<png_bytep> rows(HEIGHT);
    for (auto _ : state)
    {
        // A new image each time, as the loader makes one (left uninitialised,
        // which favours this side).
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[static_cast<size_t>(WIDTH) * HEIGHT * 4]);
        for (int y = 0; y < HEIGHT; ++y) rows[y] = pixels.get() + static_cast<size_t>(y) * WIDTH * 4;
        struct Reader
        {
            const uint8_t* data;
            size_t size;
            size_t at;
        } reader{png.data(), png.size(), 0};
        png_structp read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(read);
        png_set_read_fn(read, &reader, [](png_structp p, png_bytep out, png_size_t n) {
            auto* r = static_cast<Reader*>(png_get_io_ptr(p));
            std::copy(r->data + r->at, r->data + r->at + n, out);
            r->at += n;
        });
        png_read_info(read, info);
        png_read_update_info(read, info);
        png_read_image(read, rows.data());
        png_destroy_read_struct(&read, &info, nullptr);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetItemsProcessed(state.iterations() * WIDTH * HEIGHT);
}
BENCHMARK(BM_PngPlainDecode)->Unit(benchmark::kMillisecond);

void BM_PngLoader(benchmark::State& state)
{
    const std::vector<uint8_t>& png = FullHdPng();
    for (auto _ : state)
    {
        CExtendedBitmap bitmap;
        BOOL hasAlpha = FALSE;
        if (!bitmap.LoadFromMemory(png.data(), static_cast<DWORD>(png.size()), 0, &hasAlpha) || !hasAlpha)
        {
            state.SkipWithError("the loader refused the picture");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * WIDTH * HEIGHT);
}
BENCHMARK(BM_PngLoader)->Unit(benchmark::kMillisecond);

void PumpAll()
{
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        DispatchMessageA(&msg);
    }
}

void BM_GaugeSetPercent(benchmark::State& state)
{
    trelwin::display::use_headless(800, 200);
    CWnd page;
    page.CreateEx(0, nullptr, "page", WS_POPUP | WS_VISIBLE, 0, 0, 760, 80, nullptr, nullptr);
    CDrawingObjectProgressWnd gauge;
    gauge.CreateMapObject();
    gauge.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(12, 30, 10, 10), &page, 13);
    gauge.GetProgress()->LoadBitmaps(136, 137);
    PumpAll();
    int value = 0;
    for (auto _ : state)
    {
        value = (value + 37) % 101;
        gauge.GetProgress()->SetPercent(value, TRUE);
        PumpAll();
    }
    gauge.DestroyWindow();
    page.DestroyWindow();
    PumpAll();
}
BENCHMARK(BM_GaugeSetPercent)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
