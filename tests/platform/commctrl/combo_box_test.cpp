// The drop-down list combo box: its items, dropping and choosing by mouse
// and keys with the notifications in their order, cancelling, pixels.
#include "platform/commctrl/combo_box.h"

#include <string>

#include "platform/commctrl/list_box.h"
#include "tests/platform/commctrl/item_controls_test_util.h"

using namespace item_test;
using namespace trelwin::user;

namespace {

class ComboBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_parentProbe = NewProbe();
        m_parent = Make(m_parentProbe, WS_POPUP | WS_VISIBLE, 50, 50, 300, 300);
        m_combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT,
                                  10, 10, 150, 120, m_parent, reinterpret_cast<HMENU>(300), nullptr, nullptr);
        for (const char* t : {"delta", "alpha", "charlie", "bravo", "echo"}) {
            SendMessageA(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
        }
        Pump();
        Clear(m_parentProbe);
    }

    static HWND DroppedList() {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM p) -> BOOL {
            char name[32] = {};
            GetClassNameA(hwnd, name, sizeof name);
            if (std::string(name) == "ListBox" && IsWindowVisible(hwnd)) *reinterpret_cast<HWND*>(p) = hwnd;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // The screen centre of an item of the dropped list.
    static POINT ListItem(HWND list, int index) {
        RECT rc{};
        SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(list, &pt);
        return pt;
    }

    int Sel() { return static_cast<int>(SendMessageA(m_combo, CB_GETCURSEL, 0, 0)); }
    bool Dropped() { return SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

    std::string Text() {
        char text[32] = {};
        GetWindowTextA(m_combo, text, sizeof text);
        return text;
    }

    WindowProbe* m_parentProbe = nullptr;
    HWND m_parent = nullptr;
    HWND m_combo = nullptr;
};

TEST_F(ComboBoxTest, ItemsSortFindAndShowTheSelection) {
    ASSERT_NE(m_combo, nullptr);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCOUNT, 0, 0), 5);
    char text[16] = {};
    EXPECT_EQ(SendMessageA(m_combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "bravo");
    EXPECT_EQ(SendMessageA(m_combo, CB_GETLBTEXTLEN, 2, 0), 7);
    EXPECT_EQ(SendMessageA(m_combo, CB_SETITEMDATA, 3, 42), CB_OKAY);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETITEMDATA, 3, 0), 42);
    EXPECT_EQ(SendMessageA(m_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ECHO")), 4);
    EXPECT_EQ(SendMessageA(m_combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ch")), 2);
    EXPECT_EQ(Sel(), CB_ERR);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(SendMessageA(m_combo, CB_SETCURSEL, 3, 0), 3);
    EXPECT_EQ(Text(), "delta");
    EXPECT_EQ(SendMessageA(m_combo, CB_SETCURSEL, 9, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(m_combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("al")), 0);
    EXPECT_EQ(Text(), "alpha");
    EXPECT_TRUE(Codes(m_parentProbe).empty());  // programmatic changes are not announced

    // The face keeps one line's height; the size asked for is the list's room.
    RECT face;
    GetWindowRect(m_combo, &face);
    EXPECT_LT(face.bottom - face.top, 30);
    RECT room{};
    SendMessageA(m_combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&room));
    EXPECT_EQ(room.bottom - room.top, 120);

    // Emptied and refilled, as translated dialogs do.
    SendMessageA(m_combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Sel(), CB_ERR);
    EXPECT_EQ(Text(), "");
}

TEST_F(ComboBoxTest, MouseDropsAndChoosesInOrder) {
    RECT face;
    GetWindowRect(m_combo, &face);
    InjectMouseClick(face.right - 8, (face.top + face.bottom) / 2);  // on the arrow button
    Pump();
    ASSERT_TRUE(Dropped());
    HWND list = DroppedList();
    ASSERT_NE(list, nullptr);
    RECT listRect;
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.top, face.bottom);
    EXPECT_EQ(listRect.left, face.left);
    EXPECT_EQ(GetFocus(), m_combo);
    EXPECT_NE(GetActiveWindow(), list);  // the list never takes activation

    POINT pt = ListItem(list, 2);
    InjectMouseMove(pt.x, pt.y);
    Pump();
    Pump();
    // The pointed item is highlighted in the list.
    POINT local = pt;
    ScreenToClient(list, &local);
    EXPECT_TRUE(SameColour(GetClientPixel(list, local.x + 40, local.y), GetSysColor(COLOR_HIGHLIGHT)));
    InjectMouseClick(pt.x, pt.y);
    Pump();
    EXPECT_FALSE(Dropped());
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(Sel(), 2);
    EXPECT_EQ(Text(), "charlie");
    EXPECT_EQ(Codes(m_parentProbe),
              (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(GetCapture(), nullptr);

    // Pointing at an item and then clicking outside changes nothing.
    Clear(m_parentProbe);
    InjectMouseClick(face.left + 10, face.top + 5);
    Pump();
    ASSERT_TRUE(Dropped());
    pt = ListItem(DroppedList(), 4);
    InjectMouseMove(pt.x, pt.y);
    InjectMouseClick(330, 330);
    Pump();
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Sel(), 2);
    EXPECT_EQ(Codes(m_parentProbe), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, KeysChangeTheSelectionWithoutDroppingAndF4OrAltDownDrop) {
    SetFocus(m_combo);
    Pump();
    Clear(m_parentProbe);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(), 0);
    Key(VK_DOWN);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Sel(), 1);
    Key(VK_END);
    EXPECT_EQ(Sel(), 4);
    InjectChar('c');
    Pump();
    EXPECT_EQ(Sel(), 2);
    EXPECT_EQ(Codes(m_parentProbe), std::vector<int>(4, CBN_SELCHANGE));

    Clear(m_parentProbe);
    Key(VK_F4);
    EXPECT_TRUE(Dropped());
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Sel(), 1);
    EXPECT_EQ(Codes(m_parentProbe), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));

    Clear(m_parentProbe);
    InjectKey(VK_MENU, true);
    Key(VK_DOWN);
    InjectKey(VK_MENU, false);
    Pump();
    EXPECT_TRUE(Dropped());
    Key(VK_ESCAPE);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Sel(), 1);
    EXPECT_EQ(Codes(m_parentProbe), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, LongListScrollsByItsBarWhileDropped) {
    for (int i = 0; i < 20; ++i) {
        SendMessageA(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("zz " + std::to_string(i + 10)).c_str()));
    }
    SetFocus(m_combo);
    SendMessageA(m_combo, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    HWND list = DroppedList();
    ASSERT_NE(list, nullptr);
    RECT rc;
    GetWindowRect(list, &rc);
    const int before = static_cast<int>(SendMessageA(m_combo, CB_GETTOPINDEX, 0, 0));
    InjectMouseClick(rc.right - 5, rc.bottom - 5);  // the bar's down arrow
    Pump();
    EXPECT_TRUE(Dropped());
    EXPECT_EQ(SendMessageA(m_combo, CB_GETTOPINDEX, 0, 0), before + 1) << "from " << before;
    EXPECT_EQ(GetCapture(), m_combo);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Dropped());
}

