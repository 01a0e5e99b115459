// The picture decoders of the resources: BMP files and packed DIBs through
// our own reader, JPEG through libjpeg.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "byte_builder.h"
#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/internal/object_table.h"

// The library's INT32 would clash with ours; it does not need it.
#define XMD_H
#include <jpeglib.h>
#undef XMD_H

using trelwin::gdi::decode_bmp;
using trelwin::gdi::decode_jpeg;

namespace {

HBITMAP decode(const std::vector<uint8_t>& bytes, std::string* error = nullptr) {
    return decode_bmp(bytes.data(), bytes.size(), error);
}

using gdi_test::BitmapPixel;
using gdi_test::Bytes;
Bytes info_header(int width, int height, int bpp, uint32_t compression = BI_RGB, uint32_t colours_used = 0,
                  uint32_t header_size = 40) {
    Bytes b;
    b.u32(header_size).i32(width).i32(height).u16(1).u16(static_cast<unsigned>(bpp)).u32(compression).u32(0);
    b.i32(2835).i32(2835).u32(colours_used).u32(0);
    return b;
}

// A file header in front of a packed DIB whose rows start at `rows_at`.
Bytes file_of(const Bytes& dib, uint32_t rows_at) {
    Bytes f;
    f.u8('B').u8('M').u32(static_cast<uint32_t>(14 + dib.data.size())).u16(0).u16(0).u32(14 + rows_at);
    return f.append(dib);
}


BITMAP info_of(HBITMAP bitmap) {
    BITMAP bm{};
    GetObject(bitmap, sizeof(bm), &bm);
    return bm;
}

// 3 x 2, 24 bits: rows of 9 bytes padded to 12, bottom row first.
Bytes rgb24_3x2(bool top_down) {
    Bytes dib = info_header(3, top_down ? -2 : 2, 24);
    Bytes top, bottom;
    top.u8(0).u8(0).u8(255).u8(0).u8(255).u8(0).u8(255).u8(0).u8(0).zeros(3);           // red green blue
    bottom.u8(255).u8(255).u8(255).u8(0).u8(0).u8(0).u8(0x30).u8(0x20).u8(0x10).zeros(3);  // white black 102030
    return top_down ? dib.append(top).append(bottom) : dib.append(bottom).append(top);
}

void expect_rgb24_3x2(HBITMAP bmp) {
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(bmp, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(BitmapPixel(bmp, 0, 1), RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(bmp, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(BitmapPixel(bmp, 2, 1), RGB(0x10, 0x20, 0x30));
}

std::string rejection(const std::vector<uint8_t>& bytes) {
    std::string error;
    const size_t before = trelwin::gdi::live_object_count();
    HBITMAP bmp = decode(bytes, &error);
    EXPECT_EQ(bmp, nullptr);
    if (bmp) DeleteObject(bmp);
    EXPECT_EQ(trelwin::gdi::live_object_count(), before);
    EXPECT_FALSE(error.empty());
    return error;
}

}  // namespace

TEST(BmpReader, BottomUpFileRowsArePaddedAndStoredBottomRowFirst) {
    const Bytes dib = rgb24_3x2(false);
    const Bytes file = file_of(dib, 40);
    HBITMAP bmp = decode(file.data);
    expect_rgb24_3x2(bmp);
    const BITMAP bm = info_of(bmp);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmWidthBytes, 12);
    DeleteObject(bmp);
}

TEST(BmpReader, TopDownRowsAndPackedDibsFromResources) {
    const Bytes dib = rgb24_3x2(true);
    HBITMAP bmp = decode(dib.data);
    expect_rgb24_3x2(bmp);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(bmp, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_LT(ds.dsBmih.biHeight, 0);
    DeleteObject(bmp);
}

TEST(BmpReader, FileRowsMayStartAfterAGap) {
    const Bytes dib = rgb24_3x2(false);
    Bytes gapped = info_header(3, 2, 24);
    gapped.zeros(6);
    gapped.data.insert(gapped.data.end(), dib.data.begin() + 40, dib.data.end());
    const Bytes file = file_of(gapped, 46);
    HBITMAP bmp = decode(file.data);
    expect_rgb24_3x2(bmp);
    DeleteObject(bmp);
}

TEST(BmpReader, PaletteDepthsKeepTheirDepthAndColourTable) {
    // 1 bit, 10 wide: one row is 2 bytes of bits padded to 4.
    Bytes mono = info_header(10, 1, 1);
    mono.u8(0).u8(0).u8(0).u8(0).u8(0xFF).u8(0xFF).u8(0xFF).u8(0);
    mono.u8(0b10100000).u8(0b01000000).zeros(2);
    HBITMAP bmp = decode(mono.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(info_of(bmp).bmBitsPixel, 1);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(BitmapPixel(bmp, 2, 0), RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(bmp, 9, 0), RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(bmp, 8, 0), RGB(0, 0, 0));
    DeleteObject(bmp);

    // 4 bits with only 3 colours in the table: the high nibble is the left pixel.
    Bytes four = info_header(3, 1, 4, BI_RGB, 3);
    four.u8(0).u8(0).u8(0xFF).u8(0).u8(0xFF).u8(0).u8(0).u8(0).u8(0).u8(0xFF).u8(0).u8(0);
    four.u8(0x12).u8(0x00).zeros(2);
    bmp = decode(four.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(info_of(bmp).bmBitsPixel, 4);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(bmp, 2, 0), RGB(255, 0, 0));
    DeleteObject(bmp);

    // 8 bits, two rows of width 5 padded to 8 bytes; an index past the
    // table reads as black rather than from beyond it.
    Bytes eight = info_header(5, 2, 8, BI_RGB, 2);
    eight.u8(0x11).u8(0x22).u8(0x33).u8(0).u8(0x44).u8(0x55).u8(0x66).u8(0);
    eight.u8(1).u8(1).u8(1).u8(1).u8(200).zeros(3);  // bottom row
    eight.u8(0).u8(1).u8(0).u8(1).u8(0).zeros(3);    // top row
    bmp = decode(eight.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(0x33, 0x22, 0x11));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0x66, 0x55, 0x44));
    EXPECT_EQ(BitmapPixel(bmp, 0, 1), RGB(0x66, 0x55, 0x44));
    EXPECT_EQ(BitmapPixel(bmp, 4, 1), RGB(0, 0, 0));
    DeleteObject(bmp);
}

TEST(BmpReader, CoreHeaderHasThreeByteColourEntries) {
    Bytes core;
    core.u32(12).u16(2).u16(1).u16(1).u16(1);
    core.u8(0x10).u8(0x20).u8(0x30).u8(0xA0).u8(0xB0).u8(0xC0);
    core.u8(0b01000000).zeros(3);
    HBITMAP bmp = decode(core.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0xC0, 0xB0, 0xA0));
    DeleteObject(bmp);
}

TEST(BmpReader, SixteenBitsFiveFiveFiveAndBitFields) {
    // BI_RGB 16 bits is 5-5-5; full channels widen to 255; bit-field
    // depths come out as 32 bits.
    Bytes rgb555 = info_header(2, 1, 16);
    rgb555.u16(0x7C00).u16(0x001F);
    HBITMAP bmp = decode(rgb555.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(info_of(bmp).bmBitsPixel, 32);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0, 0, 255));
    DeleteObject(bmp);

