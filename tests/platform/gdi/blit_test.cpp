#include <gtest/gtest.h>

#include <functional>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

namespace {

// Rounded (a * x + b * y) / 255.
int mix(int a, int x, int b, int y) {
    return (2 * (a * x + b * y) + 255) / 510;
}
}  // namespace

TEST(BitBlt, EveryRasterOperation) {
    const COLORREF s = RGB(0xCC, 0x0F, 0x55), d = RGB(0xAA, 0x33, 0xF0), p = RGB(0xF0, 0x5A, 0x0F);
    struct Case { DWORD rop; std::function<DWORD(DWORD, DWORD, DWORD)> f; const char* name; };
    const Case cases[] = {
        {SRCCOPY, [](DWORD S, DWORD, DWORD) { return S; }, "SRCCOPY"},
        {SRCAND, [](DWORD S, DWORD D, DWORD) { return S & D; }, "SRCAND"},
        {SRCPAINT, [](DWORD S, DWORD D, DWORD) { return S | D; }, "SRCPAINT"},
        {SRCINVERT, [](DWORD S, DWORD D, DWORD) { return S ^ D; }, "SRCINVERT"},
        {SRCERASE, [](DWORD S, DWORD D, DWORD) { return S & ~D; }, "SRCERASE"},
        {NOTSRCCOPY, [](DWORD S, DWORD, DWORD) { return ~S; }, "NOTSRCCOPY"},
        {NOTSRCERASE, [](DWORD S, DWORD D, DWORD) { return ~(S | D); }, "NOTSRCERASE"},
        {MERGECOPY, [](DWORD S, DWORD, DWORD P) { return P & S; }, "MERGECOPY"},
        {MERGEPAINT, [](DWORD S, DWORD D, DWORD) { return ~S | D; }, "MERGEPAINT"},
        {PATCOPY, [](DWORD, DWORD, DWORD P) { return P; }, "PATCOPY"},
        {PATPAINT, [](DWORD S, DWORD D, DWORD P) { return P | ~S | D; }, "PATPAINT"},
        {PATINVERT, [](DWORD, DWORD D, DWORD P) { return P ^ D; }, "PATINVERT"},
        {DSTINVERT, [](DWORD, DWORD D, DWORD) { return ~D; }, "DSTINVERT"},
        {BLACKNESS, [](DWORD, DWORD, DWORD) { return 0u; }, "BLACKNESS"},
        {WHITENESS, [](DWORD, DWORD, DWORD) { return 0xFFFFFFu; }, "WHITENESS"},
    };
    Canvas src(4, 4, s);
    for (const Case& k : cases) {
        Canvas dst(6, 6, d);
        Selected brush(dst.dc(), CreateSolidBrush(p));
        EXPECT_TRUE(BitBlt(dst.dc(), 1, 1, 4, 4, src.dc(), 0, 0, k.rop)) << k.name;
        EXPECT_EQ(dst.at(2, 2), k.f(s, d, p) & 0xFFFFFF) << k.name;
        EXPECT_EQ(dst.at(0, 0), d) << k.name;
        EXPECT_EQ(dst.at(5, 5), d) << k.name;
        EXPECT_EQ(dst.count(dst.at(2, 2), 1, 1, 5, 5), 16) << k.name;
    }
}

TEST(BitBlt, MonochromeSourceTakesTheDestinationColours) {
    const WORD row[1] = {0xF0};  // four white bits, then four black
    MonoCanvas mono(8, 1, row);
    Canvas dst(8, 1);
    SetTextColor(dst.dc(), kRed);
    SetBkColor(dst.dc(), kGreen);
    BitBlt(dst.dc(), 0, 0, 8, 1, mono.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.row(0, kGreen), "####....");
    EXPECT_EQ(dst.row(0, kRed), "....####");
}

