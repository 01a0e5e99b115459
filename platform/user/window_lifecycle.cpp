// A window's way into and out of the tree: placing it at creation, sizing
// its client area, showing it, and letting go of everything at the end.
#include <algorithm>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/caret.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/scroll_bars.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_hooks.h"
#include "platform/user/window_tree.h"

CWindowNode* AddNode(HWND hwnd);
void RemoveNode(HWND hwnd);

namespace {

// Where the next top-level window with a default position goes.
int g_cascade = 0;

}  // namespace

void WindowAttach(CWindowObject& window, CREATESTRUCTA& cs) {
    EnsureSyntheticSource();
    UserGuard guard(UserLock());
    CWindowNode* node = AddNode(window.m_hWnd);
    node->threadId = window.m_threadId;
    node->messageOnly = window.m_bMessageOnly;
    const DWORD style = window.m_style;
    CWindowNode* parent = FindNode(window.m_hWndParent);
    if (!node->messageOnly && (style & WS_CHILD) && parent) {
        node->parent = window.m_hWndParent;
    } else if (!node->messageOnly && window.m_hWndParent) {
        node->owner = TopLevelOf(window.m_hWndParent);
    }
    const bool topLevel = !node->parent && !node->messageOnly;
    const SIZE screen = trelwin::display::current().screen_size();
    if (cs.x == CW_USEDEFAULT) {
        if (topLevel && !(style & WS_POPUP)) {
            cs.x = cs.y = 40 + 24 * (g_cascade++ % 8);
        } else {
            cs.x = cs.y = 0;
        }
    }
    if (cs.cx == CW_USEDEFAULT) {
        if (topLevel && !(style & WS_POPUP)) {
            cs.cx = screen.cx * 3 / 4;
            cs.cy = screen.cy * 3 / 4;
        } else {
            cs.cx = cs.cy = 0;
        }
    }
    cs.cx = std::max(cs.cx, 0);
    cs.cy = std::max(cs.cy, 0);
    node->window = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
    node->client = DefaultClientRect(style, window.m_exStyle, RECT{0, 0, cs.cx, cs.cy});
    // Shown only once it is created.
    window.m_style = style & ~static_cast<DWORD>(WS_VISIBLE);
    if (node->parent) {
        parent->children.push_back(window.m_hWnd);  // new children go to the bottom: creation order is tab order
    } else if (topLevel) {
        std::vector<HWND>& tops = TopLevelOrder();
        auto at = tops.begin();
        if (!(window.m_exStyle & WS_EX_TOPMOST)) {
            while (at != tops.end() && (ExStyleOf(*at) & WS_EX_TOPMOST)) ++at;
        }
        tops.insert(at, window.m_hWnd);
        SyncTopLevelHost(window.m_hWnd);
        RestackHosts();
    }
    BumpWindowGeneration();
}

void WindowNcCreated(HWND hwnd) {
    RECT rect{};
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node || node->messageOnly) return;  // message-only windows have no geometry to tell
        rect = node->window;
    }
    const RECT window = rect;
    SendMessageA(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    if (!node) return;
    node->client = RECT{rect.left - window.left, rect.top - window.top, rect.right - window.left,
                        rect.bottom - window.top};
    BumpWindowGeneration();
}

void WindowCreated(HWND hwnd, DWORD createStyle) {
    RECT client{}, window{};
    HWND parent = nullptr;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node || node->messageOnly) return;
        client = node->client;
        window = node->window;
        parent = node->parent;
    }
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(window.left + client.left, window.top + client.top));
    if (!IsWindow(hwnd)) return;
    if (parent && !(ExStyleOf(hwnd) & WS_EX_NOPARENTNOTIFY)) {
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, GetDlgCtrlID(hwnd)), reinterpret_cast<LPARAM>(hwnd));
    }
    if ((createStyle & WS_VISIBLE) && IsWindow(hwnd)) {
        ShowWindow(hwnd, (createStyle & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
    }
}

void WindowDestroying(HWND hwnd) {
    HWND parent = nullptr;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        parent = node->parent;
    }
    if (parent && !(ExStyleOf(hwnd) & WS_EX_NOPARENTNOTIFY)) {
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, GetDlgCtrlID(hwnd)), reinterpret_cast<LPARAM>(hwnd));
    }
    if (StyleOf(hwnd) & WS_VISIBLE) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InputWindowGone(hwnd, true);
    if (CaretWindow() == hwnd) DestroyCaret();  // the caret goes with its window
}

void WindowDetach(HWND hwnd) {
    HRGN shape = nullptr;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        if (node->parent) {
            if (CWindowNode* parent = FindNode(node->parent)) {
                auto& list = parent->children;
                list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
            }
        } else if (!node->messageOnly) {
            auto& tops = TopLevelOrder();
            tops.erase(std::remove(tops.begin(), tops.end(), hwnd), tops.end());
            RemoveTopLevelHost(hwnd);
        }
        // Children that outlive the node (a thread's windows going at once) become orphans.
        for (HWND child : node->children) {
            if (CWindowNode* c = FindNode(child)) c->parent = nullptr;
        }
        shape = node->shapeHandle;
        ForgetWindowPainting(hwnd);
        InputForgetWindow(hwnd);
        RemoveNode(hwnd);
        BumpWindowGeneration();
    }
    KillTimersOfWindow(hwnd);
    ForgetScrollBars(hwnd);
    if (shape) DeleteObject(shape);
}