    // 5-6-5 through masks after a 40-byte header: green has six bits.
    Bytes rgb565 = info_header(2, 1, 16, BI_BITFIELDS);
    rgb565.u32(0xF800).u32(0x07E0).u32(0x001F);
    rgb565.u16(0x07E0).u16(0x0400);
    bmp = decode(rgb565.data);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(BitmapPixel(bmp, 0, 0), RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(bmp, 1, 0), RGB(0, 130, 0));  // 32 of 63, rounded
    DeleteObject(bmp);
}

TEST(BmpReader, ThirtyTwoBitsKeepAlphaAndHonourUnusualMasks) {
    Bytes plain = info_header(1, 1, 32);
    plain.u8(0x10).u8(0x20).u8(0x30).u8(0x80);
    HBITMAP bmp = decode(plain.data);
    ASSERT_NE(bmp, nullptr);
    BITMAP bm = info_of(bmp);
    ASSERT_NE(bm.bmBits, nullptr);
    EXPECT_EQ(*static_cast<uint32_t*>(bm.bmBits), 0x80302010u);
    DeleteObject(bmp);

    // A version 5 header whose masks put red in the lowest byte and alpha in
    // the highest: the bitmap comes out in the usual blue-green-red-alpha order.
    Bytes v5 = info_header(1, 1, 32, BI_BITFIELDS, 0, 124);
    v5.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000).u32(0xFF000000).zeros(124 - 56);
    v5.u8(0x11).u8(0x22).u8(0x33).u8(0x44);
    bmp = decode(v5.data);
    ASSERT_NE(bmp, nullptr);
    bm = info_of(bmp);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(*static_cast<uint32_t*>(bm.bmBits), 0x44112233u);
    DeleteObject(bmp);
}

