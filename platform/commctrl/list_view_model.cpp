// The list view's items: their texts, images and states, insertion and
// deletion with their notifications, selection and focus, sorting.
#include <algorithm>
#include <climits>
#include <cstring>
#include <strings.h>

#include "platform/base/stable_order.h"
#include "platform/commctrl/list_view_internal.h"

namespace trelwin::commctrl::listview {

namespace {

constexpr int kTextBuffer = 260;

bool Valid(const State& s, int item) { return item >= 0 && item < Count(s); }

// Owner data and callback fields: asks the parent to fill the item.
void AskParent(State& s, LVITEMA& item) {
    NMLVDISPINFOA info{};
    info.item = item;
    Notify(s, LVN_GETDISPINFOA, &info.hdr);
    item = info.item;
}

Cell* CellOf(State& s, int item, int subItem) {
    if (!Valid(s, item) || OwnerData(s) || subItem < 0) return nullptr;
    auto& cells = s.items[item].cells;
    return subItem < static_cast<int>(cells.size()) ? &cells[subItem] : nullptr;
}

Cell& MakeCell(Item& item, int subItem) {
    if (static_cast<int>(item.cells.size()) <= subItem) item.cells.resize(subItem + 1);
    return item.cells[subItem];
}

UINT& StateRef(State& s, int item) { return OwnerData(s) ? s.odStates[item] : s.items[item].state; }

NMLISTVIEW ChangeNotice(State& s, int item, UINT oldState, UINT newState) {
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uOldState = oldState;
    nm.uNewState = newState;
    nm.uChanged = LVIF_STATE;
    if (item >= 0 && !OwnerData(s)) nm.lParam = s.items[item].lParam;
    return nm;
}

void ShiftIndexes(State& s, int at, int delta) {
    for (int* index : {&s.focus, &s.anchor}) {
        if (*index < 0) continue;
        if (delta < 0 && *index == at) {
            *index = -1;
        } else if (*index >= at) {
            *index += delta;
        }
    }
}

void Changed(State& s, int from) {
    if (!s.redraw) return;
    UpdateLayout(s);
    InvalidateItems(s, from, INT_MAX);
}

}  // namespace

int Count(const State& s) {
    return OwnerData(s) ? static_cast<int>(s.odStates.size()) : static_cast<int>(s.items.size());
}

std::string ItemText(State& s, int item, int subItem) { return ItemShown(s, item, subItem, LVIF_TEXT).text; }

int ItemImage(State& s, int item, int subItem) { return ItemShown(s, item, subItem, LVIF_IMAGE).image; }

UINT ItemState(const State& s, int item) {
    if (!Valid(s, item)) return 0;
    return OwnerData(s) ? s.odStates[item] : s.items[item].state;
}

LPARAM ItemParam(State& s, int item) {
    if (!Valid(s, item)) return 0;
    if (!OwnerData(s)) return s.items[item].lParam;
    LVITEMA lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    AskParent(s, lv);
    return lv.lParam;
}

int ItemIndent(State& s, int item) { return ItemShown(s, item, 0, LVIF_INDENT).indent; }

Shown ItemShown(State& s, int item, int subItem, UINT want) {
    Shown shown;
    if (!Valid(s, item) || subItem < 0) return shown;
    const Cell* cell = CellOf(s, item, subItem);
    if (subItem != 0) want &= ~LVIF_INDENT;
    UINT ask = want;
    if (!OwnerData(s)) {
        // Only callback fields go to the parent.
        ask = 0;
        if (cell != nullptr) {
            shown.text = cell->text;
            shown.image = cell->image;
            if (cell->textCallback) ask |= want & LVIF_TEXT;
            if (cell->image == I_IMAGECALLBACK) ask |= want & LVIF_IMAGE;
        }
        if (subItem == 0) shown.indent = s.items[item].indent;
    }
    if (ask == 0) return shown;
    char buffer[kTextBuffer] = {};
    LVITEMA lv{};
    lv.mask = ask;
    lv.iItem = item;
    lv.iSubItem = subItem;
    lv.pszText = buffer;
    lv.cchTextMax = kTextBuffer;
    lv.iImage = I_IMAGENONE;
    if (!OwnerData(s)) lv.lParam = s.items[item].lParam;
    AskParent(s, lv);
    // The parent may point at its own text instead of filling the buffer.
    if ((ask & LVIF_TEXT) && lv.pszText != nullptr && lv.pszText != LPSTR_TEXTCALLBACKA) {
        shown.text.assign(lv.pszText, strnlen(lv.pszText, kTextBuffer - 1));
    }
    if (ask & LVIF_IMAGE) shown.image = lv.iImage;
    if (ask & LVIF_INDENT) shown.indent = lv.iIndent;
    return shown;
}

LRESULT GetItem(State& s, LVITEMA* out) {
    if (out == nullptr || !Valid(s, out->iItem) || out->iSubItem < 0) return FALSE;
    const int item = out->iItem;
    const int sub = out->iSubItem;
    if (out->mask & LVIF_TEXT) {
        const std::string text = ItemText(s, item, sub);
        if (out->pszText != nullptr && out->pszText != LPSTR_TEXTCALLBACKA && out->cchTextMax > 0) {
            const size_t n = std::min(text.size(), static_cast<size_t>(out->cchTextMax - 1));
            std::memcpy(out->pszText, text.data(), n);
            out->pszText[n] = '\0';
        }
    }
    if (out->mask & LVIF_IMAGE) out->iImage = ItemImage(s, item, sub);
    if (out->mask & LVIF_PARAM) out->lParam = ItemParam(s, item);
    if (out->mask & LVIF_INDENT) out->iIndent = sub == 0 ? ItemIndent(s, item) : 0;
    if (out->mask & LVIF_STATE) {
        UINT state = ItemState(s, item);
        if (s.callbackMask & out->stateMask) {
            LVITEMA lv{};
            lv.mask = LVIF_STATE;
            lv.iItem = item;
            lv.stateMask = s.callbackMask & out->stateMask;
            AskParent(s, lv);
            state = (state & ~s.callbackMask) | (lv.state & s.callbackMask);
        }
        out->state = state & out->stateMask;
    }
    return TRUE;
}

LRESULT SetItem(State& s, const LVITEMA* in) {
    if (in == nullptr || !Valid(s, in->iItem) || in->iSubItem < 0) return FALSE;
    const int item = in->iItem;
    if (in->mask & LVIF_STATE) {
        if (in->iSubItem != 0) return FALSE;
        if (!SetState(s, item, in->state, in->stateMask)) return FALSE;
    }
    if (OwnerData(s)) return (in->mask & ~(LVIF_STATE | LVIF_DI_SETITEM)) == 0 ? TRUE : FALSE;
    if (!Valid(s, item)) return FALSE;  // a notification handler may have deleted it
    Item& target = s.items[item];
    if (in->iSubItem > 0 && in->iSubItem >= std::max(ColumnCount(s), 1)) return FALSE;
    UINT changed = 0;
    if (in->mask & LVIF_TEXT) {
        Cell& cell = MakeCell(target, in->iSubItem);
        cell.textCallback = in->pszText == LPSTR_TEXTCALLBACKA;
        cell.text = cell.textCallback || in->pszText == nullptr ? std::string() : std::string(in->pszText);
        changed |= LVIF_TEXT;
    }
    if (in->mask & LVIF_IMAGE) {
        MakeCell(target, in->iSubItem).image = in->iImage;
        changed |= LVIF_IMAGE;
    }
    if (in->iSubItem == 0) {
        if (in->mask & LVIF_PARAM) {
            target.lParam = in->lParam;
            changed |= LVIF_PARAM;
        }
        if (in->mask & LVIF_INDENT) {
            target.indent = in->iIndent;
            changed |= LVIF_INDENT;
        }
    }
    if (changed != 0) {
        NMLISTVIEW nm{};
        nm.iItem = item;
        nm.iSubItem = in->iSubItem;
        nm.uChanged = changed;
        nm.lParam = target.lParam;
        Notify(s, LVN_ITEMCHANGED, &nm.hdr);
        if (s.redraw) InvalidateItems(s, item, item);
    }
    return TRUE;
}

LRESULT InsertItem(State& s, const LVITEMA* in) {
    if (in == nullptr || in->iSubItem != 0) return -1;
    const int index = std::clamp(in->iItem, 0, Count(s));
    if (OwnerData(s)) {
        s.odStates.insert(s.odStates.begin() + index, 0);
    } else {
        Item item;
        Cell& cell = MakeCell(item, 0);
        if (in->mask & LVIF_TEXT) {
            cell.textCallback = in->pszText == LPSTR_TEXTCALLBACKA;
            if (!cell.textCallback && in->pszText != nullptr) cell.text = in->pszText;
        }
        if (in->mask & LVIF_IMAGE) cell.image = in->iImage;
        if (in->mask & LVIF_PARAM) item.lParam = in->lParam;
        if (in->mask & LVIF_INDENT) item.indent = in->iIndent;
        s.items.insert(s.items.begin() + index, std::move(item));
    }
    ShiftIndexes(s, index, 1);
    if ((in->mask & LVIF_STATE) && (in->stateMask & in->state) != 0) {
        UINT& state = StateRef(s, index);
        state = in->state & in->stateMask & ~LVIS_FOCUSED;
        if (in->state & in->stateMask & LVIS_FOCUSED) SetFocusItem(s, index);
    }
    NMLISTVIEW nm{};
    nm.iItem = index;
    if (!OwnerData(s)) nm.lParam = s.items[index].lParam;
    Notify(s, LVN_INSERTITEM, &nm.hdr);
    Changed(s, index);
    return index;
}

LRESULT DeleteItem(State& s, int index) {
    if (!Valid(s, index)) return FALSE;
    NMLISTVIEW nm{};
    nm.iItem = index;
    if (!OwnerData(s)) nm.lParam = s.items[index].lParam;
    Notify(s, LVN_DELETEITEM, &nm.hdr);
    if (!Valid(s, index)) return FALSE;
    if (OwnerData(s)) {
        s.odStates.erase(s.odStates.begin() + index);
    } else {
        s.items.erase(s.items.begin() + index);
    }
    ShiftIndexes(s, index, -1);
    s.cacheFrom = s.cacheTo = -1;
    if (s.redraw) {
        UpdateLayout(s);
        ScrollTo(s, s.top);
        InvalidateItems(s, index, INT_MAX);
    }
    return TRUE;
}

LRESULT DeleteAllItems(State& s) {
    NMLISTVIEW nm{};
    nm.iItem = -1;
    const bool quiet = Notify(s, LVN_DELETEALLITEMS, &nm.hdr) != 0 || OwnerData(s);
    if (!quiet) {
        for (int i = 0; i < Count(s); ++i) {
            NMLISTVIEW each{};
            each.iItem = i;
            each.lParam = s.items[i].lParam;
            Notify(s, LVN_DELETEITEM, &each.hdr);
        }
    }
    s.items.clear();
    s.odStates.clear();
    s.focus = s.anchor = -1;
    s.top = 0;
    s.cacheFrom = s.cacheTo = -1;
    if (s.redraw) {
        UpdateLayout(s);
        InvalidateRect(s.hwnd, nullptr, TRUE);
    }
    return TRUE;
}

LRESULT SetItemCount(State& s, int count) {
    if (count < 0) return FALSE;
    if (!OwnerData(s)) {
        s.items.reserve(static_cast<size_t>(count));
        return TRUE;
    }
    s.odStates.resize(static_cast<size_t>(count), 0);
    if (s.focus >= count) s.focus = -1;
    if (s.anchor >= count) s.anchor = -1;
    s.cacheFrom = s.cacheTo = -1;
    if (s.redraw) {
        UpdateLayout(s);
        ScrollTo(s, s.top);
        InvalidateRect(s.hwnd, nullptr, TRUE);
    }
    return TRUE;
}

bool SetState(State& s, int item, UINT state, UINT mask) {
    if (item < 0) {
        if (OwnerData(s)) {
            // One notice for all items.
            UINT unionOld = 0;
            for (UINT& st : s.odStates) {
                unionOld |= st;
                st = (st & ~mask) | (state & mask);
            }
            if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED)) s.focus = -1;
            NMLISTVIEW nm = ChangeNotice(s, -1, unionOld & mask, state & mask);
            nm.iItem = -1;
            Notify(s, LVN_ITEMCHANGED, &nm.hdr);
            if (s.redraw) InvalidateRect(s.hwnd, nullptr, TRUE);
            return true;
        }
        bool all = true;
        for (int i = 0; i < Count(s); ++i) {
            UINT m = mask;
            if (state & LVIS_FOCUSED) m &= ~LVIS_FOCUSED;  // one item at most has the focus
            all = SetState(s, i, state, m) && all;
        }
        return all;
    }
    if (!Valid(s, item)) return false;
    if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && SingleSel(s)) {
        // One selected item at most: the others lose it first.
        for (int other = GetNextItem(s, -1, LVNI_SELECTED); other >= 0;
             other = GetNextItem(s, other, LVNI_SELECTED)) {
            if (other != item) SetState(s, other, 0, LVIS_SELECTED);
        }
        if (!Valid(s, item)) return false;
    }
    const UINT oldState = ItemState(s, item);
    const UINT newState = (oldState & ~mask) | (state & mask);
    if (newState == oldState) return true;
    if ((newState & LVIS_FOCUSED) && !(oldState & LVIS_FOCUSED) && s.focus >= 0 && s.focus != item) {
        SetState(s, s.focus, 0, LVIS_FOCUSED);
        if (!Valid(s, item)) return false;
    }
    NMLISTVIEW nm = ChangeNotice(s, item, oldState, newState);
    if (!OwnerData(s) && Notify(s, LVN_ITEMCHANGING, &nm.hdr) != 0) return false;
    if (!Valid(s, item)) return false;
    StateRef(s, item) = newState;
    if (newState & LVIS_FOCUSED) {
        s.focus = item;
    } else if (s.focus == item) {
        s.focus = -1;
    }
    nm = ChangeNotice(s, item, oldState, newState);
    Notify(s, LVN_ITEMCHANGED, &nm.hdr);
    if (s.redraw) InvalidateItems(s, item, item);
    return true;
}