TEST(BitBlt, ColourToMonochromeByTheSourceBackgroundColour) {
    Canvas src(8, 1, kBlue);
    src.put(1, 0, kRed);
    src.put(5, 0, kRed);
    SetBkColor(src.dc(), kRed);
    HDC mdc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(mdc, 8, 1);
    HGDIOBJ old = SelectObject(mdc, mono);
    BitBlt(mdc, 0, 0, 8, 1, src.dc(), 0, 0, SRCCOPY);
    SelectObject(mdc, old);
    BYTE bits[2] = {0, 0};
    EXPECT_EQ(GetBitmapBits(mono, 2, bits), 2);
    EXPECT_EQ(bits[0], 0x44);  // white (1) where the source had the background colour
    DeleteObject(mono);
    DeleteDC(mdc);
}

TEST(BitBlt, MaskAndImageMakeATransparentDraw) {
    // Mask: black where the image is, white elsewhere; image: black where transparent.
    Canvas background(4, 1, kGreen);
    Canvas mask(4, 1, kWhite);
    Canvas image(4, 1, kBlack);
    mask.put(1, 0, kBlack);
    image.put(1, 0, kRed);
    BitBlt(background.dc(), 0, 0, 4, 1, mask.dc(), 0, 0, SRCAND);
    BitBlt(background.dc(), 0, 0, 4, 1, image.dc(), 0, 0, SRCPAINT);
    EXPECT_EQ(background.row(0, kGreen), "#.##");
    EXPECT_EQ(background.at(1, 0), kRed);
}

TEST(BitBlt, KeepsSourceAlphaAndClipsToBothSurfaces) {
    Canvas src(4, 4, kRed);
    src.bits()[0] = 0x80FF0000u;
    Canvas dst(8, 8);
    BitBlt(dst.dc(), 6, 6, 4, 4, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.raw(6, 6), 0x80FF0000u);
    EXPECT_EQ(dst.count(kRed), 4);
    dst.clear(kWhite);
    BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 2, 2, SRCCOPY);  // only 2x2 of the source exists
    EXPECT_EQ(dst.count(kRed), 4);
    EXPECT_EQ(dst.at(2, 2), kWhite);
}

TEST(BitBlt, OverlappingCopyWithinOneSurface) {
    Canvas c(6, 1);
    for (int x = 0; x < 6; ++x) c.put(x, 0, RGB(x, 0, 0));
    BitBlt(c.dc(), 1, 0, 5, 1, c.dc(), 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x) EXPECT_EQ(c.at(x, 0), RGB(x - 1, 0, 0));
    BitBlt(c.dc(), 0, 0, 5, 1, c.dc(), 1, 0, SRCCOPY);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(c.at(x, 0), RGB(x, 0, 0));
}

TEST(BitBlt, ClipRegionLimitsTheCopy) {
    Canvas src(10, 10, kRed);
    Canvas dst(10, 10);
    HRGN clip = CreateRectRgn(2, 2, 5, 5);
    SelectClipRgn(dst.dc(), clip);
    BitBlt(dst.dc(), 0, 0, 10, 10, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.count(kRed), 9);
    EXPECT_EQ(dst.count(kRed, 2, 2, 5, 5), 9);
    DeleteObject(clip);
}

TEST(PatBlt, UsesTheBrush) {
    Canvas c(6, 6, kGreen);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    PatBlt(c.dc(), 1, 1, 2, 2, PATCOPY);
    EXPECT_EQ(c.count(kRed), 4);
    PatBlt(c.dc(), 1, 1, 2, 2, PATINVERT);
    EXPECT_EQ(c.count(kBlack), 4);
    PatBlt(c.dc(), 5, 5, -2, -2, DSTINVERT);  // negative sizes extend up and left
    EXPECT_EQ(c.count(RGB(255, 0, 255)), 4);
    EXPECT_EQ(c.at(3, 3), RGB(255, 0, 255));
    EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));
}