TEST(BmpReader, RefusesDamagedAndLyingFiles) {
    const Bytes good = file_of(rgb24_3x2(false), 40);
    std::vector<uint8_t> bytes = good.data;

    bytes.pop_back();  // one byte of the last row missing
    rejection(bytes);

    bytes = good.data;
    bytes[10] = 0xF0;  // rows said to start past the end
    rejection(bytes);

    bytes = good.data;
    bytes[10] = 20;  // rows said to start inside the header
    rejection(bytes);

    bytes = good.data;
    bytes[14 + 4] = 0xFF;  // width 255: rows would need more bytes than there are
    bytes[14 + 5] = 0xFF;
    rejection(bytes);

    bytes = good.data;
    bytes[14 + 12] = 2;  // two planes
    rejection(bytes);

    bytes = good.data;
    bytes[14 + 14] = 3;  // three bits per pixel
    rejection(bytes);

    bytes = good.data;
    bytes[14 + 16] = BI_RLE8;
    EXPECT_NE(rejection(bytes).find("compressed"), std::string::npos);

    Bytes big_table = info_header(1, 1, 4, BI_RGB, 17);  // 17 colours for 4 bits
    big_table.zeros(17 * 4 + 4);
    rejection(big_table.data);

    bytes = good.data;
    bytes[14 + 8] = 0;  // height 0
    rejection(bytes);

    bytes = good.data;
    bytes[14] = 41;  // no such header
    rejection(bytes);

    Bytes holes = info_header(1, 1, 16, BI_BITFIELDS);
    holes.u32(0xF00F).u32(0x0F0).u32(0).u16(0);
    rejection(holes.data);

    Bytes short_table = info_header(1, 1, 8);  // 256 entries promised, 1 given
    short_table.u32(0).u8(0).zeros(3);
    rejection(short_table.data);

    rejection({});
    rejection({'B', 'M', 0, 0});
    std::string error;
    EXPECT_EQ(decode_bmp(nullptr, 100, &error), nullptr);
}

