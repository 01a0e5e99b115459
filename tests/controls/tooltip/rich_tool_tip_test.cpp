// The tip window on the virtual screen: a tool in a window whose owner
// answers the tip's request for text; the mouse moved over it, the tip
// shown after its delay, faded in, placed to stay on the screen, and hidden
// by keys, clicks, leaving the tool and deactivation.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controls/tooltip/rich_tool_tip.h"
#include "platform/display/display.h"
#include "platform/user/input.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "platform/user/painting.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

#ifndef TRELWIN_TOOLTIP_ARTEFACTS
#define TRELWIN_TOOLTIP_ARTEFACTS "artefacts/tooltip"
#endif

namespace {

// The window that answers the tip with a text of the test's choosing.
class CAnswering : public CWnd
{
public:
    CString text;
    int asked = 0;
    RECT area{};  // the area of the tool asked for last

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        auto* nm = reinterpret_cast<NM_RTT_DISPLAY*>(lParam);
        if (nm->hdr.code != MSG_TOOLTIP_DISPLAY) return CWnd::OnNotify(wParam, lParam, pResult);
        ++asked;
        area = nm->ti->rectBounds;
        nm->ti->strText = text;
        *pResult = 0;
        return TRUE;
    }
};

// Runs the messages of the thread as a modal loop would, windows' own
// PreTranslateMessage first, until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int ms = 3000) { return afx_test::PumpTranslatedUntil(done, ms); }

class TipWindow : public ::testing::Test
{
public:
    void SetUp() override
    {
        trelwin::display::use_headless(640, 480);
        ASSERT_TRUE(m_frame.CreateEx(0, nullptr, "Frame", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr));
        ASSERT_TRUE(m_tool.CreateEx(0, nullptr, "Tool", WS_CHILD | WS_VISIBLE, 100, 100, 200, 100, m_frame.m_hWnd,
                                    reinterpret_cast<HMENU>(7)));
        ::SetActiveWindow(m_frame.m_hWnd);
        ASSERT_TRUE(m_tip.Create(&m_tool));
        m_tip.AddTool(&m_tool);
        m_tip.SetNotify(m_frame.m_hWnd);
        m_tip.SetDelayTime(40, 0);
        // As the device list sets it: every move inside the tool asks anew.
        m_tip.SetBehaviour(RTT_BEHAVIOUR_MULTIPLE_SHOW);
        m_frame.text = "<b>Encoder</b> 10.0.0.7";
    }
    void TearDown() override
    {
        m_tip.DestroyWindow();
        m_tool.DestroyWindow();
        m_frame.DestroyWindow();
        afx_test::Pump();
        trelwin::afx::FreeTemporaryObjects();
    }

    // The mouse moved to a point of the screen and relayed to the tip.
    void MoveTo(int x, int y)
    {
        trelwin::user::InjectMouseMove(x, y, ++m_time);
        MSG msg{};
        msg.hwnd = m_tool.m_hWnd;
        msg.message = WM_MOUSEMOVE;
        m_tip.RelayEvent(&msg);
    }
    bool Shown() { return PumpUntil([&] { return m_tip.GetState() == CRichToolTip::STATE_SHOWN; }); }
    bool Hidden()
    {
        return PumpUntil([&] { return m_tip.GetState() == CRichToolTip::STATE_HIDDEN && !m_tip.IsWindowVisible(); });
    }

    CAnswering m_frame;
    CWnd m_tool;
    CRichToolTip m_tip;
    DWORD m_time = 1000;
};

