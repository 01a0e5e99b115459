// BMP files and packed DIBs from resources or files: whatever the bytes say,
// the reader either refuses them with a message or returns a bitmap whose
// every pixel can be read, and it leaks no handle either way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/internal/object_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A buffer of the input's exact size, so that a read past it shows.
    std::vector<uint8_t> bytes(data, data + size);
    // The stock objects are made on first use; count handles after that.
    static const bool stock_made = [] {
        DeleteDC(CreateCompatibleDC(nullptr));
        return true;
    }();
    (void)stock_made;
    const size_t handles = trelwin::gdi::live_object_count();
    std::string error;
    HBITMAP bitmap = trelwin::gdi::decode_bmp(bytes.data(), bytes.size(), &error);
    if (!bitmap) {
        if (error.empty() || trelwin::gdi::live_object_count() != handles) std::abort();
        return 0;
    }
    BITMAP bm{};
    if (GetObject(bitmap, sizeof(bm), &bm) != static_cast<int>(sizeof(bm)) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        std::abort();
    // Rows of 4-byte pixels: every one goes through the depth conversion.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) != bm.bmHeight)
        std::abort();
    DeleteDC(dc);
    DeleteObject(bitmap);
    if (trelwin::gdi::live_object_count() != handles) std::abort();
    return 0;
}
