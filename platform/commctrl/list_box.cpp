// The list box: a vertical list of texts with item data, one selected item,
// a caret item that shows the focus rectangle, scrolling by the window's
// vertical scroll bar, the wheel and the keyboard.
#include "platform/commctrl/list_box.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/item_control_support.h"

namespace trelwin::commctrl {

namespace {

using items::CompareNoCase;
using items::StartsWithNoCase;

struct ListItem {
    std::string text;
    ULONG_PTR data = 0;
};

struct ListBoxState {
    std::vector<ListItem> items;
    int selected = -1;
    int caret = 0;
    int top = 0;
    int itemHeight = 13;
    HFONT font = nullptr;
    bool focused = false;
    bool tracking = false;  // the left button went down inside and is held
    int wheelRest = 0;      // wheel movement short of one line
    bool scrollBar = false;  // created with WS_VSCROLL (the bit goes while the bar is hidden)
};

ListBoxState* State(HWND hwnd) { return items::StateOf<ListBoxState>(hwnd); }

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }

int ClientHeight(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc.bottom - rc.top;
}

// Items that fit wholly in the client area (at least one).
int PageSize(HWND hwnd, const ListBoxState& s) { return std::max(1, ClientHeight(hwnd) / s.itemHeight); }

int Count(const ListBoxState& s) { return static_cast<int>(s.items.size()); }

int MaxTop(HWND hwnd, const ListBoxState& s) { return std::max(0, Count(s) - PageSize(hwnd, s)); }

void UpdateScrollBar(HWND hwnd, const ListBoxState& s) {
    if (!s.scrollBar) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (Style(hwnd) & LBS_DISABLENOSCROLL) si.fMask |= SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, Count(s) - 1);
    si.nPage = static_cast<UINT>(PageSize(hwnd, s));
    si.nPos = s.top;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

RECT ItemRect(HWND hwnd, const ListBoxState& s, int index) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.top = (index - s.top) * s.itemHeight;
    rc.bottom = rc.top + s.itemHeight;
    return rc;
}

void RedrawItem(HWND hwnd, const ListBoxState& s, int index) {
    if (index < 0 || index >= Count(s)) return;
    RECT rc = ItemRect(hwnd, s, index);
    InvalidateRect(hwnd, &rc, TRUE);
}

void SetTop(HWND hwnd, ListBoxState& s, int top) {
    top = std::clamp(top, 0, MaxTop(hwnd, s));
    if (top == s.top) return;
    s.top = top;
    UpdateScrollBar(hwnd, s);
    Redraw(hwnd);
}

void EnsureVisible(HWND hwnd, ListBoxState& s, int index) {
    if (index < 0) return;
    const int page = PageSize(hwnd, s);
    if (index < s.top) {
        SetTop(hwnd, s, index);
    } else if (index >= s.top + page) {
        SetTop(hwnd, s, index - page + 1);
    }
}

void SetCaret(HWND hwnd, ListBoxState& s, int index) {
    if (index == s.caret) return;
    RedrawItem(hwnd, s, s.caret);
    s.caret = index;
    RedrawItem(hwnd, s, s.caret);
}

// Selects an item (or none with -1) and moves the caret to it; true when
// the selection changed.
bool Select(HWND hwnd, ListBoxState& s, int index) {
    if (index >= 0) SetCaret(hwnd, s, index);
    if (index == s.selected) return false;
    RedrawItem(hwnd, s, s.selected);
    s.selected = index;
    RedrawItem(hwnd, s, s.selected);
    return true;
}

// A selection made by the user: scrolled into view and announced.
void SelectByUser(HWND hwnd, ListBoxState& s, int index) {
    if (Count(s) == 0) return;
    index = std::clamp(index, 0, Count(s) - 1);
    EnsureVisible(hwnd, s, index);
    if (Select(hwnd, s, index) && (Style(hwnd) & LBS_NOTIFY)) items::SendCommand(hwnd, LBN_SELCHANGE);
}

bool SortsItself(HWND hwnd) {
    const DWORD style = Style(hwnd);
    return (style & LBS_SORT) != 0 &&
           ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0 || (style & LBS_HASSTRINGS) != 0);
}

int Insert(HWND hwnd, ListBoxState& s, int index, const char* text) {
    ListItem item;
    item.text = text != nullptr ? text : "";
    if (index < 0 || index > Count(s)) index = Count(s);
    s.items.insert(s.items.begin() + index, std::move(item));
    if (s.selected >= index) ++s.selected;
    if (s.caret >= index && Count(s) > 1) ++s.caret;
    UpdateScrollBar(hwnd, s);
    Redraw(hwnd);
    return index;
}

