#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

namespace {


struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

Info make_info(int width, int height, int bpp) {
    Info info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bpp);
    info.header.biCompression = BI_RGB;
    return info;
}

const BITMAPINFO* as_info(const Info& info) {
    return reinterpret_cast<const BITMAPINFO*>(&info);
}

}  // namespace

TEST(DibSection, BottomUpRowsArePaddedAndStartWithTheBottomRow) {
    Info info = make_info(3, 2, 24);
    BYTE* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(bits, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(bmp, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);  // 9 bytes of pixels padded to 12
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biHeight, 2);
    EXPECT_EQ(ds.dsBmih.biSizeImage, 24u);
    BITMAP bm{};
    EXPECT_EQ(GetObject(bmp, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmBitsPixel, 24);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetPixel(dc, 0, 0, kRed);   // top row: second row in memory
    SetPixel(dc, 2, 1, kBlue);  // bottom row: first in memory
    EXPECT_EQ(bits[12 + 0], 0x00);
    EXPECT_EQ(bits[12 + 2], 0xFF);  // B, G, R order
    EXPECT_EQ(bits[6 + 0], 0xFF);
    // Writing memory directly shows through the DC.
    bits[12 + 3] = 0x10;
    bits[12 + 4] = 0x20;
    bits[12 + 5] = 0x30;
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0x30, 0x20, 0x10));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TEST(DibSection, TopDownRowsStartWithTheTopRow) {
    Info info = make_info(2, -2, 32);
    uint32_t* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetPixel(dc, 1, 0, kRed);
    EXPECT_EQ(bits[1] & 0xFFFFFF, 0xFF0000u);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TEST(DibSection, PaletteDepthsMapToTheirColourTables) {
    for (int bpp : {1, 4, 8}) {
        Info info = make_info(9, 1, bpp);
        info.header.biClrUsed = 2;
        info.colours[0] = RGBQUAD{0, 0, 0, 0};
        info.colours[1] = RGBQUAD{0, 0, 255, 0};  // red
        BYTE* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        ASSERT_NE(bmp, nullptr) << bpp;
        BITMAP bm{};
        GetObject(bmp, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidthBytes, bpp == 8 ? 12 : bpp == 4 ? 8 : 4) << bpp;  // 9, 36 and 72 bits
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bmp);
        SetPixel(dc, 8, 0, RGB(250, 10, 10));  // nearest entry: red
        EXPECT_EQ(GetPixel(dc, 8, 0), kRed) << bpp;
        EXPECT_EQ(GetPixel(dc, 7, 0), RGB(0, 0, 0)) << bpp;
        const int byte = bpp == 1 ? 1 : bpp == 4 ? 4 : 8;
        const int expected = bpp == 1 ? 0x80 : bpp == 4 ? 0x10 : 1;
        EXPECT_EQ(bits[byte], expected) << bpp;
        RECT r{0, 0, 4, 1};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));  // nearest to white: red
        EXPECT_EQ(GetPixel(dc, 0, 0), kRed) << bpp;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
}

TEST(DibSection, RefusesBadHeaders) {
    Info info = make_info(0, 4, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    info = make_info(4, 4, 7);
    EXPECT_EQ(CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    info = make_info(4, 4, 32);
    info.header.biCompression = BI_JPEG;
    EXPECT_EQ(CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(DibBits, GetAndSetConvertBetweenFormats) {
    Canvas c(3, 2);
    c.put(0, 0, kRed);
    c.put(2, 1, kBlue);
    Info info = make_info(3, 2, 24);
    std::vector<BYTE> rows(24, 0xEE);
    EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 2, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 2);
    // Bottom-up: the bottom row comes first.
    EXPECT_EQ(rows[6], 0xFF);       // blue of (2, 1)
    EXPECT_EQ(rows[12 + 2], 0xFF);  // red of (0, 0)
    EXPECT_EQ(info.header.biSizeImage, 24u);
    // Only the format.
    Info query{};
    query.header.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(c.dc(), c.bitmap(), 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.header.biBitCount, 32);
    EXPECT_EQ(query.header.biWidth, 3);
    // A top-down 32-bit image written back in.
    Info top = make_info(3, -2, 32);
    std::vector<uint32_t> pixels = {0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF, 0x0000FF};
    EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 0, 2, pixels.data(), as_info(top), DIB_RGB_COLORS), 2);
    EXPECT_EQ(c.at(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.at(2, 1), kBlue);
    // An 8-bit read returns a colour table and indexes into it.
    Info eight = make_info(3, 2, 8);
    std::vector<BYTE> indexes(8, 0);
    GetDIBits(c.dc(), c.bitmap(), 0, 2, indexes.data(), reinterpret_cast<BITMAPINFO*>(&eight), DIB_RGB_COLORS);
    const RGBQUAD& q = eight.colours[indexes[4]];  // top row, first pixel
    EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), RGB(0, 255, 0));
}

