// GIF images: broken streams end the decode with a message, and a decoded
// first frame is a 32-bit picture whose every pixel is either opaque
// (alpha 255) or transparent (all four bytes 0).
#include "platform/gdi/image_decode.h"
#include "tests/fuzz/image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    image_fuzz::check_decode(trelwin::gdi::decode_gif, data, size, [](HBITMAP bitmap) {
        DIBSECTION ds{};
        if (GetObject(bitmap, sizeof(ds), &ds) != static_cast<int>(sizeof(ds)) || ds.dsBm.bmBitsPixel != 32 ||
            ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight <= 0 || !ds.dsBm.bmBits)
            return false;
        const auto* pixels = static_cast<const uint32_t*>(ds.dsBm.bmBits);
        for (size_t i = 0; i < static_cast<size_t>(ds.dsBm.bmWidth) * ds.dsBm.bmHeight; ++i)
            if ((pixels[i] >> 24) != 255 && pixels[i] != 0) return false;
        return true;
    });
    return 0;
}
