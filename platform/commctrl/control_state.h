// The state object of a control that keeps it in its first extra window
// bytes: made at WM_NCCREATE, deleted at WM_NCDESTROY, and recognised by a
// magic number so that a handle of another class is never taken for one.
#pragma once

#include "platform/user/user.h"

namespace trelwin::commctrl {

// S has `DWORD magic`, `static constexpr DWORD kMagic` and `HWND hwnd`.
template <class S>
S* CheckedState(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd)) return nullptr;
    auto* s = reinterpret_cast<S*>(GetWindowLongPtrA(hwnd, 0));
    return s != nullptr && s->magic == S::kMagic ? s : nullptr;
}

// The state for a message of the control's procedure; null for the
// creation and destruction of the state and when there is none, which the
// procedure passes to DefWindowProcA.
template <class S>
S* StateForMessage(HWND hwnd, UINT msg) {
    if (msg == WM_NCCREATE) {
        auto* s = new S;
        s->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
        return nullptr;
    }
    S* s = CheckedState<S>(hwnd);
    if (s != nullptr && msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, 0, 0);
        delete s;
        return nullptr;
    }
    return s;
}

// Registers the class of such a control: double clicks, the arrow cursor,
// room for the state pointer.
inline void RegisterStateClass(const char* name, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

}  // namespace trelwin::commctrl
