#include "platform/commctrl/classic_control.h"

namespace trelwin::commctrl {

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


void RegisterControl(LPCSTR name, WNDPROC proc, LPCSTR cursor) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hCursor = LoadCursorA(nullptr, cursor);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

}  // namespace trelwin::commctrl