namespace {

// Encodes a picture with the library itself: pixels are 0xRRGGBB, rows top down.
std::vector<uint8_t> encode(int width, int height, const std::vector<uint32_t>& pixels, bool grey) {
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

// 32 x 16: red on the left half, blue on the right, each half one whole
// coding unit, so colours away from the edge between them survive.
std::vector<uint32_t> two_blocks() {
    std::vector<uint32_t> pixels(32 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) pixels[static_cast<size_t>(y) * 32 + x] = x < 16 ? 0xFF0000 : 0x0000FF;
    return pixels;
}

bool near(COLORREF c, int r, int g, int b) {
    return std::abs(GetRValue(c) - r) <= 8 && std::abs(GetGValue(c) - g) <= 8 && std::abs(GetBValue(c) - b) <= 8;
}

}  // namespace

TEST(JpegReader, DecodesIntoABottomUpThirtyTwoBitSection) {
    const std::vector<uint8_t> jpeg = encode(32, 16, two_blocks(), false);
    std::string error;
    HBITMAP bmp = decode_jpeg(jpeg.data(), jpeg.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(bmp, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidth, 32);
    EXPECT_EQ(ds.dsBm.bmHeight, 16);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_GT(ds.dsBmih.biHeight, 0);
    for (int y = 0; y < 16; y += 15) {
        EXPECT_TRUE(near(BitmapPixel(bmp, 0, y), 255, 0, 0)) << y;
        EXPECT_TRUE(near(BitmapPixel(bmp, 10, y), 255, 0, 0)) << y;
        EXPECT_TRUE(near(BitmapPixel(bmp, 22, y), 0, 0, 255)) << y;
        EXPECT_TRUE(near(BitmapPixel(bmp, 31, y), 0, 0, 255)) << y;
    }
    // The fourth byte stays 0: a picture without alpha must not look like one.
    const auto* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    int with_alpha = 0;
    for (int i = 0; i < 32 * 16; ++i) with_alpha += (bits[i] >> 24) != 0;
    EXPECT_EQ(with_alpha, 0);
    DeleteObject(bmp);
}

TEST(JpegReader, GreyPicturesComeOutGrey) {
    std::vector<uint32_t> pixels(8 * 8, 0x404040);
    const std::vector<uint8_t> jpeg = encode(8, 8, pixels, true);
    HBITMAP bmp = decode_jpeg(jpeg.data(), jpeg.size(), nullptr);
    ASSERT_NE(bmp, nullptr);
    EXPECT_TRUE(near(BitmapPixel(bmp, 3, 3), 0x40, 0x40, 0x40));
    DeleteObject(bmp);
}

TEST(JpegReader, BrokenStreamsFailWithAMessageAndLeakNothing) {
    const std::vector<uint8_t> jpeg = encode(32, 16, two_blocks(), false);
    const size_t before = trelwin::gdi::live_object_count();
    std::string error;

    std::vector<uint8_t> header_only(jpeg.begin(), jpeg.begin() + 20);
    EXPECT_EQ(decode_jpeg(header_only.data(), header_only.size(), &error), nullptr);
    EXPECT_FALSE(error.empty());

    error.clear();
    std::vector<uint8_t> garbage(200, 0x5A);
    EXPECT_EQ(decode_jpeg(garbage.data(), garbage.size(), &error), nullptr);
    EXPECT_NE(error.find("JPEG"), std::string::npos);

    EXPECT_EQ(decode_jpeg(static_cast<const uint8_t*>(nullptr), 0, &error), nullptr);
    EXPECT_EQ(trelwin::gdi::live_object_count(), before);

    // A stream cut inside the picture data is still shown: what is missing
    // is filled in by the decoder, as viewers do.
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() - 10));
    HBITMAP bmp = decode_jpeg(cut.data(), cut.size(), &error);
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    GetObject(bmp, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(bmp);
}

// A few hundred bytes must not make the decoder set aside a gigabyte: the
// stream below claims 32768 x 8192 pixels (4 bytes each), far beyond any
// picture the resources hold, and is refused before the picture is made.
// Disabled: the limit is 2^28 pixels, so this decodes into 1 GB for a second.
TEST(JpegReader, HugeClaimedSizesAreRefused) {
    std::vector<uint8_t> jpeg = encode(8, 8, std::vector<uint32_t>(64, 0x808080), false);
    size_t sof = 0;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = 0x20;  // height 8192
    jpeg[sof + 6] = 0x00;
    jpeg[sof + 7] = 0x80;  // width 32768
    jpeg[sof + 8] = 0x00;
    std::string error;
    EXPECT_EQ(decode_jpeg(jpeg.data(), jpeg.size(), &error), nullptr);
    EXPECT_FALSE(error.empty());
}

namespace {

// A 2 x 1 icon file: 32 bits with alpha, the left pixel transparent, the
// right one opaque green; no mask rows are needed with alpha.
std::vector<uint8_t> alpha_icon_file() {
    Bytes b;
    b.u16(0).u16(1).u16(1);                                 // icon directory, one image
    b.u8(2).u8(1).u8(0).u8(0).u16(1).u16(32).u32(48).u32(22);  // 40 + 8 bytes at offset 22
    b.u32(40).i32(2).i32(2).u16(1).u16(32).u32(BI_RGB).u32(0).i32(0).i32(0).u32(0).u32(0);
    b.u32(0x00000000).u32(0xFF00FF00);
    return b.data;
}

}  // namespace

// The picture loader renders what it reads into a 32-bit bottom-up
// section of the picture's size, over the background when one is given;
// what it cannot show it refuses with a reason.
TEST(PictureLoader, RendersBitmapsJpegsAndIconsAndRefusesTheRest) {
    const Bytes bmp24 = file_of(info_header(2, 1, 24).append(Bytes().u8(0).u8(0).u8(255).u8(255).u8(0).u8(0).u16(0)), 40);
    const std::vector<uint8_t> jpeg = encode(32, 16, two_blocks(), false);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        COLORREF background;
        int width;          // 0: refused
        COLORREF left;      // pixel (0, 0)
        COLORREF right;     // pixel (width - 1, 0)
        const char* error;  // part of the refusal's text
    };
    const Case cases[] = {
        {"BMP file", bmp24.data, 0xFFFFFFFF, 2, RGB(255, 0, 0), RGB(0, 0, 255), nullptr},
        {"JPEG", jpeg, RGB(9, 9, 9), 32, RGB(255, 0, 0), RGB(0, 0, 255), nullptr},
        {"icon without a background: zeros beneath", alpha_icon_file(), 0xFFFFFFFF, 2, RGB(0, 0, 0),
         RGB(0, 255, 0), nullptr},
        {"icon over a background", alpha_icon_file(), RGB(10, 20, 30), 2, RGB(10, 20, 30), RGB(0, 255, 0), nullptr},
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, 0, 0, 0, 0, "GIF"},
        {"placeable metafile", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0}, 0, 0, 0, 0, "metafile"},
        {"packed DIB without its file header", info_header(2, 1, 24).data, 0, 0, 0, 0, "picture format"},
        {"nothing", {}, 0, 0, 0, 0, "no picture"},
        {"a damaged BMP", {'B', 'M', 1, 2, 3}, 0, 0, 0, 0, ""},
    };
    DeleteDC(CreateCompatibleDC(nullptr));  // the stock objects exist from here on
    const size_t handles = trelwin::gdi::live_object_count();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        HBITMAP picture = trelwin::gdi::render_picture(c.bytes.data(), c.bytes.size(), c.background, &error);
        if (c.width == 0) {
            EXPECT_EQ(picture, nullptr);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_NE(picture, nullptr) << error;
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(picture, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
        EXPECT_EQ(ds.dsBm.bmWidth, c.width);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
        EXPECT_GT(ds.dsBmih.biHeight, 0);
        EXPECT_TRUE(near(BitmapPixel(picture, 0, 0), GetRValue(c.left), GetGValue(c.left), GetBValue(c.left)))
            << std::hex << BitmapPixel(picture, 0, 0);
        EXPECT_TRUE(near(BitmapPixel(picture, c.width - 1, 0), GetRValue(c.right), GetGValue(c.right), GetBValue(c.right)))
            << std::hex << BitmapPixel(picture, c.width - 1, 0);
        DeleteObject(picture);
    }
    EXPECT_EQ(trelwin::gdi::live_object_count(), handles);
}
