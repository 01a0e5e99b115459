#include "platform/user/geometry.h"

#include <algorithm>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/regions.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using trelwin::gdi::RegionData;

namespace {

RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

bool Contains(const RECT& r, POINT pt) { return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom; }

// Whether a point in the window's own coordinates lies inside its shape.
bool InsideShape(const CWindowNode& node, POINT windowPt) {
    return !node.shape || node.shape->contains(windowPt.x, windowPt.y);
}

RECT ScreenWindowRect(HWND hwnd) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) return RECT{};
    if (!node->parent) return node->window;
    const POINT origin = ClientOriginOnScreen(node->parent);
    return Offset(node->window, origin.x, origin.y);
}

bool IsDesktop(HWND hwnd) { return hwnd == nullptr || hwnd == GetDesktopWindow(); }

// Moves the window within its siblings; true when the order changed.
bool Restack(CWindowNode& node, HWND after) {
    std::vector<HWND>* siblings = nullptr;
    if (node.parent) {
        CWindowNode* parent = FindNode(node.parent);
        if (parent) siblings = &parent->children;
    } else if (!node.messageOnly) {
        siblings = &TopLevelOrder();
    }
    if (!siblings) return false;
    const std::vector<HWND> before = *siblings;
    siblings->erase(std::remove(siblings->begin(), siblings->end(), node.hwnd), siblings->end());
    const bool topLevel = node.parent == nullptr;
    auto isTopmost = [](HWND h) { return (ExStyleOf(h) & WS_EX_TOPMOST) != 0; };
    if (topLevel && after == HWND_TOPMOST) {
        SetWindowLongPtrA(node.hwnd, GWL_EXSTYLE, ExStyleOf(node.hwnd) | WS_EX_TOPMOST);
        after = HWND_TOP;
    } else if (topLevel && after == HWND_NOTOPMOST) {
        SetWindowLongPtrA(node.hwnd, GWL_EXSTYLE, ExStyleOf(node.hwnd) & ~static_cast<DWORD>(WS_EX_TOPMOST));
        after = HWND_TOP;
    }
    auto position = siblings->end();
    if (after == HWND_TOP) {
        position = siblings->begin();
        // Top-level windows that are not top-most stay below the top-most ones.
        if (topLevel && !isTopmost(node.hwnd)) {
            while (position != siblings->end() && isTopmost(*position)) ++position;
        }
    } else if (after == HWND_BOTTOM) {
        position = siblings->end();
    } else {
        auto found = std::find(siblings->begin(), siblings->end(), after);
        position = found == siblings->end() ? siblings->begin() : found + 1;
    }
    siblings->insert(position, node.hwnd);
    return before != *siblings;
}

// A top-level window went to its icon or came back: it hears so, and
// activation leaves it or (unless asked not to) returns to it.
void IconicChanged(HWND hwnd, UINT flags) {
    const bool iconic = (StyleOf(hwnd) & WS_MINIMIZE) != 0;
    RECT client{};
    GetClientRect(hwnd, &client);
    SendMessageA(hwnd, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    if (!IsWindow(hwnd)) return;
    if (iconic) {
        InputWindowMinimized(hwnd);
    } else if (!(flags & SWP_NOACTIVATE) && !(ExStyleOf(hwnd) & WS_EX_NOACTIVATE)) {
        SetActiveWindow(hwnd);
    }
}

}  // namespace

RECT WindowRectInTop(HWND hwnd) {
    RECT r{};
    CWindowNode* node = FindNode(hwnd);
    if (!node) return r;
    r = RECT{0, 0, node->window.right - node->window.left, node->window.bottom - node->window.top};
    while (node && node->parent) {
        r = Offset(r, node->window.left, node->window.top);
        CWindowNode* parent = FindNode(node->parent);
        if (!parent) break;
        r = Offset(r, parent->client.left, parent->client.top);
        node = parent;
    }
    return r;
}

RECT ClientRectInTop(HWND hwnd) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) return RECT{};
    const RECT w = WindowRectInTop(hwnd);
    return Offset(node->client, w.left, w.top);
}

POINT ClientOriginOnScreen(HWND hwnd) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) return POINT{0, 0};
    const RECT w = ScreenWindowRect(hwnd);
    return POINT{w.left + node->client.left, w.top + node->client.top};
}

RECT DefaultClientRect(DWORD style, DWORD exStyle, const RECT& window) {
    RECT r = window;
    int frame = 0;
    if (style & WS_THICKFRAME) {
        frame = GetSystemMetrics(SM_CXFRAME);
    } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    } else if (style & WS_BORDER) {
        frame = GetSystemMetrics(SM_CXBORDER);
    }
    if (exStyle & WS_EX_CLIENTEDGE) frame += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) frame += GetSystemMetrics(SM_CXBORDER);
    r.left += frame;
    r.top += frame;
    r.right -= frame;
    r.bottom -= frame;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        r.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    }
    if (style & WS_VSCROLL) r.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) r.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

