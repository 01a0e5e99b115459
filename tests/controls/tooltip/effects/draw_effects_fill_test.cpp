// The background fills of the drawing effects, checked by pixels: the
// palette image, gradients, textures, tiled copies and blended copies.
#include <gtest/gtest.h>

#include <string>

#include "controls/tooltip/effects/draw_effects.h"
#include "controls/tooltip/markup/markup_types.h"
#include "tests/controls/tooltip/tooltip_test_util.h"

using gdi_test::Canvas;
using tooltip_test::GreyOfIndex;

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kSentinel = RGB(255, 0, 255);

std::string Hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

TEST(PaletteDib, CreateSizesTheBlockAndRefusesBadSizes)
{
    struct Case {
        int width, height;
        int lineWidth;  // 0: refused
    };
    const Case cases[] = {{1, 3, 4}, {4, 1, 4}, {5, 2, 8}, {400, 200, 400}, {401, 1, 404},
                          {0, 5, 0}, {5, 0, 0}, {-1, 5, 0}, {32768, 1, 0}, {1, 32768, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        CPaletteDib dib;
        BYTE* block = dib.Create(c.width, c.height);
        if (c.lineWidth == 0) {
            EXPECT_EQ(block, nullptr);
            EXPECT_EQ(dib.GetWidth(), 0);
            continue;
        }
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(dib.GetLineWidth(), c.lineWidth);
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
        EXPECT_EQ(header->biSize, 40u);
        EXPECT_EQ(header->biWidth, c.width);
        EXPECT_EQ(header->biHeight, c.height);
        EXPECT_EQ(header->biBitCount, 8);
        EXPECT_EQ(header->biSizeImage, static_cast<DWORD>(c.lineWidth * c.height));
        // Palette right after the header, rows right after the palette.
        EXPECT_EQ(reinterpret_cast<BYTE*>(dib.GetPalette()), block + 40);
        EXPECT_EQ(dib.GetRow(0), block + 40 + 1024);
        EXPECT_EQ(dib.GetRow(c.height - 1), block + 40 + 1024 + (c.height - 1) * c.lineWidth);
        EXPECT_EQ(dib.GetRow(c.height), nullptr);
    }
}

TEST(PaletteDib, BlendPaletteMovesEveryEntryByAClampedShare)
{
    struct Case {
        int percent;
        COLORREF expected;  // entry (100, 0, 200) blended towards (0, 100, 0)
    };
    const Case cases[] = {{50, RGB(50, 50, 100)}, {10, RGB(90, 10, 180)}, {100, RGB(0, 100, 0)},
                          {150, RGB(0, 100, 0)}, {0, RGB(100, 0, 200)}, {-10, RGB(100, 0, 200)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        CPaletteDib dib;
        ASSERT_NE(dib.Create(2, 2), nullptr);
        for (int i = 0; i < 256; ++i) dib.GetPalette()[i] = RGBQUAD{200, 0, 100, 0};
        dib.BlendPalette(RGB(0, 100, 0), c.percent);
        for (int i : {0, 77, 255}) {
            const RGBQUAD q = dib.GetPalette()[i];
            EXPECT_EQ(Hex(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)), Hex(c.expected)) << "entry " << i;
        }
    }
}

TEST(PaletteDib, DrawShowsTheFirstRowAtTheBottomAndTheRowsAsTheyAreNow)
{
    Canvas canvas(8, 8, kSentinel);
    CPaletteDib dib;
    ASSERT_NE(dib.Create(2, 2), nullptr);
    dib.GetPalette()[1] = RGBQUAD{0, 0, 255, 0};
    dib.GetPalette()[2] = RGBQUAD{255, 0, 0, 0};
    dib.GetRow(0)[0] = dib.GetRow(0)[1] = 1;
    dib.GetRow(1)[0] = dib.GetRow(1)[1] = 2;
    dib.Draw(canvas.dc(), 3, 4);
    EXPECT_EQ(canvas.at(3, 4), kBlue);
    EXPECT_EQ(canvas.at(4, 5), kRed);
    EXPECT_EQ(canvas.count(kSentinel), 64 - 4);
    // The section is made once; the rows are copied again on every draw.
    dib.GetRow(0)[0] = 2;
    dib.Draw(canvas.dc(), 3, 4);
    EXPECT_EQ(canvas.at(3, 5), kBlue);
}

// Band k of 64 takes (start * (64 - k) + end * k) / 64 and covers
// [k * W / 64, (k + 1) * W / 64); narrow rectangles skip the empty bands.
TEST(DrawEffects, GradientBandsSplitTheRectangleInSixtyFourths)
{
    struct Case {
        const char* name;
        int width, height;
        BOOL horizontal;
        COLORREF start, end;
        int x, y;
        COLORREF expected;
    };
    const Case cases[] = {
        {"10 wide: pixel 0 is band 6", 10, 1, TRUE, RGB(0, 0, 0), kRed, 0, 0, RGB(23, 0, 0)},
        {"10 wide: pixel 9 is band 63", 10, 1, TRUE, RGB(0, 0, 0), kRed, 9, 0, RGB(251, 0, 0)},
        {"128 wide: pixel 1 still band 0", 128, 1, TRUE, RGB(0, 0, 0), RGB(255, 255, 255), 1, 0, RGB(0, 0, 0)},
        {"128 wide: pixel 2 is band 1", 128, 1, TRUE, RGB(0, 0, 0), RGB(255, 255, 255), 2, 0, RGB(3, 3, 3)},
        {"vertical: top row is the start", 3, 64, FALSE, RGB(255, 255, 255), RGB(0, 0, 0), 1, 0,
         RGB(255, 255, 255)},
        {"vertical: bottom row is band 63", 3, 64, FALSE, RGB(255, 255, 255), RGB(0, 0, 0), 1, 63, RGB(3, 3, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(c.width + 4, c.height + 4, kSentinel);
        CDrawEffects effects;
        effects.DrawGradient(canvas.dc(), RECT{2, 2, 2 + c.width, 2 + c.height}, c.start, c.end, c.horizontal);
        EXPECT_EQ(Hex(canvas.at(2 + c.x, 2 + c.y)), Hex(c.expected));
        EXPECT_EQ(canvas.count(kSentinel), (c.width + 4) * (c.height + 4) - c.width * c.height);
    }
}

// Colour 1 red, 2 green, 3 blue over a 128 x 64 rectangle.
TEST(DrawEffects, FillEffectDrawsEachGradientLayoutAndSolidOtherwise)
{
    struct Case {
        int effect;
        int x, y;
        COLORREF expected;
    };
    const Case cases[] = {
        {BACK_EFFECT_SOLID, 70, 30, kRed},
        {BACK_EFFECT_TRANSPARENT, 70, 30, kRed},
        {16, 70, 30, kRed},
        {-7, 0, 0, kRed},
        {BACK_EFFECT_HGRADIENT, 0, 10, kRed},
        {BACK_EFFECT_HGRADIENT, 127, 10, RGB(3, 0, 251)},
        {BACK_EFFECT_VGRADIENT, 100, 0, kRed},
        {BACK_EFFECT_VGRADIENT, 100, 63, RGB(3, 0, 251)},
        {BACK_EFFECT_HCGRADIENT, 0, 5, kRed},
        {BACK_EFFECT_HCGRADIENT, 63, 5, RGB(3, 0, 251)},
        {BACK_EFFECT_HCGRADIENT, 64, 5, kBlue},
        {BACK_EFFECT_HCGRADIENT, 127, 5, RGB(251, 0, 3)},
        {BACK_EFFECT_VCGRADIENT, 5, 31, RGB(3, 0, 251)},
        // A half 32 high has no band 0: band 1 covers its first row.
        {BACK_EFFECT_VCGRADIENT, 5, 32, RGB(3, 0, 251)},
        {BACK_EFFECT_3HGRADIENT, 0, 5, kRed},
        {BACK_EFFECT_3HGRADIENT, 64, 5, kGreen},
        {BACK_EFFECT_3VGRADIENT, 5, 32, RGB(0, 251, 3)},
        {BACK_EFFECT_3VGRADIENT, 5, 63, RGB(0, 3, 251)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("effect " + std::to_string(c.effect) + " at " + std::to_string(c.x) + "," +
                     std::to_string(c.y));
        Canvas canvas(128, 64, kSentinel);
        CDrawEffects effects;
        effects.FillEffect(canvas.dc(), RECT{0, 0, 128, 64}, c.effect, kRed, kGreen, kBlue, 0, 5);
        EXPECT_EQ(Hex(canvas.at(c.x, c.y)), Hex(c.expected));
        EXPECT_EQ(canvas.count(kSentinel), 0);
    }
}

// With granularity 0 the noise is (nearly) nil, so each texture's index is
// a function of the place alone. Colours 1-3 white, grey, black make the
// palette a grey ramp (tooltip_test::GreyOfIndex). ty counts rows from the
// top of the picture; the texture counts them from the bottom.
TEST(DrawEffects, TexturesComputeTheirPaletteIndexFromThePixelsPlace)
{
    struct Case {
        int effect;
        int x, ty;
        int index;
    };
    const Case cases[] = {
        {BACK_EFFECT_NOISE, 10, 10, 128},
        {BACK_EFFECT_HSHADE, 5, 0, 251},  // 63 * 255 / 64
        {BACK_EFFECT_HSHADE, 5, 63, 0},
        {BACK_EFFECT_VSHADE, 0, 9, 255},
        {BACK_EFFECT_VSHADE, 63, 9, 3},
        {BACK_EFFECT_DIAGSHADE, 0, 0, 252},  // 127 + 127 * 63 / 64
        {BACK_EFFECT_DIAGSHADE, 63, 63, 1},
        {BACK_EFFECT_HBUMP, 7, 31, 128},  // t = 0
        {BACK_EFFECT_HBUMP, 7, 63, 3},    // t = -127, c = -125
        {BACK_EFFECT_HBUMP, 7, 0, 244},   // t = 124, c = 116
        {BACK_EFFECT_VBUMP, 0, 4, 0},     // t = 128, c = 128: 256 wraps to 0
        {BACK_EFFECT_VBUMP, 63, 4, 12},   // t = -124, c = -116
        {BACK_EFFECT_SOFTBUMP, 0, 31, 255},
        {BACK_EFFECT_SOFTBUMP, 63, 63, 0},
        {BACK_EFFECT_HARDBUMP, 32, 31, 128},  // inside the bevel
        {BACK_EFFECT_HARDBUMP, 63, 31, 12},   // right bevel: 128 * 1 / 10
        {BACK_EFFECT_HARDBUMP, 0, 31, 255},   // left bevel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("effect " + std::to_string(c.effect) + " at " + std::to_string(c.x) + "," +
                     std::to_string(c.ty));
        Canvas canvas(80, 80, kSentinel);
        CDrawEffects effects;
        effects.FillEffect(canvas.dc(), RECT{8, 8, 72, 72}, c.effect, tooltip_test::kRampWhite,
                           tooltip_test::kRampMid, tooltip_test::kRampBlack, 0, 0);
        EXPECT_EQ(Hex(canvas.at(8 + c.x, 8 + c.ty)), Hex(GreyOfIndex(c.index)));
        EXPECT_EQ(canvas.count(kSentinel), 80 * 80 - 64 * 64);
    }
}

// Every texture covers exactly its rectangle, also one pixel wide or high
// (where the bevel, the bump curves and the random strokes divide by the
// size), and draws nothing for an empty one.
TEST(DrawEffects, TexturesCoverExactlyTheirRectangleAtAnySize)
{
    const SIZE sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {7, 3}, {0, 5}, {5, 0}, {-3, 4}};
    for (int effect = BACK_EFFECT_NOISE; effect <= BACK_EFFECT_METAL; ++effect) {
        for (const SIZE& size : sizes) {
            SCOPED_TRACE("effect " + std::to_string(effect) + " " + std::to_string(size.cx) + "x" +
                         std::to_string(size.cy));
            Canvas canvas(16, 16, kSentinel);
            CDrawEffects effects;
            effects.FillEffect(canvas.dc(), RECT{3, 3, 3 + size.cx, 3 + size.cy}, effect, kRed, kGreen, kBlue,
                               40, 5);
            const int area = size.cx > 0 && size.cy > 0 ? size.cx * size.cy : 0;
            EXPECT_EQ(canvas.count(kSentinel), 256 - area);
            if (area > 0) {
                EXPECT_EQ(canvas.count(kSentinel, 3, 3, 3 + size.cx, 3 + size.cy), 0);
            }
        }
    }
}

TEST(DrawEffects, TexturesBlendedFullyTowardsColourOneAreThatColour)
{
    for (int effect = BACK_EFFECT_NOISE; effect <= BACK_EFFECT_METAL; ++effect) {
        SCOPED_TRACE(effect);
        Canvas canvas(20, 10, kSentinel);
        CDrawEffects effects;
        effects.FillEffect(canvas.dc(), RECT{0, 0, 20, 10}, effect, kRed, kGreen, kBlue, 255, 100);
        EXPECT_EQ(canvas.count(kRed), 200);
    }
}

TEST(DrawEffects, TheSameNoiseSeedDrawsTheSameTexture)
{
    Canvas first(40, 30), second(40, 30);
    CDrawEffects a, b;
    a.SeedNoise(77);
    b.SeedNoise(77);
    a.FillEffect(first.dc(), RECT{0, 0, 40, 30}, BACK_EFFECT_METAL, kRed, kGreen, kBlue, 30, 5);
    b.FillEffect(second.dc(), RECT{0, 0, 40, 30}, BACK_EFFECT_METAL, kRed, kGreen, kBlue, 30, 5);
    int same = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) same += first.at(x, y) == second.at(x, y);
    EXPECT_EQ(same, 40 * 30);
    // Granularity makes noise: the metal texture is not one flat colour.
    EXPECT_LT(first.count(first.at(20, 15)), 40 * 30);
}

// The destination pixel (x + i, y + j) holds the source pixel (i mod w,
// j mod h); the larger areas go through the tile built by doubling.
TEST(DrawEffects, MultipleCopyTilesTheSourceBlockAndClipsTheLastTiles)
{
    struct Case {
        int sourceWidth, sourceHeight, width, height;
    };
    const Case cases[] = {{3, 2, 10, 5}, {2, 3, 301, 40}, {1, 1, 300, 9}, {5, 4, 5, 4}, {7, 7, 3, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + " over " +
                     std::to_string(c.width) + "x" + std::to_string(c.height));
        Canvas source(c.sourceWidth, c.sourceHeight);
        for (int y = 0; y < c.sourceHeight; ++y)
            for (int x = 0; x < c.sourceWidth; ++x) source.put(x, y, RGB(x * 30, y * 40, 7));
        Canvas dest(c.width + 2, c.height + 2, kSentinel);
        CDrawEffects effects;
        effects.MultipleCopy(dest.dc(), 1, 1, c.width, c.height, source.dc(), 0, 0, c.sourceWidth, c.sourceHeight);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                wrong += dest.at(1 + x, 1 + y) != source.at(x % c.sourceWidth, y % c.sourceHeight);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(dest.count(kSentinel), (c.width + 2) * (c.height + 2) - c.width * c.height);
    }
}

TEST(DrawEffects, AlphaCopiesMixByTheOpacityOrByEachPixelsAlpha)
{
    struct Case {
        const char* name;
        bool channel;   // AlphaChannelBitBlt with the source alpha, else AlphaBitBlt
        int share;      // opacity percent or alpha byte
        int source, dest, expected;
    };
    const Case cases[] = {
        {"opacity 100 copies", false, 100, 200, 100, 200},
        {"opacity above 100 copies", false, 150, 200, 100, 200},
        {"opacity 25", false, 25, 200, 100, 125},
        {"opacity 50 rounds half up", false, 50, 1, 0, 1},
        {"opacity 0 keeps", false, 0, 200, 100, 100},
        {"negative opacity keeps", false, -5, 200, 100, 100},
        {"alpha 255 is the source", true, 255, 200, 10, 200},
        {"alpha 0 is the destination", true, 0, 200, 10, 10},
        {"alpha 128", true, 128, 200, 10, 105},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas source(3, 2), dest(6, 4, RGB(c.dest, c.dest, c.dest));
        for (int i = 0; i < 6; ++i)
            source.bits()[i] = (uint32_t(c.channel ? c.share : 0) << 24) | (uint32_t(c.source) << 16) |
                               (uint32_t(c.source) << 8) | uint32_t(c.source);
        CDrawEffects effects;
        if (c.channel)
            effects.AlphaChannelBitBlt(source.dc(), dest.dc(), 2, 1, 3, 2);
        else
            effects.AlphaBitBlt(dest.dc(), 2, 1, 3, 2, source.dc(), c.share);
        EXPECT_EQ(dest.count(RGB(c.expected, c.expected, c.expected), 2, 1, 5, 3), 6);
        EXPECT_EQ(dest.count(RGB(c.dest, c.dest, c.dest)), c.expected == c.dest ? 24 : 18);
    }
}

}  // namespace