void SelectRange(State& s, int first, int last) {
    if (first > last) std::swap(first, last);
    const int count = Count(s);
    if (OwnerData(s)) {
        // Deselect what lies outside, one notice per item; then the range
        // as one owner-data notice.
        bool outside = false;
        for (int i = 0; i < count; ++i) {
            if ((i < first || i > last) && (s.odStates[i] & LVIS_SELECTED)) outside = true;
        }
        if (outside) {
            if (first < 0) {
                SetState(s, -1, 0, LVIS_SELECTED);
                return;
            }
            for (int i = 0; i < count; ++i) {
                if ((i < first || i > last) && (s.odStates[i] & LVIS_SELECTED)) SetState(s, i, 0, LVIS_SELECTED);
            }
        }
        if (first < 0) return;
        last = std::min(last, Count(s) - 1);
        if (first == last) {
            SetState(s, first, LVIS_SELECTED, LVIS_SELECTED);
            return;
        }
        bool any = false;
        for (int i = first; i <= last; ++i) {
            if (!(s.odStates[i] & LVIS_SELECTED)) any = true;
            s.odStates[i] |= LVIS_SELECTED;
        }
        if (any) {
            NMLVODSTATECHANGE nm{};
            nm.iFrom = first;
            nm.iTo = last;
            nm.uNewState = LVIS_SELECTED;
            nm.uOldState = 0;
            Notify(s, LVN_ODSTATECHANGED, &nm.hdr);
            if (s.redraw) InvalidateItems(s, first, last);
        }
        return;
    }
    for (int i = GetNextItem(s, -1, LVNI_SELECTED); i >= 0; i = GetNextItem(s, i, LVNI_SELECTED)) {
        if (i < first || i > last) SetState(s, i, 0, LVIS_SELECTED);
    }
    if (first < 0) return;
    for (int i = first; i <= last && i < Count(s); ++i) SetState(s, i, LVIS_SELECTED, LVIS_SELECTED);
}

