// Small pieces shared by the list box, combo box and up-down controls:
// where notifications go, the font they draw with, and per-window state
// kept in the first extra window bytes.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/user/dialog_manager.h"
#include "platform/user/user.h"

#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef WM_NOTIFY
#define WM_NOTIFY 0x004E
#endif

namespace trelwin::commctrl::items {

// The window that hears about the control: its parent, or for a pop-up
// (the drop-down list of a combo box) its owner.
inline HWND NotifyTarget(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    return parent != nullptr ? parent : GetWindow(hwnd, GW_OWNER);
}

inline void SendCommand(HWND hwnd, int code) {
    HWND target = NotifyTarget(hwnd);
    if (target == nullptr) return;
    const int id = GetDlgCtrlID(hwnd);
    SendMessageA(target, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd));
}

inline HFONT DefaultFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// The height of a line of text in the font (the default GUI font when null).
inline int FontLineHeight(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : DefaultFont());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight > 0 ? static_cast<int>(tm.tmHeight) : 13;
}

// The state object of a control window, created at WM_NCCREATE and deleted
// at WM_NCDESTROY by the control's procedure.
template <typename T>
T* StateOf(HWND hwnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, 0));
}

template <typename T>
void SetState(HWND hwnd, T* state) {
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
}

// Case-insensitive comparison of ASCII text, as the controls sort and search.
int CompareNoCase(const char* a, const char* b);
bool StartsWithNoCase(const char* text, const char* prefix);

// A triangle pointing up, down, left or right, centred in the rectangle.
enum class Arrow { Up, Down, Left, Right };
void DrawArrow(HDC dc, const RECT& rect, Arrow direction, COLORREF colour);

}  // namespace trelwin::commctrl::items
