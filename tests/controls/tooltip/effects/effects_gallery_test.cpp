// Every background effect, image effect, shadow and frame of the tooltip
// drawn side by side on one canvas, saved as artefacts/tooltip/effects.png
// in the build folder for a person to look at; the test checks that each
// tile was painted and that nothing spilled over its neighbours.
#include <gtest/gtest.h>

#include <string>

#include "controls/tooltip/effects/draw_effects.h"
#include "controls/tooltip/markup/markup_drawer.h"
#include "tests/platform/gdi/canvas_png.h"

#ifndef TRELWIN_TOOLTIP_ARTEFACTS
#define TRELWIN_TOOLTIP_ARTEFACTS "artefacts/tooltip"
#endif

using gdi_test::Canvas;
using gdi_test::SavePng;

namespace {

const COLORREF kPaper = RGB(236, 236, 236);
const char* const kEffectNames[] = {"solid",    "hgradient", "vgradient", "hcgradient", "vcgradient", "3hgradient",
                                    "3vgradient", "noise",   "diagshade", "hshade",     "vshade",     "hbump",
                                    "vbump",    "softbump",  "hardbump",  "metal"};

void Label(HDC dc, int x, int y, const char* text)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x, y, text, static_cast<int>(strlen(text)));
}

// Our own picture of a device: a blue box with a screen and two lamps, on a
// ground colour (magenta, which the drawing leaves out, for the images).
HBITMAP DevicePicture(COLORREF ground = RGB(255, 0, 255))
{
    Canvas picture(32, 32, ground);
    HDC dc = picture.dc();
    HBRUSH body = CreateSolidBrush(RGB(40, 90, 200));
    HBRUSH screen = CreateSolidBrush(RGB(180, 230, 255));
    HBRUSH green = CreateSolidBrush(RGB(40, 200, 60));
    HBRUSH amber = CreateSolidBrush(RGB(250, 170, 20));
    RECT box{2, 6, 30, 26}, glass{5, 9, 20, 20}, lamp1{23, 10, 27, 14}, lamp2{23, 17, 27, 21};
    FillRect(dc, &box, body);
    FillRect(dc, &glass, screen);
    FillRect(dc, &lamp1, green);
    FillRect(dc, &lamp2, amber);
    for (HBRUSH b : {body, screen, green, amber}) DeleteObject(b);
    return static_cast<HBITMAP>(CopyImage(picture.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TEST(TooltipGallery, EveryEffectPaintsItsOwnTile)
{
    Canvas canvas(664, 430, kPaper);
    HDC dc = canvas.dc();
    CDrawEffects effects;
    CMarkupDrawer drawer;
    const COLORREF c1 = RGB(255, 255, 225), c2 = RGB(200, 200, 255), c3 = RGB(90, 90, 140);

    // The background effects in tiles of 150 x 50, four to a row.
    for (int effect = BACK_EFFECT_SOLID; effect <= BACK_EFFECT_METAL; ++effect) {
        const int x = 10 + (effect % 4) * 162, y = 10 + (effect / 4) * 66;
        const RECT tile{x, y + 14, x + 150, y + 64};
        effects.FillEffect(dc, tile, effect, c1, c2, c3, 12, 5);
        Label(dc, x, y, kEffectNames[effect]);
        SCOPED_TRACE(kEffectNames[effect]);
        EXPECT_EQ(canvas.count(kPaper, tile.left, tile.top, tile.right, tile.bottom), 0);
        EXPECT_EQ(canvas.at(tile.right, tile.top + 10), kPaper);
    }

    // The image effects, with the style letters that ask for them.
    HBITMAP picture = DevicePicture();
    struct Image {
        const char* label;
        int style;
    };
    const Image images[] = {{"plain", 0}, {"g", 0x1}, {"d", 0x2}, {"l", 0x4}, {"s", 0x100}, {"s blur", 0x200},
                            {"gs", 0x201}};
    int x = 10;
    for (const Image& image : images) {
        Label(dc, x, 280, image.label);
        effects.DrawBitmap(dc, x, 296, 32, 32, picture, TRUE, RGB(255, 0, 255), image.style,
                           (image.style & 0x300) != 0, 4, 4, 7, 7, RGB(128, 128, 128));
        EXPECT_EQ(canvas.count(RGB(255, 0, 255), x, 296, x + 40, 340), 0);
        x += 56;
    }
    // The same picture at twice its size and as frames of a strip.
    effects.DrawBitmap(dc, x, 280, 64, 64, picture, TRUE, RGB(255, 0, 255), 0x200, TRUE, 4, 4, 7, 7,
                       RGB(128, 128, 128));
    DeleteObject(picture);

    // Frames and lines in every border style.
    const int styles[] = {1, 2, 3, 4, 5, 6};
    x = 10;
    for (int style : styles) {
        effects.DrawRectangle(dc, RECT{x, 360, x + 60, 400}, RGB(255, 255, 255), RGB(80, 80, 80), style,
                              style == 1 ? 2 : 1);
        effects.DrawLine(dc, POINT{x, 410}, POINT{x + 60, 410}, RGB(200, 0, 0), style, 1);
        x += 72;
    }

    // A table background tiled from a bitmap of ours.
    HBITMAP tile = DevicePicture(RGB(225, 235, 245));
    HDC tileDc = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(tileDc, tile);
    effects.MultipleCopy(dc, 450, 350, 200, 70, tileDc, 0, 0, 32, 32);
    SelectObject(tileDc, old);
    DeleteDC(tileDc);
    DeleteObject(tile);
    EXPECT_EQ(canvas.at(450 + 33 + 10, 350 + 33 + 10), RGB(180, 230, 255));

    EXPECT_TRUE(SavePng(canvas, TRELWIN_TOOLTIP_ARTEFACTS, "effects.png"));
}

}  // namespace
