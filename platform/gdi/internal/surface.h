// A pixel surface: rows of 1, 4, 8, 24 or 32 bits per pixel in memory owned
// elsewhere (a bitmap, later a window's back store). Drawing code works on
// rows of 32-bit pixels (0xAARRGGBB, that is B, G, R, A in memory); rows of
// other depths are converted on read and write, so every operation is a loop
// over whole rows and 32-bit surfaces are touched in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/base/win_types.h"

namespace trelwin::gdi {

using Pixel = uint32_t;

inline Pixel colorref_to_pixel(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF pixel_to_colorref(Pixel p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
constexpr Pixel kRgbMask = 0x00FFFFFFu;

struct Surface {
    int width = 0;
    int height = 0;
    int bpp = 32;
    uint8_t* bits = nullptr;  // first byte of the top row
    ptrdiff_t stride = 0;     // bytes from a row to the one below (negative for bottom-up memory)
    std::vector<Pixel> palette;  // colour table for depths up to 8
    // A device-dependent monochrome bitmap: blits convert it through the text
    // and background colours of the DCs involved.
    bool mono_ddb = false;

    uint8_t* row(int y) const { return bits + y * stride; }
    Pixel* row32(int y) const { return reinterpret_cast<Pixel*>(row(y)); }

    // Reads n pixels from (x, y) as 32-bit colours; the range must lie inside.
    void read(int y, int x, int n, Pixel* out) const;
    // Writes n 32-bit colours, mapped to the nearest palette entry when the
    // surface has a palette.
    void write(int y, int x, int n, const Pixel* in);
    Pixel get(int x, int y) const;
    void set(int x, int y, Pixel p);
    // Index of the palette entry nearest to a colour.
    uint32_t nearest_index(Pixel p) const;
};

// Gives a 32-bit surface over its own `pixels` a new size: what overlaps the
// old size keeps its place, the rest starts white, as a new window does.
void resize_owned_pixels(Surface& surface, std::vector<Pixel>& pixels, int width, int height);

// Bytes per row of a DIB: padded to 4 bytes.
inline size_t dib_stride(int width, int bpp) {
    return ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
}
// Bytes per row of a device-dependent bitmap: padded to 2 bytes.
inline size_t ddb_stride(int width, int bpp) {
    return ((static_cast<size_t>(width) * bpp + 15) / 16) * 2;
}

// The standard colour tables used when converting to palette depths.
const std::vector<Pixel>& default_palette(int bpp);

}  // namespace trelwin::gdi
