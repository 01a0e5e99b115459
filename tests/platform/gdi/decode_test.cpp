#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"

// libjpeg's own INT32 would clash with ours; it does not need it.
#define XMD_H
#include <jpeglib.h>

using trelwin::gdi::decode_bmp;
using trelwin::gdi::decode_jpeg;

namespace {

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A BMP made by the format's rules: file header, 40-byte info header,
// colour table, masks, then rows padded to 4 bytes.
std::vector<uint8_t> make_bmp(int width, int height, int bpp, uint32_t compression,
                              const std::vector<uint32_t>& table, const std::vector<uint8_t>& rows, bool file = true) {
    std::vector<uint8_t> v;
    const uint32_t offset = (file ? 14 : 0) + 40 + static_cast<uint32_t>(table.size()) * 4;
    if (file) {
        v.push_back('B');
        v.push_back('M');
        put32(v, offset + static_cast<uint32_t>(rows.size()));
        put32(v, 0);
        put32(v, offset);
    }
    put32(v, 40);
    put32(v, static_cast<uint32_t>(width));
    put32(v, static_cast<uint32_t>(height));
    put16(v, 1);
    put16(v, static_cast<uint32_t>(bpp));
    put32(v, compression);
    put32(v, static_cast<uint32_t>(rows.size()));
    put32(v, 2835);
    put32(v, 2835);
    put32(v, compression == BI_BITFIELDS ? 0 : static_cast<uint32_t>(table.size()));
    put32(v, 0);
    for (uint32_t t : table) put32(v, t);
    v.insert(v.end(), rows.begin(), rows.end());
    return v;
}

COLORREF pixel(HBITMAP bmp, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

BITMAP info(HBITMAP bmp) {
    BITMAP bm{};
    GetObject(bmp, sizeof(bm), &bm);
    return bm;
}

}  // namespace

TEST(BmpDecode, TwentyFourBitBottomUpWithPadding) {
    // 2x2: bottom row blue, white; top row red, green. Rows of 6 bytes padded to 8.
    const std::vector<uint8_t> rows = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    auto bytes = make_bmp(2, 2, 24, BI_RGB, {}, rows);
    std::string error;
    HBITMAP bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(info(bmp).bmBitsPixel, 24);
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(pixel(bmp, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(pixel(bmp, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(pixel(bmp, 1, 1), RGB(255, 255, 255));
    DeleteObject(bmp);
    // The same as a packed DIB, the way bitmap resources hold it.
    auto packed = make_bmp(2, 2, 24, BI_RGB, {}, rows, false);
    bmp = decode_bmp(packed.data(), packed.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(pixel(bmp, 1, 0), RGB(0, 255, 0));
    DeleteObject(bmp);
}

TEST(BmpDecode, PaletteDepthsAndTopDownRows) {
    // 1 bit: 10 pixels wide, colour table red and blue, top-down.
    const std::vector<uint8_t> one = {0xC0, 0x40, 0, 0, 0x00, 0x00, 0, 0};
    auto bytes = make_bmp(10, -2, 1, BI_RGB, {0xFF0000, 0x0000FF}, one);
    std::string error;
    HBITMAP bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(pixel(bmp, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(pixel(bmp, 9, 0), RGB(0, 0, 255));
    EXPECT_EQ(pixel(bmp, 9, 1), RGB(255, 0, 0));
    DeleteObject(bmp);
    // 4 bits: pixel values 0..2 from a three-entry table.
    const std::vector<uint8_t> four = {0x01, 0x20, 0, 0};
    bytes = make_bmp(3, 1, 4, BI_RGB, {0x000000, 0x00FF00, 0xFFFFFF}, four);
    bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(info(bmp).bmBitsPixel, 4);
    EXPECT_EQ(pixel(bmp, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(pixel(bmp, 2, 0), RGB(255, 255, 255));
    DeleteObject(bmp);
    const std::vector<uint8_t> eight = {2, 1, 0, 0};
    bytes = make_bmp(2, 1, 8, BI_RGB, {0x000000, 0x123456, 0xABCDEF}, eight);
    bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(pixel(bmp, 1, 0), RGB(0x12, 0x34, 0x56));
    DeleteObject(bmp);
}

TEST(BmpDecode, SixteenAndThirtyTwoBitWithBitFields) {
    // 5-5-5: pure red 0x7C00, pure blue 0x001F.
    const std::vector<uint8_t> plain = {0x00, 0x7C, 0x1F, 0x00};
    auto bytes = make_bmp(2, 1, 16, BI_RGB, {}, plain);
    std::string error;
    HBITMAP bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(info(bmp).bmBitsPixel, 32);
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(pixel(bmp, 1, 0), RGB(0, 0, 255));
    DeleteObject(bmp);
    // 5-6-5 through bit fields: green 0x07E0.
    const std::vector<uint8_t> rgb565 = {0xE0, 0x07, 0x00, 0x00};
    bytes = make_bmp(1, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, rgb565);
    bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(0, 255, 0));
    DeleteObject(bmp);
    // 32 bits with the channels in an unusual order: R in the low byte.
    const std::vector<uint8_t> swapped = {0x11, 0x22, 0x33, 0x00};
    bytes = make_bmp(1, 1, 32, BI_BITFIELDS, {0x000000FF, 0x0000FF00, 0x00FF0000}, swapped);
    bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    EXPECT_EQ(pixel(bmp, 0, 0), RGB(0x11, 0x22, 0x33));
    DeleteObject(bmp);
    // Plain 32-bit keeps its bytes, alpha included.
    const std::vector<uint8_t> argb = {0x10, 0x20, 0x30, 0x80};
    bytes = make_bmp(1, 1, 32, BI_RGB, {}, argb);
    bmp = decode_bmp(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    DIBSECTION ds{};
    GetObject(bmp, sizeof(ds), &ds);
    EXPECT_EQ(*static_cast<uint32_t*>(ds.dsBm.bmBits), 0x80302010u);
    DeleteObject(bmp);
}

TEST(BmpDecode, RefusesDamagedFilesWithAReason) {
    const std::vector<uint8_t> rows = {0, 0, 0, 0, 0, 0, 0, 0};
    auto good = make_bmp(2, 2, 24, BI_RGB, {}, rows);
    std::string error;
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_EQ(decode_bmp(good.data(), n, &error), nullptr) << n;
        EXPECT_FALSE(error.empty());
    }
    auto huge = make_bmp(100000, 100000, 24, BI_RGB, {}, rows);
    EXPECT_EQ(decode_bmp(huge.data(), huge.size(), &error), nullptr);
    EXPECT_NE(error.find("range"), std::string::npos);
    auto rle = make_bmp(2, 2, 8, BI_RLE8, {0, 0}, rows);
    EXPECT_EQ(decode_bmp(rle.data(), rle.size(), &error), nullptr);
    EXPECT_NE(error.find("compressed"), std::string::npos);
    auto bad_depth = make_bmp(2, 2, 7, BI_RGB, {}, rows);
    EXPECT_EQ(decode_bmp(bad_depth.data(), bad_depth.size(), &error), nullptr);
    auto big_table = make_bmp(2, 1, 1, BI_RGB, {0, 1, 2}, rows);
    EXPECT_EQ(decode_bmp(big_table.data(), big_table.size(), &error), nullptr);
    // A pixel offset pointing past the end.
    auto far = good;
    far[10] = 0xFF;
    EXPECT_EQ(decode_bmp(far.data(), far.size(), &error), nullptr);
    EXPECT_EQ(decode_bmp(nullptr, 10, &error), nullptr);
}

namespace {

std::vector<uint8_t> encode_jpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

}  // namespace

TEST(JpegDecode, DecodesToA32BitBitmap) {
    auto bytes = encode_jpeg(20, 10, 200, 40, 90);
    std::string error;
    HBITMAP bmp = decode_jpeg(bytes.data(), bytes.size(), &error);
    ASSERT_NE(bmp, nullptr) << error;
    DIBSECTION ds{};
    GetObject(bmp, sizeof(ds), &ds);
    EXPECT_EQ(ds.dsBm.bmWidth, 20);
    EXPECT_EQ(ds.dsBm.bmHeight, 10);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_GT(ds.dsBmih.biHeight, 0);  // bottom-up
    const COLORREF c = pixel(bmp, 10, 5);
    EXPECT_NEAR(GetRValue(c), 200, 4);
    EXPECT_NEAR(GetGValue(c), 40, 4);
    EXPECT_NEAR(GetBValue(c), 90, 4);
    // No alpha: the fourth byte of every pixel stays 0.
    const auto* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    for (int i = 0; i < 20 * 10; ++i) ASSERT_EQ(bits[i] >> 24, 0u) << i;
    DeleteObject(bmp);
}

TEST(JpegDecode, RefusesDamagedData) {
    auto bytes = encode_jpeg(16, 16, 1, 2, 3);
    std::string error;
    EXPECT_EQ(decode_jpeg(bytes.data(), 3, &error), nullptr);
    // A stream cut short decodes what it has (libjpeg fills the rest) and never reads past the end.
    if (HBITMAP part = decode_jpeg(bytes.data(), bytes.size() / 2, &error)) DeleteObject(part);
    std::vector<uint8_t> junk = {0xFF, 0xD8, 0x00, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(decode_jpeg(junk.data(), junk.size(), &error), nullptr);
    EXPECT_FALSE(error.empty());
    std::vector<uint8_t> bmp_bytes = {'B', 'M', 0, 0};
    EXPECT_EQ(decode_jpeg(bmp_bytes.data(), bmp_bytes.size(), &error), nullptr);
}
