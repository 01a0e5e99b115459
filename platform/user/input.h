// Mouse and keyboard input: capture, focus, activation, mouse tracking,
// cursors, key state, and the injection of input events (by tests, and by a
// host display for a person's input).
//
// Focus, activation and capture belong to the whole process here, since
// all windows of the program take input on one thread.
#pragma once

#include "platform/user/window_defs.h"

HWND WINAPI SetCapture(HWND hWnd);
BOOL WINAPI ReleaseCapture();
HWND WINAPI GetCapture();
HWND WINAPI SetFocus(HWND hWnd);
HWND WINAPI GetFocus();
HWND WINAPI SetActiveWindow(HWND hWnd);
HWND WINAPI GetActiveWindow();
BOOL WINAPI SetForegroundWindow(HWND hWnd);
HWND WINAPI GetForegroundWindow();
BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack);
BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
// Moves the cursor; the window under it gets a mouse move.
BOOL WINAPI SetCursorPos(int X, int Y);
SHORT WINAPI GetKeyState(int nVirtKey);
SHORT WINAPI GetAsyncKeyState(int vKey);
BOOL WINAPI GetKeyboardState(PBYTE lpKeyState);
DWORD WINAPI GetMessagePos();

#define _TrackMouseEvent TrackMouseEvent

// Virtual keys.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE

namespace trelwin::user {

// Input as it comes from a mouse and a keyboard, at screen positions. The
// messages go to the queues of the windows' threads; WM_NCHITTEST,
// WM_SETCURSOR and WM_MOUSEACTIVATE are sent on the way. A time of 0 means
// now (GetTickCount); tests give times to make double clicks exact.
void InjectMouseMove(int x, int y, DWORD time = 0);
// button: 0 left, 1 right, 2 middle; at the current cursor position.
void InjectMouseButton(int button, bool down, DWORD time = 0);
void InjectMouseClick(int x, int y, int button = 0, DWORD time = 0);
void InjectMouseWheel(int delta);
void InjectKey(UINT vk, bool down);
// Typed characters that no key message stands for (a host's text input).
void InjectChar(char c);

}  // namespace trelwin::user

// Called by geometry when a window was hidden, disabled or is being
// destroyed: moves focus, activation, capture and mouse tracking away.
void InputWindowGone(HWND hwnd, bool destroying);
// Called by ShowWindow when a top-level window was minimised: activation
// (and with it the focus) goes to the next window, the capture is let go.
void InputWindowMinimized(HWND hwnd);
