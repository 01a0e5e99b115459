// The list view in report view: a long list scrolled, selected with the
// mouse and keys and sorted; its notifications; item text and state.
#include <atomic>
#include <cstdio>
#include <thread>

#include "tests/platform/commctrl/list_test_util.h"

using namespace list_test;
using trelwin::user::InjectMouseWheel;

namespace {

class ListViewTest : public ListTest {
protected:
    HWND Filled(int rows, DWORD style = 0) {
        HWND list = List(style);
        AddColumn(list, 0, "Name", 120);
        AddColumn(list, 1, "Value", 80, LVCFMT_RIGHT);
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        char text[32];
        for (int i = 0; i < rows; ++i) {
            std::snprintf(text, sizeof(text), "Item %05d", i);
            AddItem(list, i, text, rows - i);
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        user_test::Pump();
        parent.notices.clear();
        return list;
    }

    int RowHeight(HWND list) {
        const RECT r = ItemRect(list, 0, LVIR_BOUNDS);
        return r.bottom - r.top;
    }

    // A client point in the middle of a row's first column.
    POINT RowPoint(HWND list, int item) {
        const RECT r = ItemRect(list, item, LVIR_LABEL);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

int CALLBACK ByParam(LPARAM a, LPARAM b, LPARAM sign) {
    return static_cast<int>(sign) * (a < b ? -1 : a > b ? 1 : 0);
}

TEST_F(ListViewTest, TenThousandRowsScrollWithBarsWheelAndEnsureVisible) {
    HWND list = Filled(10000);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 10000);
    EXPECT_EQ(Text(list, 9999, 0), "Item 09999");
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(page, 5);
    EXPECT_TRUE(GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL);

    SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), page);
    SendMessageA(list, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), page - 1);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), page - 1);

    SetFocus(list);
    InjectMouseWheel(-WHEEL_DELTA);
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), page + 2);

    SendMessageA(list, LVM_ENSUREVISIBLE, 9999, FALSE);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 10000 - page);
    SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 10000 - page);
    SendMessageA(list, LVM_SCROLL, 0, -3 * RowHeight(list));
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 10000 - page - 3);

    // The rows shown are the ones scrolled to, drawn where they belong.
    POINT pt = RowPoint(list, 10000 - page - 3);
    LVHITTESTINFO hit{};
    hit.pt = pt;
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 10000 - page - 3);
    const RECT first = ItemRect(list, 10000 - page - 3, LVIR_BOUNDS);
    RECT header;
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &header);
    EXPECT_EQ(first.top, header.bottom - header.top);
}

TEST_F(ListViewTest, MouseSelectsAloneWithCtrlAndWithShift) {
    HWND list = Filled(10000);
    SendMessageA(list, LVM_ENSUREVISIBLE, 5000, FALSE);
    const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    POINT a = RowPoint(list, top + 1);
    Click(list, a.x, a.y);
    EXPECT_EQ(Selected(list), (std::vector<int>{top + 1}));
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), top + 1);
    auto clicks = parent.Of(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, top + 1);

    POINT b = RowPoint(list, top + 4);
    Click(list, b.x, b.y, {VK_SHIFT});
    EXPECT_EQ(Selected(list), (std::vector<int>{top + 1, top + 2, top + 3, top + 4}));
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 4);

    POINT c = RowPoint(list, top + 2);
    parent.notices.clear();
    Click(list, c.x, c.y, {VK_CONTROL});
    EXPECT_EQ(Selected(list), (std::vector<int>{top + 1, top + 3, top + 4}));
    auto changed = parent.Of(LVN_ITEMCHANGED);
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(changed[0].item, top + 2);
    EXPECT_EQ(changed[0].oldState & LVIS_SELECTED, static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(changed[0].newState & LVIS_SELECTED, 0u);

    // A click on a row alone selects it alone; one below the rows clears.
    Click(list, c.x, c.y);
    EXPECT_EQ(Selected(list), (std::vector<int>{top + 2}));
    HWND small = Filled(3);
    (void)small;
}

TEST_F(ListViewTest, ClickBelowTheRowsClearsTheSelection) {
    HWND list = Filled(3);
    POINT a = RowPoint(list, 1);
    Click(list, a.x, a.y);
    Click(list, a.x, 250);
    EXPECT_TRUE(Selected(list).empty());
    auto clicks = parent.Of(NM_CLICK);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].item, -1);
}

