#include <gtest/gtest.h>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

TEST(Rectangle, PenOnTheEdgesBrushInsideRightAndBottomExclusive) {
    Canvas c(12, 10);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    Rectangle(c.dc(), 2, 2, 8, 6);
    EXPECT_EQ(c.row(2, kBlack), "..######....");
    EXPECT_EQ(c.row(5, kBlack), "..######....");
    EXPECT_EQ(c.row(3, kBlack), "..#....#....");
    EXPECT_EQ(c.row(3, kRed), "...####.....");
    EXPECT_EQ(c.row(6, kWhite), "############");
    EXPECT_EQ(c.count(kRed), 8);
}

TEST(Rectangle, WithoutAPenTheFillLosesTheLastColumnAndRow) {
    Canvas c(12, 10);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Rectangle(c.dc(), 2, 2, 8, 6);
    EXPECT_EQ(c.count(kRed), 5 * 3);
    EXPECT_EQ(c.row(2, kRed), "..#####.....");
    EXPECT_EQ(c.at(2, 5), kWhite);
}

TEST(Rectangle, NullBrushLeavesTheInside) {
    Canvas c(10, 10, kGreen);
    SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.count(kBlack), 36);
    EXPECT_EQ(c.count(kGreen), 64);
}

TEST(Rectangle, WidePenIsCentredOnTheOutline) {
    Canvas c(20, 20);
    Selected pen(c.dc(), CreatePen(PS_SOLID, 3, kBlack));
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    Rectangle(c.dc(), 5, 5, 15, 15);
    // The outline runs through x = 5 and x = 14; three pixels cover 4..6 and 13..15.
    EXPECT_EQ(c.row(10, kBlack), "....###......###....");
    EXPECT_EQ(c.row(10, kRed), ".......######.......");
}

TEST(Lines, LineToLeavesOutItsEndPoint) {
    Canvas c(8, 8);
    MoveToEx(c.dc(), 1, 1, nullptr);
    LineTo(c.dc(), 6, 1);
    EXPECT_EQ(c.row(1, kBlack), ".#####..");
    LineTo(c.dc(), 6, 5);  // continues from the end point, which it now paints
    EXPECT_EQ(c.column(6, kBlack), ".####...");
    POINT p;
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 5);
}

TEST(Lines, DiagonalAndShallowLines) {
    Canvas c(10, 10);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 4, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.at(i, i), kBlack) << i;
    EXPECT_EQ(c.at(4, 4), kWhite);
    EXPECT_EQ(c.count(kBlack), 4);
    c.clear(kWhite);
    MoveToEx(c.dc(), 0, 9, nullptr);
    LineTo(c.dc(), 8, 7);  // 8 pixels, one per column, y stepping up twice
    EXPECT_EQ(c.count(kBlack), 8);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.count(kBlack, x, 0, x + 1, 10), 1) << x;
    EXPECT_EQ(c.at(0, 9), kBlack);
}

TEST(Lines, PolylineSharesVerticesAndLeavesOutTheLastPoint) {
    Canvas c(10, 10);
    SetROP2(c.dc(), R2_XORPEN);
    SelectObject(c.dc(), GetStockObject(WHITE_PEN));
    POINT pts[3] = {{1, 1}, {5, 1}, {5, 5}};
    Polyline(c.dc(), pts, 3);
    // XOR would reveal a vertex painted twice.
    EXPECT_EQ(c.row(1, kBlack), ".#####....");
    EXPECT_EQ(c.column(5, kBlack), ".####.....");
    Polyline(c.dc(), pts, 3);
    EXPECT_EQ(c.count(kWhite), 100);
}

