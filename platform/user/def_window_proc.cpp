// The default handling of the window system's messages.
#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/user/caption.h"
#include "platform/user/cursors.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_bars.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_hooks.h"
#include "platform/user/window_move.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

HWND ParentOf(HWND hwnd) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    return node ? node->parent : nullptr;
}

LRESULT HitTest(HWND hwnd, POINT screen) {
    RECT window{}, client{};
    bool inShape = true;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return HTNOWHERE;
        GetWindowRect(hwnd, &window);
        client = node->client;
        if (node->shape) inShape = node->shape->contains(screen.x - window.left, screen.y - window.top);
    }
    if (screen.x < window.left || screen.x >= window.right || screen.y < window.top || screen.y >= window.bottom ||
        !inShape) {
        return HTNOWHERE;
    }
    const POINT pt{screen.x - window.left, screen.y - window.top};
    if (pt.x >= client.left && pt.x < client.right && pt.y >= client.top && pt.y < client.bottom) return HTCLIENT;
    const DWORD style = StyleOf(hwnd);
    const DWORD exStyle = ExStyleOf(hwnd);
    const int width = window.right - window.left, height = window.bottom - window.top;
    if (style & WS_THICKFRAME) {
        const int frame = GetSystemMetrics(SM_CXFRAME);
        const int corner = GetSystemMetrics(SM_CYCAPTION);
        const bool left = pt.x < frame, right = pt.x >= width - frame;
        const bool top = pt.y < frame, bottom = pt.y >= height - frame;
        if (left || right || top || bottom) {
            const bool nearLeft = pt.x < corner, nearRight = pt.x >= width - corner;
            const bool nearTop = pt.y < corner, nearBottom = pt.y >= height - corner;
            if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
            if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
            if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
            if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
            if (left) return HTLEFT;
            if (right) return HTRIGHT;
            if (top) return HTTOP;
            return HTBOTTOM;
        }
    }
    const CCaptionLayout caption = LayOutCaption(style, exStyle, width, height);
    // The buttons answer over the caption's whole height.
    if (caption.present && pt.y >= caption.bar.top && pt.y <= caption.bar.bottom && pt.x >= caption.bar.left &&
        pt.x < caption.bar.right) {
        const auto across = [&](const RECT& r) { return pt.x >= r.left && pt.x < r.right; };
        if (across(caption.close)) return HTCLOSE;
        if (across(caption.maximize)) return HTMAXBUTTON;
        if (across(caption.minimize)) return HTMINBUTTON;
        return HTCAPTION;
    }
    if ((style & WS_VSCROLL) && pt.x >= client.right && pt.y >= client.top && pt.y < client.bottom) return HTVSCROLL;
    if ((style & WS_HSCROLL) && pt.y >= client.bottom && pt.x >= client.left && pt.x < client.right) return HTHSCROLL;
    return HTBORDER;
}

LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const HWND parent = ParentOf(hwnd);
    if (parent && SendMessageA(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
    if (reinterpret_cast<HWND>(wParam) != hwnd) return FALSE;
    const int ht = static_cast<short>(LOWORD(lParam));
    LPCSTR shape = IDC_ARROW;
    switch (ht) {
    case HTCLIENT: {
        HCURSOR own = reinterpret_cast<HCURSOR>(GetClassLongPtrA(hwnd, GCLP_HCURSOR));
        if (!own) return FALSE;
        SetCursor(own);
        return TRUE;
    }
    case HTLEFT:
    case HTRIGHT: shape = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: shape = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
    default: break;
    }
    SetCursor(LoadCursorA(nullptr, shape));
    return TRUE;
}

LRESULT OnEraseBackground(HWND hwnd, HDC hdc) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND));
    if (!brush) return 0;
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(hdc, &client, brush);
    return 1;
}

LRESULT OnSetText(HWND hwnd, LPCSTR text) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hwnd);
    if (!window) return FALSE;
    bool topLevel = false;
    {
        UserGuard guard(UserLock());
        window->m_text = text ? text : "";
        CWindowNode* node = FindNode(hwnd);
        topLevel = node && !node->parent && !node->messageOnly;
        if (topLevel) SyncTopLevelHost(hwnd);
    }
    if ((StyleOf(hwnd) & WS_CAPTION) == WS_CAPTION) InvalidateWindowArea(hwnd, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
    return TRUE;
}

LRESULT OnGetText(HWND hwnd, WPARAM size, LPSTR buffer) {
    if (!buffer || size == 0) return 0;
    const std::string text = WindowTextOf(hwnd);
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

void OnWindowPosChanged(HWND hwnd, const WINDOWPOS* wp) {
    if (!wp) return;
    RECT client{}, window{};
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        client = node->client;
        window = node->window;
    }
    if (!(wp->flags & SWP_NOMOVE)) {
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(window.left + client.left, window.top + client.top));
    }
    if (!(wp->flags & SWP_NOSIZE)) {
        const WPARAM kind = IsZoomed(hwnd) ? SIZE_MAXIMIZED : IsIconic(hwnd) ? SIZE_MINIMIZED : SIZE_RESTORED;
        SendMessageA(hwnd, WM_SIZE, kind, MAKELPARAM(client.right - client.left, client.bottom - client.top));
    }
}

