// Where the list view puts things: item and sub-item rectangles, hit
// tests, columns in another order, widths fitted to the texts; clicks on
// the column titles.
#include "tests/platform/commctrl/list_test_util.h"

using namespace list_test;

namespace {

class GeometryTest : public ListTest {
protected:
    HWND WithImages() {
        HWND list = List(0);
        AddColumn(list, 0, "Name", 100);
        AddColumn(list, 1, "Value", 80);
        AddColumn(list, 2, "Other", 60);
        images = ImageList_Create(16, 16, ILC_COLOR32, 2, 1);
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        for (int i = 0; i < 20; ++i) {
            AddItem(list, i, "item " + std::to_string(i), i, 0);
            SetText(list, i, 1, "v" + std::to_string(i));
        }
        header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        user_test::Pump();
        parent.notices.clear();
        return list;
    }

    int HeaderHeight() {
        RECT r;
        GetWindowRect(header, &r);
        return r.bottom - r.top;
    }

    HIMAGELIST images = nullptr;
    HWND header = nullptr;
};

TEST_F(GeometryTest, RectanglesOfItemsAndSubItems) {
    HWND list = WithImages();
    const RECT bounds = ItemRect(list, 2, LVIR_BOUNDS);
    const int h = bounds.bottom - bounds.top;
    EXPECT_GE(h, 17);  // the images fit in a row
    EXPECT_EQ(bounds.top, HeaderHeight() + 2 * h);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.right, 240);
    const RECT icon = ItemRect(list, 2, LVIR_ICON);
    EXPECT_EQ(icon.left, 0);
    EXPECT_EQ(icon.right, 16);
    const RECT label = ItemRect(list, 2, LVIR_LABEL);
    EXPECT_EQ(label.left, 16);
    EXPECT_EQ(label.right, 100);
    const RECT sub = SubItemRect(list, 2, 1, LVIR_BOUNDS);
    EXPECT_EQ(sub.left, 100);
    EXPECT_EQ(sub.right, 180);
    EXPECT_EQ(sub.top, bounds.top);
    RECT bad{};
    bad.left = LVIR_BOUNDS;
    EXPECT_FALSE(SendMessageA(list, LVM_GETITEMRECT, 20, reinterpret_cast<LPARAM>(&bad)));

    // Another column order moves the sub-items with their columns.
    int order[3] = {2, 0, 1};
    EXPECT_TRUE(SendMessageA(list, LVM_SETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
    int back[3] = {};
    EXPECT_TRUE(SendMessageA(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(back)));
    EXPECT_EQ(std::vector<int>(back, back + 3), std::vector<int>(order, order + 3));
    EXPECT_EQ(SubItemRect(list, 2, 1, LVIR_BOUNDS).left, 160);
    EXPECT_EQ(ItemRect(list, 2, LVIR_ICON).left, 60);
}

TEST_F(GeometryTest, HitTestsFindItemsSubItemsAndParts) {
    HWND list = WithImages();
    const RECT row = ItemRect(list, 4, LVIR_BOUNDS);
    const int y = (row.top + row.bottom) / 2;
    LVHITTESTINFO hit{};
    hit.pt = POINT{5, y};
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 4);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMICON));
    hit.pt = POINT{50, y};
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 4);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
    hit.pt = POINT{130, y};
    EXPECT_EQ(SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 4);
    EXPECT_EQ(hit.iSubItem, 1);
    hit.pt = POINT{300, y};  // right of every column
    EXPECT_EQ(SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_NOWHERE));
    hit.pt = POINT{50, -3};
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_TRUE(hit.flags & LVHT_ABOVE);

    // After scrolling the same point is on a later item.
    SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
    hit.pt = POINT{50, y};
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 6);
}

