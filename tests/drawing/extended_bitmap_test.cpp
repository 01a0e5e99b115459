// The image loader: PNG images of every colour type come out as DIB rows
// with blue first and premultiplied alpha; damaged, cut or oversized ones
// are refused without leaking; other pictures go to the picture loader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drawing/extended_bitmap.h"
#include "platform/gdi/internal/object_table.h"
#include "platform/user/user.h"
#include "tests/drawing/gif_maker.h"
#include "tests/drawing/png_maker.h"
#include "tests/platform/gdi/metafile_maker.h"

namespace
{

using Bytes = std::vector<uint8_t>;

struct Decoded
{
    BOOL ok = FALSE;
    BOOL hasAlpha = 7;  // 7: not written
    int bitsPerPixel = 0;
    int width = 0;
    int stride = 0;
    int height = 0;
    Bytes rows;  // every byte of the DIB, top row first
};

Decoded Decode(const Bytes& bytes, COLORREF background = 0xFFFFFFFF)
{
    Decoded d;
    CExtendedBitmap bitmap;
    d.ok = bitmap.LoadFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()), background, &d.hasAlpha);
    if (!d.ok)
    {
        return d;
    }
    DIBSECTION ds{};
    if (GetObject(bitmap.GetSafeHandle(), sizeof(ds), &ds) != static_cast<int>(sizeof(ds)))
    {
        return d;
    }
    d.bitsPerPixel = ds.dsBm.bmBitsPixel;
    d.width = ds.dsBm.bmWidth;
    d.stride = ds.dsBm.bmWidthBytes;
    d.height = ds.dsBm.bmHeight;
    const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    d.rows.assign(bits, bits + static_cast<size_t>(d.stride) * d.height);
    if (ds.dsBmih.biHeight > 0)
    {
        d.rows.clear();  // bottom-up: rows reversed
        for (int y = d.height - 1; y >= 0; --y)
        {
            d.rows.insert(d.rows.end(), bits + static_cast<size_t>(y) * d.stride,
                          bits + static_cast<size_t>(y + 1) * d.stride);
        }
    }
    return d;
}

png_maker::Spec Rgb(int width, int height, std::vector<std::vector<uint8_t>> rows)
{
    png_maker::Spec s;
    s.width = width;
    s.height = height;
    s.rows = std::move(rows);
    return s;
}

png_maker::Spec Palette(std::vector<uint8_t> indexes, std::vector<png_color> palette, std::vector<uint8_t> alpha = {},
                        int depth = 8)
{
    png_maker::Spec s;
    s.colourType = PNG_COLOR_TYPE_PALETTE;
    s.bitDepth = depth;
    s.width = depth == 8 ? static_cast<int>(indexes.size()) : static_cast<int>(indexes.size()) * (8 / depth);
    s.rows = {std::move(indexes)};
    s.palette = std::move(palette);
    s.paletteAlpha = std::move(alpha);
    return s;
}

// A valid 4 x 4 RGBA image of a few hundred bytes.
Bytes SmallRgba()
{
    png_maker::Spec s;
    s.width = 4;
    s.height = 4;
    s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    s.compression = 0;
    for (int y = 0; y < 4; ++y)
    {
        std::vector<uint8_t> row;
        for (int x = 0; x < 16; ++x) row.push_back(static_cast<uint8_t>(y * 16 + x));
        s.rows.push_back(row);
    }
    return png_maker::Make(s);
}

// A valid black 1-bit grey image of any size (a few kilobytes even when
// large), so that only the size can make it fail.
Bytes Blank(int width, int height)
{
    png_maker::Spec s;
    s.width = width;
    s.height = height;
    s.colourType = PNG_COLOR_TYPE_GRAY;
    s.bitDepth = 1;
    s.compression = 9;
    s.rows.assign(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width + 7) / 8, 0));
    return png_maker::Make(s);
}

}  // namespace

