// Drawing objects and maps: what reaches the host window when objects
// change, the zoom arithmetic, hit tests, the children's order and indexes,
// and the pixels a map draws through its back buffer.
#include <functional>

#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using afx_test::Canvas;

namespace {

// A root map at (5, 7) in the host window, holding one bordered child at
// (10, 10)-(50, 40) with a margin of 2 (its pen is 3 pixels wide).
struct Scene
{
    explicit Scene(CWnd* pHost)
        : map(new CDrawingObjectMap(pHost, nullptr, TRUE, TRUE, FALSE)),
          child(new CSolidObject(pHost, map.get(), kRed, CRect(10, 10, 50, 40)))
    {
        map->MoveTo(5, 7, FALSE);
        map->CDrawingObjectMap::SetSize(200, 100, FALSE);
        child->m_nMargin = 2;
        map->m_children.Add(child);
        TakeInvalidations(pHost->m_hWnd);
    }
    std::unique_ptr<CDrawingObjectMap> map;
    CSolidObject* child;
};

}  // namespace

// Each change posts exactly these rectangles to the host window, in the
// window's coordinates; hidden objects post nothing.
TEST_F(DrawingTest, ChangesPostTheirAreasToTheHostWindow)
{
    struct Case
    {
        const char* name;
        std::function<void(Scene&)> change;
        std::vector<CRect> posted;
    };
    const Case cases[] = {
        {"bordered child: grown by margin and pen, shifted by the map", [](Scene& s) { s.child->Invalidate(); },
         {CRect(10, 12, 60, 52)}},
        {"border switched off: the plain rectangle",
         [](Scene& s) { s.child->SetBorder(FALSE, TRUE); }, {CRect(15, 17, 55, 47)}},
        {"moved: old and new place",
         [](Scene& s) {
             s.child->SetBorder(FALSE, FALSE);
             s.child->MoveTo(0, 0, TRUE);
         },
         {CRect(15, 17, 55, 47), CRect(5, 7, 45, 37)}},
        {"hidden with redraw: once, then never",
         [](Scene& s) {
             s.child->SetVisible(FALSE, TRUE);
             s.child->MoveTo(1, 1, TRUE);
             s.child->Invalidate();
         },
         {CRect(10, 12, 60, 52)}},
        {"a hidden map swallows its children's",
         [](Scene& s) {
             s.map->SetVisible(FALSE, FALSE);
             s.child->Invalidate();
         },
         {}},
        {"shown with redraw: after it turns visible",
         [](Scene& s) {
             s.child->SetVisible(FALSE, FALSE);
             s.child->SetVisible(TRUE, TRUE);
         },
         {CRect(10, 12, 60, 52)}},
        {"zoomed to half, centred: before and after",
         [](Scene& s) { s.child->SetZoom(50, 50, TRUE); }, {CRect(10, 12, 60, 52), CRect(20, 19, 50, 44)}},
        {"state while the border is off changes nothing",
         [](Scene& s) {
             s.child->SetBorder(FALSE, FALSE);
             s.child->SetState(1, TRUE);
             EXPECT_EQ(s.child->m_nState, 0);
         },
         {}},
        {"highlight: the old and the new area in map coordinates",
         [](Scene& s) {
             CRect first(1, 2, 3, 4);
             s.map->SetHighlightRect(&first);
             s.map->SetHighlightRect(nullptr);
         },
         {CRect(6, 9, 8, 11), CRect(6, 9, 8, 11)}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Scene scene(&m_host);
        c.change(scene);
        EXPECT_EQ(TakeInvalidations(m_host.m_hWnd), c.posted);
    }
}

// Without a window (or before it exists) nothing is posted and nothing
// leaks; a map told of a posted RECT frees it whether or not it has a window.
TEST_F(DrawingTest, InvalidationsWithoutAWindowAreDropped)
{
    CWnd unborn;
    CDrawingObjectMap map(&unborn, nullptr, TRUE, TRUE, FALSE);
    CDrawingObject loose(nullptr, nullptr, TRUE);
    loose.Invalidate();
    map.Invalidate();
    map.InvalidateWindowRect(new RECT{0, 0, 5, 5});
    EXPECT_TRUE(TakeInvalidations(m_host.m_hWnd).empty());
}

// Map coordinates to window coordinates and back, in single precision,
// outward to whole pixels.
TEST_F(DrawingTest, MapZoomRectanglesRoundOutward)
{
    struct Case
    {
        const char* name;
        int zoom;
        BOOL centred;
        CRect in;
        CRect zoomed;
        CRect unzoomed;
    };
    const Case cases[] = {
        {"100 %: unchanged", 100, FALSE, CRect(3, 4, 10, 12), CRect(3, 4, 10, 12), CRect(3, 4, 10, 12)},
        {"150 %", 150, FALSE, CRect(1, 1, 3, 3), CRect(1, 1, 5, 5), CRect(0, 0, 2, 2)},
        // 200 x 100 map: offsets (200 - 100) / 2 and (100 - 50) / 2.
        {"50 % centred", 50, TRUE, CRect(10, 10, 21, 21), CRect(55, 30, 61, 36), CRect(-80, -30, -58, -8)},
        {"0 % counts as 1 %", 0, FALSE, CRect(100, 100, 300, 300), CRect(1, 1, 3, 3), CRect(10000, 10000, 30000, 30000)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
        map.CDrawingObjectMap::SetSize(200, 100, FALSE);
        map.SetZoom(c.zoom, c.zoom, c.centred);
        EXPECT_EQ(map.ZoomRect(c.in), c.zoomed);
        EXPECT_EQ(map.UnzoomRect(c.in), c.unzoomed);
    }
}

TEST_F(DrawingTest, HitTestsFollowStateMarginAndExclusiveness)
{
    struct Case
    {
        const char* name;
        std::function<void(CDrawingObject&)> setup;
        POINT point;
        BOOL evenIfHidden;
        BOOL hit;
    };
    const Case cases[] = {
        {"inside", [](CDrawingObject&) {}, {10, 10}, FALSE, TRUE},
        {"right edge is outside", [](CDrawingObject&) {}, {30, 15}, FALSE, FALSE},
        {"margin widens", [](CDrawingObject& o) { o.m_nMargin = 2; }, {31, 15}, FALSE, TRUE},
        {"disabled", [](CDrawingObject& o) { o.SetEnabled(FALSE, FALSE); }, {15, 15}, TRUE, FALSE},
        {"hidden", [](CDrawingObject& o) { o.SetVisible(FALSE, FALSE); }, {15, 15}, FALSE, FALSE},
        {"hidden, asked anyway", [](CDrawingObject& o) { o.SetVisible(FALSE, FALSE); }, {15, 15}, TRUE, TRUE},
        {"zoomed: the zoomed rectangle", [](CDrawingObject& o) { o.SetZoom(50, 50, TRUE); }, {11, 11}, FALSE, FALSE},
        {"exclusive, under the cover", [](CDrawingObject& o) { o.m_bExclusiveHit = TRUE; }, {25, 25}, FALSE, FALSE},
        {"exclusive, beside the cover", [](CDrawingObject& o) { o.m_bExclusiveHit = TRUE; }, {12, 12}, FALSE, TRUE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
        auto* target = new CSolidObject(&m_host, &map, kRed, CRect(10, 10, 30, 30));
        map.m_children.Add(target);
        map.m_children.Add(new CSolidObject(&m_host, &map, kBlue, CRect(20, 20, 40, 40)));
        c.setup(*target);
        EXPECT_EQ(target->HitTest(c.point.x, c.point.y, c.evenIfHidden), c.hit);
    }
}

// Children: looked up by id and by point, inserted anywhere, and removed
// with the selected, dragged and captured indexes kept pointing at the same
// children.
TEST_F(DrawingTest, ChildrenKeepTheirIndexesAcrossRemovals)
{
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    CSolidObject* c[4];
    for (int i = 0; i < 4; ++i)
    {
        c[i] = new CSolidObject(&m_host, &map, kRed, CRect(i * 10, 0, i * 10 + 15, 10));
        c[i]->m_nId = i == 3 ? 1 : i;  // two children with id 1
        map.m_children.Add(c[i]);
    }
    EXPECT_EQ(map.m_children.GetChildById(1), c[1]);
    EXPECT_EQ(map.m_children.GetChildById(7), nullptr);
    EXPECT_EQ(map.m_children.ChildFromPoint(12, 5), c[1]);  // c[0] and c[1] both cover it: the later wins
    EXPECT_EQ(map.m_children.ChildFromPoint(90, 5), nullptr);
    EXPECT_EQ(map.m_children.GetChild(4), nullptr);

    map.SelectChild(1, TRUE, FALSE);  // by id: c[1]
    EXPECT_TRUE(c[1]->m_bSelected);
    map.SelectChild(3, FALSE, FALSE);  // by index
    EXPECT_FALSE(c[1]->m_bSelected);
    EXPECT_TRUE(c[3]->m_bSelected);
    map.SelectChild(9, TRUE, TRUE);  // no child has id 9: nothing changes
    EXPECT_EQ(map.m_nSelectedChild, 3);
    map.m_nDraggedChild = 2;
    map.m_nCapturedChild = 1;

    EXPECT_EQ(map.RemoveChild(c[1], TRUE), 1);
    EXPECT_EQ(map.m_nSelectedChild, 2);
    EXPECT_EQ(map.m_nDraggedChild, 1);
    EXPECT_EQ(map.m_nCapturedChild, -1);
    EXPECT_EQ(map.m_children.GetChild(1), c[2]);
    EXPECT_EQ(map.RemoveChild(c[2], FALSE), 1);  // the dragged one
    EXPECT_EQ(map.m_nDraggedChild, -1);
    EXPECT_EQ(map.RemoveChild(c[2], FALSE), -1);
    EXPECT_EQ(map.RemoveChild(c[3], FALSE), 1);  // the selected one
    EXPECT_FALSE(c[3]->m_bSelected);
    EXPECT_EQ(map.m_nSelectedChild, -1);
    EXPECT_EQ(map.m_children.Add(c[3], 40), 1);  // past the end: appended
    EXPECT_EQ(map.m_children.Add(c[2], 0), 0);
    EXPECT_EQ(map.m_children.GetChild(1), c[0]);
}

TEST_F(DrawingTest, ResizingAMapMovesItsChildrenBackInside)
{
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    auto* big = new CSolidObject(&m_host, &map, kRed, CRect(60, 70, 80, 100));
    auto* wide = new CSolidObject(&m_host, &map, kRed, CRect(5, 5, 155, 10));
    map.m_children.Add(big);
    map.m_children.Add(wide);
    map.SetSize(50, 40, FALSE);
    EXPECT_EQ(big->m_rect, CRect(30, 10, 50, 40));
    EXPECT_EQ(wide->m_rect, CRect(0, 5, 150, 10));  // wider than the map: at its left edge
    EXPECT_EQ(map.GetSize(), CSize(50, 40));
}

// A map at (2, 1) of 12 x 4, blue, with a red child and a green one over it.
TEST_F(DrawingTest, MapsDrawTheirChildrenInOrderThroughTheBuffer)
{
    struct Case
    {
        const char* name;
        BOOL doubleBuffered;
        BOOL transparent;
        RECT clip;
        std::vector<std::string> rows;
        int greenPaints;
    };
    const std::vector<std::string> whole = {
        "................",
        "..BBBGGGBBBBBB..",
        "..BRRGGGBBBBBB..",
        "..BRRRBBBBBBBB..",
        "..BBBBBBBBBBBB..",
        "................",
    };
    const Case cases[] = {
        {"buffered", TRUE, FALSE, {0, 0, 16, 6}, whole, 1},
        {"straight on the target", FALSE, FALSE, {0, 0, 16, 6}, whole, 1},
        {"clipped: the green child is not drawn",
         TRUE,
         FALSE,
         {0, 3, 16, 6},
         {"................", "................", "................", "..BRRRBBBBBBBB..", "..BBBBBBBBBBBB..",
          "................"},
         0},
        {"transparent: what lies beneath shows",
         TRUE,
         TRUE,
         {0, 0, 16, 6},
         {"................", ".....GGG........", "...RRGGG........", "...RRR..........", "................",
          "................"},
         1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Canvas canvas(16, 6);
        CDrawingObjectMap map(&m_host, nullptr, c.doubleBuffered, TRUE, c.transparent);
        map.m_crBackground = kBlue;
        map.MoveTo(2, 1, FALSE);
        map.CDrawingObjectMap::SetSize(12, 4, FALSE);
        map.m_children.Add(new CSolidObject(&m_host, &map, kRed, CRect(1, 1, 4, 3)));
        auto* green = new CSolidObject(&m_host, &map, kGreen, CRect(3, 0, 6, 2));
        map.m_children.Add(green);
        canvas.dc.IntersectClipRect(&c.clip);
        map.Draw(&canvas.dc);
        for (int y = 0; y < 6; ++y)
        {
            EXPECT_EQ(Row(canvas, y, Colours()), c.rows[y]) << "row " << y;
        }
        EXPECT_EQ(green->m_nPaints, c.greenPaints);
    }
}

// Zoomed to 50 % and centred, a 12 x 4 map draws its picture 6 x 2 in the
// middle of its area and its background colour around it.
TEST_F(DrawingTest, AZoomedMapIsDrawnSmallerInTheMiddle)
{
    Canvas canvas(14, 5);
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    map.m_crBackground = kBlue;
    map.CDrawingObjectMap::SetSize(12, 4, FALSE);
    map.m_children.Add(new CSolidObject(&m_host, &map, kRed, CRect(0, 0, 12, 4)));
    map.SetZoom(50, 50, TRUE);
    map.Draw(&canvas.dc);
    const std::vector<std::string> rows = {
        "BBBBBBBBBBBB..",
        "BBBRRRRRRBBB..",
        "BBBRRRRRRBBB..",
        "BBBBBBBBBBBB..",
        "..............",
    };
    for (int y = 0; y < 5; ++y)
    {
        EXPECT_EQ(Row(canvas, y, Colours()), rows[y]) << "row " << y;
    }
}

// The highlight veils its rectangle with dark red at 192 of 255:
// 128 * 192 / 255 + 255 * 63 / 255 = 159 over white; the border shows only
// while the state is set.
TEST_F(DrawingTest, HighlightAndBorderAreDrawnOverTheChildren)
{
    Canvas canvas(20, 20);
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    map.m_crBackground = kWhite;
    map.CDrawingObjectMap::SetSize(20, 20, FALSE);
    auto* child = new CSolidObject(&m_host, &map, kWhite, CRect(5, 5, 15, 15));
    child->m_nBorderWidth = 1;
    child->m_crBorder = kBlack;
    child->SetBorder(TRUE, FALSE);
    map.m_children.Add(child);
    CRect veil(0, 0, 3, 2);
    map.SetHighlightRect(&veil);

    map.Draw(&canvas.dc);
    EXPECT_EQ(canvas.at(0, 0), RGB(159, 63, 63));
    EXPECT_EQ(canvas.at(2, 1), RGB(159, 63, 63));
    EXPECT_EQ(canvas.at(3, 1), kWhite);
    EXPECT_EQ(canvas.count(kBlack), 0);

    child->SetState(1, FALSE);
    map.Draw(&canvas.dc);
    EXPECT_EQ(Row(canvas, 5, Colours()).substr(4, 12), ".KKKKKKKKKK.");
    EXPECT_EQ(Row(canvas, 9, Colours()).substr(4, 12), ".K........K.");
}

TEST_F(DrawingTest, TypeListsRunFromTheBaseToTheMostDerivedClass)
{
    CDrawingObject plain(&m_host, nullptr, TRUE);
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    EXPECT_TRUE(plain.IsType(DRAWING_OBJECT_TYPE_OBJECT, TRUE));
    EXPECT_FALSE(plain.IsType(DRAWING_OBJECT_TYPE_MAP, FALSE));
    EXPECT_TRUE(map.IsType(DRAWING_OBJECT_TYPE_OBJECT, FALSE));
    EXPECT_FALSE(map.IsType(DRAWING_OBJECT_TYPE_OBJECT, TRUE));
    EXPECT_TRUE(map.IsType(DRAWING_OBJECT_TYPE_MAP, TRUE));
    // Maps are born fixed and without a border.
    EXPECT_TRUE(map.m_bFixedPosition && map.m_bFixedSize);
    EXPECT_EQ(map.m_pBorderPen, nullptr);
    EXPECT_NE(plain.m_pBorderPen, nullptr);
}