TEST_F(GeometryTest, WidthsFitTextsAndHeaders) {
    HWND list = WithImages();
    const int text = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("item 19")));
    EXPECT_GT(text, 20);
    ASSERT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
    const int w0 = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_GE(w0, text + 16);
    EXPECT_LE(w0, text + 16 + 12);
    // An empty column takes the width of its title.
    const int title = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("Other")));
    ASSERT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0)));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0), title + 12);
    ASSERT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0), 12);

    LVCOLUMNA c{};
    char buffer[32] = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.pszText = buffer;
    c.cchTextMax = sizeof(buffer);
    EXPECT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&c)));
    EXPECT_STREQ(buffer, "Value");
    EXPECT_EQ(c.cx, 80);
    EXPECT_EQ(c.iSubItem, 1);
    // Deleting a column takes its sub-items along.
    EXPECT_TRUE(SendMessageA(list, LVM_DELETECOLUMN, 1, 0));
    EXPECT_EQ(Text(list, 3, 1), "");
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(GeometryTest, ClickingATitleTellsTheColumn) {
    HWND list = WithImages();
    Click(header, 130, 5);
    auto clicks = parent.Of(LVN_COLUMNCLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, -1);
    EXPECT_EQ(clicks[0].subItem, 1);
    // Dragging a divider changes the column and moves what lies right of it.
    const RECT before = SubItemRect(list, 0, 2, LVIR_BOUNDS);
    const POINT from = Screen(header, 180, 5);
    trelwin::user::InjectMouseMove(from.x, from.y);
    trelwin::user::InjectMouseButton(0, true);
    trelwin::user::InjectMouseMove(from.x + 25, from.y);
    trelwin::user::InjectMouseButton(0, false);
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 105);
    EXPECT_EQ(SubItemRect(list, 0, 2, LVIR_BOUNDS).left, before.left + 25);
    EXPECT_FALSE(parent.Of(HDN_ITEMCHANGEDA).empty());
    EXPECT_FALSE(parent.Of(HDN_ENDTRACKA).empty());
}

TEST_F(GeometryTest, TheParentDecidesOnTheHeaderThroughTheList) {
    HWND list = WithImages();
    // Refused tracking leaves the width.
    parent.answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_BEGINTRACKA; };
    POINT from = Screen(header, 99, 5);
    trelwin::user::InjectMouseMove(from.x, from.y);
    trelwin::user::InjectMouseButton(0, true, NextTime());
    trelwin::user::InjectMouseMove(from.x + 30, from.y);
    trelwin::user::InjectMouseButton(0, false, m_time + 10);
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 100);
    EXPECT_TRUE(parent.Of(HDN_ENDTRACKA).empty());

    // A double click on a divider fits the column, unless the parent says no.
    parent.answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_DIVIDERDBLCLICKA; };
    trelwin::user::InjectMouseClick(from.x, from.y, 0, NextTime());
    trelwin::user::InjectMouseClick(from.x, from.y, 0, m_time + 50);
    user_test::Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 100);
    parent.answer = nullptr;
    trelwin::user::InjectMouseClick(from.x, from.y, 0, NextTime());
    trelwin::user::InjectMouseClick(from.x, from.y, 0, m_time + 50);
    user_test::Pump();
    const int text = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("item 19")));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), text + 16 + 4);

    // Columns are dragged only with the extended style.
    const RECT title = SubItemRect(list, 0, 1, LVIR_BOUNDS);
    const POINT grab = Screen(header, (title.left + title.right) / 2, 5);
    auto drag = [&] {
        trelwin::user::InjectMouseMove(grab.x, grab.y);
        trelwin::user::InjectMouseButton(0, true, NextTime());
        trelwin::user::InjectMouseMove(grab.x - 40, grab.y);
        trelwin::user::InjectMouseMove(grab.x - 85, grab.y);
        trelwin::user::InjectMouseButton(0, false, m_time + 10);
        user_test::Pump();
    };
    int order[3] = {};
    drag();
    SendMessageA(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(order[0], 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP);
    drag();
    SendMessageA(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(order[0], 1);
    EXPECT_EQ(SubItemRect(list, 0, 1, LVIR_BOUNDS).left, 0);
}

TEST_F(GeometryTest, HorizontalScrollMovesTheHeaderWithTheColumns) {
    HWND list = List(0, 10, 10, 200, 150);
    AddColumn(list, 0, "Wide", 300);
    AddColumn(list, 1, "Wider", 300);
    AddItem(list, 0, "x");
    user_test::Pump();
    EXPECT_TRUE(GetWindowLongPtrA(list, GWL_STYLE) & WS_HSCROLL);
    SendMessageA(list, WM_HSCROLL, SB_PAGEDOWN, 0);
    const RECT sub = SubItemRect(list, 0, 1, LVIR_BOUNDS);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(sub.left, 300 - client.right);
    HWND h = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT hr;
    GetWindowRect(h, &hr);
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    EXPECT_EQ(hr.left - origin.x, -static_cast<int>(client.right));
}

}  // namespace
