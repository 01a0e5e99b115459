// Test tool: turns an X window dump (xwd, 24 or 32 bits per pixel in a
// true-colour visual) into a PNG, optionally cut to a rectangle and
// enlarged by a whole factor (each pixel a square of that many), so that the
// end-to-end tests can keep what the X server showed as a picture and show a
// few pixels closely.
//
//   xwd_to_png <in.xwd> <out.png> [x y width height [factor]]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/platform/display/screen_image.h"

namespace {

int Fail(const std::string& why) {
    std::fprintf(stderr, "xwd_to_png: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 7 && argc != 8) {
        return Fail("usage: xwd_to_png <in.xwd> <out.png> [x y width height [factor]]");
    }
    xtest::Image screen;
    std::string error;
    if (!xtest::ReadXwd(argv[1], screen, &error)) return Fail(error);
    const bool cut = argc >= 7;
    const long factor = argc == 8 ? std::atol(argv[7]) : 1;
    if (factor < 1 || factor > 32) return Fail("the factor is a whole number from 1 to 32");
    const long x0 = cut ? std::atol(argv[3]) : 0, y0 = cut ? std::atol(argv[4]) : 0;
    const long w = cut ? std::atol(argv[5]) : long(screen.width), h = cut ? std::atol(argv[6]) : long(screen.height);
    if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 + w > long(screen.width) || y0 + h > long(screen.height)) {
        return Fail("rectangle outside the dump");
    }
    xtest::Image picture;
    picture.width = static_cast<int>(w * factor);
    picture.height = static_cast<int>(h * factor);
    picture.rgb.reserve(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    for (long y = 0; y < h * factor; ++y) {
        for (long x = 0; x < w * factor; ++x) {
            picture.rgb.push_back(screen.at(static_cast<int>(x0 + x / factor), static_cast<int>(y0 + y / factor)));
        }
    }
    return xtest::WritePng(argv[2], picture) ? 0 : Fail("cannot write the picture " + std::string(argv[2]));
}
