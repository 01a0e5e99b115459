#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

namespace {


std::vector<RECT> rects_of(HRGN rgn) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(rgn, size, data), size);
    std::vector<RECT> rects(data->rdh.nCount);
    std::memcpy(rects.data(), buffer.data() + sizeof(RGNDATAHEADER), rects.size() * sizeof(RECT));
    return rects;
}

bool same(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

// Number of integer points of the area inside the region.
int area(HRGN rgn, int size) {
    int n = 0;
    for (int y = -size; y < size; ++y)
        for (int x = -size; x < size; ++x) n += PtInRegion(rgn, x, y) ? 1 : 0;
    return n;
}

}  // namespace

TEST(Regions, CombineModesAndResultKinds) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(area(r, 20), 25);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(area(r, 20), 175);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_EQ(area(r, 20), 150);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(area(r, 20), 75);
    EXPECT_FALSE(PtInRegion(r, 7, 7));
    EXPECT_TRUE(PtInRegion(r, 7, 2));
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
    HRGN far_away = CreateRectRgn(100, 100, 110, 110);
    EXPECT_EQ(CombineRgn(r, a, far_away, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(r, a, a, RGN_DIFF), NULLREGION);
    // Destination may be one of the sources.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(area(a, 20), 175);
    EXPECT_EQ(CombineRgn(r, a, b, 9), ERROR);
    for (HRGN h : {a, b, r, far_away}) DeleteObject(h);
}

TEST(Regions, RectangleListsAreBandedAndMerged) {
    HRGN a = CreateRectRgn(0, 0, 10, 5);
    HRGN b = CreateRectRgn(0, 5, 10, 10);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), SIMPLEREGION);  // two halves make one rectangle
    auto rects = rects_of(r);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(same(rects[0], 0, 0, 10, 10));
    HRGN c = CreateRectRgn(3, 3, 6, 6);
    CombineRgn(r, r, c, RGN_DIFF);
    rects = rects_of(r);
    ASSERT_EQ(rects.size(), 4u);  // band above, two beside the hole, band below
    EXPECT_TRUE(same(rects[0], 0, 0, 10, 3));
    EXPECT_TRUE(same(rects[1], 0, 3, 3, 6));
    EXPECT_TRUE(same(rects[2], 6, 3, 10, 6));
    EXPECT_TRUE(same(rects[3], 0, 6, 10, 10));
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
    EXPECT_TRUE(same(box, 0, 0, 10, 10));
    for (HRGN h : {a, b, r, c}) DeleteObject(h);
}

TEST(Regions, OffsetPointAndRectTestsEquality) {
    HRGN r = CreateRectRgn(10, 10, 0, 0);  // corners in any order
    RECT box;
    GetRgnBox(r, &box);
    EXPECT_TRUE(same(box, 0, 0, 10, 10));
    EXPECT_EQ(OffsetRgn(r, 5, -5), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(r, 5, -5));
    EXPECT_FALSE(PtInRegion(r, 15, 0));  // right edge excluded
    RECT touching{15, -5, 20, 0};
    EXPECT_FALSE(RectInRegion(r, &touching));
    RECT overlapping{14, 4, 20, 9};
    EXPECT_TRUE(RectInRegion(r, &overlapping));
    HRGN s = CreateRectRgn(5, -5, 15, 5);
    EXPECT_TRUE(EqualRgn(r, s));
    OffsetRgn(s, 1, 0);
    EXPECT_FALSE(EqualRgn(r, s));
    HRGN e1 = CreateRectRgn(0, 0, 0, 0), e2 = CreateRectRgn(5, 5, 5, 9);
    EXPECT_TRUE(EqualRgn(e1, e2));  // all empty regions are equal
    EXPECT_EQ(GetRgnBox(e2, &box), NULLREGION);
    for (HRGN h : {r, s, e1, e2}) DeleteObject(h);
}

TEST(Regions, EllipseRoundRectAndPolygonShapes) {
    HRGN ellipse = CreateEllipticRgn(0, 0, 10, 10);
    RECT box;
    GetRgnBox(ellipse, &box);
    EXPECT_TRUE(same(box, 0, 0, 10, 10));
    EXPECT_FALSE(PtInRegion(ellipse, 0, 0));
    EXPECT_TRUE(PtInRegion(ellipse, 0, 5));
    EXPECT_TRUE(PtInRegion(ellipse, 9, 4));
    EXPECT_TRUE(PtInRegion(ellipse, 5, 0));
    HRGN round = CreateRoundRectRgn(0, 0, 20, 10, 6, 6);
    EXPECT_FALSE(PtInRegion(round, 0, 0));
    EXPECT_TRUE(PtInRegion(round, 3, 0));
    EXPECT_FALSE(PtInRegion(round, 19, 9));
    EXPECT_TRUE(PtInRegion(round, 0, 5));
    const POINT triangle[3] = {{0, 0}, {10, 0}, {0, 10}};
    HRGN poly = CreatePolygonRgn(triangle, 3, ALTERNATE);
    EXPECT_TRUE(PtInRegion(poly, 0, 0));
    EXPECT_TRUE(PtInRegion(poly, 8, 0));
    EXPECT_FALSE(PtInRegion(poly, 9, 1));  // centre (9.5, 1.5) is outside x + y < 10
    EXPECT_EQ(area(poly, 12), 45);         // pixel centres under the diagonal
    EXPECT_EQ(CreatePolygonRgn(triangle, 3, 7), nullptr);
    for (HRGN h : {ellipse, round, poly}) DeleteObject(h);
}

