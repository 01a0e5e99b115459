// Where window creation and destruction hand over to the window tree,
// geometry, painting, input and timers.
#pragma once

#include "platform/user/window_object.h"

// Before WM_NCCREATE: places the window in the tree with its first
// rectangle (CW_USEDEFAULT resolved in the create structure). Takes
// WS_VISIBLE out of the style; WindowCreated shows the window afterwards.
void WindowAttach(CWindowObject& window, CREATESTRUCTA& cs);
// After WM_NCCREATE succeeded: the client area by WM_NCCALCSIZE.
void WindowNcCreated(HWND hwnd);
// After WM_CREATE succeeded: WM_SIZE, WM_MOVE, WM_PARENTNOTIFY and, for
// a window created visible, showing it.
void WindowCreated(HWND hwnd, DWORD createStyle);
// Before WM_DESTROY: hides the window, takes capture, focus and activation
// away from it.
void WindowDestroying(HWND hwnd);
// After WM_NCDESTROY (or when the thread ended): forgets the window's
// node, timers, surface and host. Sends nothing.
void WindowDetach(HWND hwnd);
// The default handling of the messages of the window system.
LRESULT DefWindowProcWindowing(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Dispatches WM_TIMER of a timer procedure; false when lParam is none.
bool DispatchTimerProcedure(const MSG& msg, LRESULT* result);
// Character messages for a key message.
BOOL TranslateKeyMessage(const MSG& msg);