TEST(StretchBlt, NearestPixelEnlargeShrinkAndMirror) {
    Canvas src(4, 1);
    const COLORREF colours[4] = {kRed, kGreen, kBlue, kBlack};
    for (int x = 0; x < 4; ++x) src.put(x, 0, colours[x]);
    Canvas dst(8, 2);
    SetStretchBltMode(dst.dc(), COLORONCOLOR);
    StretchBlt(dst.dc(), 0, 0, 8, 2, src.dc(), 0, 0, 4, 1, SRCCOPY);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(dst.at(x, 0), colours[x / 2]) << x;
        EXPECT_EQ(dst.at(x, 1), colours[x / 2]) << x;
    }
    dst.clear(kWhite);
    StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dst.at(0, 0), kRed);
    EXPECT_EQ(dst.at(1, 0), kBlue);
    dst.clear(kWhite);
    StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 3, 0, -4, 1, SRCCOPY);  // mirrored source
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, 0), colours[3 - x]) << x;
}

TEST(StretchBlt, HalftoneAveragesTheCoveredArea) {
    Canvas src(4, 2, kWhite);
    src.put(0, 0, kRed);
    src.put(1, 0, kBlue);
    src.put(0, 1, kRed);
    src.put(1, 1, kBlue);
    Canvas dst(2, 1);
    SetStretchBltMode(dst.dc(), HALFTONE);
    StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 2, SRCCOPY);
    EXPECT_EQ(dst.at(0, 0), RGB(128, 0, 128));
    EXPECT_EQ(dst.at(1, 0), kWhite);
}

TEST(StretchBlt, ThroughARopAndFromMonochrome) {
    const WORD rows[1] = {0x40};  // bit 1 set: white
    MonoCanvas mono(2, 1, rows);
    Canvas dst(4, 2, kGreen);
    SetTextColor(dst.dc(), kBlack);
    SetBkColor(dst.dc(), kWhite);
    StretchBlt(dst.dc(), 0, 0, 4, 2, mono.dc(), 0, 0, 2, 1, SRCAND);
    EXPECT_EQ(dst.row(0, kBlack), "##..");
    EXPECT_EQ(dst.row(1, kGreen), "..##");
}

TEST(AlphaBlend, ConstantAlpha) {
    Canvas src(4, 4, kRed);
    Canvas dst(4, 4, kWhite);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, 0};
    EXPECT_TRUE(AlphaBlend(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 4, 4, blend));
    EXPECT_EQ(dst.at(1, 1), RGB(mix(255, 128, 255, 127), mix(0, 128, 255, 127), mix(0, 128, 255, 127)));
    // The highlight of the drawing maps: dark red at 192 over white.
    Canvas red(2, 2, RGB(128, 0, 0));
    Canvas white(2, 2, kWhite);
    BLENDFUNCTION highlight{AC_SRC_OVER, 0, 192, 0};
    AlphaBlend(white.dc(), 0, 0, 2, 2, red.dc(), 0, 0, 2, 2, highlight);
    EXPECT_EQ(white.at(0, 0), RGB(mix(128, 192, 255, 63), mix(0, 192, 255, 63), mix(0, 192, 255, 63)));
}

TEST(AlphaBlend, PerPixelPremultipliedAlpha) {
    Canvas src(3, 1);
    src.bits()[0] = 0xFF00FF00u;  // opaque green
    src.bits()[1] = 0x80800000u;  // half-transparent red, premultiplied
    src.bits()[2] = 0x00000000u;  // fully transparent
    Canvas dst(3, 1, kBlue);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, 3, 1, blend));
    EXPECT_EQ(dst.at(0, 0), kGreen);
    EXPECT_EQ(dst.at(1, 0), RGB(128, 0, mix(255, 127, 0, 0)));
    EXPECT_EQ(dst.at(2, 0), kBlue);
    // Constant alpha scales the premultiplied source first.
    Canvas dst2(1, 1, kBlack);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
    AlphaBlend(dst2.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, half);
    EXPECT_EQ(dst2.at(0, 0), RGB(0, mix(255, 128, 0, 0), 0));
}