TEST(PenStyles, DashesDotsAndGapsOfTheCosmeticStyles) {
    struct Case { int style; std::string pattern; };
    const Case cases[] = {
        {PS_DASH, std::string(18, '#') + std::string(6, '.')},
        {PS_DOT, "###..."},
        {PS_DASHDOT, std::string(9, '#') + std::string(6, '.') + "###" + std::string(6, '.')},
        {PS_DASHDOTDOT, std::string(9, '#') + "...###...###..."},
    };
    for (const Case& k : cases) {
        Canvas c(48, 3, kGreen);
        Selected pen(c.dc(), CreatePen(k.style, 1, kBlack));
        SetBkMode(c.dc(), TRANSPARENT);
        MoveToEx(c.dc(), 0, 1, nullptr);
        LineTo(c.dc(), 48, 1);
        std::string expected;
        while (expected.size() < 48) expected += k.pattern;
        expected.resize(48);
        EXPECT_EQ(c.row(1, kBlack), expected) << k.style;
        EXPECT_EQ(c.count(kGreen, 0, 1, 48, 2), static_cast<int>(std::count(expected.begin(), expected.end(), '.')));
        // Opaque mode paints the gaps with the background colour.
        SetBkMode(c.dc(), OPAQUE);
        SetBkColor(c.dc(), kRed);
        MoveToEx(c.dc(), 0, 2, nullptr);
        LineTo(c.dc(), 48, 2);
        std::string gaps = expected;
        for (char& ch : gaps) ch = ch == '#' ? '.' : '#';
        EXPECT_EQ(c.row(2, kRed), gaps) << k.style;
    }
}

TEST(PenStyles, NullPenDrawsNothingAndWidePensAreSolid) {
    Canvas c(20, 9);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    MoveToEx(c.dc(), 0, 4, nullptr);
    LineTo(c.dc(), 20, 4);
    EXPECT_EQ(c.count(kBlack), 0);
    Selected pen(c.dc(), CreatePen(PS_DASH, 3, kBlack));
    MoveToEx(c.dc(), 5, 4, nullptr);
    LineTo(c.dc(), 15, 4);
    // Three rows thick and unbroken between the ends.
    for (int y = 3; y <= 5; ++y) EXPECT_EQ(c.count(kBlack, 5, y, 16, y + 1), 11) << y;
    EXPECT_EQ(c.count(kBlack, 0, 0, 20, 3), 0);
}

TEST(Ellipse, FillsItsBoxSymmetrically) {
    Canvas c(12, 12, kGreen);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    Ellipse(c.dc(), 1, 1, 11, 11);
    // Outline touches the box's edges and nothing beyond.
    EXPECT_EQ(c.row(5, kBlack), ".#........#.");
    EXPECT_EQ(c.row(6, kBlack), ".#........#.");
    EXPECT_EQ(c.column(5, kBlack), ".#........#.");
    EXPECT_EQ(c.count(kGreen, 0, 0, 12, 1), 12);
    EXPECT_EQ(c.count(kGreen, 11, 0, 12, 12), 12);
    EXPECT_EQ(c.at(6, 6), kRed);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(c.at(x, y), c.at(11 - x, y)) << x << "," << y;
            EXPECT_EQ(c.at(x, y), c.at(x, 11 - y)) << x << "," << y;
        }
    }
    // The corners of the box stay outside.
    EXPECT_EQ(c.at(1, 1), kGreen);
    EXPECT_EQ(c.at(10, 10), kGreen);
}

TEST(RoundRect, CornersAreCut) {
    Canvas c(20, 20, kGreen);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    RoundRect(c.dc(), 0, 0, 20, 20, 8, 8);
    EXPECT_EQ(c.at(0, 0), kGreen);
    EXPECT_EQ(c.at(19, 19), kGreen);
    EXPECT_EQ(c.at(10, 0), kBlack);
    EXPECT_EQ(c.at(0, 10), kBlack);
    EXPECT_EQ(c.at(19, 10), kBlack);
    EXPECT_EQ(c.at(10, 19), kBlack);
    EXPECT_EQ(c.at(10, 10), kRed);
    EXPECT_EQ(c.row(10, kBlack), "#..................#");
}