// Each image's DIB: its depth, row length and bytes, and whether it says it
// carries alpha.
TEST(ImageLoader, PngImagesBecomeDibRowsBlueFirstWithPremultipliedAlpha)
{
    struct Case
    {
        const char* name;
        Bytes png;
        int bitsPerPixel;
        int stride;
        BOOL hasAlpha;
        Bytes rows;  // the first bytes of the DIB, top row first
    };
    png_maker::Spec rgba;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.rows = {{200, 100, 50, 128}};
    png_maker::Spec grey4;
    grey4.width = 2;
    grey4.colourType = PNG_COLOR_TYPE_GRAY;
    grey4.bitDepth = 4;
    grey4.rows = {{0xF8}};
    png_maker::Spec rgb16 = Rgb(1, 1, {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00}});
    rgb16.bitDepth = 16;
    png_maker::Spec greyAlpha;
    greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {{100, 51}};
    png_maker::Spec keyed = Rgb(2, 1, {{1, 2, 3, 9, 9, 9}});
    keyed.colourKey = true;
    keyed.key.red = 1;
    keyed.key.green = 2;
    keyed.key.blue = 3;
    png_maker::Spec keyedGrey;
    keyedGrey.width = 2;
    keyedGrey.colourType = PNG_COLOR_TYPE_GRAY;
    keyedGrey.rows = {{7, 200}};
    keyedGrey.colourKey = true;
    keyedGrey.key.gray = 7;
    png_maker::Spec interlaced = Rgb(3, 3, {{0, 1, 2, 10, 11, 12, 20, 21, 22},
                                            {30, 31, 32, 40, 41, 42, 50, 51, 52},
                                            {60, 61, 62, 70, 71, 72, 80, 81, 82}});
    interlaced.interlaced = true;
    png_maker::Spec suggested = Rgb(1, 1, {{7, 8, 9}});
    suggested.palette = {{1, 1, 1}};
    const Case cases[] = {
        {"RGBA (200, 100, 50, 128)", png_maker::Make(rgba), 32, 4, TRUE, {25, 50, 100, 128}},
        {"palette with transparency: index 1 lies past the tRNS table",
         png_maker::Make(Palette({0, 1}, {{255, 0, 0}, {0, 0, 255}}, {128})), 32, 8, TRUE,
         {0, 0, 128, 128, 255, 0, 0, 255}},
        {"palette without transparency", png_maker::Make(Palette({0, 1}, {{255, 0, 0}, {0, 0, 255}})), 32, 8, FALSE,
         {0, 0, 255, 255, 255, 0, 0, 255}},
        {"2-bit palette",
         png_maker::Make(Palette({0x1B}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}, {}, 2)), 32, 16, FALSE,
         {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}},
        {"RGB three wide: 9 bytes in rows of 12",
         png_maker::Make(Rgb(3, 2, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}})), 24, 12,
         FALSE, {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16}},
        {"4-bit grey", png_maker::Make(grey4), 24, 8, FALSE, {255, 255, 255, 136, 136, 136}},
        {"16-bit RGB cut to 8", png_maker::Make(rgb16), 24, 4, FALSE, {0xFF, 0xAB, 0x12}},
        {"grey with alpha", png_maker::Make(greyAlpha), 32, 4, TRUE, {20, 20, 20, 51}},
        {"RGB with a transparent colour: 24 bits, the colour kept", png_maker::Make(keyed), 24, 8, FALSE,
         {3, 2, 1, 9, 9, 9}},
        {"grey with a transparent grey: 24 bits, the grey kept", png_maker::Make(keyedGrey), 24, 8, FALSE,
         {7, 7, 7, 200, 200, 200}},
        {"interlaced", png_maker::Make(interlaced), 24, 12, FALSE,
         {2, 1, 0, 12, 11, 10, 22, 21, 20, 0, 0, 0, 32, 31, 30, 42, 41, 40, 52, 51, 50, 0, 0, 0, 62, 61, 60, 72,
          71, 70, 82, 81, 80}},
        {"RGB with a suggested palette stays RGB", png_maker::Make(suggested), 24, 4, FALSE, {9, 8, 7}},
        {"palette index past the palette: black",
         png_maker::Concat({png_maker::Signature(), png_maker::Chunk("IHDR", png_maker::Header(2, 1, 8, 3)),
                            png_maker::Chunk("PLTE", {10, 20, 30}),
                            png_maker::Chunk("IDAT", png_maker::Deflated({{0, 5}})), png_maker::Chunk("IEND", {})}),
         32, 8, FALSE, {30, 20, 10, 255, 0, 0, 0, 255}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.png.empty());
        const Decoded d = Decode(c.png);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(d.stride, c.stride);
        EXPECT_EQ(d.hasAlpha, c.hasAlpha);
        ASSERT_GE(d.rows.size(), c.rows.size());
        EXPECT_EQ(Bytes(d.rows.begin(), d.rows.begin() + static_cast<long>(c.rows.size())), c.rows);
    }
}

