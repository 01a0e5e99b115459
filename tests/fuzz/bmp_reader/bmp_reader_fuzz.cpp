// BMP files and packed DIBs from resources or files: whatever the bytes say,
// the reader either refuses them or returns a bitmap whose every pixel can
// be read.
#include "platform/gdi/image_decode.h"
#include "tests/fuzz/image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    image_fuzz::check_decode(trelwin::gdi::decode_bmp, data, size, [](HBITMAP bitmap) {
        BITMAP bm{};
        if (GetObject(bitmap, sizeof(bm), &bm) != static_cast<int>(sizeof(bm)) || bm.bmWidth <= 0 ||
            bm.bmHeight <= 0)
            return false;
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
        const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info,
                                   DIB_RGB_COLORS);
        DeleteDC(dc);
        return rows == bm.bmHeight;
    });
    return 0;
}
