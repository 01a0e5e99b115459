// Decoding of the picture formats the resources carry: BMP (our own
// bounds-checked reader) and JPEG (libjpeg-turbo). PNG belongs to the
// system's image loader.
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

}  // namespace trelwin::gdi
