// The libjpeg side of JPEG decoding, kept apart from the Windows types
// (libjpeg's headers declare names of their own that clash with them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trelwin::gdi {

struct JpegSink {
    void* context;
    // Called once the size is known; returns the top row of a 4-byte-per-pixel
    // (B, G, R, unused) image and its row stride, or null.
    uint8_t* (*allocate)(void* context, int width, int height, ptrdiff_t* stride);
};

bool read_jpeg(const uint8_t* data, size_t size, JpegSink* sink, std::string* error);

}  // namespace trelwin::gdi
