// Where things are in the list view: the header on top, rows of one height
// below it, columns where the header has them; scrolling by rows and by
// pixels, hit tests and item rectangles.
#include <algorithm>
#include <climits>

#include "platform/commctrl/header_internal.h"
#include "platform/commctrl/list_view_internal.h"

namespace trelwin::commctrl::listview {

namespace {

int IconWidth(HIMAGELIST list) {
    int cx = 0;
    int cy = 0;
    return list != nullptr && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

int IconHeight(HIMAGELIST list) {
    int cx = 0;
    int cy = 0;
    return list != nullptr && ImageList_GetIconSize(list, &cx, &cy) ? cy : 0;
}

RECT Client(const State& s) {
    RECT r;
    GetClientRect(s.hwnd, &r);
    return r;
}

void SetBar(State& s, int bar, int max, int page, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, max);
    si.nPage = static_cast<UINT>(std::max(0, page));
    si.nPos = pos;
    SCROLLINFO old{};
    old.cbSize = sizeof(old);
    old.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    const bool shown = (Style(s) & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    if (shown && GetScrollInfo(s.hwnd, bar, &old) && old.nMin == si.nMin && old.nMax == si.nMax &&
        old.nPage == si.nPage && old.nPos == si.nPos) {
        return;
    }
    // The bar is drawn with the next painting, not once per change: a
    // list filled row by row would draw it thousands of times.
    SetScrollInfo(s.hwnd, bar, &si, FALSE);
    if (Style(s) & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) {
        RedrawWindow(s.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
    }
}

}  // namespace

int TextWidth(const State& s, const std::string& text) {
    if (text.empty()) return 0;
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    return size.cx;
}

void UpdateMetrics(State& s) {
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    const int icons = std::max(IconHeight(s.smallImages), IconHeight(s.stateImages));
    s.rowHeight = std::max(static_cast<int>(tm.tmHeight), icons) + 2;
    if (s.rowHeight < 1) s.rowHeight = 1;
    s.headerHeight = 0;
    if (s.header != nullptr && !(Style(s) & LVS_NOCOLUMNHEADER)) {
        RECT rest = Client(s);
        WINDOWPOS wp{};
        HDLAYOUT layout{&rest, &wp};
        SendMessageA(s.header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
        s.headerHeight = wp.cy;
    }
    s.headerPlace = RECT{};
}

std::vector<Span> Spans(const State& s) {
    std::vector<Span> spans;
    const header::State* h = header::StateOf(s.header);
    if (h == nullptr) return spans;
    spans.reserve(h->order.size());
    int x = -s.scrollX;
    for (int column : h->order) {
        const int w = h->items[column].width;
        spans.push_back(Span{column, x, x + w});
        x += w;
    }
    return spans;
}

int TotalWidth(const State& s) {
    const header::State* h = header::StateOf(s.header);
    if (h == nullptr) return 0;
    int total = 0;
    for (const auto& item : h->items) total += item.width;
    return total;
}

RECT ItemArea(const State& s) {
    RECT r = Client(s);
    r.top = std::min(r.bottom, static_cast<LONG>(s.headerHeight));
    return r;
}

int CountPerPage(const State& s) {
    const RECT area = ItemArea(s);
    return std::max(0, static_cast<int>(area.bottom - area.top) / s.rowHeight);
}

int RowTop(const State& s, int item) { return s.headerHeight + (item - s.top) * s.rowHeight; }

void UpdateLayout(State& s) {
    if (s.inLayout) return;
    s.inLayout = true;
    // Showing or hiding a scroll bar changes the client area, which may
    // call for the other bar: a few rounds settle it.
    for (int round = 0; round < 3; ++round) {
        const RECT client = Client(s);
        const int width = client.right - client.left;
        const int count = Count(s);
        const int page = CountPerPage(s);
        s.top = std::clamp(s.top, 0, std::max(0, count - page));
        const int total = TotalWidth(s);
        s.scrollX = std::clamp(s.scrollX, 0, std::max(0, total - width));
        if (Style(s) & LVS_NOSCROLL) break;
        SetBar(s, SB_VERT, count - 1, page, s.top);
        SetBar(s, SB_HORZ, total - 1, width, s.scrollX);
        const RECT after = Client(s);
        if (after.right == client.right && after.bottom == client.bottom) break;
    }
    PlaceHeader(s);
    s.inLayout = false;
}

void PlaceHeader(State& s) {
    if (s.header == nullptr) return;
    const RECT client = Client(s);
    const RECT wanted{-s.scrollX, 0, static_cast<LONG>(client.right), s.headerHeight};
    if (EqualRect(&wanted, &s.headerPlace)) return;
    s.headerPlace = wanted;
    const bool shown = !(Style(s) & LVS_NOCOLUMNHEADER);
    SetWindowPos(s.header, nullptr, wanted.left, 0, wanted.right - wanted.left, wanted.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

ItemParts PartsOf(State& s, int item, const Span& column0, int top, int indent) {
    ItemParts parts{};
    const int bottom = top + s.rowHeight;
    int x = column0.left;
    if (s.smallImages != nullptr) x += (indent >= 0 ? indent : ItemIndent(s, item)) * IconWidth(s.smallImages);
    const int stateWidth = IconWidth(s.stateImages);
    parts.stateIcon = RECT{x, top, std::min(x + stateWidth, column0.right), bottom};
    x += stateWidth;
    const int iconWidth = IconWidth(s.smallImages);
    parts.icon = RECT{std::min(x, column0.right), top, std::min(x + iconWidth, column0.right), bottom};
    x += iconWidth;
    parts.label = RECT{std::min(x, column0.right), top, column0.right, bottom};
    return parts;
}

bool GetItemRect(State& s, int item, int code, RECT* rect) {
    if (rect == nullptr || item < 0 || item >= Count(s)) return false;
    const int top = RowTop(s, item);
    const std::vector<Span> spans = Spans(s);
    const RECT bounds{-s.scrollX, top, TotalWidth(s) - s.scrollX, top + s.rowHeight};
    const auto first = std::find_if(spans.begin(), spans.end(), [](const Span& sp) { return sp.column == 0; });
    if (code == LVIR_BOUNDS || first == spans.end()) {
        *rect = bounds;
        return code >= LVIR_BOUNDS && code <= LVIR_SELECTBOUNDS;
    }
    const ItemParts parts = PartsOf(s, item, *first, top);
    switch (code) {
    case LVIR_ICON:
        *rect = parts.icon;
        return true;
    case LVIR_LABEL:
        *rect = parts.label;
        return true;
    case LVIR_SELECTBOUNDS:
        if (s.exStyle & LVS_EX_FULLROWSELECT) {
            *rect = bounds;
        } else {
            *rect = RECT{parts.icon.left, top, parts.label.right, top + s.rowHeight};
        }
        return true;
    default:
        return false;
    }
}

bool GetSubItemRect(State& s, int item, int subItem, int code, RECT* rect) {
    if (rect == nullptr || item < 0 || item >= Count(s) || subItem < 0 || subItem >= ColumnCount(s)) return false;
    if (subItem == 0) return GetItemRect(s, item, code, rect);
    const int top = RowTop(s, item);
    for (const Span& sp : Spans(s)) {
        if (sp.column != subItem) continue;
        const bool image = (s.exStyle & LVS_EX_SUBITEMIMAGES) && s.smallImages != nullptr;
        const int iconRight = std::min(sp.right, sp.left + (image ? IconWidth(s.smallImages) : 0));
        switch (code) {
        case LVIR_BOUNDS:
        case LVIR_SELECTBOUNDS:
            *rect = RECT{sp.left, top, sp.right, top + s.rowHeight};
            return true;
        case LVIR_ICON:
            *rect = RECT{sp.left, top, iconRight, top + s.rowHeight};
            return true;
        case LVIR_LABEL:
            *rect = RECT{iconRight, top, sp.right, top + s.rowHeight};
            return true;
        default:
            return false;
        }
    }
    return false;
}

int HitTest(State& s, LVHITTESTINFO* info, bool subItems) {
    if (info == nullptr) return -1;
    info->iItem = -1;
    info->iSubItem = -1;
    info->flags = 0;
    const RECT client = Client(s);
    const POINT pt = info->pt;
    if (pt.y < client.top) info->flags |= LVHT_ABOVE;
    if (pt.y >= client.bottom) info->flags |= LVHT_BELOW;
    if (pt.x < client.left) info->flags |= LVHT_TOLEFT;
    if (pt.x >= client.right) info->flags |= LVHT_TORIGHT;
    if (info->flags != 0) return -1;
    info->flags = LVHT_NOWHERE;
    if (pt.y < s.headerHeight) return -1;
    const int item = s.top + (pt.y - s.headerHeight) / s.rowHeight;
    if (item >= Count(s)) return -1;
    for (const Span& sp : Spans(s)) {
        if (pt.x < sp.left || pt.x >= sp.right) continue;
        if (sp.column == 0) {
            const ItemParts parts = PartsOf(s, item, sp, RowTop(s, item));
            if (PtInRect(&parts.stateIcon, pt)) {
                info->flags = LVHT_ONITEMSTATEICON;
            } else if (PtInRect(&parts.icon, pt)) {
                info->flags = LVHT_ONITEMICON;
            } else {
                info->flags = LVHT_ONITEMLABEL;
            }
        } else {
            info->flags = LVHT_ONITEMLABEL;
        }
        info->iItem = item;
        info->iSubItem = subItems ? sp.column : 0;
        return item;
    }
    return -1;
}

void InvalidateItems(const State& s, int first, int last) {
    if (!s.redraw || first > last) return;
    const int page = CountPerPage(s) + 1;
    first = std::max(first, s.top);
    last = std::min(last, s.top + page);
    if (first > last) return;
    RECT area = ItemArea(s);
    area.top = RowTop(s, first);
    area.bottom = std::min(static_cast<int>(area.bottom), RowTop(s, last) + s.rowHeight);
    if (area.top < area.bottom) InvalidateRect(s.hwnd, &area, TRUE);
}

void ScrollTo(State& s, int top) {
    const int page = CountPerPage(s);
    top = std::clamp(top, 0, std::max(0, Count(s) - page));
    const int delta = top - s.top;
    if (delta == 0) return;
    s.top = top;
    if (!(Style(s) & LVS_NOSCROLL)) SetScrollPos(s.hwnd, SB_VERT, top, TRUE);
    if (!s.redraw) return;
    RECT area = ItemArea(s);
    if (std::abs(delta) < page) {
        // Only the rows that come into view need painting.
        ScrollWindowEx(s.hwnd, 0, -delta * s.rowHeight, &area, &area, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    } else {
        InvalidateRect(s.hwnd, &area, TRUE);
    }
}

void ScrollHorizontally(State& s, int x) {
    const RECT client = Client(s);
    x = std::clamp(x, 0, std::max(0, TotalWidth(s) - static_cast<int>(client.right)));
    if (x == s.scrollX) return;
    s.scrollX = x;
    if (!(Style(s) & LVS_NOSCROLL)) SetScrollPos(s.hwnd, SB_HORZ, x, TRUE);
    UpdateLayout(s);
    if (s.redraw) InvalidateRect(s.hwnd, nullptr, TRUE);
}

bool EnsureVisible(State& s, int item, bool partialOk) {
    if (item < 0 || item >= Count(s)) return false;
    const int page = std::max(1, CountPerPage(s));
    if (item < s.top) {
        ScrollTo(s, item);
    } else if (item >= s.top + page) {
        const RECT area = ItemArea(s);
        const bool partlyShown = RowTop(s, item) < area.bottom;
        if (!(partialOk && partlyShown)) ScrollTo(s, item - page + 1);
    }
    return true;
}

}  // namespace trelwin::commctrl::listview