// Moving over the tool asks for its text after the delay and shows it;
// what hides it at once, and what brings it back.
TEST_F(TipWindow, ShowsAfterTheDelayAndHidesOnKeysClicksAndLeaving)
{
    struct Step {
        const char* what;
        std::function<void()> act;
        bool shown;
    };
    const std::vector<Step> script = {
        {"over the tool", [&] { MoveTo(150, 150); }, true},
        {"a key", [&] {
             MSG key{m_tool.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {}};
             m_tip.RelayEvent(&key);
         }, false},
        {"moved on inside the tool", [&] { MoveTo(160, 150); }, true},
        {"the wheel", [&] {
             MSG wheel{m_tool.m_hWnd, WM_MOUSEWHEEL, 0, 0, 0, {}};
             m_tip.RelayEvent(&wheel);
         }, false},
        {"back over the tool", [&] { MoveTo(170, 150); }, true},
        {"off the tool", [&] { MoveTo(20, 20); }, false},
        {"over it again", [&] { MoveTo(150, 160); }, true},
        {"the program deactivated", [&] { ::SendMessageA(m_tip.m_hWnd, WM_ACTIVATEAPP, FALSE, 0); }, false},
    };
    for (const Step& step : script) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_TRUE(step.shown ? Shown() : Hidden());
        if (step.shown) {
            EXPECT_TRUE(m_tip.IsWindowVisible());
        }
    }
    EXPECT_GE(m_frame.asked, 4);
    // Showing the tip left the frame active.
    EXPECT_EQ(::GetActiveWindow(), m_frame.m_hWnd);
}

// Without a text the tip stays hidden; with show delay 0 it is shown in the
// same relayed move; with a fade the transparency comes down in steps of 20
// and stops at the tool's own.
TEST_F(TipWindow, DelayTextAndFadeIn)
{
    m_frame.text = "";
    MoveTo(150, 150);
    EXPECT_FALSE(PumpUntil([&] { return m_tip.IsWindowVisible(); }, 300));
    EXPECT_GE(m_frame.asked, 1);

    m_frame.text = "now";
    m_tip.SetDelayTime(0, 0);
    MoveTo(151, 150);
    EXPECT_EQ(m_tip.GetState(), CRichToolTip::STATE_SHOWN);
    EXPECT_EQ(m_tip.GetTransparency(), 0);
    MoveTo(10, 10);
    ASSERT_TRUE(Hidden());

    m_tip.SetFadePeriods(20, 0);
    MoveTo(152, 150);
    std::vector<int> seen;
    PumpUntil([&] {
        if (seen.empty() || seen.back() != m_tip.GetTransparency()) seen.push_back(m_tip.GetTransparency());
        return m_tip.GetState() == CRichToolTip::STATE_SHOWN;
    });
    EXPECT_EQ(seen, (std::vector<int>{100, 80, 60, 40, 20, 0}));
}

// Near the right edge the anchor moves to the far corner; near the bottom
// the tip goes above the cursor; a tip is never larger than the screen.
TEST_F(TipWindow, PlacedToStayOnTheScreen)
{
    m_tip.SetDelayTime(0, 0);
    m_tip.SetDefaultDirection(0x00);  // below the cursor, extending right
    struct Case {
        POINT at;
        UINT placement;
        POINT corner;  // where the tip's window starts, relative to the cursor (-1: anywhere)
    };
    const Case cases[] = {
        {{100, 100}, 0x00, {0, 0}},
        {{630, 100}, 0x01, {-1, 0}},
        {{100, 470}, 0x10, {0, -1}},
        {{630, 470}, 0x11, {-1, -1}},
    };
    m_tool.MoveWindow(0, 0, 640, 480);
    m_frame.text = "a tip that is some way wide";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.placement);
        MoveTo(c.at.x, c.at.y);
        ASSERT_EQ(m_tip.GetState(), CRichToolTip::STATE_SHOWN);
        EXPECT_EQ(m_tip.GetPlacement(), c.placement);
        const CRect& tip = m_tip.GetTipRect();
        // The cursor is at a corner of the tip: the anchor's.
        EXPECT_EQ(c.corner.x == 0 ? tip.left : tip.right, c.at.x);
        EXPECT_EQ(c.corner.y == 0 ? tip.top : tip.bottom, c.at.y);
        const CRect& rc = m_tip.GetTipRect();
        EXPECT_GE(rc.left, 0);
        EXPECT_LE(rc.right, 640);
        EXPECT_GE(rc.top, 0);
        EXPECT_LE(rc.bottom, 480);
    }
    // A text far wider and taller than the screen.
    std::string huge;
    for (int i = 0; i < 300; ++i) huge += "many words in a very long tip<br>";
    m_frame.text = huge.c_str();
    MoveTo(320, 240);
    ASSERT_EQ(m_tip.GetState(), CRichToolTip::STATE_SHOWN);
    EXPECT_LE(m_tip.GetTipRect().Width(), 640);
    EXPECT_LE(m_tip.GetTipRect().Height(), 480);
}

