// Decoding of the picture formats the resources carry: BMP (our own
// bounds-checked reader), JPEG (libjpeg-turbo) and GIF (giflib), and the
// picture loader that renders any of them, an icon or a metafile into a
// 32-bit bitmap. PNG belongs to the system's image loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

// A BMP file (starting with "BM") or a packed DIB as bitmap resources hold
// it (header, colour table, rows). 1, 4, 8, 24 and 32-bit BI_RGB images keep
// their depth and row order; 16-bit and BI_BITFIELDS images become 32-bit.
// Returns a DIB section, or null with a description in *error.
HBITMAP decode_bmp(const uint8_t* data, size_t size, std::string* error);

// A JPEG image as a 32-bit bottom-up DIB section (alpha bytes 0).
HBITMAP decode_jpeg(const uint8_t* data, size_t size, std::string* error);

// The first frame of a GIF image, as large as its logical screen, as a
// 32-bit top-down DIB section with premultiplied alpha: opaque pixels have
// alpha 255, transparent ones and those outside the frame are zeros. Sides
// up to 32768 and at most 2^24 pixels, for the screen and the frame.
HBITMAP decode_gif(const uint8_t* data, size_t size, std::string* error);

// The picture loader: a BMP file ("BM"), a JPEG image, a GIF image, an
// icon or cursor file, or a metafile (placeable or enhanced), rendered into
// a new 32-bit bottom-up DIB section over `background` (0xFFFFFFFF: no
// fill, the pixels start as zeros; the transparent parts of an icon or a
// GIF, and what a metafile leaves undrawn, show what is there). Raster
// pictures keep their own size; a metafile gets the size of its frame at
// `resolution` (pixels per inch across and down, the desktop's). Anything
// else is refused with a message in *error, as is a picture of more than
// 2^24 pixels.
HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, SIZE resolution,
                       std::string* error);
// The same at the resolution GetDeviceCaps gives this layer's DCs.
HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, std::string* error);

}  // namespace trelwin::gdi
