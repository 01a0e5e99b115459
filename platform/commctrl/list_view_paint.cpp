// Painting the list view: only the rows in the update area, each with the
// custom-draw conversation with the parent (control, item, sub-item; before
// and after) and its answers honoured.
#include <algorithm>

#include "platform/commctrl/list_view_internal.h"

namespace trelwin::commctrl::listview {

namespace {

COLORREF Resolve(COLORREF colour, int sys) { return colour == CLR_DEFAULT ? GetSysColor(sys) : colour; }

UINT AlignOf(int format) {
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        return DT_RIGHT;
    case LVCFMT_CENTER:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

struct Painter {
    State& s;
    HDC hdc;
    RECT clip;
    HFONT listFont;
    bool customDraw = false;  // the parent asked for item notifications
    COLORREF bk = 0;

    LRESULT Ask(NMLVCUSTOMDRAW& cd, DWORD stage) {
        cd.nmcd.dwDrawStage = stage;
        cd.nmcd.hdc = hdc;
        return Notify(s, NM_CUSTOMDRAW, &cd.nmcd.hdr);
    }

    void Fill(const RECT& r, COLORREF colour) {
        if (colour == CLR_NONE) return;
        FillSolidRect(hdc, &r, colour);
    }

    void Text(const std::string& text, RECT r, UINT align, COLORREF colour) {
        if (text.empty() || r.right <= r.left) return;
        SetTextColor(hdc, colour);
        SetBkMode(hdc, TRANSPARENT);
        DrawTextA(hdc, text.data(), static_cast<int>(text.size()), &r,
                  align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

    // One cell, in the colours the parent left in cd.
    void Cell(int item, const Span& sp, const NMLVCUSTOMDRAW& cd, bool selectedLook) {
        const RECT cell{sp.left, cd.nmcd.rc.top, sp.right, cd.nmcd.rc.bottom};
        const bool fullRow = (s.exStyle & LVS_EX_FULLROWSELECT) != 0;
        const COLORREF hiBack = GetSysColor(s.hasFocus ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        const COLORREF hiText = GetSysColor(s.hasFocus ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        const bool highlightCell = selectedLook && fullRow;
        Fill(cell, highlightCell ? hiBack : (cd.clrTextBk == CLR_NONE ? bk : cd.clrTextBk));
        const int column = sp.column;
        const int format = column < ColumnCount(s) ? s.columns[column].format : LVCFMT_LEFT;
        RECT label = cell;
        int margin = SubItemMargin();
        const bool subImages = (s.exStyle & LVS_EX_SUBITEMIMAGES) && s.smallImages != nullptr;
        const bool image = column == 0 ? s.smallImages != nullptr : subImages;
        const Shown shown = ItemShown(s, item, column, LVIF_TEXT | (image ? LVIF_IMAGE : 0) | LVIF_INDENT);
        if (column == 0) {
            const ItemParts parts = PartsOf(s, item, sp, cell.top, shown.indent);
            const UINT stateIndex = (ItemState(s, item) & LVIS_STATEIMAGEMASK) >> 12;
            if (s.stateImages != nullptr && stateIndex > 0) {
                ImageList_Draw(s.stateImages, static_cast<int>(stateIndex) - 1, hdc, parts.stateIcon.left,
                               parts.stateIcon.top + (s.rowHeight - (parts.stateIcon.bottom - parts.stateIcon.top)) / 2,
                               ILD_NORMAL);
            }
            if (s.smallImages != nullptr && shown.image >= 0) DrawIcon16(parts.icon, shown.image);
            label = parts.label;
            margin = LabelMargin();
            if (selectedLook && !fullRow) {
                // Only the label shows the selection.
                Fill(label, hiBack);
                RECT inner = label;
                InflateRect(&inner, -margin, 0);
                Text(shown.text, inner, AlignOf(format), hiText);
                return;
            }
        } else if (subImages) {
            RECT icon;
            if (GetSubItemRect(s, item, column, LVIR_ICON, &icon)) {
                if (shown.image >= 0) DrawIcon16(icon, shown.image);
                label.left = icon.right;
            }
        }
        RECT inner = label;
        InflateRect(&inner, -margin, 0);
        Text(shown.text, inner, AlignOf(format), highlightCell ? hiText : cd.clrText);
    }

    void DrawIcon16(const RECT& r, int image) {
        if (r.right <= r.left) return;
        int cx = 0;
        int cy = 0;
        ImageList_GetIconSize(s.smallImages, &cx, &cy);
        const int saved = SaveDC(hdc);
        IntersectClipRect(hdc, r.left, r.top, r.right, r.bottom);
        ImageList_Draw(s.smallImages, image, hdc, r.left, r.top + (s.rowHeight - cy) / 2, ILD_NORMAL);
        RestoreDC(hdc, saved);
    }

    void Row(int item, const std::vector<Span>& spans, int total) {
        const int top = RowTop(s, item);
        const UINT state = ItemState(s, item);
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.rc = RECT{-s.scrollX, top, total - s.scrollX, top + s.rowHeight};
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
        cd.nmcd.uItemState = (state & LVIS_SELECTED ? CDIS_SELECTED : 0) |
                             ((state & LVIS_FOCUSED) && s.hasFocus ? CDIS_FOCUS : 0);
        cd.nmcd.lItemlParam = OwnerData(s) ? 0 : ItemParam(s, item);
        cd.clrText = Resolve(s.textColor, COLOR_WINDOWTEXT);
        cd.clrTextBk = s.textBkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : s.textBkColor;
        cd.iSubItem = 0;
        SelectObject(hdc, listFont);
        LRESULT itemAnswer = CDRF_DODEFAULT;
        if (customDraw) {
            itemAnswer = Ask(cd, CDDS_ITEMPREPAINT);
            if (!(itemAnswer & CDRF_NEWFONT)) SelectObject(hdc, listFont);
        }
        if (!(itemAnswer & CDRF_SKIPDEFAULT)) {
            const bool selectedLook = (cd.nmcd.uItemState & CDIS_SELECTED) &&
                                      (s.hasFocus || (Style(s) & LVS_SHOWSELALWAYS));
            const HGDIOBJ itemFont = GetCurrentObject(hdc, OBJ_FONT);
            for (const Span& sp : spans) {
                if (sp.right <= sp.left || sp.right <= clip.left || sp.left >= clip.right) continue;
                if (customDraw && (itemAnswer & CDRF_NOTIFYSUBITEMDRAW)) {
                    // The same block goes to every sub-item, so colours
                    // the parent set for one cell stay until it resets them.
                    cd.iSubItem = sp.column;
                    cd.nmcd.rc = RECT{sp.left, top, sp.right, top + s.rowHeight};
                    const LRESULT cellAnswer = Ask(cd, CDDS_SUBITEM | CDDS_ITEMPREPAINT);
                    if (!(cellAnswer & CDRF_NEWFONT)) SelectObject(hdc, itemFont);
                    if (!(cellAnswer & CDRF_SKIPDEFAULT)) Cell(item, sp, cd, selectedLook);
                    if (cellAnswer & CDRF_NOTIFYPOSTPAINT) Ask(cd, CDDS_SUBITEM | CDDS_ITEMPOSTPAINT);
                    SelectObject(hdc, itemFont);
                } else {
                    Cell(item, sp, cd, selectedLook);
                }
            }
            if ((state & LVIS_FOCUSED) && s.hasFocus) {
                RECT focus;
                if (s.exStyle & LVS_EX_FULLROWSELECT) {
                    focus = RECT{-s.scrollX, top, total - s.scrollX, top + s.rowHeight};
                } else {
                    GetItemRect(s, item, LVIR_LABEL, &focus);
                }
                SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
                DrawFocusRect(hdc, &focus);
            }
        }
        if (customDraw && (itemAnswer & CDRF_NOTIFYPOSTPAINT)) {
            cd.iSubItem = 0;
            cd.nmcd.rc = RECT{-s.scrollX, top, total - s.scrollX, top + s.rowHeight};
            Ask(cd, CDDS_ITEMPOSTPAINT);
        }
    }

    void GridLines(const std::vector<Span>& spans, const RECT& area) {
        HBRUSH line = GetSysColorBrush(COLOR_BTNFACE);
        for (int y = area.top + s.rowHeight - 1; y < area.bottom; y += s.rowHeight) {
            RECT r{area.left, y, area.right, y + 1};
            FillRect(hdc, &r, line);
        }
        for (const Span& sp : spans) {
            if (sp.right <= sp.left) continue;
            RECT r{sp.right - 1, area.top, sp.right, area.bottom};
            FillRect(hdc, &r, line);
        }
    }
};

}  // namespace

void Paint(State& s, HDC hdc, const RECT& clip) {
    const int saved = SaveDC(hdc);
    Painter p{s, hdc, clip, s.font ? s.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
    p.bk = Resolve(s.bkColor, COLOR_WINDOW);
    SelectObject(hdc, p.listFont);
    RECT area = ItemArea(s);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);

    NMLVCUSTOMDRAW cd{};
    GetClientRect(s.hwnd, &cd.nmcd.rc);
    const LRESULT answer = p.Ask(cd, CDDS_PREPAINT);
    if (answer & CDRF_SKIPDEFAULT) {
        RestoreDC(hdc, saved);
        return;
    }
    p.customDraw = (answer & CDRF_NOTIFYITEMDRAW) != 0;

    const int count = Count(s);
    const int first = std::max(s.top, s.top + (static_cast<int>(clip.top) - s.headerHeight) / s.rowHeight);
    const int last = std::min(count - 1, s.top + (static_cast<int>(clip.bottom) - s.headerHeight - 1) / s.rowHeight);
    if (OwnerData(s) && first <= last && (first != s.cacheFrom || last != s.cacheTo)) {
        NMLVCACHEHINT hint{};
        hint.iFrom = first;
        hint.iTo = last;
        s.cacheFrom = first;
        s.cacheTo = last;
        Notify(s, LVN_ODCACHEHINT, &hint.hdr);
    }
    const std::vector<Span> spans = Spans(s);
    const int total = TotalWidth(s);
    for (int item = first; item <= last && item < Count(s); ++item) p.Row(item, spans, total);
    // What no row covers shows the background.
    const int rowsEnd = RowTop(s, std::max(last + 1, first));
    RECT below{area.left, std::max(static_cast<int>(area.top), rowsEnd), area.right, area.bottom};
    if (below.top < below.bottom) p.Fill(below, p.bk);
    RECT right{total - s.scrollX, area.top, area.right, std::min(static_cast<int>(area.bottom), rowsEnd)};
    if (right.left < right.right && right.top < right.bottom) p.Fill(right, p.bk);
    if (s.exStyle & LVS_EX_GRIDLINES) p.GridLines(spans, area);

    if (answer & CDRF_NOTIFYPOSTPAINT) {
        SelectObject(hdc, p.listFont);
        p.Ask(cd, CDDS_POSTPAINT);
    }
    RestoreDC(hdc, saved);
}

}  // namespace trelwin::commctrl::listview
