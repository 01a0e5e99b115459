// Window geometry: rectangles, positions, sizes, stacking, visibility,
// enabling, shapes, and mapping between client and screen coordinates.
//
// Top-level rectangles are in screen coordinates, child rectangles in their
// parent's client coordinates. SetWindowPos sends WM_WINDOWPOSCHANGING,
// WM_NCCALCSIZE and WM_WINDOWPOSCHANGED synchronously; the default handling
// of WM_WINDOWPOSCHANGED sends WM_MOVE and WM_SIZE.
#pragma once

#include <optional>

#include "platform/gdi/internal/region_data.h"
#include "platform/user/window_defs.h"

// Rectangles in the coordinates of the window's top-level window (the
// surface it draws on). Caller holds UserLock.
RECT WindowRectInTop(HWND hwnd);
RECT ClientRectInTop(HWND hwnd);
// The screen position of the window's client origin. Caller holds UserLock.
POINT ClientOriginOnScreen(HWND hwnd);
// The client rectangle the default WM_NCCALCSIZE gives a window of these
// styles and this window rectangle (both in the same coordinates).
RECT DefaultClientRect(DWORD style, DWORD exStyle, const RECT& window);
// Visible itself and all its ancestors. Caller may hold UserLock.
bool IsShownChain(HWND hwnd);
// The window under a screen point, as mouse input finds it: visible and
// enabled windows, shapes respected, windows that answer HTTRANSPARENT
// passed through. hitTest receives the answer of WM_NCHITTEST.
HWND WindowFromScreenPoint(POINT pt, int* hitTest);

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
BOOL WINAPI BringWindowToTop(HWND hWnd);
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI IsWindowVisible(HWND hWnd);
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
BOOL WINAPI IsWindowEnabled(HWND hWnd);
BOOL WINAPI IsIconic(HWND hWnd);
BOOL WINAPI IsZoomed(HWND hWnd);
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint);
int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
HWND WINAPI WindowFromPoint(POINT Point);
HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point);
HWND WINAPI ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags);
// The window takes the region (window coordinates) and deletes it later.
int WINAPI SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw);
// Copies the window's region into hRgn; ERROR when it has none.
int WINAPI GetWindowRgn(HWND hWnd, HRGN hRgn);
BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu);
