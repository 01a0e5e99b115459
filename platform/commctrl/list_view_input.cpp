// The list view under the mouse and the keyboard: clicks that select with
// Ctrl and Shift, the click notifications, keyboard navigation, scroll bars
// and the wheel.
#include <algorithm>
#include <cstdlib>

#include "platform/commctrl/list_view_internal.h"

namespace trelwin::commctrl::listview {

namespace {

bool KeyDown(int vk) { return GetKeyState(vk) < 0; }

UINT KeyFlags() {
    return (KeyDown(VK_MENU) ? LVKF_ALT : 0) | (KeyDown(VK_CONTROL) ? LVKF_CONTROL : 0) |
           (KeyDown(VK_SHIFT) ? LVKF_SHIFT : 0);
}

void Activate(State& s, UINT code, int item, int subItem, POINT pt) {
    NMITEMACTIVATE nm{};
    nm.iItem = item;
    nm.iSubItem = subItem;
    nm.ptAction = pt;
    nm.uKeyFlags = KeyFlags();
    if (item >= 0 && !OwnerData(s)) nm.lParam = ItemParam(s, item);
    Notify(s, code, &nm.hdr);
}

// The selection a click (or a key) makes on an item: alone, toggled with
// Ctrl, or the range from the anchor with Shift.
void Choose(State& s, int item, bool ctrl, bool shift) {
    const bool multi = !SingleSel(s);
    if (multi && shift && s.anchor >= 0) {
        if (ctrl) {
            for (int i = std::min(s.anchor, item); i <= std::max(s.anchor, item); ++i) {
                SetState(s, i, LVIS_SELECTED, LVIS_SELECTED);
            }
        } else {
            SelectRange(s, s.anchor, item);
        }
        SetFocusItem(s, item);
    } else if (multi && ctrl) {
        SetState(s, item, (ItemState(s, item) & LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
        SetFocusItem(s, item);
        s.anchor = item;
    } else {
        SelectRange(s, item, item);
        SetFocusItem(s, item);
        s.anchor = item;
    }
    EnsureVisible(s, item, false);
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace

LRESULT OnMouse(State& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT pt = PointOf(lParam);
    const bool ctrl = (wParam & MK_CONTROL) != 0;
    const bool shift = (wParam & MK_SHIFT) != 0;
    HWND hwnd = s.hwnd;
    LVHITTESTINFO hit{};
    hit.pt = pt;
    HitTest(s, &hit, true);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        if (StateOf(hwnd) != &s) return 0;
        if (hit.iItem >= 0) {
            if (msg != WM_RBUTTONDOWN || !(ItemState(s, hit.iItem) & LVIS_SELECTED)) {
                Choose(s, hit.iItem, msg == WM_RBUTTONDOWN ? false : ctrl, msg == WM_RBUTTONDOWN ? false : shift);
            } else {
                SetFocusItem(s, hit.iItem);
            }
        } else if (!ctrl && !shift) {
            SelectRange(s, -1, -1);
        }
        if (StateOf(hwnd) != &s) return 0;
        if (msg == WM_LBUTTONDOWN) {
            s.leftDown = true;
            s.downItem = hit.iItem;
            s.downSubItem = hit.iSubItem;
            s.downPoint = pt;
            SetCapture(hwnd);
        } else if (msg == WM_LBUTTONDBLCLK) {
            s.leftDown = false;
            Activate(s, NM_DBLCLK, hit.iItem, hit.iSubItem, pt);
            if (StateOf(hwnd) == &s && hit.iItem >= 0) Activate(s, LVN_ITEMACTIVATE, hit.iItem, hit.iSubItem, pt);
        }
        return 0;
    case WM_LBUTTONUP:
        if (s.leftDown) {
            s.leftDown = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            Activate(s, NM_CLICK, s.downItem, s.downSubItem, s.downPoint);
        }
        return 0;
    case WM_RBUTTONUP:
        Activate(s, NM_RCLICK, hit.iItem, hit.iSubItem, pt);
        return -1;  // the default handling follows (the context menu)
    default:
        return 0;
    }
}

LRESULT OnKeyDown(State& s, WPARAM key) {
    HWND hwnd = s.hwnd;
    NMLVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    Notify(s, LVN_KEYDOWN, &nm.hdr);
    if (StateOf(hwnd) != &s) return 0;
    const int count = Count(s);
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    const int page = std::max(1, CountPerPage(s));
    const int focus = s.focus;
    int next = -1;
    switch (key) {
    case VK_UP:
        next = focus < 0 ? 0 : focus - 1;
        break;
    case VK_DOWN:
        next = focus < 0 ? 0 : focus + 1;
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = count - 1;
        break;
    case VK_PRIOR:
        next = focus <= s.top ? focus - page + 1 : s.top;
        if (focus < 0) next = 0;
        break;
    case VK_NEXT: {
        const int bottom = s.top + page - 1;
        next = focus < 0 ? 0 : (focus >= bottom ? focus + page - 1 : bottom);
        break;
    }
    case VK_SPACE:
        if (focus >= 0) {
            if (ctrl && !SingleSel(s)) {
                SetState(s, focus, (ItemState(s, focus) & LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
            } else if (!(ItemState(s, focus) & LVIS_SELECTED)) {
                Choose(s, focus, false, shift);
            }
        }
        return 0;
    case VK_LEFT:
        ScrollHorizontally(s, s.scrollX - TextWidth(s, "0") * 3);
        return 0;
    case VK_RIGHT:
        ScrollHorizontally(s, s.scrollX + TextWidth(s, "0") * 3);
        return 0;
    default:
        return 0;
    }
    if (count == 0) return 0;
    next = std::clamp(next, 0, count - 1);
    if (ctrl && !shift && !SingleSel(s)) {
        // Ctrl moves only the focus.
        SetFocusItem(s, next);
        EnsureVisible(s, next, false);
    } else {
        Choose(s, next, false, shift);
    }
    return 0;
}

LRESULT OnScroll(State& s, UINT msg, WPARAM wParam) {
    const bool vertical = msg == WM_VSCROLL;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(s.hwnd, vertical ? SB_VERT : SB_HORZ, &si);
    const int line = vertical ? 1 : TextWidth(s, "0") * 3;
    const int page = vertical ? std::max(1, CountPerPage(s)) : std::max(1, static_cast<int>(si.nPage));
    int pos = vertical ? s.top : s.scrollX;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        pos -= line;
        break;
    case SB_LINEDOWN:
        pos += line;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return 0;
    }
    if (vertical) {
        ScrollTo(s, pos);
    } else {
        ScrollHorizontally(s, pos);
    }
    return 0;
}

LRESULT OnWheel(State& s, WPARAM wParam) {
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    s.wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
    const int steps = s.wheelRest / WHEEL_DELTA;
    s.wheelRest -= steps * WHEEL_DELTA;
    if (steps != 0) ScrollTo(s, s.top - steps * static_cast<int>(lines));
    return 0;
}

}  // namespace trelwin::commctrl::listview
