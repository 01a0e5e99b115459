// Renders whole scenes the way the program draws (a list with custom
// colours, a rich tip with gradient, shadow and region, the progress gauge)
// and saves them as PNG files in the build folder for a person to look at.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/canvas_png.h"

using gdi_test::Canvas;
using gdi_test::SavePng;

namespace {

#ifndef TRELWIN_GDI_ARTEFACTS
#define TRELWIN_GDI_ARTEFACTS "artefacts/gdi"
#endif

HFONT font(const char* face, int height, int weight = FW_NORMAL, bool italic = false, bool underline = false) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

void gradient(HDC dc, RECT r, COLORREF a, COLORREF b, ULONG mode) {
    TRIVERTEX v[2] = {{r.left, r.top, static_cast<COLOR16>(GetRValue(a) << 8), static_cast<COLOR16>(GetGValue(a) << 8),
                       static_cast<COLOR16>(GetBValue(a) << 8), 0},
                      {r.right, r.bottom, static_cast<COLOR16>(GetRValue(b) << 8), static_cast<COLOR16>(GetGValue(b) << 8),
                       static_cast<COLOR16>(GetBValue(b) << 8), 0}};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(dc, v, 2, &mesh, 1, mode);
}

}  // namespace

TEST(Scenes, ShapesAndPens) {
    Canvas c(400, 260, RGB(250, 250, 250));
    HDC dc = c.dc();
    const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    for (int i = 0; i < 5; ++i) {
        HPEN pen = CreatePen(styles[i], 1, RGB(0, 0, 128));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 10, 10 + i * 8, nullptr);
        LineTo(dc, 190, 10 + i * 8);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 0, 0));
    HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 120, 0));
    HGDIOBJ old_brush = SelectObject(dc, hatch);
    HGDIOBJ old_pen = SelectObject(dc, wide);
    Rectangle(dc, 10, 60, 90, 120);
    Ellipse(dc, 100, 60, 190, 120);
    RoundRect(dc, 200, 60, 290, 120, 20, 20);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    HBRUSH fill = CreateSolidBrush(RGB(255, 200, 0));
    SelectObject(dc, fill);
    const POINT star[5] = {{340, 10}, {369, 100}, {292, 44}, {387, 44}, {311, 100}};
    Polygon(dc, star, 5);
    SetPolyFillMode(dc, WINDING);
    const POINT star2[5] = {{340, 130}, {369, 220}, {292, 164}, {387, 164}, {311, 220}};
    Polygon(dc, star2, 5);
    RECT edge{10, 140, 120, 180};
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    RECT sunken{130, 140, 240, 180};
    DrawEdge(dc, &sunken, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    RECT focus{20, 200, 230, 240};
    DrawFocusRect(dc, &focus);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(hatch);
    DeleteObject(wide);
    DeleteObject(fill);
    EXPECT_EQ(c.at(340, 170), RGB(255, 200, 0));  // winding fills the centre
    EXPECT_NE(c.at(340, 50), RGB(255, 200, 0));   // alternate leaves it
    EXPECT_TRUE(SavePng(c, TRELWIN_GDI_ARTEFACTS, "shapes.png"));
}

