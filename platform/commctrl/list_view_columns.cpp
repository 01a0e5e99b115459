// The list view's columns: kept by its header (titles, widths, order), with
// the format and sub-item data kept here; the header's notifications as the
// list passes them on to its parent.
#include <algorithm>
#include <cstring>

#include "platform/commctrl/header_internal.h"
#include "platform/commctrl/list_view_internal.h"

namespace trelwin::commctrl::listview {

namespace {

int HeaderFormat(int format) {
    int hdf = HDF_STRING;
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        hdf |= HDF_RIGHT;
        break;
    case LVCFMT_CENTER:
        hdf |= HDF_CENTER;
        break;
    default:
        break;
    }
    if (format & LVCFMT_IMAGE) hdf |= HDF_IMAGE;
    if (format & LVCFMT_BITMAP_ON_RIGHT) hdf |= HDF_BITMAP_ON_RIGHT;
    return hdf;
}

HDITEMA ToHeader(const LVCOLUMNA& column) {
    HDITEMA item{};
    if (column.mask & LVCF_FMT) {
        item.mask |= HDI_FORMAT;
        item.fmt = HeaderFormat(column.fmt);
    }
    if (column.mask & LVCF_WIDTH) {
        item.mask |= HDI_WIDTH;
        // The automatic widths are for LVM_SETCOLUMNWIDTH; a new column
        // given one starts empty.
        item.cxy = std::max(0, column.cx);
    }
    if (column.mask & LVCF_TEXT) {
        item.mask |= HDI_TEXT;
        item.pszText = column.pszText;
    }
    if (column.mask & LVCF_IMAGE) {
        item.mask |= HDI_IMAGE;
        item.iImage = column.iImage;
    }
    if (column.mask & LVCF_ORDER) {
        item.mask |= HDI_ORDER;
        item.iOrder = column.iOrder;
    }
    return item;
}

// The width that shows every item's text in the column; with owner data
// only the rows on the screen, since asking the parent for every row is
// what owner data is there to avoid.
int ContentWidth(State& s, int index) {
    int first = 0;
    int last = Count(s) - 1;
    if (OwnerData(s)) {
        first = s.top;
        last = std::min(last, s.top + CountPerPage(s));
    }
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    int widest = 0;
    for (int i = first; i <= last; ++i) {
        const std::string text = ItemText(s, i, index);
        SIZE size{};
        if (!text.empty()) GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    if (index == 0) {
        int extra = 2 * LabelMargin();
        int cx = 0;
        int cy = 0;
        if (s.smallImages && ImageList_GetIconSize(s.smallImages, &cx, &cy)) extra += cx;
        if (s.stateImages && ImageList_GetIconSize(s.stateImages, &cx, &cy)) extra += cx;
        return widest + extra;
    }
    return widest + 2 * SubItemMargin();
}

int HeaderTextWidth(State& s, int index) {
    char text[260] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(s.header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return TextWidth(s, text) + 2 * SubItemMargin();
}

LRESULT Forward(State& s, WPARAM wParam, NMHDR* hdr) {
    HWND parent = GetParent(s.hwnd);
    return parent ? SendMessageA(parent, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr)) : 0;
}

}  // namespace

int ColumnCount(const State& s) { return static_cast<int>(s.columns.size()); }

LRESULT InsertColumn(State& s, int index, const LVCOLUMNA* column) {
    if (column == nullptr || s.header == nullptr) return -1;
    index = std::clamp(index, 0, ColumnCount(s));
    HDITEMA item = ToHeader(*column);
    item.mask |= HDI_FORMAT | HDI_WIDTH;
    if (!(column->mask & LVCF_FMT)) item.fmt = HDF_LEFT | HDF_STRING;
    const LRESULT at = SendMessageA(s.header, HDM_INSERTITEMA, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(&item));
    if (at < 0) return -1;
    Column added;
    added.format = (column->mask & LVCF_FMT) ? column->fmt : LVCFMT_LEFT;
    added.image = (column->mask & LVCF_IMAGE) ? column->iImage : -1;
    s.columns.insert(s.columns.begin() + at, added);
    // Sub-items follow their columns.
    for (Item& it : s.items) {
        if (at > 0 && static_cast<int>(it.cells.size()) > at) it.cells.insert(it.cells.begin() + at, Cell{});
    }
    UpdateLayout(s);
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return at;
}

LRESULT DeleteColumn(State& s, int index) {
    if (index < 0 || index >= ColumnCount(s)) return FALSE;
    if (!SendMessageA(s.header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0)) return FALSE;
    s.columns.erase(s.columns.begin() + index);
    for (Item& it : s.items) {
        if (index > 0 && static_cast<int>(it.cells.size()) > index) it.cells.erase(it.cells.begin() + index);
    }
    UpdateLayout(s);
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT GetColumn(State& s, int index, LVCOLUMNA* column) {
    if (column == nullptr || index < 0 || index >= ColumnCount(s)) return FALSE;
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_ORDER;
    if (column->mask & LVCF_TEXT) {
        item.mask |= HDI_TEXT;
        item.pszText = column->pszText;
        item.cchTextMax = column->cchTextMax;
    }
    if (!SendMessageA(s.header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
        return FALSE;
    }
    if (column->mask & LVCF_FMT) column->fmt = s.columns[index].format;
    if (column->mask & LVCF_WIDTH) column->cx = item.cxy;
    if (column->mask & LVCF_SUBITEM) column->iSubItem = index;
    if (column->mask & LVCF_IMAGE) column->iImage = s.columns[index].image;
    if (column->mask & LVCF_ORDER) column->iOrder = item.iOrder;
    return TRUE;
}

LRESULT SetColumn(State& s, int index, const LVCOLUMNA* column) {
    if (column == nullptr || index < 0 || index >= ColumnCount(s)) return FALSE;
    HDITEMA item = ToHeader(*column);
    if (column->mask & LVCF_FMT) s.columns[index].format = column->fmt;
    if (column->mask & LVCF_IMAGE) s.columns[index].image = column->iImage;
    if (item.mask == 0) return TRUE;
    const LRESULT done =
        SendMessageA(s.header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return done;
}

int ColumnWidth(const State& s, int index) {
    const header::State* h = header::StateOf(s.header);
    if (h == nullptr || index < 0 || index >= static_cast<int>(h->items.size())) return 0;
    return h->items[index].width;
}

LRESULT SetColumnWidth(State& s, int index, int width) {
    if (index < 0 || index >= ColumnCount(s)) return FALSE;
    if (width == LVSCW_AUTOSIZE) {
        width = ContentWidth(s, index);
    } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
        width = std::max(ContentWidth(s, index), HeaderTextWidth(s, index));
    }
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = std::max(0, width);
    return SendMessageA(s.header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

LRESULT OnHeaderNotify(State& s, WPARAM wParam, NMHDR* hdr) {
    auto* nm = reinterpret_cast<NMHEADERA*>(hdr);
    switch (hdr->code) {
    case HDN_ITEMCHANGEDA: {
        const LRESULT r = Forward(s, wParam, hdr);
        if (StateOf(s.hwnd) == &s) {
            UpdateLayout(s);
            InvalidateRect(s.hwnd, nullptr, TRUE);
        }
        return r;
    }
    case HDN_ITEMCLICKA: {
        Forward(s, wParam, hdr);
        if (StateOf(s.hwnd) != &s) return 0;
        NMLISTVIEW click{};
        click.iItem = -1;
        click.iSubItem = nm->iItem;
        Notify(s, LVN_COLUMNCLICK, &click.hdr);
        return 0;
    }
    case HDN_DIVIDERDBLCLICKA: {
        if (Forward(s, wParam, hdr) != 0) return TRUE;
        if (StateOf(s.hwnd) == &s) SetColumnWidth(s, nm->iItem, LVSCW_AUTOSIZE);
        return 0;
    }
    case HDN_BEGINDRAG:
        if (!(s.exStyle & LVS_EX_HEADERDRAGDROP)) return TRUE;
        return Forward(s, wParam, hdr);
    default:
        return Forward(s, wParam, hdr);
    }
}

}  // namespace trelwin::commctrl::listview
