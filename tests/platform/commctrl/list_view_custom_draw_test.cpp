// Custom drawing of the list view: the stages in their order, and the
// parent's answers honoured, checked in the pixels.
#include <cstdio>

#include "tests/platform/commctrl/list_test_util.h"

using namespace list_test;
using trelwin::user::GetClientPixel;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class CustomDrawTest : public ListTest {
protected:
    HWND Three() {
        HWND list = List(0, 10, 10, 400, 300);
        AddColumn(list, 0, "Name", 100);
        AddColumn(list, 1, "Value", 100);
        for (int i = 0; i < 3; ++i) {
            AddItem(list, i, "row " + std::to_string(i), 100 + i);
            SetText(list, i, 1, "v" + std::to_string(i));
        }
        user_test::Pump();
        parent.notices.clear();
        return list;
    }

    std::vector<std::pair<DWORD, int>> Stages() const {
        std::vector<std::pair<DWORD, int>> out;
        for (const Notice& n : parent.Of(NM_CUSTOMDRAW)) {
            out.emplace_back(n.stage, (n.stage & CDDS_SUBITEM) ? n.item * 10 + n.subItem : n.item);
        }
        return out;
    }

    // The middle of a cell, right of its text.
    POINT CellPoint(HWND list, int item, int sub) {
        const RECT r = SubItemRect(list, item, sub, sub == 0 ? LVIR_LABEL : LVIR_BOUNDS);
        return POINT{r.right - 8, (r.top + r.bottom) / 2};
    }
};

TEST_F(CustomDrawTest, WithoutItemRequestsOnlyThePrePaintStageIsSent) {
    HWND list = Three();
    Paint(list);
    auto stages = Stages();
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].first, static_cast<DWORD>(CDDS_PREPAINT));
    const POINT p = CellPoint(list, 1, 1);
    EXPECT_EQ(GetClientPixel(list, p.x, p.y), GetSysColor(COLOR_WINDOW));
}

TEST_F(CustomDrawTest, StagesComeInOrderAndAnswersAreHonoured) {
    HWND list = Three();
    parent.answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code != NM_CUSTOMDRAW) return 0;
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        const int item = static_cast<int>(cd->nmcd.dwItemSpec);
        switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            if (item == 0) {
                // The whole row in one colour, no sub-item stages.
                cd->clrTextBk = kGreen;
                return CDRF_DODEFAULT;
            }
            if (item == 2) return CDRF_SKIPDEFAULT;
            return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
            if (cd->iSubItem == 1) {
                cd->clrTextBk = kRed;
                return CDRF_NOTIFYPOSTPAINT;
            }
            return CDRF_DODEFAULT;
        default:
            return CDRF_DODEFAULT;
        }
    };
    Paint(list);
    const std::vector<std::pair<DWORD, int>> expected{
        {CDDS_PREPAINT, 0},
        {CDDS_ITEMPREPAINT, 0},
        {CDDS_ITEMPREPAINT, 1},
        {CDDS_SUBITEM | CDDS_ITEMPREPAINT, 10},
        {CDDS_SUBITEM | CDDS_ITEMPREPAINT, 11},
        {CDDS_SUBITEM | CDDS_ITEMPOSTPAINT, 11},
        {CDDS_ITEMPOSTPAINT, 1},
        {CDDS_ITEMPREPAINT, 2},
        {CDDS_POSTPAINT, 0},
    };
    EXPECT_EQ(Stages(), expected);

    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 0, 0).x, CellPoint(list, 0, 0).y), kGreen);
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 0, 1).x, CellPoint(list, 0, 1).y), kGreen);
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 0).x, CellPoint(list, 1, 0).y), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 1).x, CellPoint(list, 1, 1).y), kRed);
    // The skipped row is not drawn: no text in it.
    const RECT skipped = ItemRect(list, 2, LVIR_LABEL);
    for (int x = skipped.left; x < skipped.right; ++x) {
        for (int y = skipped.top; y < skipped.bottom; ++y) {
            ASSERT_EQ(GetClientPixel(list, x, y), GetSysColor(COLOR_WINDOW)) << x << "," << y;
        }
    }
}

