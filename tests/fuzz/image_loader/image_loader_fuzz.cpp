// The image loader on any bytes: PNG images (libpng) and the pictures of
// the picture loader (BMP, JPEG, icons). It either refuses them or gives a
// DIB section whose every pixel can be read, with colours premultiplied
// where it says the bitmap carries alpha; no graphics object outlives the
// call.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "drawing/extended_bitmap.h"
#include "platform/gdi/internal/object_table.h"
#include "tests/fuzz/image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A buffer of the input's exact size, so that a read past it shows.
    std::vector<uint8_t> bytes(data, data + size);
    const size_t handles = image_fuzz::live_handles();
    {
        CExtendedBitmap bitmap;
        BOOL hasAlpha = 7;
        const BOOL ok = bitmap.LoadFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()), 0x00336699, &hasAlpha);
        if (!ok)
        {
            if (bitmap.GetSafeHandle() != nullptr) std::abort();
        }
        else
        {
            DIBSECTION ds{};
            if (GetObject(bitmap.GetSafeHandle(), sizeof(ds), &ds) != static_cast<int>(sizeof(ds)) ||
                ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight <= 0 || ds.dsBm.bmBits == nullptr ||
                (ds.dsBm.bmBitsPixel != 24 && ds.dsBm.bmBitsPixel != 32))
                std::abort();
            const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
            const int pixelBytes = ds.dsBm.bmBitsPixel / 8;
            unsigned sum = 0;
            for (int y = 0; y < ds.dsBm.bmHeight; ++y)
            {
                const uint8_t* row = bits + static_cast<size_t>(y) * ds.dsBm.bmWidthBytes;
                for (int x = 0; x < ds.dsBm.bmWidth; ++x)
                {
                    const uint8_t* p = row + x * pixelBytes;
                    sum += p[0] + p[1] + p[2];
                    if (hasAlpha == TRUE && (p[0] > p[3] || p[1] > p[3] || p[2] > p[3])) std::abort();
                }
            }
            if (hasAlpha != TRUE && hasAlpha != FALSE && hasAlpha != 7) std::abort();
            (void)sum;
        }
    }
    if (trelwin::gdi::live_object_count() != handles) std::abort();
    return 0;
}
