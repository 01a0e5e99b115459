// The xwd reader that the display tests and the xwd_to_png tool share: the
// pixels of a dump in either byte order, and dumps whose header promises
// more than they hold refused instead of read past their end.
#include <gtest/gtest.h>

#include "tests/platform/display/screen_image.h"

namespace {

struct Dump {
    uint32_t format = 2, width = 2, height = 2, byteOrder = 0, bitsPerPixel = 32, bytesPerLine = 8, colours = 0;
    size_t cut = 0;  // bytes left off the end
};

void PutBig(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// A dump of a 2x2 picture: red, green on the first line, blue, white below.
std::vector<unsigned char> Make(const Dump& d) {
    const uint32_t header = 100;
    std::vector<unsigned char> b(header + d.colours * 12 + size_t{d.bytesPerLine} * d.height);
    PutBig(b, 0, header);
    PutBig(b, 8, d.format);
    PutBig(b, 16, d.width);
    PutBig(b, 20, d.height);
    PutBig(b, 28, d.byteOrder);
    PutBig(b, 44, d.bitsPerPixel);
    PutBig(b, 48, d.bytesPerLine);
    PutBig(b, 56, 0xFF0000);
    PutBig(b, 60, 0x00FF00);
    PutBig(b, 64, 0x0000FF);
    PutBig(b, 76, d.colours);
    const uint32_t pixels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const size_t bytes = d.bitsPerPixel / 8;
    for (uint32_t i = 0; i < 4 && i / 2 < d.height && bytes * 2 <= d.bytesPerLine; ++i) {
        unsigned char* p = &b[header + d.colours * 12 + (i / 2) * d.bytesPerLine + (i % 2) * bytes];
        for (size_t k = 0; k < bytes; ++k) {
            p[k] = static_cast<unsigned char>(pixels[i] >> (8 * (d.byteOrder == 0 ? k : bytes - 1 - k)));
        }
    }
    b.resize(b.size() - d.cut);
    return b;
}

TEST(ScreenImage, ReadsTrueColourDumpsAndRefusesThoseThatHoldLessThanTheyPromise) {
    struct Case {
        const char* what;
        Dump dump;
        bool readable;
    };
    const Case cases[] = {
        {"32 bits, least significant byte first", {}, true},
        {"32 bits, most significant byte first", {.byteOrder = 1}, true},
        {"24 bits, lines padded", {.bitsPerPixel = 24, .bytesPerLine = 8}, true},
        {"a colour map before the pixels", {.colours = 3}, true},
        {"not a pixmap of pixels", {.format = 1}, false},
        {"16 bits a pixel", {.bitsPerPixel = 16, .bytesPerLine = 4}, false},
        {"the last line cut short", {.cut = 1}, false},
        {"lines shorter than their pixels", {.bytesPerLine = 4}, false},
        {"lines of no bytes", {.bytesPerLine = 0}, false},
        {"a colour map past the end", {.colours = 1000}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> bytes = Make(c.dump);
        if (c.dump.colours == 1000) bytes.resize(120);
        xtest::Image image;
        std::string error;
        ASSERT_EQ(xtest::ReadXwd(bytes, image, &error), c.readable) << error;
        if (!c.readable) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_EQ(image.width, 2);
        ASSERT_EQ(image.height, 2);
        EXPECT_EQ(image.at(0, 0), 0xFF0000u);
        EXPECT_EQ(image.at(1, 0), 0x00FF00u);
        EXPECT_EQ(image.at(0, 1), 0x0000FFu);
        EXPECT_EQ(image.at(1, 1), 0xFFFFFFu);
    }
    std::string error;
    xtest::Image image;
    EXPECT_FALSE(xtest::ReadXwd(std::vector<unsigned char>(99), image, &error));
}

}  // namespace
