// Timers: WM_TIMER made by the message loop of the thread that set the
// timer, when the thread finds nothing else to do. A timer that falls due
// several times before its message is taken gives one message.
#pragma once

#include "platform/user/window_defs.h"

#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

// With a window: the id given (a timer of the same window and id is
// replaced); only windows of the calling thread. Without: a new id for a
// thread timer. 0 on failure.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

bool PeekTimerMessage(MSG& msg, HWND filter, bool remove);
DWORD TimerDueIn(HWND filter);
bool TimerDueNow();
