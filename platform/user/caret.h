// The caret: a blinking block in one window of the process, drawn by
// inverting the pixels under it. It is hidden while its window paints.
#pragma once

#include "platform/user/window_defs.h"

BOOL WINAPI CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight);
BOOL WINAPI DestroyCaret();
// The caret starts hidden; each HideCaret needs a ShowCaret to undo it.
BOOL WINAPI ShowCaret(HWND hWnd);
BOOL WINAPI HideCaret(HWND hWnd);
BOOL WINAPI SetCaretPos(int X, int Y);
BOOL WINAPI GetCaretPos(LPPOINT lpPoint);
UINT WINAPI GetCaretBlinkTime();
BOOL WINAPI SetCaretBlinkTime(UINT uMSeconds);

// The window that has the caret, or null.
HWND CaretWindow();
// Painting of the caret's window takes the caret off and puts it back.
void CaretBeforePaint(HWND hwnd);
void CaretAfterPaint(HWND hwnd);