TEST(Polygon, AlternateAndWindingFillModes) {
    const POINT star[5] = {{50, 0}, {79, 90}, {2, 34}, {97, 34}, {21, 90}};
    Canvas c(100, 100);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    EXPECT_EQ(GetPolyFillMode(c.dc()), ALTERNATE);
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.at(50, 50), kWhite);  // the pentagon in the middle is crossed twice
    EXPECT_EQ(c.at(50, 12), kRed);
    c.clear(kWhite);
    SetPolyFillMode(c.dc(), WINDING);
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.at(50, 50), kRed);
    EXPECT_EQ(c.at(50, 12), kRed);
}

TEST(Polygon, PixelCentresInsideAreFilled) {
    Canvas c(12, 10);
    Selected brush(c.dc(), CreateSolidBrush(kRed));
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    const POINT box[4] = {{2, 2}, {8, 2}, {8, 6}, {2, 6}};
    Polygon(c.dc(), box, 4);
    EXPECT_EQ(c.count(kRed), 6 * 4);
    EXPECT_EQ(c.count(kRed, 2, 2, 8, 6), 24);
    // With a pen the outline covers the vertices, including the right and bottom ones.
    c.clear(kWhite);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    Polygon(c.dc(), box, 4);
    EXPECT_EQ(c.row(6, kBlack), "..#######...");
    EXPECT_EQ(c.count(kRed), 5 * 3);
}

TEST(Fills, FillRectFrameRectInvertRect) {
    Canvas c(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{1, 1, 4, 3};
    FillRect(c.dc(), &r, red);
    EXPECT_EQ(c.count(kRed), 6);
    RECT frame{0, 5, 5, 9};
    FrameRect(c.dc(), &frame, red);
    EXPECT_EQ(c.count(kRed, 0, 5, 10, 10), 5 * 4 - 3 * 2);
    RECT all{0, 0, 10, 10};
    InvertRect(c.dc(), &all);
    EXPECT_EQ(c.count(RGB(0, 255, 255)), 6 + 14);
    EXPECT_EQ(c.count(kBlack), 100 - 20);
    InvertRect(c.dc(), &all);
    EXPECT_EQ(c.count(kWhite), 80);
    // A system colour index + 1 stands for its brush.
    RECT one{9, 9, 10, 10};
    FillRect(c.dc(), &one, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DSHADOW + 1)));
    EXPECT_EQ(c.at(9, 9), GetSysColor(COLOR_3DSHADOW));
    DeleteObject(red);
}

TEST(Fills, FillRectIgnoresTheRop2) {
    Canvas c(4, 4);
    SetROP2(c.dc(), R2_XORPEN);
    RECT r{0, 0, 2, 2};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(c.dc(), &r, red);
    EXPECT_EQ(c.at(0, 0), kRed);
    DeleteObject(red);
}

TEST(Fills, FocusRectionInvertsEveryOtherPixelAndUndoesItself) {
    Canvas c(12, 12);
    RECT r{1, 1, 11, 11};
    DrawFocusRect(c.dc(), &r);
    EXPECT_EQ(c.count(kBlack), 18);  // half of the 36 frame pixels
    EXPECT_EQ(c.count(kBlack, 2, 2, 10, 10), 0);
    for (int x = 1; x < 11; ++x) EXPECT_EQ(c.at(x, 1) == kBlack, (x + 1) % 2 == 0) << x;
    DrawFocusRect(c.dc(), &r);
    EXPECT_EQ(c.count(kWhite), 144);
}

TEST(Fills, DrawEdgeSunkenRings) {
    Canvas c(10, 10, kGreen);
    RECT r{0, 0, 10, 10};
    DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW), hilight = GetSysColor(COLOR_3DHILIGHT);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), light = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(c.row(0, shadow), "#########.");
    EXPECT_EQ(c.at(9, 0), hilight);
    EXPECT_EQ(c.row(9, hilight), "##########");
    EXPECT_EQ(c.column(0, shadow), "#########.");
    EXPECT_EQ(c.row(1, dark), ".#######..");
    EXPECT_EQ(c.at(8, 1), light);
    EXPECT_EQ(c.row(8, light), ".########.");
    EXPECT_EQ(c.at(5, 5), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 8);
}