TEST(AlphaBlend, RefusesBadArguments) {
    Canvas src(4, 4, kRed);
    Canvas dst(4, 4);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 4, 4, src.dc(), 2, 2, 4, 4, blend));  // source outside
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, -4, 4, src.dc(), 0, 0, 4, 4, blend));
    HDC mdc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(mdc, 4, 4);
    HGDIOBJ old = SelectObject(mdc, mono);
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 4, 4, mdc, 0, 0, 4, 4, blend));  // per-pixel needs 32 bits
    SelectObject(mdc, old);
    DeleteObject(mono);
    DeleteDC(mdc);
    EXPECT_EQ(dst.count(kWhite), 16);
}

TEST(AlphaBlend, Stretches) {
    Canvas src(1, 1, kRed);
    Canvas dst(4, 4);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
    EXPECT_TRUE(AlphaBlend(dst.dc(), 1, 1, 2, 2, src.dc(), 0, 0, 1, 1, blend));
    EXPECT_EQ(dst.count(kRed), 4);
    EXPECT_EQ(dst.count(kRed, 1, 1, 3, 3), 4);
}

TEST(TransparentBlt, SkipsTheKeyColourAndStretches) {
    Canvas src(2, 1, RGB(255, 0, 255));
    src.put(1, 0, kRed);
    Canvas dst(4, 2, kGreen);
    EXPECT_TRUE(TransparentBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, RGB(255, 0, 255)));
    EXPECT_EQ(dst.row(0, kGreen), "##..");
    EXPECT_EQ(dst.row(1, kRed), "..##");
    EXPECT_FALSE(TransparentBlt(dst.dc(), 0, 0, -4, 2, src.dc(), 0, 0, 2, 1, 0));
}

TEST(AlphaBlend, MatchesTheFormulaOverManyColours) {
    // Premultiplied sources (channels at most alpha) against random backgrounds.
    Canvas src(64, 32), dst(64, 32), expected(64, 32);
    uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 8) & 0xFF; };
    for (int i = 0; i < 64 * 32; ++i) {
        const uint32_t a = next();
        const uint32_t r = a ? next() % (a + 1) : 0, g = a ? next() % (a + 1) : 0, b = a ? next() % (a + 1) : 0;
        src.bits()[i] = (a << 24) | (r << 16) | (g << 8) | b;
        dst.bits()[i] = (next() << 24) | (next() << 16) | (next() << 8) | next();
    }
    for (uint32_t k : {255u, 200u, 77u}) {
        Canvas target(64, 32);
        std::memcpy(target.bits(), dst.bits(), 64 * 32 * 4);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(k), AC_SRC_ALPHA};
        AlphaBlend(target.dc(), 0, 0, 64, 32, src.dc(), 0, 0, 64, 32, blend);
        for (int i = 0; i < 64 * 32; ++i) {
            const uint32_t s = src.bits()[i], d = dst.bits()[i];
            uint32_t sc[4];
            for (int c = 0; c < 4; ++c) sc[c] = static_cast<uint32_t>(mix(static_cast<int>((s >> (8 * c)) & 0xFF), static_cast<int>(k), 0, 0));
            uint32_t want = 0;
            for (int c = 0; c < 4; ++c) {
                const uint32_t v = sc[c] + static_cast<uint32_t>(mix(static_cast<int>((d >> (8 * c)) & 0xFF), static_cast<int>(255 - sc[3]), 0, 0));
                want |= std::min<uint32_t>(255, v) << (8 * c);
            }
            ASSERT_EQ(target.bits()[i], want) << "pixel " << i << " alpha " << k;
        }
    }
}

TEST(StretchBlt, ScalingWithinOneSurfaceReadsTheOriginalPixels) {
    Canvas c(1, 8);
    const COLORREF colours[4] = {kRed, kGreen, kBlue, kBlack};
    for (int y = 0; y < 4; ++y) c.put(0, y, colours[y]);
    SetStretchBltMode(c.dc(), COLORONCOLOR);
    // Doubling in place: destination rows cover source rows not yet read.
    StretchBlt(c.dc(), 0, 0, 1, 8, c.dc(), 0, 0, 1, 4, SRCCOPY);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(c.at(0, y), colours[y / 2]) << y;
}
