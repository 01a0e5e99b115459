// Connectors between a map's objects and the map's hooks, as a person meets
// them in a window: drawn with Ctrl and the mouse, refused by the map,
// following their objects, selected by a click and removed by the Delete
// key; and how their ends are named inside child maps.
#include <filesystem>

#include "drawing/drawing_map_wnd.h"
#include "platform/display/png_file.h"
#include "platform/user/input.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using trelwin::user::InjectKey;
using trelwin::user::InjectMouseButton;
using trelwin::user::InjectMouseMove;

#ifndef TRELWIN_DRAWING_ARTEFACTS
#define TRELWIN_DRAWING_ARTEFACTS "artefacts/drawing"
#endif

namespace
{

// A map that writes down every hook and query, answering the query with
// m_bAllow. Objects are named by their ids.
class CRecordingMap : public CDrawingObjectMap
{
public:
    explicit CRecordingMap(CWnd* pHost) : CDrawingObjectMap(pHost, nullptr, TRUE, TRUE, FALSE)
    {
    }
    void OnChildEdited(CDrawingObject* pChild) override
    {
        m_calls.push_back("edited " + std::to_string(pChild->m_nId));
    }
    BOOL CanConnect(CDrawingObject* pFrom, CDrawingObject* pTo) override
    {
        m_calls.push_back("can " + std::to_string(pFrom->m_nId) + " " + std::to_string(pTo->m_nId));
        return m_bAllow;
    }
    void OnConnectorAdded(CDrawingObjectConnector* p) override
    {
        m_calls.push_back("added " + Ends(p));
    }
    void OnConnectorSelected(CDrawingObjectConnector* p) override
    {
        m_calls.push_back("selected " + (p != nullptr ? Ends(p) : "none"));
    }
    void OnConnectorRemoved(CDrawingObjectConnector* p) override
    {
        m_calls.push_back("removed " + Ends(p));
    }
    std::vector<std::string> Take()
    {
        return std::exchange(m_calls, {});
    }

    BOOL m_bAllow = TRUE;
    std::vector<std::string> m_calls;

private:
    static std::string Ends(CDrawingObjectConnector* p)
    {
        return std::to_string(p->m_fromPath[0]) + " " + std::to_string(p->m_toPath[0]);
    }
};

class CRecordingMapWnd : public CDrawingMapWnd
{
public:
    CDrawingObjectMap* CreateMapObject() override
    {
        delete m_pMapObject;
        m_pMapObject = new CRecordingMap(this);
        return m_pMapObject;
    }
};

const COLORREF kLine = RGB(70, 70, 70);
const COLORREF kSelection = RGB(0, 102, 204);

std::string At(int x, int y, int n)
{
    return ScreenRow(x, y, n,
                     {{kWhite, '.'}, {kRed, 'R'}, {kBlue, 'B'}, {kGreen, 'G'}, {kLine, 'L'}, {kSelection, 'S'}});
}

// The mouse from one point to another with the left button down, in two
// moves, with Ctrl held when asked.
void Drag(CPoint from, CPoint to, bool control)
{
    if (control) InjectKey(VK_CONTROL, true);
    Pump();
    InjectMouseMove(from.x, from.y);
    Pump();
    InjectMouseButton(0, true);
    Pump();
    InjectMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
    Pump();
    InjectMouseMove(to.x, to.y);
    Pump();
    InjectMouseButton(0, false);
    if (control) InjectKey(VK_CONTROL, false);
    Pump();
}

void Click(CPoint at)
{
    InjectMouseMove(at.x, at.y);
    InjectMouseButton(0, true);
    InjectMouseButton(0, false);
    Pump();
}

using Calls = std::vector<std::string>;

}  // namespace

