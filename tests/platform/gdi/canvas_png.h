// A canvas saved as a PNG file, for a person to look at what a test drew.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/platform/display/screen_image.h"
#include "tests/platform/gdi/canvas.h"

namespace gdi_test {

// Writes the canvas to folder/name, making the folder when it is missing.
inline bool SavePng(const Canvas& canvas, const std::string& folder, const std::string& name) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    xtest::Image image;
    image.width = canvas.width();
    image.height = canvas.height();
    image.rgb.reserve(static_cast<size_t>(canvas.width()) * canvas.height());
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) image.rgb.push_back(canvas.raw(x, y) & 0xFFFFFF);
    }
    return xtest::WritePng(folder + "/" + name, image);
}

}  // namespace gdi_test
