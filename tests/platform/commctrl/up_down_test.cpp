// The up-down control: steps asked of the parent (and refused by it), the
// range, the buddy's number, alignment, arrow keys, auto-repeat, pixels.
#include "platform/commctrl/up_down.h"

#include <chrono>
#include <thread>
#include <string>

#include "tests/platform/commctrl/item_controls_test_util.h"

using namespace item_test;
using namespace trelwin::user;

namespace {

struct Step {
    int pos;
    int delta;
};

class UpDownTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_parentProbe = NewProbe();
        m_parentProbe->handler = [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_NOTIFY) {
                auto* nm = reinterpret_cast<NMUPDOWN*>(l);
                if (nm->hdr.code == UDN_DELTAPOS) {
                    m_steps.push_back({nm->iPos, nm->iDelta});
                    return m_veto ? 1 : 0;
                }
            }
            if (msg == WM_VSCROLL || msg == WM_HSCROLL) m_scrolls.push_back(LOWORD(w));
            return DefWindowProcA(hwnd, msg, w, l);
        };
        m_parent = Make(m_parentProbe, WS_POPUP | WS_VISIBLE, 50, 50, 300, 200);
    }

    HWND MakeBuddy(int x = 10, int width = 100) {
        return CreateWindowExA(0, PlainClass(), "", WS_CHILD | WS_VISIBLE, x, 20, width, 22, m_parent,
                               reinterpret_cast<HMENU>(107), nullptr, nullptr);
    }

    HWND MakeUpDown(DWORD style, int x = 200, int width = 16) {
        return CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | style, x, 60, width, 30, m_parent,
                               reinterpret_cast<HMENU>(108), nullptr, nullptr);
    }

    // Presses and releases the mouse on the upper (or lower) half.
    void Press(HWND ud, bool up) {
        RECT rc;
        GetClientRect(ud, &rc);
        ClickAt(ud, rc.right / 2, up ? rc.bottom / 4 : rc.bottom * 3 / 4);
    }

    static std::string Text(HWND hwnd) {
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        return text;
    }

    WindowProbe* m_parentProbe = nullptr;
    HWND m_parent = nullptr;
    bool m_veto = false;
    std::vector<Step> m_steps;
    std::vector<int> m_scrolls;
};

TEST_F(UpDownTest, ParentSeesEachStepFirstAndMayRefuseIt) {
    HWND ud = MakeUpDown(0);
    // The classic default range runs from 100 down to 0, so "up" steps by -1.
    EXPECT_EQ(SendMessageA(ud, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));
    SendMessageA(ud, UDM_SETPOS, 0, 5);
    m_veto = true;
    Press(ud, true);
    ASSERT_EQ(m_steps.size(), 1u);
    EXPECT_EQ(m_steps[0].pos, 5);
    EXPECT_EQ(m_steps[0].delta, -1);
    EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 5);
    EXPECT_EQ(m_scrolls, std::vector<int>{SB_ENDSCROLL});  // a refused step moves nothing

    m_veto = false;
    m_scrolls.clear();
    Press(ud, true);
    EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 4);
    Press(ud, false);
    EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 5);
    ASSERT_EQ(m_steps.size(), 3u);
    EXPECT_EQ(m_steps[2].delta, 1);
    EXPECT_EQ(m_scrolls, (std::vector<int>{SB_THUMBPOSITION, SB_ENDSCROLL, SB_THUMBPOSITION, SB_ENDSCROLL}));

    // The parent hears at the ends of the range too, so it can act on the
    // button whatever the position.
    SendMessageA(ud, UDM_SETPOS, 0, 0);
    Press(ud, true);
    EXPECT_EQ(m_steps.back().delta, -1);
    EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 0);
}

TEST_F(UpDownTest, RangeClampsOrWraps) {
    HWND ud = MakeUpDown(0);
    SendMessageA(ud, UDM_SETRANGE32, -3, 3);
    int lo = 0, hi = 0;
    SendMessageA(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(lo, -3);
    EXPECT_EQ(hi, 3);
    SendMessageA(ud, UDM_SETPOS32, 0, 99);
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 3);
    EXPECT_EQ(SendMessageA(ud, UDM_SETPOS32, 0, -99), 3);  // the old position
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), -3);
    Press(ud, false);
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), -3);
    Press(ud, true);
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), -2);

    HWND wrap = MakeUpDown(UDS_WRAP, 240);
    SendMessageA(wrap, UDM_SETRANGE, 0, MAKELPARAM(2, 0));
    SendMessageA(wrap, UDM_SETPOS, 0, 2);
    Press(wrap, true);
    EXPECT_EQ(LOWORD(SendMessageA(wrap, UDM_GETPOS, 0, 0)), 0);
    Press(wrap, false);
    EXPECT_EQ(LOWORD(SendMessageA(wrap, UDM_GETPOS, 0, 0)), 2);
}