// A press on the caption or one of its boxes: what the window's menu would
// do for it.
void OnCaptionPress(HWND hwnd, WPARAM hit, LPARAM lParam) {
    const DWORD style = StyleOf(hwnd);
    switch (hit) {
    case HTCLOSE: PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam); break;
    case HTMINBUTTON:
        if (style & WS_MINIMIZEBOX) PostMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, lParam);
        break;
    case HTMAXBUTTON:
        if (style & WS_MAXIMIZEBOX) {
            PostMessageA(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        }
        break;
    case HTCAPTION:
        if (!ParentOf(hwnd)) SendMessageA(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
        break;
    default: break;
    }
}

void OnSysCommand(HWND hwnd, WPARAM command, LPARAM lParam) {
    switch (command & 0xFFF0) {
    case SC_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case SC_MOVE: MoveWindowWithMouse(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
    default: break;
    }
}

LRESULT OnSetIcon(HWND hwnd, WPARAM which, HICON icon) {
    HICON previous = nullptr;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return 0;
        HICON& slot = which == ICON_BIG ? node->iconBig : node->iconSmall;
        previous = slot;
        slot = icon;
        // The host shows it too (its task bar, its window manager).
        if (icon != previous && !node->parent && !node->messageOnly) SyncTopLevelHost(hwnd);
    }
    // The caption shows the icon.
    if (icon != previous && (StyleOf(hwnd) & WS_CAPTION) == WS_CAPTION) {
        InvalidateWindowArea(hwnd, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
    }
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT OnGetIcon(HWND hwnd, WPARAM which) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    if (!node) return 0;
    return reinterpret_cast<LRESULT>(which == ICON_BIG ? node->iconBig : node->iconSmall);
}

}  // namespace

LRESULT DefWindowProcWindowing(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCALCSIZE:
        if (wParam) {
            auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
            if (params) params->rgrc[0] = DefaultClientRect(StyleOf(hWnd), ExStyleOf(hWnd), params->rgrc[0]);
        } else if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
            *rect = DefaultClientRect(StyleOf(hWnd), ExStyleOf(hWnd), *rect);
        }
        return 0;
    case WM_NCHITTEST:
        return HitTest(hWnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_SETTEXT:
        return OnSetText(hWnd, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
        return OnGetText(hWnd, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(WindowTextOf(hWnd).size());
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(hWnd, reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return OnEraseBackground(hWnd, reinterpret_cast<HDC>(wParam));
    case WM_NCPAINT:
        DrawNonClient(hWnd);
        return 0;
    case WM_NCACTIVATE:
        if ((StyleOf(hWnd) & WS_CAPTION) == WS_CAPTION) {
            InvalidateWindowArea(hWnd, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
        }
        return TRUE;
    case WM_SETCURSOR:
        return OnSetCursor(hWnd, wParam, lParam);
    case WM_MOUSEACTIVATE: {
        const HWND parent = ParentOf(hWnd);
        if (parent) {
            const LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (answer) return answer;
        }
        return MA_ACTIVATE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hWnd);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU: {
        const HWND parent = ParentOf(hWnd);
        return parent ? SendMessageA(parent, Msg, wParam, lParam) : 0;
    }
    case WM_CANCELMODE:
        if (GetCapture() == hWnd) ReleaseCapture();
        return 0;
    case WM_SETREDRAW: {
        UserGuard guard(UserLock());
        if (CWindowNode* node = FindNode(hWnd)) node->redrawOff = wParam == 0;
        return 0;
    }
    case WM_SETICON:
        return OnSetIcon(hWnd, wParam, reinterpret_cast<HICON>(lParam));
    case WM_GETICON:
        return OnGetIcon(hWnd, wParam);
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && !ParentOf(hWnd)) PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(hWnd, wParam, lParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // Controls that nobody colours take the classic colours.
        const int ground = Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX ? COLOR_WINDOW
                           : Msg == WM_CTLCOLORSCROLLBAR                       ? COLOR_SCROLLBAR
                                                                               : COLOR_3DFACE;
        HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(ground));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(ground));
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (Msg == WM_NCLBUTTONDOWN) OnCaptionPress(hWnd, wParam, lParam);
        if (wParam == HTVSCROLL || wParam == HTHSCROLL) {
            TrackScrollBar(hWnd, static_cast<int>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        }
        return 0;
    default:
        return 0;
    }
}