TEST_F(ListViewTest, ChangesCanBeRefused) {
    HWND list = Filled(5);
    parent.answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code != LVN_ITEMCHANGING) return 0;
        return reinterpret_cast<NMLISTVIEW*>(hdr)->iItem == 2 ? TRUE : FALSE;
    };
    POINT a = RowPoint(list, 2);
    Click(list, a.x, a.y);
    EXPECT_TRUE(Selected(list).empty());
    a = RowPoint(list, 3);
    Click(list, a.x, a.y);
    EXPECT_EQ(Selected(list), (std::vector<int>{3}));
}

TEST_F(ListViewTest, KeysMoveFocusAndSelection) {
    HWND list = Filled(100);
    SetFocus(list);
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    Key(VK_DOWN);  // no focus yet: the first item
    EXPECT_EQ(Selected(list), (std::vector<int>{0}));
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Selected(list), (std::vector<int>{2}));
    Key(VK_DOWN, {VK_SHIFT});
    Key(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 3, 4}));
    Key(VK_DOWN, {VK_CONTROL});
    Key(VK_DOWN, {VK_CONTROL});
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), 6);
    Key(VK_SPACE, {VK_CONTROL});
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 3, 4, 6}));
    Key(VK_NEXT);
    EXPECT_EQ(Selected(list), (std::vector<int>{page - 1}));
    Key(VK_NEXT);
    EXPECT_EQ(Selected(list), (std::vector<int>{2 * page - 2}));
    Key(VK_END);
    EXPECT_EQ(Selected(list), (std::vector<int>{99}));
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 100 - page);
    Key(VK_HOME);
    EXPECT_EQ(Selected(list), (std::vector<int>{0}));
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
    auto keys = parent.Of(LVN_KEYDOWN);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back().item, VK_HOME);
}

TEST_F(ListViewTest, SingleSelectionKeepsOneItem) {
    HWND list = Filled(10, LVS_SINGLESEL);
    POINT a = RowPoint(list, 1);
    POINT b = RowPoint(list, 4);
    Click(list, a.x, a.y);
    Click(list, b.x, b.y, {VK_SHIFT});
    EXPECT_EQ(Selected(list), (std::vector<int>{4}));
    Click(list, a.x, a.y, {VK_CONTROL});
    EXPECT_EQ(Selected(list), (std::vector<int>{1}));
}

TEST_F(ListViewTest, SortsByTheCallerAndSelectionFollowsTheItems) {
    HWND list = Filled(10000);
    LVITEMA state{};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 10, reinterpret_cast<LPARAM>(&state));
    ASSERT_TRUE(SendMessageA(list, LVM_SORTITEMS, 1, reinterpret_cast<LPARAM>(&ByParam)));
    // lParam was 10000 - i: ascending by it reverses the list.
    EXPECT_EQ(Text(list, 0, 0), "Item 09999");
    EXPECT_EQ(Text(list, 9999, 0), "Item 00000");
    EXPECT_EQ(Selected(list), (std::vector<int>{9989}));
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), 9989);
    ASSERT_TRUE(SendMessageA(list, LVM_SORTITEMS, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&ByParam)));
    EXPECT_EQ(Text(list, 0, 0), "Item 00000");
}

// A compare function that is no order at all (never 0, a before b and b
// before a) must not lead the sort out of the list.
int CALLBACK Contrary(LPARAM, LPARAM, LPARAM) { return 1; }

TEST_F(ListViewTest, SortSurvivesAnInconsistentCompare) {
    HWND list = Filled(257);
    EXPECT_TRUE(SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&Contrary)));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 257);
}