void SetFocusItem(State& s, int item) {
    if (item >= 0) {
        SetState(s, item, LVIS_FOCUSED, LVIS_FOCUSED);
    } else if (s.focus >= 0) {
        SetState(s, s.focus, 0, LVIS_FOCUSED);
    }
}

LRESULT GetNextItem(const State& s, int start, UINT flags) {
    const int count = Count(s);
    const UINT want = (flags & LVNI_FOCUSED ? LVIS_FOCUSED : 0) | (flags & LVNI_SELECTED ? LVIS_SELECTED : 0) |
                      (flags & LVNI_CUT ? LVIS_CUT : 0) | (flags & LVNI_DROPHILITED ? LVIS_DROPHILITED : 0);
    auto fits = [&](int i) { return (ItemState(s, i) & want) == want; };
    if (flags & (LVNI_ABOVE | LVNI_TOLEFT)) {
        for (int i = (start < 0 ? count : start) - 1; i >= 0; --i) {
            if (fits(i)) return i;
        }
        return -1;
    }
    if (want == LVIS_FOCUSED && !(flags & (LVNI_BELOW | LVNI_TORIGHT))) {
        return s.focus > start ? s.focus : -1;
    }
    for (int i = start + 1; i < count; ++i) {
        if (fits(i)) return i;
    }
    return -1;
}

