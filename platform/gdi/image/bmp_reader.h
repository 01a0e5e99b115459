// Reading BMP files and packed DIBs (the bitmap resources) from memory into
// DIB sections. Every size, offset and count in the headers is checked
// against the bytes actually present, so a damaged or lying file is refused
// with a message instead of being read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

// A file that starts with the "BM" file header.
HBITMAP decode_bmp_file(const void* data, size_t size, std::string* error = nullptr);
// A packed DIB: the info header, the colour table or bit masks, then the rows.
HBITMAP decode_packed_dib(const void* data, size_t size, std::string* error = nullptr);
// Either of the two, told apart by the "BM" signature.
HBITMAP decode_bmp(const void* data, size_t size, std::string* error = nullptr);

}  // namespace trelwin::gdi
