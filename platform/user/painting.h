// Painting: update regions, WM_PAINT, and DCs of windows and of the screen.
//
// Every top-level window draws into one surface of its own size; a DC of a
// window (or of one of its children) draws into that surface, clipped to
// the part of the window that is visible (parent client areas, siblings
// above it with WS_CLIPSIBLINGS, children with WS_CLIPCHILDREN, window
// regions). When a DC is released, or painting ends, the part it could
// change is presented on the display. WM_PAINT is made when a thread finds
// no other message, for the first window (top-level windows first, parents
// before children) whose update region is not empty.
#pragma once

#include <string>

#include "platform/user/window_defs.h"

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL WINAPI InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL WINAPI ValidateRgn(HWND hWnd, HRGN hRgn);
BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
int WINAPI GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
BOOL WINAPI UpdateWindow(HWND hWnd);
BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
// The client area; GetDC(NULL) is the whole screen.
HDC WINAPI GetDC(HWND hWnd);
HDC WINAPI GetWindowDC(HWND hWnd);
int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
HWND WINAPI WindowFromDC(HDC hDC);

namespace trelwin::user {

// Saves what the window shows (its whole window rectangle) or the whole
// screen as a PNG file; false with a message in error when it cannot.
bool SaveWindowPng(HWND hwnd, const std::string& path, std::string* error);
bool SaveScreenPng(const std::string& path, std::string* error);
// Copies what lies beneath the top-level window in the screen area to
// (x, y) of the DC: the desktop and the windows below it, without the
// window itself, so a window about to be shown (or shown already) can
// blend itself with what it covers.
bool CopyScreenBeneath(HWND hwnd, HDC hdc, int x, int y, const RECT& area);
// The colour the window shows at a point of its client area.
COLORREF GetClientPixel(HWND hwnd, int x, int y);
// Whether any window of the calling thread waits for WM_PAINT.
bool ThreadHasPaintPending();

}  // namespace trelwin::user

// Messages made on demand (WM_PAINT, and through timers.h WM_TIMER).
bool PeekPaintMessage(MSG& msg, HWND filter, bool remove);
