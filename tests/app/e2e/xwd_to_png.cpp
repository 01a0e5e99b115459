// Test tool: turns an X window dump (xwd, 24 or 32 bits per pixel in a
// true-colour visual) into a PNG, optionally cut to a rectangle, so that the
// end-to-end tests can keep what the X server showed as a picture.
//
//   xwd_to_png <in.xwd> <out.png> [x y width height]
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
    if (argc != 3 && argc != 7) return Fail("usage: xwd_to_png <in.xwd> <out.png> [x y width height]");
    xtest::Image screen;
    std::string error;
    if (!xtest::ReadXwd(argv[1], screen, &error)) return Fail(error);
    const bool cut = argc == 7;
    const long x0 = cut ? std::atol(argv[3]) : 0, y0 = cut ? std::atol(argv[4]) : 0;
    const long w = cut ? std::atol(argv[5]) : long(screen.width), h = cut ? std::atol(argv[6]) : long(screen.height);
    if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 + w > long(screen.width) || y0 + h > long(screen.height)) {
        return Fail("rectangle outside the dump");
    }
    xtest::Image picture;
    picture.width = static_cast<int>(w);
    picture.height = static_cast<int>(h);
    picture.rgb.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (long y = y0; y < y0 + h; ++y) {
        for (long x = x0; x < x0 + w; ++x) picture.rgb.push_back(screen.at(static_cast<int>(x), static_cast<int>(y)));
    }
    return xtest::WritePng(argv[2], picture) ? 0 : Fail("cannot write the picture " + std::string(argv[2]));
}
