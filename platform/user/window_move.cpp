#include "platform/user/window_move.h"

#include "platform/gdi/rect.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"

namespace {

bool IsMouseMessage(UINT m) {
    return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

bool ButtonDown() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

// Puts the window where the cursor's offset from the pressed point says,
// as far as the window agrees (WM_MOVING), once the cursor has moved.
void Follow(HWND hwnd, const RECT& start, POINT pressed, POINT& last) {
    POINT cursor{};
    GetCursorPos(&cursor);
    if (cursor.x == last.x && cursor.y == last.y) return;
    last = cursor;
    RECT next = start;
    OffsetRect(&next, cursor.x - pressed.x, cursor.y - pressed.y);
    SendMessageA(hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&next));
    RECT now{};
    GetWindowRect(hwnd, &now);
    if (next.left != now.left || next.top != now.top) {
        SetWindowPos(hwnd, nullptr, next.left, next.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The next message: what is queued first, even once the button is up (a
// key pressed before the button went up counts; a bounded number, should
// something keep posting); then, while the button is down, whatever comes.
// False when the move is over.
bool NextMessage(HWND hwnd, MSG& msg, int& afterRelease) {
    const bool over = !ButtonDown() || GetCapture() != hwnd;
    if (over && ++afterRelease > 256) return false;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
    if (over) return false;
    return GetMessageA(&msg, nullptr, 0, 0) > 0 || msg.message == WM_QUIT;
}

}  // namespace

void MoveWindowWithMouse(HWND hwnd, POINT pressed) {
    RECT start{};
    if (!GetWindowRect(hwnd, &start)) return;
    SendMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(hwnd);
    bool cancelled = false;
    POINT last = pressed;
    int afterRelease = 0;
    MSG msg;
    while (IsWindow(hwnd)) {
        Follow(hwnd, start, pressed, last);
        if (!NextMessage(hwnd, msg, afterRelease)) break;
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            cancelled = true;
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) break;
        if (IsKeyMessage(msg.message) || IsMouseMessage(msg.message)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!IsWindow(hwnd)) return;
    if (cancelled) SetWindowPos(hwnd, nullptr, start.left, start.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (GetCapture() == hwnd) ReleaseCapture();
    SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
}
