// The list box driven by messages, keys and the mouse: order, item data,
// search, selection with its notifications, scrolling and its pixels.
#include "platform/commctrl/list_box.h"

#include <string>

#include "tests/platform/commctrl/item_controls_test_util.h"

using namespace item_test;
using namespace trelwin::user;

namespace {

class ListBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_parentProbe = NewProbe();
        m_parent = Make(m_parentProbe, WS_POPUP | WS_VISIBLE, 50, 50, 300, 300);
    }

    HWND MakeList(DWORD style, int height = 100) {
        return CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 10, 10, 150, height,
                               m_parent, reinterpret_cast<HMENU>(106), nullptr, nullptr);
    }

    static int Add(HWND list, const char* text) {
        return static_cast<int>(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }

    static std::string Text(HWND list, int index) {
        char buffer[64] = {};
        const LRESULT n = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
        return n == LB_ERR ? "<err>" : std::string(buffer, static_cast<size_t>(n));
    }

    static int Sel(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

    WindowProbe* m_parentProbe = nullptr;
    HWND m_parent = nullptr;
};

TEST_F(ListBoxTest, SortedListKeepsAlphabeticalOrderAndItemDataFollowsItems) {
    HWND list = MakeList(LBS_NOTIFY | LBS_SORT);
    ASSERT_NE(list, nullptr);
    const char* names[] = {"Version", "address", "Name", "MAC", "name"};
    for (int i = 0; i < 5; ++i) {
        const int at = Add(list, names[i]);
        ASSERT_GE(at, 0);
        SendMessageA(list, LB_SETITEMDATA, at, 100 + i);
    }
    EXPECT_EQ(Text(list, 0), "address");
    EXPECT_EQ(Text(list, 1), "MAC");
    EXPECT_EQ(Text(list, 2), "Name");
    EXPECT_EQ(Text(list, 3), "name");  // equal texts keep their order of arrival
    EXPECT_EQ(Text(list, 4), "Version");
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 103);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 4, 0), 100);

    // The selection and data follow their items through inserts and deletes.
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zzz")), 0);  // no sorting here
    EXPECT_EQ(Text(list, 0), "zzz");
    EXPECT_EQ(Sel(list), 2);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 5);
    EXPECT_EQ(Sel(list), 1);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 1, 0), 4);
    EXPECT_EQ(Sel(list), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 102);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 3, 0), 7);

    // Out-of-range indexes are refused without changing anything.
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 9, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_SETITEMDATA, -1, 5), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 4, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 7, reinterpret_cast<LPARAM>("x")), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    // Programmatic selection is not announced.
    EXPECT_TRUE(Codes(m_parentProbe).empty());
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ListBoxTest, SearchesIgnoreCaseAndWrapAround) {
    HWND list = MakeList(0);
    for (const char* t : {"alpha", "Beta", "beta two", "gamma"}) Add(list, t);
    auto find = [&](UINT msg, int start, const char* text) {
        return static_cast<int>(SendMessageA(list, msg, start, reinterpret_cast<LPARAM>(text)));
    };
    EXPECT_EQ(find(LB_FINDSTRING, -1, "BET"), 1);
    EXPECT_EQ(find(LB_FINDSTRING, 1, "bet"), 2);
    EXPECT_EQ(find(LB_FINDSTRING, 2, "bet"), 1);  // round past the end
    EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, "BETA"), 1);
    EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, "bet"), LB_ERR);
    EXPECT_EQ(find(LB_SELECTSTRING, -1, "g"), 3);
    EXPECT_EQ(Sel(list), 3);
    EXPECT_EQ(find(LB_SELECTSTRING, -1, "delta"), LB_ERR);
    EXPECT_EQ(Sel(list), 3);
}

TEST_F(ListBoxTest, KeyboardMovesTheSelectionAndAnnouncesIt) {
    HWND list = MakeList(LBS_NOTIFY);
    for (const char* t : {"one", "two", "three", "four", "five", "tail"}) Add(list, t);
    SetFocus(list);
    Pump();
    EXPECT_EQ(Codes(m_parentProbe), std::vector<int>{LBN_SETFOCUS});
    Clear(m_parentProbe);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(list), 0);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(list), 1);
    Key(VK_END);
    EXPECT_EQ(Sel(list), 5);
    Key(VK_DOWN);  // already at the end: nothing changes, nothing is said
    Key(VK_HOME);
    EXPECT_EQ(Sel(list), 0);
    EXPECT_EQ(Codes(m_parentProbe), std::vector<int>(4, LBN_SELCHANGE));
    // Type-ahead by first letter cycles through the items that begin with it.
    InjectChar('t');
    Pump();
    EXPECT_EQ(Sel(list), 1);
    InjectChar('T');
    Pump();
    EXPECT_EQ(Sel(list), 2);
    InjectChar('t');
    InjectChar('t');
    Pump();
    EXPECT_EQ(Sel(list), 1);  // two, three, tail, then round to two
    Clear(m_parentProbe);
    SetFocus(m_parent);
    Pump();
    EXPECT_EQ(Codes(m_parentProbe), std::vector<int>{LBN_KILLFOCUS});
}

