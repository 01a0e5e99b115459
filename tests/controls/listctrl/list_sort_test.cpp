// Sorting the device list: each kind of comparison, header clicks building
// a chain of keys, the date kind on many rows, what follows a row when it
// moves, the re-sort of rows added later, and the header that keeps hidden
// columns hidden and draws the keys' arrows.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/base/date_time.h"
#include "tests/controls/listctrl/list_ctrl_test_util.h"

using namespace listctrl_test;

namespace {

struct ListKind {
    const char* name;
    DWORD style;
};
const ListKind kKinds[] = {{"owner data", LVS_OWNERDATA}, {"plain", 0}};

const std::vector<std::pair<const char*, int>> kThreeColumns = {{"IP", 120}, {"Name", 120}, {"Type", 120}};

// A list's keys as text: "column:direction" in chain order.
std::string Keys(CBriselListCtrl& list) {
    std::string out;
    for (int column : list.GetHeader().GetSortKeys()) {
        out += (out.empty() ? "" : " ") + std::to_string(column) + (list.GetHeader().GetDirection(column) ? "v" : "^");
    }
    return out;
}

COLORREF HeaderPixel(CBriselListCtrl& list, int x, int y) {
    return trelwin::user::GetClientPixel(list.GetHeader().m_hWnd, x, y);
}

// The rows (top first) of the header column's arrow area that show the
// arrow's colours, as the number of such pixels in each row.
std::vector<int> ArrowRows(CBriselListCtrl& list, int column) {
    CRect item;
    list.GetHeader().GetItemRect(column, &item);
    std::vector<int> rows;
    // Inside the item's raised edge, which is drawn in the shadow colour too.
    for (int y = item.top + 2; y < item.bottom - 2; ++y) {
        int count = 0;
        for (int x = item.right - 20; x < item.right - 2; ++x) {
            const COLORREF pixel = HeaderPixel(list, x, y);
            if (pixel == GetSysColor(COLOR_3DSHADOW) || pixel == GetSysColor(COLOR_3DHILIGHT)) ++count;
        }
        if (count > 0) rows.push_back(count);
    }
    return rows;
}

}  // namespace

class BriselListSort : public ListFixture {};

TEST(BriselListCompare, EachKindComparesAsItsTextsMean) {
    const char* a = "2015/01/02 10:00:00.5";
    const char* b = "2015/01/02 10:00:00.7";
    struct Case {
        const char* left;
        const char* right;
        int kind;
        int direction;
        int expected;
    };
    const Case cases[] = {
        {"10", "9", 1, 0, 1},
        {"abc", "0", 1, 0, 0},
        {"-5", "3", 1, 0, -1},
        {"2147483647", "-2147483648", 1, 0, 1},
        {"99999999999999999999", "-99999999999999999999", 1, 0, 1},
        {"10", "9", 1, 1, -1},
        {"Beta", "beta", 2, 0, 0},
        {"alpha", "Beta", 2, 0, -1},
        {"alpha", "Beta", 2, 1, 1},
        {"B", "a", 0, 0, 1},
        {"B", "a", 9, 0, 1},
        {a, b, 3, 0, -1},
        {b, a, 3, 0, 1},
        {a, a, 3, 0, 1},
        {a, a, 3, 1, -1},
        {"2015/01/02 10:00:00", "2015/01/03 09:00:00", 3, 0, -1},
        {"2015/01/03 09:00:00", "2015/01/02 10:00:00", 3, 1, -1},
        {"yesterday", a, 3, 0, 0},
        {a, "", 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " vs " + c.right + " kind " + std::to_string(c.kind));
        EXPECT_EQ(CBriselListCtrl::CompareItems(c.left, c.right, c.kind, c.direction, 1), c.expected);
    }
    // Case matters only when the list is told so.
    EXPECT_EQ(CBriselListCtrl::CompareItems("Beta", "beta", 2, 0, 0), -1);
}

TEST_F(BriselListSort, HeaderClicksMakeAChainOfKeysAndEachRowKeepsItsData) {
    struct Step {
        const char* name;
        int column;
        bool shift;
        std::vector<std::string> ips;
        const char* keys;
    };
    // Rows .3 beta B, .1 Alpha A, .2 alpha B, .4 Beta A; names compare
    // without case, so equal names keep the order they had.
    const Step steps[] = {
        {"Name", 1, false, {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}, "1^"},
        {"Name again", 1, false, {"10.0.0.3", "10.0.0.4", "10.0.0.1", "10.0.0.2"}, "1v"},
        {"Shift Type", 2, true, {"10.0.0.4", "10.0.0.3", "10.0.0.1", "10.0.0.2"}, "1v 2^"},
        {"Shift Type again", 2, true, {"10.0.0.3", "10.0.0.4", "10.0.0.2", "10.0.0.1"}, "1v 2v"},
        {"Shift IP", 0, true, {"10.0.0.3", "10.0.0.4", "10.0.0.2", "10.0.0.1"}, "1v 2v 0^"},
        {"IP alone", 0, false, {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}, "0^"},
    };
    for (const ListKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CBriselListCtrl& list = MakeList(kind.style, kThreeColumns);
        Fill(list, {{"10.0.0.3", "beta", "B"}, {"10.0.0.1", "Alpha", "A"}, {"10.0.0.2", "alpha", "B"},
                    {"10.0.0.4", "Beta", "A"}});
        for (int i = 0; i < 4; ++i) list.SetItemData(i, 100 + (list.GetItemText(i, 0)[7] - '0'));
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            ClickHeader(list, step.column, step.shift);
            EXPECT_EQ(ColumnTexts(list, 0), step.ips);
            EXPECT_EQ(Keys(list), step.keys);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(100 + (list.GetItemText(i, 0)[7] - '0')));
            }
        }
        list.DestroyWindow();
    }
}

