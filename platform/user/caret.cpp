#include "platform/user/caret.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/timers.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

struct CCaret {
    HWND hwnd = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{0, 0};
    int hidden = 1;        // hide count; shown at 0
    bool drawn = false;    // the pixels are inverted now
    bool painting = false;  // taken off for its window's painting
    UINT_PTR timer = 0;
    UINT blink = 530;
};

// Guarded by UserLock; the caret is drawn on its window's thread.
CCaret& Caret() {
    static auto* caret = new CCaret;
    return *caret;
}

void Invert(HWND hwnd, POINT pos, int width, int height) {
    HDC hdc = GetDC(hwnd);
    RECT r{pos.x, pos.y, pos.x + width, pos.y + height};
    InvertRect(hdc, &r);
    ReleaseDC(hwnd, hdc);
}

// Toggles the caret's pixels when they should change to the wanted state.
void Draw(bool on) {
    HWND hwnd = nullptr;
    POINT pos{};
    int width = 0, height = 0;
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (!c.hwnd || c.drawn == on) return;
        c.drawn = on;
        hwnd = c.hwnd;
        pos = c.pos;
        width = c.width;
        height = c.height;
    }
    Invert(hwnd, pos, width, height);
}

void CALLBACK Blink(HWND, UINT, UINT_PTR, DWORD) {
    bool on = false;
    {
        UserGuard guard(UserLock());
        const CCaret& c = Caret();
        if (!c.hwnd || c.hidden > 0 || c.painting) return;
        on = !c.drawn;
    }
    Draw(on);
}

bool OwnsCaret(HWND hwnd) {
    const CCaret& c = Caret();
    return c.hwnd && (hwnd == nullptr || hwnd == c.hwnd);
}

}  // namespace

BOOL WINAPI CreateCaret(HWND hWnd, HBITMAP, int nWidth, int nHeight) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DestroyCaret();
    UINT_PTR timer = 0;
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        c.hwnd = hWnd;
        c.width = nWidth > 0 ? nWidth : GetSystemMetrics(SM_CXBORDER);
        c.height = nHeight > 0 ? nHeight : GetSystemMetrics(SM_CYBORDER);
        c.pos = POINT{0, 0};
        c.hidden = 1;
        c.drawn = false;
        c.painting = false;
        timer = c.blink;
    }
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(timer), Blink);
    UserGuard guard(UserLock());
    Caret().timer = id;
    return TRUE;
}

BOOL WINAPI DestroyCaret() {
    Draw(false);
    UINT_PTR timer = 0;
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (!c.hwnd) return FALSE;
        timer = c.timer;
        const UINT blink = c.blink;
        c = CCaret();
        c.blink = blink;
    }
    if (timer) KillTimer(nullptr, timer);
    return TRUE;
}

BOOL WINAPI ShowCaret(HWND hWnd) {
    bool draw = false;
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (!OwnsCaret(hWnd)) return FALSE;
        if (c.hidden > 0) --c.hidden;
        draw = c.hidden == 0 && !c.painting;
    }
    if (draw) Draw(true);
    return TRUE;
}

BOOL WINAPI HideCaret(HWND hWnd) {
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (!OwnsCaret(hWnd)) return FALSE;
        ++c.hidden;
    }
    Draw(false);
    return TRUE;
}

BOOL WINAPI SetCaretPos(int X, int Y) {
    bool visible = false;
    {
        UserGuard guard(UserLock());
        if (!Caret().hwnd) return FALSE;
        visible = Caret().drawn;
    }
    Draw(false);
    {
        UserGuard guard(UserLock());
        Caret().pos = POINT{X, Y};
    }
    if (visible) Draw(true);
    return TRUE;
}

BOOL WINAPI GetCaretPos(LPPOINT lpPoint) {
    if (!lpPoint) return FALSE;
    UserGuard guard(UserLock());
    *lpPoint = Caret().pos;
    return TRUE;
}

UINT WINAPI GetCaretBlinkTime() {
    UserGuard guard(UserLock());
    return Caret().blink;
}

BOOL WINAPI SetCaretBlinkTime(UINT uMSeconds) {
    UserGuard guard(UserLock());
    Caret().blink = uMSeconds ? uMSeconds : 530;
    return TRUE;
}

HWND CaretWindow() {
    UserGuard guard(UserLock());
    return Caret().hwnd;
}

void CaretBeforePaint(HWND hwnd) {
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (c.hwnd != hwnd) return;
        c.painting = true;
    }
    Draw(false);
}

void CaretAfterPaint(HWND hwnd) {
    bool draw = false;
    {
        UserGuard guard(UserLock());
        CCaret& c = Caret();
        if (c.hwnd != hwnd || !c.painting) return;
        c.painting = false;
        draw = c.hidden == 0;
    }
    if (draw) Draw(true);
}
