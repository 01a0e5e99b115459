// Pictures of what an X server shows, for the tests and the xwd_to_png tool:
// an xwd screen dump read into RGB pixels, PNG files read and written.
#pragma once

#include <png.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace xtest {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

inline bool ReadPng(const std::string& path, Image& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return false;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.rgb.size(); ++i) {
        out.rgb[i] = (uint32_t(bytes[i * 3]) << 16) | (uint32_t(bytes[i * 3 + 1]) << 8) | bytes[i * 3 + 2];
    }
    return true;
}

inline bool WritePng(const std::string& path, const Image& in) {
    std::vector<png_byte> bytes(in.rgb.size() * 3);
    for (size_t i = 0; i < in.rgb.size(); ++i) {
        bytes[i * 3] = static_cast<png_byte>(in.rgb[i] >> 16);
        bytes[i * 3 + 1] = static_cast<png_byte>(in.rgb[i] >> 8);
        bytes[i * 3 + 2] = static_cast<png_byte>(in.rgb[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(in.width);
    image.height = static_cast<png_uint_32>(in.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

inline uint32_t Big(const std::vector<unsigned char>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

inline int Shift(uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// The pixels of an xwd dump in memory: a big-endian header, a colour map,
// then the lines of pixels (a true-colour pixmap of 24 or 32 bits a pixel,
// in the byte order the header names). Every line must hold its pixels and
// the dump every line; false, with the reason, when not.
inline bool ReadXwd(const std::vector<unsigned char>& b, Image& out, std::string* error) {
    if (b.size() < 100) {
        *error = "screen dump too short";
        return false;
    }
    const uint32_t headerSize = Big(b, 0), format = Big(b, 8), width = Big(b, 16), height = Big(b, 20);
    const uint32_t byteOrder = Big(b, 28), bitsPerPixel = Big(b, 44), bytesPerLine = Big(b, 48);
    const uint32_t red = Big(b, 56), green = Big(b, 60), blue = Big(b, 64), colours = Big(b, 76);
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24)) {
        *error = "screen dump is no true-colour pixmap of 24 or 32 bits (format " + std::to_string(format) + ", " +
                 std::to_string(bitsPerPixel) + " bits per pixel)";
        return false;
    }
    const size_t bytes = bitsPerPixel / 8;
    const size_t data = size_t{headerSize} + size_t{colours} * 12;
    if (size_t{bytesPerLine} < size_t{width} * bytes || data > b.size() ||
        (bytesPerLine > 0 && (b.size() - data) / bytesPerLine < height)) {
        *error = "screen dump truncated";
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rgb.resize(size_t{width} * height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &b[data + size_t{y} * bytesPerLine + x * bytes];
            uint32_t v = 0;
            for (size_t i = 0; i < bytes; ++i) {
                v |= uint32_t(p[i]) << (8 * (byteOrder == 0 ? i : bytes - 1 - i));
            }
            const uint32_t r = (v & red) >> Shift(red), g = (v & green) >> Shift(green), bl = (v & blue) >> Shift(blue);
            out.rgb[size_t{y} * width + x] = (r << 16) | (g << 8) | bl;
        }
    }
    return true;
}

inline bool ReadXwd(const std::string& path, Image& out, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ReadXwd(b, out, error);
}

}  // namespace xtest