TEST_F(BriselListSort, ColumnsOfKindZeroAndListsOfOneRowAreNotSorted) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, kThreeColumns);
    list.SetColumnSortType(1, TIPO_ORDENACION_NINGUNA);
    Fill(list, {{"b", "2"}, {"a", "1"}, {"c", "3"}});
    ClickHeader(list, 0);
    ASSERT_EQ(Keys(list), "0^");
    ClickHeader(list, 1);
    ClickHeader(list, 1, true);
    EXPECT_EQ(Keys(list), "0^");
    EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(list.SortByColumn(1, TRUE, TRUE), 0);
    EXPECT_EQ(list.SortByColumn(-1, TRUE, TRUE), 0);
    EXPECT_EQ(list.SortByColumn(7, TRUE, TRUE), 0);

    CBriselListCtrl& single = MakeList(0, kThreeColumns, TIPO_ORDENACION_TEXTO, CRect(10, 400, 400, 600));
    Fill(single, {{"only"}});
    EXPECT_EQ(single.SortByColumn(0, TRUE, TRUE), 0);
    EXPECT_EQ(ColumnTexts(single, 0), (std::vector<std::string>{"only"}));
}

TEST_F(BriselListSort, ADateSortOfTenThousandRowsEndsInOrderAndTheSameEveryTime) {
    // Many rows share a date and a finer part: the comparison answers 1
    // both ways for them.
    std::mt19937 random(12);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 10000; ++i) {
        char text[64];
        snprintf(text, sizeof text, "2015/%02d/%02d %02d:00:00.%d", 1 + static_cast<int>(random() % 3),
                 1 + static_cast<int>(random() % 5), static_cast<int>(random() % 4), static_cast<int>(random() % 3));
        rows.push_back({std::to_string(i), text});
    }
    std::vector<std::string> firstRun;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        CBriselListCtrl& list = MakeList(LVS_OWNERDATA, {{"#", 60}, {"Time", 200}});
        list.SetColumnSortType(1, TIPO_ORDENACION_FECHA);
        Fill(list, rows);
        const DWORD start = GetTickCount();
        ASSERT_EQ(list.SortByColumn(1, TRUE, FALSE), 1);
        EXPECT_LT(GetTickCount() - start, 20000u);
        const std::vector<std::string> times = ColumnTexts(list, 1);
        std::vector<std::string> sorted = times;
        std::sort(sorted.begin(), sorted.end());  // these texts sort as their dates do
        EXPECT_EQ(times, sorted);
        if (run == 0) {
            firstRun = ColumnTexts(list, 0);
        } else {
            EXPECT_EQ(ColumnTexts(list, 0), firstRun);
        }
        list.DestroyWindow();
    }
}

TEST_F(BriselListSort, SelectionFocusAndChecksFollowTheirRows) {
    for (const ListKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CBriselListCtrl& list = MakeList(kind.style, kThreeColumns);
        Fill(list, {{"d"}, {"b"}, {"a"}, {"c"}});
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetCheck(0, TRUE);
        list.SetCheck(2, FALSE);
        ASSERT_EQ(list.SortByColumn(0, TRUE, FALSE), 1);
        ASSERT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"a", "b", "c", "d"}));
        std::vector<int> selected;
        for (int i = -1; (i = list.GetNextItem(i, LVNI_SELECTED)) >= 0 && selected.size() < 10;) selected.push_back(i);
        EXPECT_EQ(selected, (std::vector<int>{1, 2}));
        EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
        EXPECT_EQ(list.GetCheck(3), 1);
        EXPECT_EQ(list.GetCheck(0), 0);
        EXPECT_EQ(list.GetCheck(1), -1);
        list.DestroyWindow();
    }
}

TEST_F(BriselListSort, RowsAddedAfterASortAreSortedAtTheNextPaint) {
    for (const ListKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        FreshRegistry();
        CBriselListCtrl& list = MakeList(kind.style, kThreeColumns);
        Fill(list, {{"b"}, {"d"}});
        Paint();
        // No key yet: rows stay where they were put.
        Fill(list, {{"c"}});
        Paint();
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"b", "d", "c"}));
        ClickHeader(list, 0);
        ClickHeader(list, 0);
        ASSERT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"d", "c", "b"}));
        Fill(list, {{"a"}, {"e"}});
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"d", "c", "b", "a", "e"}));
        Paint();
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"e", "d", "c", "b", "a"}));
        ASSERT_TRUE(list.DeleteItem(0));
        Paint();
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"d", "c", "b", "a"}));
        list.DestroyWindow();
    }
}

