// The device list's tips: the whole text of a cell that does not fit its
// column (by the +4 rule of the first column and the +12 rule of the
// others), a row's own tip text over all of its cells, nothing off the
// items, and device texts shown as text.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/internal/font_engine.h"
#include "tests/controls/listctrl/list_ctrl_test_util.h"

namespace {

using listctrl_test::ListFixture;

class ListTips : public ListFixture {};

// The box a control character is shown as, drawn here by hand: a frame
// around the code's two hexadecimal digits of 3 x 5 pixels.
std::vector<std::string> ControlBox(const char* code)
{
    static const std::map<char, std::vector<std::string>> digits = {
        {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
        {'7', {"###", "..#", "..#", "..#", "..#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
        {'F', {"###", "#..", "###", "#..", "#.."}}};
    std::vector<std::string> rows = {"###########", "#.........#"};
    for (size_t y = 0; y < 5; ++y) rows.push_back("#." + digits.at(code[0])[y] + "." + digits.at(code[1])[y] + ".#");
    rows.insert(rows.end(), {"#.........#", "###########"});
    return rows;
}

// A part of a window's client area as rows of '#' (black) and '.' (any other colour).
std::vector<std::string> InkRows(HWND window, const CRect& area)
{
    std::vector<std::string> rows;
    for (int y = area.top; y < area.bottom; ++y) {
        std::string row;
        for (int x = area.left; x < area.right; ++x)
            row += trelwin::user::GetClientPixel(window, x, y) == RGB(0, 0, 0) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// The column where the box stands in the rows, or -1.
int FindBox(const std::vector<std::string>& rows, const std::vector<std::string>& box)
{
    for (size_t y = 0; y + box.size() <= rows.size(); ++y) {
        for (size_t x = 0; x + box[0].size() <= rows[y].size(); ++x) {
            size_t matched = 0;
            while (matched < box.size() && rows[y + matched].compare(x, box[0].size(), box[matched]) == 0) ++matched;
            if (matched == box.size()) return static_cast<int>(x);
        }
    }
    return -1;
}

// The point in the middle of a cell, in the list's client coordinates.
POINT CellCentre(CBriselListCtrl& list, int item, int column)
{
    CRect rc;
    list.GetSubItemRect(item, column, LVIR_LABEL, rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// Column widths set a pixel either side of the room each text needs, as
// the list itself measures it.
TEST_F(ListTips, CellTextsThatDoNotFitTheirColumn)
{
    CBriselListCtrl& list = MakeList(0, {{"Name", 100}, {"Type", 100}});
    Fill(list, {{"Encoder 4K-2 studio", "Decoder 1080 lobby"}, {"<b>bold?</b>&amp;", "x"}});
    CRect label;
    list.GetSubItemRect(0, 0, LVIR_LABEL, label);
    const int name = list.GetStringWidth("Encoder 4K-2 studio");
    const int type = list.GetStringWidth("Decoder 1080 lobby");
    struct Case {
        const char* what;
        int column;
        int width;
        const char* tip;
    };
    const Case cases[] = {
        {"first column, fits exactly", 0, name + 4 + label.left, ""},
        {"first column, a pixel short", 0, name + 4 + label.left - 1, "Encoder 4K-2 studio"},
        {"other column, fits exactly", 1, type + 12, ""},
        {"other column, a pixel short", 1, type + 12 - 1, "Decoder 1080 lobby"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list.SetColumnWidth(c.column, c.width);
        EXPECT_EQ(std::string(list.TipTextAt(CellCentre(list, 0, c.column))), c.tip);
    }
    // A device's name that looks like mark-up is escaped for the tip.
    list.SetColumnWidth(0, 20);
    EXPECT_EQ(std::string(list.TipTextAt(CellCentre(list, 1, 0))), "<<b>bold?<</b>&<!>amp;");
    // Below the last row there is no item and no tip.
    CRect last;
    list.GetItemRect(1, &last, LVIR_BOUNDS);
    EXPECT_EQ(std::string(list.TipTextAt(POINT{20, last.bottom + 30})), "");
}

// A row's own tip text shows over every cell of the row, fitting or not.
TEST_F(ListTips, RowTipTextOverEveryCell)
{
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, {{"Name", 300}, {"Type", 30}});
    list.SetItemCount(2);
    Fill(list, {{"short", "a long type text"}, {"other", "b"}});
    list.SetRowTipText(0, "<b>Encoder</b>");
    for (int column = 0; column < 2; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(std::string(list.TipTextAt(CellCentre(list, 0, column))), "<b>Encoder</b>");
    }
    EXPECT_EQ(std::string(list.TipTextAt(CellCentre(list, 1, 0))), "");
}

// The tip of a cut cell appears after the delay over the list, with the
// list's own answer, and goes when the mouse leaves the items.
TEST_F(ListTips, HoveringACutCellShowsItsWholeText)
{
    CBriselListCtrl& list = MakeList(0, {{"Name", 60}, {"Type", 150}});
    Fill(list, {{"Encoder with a long name", "Encoder"}});
    list.GetTip().SetDelayTime(30, 0);
    const auto pump = [](const std::function<bool()>& done) { return afx_test::PumpTranslatedUntil(done); };
    POINT pt = CellCentre(list, 0, 0);
    list.ClientToScreen(&pt);
    trelwin::user::InjectMouseMove(pt.x, pt.y, NextTime());
    ASSERT_TRUE(pump([&] { return list.GetTip().GetState() == CRichToolTip::STATE_SHOWN; }));
    EXPECT_EQ(std::string(list.GetTip().GetDrawer().GetMarkupText()), "Encoder with a long name");
    const CRect tip = list.GetTip().GetTipRect();
    EXPECT_TRUE(tip.PtInRect(CPoint(pt.x, pt.y - 1)) || tip.bottom == pt.y);

    // Over the fitting cell of the same row: asked again, nothing to show.
    POINT fits = CellCentre(list, 0, 1);
    list.ClientToScreen(&fits);
    trelwin::user::InjectMouseMove(fits.x, fits.y, NextTime());
    EXPECT_TRUE(pump([&] { return !list.GetTip().IsWindowVisible(); }));
    // Back and off the items.
    trelwin::user::InjectMouseMove(pt.x, pt.y, NextTime());
    ASSERT_TRUE(pump([&] { return list.GetTip().IsWindowVisible(); }));
    trelwin::user::InjectMouseMove(pt.x, pt.y + 200, NextTime());
    EXPECT_TRUE(pump([&] { return !list.GetTip().IsWindowVisible(); }));
}

// Device names in other scripts draw in the list and in its tip without a
// single missing-glyph box; a character that no font has would count.
TEST_F(ListTips, NamesInEveryScriptShowWithoutMissingGlyphs)
{
    CBriselListCtrl& list = MakeList(0, {{"Name", 40}, {"Type", 150}});
    const std::vector<std::string> names = {"编码器 北京大厅", "エンコーダ 東京スタジオ", "인코더 서울 스튜디오",
                                            "Кодер Москва студия", "Κωδικοποιητής Αθήνα"};
    for (const std::string& name : names) Fill(list, {{name, name}});
    list.GetTip().SetDelayTime(30, 0);
    const auto pump = [](const std::function<bool()>& done) { return afx_test::PumpTranslatedUntil(done); };
    const uint64_t before = trelwin::gdi::missing_glyph_count();
    list.Invalidate();
    Paint();
    for (int item = 0; item < static_cast<int>(names.size()); ++item) {
        SCOPED_TRACE(names[static_cast<size_t>(item)]);
        POINT pt = CellCentre(list, item, 0);
        list.ClientToScreen(&pt);
        trelwin::user::InjectMouseMove(pt.x, pt.y + 200, NextTime());
        ASSERT_TRUE(pump([&] { return !list.GetTip().IsWindowVisible(); }));
        trelwin::user::InjectMouseMove(pt.x, pt.y, NextTime());
        ASSERT_TRUE(pump([&] { return list.GetTip().GetState() == CRichToolTip::STATE_SHOWN; }));
        EXPECT_EQ(std::string(list.GetTip().GetDrawer().GetMarkupText()), names[static_cast<size_t>(item)]);
        list.GetTip().UpdateWindow();
        Paint();
    }
    EXPECT_EQ(trelwin::gdi::missing_glyph_count(), before);
    // The count is what would see a box: a name with an unassigned character.
    list.SetItemText(0, 1, "Enc \xCD\xB8");
    Paint();
    EXPECT_GT(trelwin::gdi::missing_glyph_count(), before);
}

// A device name with a colour escape, a bell, other control bytes and a
// delete: its cell and the tip over it show each control as the box of its
// code, in the order of the name, and the name itself stays as it came.
TEST_F(ListTips, ControlBytesOfADeviceNameShowAsTheirCodesInTheCellAndTheTip)
{
    const std::string name = "Enc\x1B[31m1\x07\x01\x7F";
    CBriselListCtrl& list = MakeList(0, {{"Name", 300}, {"Type", 150}});
    Fill(list, {{name, "Encoder"}});
    list.GetTip().SetDelayTime(30, 0);
    const char* const codes[] = {"1B", "07", "01", "7F"};
    const auto boxesInOrder = [&](HWND window, const CRect& area) {
        const std::vector<std::string> rows = InkRows(window, area);
        int previous = -1;
        for (const char* code : codes) {
            const int at = FindBox(rows, ControlBox(code));
            EXPECT_GT(at, previous) << code;
            previous = at;
        }
    };
    Paint();
    CRect cell;
    list.GetSubItemRect(0, 0, LVIR_LABEL, cell);
    {
        SCOPED_TRACE("cell");
        boxesInOrder(list.m_hWnd, cell);
    }
    EXPECT_EQ(std::string(list.GetItemText(0, 0)), name);

    list.SetColumnWidth(0, 40);
    POINT pt = CellCentre(list, 0, 0);
    list.ClientToScreen(&pt);
    trelwin::user::InjectMouseMove(pt.x, pt.y, NextTime());
    ASSERT_TRUE(afx_test::PumpTranslatedUntil([&] { return list.GetTip().GetState() == CRichToolTip::STATE_SHOWN; }));
    EXPECT_EQ(std::string(list.GetTip().GetDrawer().GetMarkupText()), name);
    CRect tip;
    list.GetTip().GetClientRect(&tip);
    SCOPED_TRACE("tip");
    boxesInOrder(list.GetTip().m_hWnd, tip);
}

}  // namespace