TEST(BitmapBits, RowsTopDownPaddedToTwoBytes) {
    const BYTE pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    HBITMAP bmp = CreateBitmap(1, 2, 1, 32, pixels);
    BYTE out[8] = {};
    EXPECT_EQ(GetBitmapBits(bmp, 0, nullptr), 8);
    EXPECT_EQ(GetBitmapBits(bmp, sizeof(out), out), 8);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[4], 5);
    DeleteObject(bmp);
    const BYTE mono_rows[4] = {0x80, 0x00, 0x40, 0x00};
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, mono_rows);
    BYTE mono_out[4] = {};
    EXPECT_EQ(GetBitmapBits(mono, 4, mono_out), 4);
    EXPECT_EQ(mono_out[0], 0x80);
    EXPECT_EQ(mono_out[2], 0x40);
    EXPECT_EQ(GetBitmapBits(mono, 3, mono_out), 3);  // a short buffer gets what fits
    DeleteObject(mono);
}

TEST(CopyImage, ScaledDibSectionCopies) {
    Info info = make_info(2, 2, 24);
    BYTE* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetPixel(dc, 0, 0, kRed);
    SetPixel(dc, 1, 1, kBlue);
    SelectObject(dc, old);
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(bmp, IMAGE_BITMAP, 4, 6, LR_CREATEDIBSECTION));
    ASSERT_NE(copy, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(copy, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidth, 4);
    EXPECT_EQ(ds.dsBm.bmHeight, 6);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    EXPECT_NE(ds.dsBm.bmBits, bits);
    old = SelectObject(dc, copy);
    EXPECT_EQ(GetPixel(dc, 1, 2), kRed);
    EXPECT_EQ(GetPixel(dc, 2, 3), kBlue);
    EXPECT_EQ(GetPixel(dc, 3, 5), kBlue);
    SelectObject(dc, old);
    HBITMAP same = static_cast<HBITMAP>(CopyImage(bmp, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bm{};
    GetObject(same, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 2);
    DeleteObject(same);
    DeleteObject(copy);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST(DibBits, MonochromeBitmapsReadAsOneBitWithABlackAndWhiteTable) {
    const WORD rows[2] = {0xA0, 0x40};  // 101 / 010
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, rows);
    HDC dc = CreateCompatibleDC(nullptr);
    Info info = make_info(3, -2, 1);
    BYTE bits[8] = {};
    EXPECT_EQ(GetDIBits(dc, mono, 0, 2, bits, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 2);
    EXPECT_EQ(bits[0], 0xA0);
    EXPECT_EQ(bits[4], 0x40);  // rows padded to 4 bytes
    EXPECT_EQ(RGB(info.colours[0].rgbRed, info.colours[0].rgbGreen, info.colours[0].rgbBlue), RGB(0, 0, 0));
    EXPECT_EQ(RGB(info.colours[1].rgbRed, info.colours[1].rgbGreen, info.colours[1].rgbBlue), RGB(255, 255, 255));
    DeleteObject(mono);
    DeleteDC(dc);
}

TEST(DibBits, PaletteImagesWriteTheirColours) {
    Canvas c(4, 1);
    Info info = make_info(4, 1, 4);
    info.header.biClrUsed = 3;
    info.colours[0] = RGBQUAD{0, 0, 0, 0};
    info.colours[1] = RGBQUAD{255, 0, 0, 0};  // blue
    info.colours[2] = RGBQUAD{0, 0, 255, 0};  // red
    const BYTE bits[4] = {0x12, 0x01, 0, 0};  // indices 1, 2, 0, 1
    EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 0, 1, bits, as_info(info), DIB_RGB_COLORS), 1);
    EXPECT_EQ(c.at(0, 0), kBlue);
    EXPECT_EQ(c.at(1, 0), kRed);
    EXPECT_EQ(c.at(2, 0), kBlack);
    EXPECT_EQ(c.at(3, 0), kBlue);
    EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 5, 1, bits, as_info(info), DIB_RGB_COLORS), 0);  // no such row
}