int SortedPosition(const ListBoxState& s, const char* text) {
    // After the items that sort equal, so equal texts keep their order of arrival.
    auto it = std::upper_bound(s.items.begin(), s.items.end(), text, [](const char* t, const ListItem& item) {
        return CompareNoCase(t, item.text.c_str()) < 0;
    });
    return static_cast<int>(it - s.items.begin());
}

int Delete(HWND hwnd, ListBoxState& s, int index) {
    if (index < 0 || index >= Count(s)) return LB_ERR;
    s.items.erase(s.items.begin() + index);
    if (s.selected == index) {
        s.selected = -1;
    } else if (s.selected > index) {
        --s.selected;
    }
    if (s.caret > index || s.caret >= Count(s)) s.caret = std::max(0, s.caret - 1);
    s.top = std::clamp(s.top, 0, MaxTop(hwnd, s));
    UpdateScrollBar(hwnd, s);
    Redraw(hwnd);
    return Count(s);
}

// Searches from the item after `start` round to `start` itself (-1: from the top).
int Find(const ListBoxState& s, int start, const char* text, bool exact) {
    const int n = Count(s);
    if (n == 0 || text == nullptr) return LB_ERR;
    if (start < -1 || start >= n) start = -1;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        const char* t = s.items[i].text.c_str();
        if (exact ? CompareNoCase(t, text) == 0 : StartsWithNoCase(t, text)) return i;
    }
    return LB_ERR;
}

int ItemFromPoint(const ListBoxState& s, int y, bool* outside, int clientHeight) {
    const int n = Count(s);
    *outside = y < 0 || y >= clientHeight;
    if (n == 0) {
        *outside = true;
        return 0;
    }
    int index = y < 0 ? s.top - 1 + (y + 1) / s.itemHeight : s.top + y / s.itemHeight;
    if (index >= n) *outside = true;
    return std::clamp(index, 0, n - 1);
}