TEST_F(ComboBoxTest, LosingFocusClosesTheList) {
    SetFocus(m_combo);
    SendMessageA(m_combo, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    ASSERT_TRUE(Dropped());
    SetFocus(m_parent);
    Pump();
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(DroppedList(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ComboBoxTest, FaceShowsTheArrowButtonAndTheFocusedSelection) {
    SendMessageA(m_combo, CB_SETCURSEL, 0, 0);
    SetFocus(m_combo);
    Pump();
    RECT client;
    GetClientRect(m_combo, &client);
    const int mid = client.bottom / 2;
    EXPECT_TRUE(SameColour(GetClientPixel(m_combo, client.right - 6, 4), GetSysColor(COLOR_BTNFACE)));
    bool arrow = false;
    for (int x = client.right - 16; x < client.right - 2 && !arrow; ++x) {
        arrow = SameColour(GetClientPixel(m_combo, x, mid), GetSysColor(COLOR_BTNTEXT));
    }
    EXPECT_TRUE(arrow);
    EXPECT_TRUE(SameColour(GetClientPixel(m_combo, client.right - 30, mid), GetSysColor(COLOR_HIGHLIGHT)));
    SetFocus(m_parent);
    Pump();
    EXPECT_TRUE(SameColour(GetClientPixel(m_combo, client.right - 30, mid), GetSysColor(COLOR_WINDOW)));
}

}  // namespace
