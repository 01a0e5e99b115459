// Owner data: the parent keeps the items; the list asks only for those it
// shows and tells ranges of selection changes at once.
#include <cstdio>
#include <set>

#include "tests/platform/commctrl/list_test_util.h"

using namespace list_test;

namespace {

class OwnerDataTest : public ListTest {
protected:
    HWND Virtual(int count) {
        parent.dispInfo = [this](NMLVDISPINFOA* info) {
            asked.insert(info->item.iItem);
            if (info->item.mask & LVIF_TEXT) {
                std::snprintf(info->item.pszText, info->item.cchTextMax, "Row %d.%d", info->item.iItem,
                              info->item.iSubItem);
            }
            if (info->item.mask & LVIF_PARAM) info->item.lParam = info->item.iItem * 2;
        };
        HWND list = List(LVS_OWNERDATA);
        AddColumn(list, 0, "Name", 120);
        AddColumn(list, 1, "More", 120);
        SendMessageA(list, LVM_SETITEMCOUNT, count, 0);
        user_test::Pump();
        parent.notices.clear();
        asked.clear();
        return list;
    }

    POINT RowPoint(HWND list, int item) {
        const RECT r = ItemRect(list, item, LVIR_LABEL);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    std::set<int> asked;
};

TEST_F(OwnerDataTest, PaintingAsksOnlyForTheRowsShown) {
    HWND list = Virtual(10000);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 10000);
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    Paint(list);
    ASSERT_FALSE(asked.empty());
    EXPECT_GE(*asked.begin(), 0);
    EXPECT_LE(*asked.rbegin(), page);  // a partly shown last row at most

    asked.clear();
    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    SendMessageA(list, LVM_ENSUREVISIBLE, 7000, FALSE);
    UpdateWindow(list);
    ASSERT_FALSE(asked.empty());
    EXPECT_GE(*asked.begin(), 7000 - page);
    EXPECT_LE(*asked.rbegin(), 7000 + 1);
    // The parent heard which rows were coming before it was asked for them.
    auto hints = parent.Of(LVN_ODCACHEHINT);
    ASSERT_FALSE(hints.empty());
    EXPECT_EQ(hints.back().from2, *asked.begin());
    EXPECT_EQ(hints.back().to, *asked.rbegin());
    EXPECT_EQ(Text(list, 1234, 1), "Row 1234.1");
    LVITEMA it{};
    it.mask = LVIF_PARAM;
    it.iItem = 21;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ(it.lParam, 42);
}

TEST_F(OwnerDataTest, RangesAreToldAtOnceAndClearingWithMinusOne) {
    HWND list = Virtual(10000);
    POINT a = RowPoint(list, 2);
    Click(list, a.x, a.y);
    auto single = parent.Of(LVN_ITEMCHANGED);
    ASSERT_FALSE(single.empty());
    EXPECT_EQ(single[0].item, 2);
    EXPECT_EQ(single[0].newState & LVIS_SELECTED, static_cast<UINT>(LVIS_SELECTED));

    parent.notices.clear();
    POINT b = RowPoint(list, 9);
    Click(list, b.x, b.y, {VK_SHIFT});
    auto ranges = parent.Of(LVN_ODSTATECHANGED);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].from2, 2);
    EXPECT_EQ(ranges[0].to, 9);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 8);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, 4, LVNI_SELECTED), 5);

    parent.notices.clear();
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    auto cleared = parent.Of(LVN_ITEMCHANGED);
    ASSERT_EQ(cleared.size(), 1u);
    EXPECT_EQ(cleared[0].item, -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(OwnerDataTest, CountChangesKeepStatesBelowTheCount) {
    HWND list = Virtual(100);
    LVITEMA sel{};
    sel.state = sel.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 50, reinterpret_cast<LPARAM>(&sel));
    SendMessageA(list, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), 5);
    SendMessageA(list, LVM_SETITEMCOUNT, 10, 0);
    EXPECT_EQ(Selected(list), (std::vector<int>{5}));
    // Inserting shifts states; deleting everything clears them.
    LVITEMA it{};
    it.iItem = 0;
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)), 0);
    EXPECT_EQ(Selected(list), (std::vector<int>{6}));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 11);
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), -1);
}

TEST_F(OwnerDataTest, FittingAColumnAsksOnlyForTheRowsShown) {
    HWND list = Virtual(10000);
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    SendMessageA(list, LVM_ENSUREVISIBLE, 5000, FALSE);
    asked.clear();
    ASSERT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
    ASSERT_FALSE(asked.empty());
    EXPECT_GE(*asked.begin(), 5000 - page);
    EXPECT_LE(*asked.rbegin(), 5001);
    const int text = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("Row 5000.1")));
    EXPECT_GE(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), text + 12);
}

}  // namespace