int SelectedCount(const State& s) {
    int n = 0;
    for (int i = 0; i < Count(s); ++i) {
        if (ItemState(s, i) & LVIS_SELECTED) ++n;
    }
    return n;
}

LRESULT SortItems(State& s, LPARAM context, PFNLVCOMPARE compare) {
    if (compare == nullptr || OwnerData(s)) return FALSE;
    const size_t n = s.items.size();
    // The items stay where they are while the parent's function runs (it
    // may read them by index).
    std::vector<LPARAM> params(n);
    for (size_t i = 0; i < n; ++i) params[i] = s.items[i].lParam;
    const std::vector<size_t> order =
        StableOrder(n, [&](size_t a, size_t b) { return compare(params[a], params[b], context); });
    if (s.items.size() != n) return FALSE;  // the function changed the list
    std::vector<Item> sorted;
    sorted.reserve(n);
    std::vector<int> newIndex(n);
    for (size_t i = 0; i < n; ++i) {
        newIndex[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(s.items[order[i]]));
    }
    s.items.swap(sorted);
    if (s.focus >= 0) s.focus = newIndex[s.focus];
    if (s.anchor >= 0) s.anchor = newIndex[s.anchor];
    if (s.redraw) InvalidateRect(s.hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT FindItem(State& s, int start, const LVFINDINFOA* info) {
    if (info == nullptr) return -1;
    const int count = Count(s);
    const int first = start + 1;
    const int passes = (info->flags & LVFI_WRAP) ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int from = pass == 0 ? first : 0;
        const int to = pass == 0 ? count : std::min(first, count);
        for (int i = from; i < to; ++i) {
            if (info->flags & LVFI_PARAM) {
                if (ItemParam(s, i) == info->lParam) return i;
            } else if ((info->flags & (LVFI_STRING | LVFI_PARTIAL)) && info->psz != nullptr) {
                const std::string text = ItemText(s, i, 0);
                const size_t len = std::strlen(info->psz);
                if ((info->flags & LVFI_PARTIAL) ? strncasecmp(text.c_str(), info->psz, len) == 0
                                                 : strcasecmp(text.c_str(), info->psz) == 0) {
                    return i;
                }
            }
        }
    }
    return -1;
}

}  // namespace trelwin::commctrl::listview
