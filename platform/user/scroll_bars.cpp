#include "platform/user/scroll_bars.h"

#include <algorithm>
#include <map>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

struct CBar {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;  // the thumb follows trackPos
    bool disabled = false;
};

// Bars by window: horizontal, vertical; guarded by UserLock.
std::map<HWND, CBar[2]>& Bars() {
    static auto* bars = new std::map<HWND, CBar[2]>;
    return *bars;
}

int MaxPos(const CBar& b) { return b.max - std::max(static_cast<int>(b.page) - 1, 0); }
bool CanScroll(const CBar& b) { return MaxPos(b) > b.min; }

// The parts of a bar along its length: arrows, the page areas and the thumb.
struct CParts {
    RECT bar{};
    RECT lineUp{}, lineDown{}, pageUp{}, thumb{}, pageDown{};
    bool vertical = true;
};

// Window coordinates of a bar; empty when the window has none.
RECT BarRect(HWND hwnd, int which) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) return RECT{};
    const DWORD style = StyleOf(hwnd);
    const RECT& c = node->client;
    if (which == SB_VERT && (style & WS_VSCROLL)) {
        return RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
    }
    if (which == SB_HORZ && (style & WS_HSCROLL)) {
        return RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    }
    return RECT{};
}

CParts PartsOf(const RECT& bar, const CBar& b, bool vertical) {
    CParts p;
    p.bar = bar;
    p.vertical = vertical;
    const int start = vertical ? bar.top : bar.left;
    const int end = vertical ? bar.bottom : bar.right;
    const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const int length = end - start;
    const int arrow = std::min(thickness, length / 2);
    auto span = [&](int a, int z) {
        return vertical ? RECT{bar.left, a, bar.right, z} : RECT{a, bar.top, z, bar.bottom};
    };
    p.lineUp = span(start, start + arrow);
    p.lineDown = span(end - arrow, end);
    const int trackStart = start + arrow, trackEnd = end - arrow, track = trackEnd - trackStart;
    const int range = b.max - b.min + 1;
    int thumb = b.page ? static_cast<int>(static_cast<long long>(track) * b.page / std::max(range, 1)) : thickness;
    thumb = std::max(thumb, 8);
    if (b.disabled || !CanScroll(b) || thumb >= track) {
        p.pageUp = span(trackStart, trackEnd);  // no thumb: all track
        p.thumb = RECT{};
        p.pageDown = RECT{};
        return p;
    }
    const int pos = b.tracking ? b.trackPos : b.pos;
    const int offset = static_cast<int>(static_cast<long long>(track - thumb) * (pos - b.min) / (MaxPos(b) - b.min));
    p.pageUp = span(trackStart, trackStart + offset);
    p.thumb = span(trackStart + offset, trackStart + offset + thumb);
    p.pageDown = span(trackStart + offset + thumb, trackEnd);
    return p;
}

bool Inside(const RECT& r, POINT pt) { return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom; }