// The tip blends with what lies beneath it and casts a shadow on it: the
// shadow darkens the frame's own colour, and a half transparent tip shows
// the mix of its background and the frame.
TEST_F(TipWindow, ShadowAndTransparencyOverWhatLiesBeneath)
{
    m_tip.SetDelayTime(0, 0);
    m_tip.SetDefaultEffect(0, RGB(255, 255, 200), RGB(255, 255, 200), RGB(255, 255, 200));
    m_tool.MoveWindow(0, 0, 640, 480);
    m_frame.text = "<font color=#ffffc8>.</font>";
    // The frame paints itself in one grey.
    CClientDC dc(&m_tool);
    CRect all(0, 0, 640, 480);
    dc.FillSolidRect(&all, RGB(100, 100, 100));
    MoveTo(200, 200);
    ASSERT_EQ(m_tip.GetState(), CRichToolTip::STATE_SHOWN);
    m_tip.UpdateWindow();
    const CRect rc = m_tip.GetTipRect();
    std::filesystem::create_directories(TRELWIN_TOOLTIP_ARTEFACTS);
    std::string error;
    trelwin::user::SaveScreenPng(std::string(TRELWIN_TOOLTIP_ARTEFACTS) + "/tip_shadow.png", &error);
    const COLORREF body = trelwin::user::GetClientPixel(m_tip.m_hWnd, 2, rc.Height() / 2);
    EXPECT_EQ(body, RGB(255, 255, 200));
    // Past the body's right edge, inside the shadow: the frame's grey, darker.
    const COLORREF shadow = trelwin::user::GetClientPixel(m_tip.m_hWnd, rc.Width() + 3, rc.Height() / 2);
    EXPECT_LT(GetRValue(shadow), 100);
    EXPECT_GT(GetRValue(shadow), 20);
}

// A tip that follows the cursor stays and moves along while the cursor is
// over the tip itself, as long as the tool lies beneath it.
TEST_F(TipWindow, ATipThatFollowsTheCursorLooksThroughItselfForTheTool)
{
    m_tip.SetDelayTime(0, 0);
    m_tip.SetDefaultDirection(0x00);  // below the cursor, extending right: the cursor is on the tip
    m_tip.SetBehaviour(RTT_BEHAVIOUR_TRACK_MOUSE);
    struct Step {
        const char* what;
        POINT at;
        bool shown;
    };
    const Step script[] = {
        {"over the tool", {150, 150}, true},
        {"on over the tip", {160, 155}, true},
        {"along the tool under the tip", {290, 190}, true},
        {"off the tool, still over the tip", {305, 195}, false},
    };
    for (const Step& step : script) {
        SCOPED_TRACE(step.what);
        MoveTo(step.at.x, step.at.y);
        EXPECT_TRUE(step.shown ? Shown() : Hidden());
        if (step.shown) {
            CRect rc;
            m_tip.GetWindowRect(&rc);
            EXPECT_EQ(rc.TopLeft(), CPoint(step.at));
            EXPECT_EQ(::WindowFromPoint(step.at), m_tip.m_hWnd);
        }
    }
    EXPECT_EQ(m_frame.asked, 1);
}

