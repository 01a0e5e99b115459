// Map editing by mouse: what a press at each place of a child would do and
// the cursor that says so, drags within their limits, the order of the
// children after a click, drags inside child maps, and the whole dialogue
// in a window with the real cursors and the hover border.
#include <filesystem>

#include "drawing/drawing_map_wnd.h"
#include "platform/display/png_file.h"
#include "platform/user/input.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using afx_test::Canvas;

#ifndef TRELWIN_DRAWING_ARTEFACTS
#define TRELWIN_DRAWING_ARTEFACTS "artefacts/drawing"
#endif

namespace
{

// A root map of 300 x 200 with one movable, resizable child.
struct EditScene
{
    EditScene(CWnd* pHost, CRect child)
        : map(pHost, nullptr, TRUE, TRUE, FALSE), object(new CSolidObject(pHost, &map, kRed, child))
    {
        map.CDrawingObjectMap::SetSize(300, 200, FALSE);
        map.m_children.Add(object);
    }
    // The mouse as the window hands it over: the cursor question, then the
    // press, the moves and the release.
    void Drag(CPoint from, std::initializer_list<CPoint> moves)
    {
        map.GetCursorAt(from.x, from.y);
        map.OnLButtonDown(MK_LBUTTON, from.x, from.y);
        CPoint last = from;
        for (CPoint p : moves)
        {
            map.OnMouseMove(MK_LBUTTON, p.x, p.y);
            last = p;
        }
        map.OnLButtonUp(0, last.x, last.y);
    }
    CDrawingObjectMap map;
    CSolidObject* object;
};

}  // namespace

