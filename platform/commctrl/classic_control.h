// What the static, button and edit controls share besides the helpers of
// item_control_support.h: their font, the colours their parent gives them,
// greyed text, painting and class registration.
#pragma once

#include <string>

#include "platform/commctrl/item_control_support.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace trelwin::commctrl {

using items::StateOf;

// WM_COMMAND with the control's id and the code, to its parent.
inline void NotifyParent(HWND control, WORD code) { items::SendCommand(control, code); }

// The font a control draws with: the one given by WM_SETFONT, else the
// default GUI font.
inline HFONT ControlFont(HFONT font) { return font ? font : items::DefaultFont(); }

// Asks the parent for the control's colours (a WM_CTLCOLOR... message):
// the DC gets the text and background colours, the brush paints the
// background. A parent that gives no brush leaves the classic colours.
HBRUSH ParentColours(HWND control, HDC hdc, UINT message);

// DrawText, greyed (the raised look of disabled text) when not enabled.
void DrawControlText(HDC hdc, const std::string& text, RECT rect, UINT format, bool enabled);

// WM_SETFONT: keeps the font and repaints when asked.
inline void SetControlFont(HWND hwnd, HFONT& slot, WPARAM font, LPARAM redraw) {
    slot = reinterpret_cast<HFONT>(font);
    if (LOWORD(redraw)) InvalidateRect(hwnd, nullptr, TRUE);
}

// WM_PAINT and WM_PRINTCLIENT: paints on the DC given in wParam, or
// between BeginPaint and EndPaint when there is none.
template <class Painter>
void PaintMessage(HWND hwnd, WPARAM given, Painter paint) {
    if (given) {
        paint(reinterpret_cast<HDC>(given));
        return;
    }
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    paint(hdc);
    EndPaint(hwnd, &ps);
}

// The control's state object, made at WM_NCCREATE and deleted at
// WM_NCDESTROY (null from then on, and for messages before creation).
template <class T>
T* LiveState(HWND hwnd, UINT msg) {
    if (msg == WM_NCCREATE) {
        auto* state = new T;
        items::SetState(hwnd, state);
        return state;
    }
    T* state = StateOf<T>(hwnd);
    if (msg == WM_NCDESTROY && state) {
        delete state;
        items::SetState<T>(hwnd, nullptr);
        return nullptr;
    }
    return state;
}

// Registers a control class whose state pointer takes the extra bytes.
void RegisterControl(LPCSTR name, WNDPROC proc, LPCSTR cursor);

}  // namespace trelwin::commctrl
