// The window that hosts a drawing map, on the virtual screen: it paints the
// map, repaints only when an invalidation arrives, frees what is still
// queued when it goes, copies what lies beneath it when asked to, and hands
// the mouse to the map.
#include "drawing/drawing_map_wnd.h"
#include "platform/user/input.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;

namespace {

// A top-level window at (0, 0) of 200 x 100: green with a blue band over
// x = 30 to 33.
class CPatternWnd : public CWnd
{
public:
    BOOL Show()
    {
        return CreateEx(0, nullptr, "pattern", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr);
    }

protected:
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        dc.FillSolidRect(0, 0, 200, 100, kGreen);
        dc.FillSolidRect(30, 0, 4, 100, kBlue);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPatternWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// Counts what the window hands to the map.
class CRecordingMap : public CDrawingObjectMap
{
public:
    explicit CRecordingMap(CWnd* pHost) : CDrawingObjectMap(pHost, nullptr, TRUE, TRUE, FALSE)
    {
    }
    void OnMouseLeave() override
    {
        ++m_nLeaves;
        CDrawingObjectMap::OnMouseLeave();
    }
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override
    {
        ++m_nCursorQuestions;
        return CDrawingObjectMap::OnSetCursor(pWnd, nHitTest, message);
    }
    int OnLButtonDown(UINT nFlags, int x, int y) override
    {
        ++m_nDowns;
        return CDrawingObjectMap::OnLButtonDown(nFlags, x, y);
    }
    void OnLButtonDblClk(UINT nFlags, int x, int y) override
    {
        ++m_nDoubleClicks;
        CDrawingObjectMap::OnLButtonDblClk(nFlags, x, y);
    }
    void OnWindowDestroy() override
    {
        if (m_pWindowDestroys != nullptr)
        {
            ++*m_pWindowDestroys;
        }
    }
    int* m_pWindowDestroys = nullptr;  // outlives the map
    int m_nLeaves = 0;
    int m_nCursorQuestions = 0;
    int m_nDowns = 0;
    int m_nDoubleClicks = 0;
};

class CRecordingWnd : public CDrawingMapWnd
{
public:
    using CDrawingMapWnd::CDrawingMapWnd;

    CDrawingObjectMap* CreateMapObject() override
    {
        delete m_pMapObject;
        m_pMapObject = m_pRecorder = new CRecordingMap(this);
        return m_pMapObject;
    }
    LRESULT OnInvalidateRect(RECT* pRect, LPARAM lParam) override
    {
        ++m_nDelivered;
        return CDrawingMapWnd::OnInvalidateRect(pRect, lParam);
    }
    BOOL Make(CWnd* pParent, CRect rect, BOOL bWithMap = TRUE)
    {
        if (bWithMap)
        {
            CreateMapObject();
        }
        return Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, pParent, 13);
    }
    CRecordingMap* m_pRecorder = nullptr;
    int m_nDelivered = 0;
};

}  // namespace

class DrawingWindowTest : public DrawingTest
{
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        ASSERT_TRUE(m_pattern.Show());
        Pump();
    }
    CPatternWnd m_pattern;
};

// The map is painted at the window's place; a change shows only once its
// invalidation has been delivered, never while the object is changed.
TEST_F(DrawingWindowTest, PaintsTheMapAndRepaintsWhenTheInvalidationArrives)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Make(&m_pattern, CRect(10, 10, 50, 30)));
    CDrawingObjectMap* map = wnd.GetMapObject();
    EXPECT_EQ(map->GetSize(), CSize(40, 20));  // WM_SIZE sized the map
    auto* spot = new CSolidObject(&wnd, map, kRed, CRect(5, 5, 15, 10));
    spot->SetBorder(FALSE, FALSE);
    map->m_children.Add(spot);
    Pump();
    EXPECT_EQ(ScreenRow(8, 15, 44), "GGKKKKKRRRRRRRRRRKKKKKKKKKKKKKKKKKKKKKKKKKGG");

    spot->m_colour = kWhite;
    spot->Invalidate();
    EXPECT_EQ(ScreenRow(15, 15, 10), "RRRRRRRRRR");  // posted, not painted
    wnd.m_nDelivered = 0;
    Pump();
    EXPECT_EQ(wnd.m_nDelivered, 1);
    EXPECT_EQ(ScreenRow(8, 15, 44), "GGKKKKK..........KKKKKKKKKKKKKKKKKKKKKKKKKGG");
}

// Invalidations still queued when the window is destroyed are freed there
// (the sanitizer build sees a leak otherwise) and never delivered.
TEST_F(DrawingWindowTest, DestructionFreesTheQueuedInvalidations)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Make(&m_pattern, CRect(10, 10, 50, 30)));
    Pump();
    wnd.m_nDelivered = 0;
    CDrawingObjectMap* map = wnd.GetMapObject();
    map->Invalidate();
    CRect highlight(1, 1, 4, 4);
    map->SetHighlightRect(&highlight);
    map->MoveTo(0, 0, TRUE);
    wnd.DestroyWindow();
    Pump();
    EXPECT_EQ(wnd.m_nDelivered, 0);
    map->Invalidate();  // the window is gone: nothing is posted

    // A window object that goes while its window is up takes the window
    // down through its own handlers first.
    int windowDestroys = 0;
    {
        CRecordingWnd scoped;
        ASSERT_TRUE(scoped.Make(&m_pattern, CRect(60, 10, 90, 30)));
        scoped.m_pRecorder->m_pWindowDestroys = &windowDestroys;
        scoped.GetMapObject()->Invalidate();
    }
    EXPECT_EQ(windowDestroys, 1);
}