bool IsShownChain(HWND hwnd) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    if (!node) return false;
    while (node) {
        if (!(StyleOf(node->hwnd) & WS_VISIBLE)) return false;
        if (!node->parent) return true;
        node = FindNode(node->parent);
    }
    return false;
}

namespace {

struct Candidate {
    HWND hwnd;
    bool inClient;
};

// Visible, enabled windows under the point among the list, topmost first,
// each followed by its own candidates when the point is in its client area.
void CollectUnder(const std::vector<HWND>& list, POINT screen, std::vector<Candidate>& out) {
    for (HWND hwnd : list) {
        CWindowNode* node = FindNode(hwnd);
        if (!node) continue;
        const DWORD style = StyleOf(hwnd);
        if (!(style & WS_VISIBLE)) continue;
        if (!node->parent && (style & WS_MINIMIZE)) continue;  // only an icon on the host
        const RECT w = ScreenWindowRect(hwnd);
        if (!Contains(w, screen) || !InsideShape(*node, POINT{screen.x - w.left, screen.y - w.top})) continue;
        if (node->parent && (style & WS_DISABLED)) continue;  // a disabled child leaves the point to its parent
        const RECT c = Offset(node->client, w.left, w.top);
        const bool inClient = Contains(c, screen);
        std::vector<Candidate> inner;
        if (inClient && !(style & WS_DISABLED)) CollectUnder(node->children, screen, inner);
        out.insert(out.end(), inner.begin(), inner.end());
        out.push_back(Candidate{hwnd, inClient});
        if (!node->parent) return;  // only one top-level window can be hit
    }
}

}  // namespace