void Paint(HWND hwnd, ListBoxState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HGDIOBJ oldFont = SelectObject(dc, s.font != nullptr ? s.font : items::DefaultFont());
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    HBRUSH brush = nullptr;
    if (HWND target = items::NotifyTarget(hwnd)) {
        brush = reinterpret_cast<HBRUSH>(
            SendMessageA(target, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    }
    if (brush == nullptr) brush = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &client, brush);
    const COLORREF text = GetTextColor(dc);
    SetBkMode(dc, TRANSPARENT);
    const int last = std::min(Count(s), s.top + ClientHeight(hwnd) / s.itemHeight + 1);
    for (int i = s.top; i < last; ++i) {
        RECT rc = ItemRect(hwnd, s, i);
        if (i == s.selected) {
            FillSolidRect(dc, &rc, GetSysColor(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, text);
        }
        RECT textRect = rc;
        textRect.left += 2;
        const std::string& t = s.items[i].text;
        DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT | DT_EXPANDTABS);
        if (s.focused && i == s.caret) DrawFocusRect(dc, &rc);
    }
    if (s.focused && Count(s) == 0) {
        RECT rc = ItemRect(hwnd, s, 0);
        DrawFocusRect(dc, &rc);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void OnVScroll(HWND hwnd, ListBoxState& s, int code) {
    const int page = PageSize(hwnd, s);
    switch (code) {
    case SB_LINEUP: SetTop(hwnd, s, s.top - 1); break;
    case SB_LINEDOWN: SetTop(hwnd, s, s.top + 1); break;
    case SB_PAGEUP: SetTop(hwnd, s, s.top - std::max(1, page - 1)); break;
    case SB_PAGEDOWN: SetTop(hwnd, s, s.top + std::max(1, page - 1)); break;
    case SB_TOP: SetTop(hwnd, s, 0); break;
    case SB_BOTTOM: SetTop(hwnd, s, MaxTop(hwnd, s)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd, SB_VERT, &si);
        SetTop(hwnd, s, si.nTrackPos);
        break;
    }
    default: break;
    }
}

void OnKey(HWND hwnd, ListBoxState& s, UINT vk) {
    const int n = Count(s);
    if (n == 0) return;
    const int page = PageSize(hwnd, s);
    const int from = s.selected >= 0 ? s.caret : -1;
    switch (vk) {
    case VK_UP: SelectByUser(hwnd, s, from < 0 ? 0 : from - 1); break;
    case VK_DOWN: SelectByUser(hwnd, s, from + 1); break;
    case VK_PRIOR: SelectByUser(hwnd, s, std::max(0, from) - std::max(1, page - 1)); break;
    case VK_NEXT: SelectByUser(hwnd, s, std::max(0, from) + std::max(1, page - 1)); break;
    case VK_HOME: SelectByUser(hwnd, s, 0); break;
    case VK_END: SelectByUser(hwnd, s, n - 1); break;
    default: break;
    }
}

// A typed character selects the next item that begins with it.
void OnChar(HWND hwnd, ListBoxState& s, char c) {
    if (static_cast<unsigned char>(c) < ' ') return;
    const char prefix[2] = {c, '\0'};
    const int found = Find(s, s.selected >= 0 ? s.caret : -1, prefix, false);
    if (found != LB_ERR) SelectByUser(hwnd, s, found);
}

// A press below the last item chooses nothing; dragging there (or out of
// the window) chooses the nearest item, scrolling it into view.
void OnMouseSelect(HWND hwnd, ListBoxState& s, LPARAM lParam, bool press) {
    bool outside = false;
    const int y = GET_Y_LPARAM(lParam);
    const int index = ItemFromPoint(s, y, &outside, ClientHeight(hwnd));
    if (Count(s) == 0) return;
    if (press && outside) return;
    SelectByUser(hwnd, s, index);
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* state = new ListBoxState;
        state->itemHeight = items::FontLineHeight(nullptr);
        state->scrollBar = (reinterpret_cast<CREATESTRUCTA*>(lParam)->style & WS_VSCROLL) != 0;
        items::SetState(hwnd, state);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    ListBoxState* s = State(hwnd);
    if (s == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCDESTROY:
        items::SetState<ListBoxState>(hwnd, nullptr);
        delete s;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CREATE: {
        RECT window;
        GetWindowRect(hwnd, &window);
        // Passes the size through WM_WINDOWPOSCHANGING below.
        SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateScrollBar(hwnd, *s);
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        // Without LBS_NOINTEGRALHEIGHT the box shows whole items only.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if ((Style(hwnd) & LBS_NOINTEGRALHEIGHT) == 0 && (pos->flags & SWP_NOSIZE) == 0) {
            RECT window, client;
            GetWindowRect(hwnd, &window);
            GetClientRect(hwnd, &client);
            const int frame = (window.bottom - window.top) - client.bottom;
            const int inside = pos->cy - frame;
            if (inside > s->itemHeight) pos->cy = frame + inside - inside % s->itemHeight;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_SIZE:
        s->top = std::clamp(s->top, 0, MaxTop(hwnd, *s));
        UpdateScrollBar(hwnd, *s);
        Redraw(hwnd);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(hwnd, *s); return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        s->itemHeight = items::FontLineHeight(s->font);
        s->top = std::clamp(s->top, 0, MaxTop(hwnd, *s));
        UpdateScrollBar(hwnd, *s);
        if (LOWORD(lParam)) Redraw(hwnd);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        s->focused = true;
        RedrawItem(hwnd, *s, Count(*s) > 0 ? s->caret : 0);
        if (Count(*s) == 0) Redraw(hwnd);
        if (Style(hwnd) & LBS_NOTIFY) items::SendCommand(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        Redraw(hwnd);
        if (Style(hwnd) & LBS_NOTIFY) items::SendCommand(hwnd, LBN_KILLFOCUS);
        return 0;
    case WM_ENABLE: Redraw(hwnd); return 0;
    case WM_VSCROLL: OnVScroll(hwnd, *s, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        lines = std::clamp<UINT>(lines, 1, static_cast<UINT>(std::max(1, PageSize(hwnd, *s) - 1)));
        s->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = s->wheelRest / WHEEL_DELTA;
        s->wheelRest -= notches * WHEEL_DELTA;
        SetTop(hwnd, *s, s->top - notches * static_cast<int>(lines));
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        s->tracking = true;
        SetCapture(hwnd);
        OnMouseSelect(hwnd, *s, lParam, true);
        return 0;
    case WM_MOUSEMOVE:
        if (s->tracking) OnMouseSelect(hwnd, *s, lParam, false);
        return 0;
    case WM_LBUTTONUP:
        if (s->tracking) {
            s->tracking = false;
            if (GetCapture() == hwnd) ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: s->tracking = false; return 0;
    case WM_LBUTTONDBLCLK: {
        bool outside = false;
        const int index = ItemFromPoint(*s, GET_Y_LPARAM(lParam), &outside, ClientHeight(hwnd));
        if (!outside) {
            SelectByUser(hwnd, *s, index);
            if (Style(hwnd) & LBS_NOTIFY) items::SendCommand(hwnd, LBN_DBLCLK);
        }
        return 0;
    }
    case WM_KEYDOWN: OnKey(hwnd, *s, static_cast<UINT>(wParam)); return 0;
    case WM_CHAR: OnChar(hwnd, *s, static_cast<char>(wParam)); return 0;

    case LB_ADDSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        return Insert(hwnd, *s, SortsItself(hwnd) ? SortedPosition(*s, text ? text : "") : Count(*s), text);
    }
    case LB_INSERTSTRING: {
        const int index = static_cast<int>(wParam);
        if (index > Count(*s)) return LB_ERR;
        return Insert(hwnd, *s, index, reinterpret_cast<const char*>(lParam));
    }
    case LB_DELETESTRING: return Delete(hwnd, *s, static_cast<int>(wParam));
    case LB_RESETCONTENT:
        s->items.clear();
        s->selected = -1;
        s->caret = 0;
        s->top = 0;
        UpdateScrollBar(hwnd, *s);
        Redraw(hwnd);
        return LB_OKAY;
    case LB_GETCOUNT: return Count(*s);
    case LB_GETTEXT: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s) || lParam == 0) return LB_ERR;
        const std::string& t = s->items[index].text;
        std::memcpy(reinterpret_cast<char*>(lParam), t.c_str(), t.size() + 1);
        return static_cast<LRESULT>(t.size());
    }
    case LB_GETTEXTLEN: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s)) return LB_ERR;
        return static_cast<LRESULT>(s->items[index].text.size());
    }
    case LB_SETITEMDATA: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s)) return LB_ERR;
        s->items[index].data = static_cast<ULONG_PTR>(lParam);
        return LB_OKAY;
    }
    case LB_GETITEMDATA: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s)) return LB_ERR;
        return static_cast<LRESULT>(s->items[index].data);
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return Find(*s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), msg == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
        const int found = Find(*s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), false);
        if (found == LB_ERR) return LB_ERR;
        Select(hwnd, *s, found);
        EnsureVisible(hwnd, *s, found);
        return found;
    }
    case LB_SETCURSEL: {
        const int index = static_cast<int>(wParam);
        if (index < -1 || index >= Count(*s)) return LB_ERR;
        Select(hwnd, *s, index);
        EnsureVisible(hwnd, *s, index);
        return index < 0 ? LB_ERR : index;
    }
    case LB_GETCURSEL: return s->selected;
    case LB_GETSEL: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s)) return LB_ERR;
        return index == s->selected ? 1 : 0;
    }
    case LB_GETSELCOUNT:
    case LB_GETSELITEMS: return LB_ERR;  // single selection only
    case LB_GETCARETINDEX: return s->caret;
    case LB_SETCARETINDEX: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*s)) return LB_ERR;
        SetCaret(hwnd, *s, index);
        EnsureVisible(hwnd, *s, index);
        return LB_OKAY;
    }
    case LB_SETTOPINDEX: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || (index >= Count(*s) && index != 0)) return LB_ERR;
        SetTop(hwnd, *s, index);
        return LB_OKAY;
    }
    case LB_GETTOPINDEX: return s->top;
    case LB_GETITEMHEIGHT: return s->itemHeight;
    case LB_SETITEMHEIGHT: {
        const int height = LOWORD(lParam);
        if (height <= 0 || height > 255) return LB_ERR;
        s->itemHeight = height;
        UpdateScrollBar(hwnd, *s);
        Redraw(hwnd);
        return LB_OKAY;
    }
    case LB_GETITEMRECT: {
        const int index = static_cast<int>(wParam);
        if (lParam == 0 || index < 0 || (index >= Count(*s) && !(index == 0 && Count(*s) == 0))) return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, *s, index);
        return 1;
    }
    case LB_ITEMFROMPOINT: {
        bool outside = false;
        const int index = ItemFromPoint(*s, GET_Y_LPARAM(lParam), &outside, ClientHeight(hwnd));
        RECT rc;
        GetClientRect(hwnd, &rc);
        const int x = GET_X_LPARAM(lParam);
        if (x < rc.left || x >= rc.right) outside = true;
        return MAKELONG(index, outside ? 1 : 0);
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterListBoxClass() { RegisterControl(WC_LISTBOXA, ListBoxProc, IDC_ARROW); }

ControlClass g_listBoxClass(&RegisterListBoxClass);

}  // namespace

}  // namespace trelwin::commctrl