TEST(Fills, FillSolidRectSetsTheBackgroundColour) {
    Canvas c(6, 6);
    FillSolidRect(c.dc(), 1, 1, 3, 2, kRed);
    EXPECT_EQ(c.count(kRed), 6);
    EXPECT_EQ(GetBkColor(c.dc()), kRed);
}

TEST(Brushes, HatchesFollowTheBackgroundMode) {
    Canvas c(16, 16, kGreen);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, kRed);
    RECT r{0, 0, 16, 16};
    FillRect(c.dc(), &r, hatch);  // opaque: the gaps take the background colour
    EXPECT_EQ(c.column(3, kRed), ".......#.......#");
    EXPECT_EQ(c.column(3, kWhite), "#######.#######.");
    c.clear(kGreen);
    SetBkMode(c.dc(), TRANSPARENT);
    FillRect(c.dc(), &r, hatch);
    EXPECT_EQ(c.column(3, kGreen), "#######.#######.");
    DeleteObject(hatch);
    HBRUSH cross = CreateHatchBrush(HS_DIAGCROSS, kRed);
    FillRect(c.dc(), &r, cross);
    EXPECT_EQ(c.at(0, 0), kRed);
    EXPECT_EQ(c.at(7, 0), kRed);
    EXPECT_EQ(c.at(3, 4), kRed);
    EXPECT_EQ(c.at(1, 0), kGreen);
    DeleteObject(cross);
}

TEST(Brushes, MonochromePatternsTakeTheTextAndBackgroundColours) {
    // Alternate rows: 0xFF (white bits) and 0x00 (black bits).
    const WORD rows[8] = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH pattern = CreatePatternBrush(bits);
    Canvas c(8, 4);
    SetTextColor(c.dc(), kRed);
    SetBkColor(c.dc(), kGreen);
    RECT r{0, 0, 8, 4};
    FillRect(c.dc(), &r, pattern);
    EXPECT_EQ(c.row(0, kGreen), "########");
    EXPECT_EQ(c.row(1, kRed), "########");
    DeleteObject(pattern);
    DeleteObject(bits);
}

TEST(Rop2, XorTwiceRestoresAndNotInverts) {
    Canvas c(10, 3, kGreen);
    Selected pen(c.dc(), CreatePen(PS_SOLID, 1, kRed));
    SetROP2(c.dc(), R2_XORPEN);
    MoveToEx(c.dc(), 0, 1, nullptr);
    LineTo(c.dc(), 10, 1);
    EXPECT_EQ(c.row(1, RGB(255, 255, 0)), "##########");
    MoveToEx(c.dc(), 0, 1, nullptr);
    LineTo(c.dc(), 10, 1);
    EXPECT_EQ(c.count(kGreen), 30);
    SetROP2(c.dc(), R2_NOT);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 10, 0);
    EXPECT_EQ(c.row(0, RGB(255, 0, 255)), "##########");
    SetROP2(c.dc(), R2_MASKPEN);  // pen AND destination
    MoveToEx(c.dc(), 0, 2, nullptr);
    LineTo(c.dc(), 10, 2);
    EXPECT_EQ(c.row(2, kBlack), "##########");
}

