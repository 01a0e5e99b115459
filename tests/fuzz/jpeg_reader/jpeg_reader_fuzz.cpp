// JPEG resources: broken streams end the decode with a message (the
// library's own error exit must never be reached) and a decoded picture has
// every pixel present, its fourth byte 0.
#include "platform/gdi/image_decode.h"
#include "tests/fuzz/image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    image_fuzz::check_decode(trelwin::gdi::decode_jpeg, data, size, [](HBITMAP bitmap) {
        DIBSECTION ds{};
        if (GetObject(bitmap, sizeof(ds), &ds) != static_cast<int>(sizeof(ds)) || ds.dsBm.bmBitsPixel != 32 ||
            ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight <= 0 || !ds.dsBm.bmBits)
            return false;
        const auto* pixels = static_cast<const uint32_t*>(ds.dsBm.bmBits);
        uint32_t alpha = 0;
        for (size_t i = 0; i < static_cast<size_t>(ds.dsBm.bmWidth) * ds.dsBm.bmHeight; ++i) alpha |= pixels[i] >> 24;
        return alpha == 0;
    });
    return 0;
}
