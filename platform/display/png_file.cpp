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
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file.f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<gdi::Pixel> pixels(static_cast<size_t>(width));
    for (int y = area.top; y < area.bottom; ++y) {
        surface.read(y, area.left, width, pixels.data());
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<png_byte>(pixels[x] >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(pixels[x] >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(pixels[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.f) != 0) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace trelwin::display
