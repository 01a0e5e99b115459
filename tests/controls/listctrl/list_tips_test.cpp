// The device list's tips: the whole text of a cell that does not fit its
// column (by the +4 rule of the first column and the +12 rule of the
// others), a row's own tip text over all of its cells, nothing off the
// items, and device texts shown as text.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/gdi/internal/font_engine.h"
#include "tests/controls/listctrl/list_ctrl_test_util.h"

namespace {

using listctrl_test::ListFixture;

class ListTips : public ListFixture {};

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
    auto pump = [&](const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    };
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
    auto pump = [&](const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    };
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

}  // namespace
