// The clipboard, shared by the windows of this process: one window at a
// time opens it; data set on it belongs to it until it is emptied.
#pragma once

#include "platform/user/window_defs.h"

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_UNICODETEXT 13

// Messages that move text between a control and the clipboard.
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_UNDO 0x0304

// FALSE while another window (or thread, for a NULL window) has it open.
BOOL WINAPI OpenClipboard(HWND hWndNewOwner);
BOOL WINAPI CloseClipboard();
// Frees what the clipboard holds; the opener becomes its owner.
BOOL WINAPI EmptyClipboard();
// The clipboard takes the global memory handle (it frees it when emptied).
HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem);
// The clipboard's own handle: read it, do not free it.
HANDLE WINAPI GetClipboardData(UINT uFormat);
BOOL WINAPI IsClipboardFormatAvailable(UINT format);
HWND WINAPI GetClipboardOwner();
HWND WINAPI GetOpenClipboardWindow();