// In a scroll view the tools' areas are places of the content: the cursor
// finds the tool of the content scrolled under it.
TEST_F(TipWindow, ToolsOfAScrollViewAreFoundWhereTheContentIsScrolled)
{
    CScrollView view;
    ASSERT_TRUE(view.CreateEx(0, nullptr, "View", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 350, 250, 200, 120,
                              m_frame.m_hWnd, reinterpret_cast<HMENU>(8)));
    view.SetScrollRange(SB_HORZ, 0, 400, FALSE);
    view.SetScrollRange(SB_VERT, 0, 200, FALSE);
    // Four quarters of a 400 x 200 content.
    for (const RECT& area : {RECT{0, 0, 200, 100}, RECT{200, 0, 400, 100}, RECT{0, 100, 200, 200},
                             RECT{200, 100, 400, 200}}) {
        m_tip.AddTool(&view, "", &area);
    }
    m_tip.SetDelayTime(0, 0);
    struct Case {
        POINT scrolled;
        POINT toolCorner;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}},
        {{200, 0}, {200, 0}},
        {{0, 100}, {0, 100}},
        {{200, 100}, {200, 100}},
        {{150, 60}, {200, 100}},
    };
    int x = 400;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scrolled.x) + "," + std::to_string(c.scrolled.y));
        view.SetScrollPos(SB_HORZ, c.scrolled.x, FALSE);
        view.SetScrollPos(SB_VERT, c.scrolled.y, FALSE);
        ASSERT_EQ(view.GetScrollPosition(), CPoint(c.scrolled));
        MoveTo(x++, 290);  // client (50 and more, 40) of the view
        ASSERT_TRUE(Shown());
        EXPECT_EQ(m_frame.area.left, c.toolCorner.x);
        EXPECT_EQ(m_frame.area.top, c.toolCorner.y);
        MoveTo(20, 20);
        ASSERT_TRUE(Hidden());
    }
    view.DestroyWindow();
}

// The border runs along the body's last column and row, with the body's
// colour up to it: a rounded body takes in its right and bottom edge, a
// square one ends short of them, so that the pixel under the cursor, at its
// corner, is not the tip's.
TEST_F(TipWindow, TheBorderRunsAlongTheBodysEdgeAndTheCursorStaysOffTheTip)
{
    m_tip.SetDelayTime(0, 0);
    m_tip.SetDefaultDirection(0x10);  // above the cursor, anchor on the bottom edge
    m_tip.SetDefaultEffect(0, RGB(255, 255, 200), RGB(255, 255, 200), RGB(255, 255, 200));
    m_tool.MoveWindow(0, 0, 640, 480);
    m_frame.text = "<font color=#ffffc8>....................</font>";
    CClientDC dc(&m_tool);
    CRect all(0, 0, 640, 480);
    dc.FillSolidRect(&all, RGB(255, 255, 255));
    const COLORREF border = GetSysColor(COLOR_INFOTEXT);
    auto pixel = [&](int x, int y) {
        const COLORREF p = trelwin::user::GetClientPixel(m_tip.m_hWnd, x, y);
        return p == RGB(255, 255, 200) ? 'o' : p == border ? '#' : '-';
    };
    struct Case {
        const char* name;
        BOOL balloon;
        int anchor;           // height of the anchor strip below the body
        int edge;             // 1: the body takes in the tip rectangle's right and bottom edge
        int columnFromRight;  // a column clear of the corners and the anchor
    };
    const Case cases[] = {{"rectangle", FALSE, 0, 0, 10}, {"balloon", TRUE, 16, 1, 12}};
    int x = 200;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_tip.SetDefaultSizes(c.balloon);
        const POINT cursor{x++, 300};
        MoveTo(cursor.x, cursor.y);
        ASSERT_EQ(m_tip.GetState(), CRichToolTip::STATE_SHOWN);
        m_tip.UpdateWindow();
        const int right = m_tip.GetTipRect().Width() - 1 + c.edge;
        const int bottom = m_tip.GetTipRect().Height() - c.anchor - 1 + c.edge;
        std::string row, column;
        for (int i = 0; i <= right + 1; ++i) row += pixel(i, bottom / 2);
        for (int i = 0; i <= bottom + 1; ++i) column += pixel(right - c.columnFromRight, i);
        EXPECT_EQ(row, "#" + std::string(static_cast<size_t>(right - 1), 'o') + "#-");
        EXPECT_EQ(column, "#" + std::string(static_cast<size_t>(bottom - 1), 'o') + "#-");
        EXPECT_EQ(::WindowFromPoint(cursor), m_tool.m_hWnd);
        MSG key{m_tool.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {}};
        m_tip.RelayEvent(&key);
        ASSERT_TRUE(Hidden());
    }
}
}  // namespace
