// The device list's rows: the hidden "ID" column that numbers them, what a
// cell keeps of what is written into it (own storage and control alike),
// worker threads writing their own rows, and the row and cell looks in the
// pixels.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/controls/listctrl/list_ctrl_test_util.h"

using namespace listctrl_test;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(248, 18, 18);
constexpr COLORREF kBlue = RGB(0, 0, 200);

struct ListKind {
    const char* name;
    DWORD style;
};
const ListKind kKinds[] = {{"owner data", LVS_OWNERDATA}, {"plain", 0}};

std::vector<std::string> Ids(const std::vector<std::string>& texts) { return texts; }

}  // namespace

class BriselListRows : public ListFixture {};

TEST_F(BriselListRows, IdColumnNumbersRowsInInsertionOrderAndAgainAfterChanges) {
    for (const ListKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CBriselListCtrl& list = MakeList(kind.style, DiscoverColumns());
        // Five columns of the page and the hidden "ID", numbers, 0 wide.
        ASSERT_EQ(list.GetHeader().GetItemCount(), 6);
        EXPECT_EQ(HeaderText(list, 5), "ID");
        EXPECT_EQ(list.GetSerialColumn(), 5);
        EXPECT_FALSE(list.GetHeader().IsColumnVisible(5));
        EXPECT_EQ(list.GetHeader().GetSortType(5), 1);
        EXPECT_EQ(list.GetColumnWidth(5), 0);

        Fill(list, {{"10.0.0.1", "a"}, {"10.0.0.2", "b"}, {"10.0.0.3", "c"}, {"10.0.0.4", "d"}});
        EXPECT_EQ(ColumnTexts(list, 5), (std::vector<std::string>{"0", "1", "2", "3"}));
        // A deleted row takes its number with it; the next row gets a new one.
        ASSERT_TRUE(list.DeleteItem(1));
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"10.0.0.1", "10.0.0.3", "10.0.0.4"}));
        EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"a", "c", "d"}));
        Fill(list, {{"10.0.0.5", "e"}});
        EXPECT_EQ(ColumnTexts(list, 5), (std::vector<std::string>{"0", "2", "3", "4"}));

        // A new column renumbers the rows in their order and keeps their cells.
        EXPECT_EQ(list.InsertColumn(5, "MAC", LVCFMT_LEFT, 90), 5);
        ASSERT_EQ(list.GetHeader().GetItemCount(), 7);
        EXPECT_EQ(HeaderText(list, 6), "ID");
        EXPECT_EQ(list.GetSerialColumn(), 6);
        EXPECT_EQ(ColumnTexts(list, 6), (std::vector<std::string>{"0", "1", "2", "3"}));
        EXPECT_EQ(ColumnTexts(list, 5), (std::vector<std::string>{" ", " ", " ", " "}));
        EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"a", "c", "d", "e"}));

        ASSERT_TRUE(list.DeleteAllItems());
        EXPECT_EQ(list.GetItemCount(), 0);
        Fill(list, {{"x"}, {"y"}, {"z"}});
        EXPECT_EQ(Ids(ColumnTexts(list, 6)), (std::vector<std::string>{"0", "1", "2"}));
        EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"x", "y", "z"}));
        list.DestroyWindow();
    }
}