HWND WindowFromScreenPoint(POINT pt, int* hitTest) {
    std::vector<Candidate> candidates;
    {
        UserGuard guard(UserLock());
        CollectUnder(TopLevelOrder(), pt, candidates);
    }
    // The deepest window first; one that answers HTTRANSPARENT hands the
    // point on to the windows beneath it (siblings, then the parent).
    for (const Candidate& c : candidates) {
        if (!IsWindow(c.hwnd)) continue;
        int ht = HTCLIENT;
        if (GetWindowThreadProcessId(c.hwnd, nullptr) == GetCurrentThreadId()) {
            ht = static_cast<int>(SendMessageA(c.hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
        } else {
            ht = static_cast<int>(SendMessageA(c.hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
        }
        if (ht == HTTRANSPARENT) continue;
        if (hitTest) *hitTest = ht;
        return c.hwnd;
    }
    if (hitTest) *hitTest = HTNOWHERE;
    return nullptr;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    RECT oldWindow{}, oldClient{};
    HWND parent = nullptr;
    bool topLevel = false;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        oldWindow = node->window;
        oldClient = Offset(node->client, oldWindow.left, oldWindow.top);
        parent = node->parent;
        topLevel = !node->parent && !node->messageOnly;
    }
    const DWORD style = StyleOf(hWnd);
    const bool wasVisible = (style & WS_VISIBLE) != 0;
    WINDOWPOS wp{hWnd, hWndInsertAfter, X, Y, std::max(cx, 0), std::max(cy, 0), uFlags};
    if ((wp.flags & SWP_SHOWWINDOW) && wasVisible) wp.flags &= ~SWP_SHOWWINDOW;
    if ((wp.flags & SWP_HIDEWINDOW) && !wasVisible) wp.flags &= ~SWP_HIDEWINDOW;
    if (!(wp.flags & SWP_NOSENDCHANGING)) SendMessageA(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!IsWindow(hWnd)) return FALSE;

    RECT newWindow = oldWindow;
    if (!(wp.flags & SWP_NOMOVE)) newWindow = Offset(oldWindow, wp.x - oldWindow.left, wp.y - oldWindow.top);
    if (!(wp.flags & SWP_NOSIZE)) {
        newWindow.right = newWindow.left + std::max(wp.cx, 0);
        newWindow.bottom = newWindow.top + std::max(wp.cy, 0);
    }
    if (newWindow.left == oldWindow.left && newWindow.top == oldWindow.top) wp.flags |= SWP_NOMOVE;
    if (newWindow.right - newWindow.left == oldWindow.right - oldWindow.left &&
        newWindow.bottom - newWindow.top == oldWindow.bottom - oldWindow.top) {
        wp.flags |= SWP_NOSIZE;
    }
    RECT newClient = Offset(oldClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
    if (!(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = newWindow;
        params.rgrc[1] = oldWindow;
        params.rgrc[2] = oldClient;
        params.lppos = &wp;
        SendMessageA(hWnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        newClient = params.rgrc[0];
    }
    bool zChanged = false;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) return FALSE;
        node->window = newWindow;
        node->client = Offset(newClient, -newWindow.left, -newWindow.top);
        if (!(wp.flags & SWP_NOZORDER)) zChanged = Restack(*node, wp.hwndInsertAfter);
        if (wp.flags & SWP_SHOWWINDOW) SetStyleBits(hWnd, WS_VISIBLE, 0);
        if (wp.flags & SWP_HIDEWINDOW) SetStyleBits(hWnd, 0, WS_VISIBLE);
        BumpWindowGeneration();
        if (topLevel) {
            SyncTopLevelHost(hWnd);
            if (zChanged) RestackHosts();
        }
    }
    const bool moved = !(wp.flags & SWP_NOMOVE);
    const bool sized = !(wp.flags & SWP_NOSIZE);
    const bool shown = (wp.flags & SWP_SHOWWINDOW) != 0;
    const bool hidden = (wp.flags & SWP_HIDEWINDOW) != 0;
    const bool frame = (wp.flags & SWP_FRAMECHANGED) != 0;
    if (!(wp.flags & SWP_NOREDRAW)) {
        const UINT whole = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
        if (parent) {
            if (wasVisible && (moved || sized || hidden || zChanged)) InvalidateInParent(parent, oldWindow);
            if (!hidden && (wasVisible || shown) && (moved || sized || shown || frame || zChanged)) {
                InvalidateWindowArea(hWnd, nullptr, whole);
            }
        } else if (topLevel && !hidden && (wasVisible || shown) && (sized || shown || frame)) {
            InvalidateWindowArea(hWnd, nullptr, whole);
        }
    }
    wp.x = newWindow.left;
    wp.y = newWindow.top;
    wp.cx = newWindow.right - newWindow.left;
    wp.cy = newWindow.bottom - newWindow.top;
    SendMessageA(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (hidden) InputWindowGone(hWnd, false);
    if (shown && topLevel && !(wp.flags & SWP_NOACTIVATE) && !(ExStyleOf(hWnd) & WS_EX_NOACTIVATE)) {
        SetActiveWindow(hWnd);
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const DWORD style = StyleOf(hWnd);
    const bool wasVisible = (style & WS_VISIBLE) != 0;
    const bool wasIconic = (style & WS_MINIMIZE) != 0;
    const bool child = (style & WS_CHILD) != 0;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE;
    bool show = true;
    switch (nCmdShow) {
    case SW_HIDE:
        show = false;
        flags |= SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWMAXIMIZED:
        if (!child) {
            SetStyleBits(hWnd, WS_MAXIMIZE, WS_MINIMIZE);
            flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
        }
        flags |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        // A minimised window keeps its place: the host shows its icon.
        if (!child) SetStyleBits(hWnd, WS_MINIMIZE, WS_MAXIMIZE);
        flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE;
        break;
    case SW_RESTORE:
        SetStyleBits(hWnd, 0, WS_MINIMIZE | WS_MAXIMIZE);
        flags |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        break;
    default:  // SW_SHOW, SW_SHOWNORMAL, SW_SHOWDEFAULT
        if (nCmdShow == SW_SHOWNORMAL && wasIconic) SetStyleBits(hWnd, 0, WS_MINIMIZE);
        flags |= SWP_SHOWWINDOW;
        break;
    }
    if (child) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    if (show != wasVisible) SendMessageA(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!IsWindow(hWnd)) return wasVisible ? TRUE : FALSE;
    const int width = GetSystemMetrics(SM_CXMAXIMIZED), height = GetSystemMetrics(SM_CYMAXIMIZED);
    SetWindowPos(hWnd, HWND_TOP, 0, 0, width, height, flags);
    if (!child && IsWindow(hWnd) && ((StyleOf(hWnd) & WS_MINIMIZE) != 0) != wasIconic) IconicChanged(hWnd, flags);
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) { return IsShownChain(hWnd) ? TRUE : FALSE; }

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool wasDisabled = (StyleOf(hWnd) & WS_DISABLED) != 0;
    if (bEnable && wasDisabled) {
        SetStyleBits(hWnd, 0, WS_DISABLED);
        SendMessageA(hWnd, WM_ENABLE, TRUE, 0);
    } else if (!bEnable && !wasDisabled) {
        SendMessageA(hWnd, WM_CANCELMODE, 0, 0);
        SetStyleBits(hWnd, WS_DISABLED, 0);
        InputWindowGone(hWnd, false);
        SendMessageA(hWnd, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    if (!IsWindow(hWnd)) return FALSE;
    return (StyleOf(hWnd) & WS_DISABLED) ? FALSE : TRUE;
}

BOOL WINAPI IsIconic(HWND hWnd) { return IsWindow(hWnd) && (StyleOf(hWnd) & WS_MINIMIZE) ? TRUE : FALSE; }
BOOL WINAPI IsZoomed(HWND hWnd) { return IsWindow(hWnd) && (StyleOf(hWnd) & WS_MAXIMIZE) ? TRUE : FALSE; }

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) return FALSE;
    UserGuard guard(UserLock());
    if (hWnd == GetDesktopWindow()) {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        *lpRect = RECT{0, 0, w, h};
        return TRUE;
    }
    if (!FindNode(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = ScreenWindowRect(hWnd);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) return FALSE;
    if (hWnd == GetDesktopWindow()) return GetWindowRect(hWnd, lpRect);
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hWnd);
    if (!node) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = RECT{0, 0, node->client.right - node->client.left, node->client.bottom - node->client.top};
    return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT from{0, 0}, to{0, 0};
    {
        UserGuard guard(UserLock());
        if (!IsDesktop(hWndFrom)) {
            if (!FindNode(hWndFrom)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            from = ClientOriginOnScreen(hWndFrom);
        }
        if (!IsDesktop(hWndTo)) {
            if (!FindNode(hWndTo)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            to = ClientOriginOnScreen(hWndTo);
        }
    }
    const LONG dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    if (!lpPoint || !IsWindow(hWnd)) return FALSE;
    MapWindowPoints(hWnd, nullptr, lpPoint, 1);
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    if (!lpPoint || !IsWindow(hWnd)) return FALSE;
    MapWindowPoints(nullptr, hWnd, lpPoint, 1);
    return TRUE;
}

HWND WINAPI WindowFromPoint(POINT Point) { return WindowFromScreenPoint(Point, nullptr); }

HWND WINAPI ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    if (!node) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const RECT client{0, 0, node->client.right - node->client.left, node->client.bottom - node->client.top};
    if (!Contains(client, pt)) return nullptr;
    for (HWND child : node->children) {
        CWindowNode* c = FindNode(child);
        if (!c) continue;
        const DWORD style = StyleOf(child);
        if ((flags & CWP_SKIPINVISIBLE) && !(style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (ExStyleOf(child) & WS_EX_TRANSPARENT)) continue;
        if (Contains(c->window, pt) && InsideShape(*c, POINT{pt.x - c->window.left, pt.y - c->window.top})) {
            return child;
        }
    }
    return hwnd;
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
    return ChildWindowFromPointEx(hWndParent, Point, CWP_ALL);
}

int WINAPI SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw) {
    std::optional<RegionData> shape;
    if (hRgn) {
        auto region = trelwin::gdi::lookup<trelwin::gdi::RegionObject>(hRgn, trelwin::gdi::Kind::Region);
        if (!region) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        shape = region->data;
    }
    HRGN previous = nullptr;
    HWND parent = nullptr;
    RECT window{};
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        previous = node->shapeHandle;
        node->shapeHandle = hRgn;
        node->shape = shape;
        parent = node->parent;
        window = node->window;
        BumpWindowGeneration();
        if (!parent && !node->messageOnly) SyncTopLevelHost(hWnd);
    }
    if (previous && previous != hRgn) DeleteObject(previous);
    if (bRedraw && IsShownChain(hWnd)) {
        if (parent) InvalidateInParent(parent, window);
        InvalidateWindowArea(hWnd, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return 1;
}

int WINAPI GetWindowRgn(HWND hWnd, HRGN hRgn) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hWnd);
    auto region = trelwin::gdi::lookup<trelwin::gdi::RegionObject>(hRgn, trelwin::gdi::Kind::Region);
    if (!node || !region || !node->shape) return ERROR;
    region->data = *node->shape;
    return region->data.type();
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
    if (!lpRect) return FALSE;
    // The client rectangle of a window as large as the given one tells how
    // much the frame takes on each side.
    const RECT probe{0, 0, 10000, 10000};
    const RECT client = DefaultClientRect(dwStyle & ~(WS_VSCROLL | WS_HSCROLL), dwExStyle, probe);
    lpRect->left -= client.left;
    lpRect->top -= client.top + (bMenu ? GetSystemMetrics(SM_CYMENU) : 0);
    lpRect->right += probe.right - client.right;
    lpRect->bottom += probe.bottom - client.bottom;
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
    return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}
