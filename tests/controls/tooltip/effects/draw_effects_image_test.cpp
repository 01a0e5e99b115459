// Bitmaps, icons, image strips, shadows, frames and lines of the drawing
// effects, checked by pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/tooltip/effects/draw_effects.h"
#include "controls/tooltip/markup/markup_types.h"
#include "tests/platform/gdi/canvas.h"

using gdi_test::Canvas;

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kGrey = RGB(128, 128, 128);

// A 32-bit bitmap, not selected anywhere, made from rows of letters:
// R red, G green, B blue, Y yellow, M magenta, W white, K black.
HBITMAP MakeBitmap(const std::vector<std::string>& rows)
{
    const int width = static_cast<int>(rows[0].size()), height = static_cast<int>(rows.size());
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            switch (rows[y][x]) {
            case 'R': canvas.put(x, y, kRed); break;
            case 'G': canvas.put(x, y, kGreen); break;
            case 'B': canvas.put(x, y, kBlue); break;
            case 'Y': canvas.put(x, y, kYellow); break;
            case 'M': canvas.put(x, y, kMagenta); break;
            case 'K': canvas.put(x, y, RGB(0, 0, 0)); break;
            default: canvas.put(x, y, kWhite); break;
            }
        }
    }
    return static_cast<HBITMAP>(CopyImage(canvas.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// A row of the canvas as letters (the colours above, '.' for anything else).
std::string Letters(const Canvas& canvas, int y)
{
    std::string s;
    for (int x = 0; x < canvas.width(); ++x) {
        const COLORREF c = canvas.at(x, y);
        s += c == kRed ? 'R' : c == kGreen ? 'G' : c == kBlue ? 'B' : c == kYellow ? 'Y' : c == kWhite ? 'W'
             : c == kGrey ? '+' : c == RGB(0, 0, 0) ? 'K' : '.';
    }
    return s;
}

struct Bitmap {
    explicit Bitmap(HBITMAP h) : handle(h) {}
    ~Bitmap() { DeleteObject(handle); }
    HBITMAP handle;
};

TEST(DrawEffects, CreateImageEffectAppliesTheBitsInOrder)
{
    struct Case {
        const char* name;
        COLORREF pixel;
        DWORD effect;
        BOOL transparent;
        COLORREF expected;
    };
    const Case cases[] = {
        {"grey of red", kRed, IMAGE_EFFECT_GREY, FALSE, RGB(76, 76, 76)},
        {"grey of green", kGreen, IMAGE_EFFECT_GREY, FALSE, RGB(150, 150, 150)},
        {"darker", RGB(200, 100, 40), IMAGE_EFFECT_DARKER, FALSE, RGB(150, 75, 30)},
        {"lighter", RGB(200, 100, 40), IMAGE_EFFECT_LIGHTER, FALSE, RGB(250, 125, 50)},
        {"lighter stops at 255", RGB(240, 8, 0), IMAGE_EFFECT_LIGHTER, FALSE, RGB(255, 10, 0)},
        {"grey, then darker", kRed, IMAGE_EFFECT_GREY | IMAGE_EFFECT_DARKER, FALSE, RGB(57, 57, 57)},
        {"replaced", RGB(10, 20, 30), IMAGE_EFFECT_REPLACE, FALSE, RGB(1, 2, 3)},
        {"inverted", RGB(10, 20, 30), IMAGE_EFFECT_INVERT, FALSE, RGB(245, 235, 225)},
        {"replaced, then inverted", RGB(10, 20, 30), IMAGE_EFFECT_REPLACE | IMAGE_EFFECT_INVERT, FALSE,
         RGB(254, 253, 252)},
        {"transparent becomes black", kMagenta, IMAGE_EFFECT_GREY, TRUE, RGB(0, 0, 0)},
        {"transparent, inverted, is white", kMagenta, IMAGE_EFFECT_REPLACE | IMAGE_EFFECT_INVERT, TRUE, kWhite},
        {"other colours are not transparent", kBlue, 0, TRUE, kBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas source(1, 1, c.pixel);
        HBITMAP image = static_cast<HBITMAP>(CopyImage(source.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        CDrawEffects effects;
        Bitmap result(effects.CreateImageEffect(image, 3, 2, c.effect, c.transparent, kMagenta, RGB(1, 2, 3)));
        DeleteObject(image);
        ASSERT_NE(result.handle, nullptr);
        EXPECT_EQ(CDrawEffects::GetSizeOfBitmap(result.handle).cx, 3);
        EXPECT_EQ(gdi_test::BitmapPixel(result.handle, 2, 1), c.expected);
    }
}

// The transparent colour shows the background; the image is stretched to
// the size asked for.
TEST(DrawEffects, DrawBitmapLeavesTheTransparentColourOut)
{
    Bitmap bitmap(MakeBitmap({"MRMB"}));
    struct Case {
        const char* name;
        int width, height;
        BOOL transparent;
        DWORD effect;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"transparent magenta", 4, 1, TRUE, 0, {"GGGGGGGGGG", "GGGRGBGGGG", "GGGGGGGGGG"}},
        {"stretched twice as wide", 8, 1, TRUE, 0, {"GGGGGGGGGG", "GGGGRRGGBB", "GGGGGGGGGG"}},
        {"no transparency", 4, 1, FALSE, 0, {"GGGGGGGGGG", "GG.R.BGGGG", "GGGGGGGGGG"}},
        {"grey", 4, 1, TRUE, IMAGE_EFFECT_GREY, {"GGGGGGGGGG", "GGG.G.GGGG", "GGGGGGGGGG"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(10, 3, kGreen);
        CDrawEffects effects;
        effects.DrawBitmap(canvas.dc(), 2, 1, c.width, c.height, bitmap.handle, c.transparent, kMagenta, c.effect,
                           FALSE, 0, 0, 0, 0, kGrey);
        for (int y = 0; y < 3; ++y) EXPECT_EQ(Letters(canvas, y), c.rows[y]) << "row " << y;
    }
}

// A shadow of grey 128 halves white; it is left out where the image is
// transparent, and without the shadow bits the image itself moves.
TEST(DrawEffects, DrawBitmapCastsItsShadowOrMovesByTheOffsets)
{
    Bitmap bitmap(MakeBitmap({"RR", "RM"}));
    struct Case {
        const char* name;
        DWORD effect;
        COLORREF shadow;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"shadow", IMAGE_EFFECT_SHADOW, kGrey, {"WWWWWW", "WRRWWW", "WRWWWW", "WWW++W", "WWW+WW", "WWWWWW"}},
        {"black shadow", IMAGE_EFFECT_SHADOW, RGB(0, 0, 0),
         {"WWWWWW", "WRRWWW", "WRWWWW", "WWWKKW", "WWWKWW", "WWWWWW"}},
        {"no shadow bits: moved", 0, kGrey, {"WWWWWW", "WWWWWW", "WWWWWW", "WWWRRW", "WWWRWW", "WWWWWW"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(6, 6, kWhite);
        CDrawEffects effects;
        effects.DrawBitmap(canvas.dc(), 1, 1, 2, 2, bitmap.handle, TRUE, kMagenta, c.effect, TRUE, 2, 2, 3, 3,
                           c.shadow);
        for (int y = 0; y < 6; ++y) EXPECT_EQ(Letters(canvas, y), c.rows[y]) << "row " << y;
    }
}

// The blurred shadow is darkest in its middle, fades towards its edges and
// stays inside its area, whatever blur size is asked for.
TEST(DrawEffects, BlurredShadowsFadeAndStayInsideTheirArea)
{
    Bitmap bitmap(MakeBitmap(std::vector<std::string>(12, "RRRRRRRRRRRR")));
    for (int blur : {1, 3, 7, 12, 99, -4}) {
        SCOPED_TRACE(blur);
        Canvas canvas(30, 30, kWhite);
        CDrawEffects effects;
        effects.DrawBitmap(canvas.dc(), 2, 2, 12, 12, bitmap.handle, FALSE, 0, IMAGE_EFFECT_BLURRED_SHADOW, TRUE, 10,
                           10, blur, blur, kGrey);
        // Nothing outside the image and its shadow's area.
        EXPECT_EQ(canvas.count(kWhite, 0, 24, 30, 30), 6 * 30);
        EXPECT_EQ(canvas.count(kWhite, 24, 0, 30, 30), 6 * 30);
        EXPECT_EQ(canvas.count(kRed), 144);
        const int middle = GetRValue(canvas.at(18, 18));
        const int corner = GetRValue(canvas.at(23, 23));
        EXPECT_LT(middle, 255);
        EXPECT_LE(middle, corner);
    }
}

TEST(DrawEffects, DrawShadowDarkensByTheMasksBlueByte)
{
    // A one-pixel mask stretched over the area: blue 64 keeps a quarter.
    Canvas mask(1, 1, RGB(0, 0, 64));
    HBITMAP maskBitmap = static_cast<HBITMAP>(CopyImage(mask.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    Canvas canvas(5, 4, RGB(200, 100, 255));
    CDrawEffects effects;
    effects.DrawShadow(canvas.dc(), 1, 1, 3, 2, maskBitmap, FALSE, 0, 0);
    DeleteObject(maskBitmap);
    EXPECT_EQ(canvas.count(RGB(50, 25, 64)), 6);
    EXPECT_EQ(canvas.count(RGB(200, 100, 255)), 20 - 6);
}

TEST(DrawEffects, DrawImageListDrawsOneFrameOfTheStripOrNothing)
{
    Bitmap strip(MakeBitmap({"RRGGBBYY", "RRGGBBYY", "KKWWKKWW", "KKWWKKWW"}));
    struct Case {
        const char* name;
        int index, frameWidth, frameHeight;
        std::string row;  // row 1 of the canvas
    };
    const Case cases[] = {
        {"first frame", 0, 2, 2, "GRRGGG"},
        {"third frame", 2, 2, 2, "GBBGGG"},
        {"second row of frames", 5, 2, 2, "GWWGGG"},
        {"past the last frame", 8, 2, 2, "GGGGGG"},
        {"negative index", -1, 2, 2, "GGGGGG"},
        {"frames of no width", 0, 0, 2, "GGGGGG"},
        {"frames wider than the strip", 0, 9, 2, "GGGGGG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(6, 4, kGreen);
        CDrawEffects effects;
        effects.DrawImageList(canvas.dc(), 1, 1, 2, 2, strip.handle, c.index, c.frameWidth, c.frameHeight, FALSE, 0,
                              0, FALSE, 0, 0, 0, 0, kGrey);
        EXPECT_EQ(Letters(canvas, 1), c.row);
    }
}

// An icon: red where its mask is black, transparent in its left column.
HICON MakeIcon()
{
    Canvas colour(4, 4, kRed);
    for (int y = 0; y < 4; ++y) colour.put(0, y, RGB(0, 0, 0));
    const WORD maskRows[4] = {0x0080, 0x0080, 0x0080, 0x0080};  // bit 7 of each row's first byte: x = 0
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskRows);
    ICONINFO info{TRUE, 2, 2, mask, colour.bitmap()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}

TEST(DrawEffects, DrawIconUsesItsOwnMaskAtAnySize)
{
    struct Case {
        const char* name;
        int size;
        DWORD effect;
        std::string row;
    };
    const Case cases[] = {
        {"own size", 4, 0, "GGRRRG"},
        {"grey", 4, IMAGE_EFFECT_GREY, "GG...G"},
        {"twice the size", 8, 0, "GGGRRRRRR"},
    };
    HICON icon = MakeIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(CDrawEffects::GetSizeOfIcon(icon).cx, 4);
    EXPECT_EQ(CDrawEffects::GetSizeOfIcon(icon).cy, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(c.size + 1 + (c.size == 4 ? 1 : 0), 10, kGreen);
        CDrawEffects effects;
        effects.DrawIcon(canvas.dc(), 1, 1, c.size, c.size, icon, c.effect, FALSE, 0, 0, 0, 0, kGrey);
        EXPECT_EQ(Letters(canvas, 2), c.row);
        if (c.effect == IMAGE_EFFECT_GREY) {
            EXPECT_EQ(canvas.at(3, 2), RGB(76, 76, 76));
        }
    }
    DestroyIcon(icon);
    EXPECT_EQ(CDrawEffects::GetSizeOfIcon(icon).cx, 0);
}

TEST(DrawEffects, DrawRectangleFramesLightAboveAndLeftDarkBelowAndRight)
{
    struct Case {
        const char* name;
        int style, width;
        std::vector<std::string> rows;  // L light, D dark
    };
    const Case cases[] = {
        {"width 0 draws nothing", 1, 0, {"........", "........", "........", "........", "........", "........",
                                         "........", "........"}},
        {"solid", 1, 1, {"LLLLLLLD", "L......D", "L......D", "L......D", "L......D", "L......D", "L......D",
                         "DDDDDDDD"}},
        {"two wide", 1, 2, {"LLLLLLLD", "LLLLLLDD", "LL....DD", "LL....DD", "LL....DD", "LL....DD", "LDDDDDDD",
                            "DDDDDDDD"}},
        {"double", 6, 1, {"LLLLLLLD", "L......D", "L.LLLD.D", "L.L..D.D", "L.L..D.D", "L.DDDD.D", "L......D",
                          "DDDDDDDD"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(10, 10, kWhite);
        CDrawEffects effects;
        effects.DrawRectangle(canvas.dc(), RECT{1, 1, 9, 9}, kRed, kBlue, c.style, c.width);
        for (int y = 0; y < 8; ++y) {
            std::string row;
            for (int x = 1; x < 9; ++x) {
                const COLORREF p = canvas.at(x, y + 1);
                row += p == kRed ? 'L' : p == kBlue ? 'D' : '.';
            }
            EXPECT_EQ(row, c.rows[y]) << "row " << y;
        }
        EXPECT_EQ(canvas.count(kWhite, 0, 0, 10, 1) + canvas.count(kWhite, 0, 9, 10, 10), 20);
    }
}

TEST(DrawEffects, DashedFramesLeaveGapsAndDrawLineDoublesAcrossItsDirection)
{
    Canvas dashed(40, 6, kWhite);
    CDrawEffects effects;
    effects.DrawRectangle(dashed.dc(), RECT{0, 0, 40, 6}, kRed, kBlue, 2, 1);
    const int top = dashed.count(kRed, 0, 0, 40, 1) + dashed.count(kBlue, 0, 0, 40, 1);
    EXPECT_GT(top, 10);
    EXPECT_LT(top, 40);

    struct Case {
        const char* name;
        POINT from, to;
        int style, width;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"solid", {1, 1}, {6, 1}, 1, 1, {"........", ".#####..", "........", "........", "........"}},
        {"double, flat", {1, 1}, {6, 1}, 6, 1, {"........", ".#####..", "........", ".#####..", "........"}},
        {"double, steep", {1, 0}, {1, 4}, 6, 1, {".#.#....", ".#.#....", ".#.#....", ".#.#....", "........"}},
        {"width 0", {1, 1}, {6, 1}, 1, 0, {"........", "........", "........", "........", "........"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(8, 5, kWhite);
        effects.DrawLine(canvas.dc(), c.from, c.to, kRed, c.style, c.width);
        for (int y = 0; y < 5; ++y) EXPECT_EQ(canvas.row(y, kRed), c.rows[y]) << "row " << y;
    }
}

}  // namespace