// Corners take 10 pixels, edges 3; a fixed size leaves only the move, a
// fixed position leaves nothing.
TEST_F(DrawingTest, APressWouldDoWhatTheCursorSays)
{
    struct Case
    {
        const char* name;
        POINT point;
        BOOL fixedPosition;
        BOOL fixedSize;
        int mode;
        int cursor;
    };
    const Case cases[] = {
        {"2 right of the left edge", {22, 70}, FALSE, FALSE, 5, 30986},
        {"4 right of the left edge", {24, 70}, FALSE, FALSE, 1, 30987},
        {"5 right of the left edge", {25, 70}, FALSE, FALSE, 1, 30987},
        {"top-left corner", {28, 28}, FALSE, FALSE, 7, 30983},
        {"bottom-left corner", {20, 119}, FALSE, FALSE, 9, 30984},
        {"top-right corner", {112, 22}, FALSE, FALSE, 6, 30984},
        {"bottom-right corner", {119, 119}, FALSE, FALSE, 8, 30983},
        {"right edge", {118, 70}, FALSE, FALSE, 4, 30986},
        {"top edge", {70, 23}, FALSE, FALSE, 2, 30985},
        {"bottom edge", {70, 117}, FALSE, FALSE, 3, 30985},
        {"middle", {70, 70}, FALSE, FALSE, 1, 30987},
        {"fixed size: an edge moves", {22, 70}, FALSE, TRUE, 1, 30987},
        {"fixed position, free size: the middle does nothing", {70, 70}, TRUE, FALSE, 1, 0},
        {"fixed position, free size: an edge resizes", {22, 70}, TRUE, FALSE, 5, 30986},
        {"both fixed", {22, 70}, TRUE, TRUE, 1, 0},
        {"outside", {5, 5}, FALSE, FALSE, 1, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EditScene scene(&m_host, CRect(20, 20, 120, 120));
        scene.object->m_bFixedPosition = c.fixedPosition;
        scene.object->m_bFixedSize = c.fixedSize;
        EXPECT_EQ(scene.map.GetCursorAt(c.point.x, c.point.y), c.cursor);
        EXPECT_EQ(scene.map.m_nDragMode, c.mode);
    }
}

// Each drag ends with the child at this rectangle: moves stay inside the
// map, resizes leave at least 30 pixels and keep the other edges in place.
TEST_F(DrawingTest, DragsMoveAndResizeWithinTheirLimits)
{
    struct Case
    {
        const char* name;
        BOOL fixedPosition;
        BOOL fixedSize;
        CPoint from;
        std::vector<CPoint> moves;
        CRect result;
    };
    const Case cases[] = {
        {"moved", FALSE, FALSE, {70, 50}, {{80, 60}, {100, 80}}, CRect(50, 30, 150, 130)},
        {"moved past the corner: held inside", FALSE, FALSE, {70, 50}, {{400, 400}}, CRect(200, 100, 300, 200)},
        {"top edge down by 90: 30 high", FALSE, FALSE, {70, 1}, {{70, 91}}, CRect(20, 70, 120, 100)},
        {"bottom-right corner far out: the map's edges", FALSE, FALSE, {119, 99}, {{500, 500}},
         CRect(20, 0, 300, 200)},
        {"left edge past the right: 30 wide", FALSE, FALSE, {21, 50}, {{200, 50}}, CRect(90, 0, 120, 100)},
        {"right edge left, then back", FALSE, FALSE, {119, 50}, {{60, 50}, {150, 60}}, CRect(20, 0, 150, 100)},
        {"fixed position: stays", TRUE, FALSE, {70, 50}, {{100, 80}}, CRect(20, 0, 120, 100)},
        {"fixed size: an edge drags it along", FALSE, TRUE, {22, 50}, {{52, 60}}, CRect(50, 10, 150, 110)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EditScene scene(&m_host, CRect(20, 0, 120, 100));
        scene.object->m_bFixedPosition = c.fixedPosition;
        scene.object->m_bFixedSize = c.fixedSize;
        scene.map.GetCursorAt(c.from.x, c.from.y);
        scene.map.OnLButtonDown(MK_LBUTTON, c.from.x, c.from.y);
        for (CPoint p : c.moves) scene.map.OnMouseMove(MK_LBUTTON, p.x, p.y);
        scene.map.OnLButtonUp(0, c.moves.back().x, c.moves.back().y);
        EXPECT_EQ(scene.object->m_rect, c.result);
        EXPECT_EQ(scene.map.m_nDraggedChild, -1);
        EXPECT_EQ(scene.map.m_nSelectedChild, 0);  // pressed: selected
        // After the release a move drags nothing.
        scene.map.OnMouseMove(0, 290, 190);
        EXPECT_EQ(scene.object->m_rect, c.result);
    }
}

// A press on a child that lies under another brings it to the end of the
// children, so it is drawn over the other from then on; the selection
// follows the children, not their old places.
TEST_F(DrawingTest, AClickedChildComesToTheTop)
{
    Canvas canvas(40, 10);
    CDrawingObjectMap map(&m_host, nullptr, TRUE, TRUE, FALSE);
    map.m_crBackground = kWhite;
    map.CDrawingObjectMap::SetSize(40, 10, FALSE);
    auto* red = new CSolidObject(&m_host, &map, kRed, CRect(0, 0, 20, 10));
    auto* blue = new CSolidObject(&m_host, &map, kBlue, CRect(10, 0, 30, 10));
    for (CSolidObject* o : {red, blue})
    {
        o->SetBorder(FALSE, FALSE);
        map.m_children.Add(o);
    }
    map.SelectChild(1, FALSE, FALSE);  // blue
    map.Draw(&canvas.dc);
    EXPECT_EQ(Row(canvas, 5, Colours()), "RRRRRRRRRRBBBBBBBBBBBBBBBBBBBB..........");

    map.GetCursorAt(5, 5);
    map.OnLButtonDown(MK_LBUTTON, 5, 5);
    map.OnLButtonUp(0, 5, 5);
    EXPECT_EQ(map.m_children.GetChild(1), red);
    EXPECT_TRUE(red->m_bSelected);
    EXPECT_FALSE(blue->m_bSelected);
    EXPECT_EQ(map.m_nSelectedChild, 1);
    map.Draw(&canvas.dc);
    EXPECT_EQ(Row(canvas, 5, Colours()), "RRRRRRRRRRRRRRRRRRRRBBBBBBBBBB..........");
}

// A child map drags its own children: the root hands every move down with
// the root's point, and the child map takes its own place off it.
TEST_F(DrawingTest, ChildMapsDragTheirOwnChildren)
{
    CDrawingObjectMap root(&m_host, nullptr, TRUE, TRUE, FALSE);
    root.CDrawingObjectMap::SetSize(300, 200, FALSE);
    CDrawingObjectMap* inner = root.CreateChildMap();
    inner->MoveTo(50, 40, FALSE);
    inner->CDrawingObjectMap::SetSize(200, 100, FALSE);
    root.m_children.Add(inner);
    auto* object = new CSolidObject(&m_host, inner, kRed, CRect(10, 10, 50, 50));
    inner->m_children.Add(object);
    EXPECT_EQ(root.DeepestObjectAt(80, 70, FALSE), object);
    EXPECT_EQ(root.DeepestObjectAt(200, 120, FALSE), nullptr);  // in the child map, over none of its children
    EXPECT_EQ(root.GetCursorAt(80, 70), 30987);

    root.OnLButtonDown(MK_LBUTTON, 80, 70);
    EXPECT_EQ(root.GetDraggedObject(), object);
    root.OnMouseMove(MK_LBUTTON, 100, 75);
    root.OnMouseMove(MK_LBUTTON, 110, 80);
    root.OnLButtonUp(0, 110, 80);
    EXPECT_EQ(object->m_rect, CRect(40, 20, 80, 60));
    EXPECT_EQ(root.GetDraggedObject(), nullptr);
    EXPECT_EQ(inner->m_rect, CRect(50, 40, 250, 140));
}

// In a window: the real cursors over the edges and the middle, the border
// while the mouse is over the child, a drag by the mouse, and the default
// cursor again outside.
TEST_F(DrawingTest, EditingInAWindowShowsCursorsAndBorders)
{
    CDrawingMapWnd wnd;
    CDrawingObjectMap* map = wnd.CreateMapObject();
    ASSERT_TRUE(wnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &m_host, 13));
    map->m_crBackground = kWhite;
    auto* object = new CSolidObject(&wnd, map, kBlue, CRect(20, 20, 120, 120));
    object->m_crBorder = kRed;
    object->SetBorder(TRUE, FALSE);
    map->m_children.Add(object);
    Pump();
    auto cursorAt = [](int x, int y) {
        trelwin::user::InjectMouseMove(x, y);
        Pump();
        return GetCursor();
    };
    EXPECT_EQ(cursorAt(22, 70), LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30986)));
    EXPECT_EQ(cursorAt(70, 22), LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30985)));
    EXPECT_EQ(cursorAt(21, 21), LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30983)));
    EXPECT_EQ(cursorAt(118, 22), LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30984)));
    EXPECT_NE(LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30987)), nullptr);
    EXPECT_EQ(cursorAt(70, 70), LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30987)));
    EXPECT_EQ(object->m_nState, 1);
    EXPECT_EQ(ScreenAt(20, 70), kRed);  // the border shows while the mouse is over it

    trelwin::user::InjectMouseButton(0, true);
    cursorAt(90, 100);
    cursorAt(110, 120);
    trelwin::user::InjectMouseButton(0, false);
    Pump();
    EXPECT_EQ(object->m_rect, CRect(60, 70, 160, 170));
    EXPECT_EQ(ScreenAt(100, 150), kBlue);
    EXPECT_EQ(ScreenAt(40, 50), kWhite);

    EXPECT_EQ(cursorAt(250, 20), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(object->m_nState, 0);
    EXPECT_EQ(ScreenAt(60, 100), kBlue);  // no border any more
}

