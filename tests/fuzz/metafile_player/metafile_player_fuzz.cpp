// Metafiles on any bytes: playing them into a small picture either ends
// with a message or succeeds, leaves the DC as it was and leaks no object;
// the picture loader sizes them from their frame and either refuses them
// or gives a bitmap of that size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/rect.h"
#include "tests/fuzz/image_fuzz_check.h"

namespace {

constexpr int kWidth = 64, kHeight = 48;
// A low resolution keeps the pictures the frames ask for small.
constexpr SIZE kResolution{24, 24};
constexpr int64_t kMostPixels = 1 << 14;

void play(const std::vector<uint8_t>& bytes) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH), pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    std::string error;
    const bool played =
        trelwin::gdi::play_metafile(dc, RECT{0, 0, kWidth, kHeight}, bytes.data(), bytes.size(), &error);
    if (!played && error.empty()) std::abort();
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, clip) != 0 || GetCurrentObject(dc, OBJ_BRUSH) != brush ||
        GetCurrentObject(dc, OBJ_PEN) != pen || GetCurrentObject(dc, OBJ_FONT) != font ||
        GetGraphicsMode(dc) != GM_COMPATIBLE)
        std::abort();
    DeleteObject(clip);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void render(const std::vector<uint8_t>& bytes) {
    trelwin::gdi::MetafileFrame frame;
    std::string error;
    if (!trelwin::gdi::read_metafile_frame(bytes.data(), bytes.size(), &frame, &error)) {
        if (error.empty()) std::abort();
        return;
    }
    const int width = MulDiv(frame.width, kResolution.cx, 2540), height = MulDiv(frame.height, kResolution.cy, 2540);
    if (static_cast<int64_t>(width) * height > kMostPixels) return;
    HBITMAP picture = trelwin::gdi::render_picture(bytes.data(), bytes.size(), 0xFFFFFFFF, kResolution, &error);
    if (!picture) {
        if (error.empty()) std::abort();
        return;
    }
    BITMAP bm{};
    if (GetObject(picture, sizeof(bm), &bm) != static_cast<int>(sizeof(bm)) || bm.bmWidth != width ||
        bm.bmHeight != height)
        std::abort();
    DeleteObject(picture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A buffer of the input's exact size, so that a read past it shows.
    const std::vector<uint8_t> bytes(data, data + size);
    const size_t handles = image_fuzz::live_handles();
    play(bytes);
    render(bytes);
    if (trelwin::gdi::live_object_count() != handles) std::abort();
    return 0;
}