// The whole dialogue in a window at the screen's corner, with three boxes:
// red 1, blue 2 and green 3; the screen's rows show the lines. Presses
// follow each other at other places, so that none is a double click.
TEST_F(DrawingTest, ConnectorsAreDrawnFollowedSelectedAndDeletedByTheUser)
{
    CRecordingMapWnd wnd;
    auto* map = static_cast<CRecordingMap*>(wnd.CreateMapObject());
    ASSERT_TRUE(wnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &m_host, 13));
    map->m_crBackground = kWhite;
    CSolidObject* boxes[] = {new CSolidObject(&wnd, map, kRed, CRect(20, 20, 80, 80)),
                             new CSolidObject(&wnd, map, kBlue, CRect(200, 30, 260, 90)),
                             new CSolidObject(&wnd, map, kGreen, CRect(20, 120, 80, 180))};
    for (int i = 0; i < 3; ++i)
    {
        boxes[i]->m_nId = i + 1;
        boxes[i]->SetBorder(FALSE, FALSE);
        map->m_children.Add(boxes[i]);
    }
    Pump();

    // A drag that moves a box tells the map once; a click that moves
    // nothing does not.
    Drag({50, 50}, {60, 60}, false);
    EXPECT_EQ(boxes[0]->m_rect, CRect(30, 30, 90, 90));
    EXPECT_EQ(map->Take(), Calls({"edited 1"}));
    Click({70, 70});
    EXPECT_EQ(map->Take(), Calls{});

    // With Ctrl the mouse draws a loose line from the red box's edge, with
    // the cross cursor, and the release over the blue box joins the two:
    // the line runs from the red box's right edge to the blue box's left.
    InjectKey(VK_CONTROL, true);
    Pump();
    InjectMouseMove(60, 60);
    InjectMouseButton(0, true);
    InjectMouseMove(150, 60);
    Pump();
    EXPECT_EQ(map->GetCursorAt(150, 60), -3);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(boxes[0]->m_rect, CRect(30, 30, 90, 90));  // not dragged
    EXPECT_EQ(At(86, 60, 70).substr(0, 12), "RRRRSSSSSSSS");
    EXPECT_EQ(At(86, 60, 70).substr(66), "....");
    InjectMouseMove(230, 60);
    InjectMouseButton(0, false);
    InjectKey(VK_CONTROL, false);
    Pump();
    EXPECT_EQ(map->Take(), Calls({"can 1 2", "added 1 2"}));
    EXPECT_EQ(At(86, 60, 8), "RRRRLLLL");
    EXPECT_EQ(At(196, 60, 8), "LLLLBBBB");
    EXPECT_EQ(At(140, 55, 1) + At(140, 65, 1), "..");

    // Refused by the map: no connector. The same two again: not asked,
    // already joined. Released beside every box, or cancelled: nothing,
    // and the loose line is gone.
    map->m_bAllow = FALSE;
    Drag({50, 50}, {50, 150}, true);
    EXPECT_EQ(map->Take(), Calls({"can 1 3"}));
    map->m_bAllow = TRUE;
    Drag({230, 60}, {60, 60}, true);
    Drag({60, 60}, {150, 150}, true);
    EXPECT_EQ(map->Take(), Calls{});
    InjectKey(VK_CONTROL, true);
    Pump();
    InjectMouseMove(70, 50);
    InjectMouseButton(0, true);
    InjectMouseMove(60, 140);
    Pump();
    EXPECT_EQ(At(60, 100, 1), "S");
    wnd.SendMessage(WM_CANCELMODE);
    InjectMouseButton(0, false);
    InjectKey(VK_CONTROL, false);
    Pump();
    EXPECT_EQ(map->Take(), Calls{});
    EXPECT_EQ(map->m_connectors.GetSize(), 1);
    EXPECT_EQ(At(60, 100, 1), ".");

    // The line follows the blue box down: from (90, 67) to (200, 93).
    Drag({230, 60}, {230, 100}, false);
    EXPECT_EQ(map->Take(), Calls({"edited 2"}));
    EXPECT_EQ(At(140, 60, 1), ".");
    EXPECT_EQ(At(145, 80, 1), "L");

    // A click beside the line selects it (wider, in the selection colour,
    // with handles at its ends) and gives the window the keys; a click
    // elsewhere lets it go.
    Click({145, 83});
    EXPECT_EQ(map->Take(), Calls({"selected 1 2"}));
    EXPECT_EQ(At(145, 80, 1), "S");
    EXPECT_EQ(At(86, 71, 10) + At(86, 72, 10), "RRRR.SSSSSRRRR......");  // a handle beside the red box
    EXPECT_EQ(::GetFocus(), wnd.m_hWnd);
    std::filesystem::create_directories(TRELWIN_DRAWING_ARTEFACTS);
    std::string error;
    EXPECT_TRUE(trelwin::display::save_png(trelwin::display::current().screen(), RECT{0, 0, 300, 200},
                                           std::string(TRELWIN_DRAWING_ARTEFACTS) + "/selected_connector.png", &error))
        << error;
    Click({145, 20});
    EXPECT_EQ(map->Take(), Calls({"selected none"}));
    EXPECT_EQ(At(145, 80, 1), "L");
    Click({145, 79});

    // The Delete key removes the selected line.
    InjectKey(VK_DELETE, true);
    InjectKey(VK_DELETE, false);
    Pump();
    EXPECT_EQ(map->Take(), Calls({"selected 1 2", "removed 1 2"}));
    EXPECT_EQ(map->m_connectors.GetSize(), 0);
    EXPECT_EQ(At(145, 80, 1), ".");

    // A box that goes takes its lines with it.
    ASSERT_NE(map->Connect(boxes[0], boxes[2]), nullptr);
    Pump();
    EXPECT_EQ(At(55, 105, 1), "L");
    map->RemoveChild(boxes[2], TRUE);
    Pump();
    EXPECT_EQ(map->Take(), Calls({"can 1 3", "added 1 3", "removed 1 3"}));
    EXPECT_EQ(At(55, 105, 1), ".");
}

