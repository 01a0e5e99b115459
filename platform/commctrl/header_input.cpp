// The header under the mouse: dragging dividers, pressing and clicking
// items, dragging items into another order.
#include <algorithm>
#include <cstdlib>

#include "platform/commctrl/header_internal.h"

namespace trelwin::commctrl::header {

namespace {

DWORD Style(const State& s) { return static_cast<DWORD>(GetWindowLongPtrA(s.hwnd, GWL_STYLE)); }

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// Without full drag the width follows the cursor as an inverted line; the
// item changes only when the button is released.
void ToggleLine(State& s, int x) {
    if (x < 0) return;
    HDC dc = GetDC(s.hwnd);
    RECT client;
    GetClientRect(s.hwnd, &client);
    RECT line{x, 0, x + 1, client.bottom};
    InvertRect(dc, &line);
    ReleaseDC(s.hwnd, dc);
}

void EndCapture(State& s) {
    s.mode = Mode::None;
    if (GetCapture() == s.hwnd) ReleaseCapture();
}

bool StillThere(State& s, int index) {
    return StateOf(s.hwnd) == &s && index >= 0 && index < static_cast<int>(s.items.size());
}

void SetWidth(State& s, int width) {
    HDITEMA change{};
    change.mask = HDI_WIDTH;
    change.cxy = width;
    ChangeItem(s, s.active, change);
}

void BeginTrack(State& s, int index, POINT pt) {
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = s.items[index].width;
    if (Notify(s, HDN_BEGINTRACKA, index, 0, &item) != 0) return;
    if (!StillThere(s, index)) return;
    s.mode = Mode::Tracking;
    s.active = index;
    s.startWidth = s.items[index].width;
    s.trackWidth = s.startWidth;
    s.trackOffset = pt.x - (ItemLeft(s, index) + s.startWidth);
    s.lineX = -1;
    SetCapture(s.hwnd);
    SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
}

void Track(State& s, POINT pt) {
    SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
    const int width = std::max(0, pt.x - s.trackOffset - ItemLeft(s, s.active));
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    const int index = s.active;
    if (Notify(s, HDN_TRACKA, index, 0, &item) != 0) {
        // The parent ends the tracking here, as if the button came up.
        if (!StillThere(s, index)) return;
        s.trackWidth = width;
        OnMouse(s, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        return;
    }
    if (!StillThere(s, index)) return;
    s.trackWidth = width;
    if (Style(s) & HDS_FULLDRAG) {
        SetWidth(s, width);
    } else {
        ToggleLine(s, s.lineX);
        s.lineX = ItemLeft(s, index) + width;
        ToggleLine(s, s.lineX);
    }
}

void EndTrack(State& s, bool cancelled) {
    const int index = s.active;
    ToggleLine(s, s.lineX);
    s.lineX = -1;
    EndCapture(s);
    const int width = cancelled ? s.startWidth : s.trackWidth;
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    Notify(s, HDN_ENDTRACKA, index, 0, &item);
    if (!StillThere(s, index)) return;
    s.active = index;
    if (s.items[index].width != width) SetWidth(s, width);
    s.active = -1;
}

// The display position the dragged item takes when dropped at x: the gap
// between two items nearest to x, counted without the item itself.
int DropPosition(const State& s, int x) {
    int left = 0;
    int gap = 0;
    const int count = static_cast<int>(s.order.size());
    while (gap < count && x >= left + s.items[s.order[gap]].width / 2) {
        left += s.items[s.order[gap]].width;
        ++gap;
    }
    const int current = static_cast<int>(std::find(s.order.begin(), s.order.end(), s.active) - s.order.begin());
    return gap > current ? gap - 1 : gap;
}

void EndDrag(State& s, bool cancelled) {
    const int index = s.active;
    const int position = std::min(s.dropOrder, static_cast<int>(s.order.size()) - 1);
    EndCapture(s);
    s.active = -1;
    s.pressed = false;
    InvalidateRect(s.hwnd, nullptr, TRUE);
    if (cancelled || position < 0) return;
    HDITEMA item{};
    item.mask = HDI_ORDER;
    item.iOrder = position;
    if (Notify(s, HDN_ENDDRAG, index, 0, &item) != 0) return;
    if (StillThere(s, index)) MoveToOrder(s, index, position);
}

}  // namespace

LRESULT OnMouse(State& s, UINT msg, WPARAM, LPARAM lParam) {
    const POINT pt = PointOf(lParam);
    const DWORD style = Style(s);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (s.mode != Mode::None) return 0;
        UINT flags = 0;
        const int index = HitTest(s, pt, &flags);
        if (index < 0) return 0;
        if (flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) {
            if (msg == WM_LBUTTONDBLCLK) {
                Notify(s, HDN_DIVIDERDBLCLICKA, index, 0, nullptr);
                return 0;
            }
            BeginTrack(s, index, pt);
            return 0;
        }
        if (msg == WM_LBUTTONDBLCLK) {
            Notify(s, HDN_ITEMDBLCLICKA, index, 0, nullptr);
            return 0;
        }
        if (!(style & (HDS_BUTTONS | HDS_DRAGDROP))) return 0;
        s.mode = Mode::Pressing;
        s.active = index;
        s.down = pt;
        s.pressed = (style & HDS_BUTTONS) != 0;
        SetCapture(s.hwnd);
        InvalidateRect(s.hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s.mode == Mode::Tracking) {
            Track(s, pt);
        } else if (s.mode == Mode::Pressing) {
            if ((style & HDS_DRAGDROP) && (std::abs(pt.x - s.down.x) > GetSystemMetrics(SM_CXDRAG) ||
                                           std::abs(pt.y - s.down.y) > GetSystemMetrics(SM_CYDRAG))) {
                const int index = s.active;
                if (Notify(s, HDN_BEGINDRAG, index, 0, nullptr) == 0 && StillThere(s, index) &&
                    s.mode == Mode::Pressing) {
                    s.mode = Mode::Dragging;
                    s.pressed = false;
                    s.dragX = pt.x;
                    s.dropOrder = DropPosition(s, pt.x);
                    InvalidateRect(s.hwnd, nullptr, TRUE);
                    return 0;
                }
            }
            const RECT r = ItemRect(s, s.active);
            const bool inside = PtInRect(&r, pt) != FALSE;
            if (inside != s.pressed && (style & HDS_BUTTONS)) {
                s.pressed = inside;
                InvalidateRect(s.hwnd, &r, TRUE);
            }
        } else if (s.mode == Mode::Dragging) {
            s.dragX = pt.x;
            s.dropOrder = DropPosition(s, pt.x);
            InvalidateRect(s.hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (s.mode == Mode::Tracking) {
            EndTrack(s, false);
        } else if (s.mode == Mode::Pressing) {
            const int index = s.active;
            const RECT r = ItemRect(s, index);
            const bool click = PtInRect(&r, pt) && (style & HDS_BUTTONS);
            EndCapture(s);
            s.active = -1;
            s.pressed = false;
            InvalidateRect(s.hwnd, nullptr, TRUE);
            if (click) Notify(s, HDN_ITEMCLICKA, index, 0, nullptr);
        } else if (s.mode == Mode::Dragging) {
            EndDrag(s, false);
        }
        return 0;
    case WM_RBUTTONUP: {
        HWND parent = GetParent(s.hwnd);
        if (parent == nullptr) return 0;
        NMHDR nm{s.hwnd, static_cast<UINT_PTR>(GetWindowLongPtrA(s.hwnd, GWLP_ID)), NM_RCLICK};
        SendMessageA(parent, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
        return 0;
    }
    default:
        return 0;
    }
}

bool OnSetCursor(State& s) {
    if (s.mode == Mode::Tracking) {
        SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
        return true;
    }
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(s.hwnd, &pt);
    UINT flags = 0;
    if (HitTest(s, pt, &flags) >= 0 && (flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN))) {
        SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
        return true;
    }
    return false;
}

void CancelMode(State& s) {
    switch (s.mode) {
    case Mode::Tracking:
        EndTrack(s, true);
        break;
    case Mode::Dragging:
        EndDrag(s, true);
        break;
    case Mode::Pressing:
        EndCapture(s);
        s.active = -1;
        s.pressed = false;
        InvalidateRect(s.hwnd, nullptr, TRUE);
        break;
    case Mode::None:
        break;
    }
}

}  // namespace trelwin::commctrl::header