TEST(Pixels, SetAndGetHonourTheClip) {
    Canvas c(6, 6);
    EXPECT_EQ(SetPixel(c.dc(), 2, 3, RGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_EQ(c.at(2, 3), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(c.dc(), 2, 3), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(c.dc(), 6, 0), CLR_INVALID);
    IntersectClipRect(c.dc(), 0, 0, 2, 2);
    EXPECT_EQ(SetPixel(c.dc(), 4, 4, kRed), CLR_INVALID);
    EXPECT_EQ(c.at(4, 4), kWhite);
    EXPECT_EQ(GetPixel(c.dc(), 2, 3), CLR_INVALID);
}

TEST(Gradients, EndColoursAreExact) {
    Canvas c(100, 20);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {100, 10, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT mesh{0, 1};
    EXPECT_TRUE(GradientFill(c.dc(), v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(c.at(0, 5), RGB(255, 0, 0));
    EXPECT_EQ(c.at(99, 5), RGB(0, 0, 255));
    // Linear between: column 33 is a third of the way.
    EXPECT_EQ(c.at(33, 0), RGB(0xFF00 * 2 / 3 >> 8, 0, 0xFF00 / 3 >> 8));
    EXPECT_EQ(c.at(33, 9), c.at(33, 0));
    EXPECT_EQ(c.at(33, 10), RGB(255, 255, 255));
    TRIVERTEX w[2] = {{0, 10, 0, 0xFF00, 0, 0}, {100, 20, 0xFF00, 0xFF00, 0xFF00, 0}};
    EXPECT_TRUE(GradientFill(c.dc(), w, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(c.at(50, 10), RGB(0, 255, 0));
    EXPECT_EQ(c.at(50, 19), RGB(255, 255, 255));
    GRADIENT_RECT bad{0, 5};
    EXPECT_FALSE(GradientFill(c.dc(), w, 2, &bad, 1, GRADIENT_FILL_RECT_V));
}

TEST(Gradients, TrianglesInterpolateBetweenTheirCorners) {
    Canvas c(40, 40);
    TRIVERTEX v[3] = {{0, 0, 0xFF00, 0, 0, 0}, {40, 0, 0xFF00, 0, 0, 0}, {0, 40, 0xFF00, 0, 0, 0}};
    GRADIENT_TRIANGLE t{0, 1, 2};
    GradientFill(c.dc(), v, 3, &t, 1, GRADIENT_FILL_TRIANGLE);
    EXPECT_EQ(c.at(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(c.at(35, 35), RGB(255, 255, 255));
}

TEST(Limits, HugeShapesAndLinesCostOnlyTheirVisiblePart) {
    Canvas c(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    HGDIOBJ old = SelectObject(c.dc(), red);
    // A line two billion pixels long: only its visible part is walked.
    MoveToEx(c.dc(), -999999992, 5, nullptr);
    LineTo(c.dc(), 999999992, 5);
    EXPECT_EQ(c.row(5, kBlack), std::string(20, '#'));
    // A dashed one keeps its pattern where it enters the picture: pixel 0 is
    // 999999992 steps in, 999999992 mod 24 = 8, inside the first 18-pixel dash.
    HPEN dash = CreatePen(PS_DASH, 1, kBlack);
    HGDIOBJ old_pen = SelectObject(c.dc(), dash);
    SetBkMode(c.dc(), TRANSPARENT);
    MoveToEx(c.dc(), -999999992, 7, nullptr);
    LineTo(c.dc(), 999999992, 7);
    EXPECT_EQ(c.row(7, kBlack), std::string(10, '#') + std::string(6, '.') + std::string(4, '#'));
    SelectObject(c.dc(), old_pen);
    DeleteObject(dash);
    // An ellipse a billion pixels tall: only the rows in view are computed.
    c.clear(kWhite);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Ellipse(c.dc(), -1000000000, -1000000000, 1000000000, 1000000000);
    EXPECT_EQ(c.count(kRed), 400);
    EXPECT_EQ(CreateEllipticRgn(0, 0, 10, 100000000), nullptr);  // too tall to build
    // Blits and gradients far larger than the picture cost only what shows.
    Canvas small(2, 2, kBlue);
    SetStretchBltMode(c.dc(), HALFTONE);
    EXPECT_TRUE(StretchBlt(c.dc(), -500000, -500000, 1000000, 1000000, small.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(c.count(kBlue), 400);
    TRIVERTEX v[2] = {{-1000000000, 0, 0, 0, 0, 0}, {1000000000, 20, 0xFF00, 0, 0, 0}};
    GRADIENT_RECT mesh{0, 1};
    EXPECT_TRUE(GradientFill(c.dc(), v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(GetRValue(c.at(10, 10)), 127);
    EXPECT_FALSE(StretchBlt(c.dc(), 0, 0, 20000000, 2, small.dc(), 0, 0, 2, 2, SRCCOPY));  // beyond any size
    SelectObject(c.dc(), old);
    DeleteObject(red);
}