// An end inside a child map is named by its id, its map's and the root's;
// the line runs in the root's coordinates and follows the child map. Ids
// that two siblings share cannot name an end.
TEST_F(DrawingTest, ConnectorEndsAreNamedByIdPaths)
{
    CDrawingObjectMap root(&m_host, nullptr, TRUE, TRUE, FALSE);
    root.CDrawingObjectMap::SetSize(300, 100, FALSE);
    auto* left = new CSolidObject(&m_host, &root, kRed, CRect(0, 0, 40, 40));
    left->m_nId = 1;
    root.m_children.Add(left);
    CDrawingObjectMap* inner = root.CreateChildMap();
    inner->m_nId = 5;
    inner->MoveTo(100, 0, FALSE);
    inner->CDrawingObjectMap::SetSize(100, 100, FALSE);
    root.m_children.Add(inner);
    auto* deep = new CSolidObject(&m_host, inner, kBlue, CRect(20, 0, 60, 40));
    deep->m_nId = 1;
    inner->m_children.Add(deep);

    CDrawingObjectConnector* connector = root.Connect(left, deep);
    ASSERT_NE(connector, nullptr);
    EXPECT_EQ(std::vector<int>(connector->m_toPath.GetData(), connector->m_toPath.GetData() + 3),
              std::vector<int>({1, 5, 0}));
    CPoint from, to;
    ASSERT_TRUE(connector->GetLine(&root, from, to));
    EXPECT_EQ(from, CPoint(40, 20));
    EXPECT_EQ(to, CPoint(120, 20));
    EXPECT_TRUE(connector->HitTest(&root, 80, 23));
    EXPECT_FALSE(connector->HitTest(&root, 80, 27));
    root.MoveChild(inner, 150, 0);
    ASSERT_TRUE(connector->GetLine(&root, from, to));
    EXPECT_EQ(to, CPoint(170, 20));

    auto* twin = new CSolidObject(&m_host, inner, kGreen, CRect(0, 50, 20, 70));
    twin->m_nId = 1;
    inner->m_children.Add(twin);
    EXPECT_EQ(root.Connect(left, twin), nullptr);
    // Removing the child map removes the line to the object inside it.
    root.RemoveChild(inner, TRUE);
    EXPECT_EQ(root.m_connectors.GetSize(), 0);
}