// A window that copies what lies beneath keeps the first picture of it and
// puts it back at every erase; one that does not erases nothing at all.
TEST_F(DrawingWindowTest, ErasingShowsWhatLayBeneathOnlyWhenAsked)
{
    CRecordingWnd see(TRUE, TRUE);
    ASSERT_TRUE(see.Make(&m_pattern, CRect(20, 10, 60, 30)));
    see.GetMapObject()->m_bShowBeneath = TRUE;
    auto* spot = new CSolidObject(&see, see.GetMapObject(), kRed, CRect(5, 5, 10, 10));
    spot->SetBorder(FALSE, FALSE);
    see.GetMapObject()->m_children.Add(spot);
    see.InvalidateRect(nullptr, TRUE);
    Pump();
    EXPECT_EQ(ScreenRow(18, 15, 44), "GGGGGGGRRRRRBBBBGGGGGGGGGGGGGGGGGGGGGGGGGGGG");

    spot->MoveTo(20, 5, TRUE);
    see.InvalidateRect(nullptr, TRUE);
    Pump();
    EXPECT_EQ(ScreenRow(18, 15, 44), "GGGGGGGGGGGGBBBBGGGGGGRRRRRGGGGGGGGGGGGGGGGG");

    // The progress window's kind: the erase leaves the DC as it is.
    CRecordingWnd plain(TRUE, FALSE);
    ASSERT_TRUE(plain.Make(&m_pattern, CRect(100, 10, 140, 30)));
    afx_test::Canvas canvas(8, 8, kBlue);
    EXPECT_EQ(plain.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc.GetSafeHdc())), TRUE);
    EXPECT_EQ(canvas.count(kBlue), 64);
}

// The leave notification is asked for at the first move and again at the
// first move after it came; the cursor is the map's business only while
// the mouse is over this window.
TEST_F(DrawingWindowTest, MouseLeaveAndCursorFollowThePointer)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Make(&m_pattern, CRect(10, 10, 50, 30)));
    Pump();
    CRecordingMap* map = wnd.m_pRecorder;
    for (int round = 1; round <= 2; ++round)
    {
        SCOPED_TRACE(round);
        trelwin::user::InjectMouseMove(20, 20);
        Pump();
        trelwin::user::InjectMouseMove(25, 22);
        Pump();
        EXPECT_EQ(map->m_nLeaves, round - 1);
        trelwin::user::InjectMouseMove(150, 80);
        Pump();
        EXPECT_EQ(map->m_nLeaves, round);
    }
    trelwin::user::InjectMouseMove(20, 20);
    Pump();
    EXPECT_GT(map->m_nCursorQuestions, 0);
    const int asked = map->m_nCursorQuestions;
    trelwin::user::InjectMouseMove(150, 80);
    Pump();
    EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              FALSE);
    EXPECT_EQ(map->m_nCursorQuestions, asked);
}

// Two quick clicks: a double click for the window that wants them, two
// single clicks for the one that does not.
TEST_F(DrawingWindowTest, DoubleClicksOnlyWhereWanted)
{
    struct Case
    {
        BOOL wanted;
        int downs;
        int doubleClicks;
    };
    const Case cases[] = {{TRUE, 1, 1}, {FALSE, 2, 0}};
    DWORD time = 7000000;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.wanted ? "wanted" : "not wanted");
        CRecordingWnd wnd(c.wanted, FALSE);
        ASSERT_TRUE(wnd.Make(&m_pattern, CRect(10, 10, 50, 30)));
        Pump();
        trelwin::user::InjectMouseClick(20, 20, 0, time);
        trelwin::user::InjectMouseClick(20, 20, 0, time + 100);
        time += 10000;
        Pump();
        EXPECT_EQ(wnd.m_pRecorder->m_nDowns, c.downs);
        EXPECT_EQ(wnd.m_pRecorder->m_nDoubleClicks, c.doubleClicks);
        wnd.DestroyWindow();
    }
}

// A rectangle whose corner lies before its origin (the page passes a size
// of 10 as right and bottom) makes an empty window, not a negative one; a
// window without a map takes its messages without doing anything.
TEST_F(DrawingWindowTest, OddRectanglesAndMissingMapsAreHarmless)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Make(&m_pattern, CRect(20, 30, 10, 10), FALSE));
    CRect rect;
    wnd.GetWindowRect(&rect);
    EXPECT_EQ(rect, CRect(20, 30, 20, 30));
    wnd.SetWindowPos(nullptr, 0, 0, 30, 10, SWP_NOMOVE | SWP_NOZORDER);
    wnd.InvalidateRect(nullptr, TRUE);
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    wnd.PostMessage(MSG_DRAWING_OBJECT_INVALIDATE_RECT, reinterpret_cast<WPARAM>(new RECT{0, 0, 1, 1}));
    Pump();
    EXPECT_EQ(wnd.m_nDelivered, 1);
    EXPECT_EQ(ScreenRow(20, 30, 30), "GGGGGGGGGGBBBBGGGGGGGGGGGGGGGG");  // nothing painted over the parent
}
