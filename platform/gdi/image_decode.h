// Decoding of the picture formats the resources carry: BMP (our own
// bounds-checked reader) and JPEG (libjpeg-turbo), and the picture loader
// that renders any of them, or an icon, into a 32-bit bitmap. PNG belongs to
// the system's image loader.
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

// The picture loader: a BMP file ("BM"), a JPEG image, or an icon or
// cursor file, rendered at its own size into a new 32-bit bottom-up DIB
// section over `background` (0xFFFFFFFF: no fill, the pixels start as
// zeros; an icon's transparent parts show what is there). GIF images and
// metafiles are refused, as is anything else, with a message in *error;
// so is a picture of more than 2^24 pixels.
HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, std::string* error);

}  // namespace trelwin::gdi