// Damaged, cut and oversized images are refused, leave no graphics object
// behind and never reach the picture loader.
TEST(ImageLoader, BrokenPngImagesAreRefusedCleanly)
{
    const Bytes good = SmallRgba();
    ASSERT_TRUE(Decode(good).ok);
    ASSERT_TRUE(Decode(Blank(32768, 1)).ok);
    ASSERT_TRUE(Decode(Blank(4096, 4096)).ok);
    Bytes badCrc = good;
    badCrc[8 + 8 + 13] ^= 0x01;  // the IHDR chunk's CRC
    const Bytes idatOnly = png_maker::Chunk("IDAT", png_maker::Deflated({{0, 0, 0}}));
    auto headerOnly = [&](uint32_t width, uint32_t height, int depth, int type) {
        return png_maker::Concat(
            {png_maker::Signature(), png_maker::Chunk("IHDR", png_maker::Header(width, height, depth, type)), idatOnly,
             png_maker::Chunk("IEND", {})});
    };
    struct Case
    {
        const char* name;
        Bytes png;
    };
    const Case cases[] = {
        {"signature only", Bytes(good.begin(), good.begin() + 8)},
        {"cut inside the header", Bytes(good.begin(), good.begin() + 20)},
        {"cut before the data", Bytes(good.begin(), good.begin() + 33)},
        {"cut inside the data", Bytes(good.begin(), good.begin() + 60)},
        {"header CRC wrong", badCrc},
        {"wider than 32768", Blank(32769, 1)},
        {"more than 2^24 pixels", Blank(4097, 4096)},
        {"bit depth 3", headerOnly(1, 1, 3, PNG_COLOR_TYPE_GRAY)},
        {"too little image data", headerOnly(4, 4, 8, PNG_COLOR_TYPE_RGB)},
        {"palette image without a palette", headerOnly(1, 1, 8, PNG_COLOR_TYPE_PALETTE)},
    };
    DeleteDC(CreateCompatibleDC(nullptr));  // the stock objects exist from here on
    const size_t handles = trelwin::gdi::live_object_count();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(c.png);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.hasAlpha, 7);
        EXPECT_EQ(trelwin::gdi::live_object_count(), handles);
    }
}

// The signature decides the road; a picture never writes hasAlpha; an
// object that holds a bitmap already keeps it.
TEST(ImageLoader, PicturesOtherThanPngGoThroughThePictureLoader)
{
    // A 1 x 1 BMP file, 24 bits, blue (rows padded to 4 bytes).
    const Bytes bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                       24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0};
    const Decoded picture = Decode(bmp);
    ASSERT_TRUE(picture.ok);
    EXPECT_EQ(picture.hasAlpha, 7);
    EXPECT_EQ(picture.bitsPerPixel, 32);
    EXPECT_EQ(Bytes(picture.rows.begin(), picture.rows.begin() + 3), Bytes({255, 0, 0}));
    EXPECT_FALSE(Decode({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}).ok);
    EXPECT_FALSE(Decode({0x89, 'P', 'N'}).ok);  // shorter than a signature

    const Bytes png = SmallRgba();
    CExtendedBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromMemory(png.data(), static_cast<DWORD>(png.size()), 0, nullptr));
    const HGDIOBJ held = bitmap.GetSafeHandle();
    BOOL alpha = 7;
    EXPECT_FALSE(bitmap.LoadFromMemory(png.data(), static_cast<DWORD>(png.size()), 0, &alpha));
    EXPECT_FALSE(bitmap.LoadFromMemory(bmp.data(), static_cast<DWORD>(bmp.size()), 0, &alpha));
    EXPECT_EQ(bitmap.GetSafeHandle(), held);
    EXPECT_EQ(alpha, 7);
}

namespace
{

// The desktop's resolution, which sizes metafiles from their frames.
SIZE DesktopResolution()
{
    HDC desktop = GetDC(GetDesktopWindow());
    const SIZE resolution = {GetDeviceCaps(desktop, LOGPIXELSX), GetDeviceCaps(desktop, LOGPIXELSY)};
    ReleaseDC(GetDesktopWindow(), desktop);
    return resolution;
}

// Blue, green, red of each pixel of a 32-bit decode, top row first.
std::vector<COLORREF> Colours(const Decoded& d)
{
    std::vector<COLORREF> colours;
    for (int y = 0; y < d.height; ++y)
    {
        for (int x = 0; x < d.width; ++x)
        {
            const uint8_t* p = d.rows.data() + static_cast<size_t>(y) * d.stride + static_cast<size_t>(x) * 4;
            colours.push_back(RGB(p[2], p[1], p[0]));
        }
    }
    return colours;
}

}  // namespace

