#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/internal/object_table.h"

#define XMD_H
#include <jpeglib.h>
#undef XMD_H

using trelwin::gdi::decode_jpeg;

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

COLORREF pixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
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
        EXPECT_TRUE(near(pixel(bmp, 0, y), 255, 0, 0)) << y;
        EXPECT_TRUE(near(pixel(bmp, 10, y), 255, 0, 0)) << y;
        EXPECT_TRUE(near(pixel(bmp, 22, y), 0, 0, 255)) << y;
        EXPECT_TRUE(near(pixel(bmp, 31, y), 0, 0, 255)) << y;
    }
    DeleteObject(bmp);
}

TEST(JpegReader, GreyPicturesComeOutGrey) {
    std::vector<uint32_t> pixels(8 * 8, 0x404040);
    const std::vector<uint8_t> jpeg = encode(8, 8, pixels, true);
    HBITMAP bmp = decode_jpeg(jpeg.data(), jpeg.size(), nullptr);
    ASSERT_NE(bmp, nullptr);
    EXPECT_TRUE(near(pixel(bmp, 3, 3), 0x40, 0x40, 0x40));
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