TEST_F(BriselListRows, CellsKeepWhatIsWrittenUpToTheirSizeAndIgnoreRowsTheyDoNotHave) {
    const std::string longText(300, 'a');
    // 254 bytes and a two-byte character: the character does not fit whole.
    const std::string straddling = std::string(254, 'b') + "\xC3\xA9";
    // 253 bytes and a three-byte character (a euro sign): it goes whole.
    const std::string euro = std::string(253, 'b') + "\xE2\x82\xAC" + "tail";
    // Degree signs of a single-byte code page: no character to keep whole.
    const std::string degrees(300, '\xB0');
    struct Case {
        const char* name;
        int item;
        int sub;
        LPCSTR text;
        std::string cell00;  // what row 0's cells read afterwards
        std::string cell01;
        std::string cell11;
        BOOL result;
    };
    const Case cases[] = {
        {"a text", 0, 1, "ten", "first", "ten", "second", TRUE},
        {"an empty text keeps the old one", 0, 1, "", "first", "old", "second", TRUE},
        {"a long text is cut at 255", 0, 1, longText.c_str(), "first", std::string(255, 'a'), "second", TRUE},
        {"a character is not cut in two", 0, 1, straddling.c_str(), "first", std::string(254, 'b'), "second", TRUE},
        {"nor a longer one", 0, 1, euro.c_str(), "first", std::string(253, 'b'), "second", TRUE},
        {"single-byte text is cut at 255", 0, 1, degrees.c_str(), "first", std::string(255, '\xB0'), "second", TRUE},
        {"negative row", -1, 1, "x", "first", "old", "second", TRUE},
        {"row one past the last", 2, 1, "x", "first", "old", "second", TRUE},
        {"negative column", 0, -1, "x", "first", "old", "second", TRUE},
        {"column past the last", 0, 7, "x", "first", "old", "second", TRUE},
        {"a callback marker is no text", 0, 1, LPSTR_TEXTCALLBACKA, "first", "old", "second", TRUE},
    };
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, DiscoverColumns());
    Fill(list, {{"first", "old"}, {"second", "second"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.SetItemText(0, 1, "old");
        EXPECT_EQ(list.SetItemText(c.item, c.sub, c.text), c.result);
        EXPECT_EQ(std::string(list.GetItemText(0, 0)), c.cell00);
        EXPECT_EQ(std::string(list.GetItemText(0, 1)), c.cell01);
        EXPECT_EQ(std::string(list.GetItemText(1, 1)), c.cell11);
    }
    // Reading: a negative column reads the item itself; a row the list does
    // not have leaves the caller's buffer as it was.
    EXPECT_EQ(std::string(list.GetItemText(1, -1)), "second");
    char buffer[8] = "keep";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 9;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    EXPECT_TRUE(list.GetItem(&item));
    EXPECT_STREQ(buffer, "keep");
    // A buffer shorter than the text gets what fits.
    char small[4] = {};
    EXPECT_EQ(list.GetItemText(1, 0, small, sizeof small), 3);
    EXPECT_STREQ(small, "sec");

    // Item data and colours of rows outside the storage change nothing.
    EXPECT_TRUE(list.SetItemData(1, 0x1234));
    EXPECT_EQ(list.GetItemData(1), 0x1234u);
    EXPECT_EQ(list.GetItemData(2), 0u);
    list.SetRowColors(2, 0, kRed);
    list.SetRowColors(-1, 0, kRed);
    list.SetRowTipText(1, "tip of the second row");
    EXPECT_STREQ(list.GetRowTipText(1), "tip of the second row");
    EXPECT_STREQ(list.GetRowTipText(0), "");
    EXPECT_STREQ(list.GetRowTipText(5), "");

    // Without owner data the texts live in the control, cut the same way.
    CBriselListCtrl& plain = MakeList(0, DiscoverColumns(), TIPO_ORDENACION_TEXTO, CRect(10, 400, 850, 630));
    Fill(plain, {{"first", "old"}});
    EXPECT_TRUE(plain.SetItemText(0, 1, longText.c_str()));
    EXPECT_EQ(std::string(plain.GetItemText(0, 1)), std::string(255, 'a'));
    EXPECT_TRUE(plain.SetItemText(0, 1, ""));
    EXPECT_EQ(std::string(plain.GetItemText(0, 1)), "");
}

TEST_F(BriselListRows, WorkerThreadsWriteAndReadTheirOwnRowsWhileTheWindowPaints) {
    constexpr int kRows = 8;
    constexpr int kRounds = 150;
    for (const ListKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CBriselListCtrl& list = MakeList(kind.style, {{"IP", 120}, {"Progress", 80}, {"Status", 200}});
        for (int i = 0; i < kRows; ++i) {
            const int at = list.InsertItem(i, ("10.0.0." + std::to_string(i)).c_str());
            list.SetItemData(at, static_cast<DWORD_PTR>(i));
        }
        std::atomic<int> done{0};
        std::atomic<int> wrongData{0};
        std::atomic<int> paints{0};
        std::vector<std::thread> workers;
        const DWORD start = GetTickCount();
        for (int i = 0; i < kRows; ++i) {
            workers.emplace_back([&list, &done, &wrongData, &paints, start, i] {
                // The rounds go on until the window has painted twice while
                // they wrote, so that a thread checker sees writing and
                // painting meet; for ten seconds at most.
                do {
                    for (int round = 1; round <= kRounds && GetTickCount() - start < 10000; ++round) {
                        if (list.GetItemData(i) != static_cast<DWORD_PTR>(i)) ++wrongData;
                        list.SetItemText(i, 1, (std::to_string(round * 100 / kRounds) + "%").c_str());
                        list.SetItemText(i, 2, ("Loading " + std::to_string(round)).c_str());
                    }
                } while (paints < 2 && GetTickCount() - start < 10000);
                ++done;
            });
        }
        // The window's thread handles the workers' calls as they come (the
        // wait does) and paints every 100 ms, until they end (they give up
        // after ten seconds). Painting after every few calls would hold a
        // plain list's workers back, since each call waits for this thread.
        DWORD painted = start;
        while (done < kRows && GetTickCount() - start < 20000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, 0);
            if (GetTickCount() - painted >= 100) {
                list.Invalidate(FALSE);
                list.UpdateWindow();
                ++paints;
                painted = GetTickCount();
            }
        }
        for (std::thread& worker : workers) worker.join();
        Pump();
        EXPECT_EQ(done, kRows);
        EXPECT_EQ(wrongData, 0);
        for (int i = 0; i < kRows; ++i) {
            EXPECT_EQ(std::string(list.GetItemText(i, 1)), "100%");
            EXPECT_EQ(std::string(list.GetItemText(i, 2)), "Loading " + std::to_string(kRounds));
            EXPECT_EQ(std::string(list.GetItemText(i, 3)), std::to_string(i));
        }
        list.DestroyWindow();
    }
}