// Sorting a list of fewer than two rows does nothing at all: whatever it
// was asked, the keys and every column's direction stay as they were.
TEST_F(BriselListSort, ListsOfFewerThanTwoRowsKeepTheirKeysAndDirections) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::string>> rows;
        int column;
        BOOL reset;
        BOOL toggle;
    };
    const Case cases[] = {
        {"empty, another column made the key", {}, 0, TRUE, TRUE},
        {"empty, the key reversed", {}, 1, FALSE, TRUE},
        {"one row, another column made the key", {{"a", "b", "c"}}, 2, TRUE, FALSE},
        {"one row, another column reversed", {{"a", "b", "c"}}, 0, FALSE, TRUE},
    };
    for (const ListKind& kind : kKinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind.name) + ", " + c.name);
            FreshRegistry();
            CBriselListCtrl& list = MakeList(kind.style, kThreeColumns);
            list.GetHeader().SetPriority(1, 0);
            list.GetHeader().SetDirection(1, ORDEN_DESCENDENTE);
            Fill(list, c.rows);
            EXPECT_EQ(list.SortByColumn(c.column, c.reset, c.toggle), 0);
            EXPECT_EQ(Keys(list), "1v");
            EXPECT_EQ(list.GetHeader().GetDirection(0), ORDEN_ASCENDENTE);
            EXPECT_EQ(list.GetHeader().GetDirection(2), ORDEN_ASCENDENTE);
            list.DestroyWindow();
        }
    }
}

// A click on the header of an empty list sorts nothing and makes no key:
// rows added afterwards stay in the order they came.
TEST_F(BriselListSort, AClickOnAnEmptyListChoosesNoKey) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, kThreeColumns);
    ClickHeader(list, 1);
    EXPECT_EQ(Keys(list), "");
    Fill(list, {{"x", "b", "2"}, {"y", "a", "9"}, {"z", "b", "1"}});
    Paint();
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(BriselListSort, HiddenColumnsCannotBeSizedAndAreMovedFirstAfterADrag) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, kThreeColumns);
    list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP);
    Fill(list, {{"a", "b", "c"}});
    CBriselHeaderCtrl& header = list.GetHeader();
    ASSERT_EQ(header.GetItemCount(), 4);
    CRect id;
    ASSERT_TRUE(header.GetItemRect(3, &id));
    ASSERT_EQ(id.Width(), 0);

    // Pulling the hidden "ID" column open from its divider is refused, and
    // so is a double click on that divider; the cursor there is the arrow.
    DragHeader(list, id.left + 2, id.left + 60);
    EXPECT_EQ(list.GetColumnWidth(3), 0);
    EXPECT_FALSE(header.IsTracking());
    CPoint over(id.left + 3, 5);
    header.ClientToScreen(&over);
    trelwin::user::InjectMouseMove(over.x, over.y, NextTime());
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    trelwin::user::InjectMouseClick(over.x, over.y, 0, NextTime());
    trelwin::user::InjectMouseClick(over.x, over.y, 0, NextTime() - 1900);
    Pump();
    EXPECT_EQ(list.GetColumnWidth(3), 0);

    // A visible column is held to 5 pixels outside a drag.
    EXPECT_FALSE(list.SetColumnWidth(1, 3));
    EXPECT_EQ(list.GetColumnWidth(1), 120);
    EXPECT_TRUE(list.SetColumnWidth(1, 5));

    // Dragging "IP" past the hidden column leaves "ID" between shown ones:
    // afterwards it is first.
    CRect ip;
    ASSERT_TRUE(header.GetItemRect(0, &ip));
    DragHeader(list, ip.CenterPoint().x, id.left + 40);
    Pump();
    EXPECT_EQ(Order(list), (std::vector<int>{3, 1, 2, 0}));
}

TEST_F(BriselListSort, EachKeyShowsAnArrowThatPointsItsWay) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, kThreeColumns);
    Fill(list, {{"a", "b", "c"}, {"b", "a", "d"}});
    ClickHeader(list, 1);
    ClickHeader(list, 1);
    ClickHeader(list, 2, true);
    ASSERT_EQ(Keys(list), "1v 2^");
    Paint();
    EXPECT_TRUE(ArrowRows(list, 0).empty());
    // Pointing down: widest at the top; pointing up: widest at the bottom.
    const std::vector<int> down = ArrowRows(list, 1);
    const std::vector<int> up = ArrowRows(list, 2);
    ASSERT_GE(down.size(), 4u);
    ASSERT_GE(up.size(), 4u);
    EXPECT_GT(down.front(), down.back());
    EXPECT_LT(up.front(), up.back());
}