void DrawArrow(HDC hdc, RECT r, bool vertical, bool forward, bool enabled) {
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    // The triangle of 96 dpi (7 wide, 4 deep) at the screen's resolution.
    const int k = std::max(1, trelwin::user::ScaleToScreen(1));
    const int d = forward ? k : -k;
    POINT tri[3];
    if (vertical) {
        tri[0] = POINT{cx - 3 * k, cy - 2 * d};
        tri[1] = POINT{cx + 3 * k, cy - 2 * d};
        tri[2] = POINT{cx, cy + d};
    } else {
        tri[0] = POINT{cx - 2 * d, cy - 3 * k};
        tri[1] = POINT{cx - 2 * d, cy + 3 * k};
        tri[2] = POINT{cx + d, cy};
    }
    const COLORREF colour = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    Polygon(hdc, tri, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void DrawBar(HDC hdc, const CParts& p, bool enabled) {
    DrawArrow(hdc, p.lineUp, p.vertical, false, enabled);
    DrawArrow(hdc, p.lineDown, p.vertical, true, enabled);
    HBRUSH track = GetSysColorBrush(COLOR_SCROLLBAR);
    FillRect(hdc, &p.pageUp, track);
    FillRect(hdc, &p.pageDown, track);
    if (p.thumb.right > p.thumb.left) {
        RECT thumb = p.thumb;
        DrawEdge(hdc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

void Redraw(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return;
    HDC hdc = GetWindowDC(hwnd);
    DrawScrollBars(hwnd, hdc);
    ReleaseDC(hwnd, hdc);
}

bool ValidBar(HWND hwnd, int nBar) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (nBar != SB_HORZ && nBar != SB_VERT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

}  // namespace

void DrawScrollBars(HWND hwnd, HDC hdc) {
    CParts parts[2];
    bool present[2] = {false, false};
    bool enabled[2] = {true, true};
    RECT corner{};
    {
        UserGuard guard(UserLock());
        for (int which : {SB_HORZ, SB_VERT}) {
            const RECT r = BarRect(hwnd, which);
            if (r.right <= r.left) continue;
            present[which] = true;
            const CBar& b = Bars()[hwnd][which];
            enabled[which] = !b.disabled && CanScroll(b);
            parts[which] = PartsOf(r, b, which == SB_VERT);
        }
        if (present[0] && present[1]) {
            const RECT v = BarRect(hwnd, SB_VERT), h = BarRect(hwnd, SB_HORZ);
            corner = RECT{v.left, h.top, v.right, h.bottom};
        }
    }
    for (int which : {SB_HORZ, SB_VERT}) {
        if (present[which]) DrawBar(hdc, parts[which], enabled[which]);
    }
    if (corner.right > corner.left) FillRect(hdc, &corner, GetSysColorBrush(COLOR_3DFACE));
}

int WINAPI SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
    if (!lpsi || !ValidBar(hwnd, nBar)) return 0;
    bool scrollable = false;
    int pos = 0;
    {
        UserGuard guard(UserLock());
        CBar& b = Bars()[hwnd][nBar];
        if (lpsi->fMask & SIF_RANGE) {
            b.min = lpsi->nMin;
            b.max = std::max(lpsi->nMax, lpsi->nMin);
        }
        if (lpsi->fMask & SIF_PAGE) b.page = std::min<UINT>(lpsi->nPage, static_cast<UINT>(b.max - b.min + 1));
        if (lpsi->fMask & SIF_POS) b.pos = lpsi->nPos;
        b.pos = std::clamp(b.pos, b.min, std::max(MaxPos(b), b.min));
        scrollable = CanScroll(b);
        b.disabled = !scrollable && (lpsi->fMask & SIF_DISABLENOSCROLL);
        pos = b.pos;
    }
    const bool shown = (StyleOf(hwnd) & (nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    const bool want = scrollable || (lpsi->fMask & SIF_DISABLENOSCROLL);
    if (want != shown) {
        ShowScrollBar(hwnd, nBar, want ? TRUE : FALSE);
    } else if (redraw && shown) {
        Redraw(hwnd);
    }
    return pos;
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi) {
    if (!lpsi || !ValidBar(hwnd, nBar)) return FALSE;
    UserGuard guard(UserLock());
    const CBar& b = Bars()[hwnd][nBar];
    if (lpsi->fMask & SIF_RANGE) {
        lpsi->nMin = b.min;
        lpsi->nMax = b.max;
    }
    if (lpsi->fMask & SIF_PAGE) lpsi->nPage = b.page;
    if (lpsi->fMask & SIF_POS) lpsi->nPos = b.pos;
    if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = b.tracking ? b.trackPos : b.pos;
    return TRUE;
}

int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
    const int previous = GetScrollPos(hWnd, nBar);
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, nPos, 0};
    SetScrollInfo(hWnd, nBar, &si, bRedraw);
    return previous;
}

int WINAPI GetScrollPos(HWND hWnd, int nBar) {
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hWnd, nBar, &si) ? si.nPos : 0;
}

BOOL WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    SCROLLINFO si{sizeof(si), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
    if (!ValidBar(hWnd, nBar)) return FALSE;
    SetScrollInfo(hWnd, nBar, &si, bRedraw);
    return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
    SCROLLINFO si{sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hWnd, nBar, &si)) return FALSE;
    if (lpMinPos) *lpMinPos = si.nMin;
    if (lpMaxPos) *lpMaxPos = si.nMax;
    return TRUE;
}

BOOL WINAPI ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const DWORD bits = wBar == SB_VERT ? WS_VSCROLL : wBar == SB_HORZ ? WS_HSCROLL : (WS_VSCROLL | WS_HSCROLL);
    const DWORD style = StyleOf(hWnd);
    const DWORD next = bShow ? (style | bits) : (style & ~bits);
    if (next != style) {
        SetStyleBits(hWnd, bShow ? bits : 0, bShow ? 0 : bits);
        // The client area changes: the frame is computed again.
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

BOOL WINAPI EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows) {
    if (!IsWindow(hWnd)) return FALSE;
    {
        UserGuard guard(UserLock());
        for (int which : {SB_HORZ, SB_VERT}) {
            if (wSBflags == SB_BOTH || static_cast<int>(wSBflags) == which) {
                Bars()[hWnd][which].disabled = wArrows == ESB_DISABLE_BOTH;
            }
        }
    }
    Redraw(hWnd);
    return TRUE;
}

void ForgetScrollBars(HWND hwnd) {
    UserGuard guard(UserLock());
    Bars().erase(hwnd);
}

void TrackScrollBar(HWND hwnd, int hitTest, POINT screen) {
    const int which = hitTest == HTVSCROLL ? SB_VERT : SB_HORZ;
    const UINT message = which == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    RECT window{};
    GetWindowRect(hwnd, &window);
    auto parts = [&]() {
        UserGuard guard(UserLock());
        return PartsOf(BarRect(hwnd, which), Bars()[hwnd][which], which == SB_VERT);
    };
    POINT pt{screen.x - window.left, screen.y - window.top};
    CParts start = parts();
    int code = -1;
    if (Inside(start.lineUp, pt)) code = SB_LINEUP;
    else if (Inside(start.lineDown, pt)) code = SB_LINEDOWN;
    else if (Inside(start.thumb, pt)) code = SB_THUMBTRACK;
    else if (Inside(start.pageUp, pt)) code = SB_PAGEUP;
    else if (Inside(start.pageDown, pt)) code = SB_PAGEDOWN;
    {
        UserGuard guard(UserLock());
        const CBar& b = Bars()[hwnd][which];
        if (code < 0 || b.disabled || !CanScroll(b)) return;
    }
    const int grab = which == SB_VERT ? pt.y - start.thumb.top : pt.x - start.thumb.left;
    SetCapture(hwnd);
    if (code != SB_THUMBTRACK) SendMessageA(hwnd, message, MAKEWPARAM(code, 0), 0);
    DWORD wait = 350;  // the first repeat waits longer
    bool positioned = false;
    int lastTrack = 0;
    for (int rounds = 0; rounds < 100000 && IsWindow(hwnd) && GetCapture() == hwnd; ++rounds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        bool released = false, timedOut = true;
        MSG msg;
        // The mouse's own messages steer the bar (client ones once the
        // capture holds, non-client ones from before); the rest goes on.
        while (!released && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool client = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && msg.message != WM_MOUSEWHEEL;
            const bool nonClient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
            if (msg.hwnd != hwnd || (!client && !nonClient)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                continue;
            }
            timedOut = false;
            POINT at{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            if (client) ClientToScreen(hwnd, &at);
            GetWindowRect(hwnd, &window);
            pt = POINT{at.x - window.left, at.y - window.top};
            if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) released = true;
        }
        if (code == SB_THUMBTRACK) {
            int trackPos = 0;
            bool changed = false;
            {
                UserGuard guard(UserLock());
                CBar& b = Bars()[hwnd][which];
                const CParts now = PartsOf(BarRect(hwnd, which), b, which == SB_VERT);
                const int trackStart = which == SB_VERT ? now.lineUp.bottom : now.lineUp.right;
                const int thumb = which == SB_VERT ? now.thumb.bottom - now.thumb.top : now.thumb.right - now.thumb.left;
                const int travel = (which == SB_VERT ? now.lineDown.top : now.lineDown.left) - trackStart - thumb;
                const int offset = std::clamp((which == SB_VERT ? pt.y : pt.x) - grab - trackStart, 0, std::max(travel, 0));
                trackPos = travel > 0 ? b.min + static_cast<int>(static_cast<long long>(offset) * (MaxPos(b) - b.min) / travel)
                                      : b.min;
                changed = !b.tracking || trackPos != b.trackPos;
                b.tracking = true;
                b.trackPos = trackPos;
                lastTrack = trackPos;
            }
            if (changed && !timedOut) {
                Redraw(hwnd);
                SendMessageA(hwnd, message, MAKEWPARAM(SB_THUMBTRACK, trackPos), 0);
            }
            if (released) {
                {
                    UserGuard guard(UserLock());
                    Bars()[hwnd][which].tracking = false;
                }
                SendMessageA(hwnd, message, MAKEWPARAM(SB_THUMBPOSITION, trackPos), 0);
                positioned = true;
                break;
            }
            wait = 100;
        } else {
            if (released) break;
            if (timedOut) {
                // Held down: repeat while the point is still on the part that started it.
                const CParts now = parts();
                const RECT& part = code == SB_LINEUP ? now.lineUp : code == SB_LINEDOWN ? now.lineDown
                                   : code == SB_PAGEUP ? now.pageUp : now.pageDown;
                if (Inside(part, pt)) SendMessageA(hwnd, message, MAKEWPARAM(code, 0), 0);
                wait = 60;
            }
        }
        if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !released && !PeekMessageA(&msg, hwnd, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) {
            break;  // the button went up where we could not see it
        }
    }
    bool wasTracking = false;
    {
        UserGuard guard(UserLock());
        auto found = Bars().find(hwnd);
        if (found != Bars().end()) {
            wasTracking = found->second[which].tracking;
            found->second[which].tracking = false;
        }
    }
    if (IsWindow(hwnd)) {
        // A drag that ended out of sight still ends at its last place.
        if (wasTracking && !positioned) SendMessageA(hwnd, message, MAKEWPARAM(SB_THUMBPOSITION, lastTrack), 0);
        SendMessageA(hwnd, message, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
        if (GetCapture() == hwnd) ReleaseCapture();
        Redraw(hwnd);
    }
}

int WINAPI ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                          LPRECT prcUpdate, UINT flags) {
    RECT client{};
    if (!GetClientRect(hWnd, &client)) return ERROR;
    RECT scroll = prcScroll ? *prcScroll : client;
    RECT clip = client;
    if (prcClip) IntersectRect(&clip, &clip, prcClip);
    HDC hdc = GetDC(hWnd);
    IntersectClipRect(hdc, clip.left, clip.top, clip.right, clip.bottom);
    BitBlt(hdc, scroll.left + dx, scroll.top + dy, scroll.right - scroll.left, scroll.bottom - scroll.top, hdc, scroll.left,
           scroll.top, SRCCOPY);
    ReleaseDC(hWnd, hdc);
    // What the move uncovered: the scrolled area less where its pixels went.
    HRGN uncovered = CreateRectRgnIndirect(&scroll);
    RECT moved = scroll;
    OffsetRect(&moved, dx, dy);
    HRGN landed = CreateRectRgnIndirect(&moved);
    HRGN within = CreateRectRgnIndirect(&clip);
    CombineRgn(uncovered, uncovered, landed, RGN_DIFF);
    const int type = CombineRgn(uncovered, uncovered, within, RGN_AND);
    if (flags & SW_INVALIDATE) InvalidateRgn(hWnd, uncovered, (flags & SW_ERASE) ? TRUE : FALSE);
    if (hrgnUpdate) CombineRgn(hrgnUpdate, uncovered, nullptr, RGN_COPY);
    if (prcUpdate) GetRgnBox(uncovered, prcUpdate);
    DeleteObject(uncovered);
    DeleteObject(landed);
    DeleteObject(within);
    if (flags & SW_SCROLLCHILDREN) {
        for (HWND child = GetWindow(hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            POINT origin{r.left, r.top};
            ScreenToClient(hWnd, &origin);
            SetWindowPos(child, nullptr, origin.x + dx, origin.y + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return type;
}

BOOL WINAPI ScrollWindow(HWND hWnd, int XAmount, int YAmount, const RECT* lpRect, const RECT* lpClipRect) {
    const UINT flags = SW_INVALIDATE | SW_ERASE | (lpRect ? 0 : SW_SCROLLCHILDREN);
    return ScrollWindowEx(hWnd, XAmount, YAmount, lpRect, lpClipRect, nullptr, nullptr, flags) != ERROR ? TRUE : FALSE;
}