TEST_F(BriselListRows, RowAndCellColoursAndBoldRowsReachThePixels) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, {{"IP", 120}, {"Name", 120}, {"Type", 120}});
    Fill(list, {{"plain", "plain", "plain"},
                {"red row", "red row", "red row"},
                {"blue cell", "blue cell", "after"},
                {"own default", "after", "after"},
                {"bold", "bold", "bold"},
                {"bold", "bold", "bold"}});
    list.SetRowColors(1, RGB(0, 0, 0), kRed);
    list.SetCellColors(2, 1, kWhite, kBlue);
    // A cell whose own colours are the ones in force: the cells after it
    // must keep theirs.
    list.SetCellColors(3, 0, RGB(0, 0, 0), kWhite);
    list.SetRowBold(4, TRUE);
    Paint();

    // A point of a cell right of its centred text.
    auto at = [&](int item, int sub) {
        CRect cell;
        list.GetSubItemRect(item, sub, LVIR_BOUNDS, cell);
        return trelwin::user::GetClientPixel(list.m_hWnd, cell.right - 4, cell.CenterPoint().y);
    };
    EXPECT_EQ(at(0, 1), kWhite);
    EXPECT_EQ(at(1, 0), kRed);
    EXPECT_EQ(at(1, 2), kRed);
    EXPECT_EQ(at(2, 0), kWhite);
    EXPECT_EQ(at(2, 1), kBlue);
    EXPECT_EQ(at(2, 2), kWhite);
    EXPECT_EQ(at(3, 1), kWhite);
    EXPECT_EQ(at(3, 2), kWhite);

    // The bold row inks more pixels than the same text in the normal font.
    auto ink = [&](int item) {
        CRect cell;
        list.GetSubItemRect(item, 0, LVIR_BOUNDS, cell);
        int darkness = 0;
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x) {
                darkness += 255 - GetRValue(trelwin::user::GetClientPixel(list.m_hWnd, x, y));
            }
        }
        return darkness;
    };
    EXPECT_GT(ink(4), ink(5) + ink(5) / 4);
    EXPECT_GT(ink(5), 0);

    // Without owner data the control draws its own items: no row colours.
    CBriselListCtrl& plain = MakeList(0, {{"IP", 120}}, TIPO_ORDENACION_TEXTO, CRect(10, 400, 400, 600));
    Fill(plain, {{"a"}, {"b"}});
    plain.SetRowColors(1, 0, kRed);
    Paint();
    CRect cell;
    plain.GetSubItemRect(1, 0, LVIR_BOUNDS, cell);
    EXPECT_EQ(trelwin::user::GetClientPixel(plain.m_hWnd, cell.right - 4, cell.CenterPoint().y), kWhite);
}

namespace {

// A page that notes the keys its list reports.
class CKeyPage : public CWnd {
public:
    std::vector<WPARAM> keys;

protected:
    LRESULT OnListKey(WPARAM wParam, LPARAM) {
        keys.push_back(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKeyPage, CWnd)
    ON_REGISTERED_MESSAGE(MSG_BRISELLISTCTRL_KEYDOWN, OnListKey)
END_MESSAGE_MAP()

}  // namespace

TEST_F(BriselListRows, KeysReachTheParentWhenAskedAndSizingWaitsWhileColumnsAreChosen) {
    for (BOOL notify : {TRUE, FALSE}) {
        SCOPED_TRACE(notify);
        CKeyPage page;
        ASSERT_TRUE(page.CreateEx(0, nullptr, "PropertyPageProgress", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                  nullptr));
        CBriselListCtrl list(-1, 0, notify);
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 300), &page, kListId));
        list.InsertColumn(0, "IP", LVCFMT_LEFT, 100);
        Fill(list, {{"a"}, {"b"}, {"c"}});
        list.SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        list.SetFocus();
        for (UINT vk : {VK_DOWN, VK_SPACE}) {
            trelwin::user::InjectKey(vk, true);
            trelwin::user::InjectKey(vk, false);
        }
        Pump();
        EXPECT_EQ(page.keys, notify ? (std::vector<WPARAM>{VK_DOWN, VK_SPACE}) : std::vector<WPARAM>{});
        EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);  // the list still moved

        // While the header says columns are being chosen, the list does not
        // lay itself out anew: its header keeps the width it had.
        auto headerWidth = [&] {
            CRect r;
            list.GetHeader().GetWindowRect(&r);
            return r.Width();
        };
        const int before = headerWidth();
        list.GetHeader().SetTracking(TRUE);
        list.MoveWindow(0, 0, 300, 300);
        EXPECT_EQ(headerWidth(), before);
        list.GetHeader().SetTracking(FALSE);
        list.MoveWindow(0, 0, 301, 300);
        EXPECT_LT(headerWidth(), before);
        list.DestroyWindow();
        page.DestroyWindow();
    }
}