TEST(Scenes, FontsAndDrawText) {
    Canvas c(420, 300);
    HDC dc = c.dc();
    SetBkMode(dc, TRANSPARENT);
    const char* faces[] = {"MS Sans Serif", "Tahoma", "Verdana", "Arial", "Courier New"};
    int y = 6;
    for (const char* face : faces) {
        HFONT f = font(face, -13);
        HGDIOBJ old = SelectObject(dc, f);
        std::string text = std::string(face) + ": Firmware update \x96 caf\xE9 \xE2\x82\xAC 0123456789";
        TextOut(dc, 6, y, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, old);
        DeleteObject(f);
        y += 18;
    }
    HFONT styled = font("Verdana", -16, FW_BOLD, true, true);
    HGDIOBJ old = SelectObject(dc, styled);
    SetTextColor(dc, RGB(0, 0, 160));
    TextOut(dc, 6, y + 4, "Bold italic underlined", 22);
    SelectObject(dc, old);
    DeleteObject(styled);
    HFONT body = font("MS Sans Serif", -11);
    old = SelectObject(dc, body);
    SetTextColor(dc, RGB(0, 0, 0));
    const UINT formats[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    for (int i = 0; i < 3; ++i) {
        RECT r{6, 140 + i * 22, 206, 158 + i * 22};
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        DrawText(dc, "&Choose colums", -1, &r, formats[i] | DT_SINGLELINE | DT_VCENTER);
    }
    RECT ell{220, 140, 320, 158};
    FrameRect(dc, &ell, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DrawText(dc, "A device name that is far too long", -1, &ell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    RECT path{220, 162, 400, 180};
    FrameRect(dc, &path, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DrawText(dc, "C:\\Program Files\\Updates\\firmware\\image.bin", -1, &path, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    RECT wrap{220, 190, 400, 290};
    FrameRect(dc, &wrap, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DrawText(dc, "Double-click to add or remove a column. The layout is saved when the list closes.", -1, &wrap,
             DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, old);
    DeleteObject(body);
    EXPECT_LT(c.count(RGB(255, 255, 255)), 420 * 300);
    EXPECT_TRUE(SavePng(c, TRELWIN_GDI_ARTEFACTS, "text.png"));
}

TEST(Scenes, RichTipWithShadowRegionAndGradient) {
    Canvas c(300, 160, RGB(58, 110, 165));
    HDC dc = c.dc();
    // Body: rounded rectangle with an anchor triangle, as the tip builds it.
    HRGN body = CreateRoundRectRgn(20, 30, 261, 121, 16, 16);
    const POINT anchor[3] = {{50, 30}, {62, 10}, {74, 30}};
    HRGN arrow = CreatePolygonRgn(anchor, 3, ALTERNATE);
    CombineRgn(body, body, arrow, RGN_OR);
    // Shadow: the region moved by the offsets, darkened by a constant alpha.
    HRGN shadow = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(shadow, body, nullptr, RGN_COPY);
    OffsetRgn(shadow, 6, 6);
    Canvas dark(300, 160, RGB(0, 0, 0));
    SelectClipRgn(dc, shadow);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(dc, 0, 0, 300, 160, dark.dc(), 0, 0, 300, 160, half);
    SelectClipRgn(dc, body);
    gradient(dc, RECT{20, 10, 261, 121}, RGB(255, 255, 225), RGB(255, 220, 150), GRADIENT_FILL_RECT_V);
    SelectClipRgn(dc, nullptr);
    HBRUSH border = CreateSolidBrush(RGB(0, 0, 0));
    FrameRgn(dc, body, border, 1, 1);
    HFONT f = font("Verdana", -12);
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    RECT text{32, 40, 250, 112};
    DrawText(dc, "192.168.10.20 \x96 Firmware 2.4.1\nUpdate in progress: 45 %", -1, &text, DT_LEFT);
    SelectObject(dc, old);
    DeleteObject(f);
    DeleteObject(border);
    EXPECT_EQ(c.at(21, 31), RGB(58, 110, 165));  // cut corner
    EXPECT_EQ(c.at(62, 12), RGB(0, 0, 0));        // the anchor's tip is framed
    EXPECT_NE(c.at(264, 118), RGB(58, 110, 165));  // shadow
    for (HRGN h : {body, arrow, shadow}) DeleteObject(h);
    EXPECT_TRUE(SavePng(c, TRELWIN_GDI_ARTEFACTS, "tooltip.png"));
}

TEST(Scenes, ListAndProgressGauge) {
    Canvas c(360, 200, RGB(255, 255, 255));
    HDC dc = c.dc();
    HFONT f = font("MS Sans Serif", -11);
    HFONT bold = font("MS Sans Serif", -11, FW_BOLD);
    HGDIOBJ old = SelectObject(dc, f);
    const char* headers[] = {"Name", "Address", "Progress"};
    for (int i = 0; i < 3; ++i) {
        RECT h{i * 120, 0, (i + 1) * 120, 20};
        DrawEdge(dc, &h, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        RECT t{h.left + 6, 0, h.right - 16, 20};
        SetBkMode(dc, TRANSPARENT);
        DrawText(dc, headers[i], -1, &t, DT_SINGLELINE | DT_VCENTER);
    }
    // Sort arrow in the first header.
    HBRUSH arrow_brush = CreateSolidBrush(GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ old_brush = SelectObject(dc, arrow_brush);
    SelectObject(dc, GetStockObject(NULL_PEN));
    const POINT arrow[3] = {{100, 7}, {108, 7}, {104, 12}};
    Polygon(dc, arrow, 3);
    SelectObject(dc, old_brush);
    DeleteObject(arrow_brush);
    SetBkMode(dc, OPAQUE);
    for (int row = 0; row < 6; ++row) {
        const int y = 20 + row * 17;
        const bool coloured = row == 2;
        SetBkColor(dc, coloured ? RGB(255, 220, 220) : RGB(255, 255, 255));
        SetTextColor(dc, coloured ? RGB(160, 0, 0) : RGB(0, 0, 0));
        SelectObject(dc, row == 4 ? bold : f);
        char text[3][40];
        std::snprintf(text[0], sizeof(text[0]), "Device %d", row + 1);
        std::snprintf(text[1], sizeof(text[1]), "192.168.10.%d", 20 + row);
        std::snprintf(text[2], sizeof(text[2]), "%d %%", row * 20);
        for (int col = 0; col < 3; ++col) {
            RECT cell{col * 120, y, (col + 1) * 120, y + 17};
            ExtTextOut(dc, cell.left + 4, y + 2, ETO_OPAQUE | ETO_CLIPPED, &cell, text[col],
                       static_cast<UINT>(std::strlen(text[col])), nullptr);
        }
    }
    SelectObject(dc, old);
    DeleteObject(f);
    DeleteObject(bold);
    // Progress gauge: background and fill bitmaps, the fill clipped to its extent.
    Canvas background(300, 20), fill(300, 20);
    gradient(background.dc(), RECT{0, 0, 300, 20}, RGB(230, 230, 230), RGB(190, 190, 190), GRADIENT_FILL_RECT_V);
    gradient(fill.dc(), RECT{0, 0, 300, 20}, RGB(120, 200, 120), RGB(20, 120, 20), GRADIENT_FILL_RECT_V);
    BitBlt(dc, 30, 150, 300, 20, background.dc(), 0, 0, SRCCOPY);
    const float scale = 300.0f / 100.0f;
    const int extent = static_cast<int>(45 * scale);
    HRGN clip = CreateRectRgn(30, 150, 30 + extent, 170);
    SelectClipRgn(dc, clip);
    BitBlt(dc, 30, 150, 300, 20, fill.dc(), 0, 0, SRCCOPY);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    // Highlight overlay of the drawing maps.
    Canvas red(60, 30, RGB(128, 0, 0));
    BLENDFUNCTION highlight{AC_SRC_OVER, 0, 192, 0};
    AlphaBlend(dc, 280, 110, 60, 30, red.dc(), 0, 0, 60, 30, highlight);
    EXPECT_EQ(c.at(30 + extent - 1, 160), fill.at(extent - 1, 10));
    EXPECT_EQ(c.at(30 + extent, 160), background.at(extent, 10));
    EXPECT_TRUE(SavePng(c, TRELWIN_GDI_ARTEFACTS, "list_and_gauge.png"));
}

TEST(Scenes, StretchModesSideBySide) {
    Canvas source(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) source.put(x, y, ((x / 2 + y / 2) % 2) ? RGB(20, 60, 160) : RGB(250, 200, 40));
    Canvas c(260, 100, RGB(255, 255, 255));
    SetStretchBltMode(c.dc(), COLORONCOLOR);
    StretchBlt(c.dc(), 0, 0, 96, 96, source.dc(), 0, 0, 16, 16, SRCCOPY);
    SetStretchBltMode(c.dc(), HALFTONE);
    StretchBlt(c.dc(), 100, 0, 96, 96, source.dc(), 0, 0, 16, 16, SRCCOPY);
    StretchBlt(c.dc(), 200, 0, 11, 11, source.dc(), 0, 0, 16, 16, SRCCOPY);
    TransparentBlt(c.dc(), 220, 20, 32, 32, source.dc(), 0, 0, 16, 16, RGB(250, 200, 40));
    EXPECT_EQ(c.at(0, 0), RGB(250, 200, 40));
    EXPECT_TRUE(SavePng(c, TRELWIN_GDI_ARTEFACTS, "stretch.png"));
}