TEST_F(ListViewTest, ItemsKeepTextStateParamAndSubItems) {
    HWND list = Filled(3);
    SetText(list, 1, 1, "sub one");
    EXPECT_EQ(Text(list, 1, 1), "sub one");
    EXPECT_EQ(Text(list, 1, 0), "Item 00001");
    LVITEMA it{};
    it.mask = LVIF_PARAM | LVIF_INDENT;
    it.iItem = 2;
    it.lParam = 77;
    it.iIndent = 1;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    LVITEMA back{};
    back.mask = LVIF_PARAM | LVIF_INDENT | LVIF_STATE;
    back.iItem = 2;
    back.stateMask = 0xFFFF;
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&back)));
    EXPECT_EQ(back.lParam, 77);
    EXPECT_EQ(back.iIndent, 1);
    EXPECT_EQ(back.state, 0u);

    // Texts are cut to the caller's buffer.
    char small[5] = {};
    LVITEMA cut{};
    cut.pszText = small;
    cut.cchTextMax = sizeof(small);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&cut)), 4);
    EXPECT_STREQ(small, "Item");

    // Deleting shifts the later items and the focus with them.
    LVITEMA focus{};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&focus));
    parent.notices.clear();
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), 1);
    EXPECT_EQ(Text(list, 0, 1), "sub one");
    ASSERT_EQ(parent.Of(LVN_DELETEITEM).size(), 1u);
    back.iItem = 1;
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&back)));
    back.iItem = 2;
    EXPECT_FALSE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&back)));

    parent.notices.clear();
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(parent.Of(LVN_DELETEALLITEMS).size(), 1u);
    EXPECT_EQ(parent.Of(LVN_DELETEITEM).size(), 2u);
}

TEST_F(ListViewTest, InsertionIsNotifiedAndTextCallbacksAskTheParent) {
    HWND list = List(0);
    AddColumn(list, 0, "A", 100);
    parent.dispInfo = [](NMLVDISPINFOA* info) {
        if (info->item.mask & LVIF_TEXT) std::snprintf(info->item.pszText, info->item.cchTextMax, "asked %d", info->item.iItem);
    };
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = 0;
    it.pszText = LPSTR_TEXTCALLBACKA;
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)), 0);
    EXPECT_EQ(AddItem(list, 0, "first"), 0);
    auto inserted = parent.Of(LVN_INSERTITEM);
    ASSERT_EQ(inserted.size(), 2u);
    EXPECT_EQ(Text(list, 1, 0), "asked 1");
    EXPECT_EQ(Text(list, 0, 0), "first");
}

TEST_F(ListViewTest, FocusAndDoubleAndRightClicksAreNotified) {
    HWND list = Filled(5);
    POINT a = RowPoint(list, 3);
    const POINT s = Screen(list, a.x, a.y);
    trelwin::user::InjectMouseClick(s.x, s.y, 0, 5000000);
    trelwin::user::InjectMouseClick(s.x, s.y, 0, 5000100);
    user_test::Pump();
    EXPECT_EQ(parent.Of(NM_SETFOCUS).size(), 1u);
    auto dbl = parent.Of(NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].item, 3);
    Click(list, a.x, RowPoint(list, 1).y, {}, 1);
    auto right = parent.Of(NM_RCLICK);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].item, 1);
    EXPECT_EQ(Selected(list), (std::vector<int>{1}));
    SetFocus(top);
    EXPECT_EQ(parent.Of(NM_KILLFOCUS).size(), 1u);
}

// Other threads write row texts and read item data through messages, which
// the list handles on its own thread while that thread waits for messages.
TEST_F(ListViewTest, OtherThreadsReachTheItemsThroughMessages) {
    HWND list = Filled(20);
    std::atomic<bool> done{false};
    LPARAM seen = 0;
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            LVITEMA it{};
            it.iSubItem = 1;
            std::string text = "done " + std::to_string(i);
            it.pszText = text.data();
            SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
        }
        LVITEMA data{};
        data.mask = LVIF_PARAM;
        data.iItem = 5;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        seen = data.lParam;
        done = true;
    });
    EXPECT_TRUE(user_test::PumpUntil([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(Text(list, 19, 1), "done 19");
    EXPECT_EQ(seen, 15);
}

TEST_F(ListViewTest, TheScrollBarArrowsAndTroughScrollTheRows) {
    HWND list = Filled(500);
    RECT window;
    GetWindowRect(list, &window);
    RECT client;
    GetClientRect(list, &client);
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int x = window.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
    // The down arrow is the bar's lowest square.
    const int arrow = window.top + client.bottom - GetSystemMetrics(SM_CYVSCROLL) / 2;
    trelwin::user::InjectMouseClick(x, arrow, 0, NextTime());
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 1);
    // Just above the arrow lies the trough below the thumb: a page.
    trelwin::user::InjectMouseClick(x, arrow - GetSystemMetrics(SM_CYVSCROLL) - 4, 0, NextTime());
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 1 + page);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 1 + page);
}

}  // namespace
