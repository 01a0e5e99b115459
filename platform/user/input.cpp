#include "platform/user/input.h"

#include <vector>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/base/win_errors.h"
#include "platform/display/display.h"
#include "platform/user/geometry.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_hooks.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

using Clock = std::chrono::steady_clock;

struct CClick {
    HWND hwnd = nullptr;
    int button = -1;
    DWORD time = 0;
    POINT pt{};
};

struct CTracking {
    HWND hwnd = nullptr;
    DWORD flags = 0;
    DWORD hoverTime = 400;
    Clock::time_point hoverStart{};
    POINT hoverPoint{};
};

// The input state of the process; guarded by UserLock.
struct CInputState {
    POINT cursor{0, 0};
    BYTE keys[256] = {};       // as of the input messages taken from the queues (GetKeyState)
    BYTE asyncKeys[256] = {};  // as of the input that happened (GetAsyncKeyState)
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND mouseWindow = nullptr;  // under the cursor at the last mouse event
    int mouseHit = HTNOWHERE;
    CClick lastClick;
    CTracking tracking;
};

CInputState& State() {
    static auto* state = new CInputState;
    return *state;
}

bool Within(HWND outer, HWND inner) { return inner && (inner == outer || IsChild(outer, inner)); }

WPARAM MouseKeys(const BYTE* keys) {
    WPARAM flags = 0;
    if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
    if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
    if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
    if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
    if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
    return flags;
}

WPARAM MouseKeys() { return MouseKeys(State().asyncKeys); }

void SetKey(BYTE* keys, UINT vk, bool down) {
    BYTE& key = keys[vk & 0xFF];
    if (down && !(key & 0x80)) key ^= 0x01;  // the toggle state flips on each press
    key = static_cast<BYTE>((key & 0x01) | (down ? 0x80 : 0));
}

// Generic and sided modifier keys move together.
void SetKeyWithSides(BYTE* keys, UINT vk, bool down) {
    SetKey(keys, vk, down);
    switch (vk) {
    case VK_SHIFT: SetKey(keys, VK_LSHIFT, down); break;
    case VK_CONTROL: SetKey(keys, VK_LCONTROL, down); break;
    case VK_MENU: SetKey(keys, VK_LMENU, down); break;
    case VK_LSHIFT:
    case VK_RSHIFT: SetKey(keys, VK_SHIFT, (keys[VK_LSHIFT] | keys[VK_RSHIFT]) & 0x80); break;
    case VK_LCONTROL:
    case VK_RCONTROL: SetKey(keys, VK_CONTROL, (keys[VK_LCONTROL] | keys[VK_RCONTROL]) & 0x80); break;
    case VK_LMENU:
    case VK_RMENU: SetKey(keys, VK_MENU, (keys[VK_LMENU] | keys[VK_RMENU]) & 0x80); break;
    default: break;
    }
}

bool TrackingInside(const CTracking& t, HWND target, int hit) {
    if (target != t.hwnd) return false;
    return (t.flags & TME_NONCLIENT) ? hit != HTCLIENT : hit == HTCLIENT;
}