TEST_F(ListBoxTest, MouseSelectsDoubleClickReportsAndTheSelectionIsHighlighted) {
    HWND list = MakeList(LBS_NOTIFY, 80);
    for (const char* t : {"first", "second", "third"}) Add(list, t);
    const int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(h, 8);
    RECT item{};
    ASSERT_EQ(SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)), 1);
    EXPECT_EQ(item.top, h);
    const DWORD t = 500000;
    ClickAt(list, 60, h + h / 2, t);
    EXPECT_EQ(Sel(list), 1);
    EXPECT_EQ(GetFocus(), list);
    ClickAt(list, 60, h + h / 2, t + 50);
    ClickAt(list, 60, 3 * h + 5, t + 2000);  // below the last item: nothing chosen
    EXPECT_EQ(Sel(list), 1);
    std::vector<int> codes = Codes(m_parentProbe);
    EXPECT_EQ(codes, (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK}));

    EXPECT_EQ(LOWORD(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 2 * h + 1))), 2);
    EXPECT_EQ(HIWORD(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 3 * h + 1))), 1);

    Pump();
    // The selected row is painted in the highlight colour, the others on the window colour.
    EXPECT_TRUE(SameColour(GetClientPixel(list, 140, h + 2), GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_TRUE(SameColour(GetClientPixel(list, 140, 2), GetSysColor(COLOR_WINDOW)));
    EXPECT_TRUE(SameColour(GetClientPixel(list, 140, 4 * h), GetSysColor(COLOR_WINDOW)));
    // Some text pixel of the first row is dark.
    bool ink = false;
    for (int x = 2; x < 40 && !ink; ++x) {
        for (int y = 1; y < h - 1 && !ink; ++y) ink = GetRValue(GetClientPixel(list, x, y)) < 0x60;
    }
    EXPECT_TRUE(ink);
}

TEST_F(ListBoxTest, FocusRectangleMarksTheCaretItemOnlyWhileFocused) {
    HWND list = MakeList(0);
    for (const char* t : {"one", "two", "three"}) Add(list, t);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    const int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    Pump();
    RECT client;
    GetClientRect(list, &client);
    // Along the top edge of the selected row, between the letters and the right side.
    auto edge = [&] {
        std::vector<COLORREF> pixels;
        for (int x = client.right - 30; x < client.right; ++x) pixels.push_back(GetClientPixel(list, x, h));
        return pixels;
    };
    const std::vector<COLORREF> plain = edge();
    for (COLORREF c : plain) EXPECT_TRUE(SameColour(c, GetSysColor(COLOR_HIGHLIGHT)));
    SetFocus(list);
    Pump();
    const std::vector<COLORREF> focused = edge();
    int dotted = 0;
    for (COLORREF c : focused) dotted += SameColour(c, GetSysColor(COLOR_HIGHLIGHT)) ? 0 : 1;
    EXPECT_GE(dotted, 10);  // every other pixel of the dotted line
    EXPECT_LE(dotted, 20);
    SetFocus(m_parent);
    Pump();
    EXPECT_EQ(edge(), plain);
}

TEST_F(ListBoxTest, ShowsWholeItemsUnlessToldOtherwise) {
    HWND whole = MakeList(0, 100);
    HWND any = MakeList(LBS_NOINTEGRALHEIGHT, 100);
    const int h = static_cast<int>(SendMessageA(whole, LB_GETITEMHEIGHT, 0, 0));
    RECT rc;
    GetClientRect(whole, &rc);
    EXPECT_EQ(rc.bottom % h, 0);
    EXPECT_GT(rc.bottom, 100 - 2 - h);
    GetClientRect(any, &rc);
    EXPECT_EQ(rc.bottom, 100 - 2);  // inside the border
    MoveWindow(whole, 10, 10, 150, 61, TRUE);
    GetClientRect(whole, &rc);
    EXPECT_EQ(rc.bottom % h, 0);
}

TEST_F(ListBoxTest, ParentColoursTheBackground) {
    static HBRUSH brush = CreateSolidBrush(RGB(0, 200, 0));
    m_parentProbe->handler = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_CTLCOLORLISTBOX) return reinterpret_cast<LRESULT>(brush);
        return DefWindowProcA(hwnd, msg, w, l);
    };
    HWND list = MakeList(0);
    Add(list, "x");
    Pump();
    EXPECT_TRUE(SameColour(GetClientPixel(list, 100, 60), RGB(0, 200, 0)));
    m_parentProbe->handler = nullptr;
}

TEST_F(ListBoxTest, LongListScrollsWithKeysBarAndWheel) {
    HWND list = MakeList(LBS_NOTIFY | WS_VSCROLL, 104);
    for (int i = 0; i < 100; ++i) Add(list, ("row " + std::to_string(i)).c_str());
    RECT client;
    GetClientRect(list, &client);
    const int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const int page = client.bottom / h;
    ASSERT_GT(page, 2);
    EXPECT_LT(client.right, 148);  // the scroll bar takes its width
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, static_cast<UINT>(page));

    SetFocus(list);
    Key(VK_END);
    EXPECT_EQ(Sel(list), 99);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 100 - page);
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_EQ(si.nPos, 100 - page);
    Key(VK_PRIOR);
    EXPECT_EQ(Sel(list), 99 - (page - 1));
    Key(VK_HOME);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);

    // The wheel scrolls three lines a notch without touching the selection.
    POINT pt{20, 20};
    ClientToScreen(list, &pt);
    InjectMouseMove(pt.x, pt.y);
    InjectMouseWheel(-WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 3);
    EXPECT_EQ(Sel(list), 0);
    SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 3 + page - 1);
    SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 100 - page);
    EXPECT_EQ(SendMessageA(list, LB_SETTOPINDEX, 10, 0), LB_OKAY);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 10);
    // A click on the second visible row picks item top + 1.
    ClickAt(list, 30, h + 2);
    EXPECT_EQ(Sel(list), 11);
    Pump();
    EXPECT_TRUE(SameColour(GetClientPixel(list, client.right - 5, h + 2), GetSysColor(COLOR_HIGHLIGHT)));
}

}  // namespace