// The five editing cursors side by side on a grey strip, saved for a person
// to look at; each is drawn, and none is all clear.
TEST_F(DrawingTest, TheEditingCursorsAreOurs)
{
    CDC* dc = m_host.GetDC();
    dc->FillSolidRect(0, 0, 200, 40, RGB(160, 160, 160));
    for (int i = 0; i < 5; ++i)
    {
        HCURSOR cursor = LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(30983 + i));
        ASSERT_NE(cursor, nullptr) << 30983 + i;
        EXPECT_TRUE(DrawIconEx(dc->GetSafeHdc(), 4 + 38 * i, 4, cursor, 0, 0, 0, nullptr, DI_NORMAL));
        int drawn = 0;
        for (int y = 4; y < 36; ++y)
            for (int x = 4 + 38 * i; x < 36 + 38 * i; ++x) drawn += dc->GetPixel(x, y) != RGB(160, 160, 160);
        EXPECT_GT(drawn, 60) << 30983 + i;
    }
    m_host.ReleaseDC(dc);
    Pump();
    std::filesystem::create_directories(TRELWIN_DRAWING_ARTEFACTS);
    std::string error;
    EXPECT_TRUE(trelwin::display::save_png(trelwin::display::current().screen(), RECT{0, 0, 200, 40},
                                           std::string(TRELWIN_DRAWING_ARTEFACTS) + "/editing_cursors.png", &error))
        << error;
}
