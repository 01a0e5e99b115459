#include "platform/commctrl/classic_control.h"

namespace trelwin::commctrl {

void NotifyParent(HWND control, WORD code) {
    const HWND parent = GetParent(control);
    if (!parent) return;
    const int id = GetDlgCtrlID(control);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), reinterpret_cast<LPARAM>(control));
}

HBRUSH ParentColours(HWND control, HDC hdc, UINT message) {
    const HWND parent = GetParent(control);
    LRESULT brush = 0;
    if (parent) brush = SendMessageA(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control));
    if (!brush) {
        // Nobody answered: the window system's classic colours.
        brush = DefWindowProcA(control, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control));
    }
    return reinterpret_cast<HBRUSH>(brush);
}

void DrawControlText(HDC hdc, const std::string& text, RECT rect, UINT format, bool enabled) {
    if (enabled) {
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rect, format);
        return;
    }
    const int mode = SetBkMode(hdc, TRANSPARENT);
    const COLORREF colour = GetTextColor(hdc);
    RECT shadow = rect;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(hdc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
    SetTextColor(hdc, GetSysColor(COLOR_3DSHADOW));
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SetTextColor(hdc, colour);
    SetBkMode(hdc, mode);
}

}  // namespace trelwin::commctrl