// The mouse went somewhere else: the tracked window hears that it left.
void CheckLeave(HWND target, int hit, POINT pt) {
    CTracking& t = State().tracking;
    if (!t.hwnd) return;
    if (!TrackingInside(t, target, hit)) {
        if (t.flags & TME_LEAVE) {
            PostMessageA(t.hwnd, (t.flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        }
        t = CTracking();
        return;
    }
    UINT width = 4, height = 4;
    SystemParametersInfoA(SPI_GETMOUSEHOVERWIDTH, 0, &width, 0);
    SystemParametersInfoA(SPI_GETMOUSEHOVERHEIGHT, 0, &height, 0);
    if (std::abs(pt.x - t.hoverPoint.x) > static_cast<LONG>(width / 2) ||
        std::abs(pt.y - t.hoverPoint.y) > static_cast<LONG>(height / 2)) {
        t.hoverPoint = pt;
        t.hoverStart = Clock::now();
    }
}

int ButtonOf(UINT clientMessage) {
    switch (clientMessage) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return 0;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return 1;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return 2;
    default: return -1;
    }
}

bool IsDown(UINT m) { return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN; }

void ActivateTop(HWND top, WORD how);

// One mouse event at the cursor: which window, which message, and the
// messages sent on the way.
void DeliverMouse(UINT message, DWORD time) {
    if (time == 0) time = GetTickCount();
    POINT pt{};
    HWND capture = nullptr;
    {
        UserGuard guard(UserLock());
        pt = State().cursor;
        capture = State().capture;
    }
    HWND target = capture;
    int hit = HTCLIENT;
    if (!target) target = WindowFromScreenPoint(pt, &hit);
    {
        UserGuard guard(UserLock());
        CheckLeave(target, hit, pt);
        State().mouseWindow = target;
        State().mouseHit = hit;
    }
    if (!target || !IsWindow(target)) return;
    if (!capture && (StyleOf(target) & WS_DISABLED)) {
        // A disabled top-level window takes no mouse input; a click brings
        // the window that keeps it disabled (a modal dialog) forward.
        const HWND popup = IsDown(message) ? GetWindow(target, GW_ENABLEDPOPUP) : nullptr;
        if (popup) ActivateTop(popup, WA_CLICKACTIVE);
        return;
    }
    if (!capture) {
        SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, message));
        if (!IsWindow(target)) return;
    }
    if (IsDown(message)) {
        const HWND top = TopLevelOf(target);
        if (top && top != GetActiveWindow() && !(ExStyleOf(top) & WS_EX_NOACTIVATE)) {
            const LRESULT answer = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                                MAKELPARAM(hit, message));
            if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) ActivateTop(top, WA_CLICKACTIVE);
            if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return;
            if (!IsWindow(target)) return;
        }
        const int button = ButtonOf(message);
        bool doubleClick = false;
        {
            UserGuard guard(UserLock());
            CClick& last = State().lastClick;
            const bool byClass = hit != HTCLIENT || (GetClassLongPtrA(target, GCL_STYLE) & CS_DBLCLKS);
            doubleClick = byClass && last.hwnd == target && last.button == button &&
                          time - last.time <= GetDoubleClickTime() &&
                          std::abs(pt.x - last.pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                          std::abs(pt.y - last.pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
            // A third click starts over.
            last = doubleClick ? CClick() : CClick{target, button, time, pt};
        }
        if (doubleClick) message += 2;  // WM_xBUTTONDOWN to WM_xBUTTONDBLCLK
    }
    WPARAM keys = 0;
    {
        UserGuard guard(UserLock());
        keys = MouseKeys();
    }
    if (hit == HTCLIENT) {
        POINT client = pt;
        ScreenToClient(target, &client);
        PostMessageA(target, message, keys, MAKELPARAM(client.x, client.y));
    } else {
        PostMessageA(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), MAKELPARAM(pt.x, pt.y));
    }
}

// Whether no window of the same top-most kind stands above the top-level window.
bool IsTopOfItsKind(HWND top) {
    UserGuard guard(UserLock());
    const bool topmost = (ExStyleOf(top) & WS_EX_TOPMOST) != 0;
    for (HWND other : TopLevelOrder()) {
        if (other == top) return true;
        if (((ExStyleOf(other) & WS_EX_TOPMOST) != 0) == topmost) return false;
    }
    return true;
}

void SendFocusChange(HWND previous, HWND next) {
    if (previous && IsWindow(previous)) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    HWND now = nullptr;
    {
        UserGuard guard(UserLock());
        now = State().focus;
    }
    if (next && now == next && IsWindow(next)) SendMessageA(next, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void ActivateTop(HWND top, WORD how) {
    HWND previous = nullptr;
    {
        UserGuard guard(UserLock());
        previous = State().active;
        if (previous == top) return;
        State().active = top;
        trelwin::display::current().set_active(reinterpret_cast<uintptr_t>(top));
    }
    // The window that goes inactive still has its focus when it hears so
    // (a dialog notes which control to give it back to).
    if (previous && IsWindow(previous)) {
        SendMessageA(previous, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(previous)), reinterpret_cast<LPARAM>(top));
    }
    HWND lostFocus = nullptr;
    {
        UserGuard guard(UserLock());
        if (State().focus && TopLevelOf(State().focus) != State().active) {
            lostFocus = State().focus;
            State().focus = nullptr;
        }
    }
    if (lostFocus) SendFocusChange(lostFocus, nullptr);
    // The program as a whole became active or inactive: every top-level
    // window hears so (a tip or a palette hides itself), not only the one
    // that took or lost the activation.
    if (!previous != !top) {
        std::vector<HWND> tops;
        {
            UserGuard guard(UserLock());
            tops = TopLevelOrder();
        }
        for (HWND each : tops) {
            if (IsWindow(each)) SendMessageA(each, WM_ACTIVATEAPP, top ? TRUE : FALSE, 0);
        }
    }
    if (top && IsWindow(top)) {
        if (!IsTopOfItsKind(top)) SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageA(top, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(top, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(top)), reinterpret_cast<LPARAM>(previous));
    }
}

// The window that takes activation when the active one goes.
HWND NextToActivate(HWND leaving) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(leaving);
    auto usable = [&](HWND h) {
        return h && h != leaving && FindNode(h) &&
               (StyleOf(h) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE)) == WS_VISIBLE &&
               !(ExStyleOf(h) & WS_EX_NOACTIVATE);
    };
    if (node && usable(node->owner)) return node->owner;
    for (HWND top : TopLevelOrder()) {
        CWindowNode* other = FindNode(top);
        if (usable(top) && other && node && other->threadId == node->threadId) return top;
    }
    return nullptr;
}