TEST_F(UpDownTest, BuddyShowsTheNumberAndIsReadBack) {
    HWND buddy = MakeBuddy();
    HWND ud = MakeUpDown(UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(ud, UDM_GETBUDDY, 0, 0)), buddy);
    // Aligned on the buddy's right, the buddy giving up the width.
    RECT b, u;
    GetWindowRect(buddy, &b);
    GetWindowRect(ud, &u);
    EXPECT_EQ(b.right - b.left, 100 - 16);
    EXPECT_EQ(u.left, b.right);
    EXPECT_EQ(u.top, b.top);
    EXPECT_EQ(u.bottom - u.top, 22);
    EXPECT_EQ(Text(buddy), "0");

    SendMessageA(ud, UDM_SETRANGE32, 0, 5000);
    SendMessageA(ud, UDM_SETPOS32, 0, 1234);
    EXPECT_EQ(Text(buddy), "1,234");
    Press(ud, true);
    EXPECT_EQ(Text(buddy), "1,235");
    SendMessageA(ud, UDM_SETPOS32, 0, -7);
    EXPECT_EQ(Text(buddy), "0");  // clamped to the range

    // A number typed into the buddy is where the next step starts.
    SetWindowTextA(buddy, "4,000");
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 4000);
    Press(ud, false);
    EXPECT_EQ(Text(buddy), "3,999");
    SetWindowTextA(buddy, "abc");
    BOOL error = FALSE;
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 3999);
    EXPECT_TRUE(error);
    EXPECT_NE(HIWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 0);

    HWND plain = MakeBuddy(10, 60);
    HWND ud2 = MakeUpDown(UDS_SETBUDDYINT | UDS_NOTHOUSANDS, 240);
    SendMessageA(ud2, UDM_SETBUDDY, reinterpret_cast<WPARAM>(plain), 0);
    SendMessageA(ud2, UDM_SETRANGE32, 0, 99999);
    SendMessageA(ud2, UDM_SETPOS32, 0, 12345);
    EXPECT_EQ(Text(plain), "12345");
}

TEST_F(UpDownTest, ArrowKeysInTheBuddyStep) {
    HWND buddy = MakeBuddy();
    HWND ud = MakeUpDown(UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS);
    SendMessageA(ud, UDM_SETRANGE32, 0, 10);
    SetFocus(buddy);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 1);
    EXPECT_EQ(Text(buddy), "1");
    ASSERT_EQ(m_steps.size(), 3u);
    EXPECT_EQ(m_steps[2].delta, -1);
    EXPECT_NE(SendMessageA(buddy, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
    // The buddy outlives the control and keeps working.
    DestroyWindow(ud);
    Key(VK_UP);
    EXPECT_EQ(m_steps.size(), 3u);
}

TEST_F(UpDownTest, HeldButtonRepeatsAndIsDrawnPressed) {
    HWND ud = MakeUpDown(0);
    SendMessageA(ud, UDM_SETRANGE32, 0, 1000);
    Pump();
    const COLORREF arrowColour = GetSysColor(COLOR_BTNTEXT);
    bool arrow = false;
    for (int y = 0; y < 15 && !arrow; ++y) arrow = SameColour(GetClientPixel(ud, 8, y), arrowColour);
    EXPECT_TRUE(arrow);
    EXPECT_FALSE(SameColour(GetClientPixel(ud, 0, 0), GetSysColor(COLOR_3DSHADOW)));

    POINT pt{8, 4};
    ClientToScreen(ud, &pt);
    InjectMouseMove(pt.x, pt.y);
    InjectMouseButton(0, true);
    Pump();
    EXPECT_TRUE(SameColour(GetClientPixel(ud, 0, 0), GetSysColor(COLOR_3DSHADOW)));  // sunken
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(800)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    InjectMouseButton(0, false);
    Pump();
    const int pos = static_cast<int>(SendMessageA(ud, UDM_GETPOS32, 0, 0));
    EXPECT_GE(pos, 3);   // one at the press, then repeats after the first delay
    EXPECT_LE(pos, 12);
    EXPECT_EQ(m_scrolls.back(), SB_ENDSCROLL);
    EXPECT_FALSE(SameColour(GetClientPixel(ud, 0, 0), GetSysColor(COLOR_3DSHADOW)));
    // No more steps once released.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Pump();
    EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), pos);
}

}  // namespace
