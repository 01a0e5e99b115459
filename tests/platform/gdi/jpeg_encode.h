// JPEG streams made by the library itself, for tests of the decoder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gdi/gdi_types.h"

// The library's INT32 would clash with ours; it does not need it.
#define XMD_H
#include <jpeglib.h>
#undef XMD_H

namespace gdi_test {

// Pixels are 0xRRGGBB, rows top down. A progressive stream has the
// library's usual scans (ten for colour, six for grey).
inline std::vector<uint8_t> encode_jpeg(int width, int height, const std::vector<uint32_t>& pixels, bool grey,
                                        bool progressive = false) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            if (grey) {
                row[x] = static_cast<JSAMPLE>(p & 0xFF);
            } else {
                row[x * 3] = static_cast<JSAMPLE>(p >> 16);
                row[x * 3 + 1] = static_cast<JSAMPLE>(p >> 8);
                row[x * 3 + 2] = static_cast<JSAMPLE>(p);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    free(buffer);
    return out;
}

}  // namespace gdi_test