UINT CharForKey(UINT vk, bool shift, bool ctrl, bool caps) {
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return vk - 'A' + 1;
        return (shift != caps) ? vk : vk - 'A' + 'a';
    }
    if (ctrl) return 0;
    if (vk >= '0' && vk <= '9') return shift ? static_cast<UINT>(")!@#$%^&*("[vk - '0']) : vk;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 27;
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
    }
}

}  // namespace

HWND WINAPI SetCapture(HWND hWnd) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND previous = nullptr;
    {
        UserGuard guard(UserLock());
        previous = State().capture;
        State().capture = hWnd;
    }
    if (previous && previous != hWnd && IsWindow(previous)) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    }
    return previous;
}

BOOL WINAPI ReleaseCapture() {
    HWND previous = nullptr;
    {
        UserGuard guard(UserLock());
        previous = State().capture;
        State().capture = nullptr;
    }
    if (previous && IsWindow(previous)) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture() {
    UserGuard guard(UserLock());
    return State().capture;
}

HWND WINAPI SetFocus(HWND hWnd) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND previous = GetFocus();
    if (hWnd == previous) return previous;
    if (hWnd) {
        const HWND top = TopLevelOf(hWnd);
        if (top && top != GetActiveWindow()) ActivateTop(top, WA_ACTIVE);
        if (!IsWindow(hWnd)) return nullptr;
        previous = GetFocus();
        if (hWnd == previous) return previous;
    }
    {
        UserGuard guard(UserLock());
        State().focus = hWnd;
    }
    SendFocusChange(previous, hWnd);
    return previous;
}

HWND WINAPI GetFocus() {
    UserGuard guard(UserLock());
    return State().focus;
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
    HWND top = nullptr;
    if (hWnd) {
        top = TopLevelOf(hWnd);
        if (!top) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    const HWND previous = GetActiveWindow();
    ActivateTop(top, WA_ACTIVE);
    return previous;
}

HWND WINAPI GetActiveWindow() {
    UserGuard guard(UserLock());
    return State().active;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) return FALSE;
    SetActiveWindow(hWnd);
    return TRUE;
}

HWND WINAPI GetForegroundWindow() { return GetActiveWindow(); }

BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
    if (!lpEventTrack || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    UserGuard guard(UserLock());
    CTracking& t = State().tracking;
    if (lpEventTrack->dwFlags & TME_QUERY) {
        lpEventTrack->dwFlags = t.hwnd ? t.flags : 0;
        lpEventTrack->hwndTrack = t.hwnd;
        lpEventTrack->dwHoverTime = t.hoverTime;
        return TRUE;
    }
    const HWND hwnd = lpEventTrack->hwndTrack;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const DWORD kinds = lpEventTrack->dwFlags & (TME_HOVER | TME_LEAVE);
    if (lpEventTrack->dwFlags & TME_CANCEL) {
        if (t.hwnd == hwnd) {
            t.flags &= ~kinds;
            if (!(t.flags & (TME_HOVER | TME_LEAVE))) t = CTracking();
        }
        return TRUE;
    }
    const DWORD nonClient = lpEventTrack->dwFlags & TME_NONCLIENT;
    CTracking next;
    next.hwnd = hwnd;
    next.flags = kinds | nonClient;
    next.hoverTime = lpEventTrack->dwHoverTime == HOVER_DEFAULT ? 400 : lpEventTrack->dwHoverTime;
    next.hoverStart = Clock::now();
    next.hoverPoint = State().cursor;
    if (!TrackingInside(next, State().mouseWindow, State().mouseHit)) {
        // The mouse is not over the window: it has left already.
        if (kinds & TME_LEAVE) PostMessageA(hwnd, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (t.hwnd == hwnd) next.flags |= t.flags & (TME_HOVER | TME_LEAVE);
    t = next;
    return TRUE;
}

bool PeekHoverMessage(MSG& msg, HWND filter, bool remove) {
    UserGuard guard(UserLock());
    CTracking& t = State().tracking;
    if (!t.hwnd || !(t.flags & TME_HOVER) || Clock::now() < t.hoverStart + std::chrono::milliseconds(t.hoverTime)) {
        return false;
    }
    if ((filter && filter != t.hwnd) || GetWindowThreadProcessId(t.hwnd, nullptr) != GetCurrentThreadId()) return false;
    msg = MSG{};
    msg.hwnd = t.hwnd;
    if (t.flags & TME_NONCLIENT) {
        msg.message = WM_NCMOUSEHOVER;
        msg.wParam = static_cast<WPARAM>(State().mouseHit);
        msg.lParam = MAKELPARAM(State().cursor.x, State().cursor.y);
    } else {
        POINT client = State().cursor;
        ScreenToClient(t.hwnd, &client);
        msg.message = WM_MOUSEHOVER;
        msg.wParam = MouseKeys();
        msg.lParam = MAKELPARAM(client.x, client.y);
    }
    msg.time = GetTickCount();
    if (remove) {
        t.flags &= ~static_cast<DWORD>(TME_HOVER);  // hover is reported once per request
        if (!(t.flags & TME_LEAVE)) t = CTracking();
    }
    return true;
}

DWORD HoverDueIn(HWND filter) {
    UserGuard guard(UserLock());
    const CTracking& t = State().tracking;
    if (!t.hwnd || !(t.flags & TME_HOVER) || (filter && filter != t.hwnd)) return INFINITE;
    if (GetWindowThreadProcessId(t.hwnd, nullptr) != GetCurrentThreadId()) return INFINITE;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(t.hoverStart + std::chrono::milliseconds(t.hoverTime) -
                                                                    Clock::now())
                          .count();
    return static_cast<DWORD>(left < 0 ? 0 : left);
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) return FALSE;
    UserGuard guard(UserLock());
    *lpPoint = State().cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
    trelwin::user::InjectMouseMove(X, Y);
    return TRUE;
}

DWORD WINAPI GetMessagePos() {
    UserGuard guard(UserLock());
    return static_cast<DWORD>(MAKELONG(State().cursor.x, State().cursor.y));
}

SHORT WINAPI GetKeyState(int nVirtKey) {
    UserGuard guard(UserLock());
    const BYTE key = State().keys[nVirtKey & 0xFF];
    return static_cast<SHORT>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
    UserGuard guard(UserLock());
    return static_cast<SHORT>((State().asyncKeys[vKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

void InputMessageRetrieved(const MSG& msg) {
    UserGuard guard(UserLock());
    BYTE* keys = State().keys;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: SetKeyWithSides(keys, static_cast<UINT>(msg.wParam), true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: SetKeyWithSides(keys, static_cast<UINT>(msg.wParam), false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
        SetKey(keys, VK_LBUTTON, true); break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: SetKey(keys, VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
        SetKey(keys, VK_RBUTTON, true); break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: SetKey(keys, VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
        SetKey(keys, VK_MBUTTON, true); break;
    case WM_MBUTTONUP: case WM_NCMBUTTONUP: SetKey(keys, VK_MBUTTON, false); break;
    default: break;
    }
}

BOOL WINAPI GetKeyboardState(PBYTE lpKeyState) {
    if (!lpKeyState) return FALSE;
    UserGuard guard(UserLock());
    std::memcpy(lpKeyState, State().keys, 256);
    return TRUE;
}

BOOL TranslateKeyMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return FALSE;
    BYTE keys[256];
    GetKeyboardState(keys);
    const UINT c = CharForKey(static_cast<UINT>(msg.wParam), keys[VK_SHIFT] & 0x80, keys[VK_CONTROL] & 0x80,
                              keys[VK_CAPITAL] & 0x01);
    if (c == 0) return FALSE;
    PostMessageA(msg.hwnd, msg.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, c, msg.lParam);
    return TRUE;
}

void InputWindowGone(HWND hwnd, bool) {
    HWND capture = nullptr, focus = nullptr, active = nullptr, parent = nullptr;
    {
        UserGuard guard(UserLock());
        CInputState& s = State();
        if (Within(hwnd, s.capture)) capture = s.capture;
        if (Within(hwnd, s.focus)) focus = s.focus;
        if (s.active == hwnd) active = hwnd;
        if (Within(hwnd, s.tracking.hwnd)) s.tracking = CTracking();
        CWindowNode* node = FindNode(hwnd);
        parent = node ? node->parent : nullptr;
    }
    if (capture) ReleaseCapture();
    if (focus) {
        // The parent takes the focus when it can; otherwise nobody has it.
        const HWND next = parent && IsShownChain(parent) && IsWindowEnabled(parent) ? parent : nullptr;
        {
            UserGuard guard(UserLock());
            if (State().focus == focus) State().focus = next;
        }
        SendFocusChange(focus, next);
    }
    if (active) ActivateTop(NextToActivate(hwnd), WA_ACTIVE);
}

void InputWindowMinimized(HWND hwnd) {
    HWND capture = nullptr;
    bool active = false;
    {
        UserGuard guard(UserLock());
        if (Within(hwnd, State().capture)) capture = State().capture;
        active = State().active == hwnd;
    }
    if (capture) ReleaseCapture();
    if (active) ActivateTop(NextToActivate(hwnd), WA_ACTIVE);
}

void InputForgetWindow(HWND hwnd) {
    UserGuard guard(UserLock());
    CInputState& s = State();
    if (s.capture == hwnd) s.capture = nullptr;
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.active == hwnd) s.active = nullptr;
    if (s.mouseWindow == hwnd) s.mouseWindow = nullptr;
    if (s.tracking.hwnd == hwnd) s.tracking = CTracking();
    if (s.lastClick.hwnd == hwnd) s.lastClick = CClick();
}

namespace trelwin::user {

void InjectMouseMove(int x, int y, DWORD time) {
    {
        UserGuard guard(UserLock());
        State().cursor = POINT{x, y};
    }
    DeliverMouse(WM_MOUSEMOVE, time);
}

void InjectMouseButton(int button, bool down, DWORD time) {
    static const UINT vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    static const UINT downs[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    if (button < 0 || button > 2) return;
    {
        UserGuard guard(UserLock());
        SetKey(State().asyncKeys, vks[button], down);
    }
    DeliverMouse(down ? downs[button] : downs[button] + 1, time);
}

void InjectMouseClick(int x, int y, int button, DWORD time) {
    InjectMouseMove(x, y, time);
    InjectMouseButton(button, true, time);
    InjectMouseButton(button, false, time);
}

void InjectMouseWheel(int delta) {
    HWND target = nullptr;
    POINT pt{};
    WPARAM keys = 0;
    {
        UserGuard guard(UserLock());
        target = State().focus ? State().focus : State().active;
        pt = State().cursor;
        keys = MouseKeys();
    }
    if (!target) target = WindowFromScreenPoint(pt, nullptr);
    if (!target) return;
    PostMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<SHORT>(delta)), MAKELPARAM(pt.x, pt.y));
}

void InjectKey(UINT vk, bool down) {
    HWND target = nullptr;
    LPARAM lParam = 0;
    UINT message = 0;
    {
        UserGuard guard(UserLock());
        CInputState& s = State();
        const bool wasDown = (s.asyncKeys[vk & 0xFF] & 0x80) != 0;
        SetKeyWithSides(s.asyncKeys, vk, down);
        target = s.focus ? s.focus : s.active;
        const bool alt = (s.asyncKeys[VK_MENU] & 0x80) != 0;
        const bool ctrl = (s.asyncKeys[VK_CONTROL] & 0x80) != 0;
        const bool sys = (alt && !ctrl) || vk == VK_F10 || vk == VK_MENU || !s.focus;
        message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        lParam = 1 | (static_cast<LPARAM>(vk & 0xFF) << 16) | (alt ? (1L << 29) : 0) | (wasDown ? (1L << 30) : 0) |
                 (down ? 0 : (1L << 31));
    }
    if (target) PostMessageA(target, message, vk, lParam);
}

void InjectChar(char c) {
    const HWND target = GetFocus();
    if (target) PostMessageA(target, WM_CHAR, static_cast<BYTE>(c), 1);
}

}  // namespace trelwin::user
