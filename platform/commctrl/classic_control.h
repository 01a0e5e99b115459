// What the static, button and edit controls share: their font, the colours
// their parent gives them, notifications to the parent and greyed text.
#pragma once

#include <string>

#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef DLGC_WANTARROWS
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000
#endif

namespace trelwin::commctrl {

// The font a control draws with: the one given by WM_SETFONT, else the
// default GUI font.
inline HFONT ControlFont(HFONT font) {
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// WM_COMMAND with the control's id and the code, to its parent.
void NotifyParent(HWND control, WORD code);

// Asks the parent for the control's colours (a WM_CTLCOLOR... message):
// the DC gets the text and background colours, the brush paints the
// background. A parent that gives no brush leaves the classic colours.
HBRUSH ParentColours(HWND control, HDC hdc, UINT message);

// DrawText, greyed (the raised look of disabled text) when not enabled.
void DrawControlText(HDC hdc, const std::string& text, RECT rect, UINT format, bool enabled);

// The state object that a control keeps in its first extra window bytes.
template <class T>
T* ControlState(HWND hwnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, 0));
}

// WM_SETFONT: keeps the font and repaints when asked.
inline void SetControlFont(HWND hwnd, HFONT& slot, WPARAM font, LPARAM redraw) {
    slot = reinterpret_cast<HFONT>(font);
    if (LOWORD(redraw)) InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace trelwin::commctrl
