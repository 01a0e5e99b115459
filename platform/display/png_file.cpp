#include "platform/display/png_file.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace trelwin::display {

namespace {

struct FileCloser {
    FILE* f;
    ~FileCloser() {
        if (f) std::fclose(f);
    }
};

// libpng reports a write failure by jumping back to the setjmp here, so no
// object that needs its destructor or keeps state in registers lives in this
// function; false after such a jump.
bool WriteRows(png_structp png, png_infop info, FILE* f, const gdi::Surface& surface, RECT area, png_byte* row,
               gdi::Pixel* pixels) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int width = area.right - area.left;
    png_init_io(png, f);
    png_set_IHDR(png, info, width, area.bottom - area.top, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = area.top; y < area.bottom; ++y) {
        surface.read(y, area.left, width, pixels);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<png_byte>(pixels[x] >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(pixels[x] >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(pixels[x]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool save_png(const gdi::Surface& surface, RECT area, const std::string& path, std::string* error) {
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, surface.width);
    area.bottom = std::min<LONG>(area.bottom, surface.height);
    if (area.right <= area.left || area.bottom <= area.top || !surface.bits) {
        if (error) *error = "nothing to save: the area is empty";
        return false;
    }
    FileCloser file{std::fopen(path.c_str(), "wb")};
    if (!file.f) {
        if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        if (error) *error = "out of memory writing " + path;
        return false;
    }
    const size_t width = static_cast<size_t>(area.right - area.left);
    std::vector<png_byte> row(width * 3);
    std::vector<gdi::Pixel> pixels(width);
    const bool written = WriteRows(png, info, file.f, surface, area, row.data(), pixels.data());
    png_destroy_write_struct(&png, &info);
    if (!written) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    if (std::fflush(file.f) != 0) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace trelwin::display
