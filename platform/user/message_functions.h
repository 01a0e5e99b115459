// Posting, sending, retrieving and dispatching window messages, and waiting
// for kernel objects and messages together.
//
// A message posted to a window that is being destroyed (from the start of
// DestroyWindow on) or is gone is refused: PostMessage returns FALSE with
// ERROR_INVALID_WINDOW_HANDLE, and an object that the message was to carry
// stays with the sender. Messages already queued when a window is destroyed
// are dropped with it (see DestroyWindow).
//
// SendMessage to a window of the calling thread calls its procedure. To
// another thread's window it queues the message and blocks until that
// thread has handled it; meanwhile the caller handles the messages sent to
// its own windows, so two threads that send to each other do not deadlock.
// A thread handles the messages sent to it whenever it waits in GetMessage,
// PeekMessage, SendMessage or MsgWaitForMultipleObjects. When the receiving
// thread ends first, SendMessage returns 0.
//
// WM_QUIT comes after every other message that passes the filter, and only
// to a retrieval whose filters admit it (window NULL or (HWND)-1, range 0 to
// 0 or one that holds WM_QUIT), so that a loop that takes only its own
// messages never swallows a quit request.
#pragma once

#include "platform/user/user_types.h"

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// TRUE for a message, FALSE for WM_QUIT, -1 for a bad window filter.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
void WINAPI PostQuitMessage(int nExitCode);

// Waits for one or all of the handles, or for messages of the kinds in the
// wake mask; WAIT_OBJECT_0 + nCount when messages are there. Messages that
// are already queued count (not only those that arrive during the call).
// Messages sent to the thread are handled during the wait unless the mask
// holds QS_SENDMESSAGE, which returns so that the caller handles them.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask);

#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define SendMessage SendMessageA
#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define DispatchMessage DispatchMessageA
