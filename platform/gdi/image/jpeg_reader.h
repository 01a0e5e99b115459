// Decoding JPEG images from memory into 32-bit DIB sections through
// libjpeg-turbo. A broken image ends the decode with a message; the library's
// default error handling (which ends the process) is never reached.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

// A bottom-up 32-bit DIB section; the fourth byte of every pixel is 0.
HBITMAP decode_jpeg(const void* data, size_t size, std::string* error = nullptr);

}  // namespace trelwin::gdi