// GIF images and metafiles load through the picture road at their size and
// in their colours: a GIF's transparent pixels and what lies outside its
// frame show the background; a metafile of a 10-pixel frame at the
// desktop's resolution fills 10 x 10 pixels.
TEST(ImageLoader, GifImagesAndMetafilesLoadAtTheirSizeAndColours)
{
    const COLORREF background = RGB(1, 2, 3), red = RGB(250, 0, 0), colour = RGB(10, 200, 30);
    gif_maker::Picture one;
    one.palette = {{10, 200, 30}, {0, 0, 0}};
    one.rows = {{0}};
    gif_maker::Picture keyed;
    keyed.width = 2;
    keyed.palette = {{250, 0, 0}, {0, 0, 250}};
    keyed.rows = {{0, 1}};
    keyed.transparent = 1;
    gif_maker::Picture interlaced;
    interlaced.height = 6;
    interlaced.interlaced = true;
    std::vector<COLORREF> ramp;
    for (uint8_t i = 0; i < 8; ++i)
    {
        interlaced.palette.push_back({static_cast<GifByteType>(i * 30), 0, 0});
        if (i < 6)
        {
            interlaced.rows.push_back({i});
            ramp.push_back(RGB(i * 30, 0, 0));
        }
    }
    gif_maker::Picture inset = one;
    inset.screenWidth = 3;
    inset.left = 1;

    const SIZE dpi = DesktopResolution();
    const int frameX = MulDiv(10, 2540, dpi.cx), frameY = MulDiv(10, 2540, dpi.cy);
    metafile_maker::Emf emf(RECT{0, 0, frameX, frameY});
    emf.Record(metafile_maker::EMR_CREATEBRUSHINDIRECT,
               metafile_maker::Ints({1, BS_SOLID, static_cast<int32_t>(colour), 0}))
        .Record(metafile_maker::EMR_SELECTOBJECT, metafile_maker::Ints({1}))
        .Record(metafile_maker::EMR_SELECTOBJECT, metafile_maker::Ints({static_cast<int32_t>(0x80000000u | NULL_PEN)}))
        .Record(metafile_maker::EMR_RECTANGLE, metafile_maker::Ints({-5, -5, 1000, 1000}));
    // Box units of 0.01 mm (2540 to the inch), so that the box is the frame.
    metafile_maker::Wmf wmf(0, 0, frameX, frameY, 2540);
    wmf.Record(0x02FC, {BS_SOLID, metafile_maker::Low(colour), metafile_maker::High(colour), 0})
        .Record(0x012D, {0})
        .Record(0x02FA, {PS_NULL, 0, 0, 0, 0})
        .Record(0x012D, {1})
        .Record(0x041B, {frameY * 2, frameX * 2, -5, -5});

    struct Case
    {
        const char* name;
        Bytes bytes;
        int width;
        int height;
        std::vector<COLORREF> colours;  // every pixel, top row first; one for all
    };
    const Case cases[] = {
        {"1 x 1 GIF", gif_maker::Make(one), 1, 1, {colour}},
        {"GIF with a transparent index", gif_maker::Make(keyed), 2, 1, {red, background}},
        {"interlaced GIF", gif_maker::Make(interlaced), 1, 6, ramp},
        {"GIF frame inside a wider screen", gif_maker::Make(inset), 3, 1, {background, colour, background}},
        {"10 x 10 enhanced metafile", emf.Make(), 10, 10, {colour}},
        {"10 x 10 placeable metafile", wmf.Make(), 10, 10, {colour}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        const Decoded d = Decode(c.bytes, background);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.hasAlpha, 7);
        EXPECT_EQ(d.bitsPerPixel, 32);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        const std::vector<COLORREF> expected =
            c.colours.size() == 1 ? std::vector<COLORREF>(static_cast<size_t>(c.width * c.height), c.colours[0])
                                  : c.colours;
        EXPECT_EQ(Colours(d), expected);
    }
}
