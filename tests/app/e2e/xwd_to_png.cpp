// Test tool: turns an X window dump (xwd, 24 or 32 bits per pixel in a
// true-colour visual) into a PNG, optionally cut to a rectangle, so that the
// end-to-end tests can keep what the X server showed as a picture.
//
//   xwd_to_png <in.xwd> <out.png> [x y width height]
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t Be32(const std::vector<uint8_t>& d, size_t at) {
    return (uint32_t{d[at]} << 24) | (uint32_t{d[at + 1]} << 16) | (uint32_t{d[at + 2]} << 8) | d[at + 3];
}

int Shift(uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int Fail(const char* why) {
    std::fprintf(stderr, "xwd_to_png: %s\n", why);
    return 1;
}

bool WritePng(const char* path, const std::vector<uint8_t>& rgb, png_uint_32 w, png_uint_32 h) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return Fail("cannot write the picture") == 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return Fail("libpng failed") == 0;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < h; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * w * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 7) return Fail("usage: xwd_to_png <in.xwd> <out.png> [x y width height]");
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 100) return Fail("not a window dump");
    const uint32_t headerSize = Be32(d, 0), format = Be32(d, 8), width = Be32(d, 16), height = Be32(d, 20);
    const uint32_t byteOrder = Be32(d, 28), bpp = Be32(d, 44), stride = Be32(d, 48);
    const uint32_t masks[3] = {Be32(d, 56), Be32(d, 60), Be32(d, 64)};
    const uint32_t colours = Be32(d, 76);
    if (format != 2 || (bpp != 24 && bpp != 32)) return Fail("only true-colour pixmaps of 24 or 32 bits");
    const size_t pixels = size_t{headerSize} + size_t{colours} * 12;
    if (d.size() < pixels || (d.size() - pixels) / stride < height) return Fail("dump cut short");
    const bool cut = argc == 7;
    const long x0 = cut ? std::atol(argv[3]) : 0, y0 = cut ? std::atol(argv[4]) : 0;
    const long w = cut ? std::atol(argv[5]) : long(width), h = cut ? std::atol(argv[6]) : long(height);
    if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 + w > long(width) || y0 + h > long(height)) {
        return Fail("rectangle outside the dump");
    }
    const int bytes = bpp / 8;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    uint8_t* q = rgb.data();
    for (long y = y0; y < y0 + h; ++y) {
        const uint8_t* line = &d[pixels + static_cast<size_t>(y) * stride];
        for (long x = x0; x < x0 + w; ++x) {
            const uint8_t* p = line + x * bytes;
            uint32_t v = 0;
            for (int i = 0; i < bytes; ++i) v |= uint32_t{p[i]} << (byteOrder == 0 ? 8 * i : 8 * (bytes - 1 - i));
            for (int c = 0; c < 3; ++c) *q++ = static_cast<uint8_t>((v & masks[c]) >> Shift(masks[c]));
        }
    }
    return WritePng(argv[2], rgb, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h)) ? 0 : 1;
}