TEST_F(CustomDrawTest, ColoursSetForOneSubItemStayUntilTheParentRestoresThem) {
    HWND list = Three();
    AddColumn(list, 2, "More", 60);
    parent.answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code != NM_CUSTOMDRAW) return 0;
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
        if (cd->nmcd.dwDrawStage == (CDDS_SUBITEM | CDDS_ITEMPREPAINT) && cd->iSubItem == 1) {
            cd->clrTextBk = kBlue;
        }
        return CDRF_DODEFAULT;
    };
    Paint(list);
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 0).x, CellPoint(list, 1, 0).y), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 1).x, CellPoint(list, 1, 1).y), kBlue);
    // The block is the same for the next sub-item, which keeps blue.
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 2).x, CellPoint(list, 1, 2).y), kBlue);
}

TEST_F(CustomDrawTest, ANewFontFromTheParentIsUsedForItsItem) {
    HWND list = Three();
    LOGFONTA lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_BOLD;
    std::snprintf(lf.lfFaceName, sizeof(lf.lfFaceName), "MS Sans Serif");
    HFONT bold = CreateFontIndirectA(&lf);
    HGDIOBJ seenAtSubItem = nullptr;
    HGDIOBJ seenAtNextItem = nullptr;
    HGDIOBJ previous = nullptr;
    parent.answer = [&](NMHDR* hdr) -> LRESULT {
        if (hdr->code != NM_CUSTOMDRAW) return 0;
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        const int item = static_cast<int>(cd->nmcd.dwItemSpec);
        switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if (item == 1) {
                previous = SelectObject(cd->nmcd.hdc, bold);
                return CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
            }
            if (item == 2) seenAtNextItem = GetCurrentObject(cd->nmcd.hdc, OBJ_FONT);
            return CDRF_DODEFAULT;
        case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
            if (cd->iSubItem == 1) seenAtSubItem = GetCurrentObject(cd->nmcd.hdc, OBJ_FONT);
            return CDRF_DODEFAULT;
        case CDDS_ITEMPOSTPAINT:
            SelectObject(cd->nmcd.hdc, previous);
            return CDRF_NEWFONT;
        default:
            return CDRF_DODEFAULT;
        }
    };
    Paint(list);
    EXPECT_EQ(seenAtSubItem, bold);
    EXPECT_NE(seenAtNextItem, bold);
    EXPECT_EQ(previous, GetStockObject(DEFAULT_GUI_FONT));
    parent.answer = nullptr;
    DeleteObject(bold);
}

TEST_F(CustomDrawTest, SkipDefaultAtPrePaintDrawsNothing) {
    HWND list = Three();
    parent.answer = [](NMHDR* hdr) -> LRESULT {
        return hdr->code == NM_CUSTOMDRAW ? CDRF_SKIPDEFAULT | CDRF_NOTIFYITEMDRAW : 0;
    };
    SendMessageA(list, LVM_SETBKCOLOR, 0, kGreen);
    Paint(list);
    EXPECT_EQ(Stages().size(), 1u);
    // The background is erased, but no row is drawn.
    const RECT label = ItemRect(list, 0, LVIR_LABEL);
    int dark = 0;
    for (int x = label.left; x < label.right; ++x) {
        for (int y = label.top; y < label.bottom; ++y) dark += GetClientPixel(list, x, y) != kGreen;
    }
    EXPECT_EQ(dark, 0);
}

TEST_F(CustomDrawTest, SelectedRowsShowTheHighlightAndTextHasTheListColour) {
    HWND list = Three();
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, kRed);
    SetFocus(list);
    LVITEMA sel{};
    sel.state = sel.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&sel));
    Paint(list);
    EXPECT_EQ(GetClientPixel(list, CellPoint(list, 1, 1).x, CellPoint(list, 1, 1).y), GetSysColor(COLOR_HIGHLIGHT));
    // Row 0's text is red (glyph edges are blended with the background).
    const RECT label = ItemRect(list, 0, LVIR_LABEL);
    int red = 0;
    for (int x = label.left; x < label.right; ++x) {
        for (int y = label.top; y < label.bottom; ++y) {
            const COLORREF c = GetClientPixel(list, x, y);
            red += GetRValue(c) > 200 && GetGValue(c) < 120 && GetBValue(c) < 120;
        }
    }
    EXPECT_GT(red, 5);
    // Grid lines close each row and column.
    const RECT row = ItemRect(list, 0, LVIR_BOUNDS);
    EXPECT_EQ(GetClientPixel(list, 50, row.bottom - 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetClientPixel(list, 99, row.bottom + 40), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