TEST(Regions, DataRoundTripWithAScalingTransform) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN hole = CreateRectRgn(2, 2, 4, 4);
    CombineRgn(a, a, hole, RGN_DIFF);
    const DWORD size = GetRegionData(a, 0, nullptr);
    std::vector<BYTE> buffer(size);
    EXPECT_EQ(GetRegionData(a, size - 1, reinterpret_cast<RGNDATA*>(buffer.data())), 0u);  // too small
    ASSERT_EQ(GetRegionData(a, size, reinterpret_cast<RGNDATA*>(buffer.data())), size);
    HRGN same_region = ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(buffer.data()));
    EXPECT_TRUE(EqualRgn(a, same_region));
    XFORM scale{2.0f, 0, 0, 0.5f, 0, 0};
    HRGN scaled = ExtCreateRegion(&scale, size, reinterpret_cast<RGNDATA*>(buffer.data()));
    ASSERT_NE(scaled, nullptr);
    RECT box;
    GetRgnBox(scaled, &box);
    EXPECT_TRUE(same(box, 0, 0, 20, 5));
    EXPECT_FALSE(PtInRegion(scaled, 5, 1));
    EXPECT_TRUE(PtInRegion(scaled, 3, 1));
    // A header that claims more rectangles than the buffer holds is refused.
    reinterpret_cast<RGNDATA*>(buffer.data())->rdh.nCount = 1000;
    EXPECT_EQ(ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(buffer.data())), nullptr);
    for (HRGN h : {a, hole, same_region, scaled}) DeleteObject(h);
}

TEST(RegionPainting, FillFrameInvertPaint) {
    Canvas c(12, 12);
    HRGN r = CreateRectRgn(1, 1, 11, 11);
    HBRUSH red = CreateSolidBrush(kRed);
    EXPECT_TRUE(FrameRgn(c.dc(), r, red, 2, 1));
    // Two columns wide at the sides, one row high at the top and bottom.
    EXPECT_EQ(c.row(5, kRed), ".##......##.");
    EXPECT_EQ(c.row(1, kRed), ".##########.");
    EXPECT_EQ(c.row(2, kRed), ".##......##.");
    c.clear(kWhite);
    FillRgn(c.dc(), r, red);
    EXPECT_EQ(c.count(kRed), 100);
    InvertRgn(c.dc(), r);
    EXPECT_EQ(c.count(RGB(0, 255, 255)), 100);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PaintRgn(c.dc(), r);
    EXPECT_EQ(c.count(RGB(0, 0, 0)), 100);
    DeleteObject(red);
    DeleteObject(r);
}

TEST(Clipping, SelectedRegionsAreCopiesAndEmptyClipsAll) {
    Canvas c(10, 10);
    HRGN r = CreateRectRgn(0, 0, 5, 5);
    EXPECT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
    OffsetRgn(r, 5, 5);  // does not move the DC's copy
    RECT all{0, 0, 10, 10};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(c.dc(), &all, red);
    EXPECT_EQ(c.count(kRed), 25);
    EXPECT_EQ(c.count(kRed, 0, 0, 5, 5), 25);
    HRGN empty = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(SelectClipRgn(c.dc(), empty), NULLREGION);
    c.clear(kWhite);
    FillRect(c.dc(), &all, red);
    EXPECT_EQ(c.count(kRed), 0);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), NULLREGION);
    EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
    FillRect(c.dc(), &all, red);
    EXPECT_EQ(c.count(kRed), 100);
    DeleteObject(r);
    DeleteObject(empty);
    DeleteObject(red);
}

TEST(Clipping, IntersectExcludeAndExtSelect) {
    Canvas c(10, 10);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
    EXPECT_TRUE(same(box, 0, 0, 10, 10));
    EXPECT_EQ(IntersectClipRect(c.dc(), 2, 2, 8, 8), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(c.dc(), 4, 4, 6, 6), COMPLEXREGION);
    GetClipBox(c.dc(), &box);
    EXPECT_TRUE(same(box, 2, 2, 8, 8));
    HRGN extra = CreateRectRgn(0, 0, 3, 3);
    EXPECT_EQ(ExtSelectClipRgn(c.dc(), extra, RGN_OR), COMPLEXREGION);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.dc(), clip), 1);
    EXPECT_TRUE(PtInRegion(clip, 0, 0));
    EXPECT_FALSE(PtInRegion(clip, 4, 4));
    EXPECT_TRUE(PtInRegion(clip, 7, 7));
    RECT all{0, 0, 10, 10};
    FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.count(RGB(0, 0, 0)), 36 - 4 + 9 - 1);
    EXPECT_FALSE(PtVisible(c.dc(), 5, 5));
    EXPECT_TRUE(PtVisible(c.dc(), 1, 1));
    EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(c.dc(), clip), 0);
    DeleteObject(extra);
    DeleteObject(clip);
}

TEST(Clipping, ClipRectanglesFollowTheOriginsButRegionsAreInDeviceUnits) {
    Canvas c(10, 10);
    SetViewportOrgEx(c.dc(), 3, 3, nullptr);
    IntersectClipRect(c.dc(), 0, 0, 2, 2);  // logical: device (3,3)-(5,5)
    RECT box;
    GetClipBox(c.dc(), &box);  // reported in logical units
    EXPECT_TRUE(same(box, 0, 0, 2, 2));
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    GetClipRgn(c.dc(), clip);
    GetRgnBox(clip, &box);
    EXPECT_TRUE(same(box, 3, 3, 5, 5));
    DeleteObject(clip);
}
