// Windows behind HWNDs. A window belongs to the thread that created it: that
// thread's queue takes its posted and sent messages, and only that thread
// destroys it. A HWND is a number that is never given out twice, so a
// destroyed window's handle stays invalid for the life of the process.
//
// CWindowObject holds what every window has; later layers (geometry,
// painting, input) add their state by deriving from it or by extending it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/user/message_queue.h"
#include "platform/user/window_class.h"

class CWindowObject {
public:
    virtual ~CWindowObject() = default;

    enum State { Creating, Alive, Destroying, Destroyed };

    HWND m_hWnd = nullptr;
    std::shared_ptr<CWindowClass> m_class;
    std::shared_ptr<CMessageQueue> m_queue;  // the owner thread's queue
    DWORD m_threadId = 0;
    HWND m_hWndParent = nullptr;  // null for top-level and message-only windows
    bool m_bMessageOnly = false;
    std::string m_text;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    HINSTANCE m_hInstance = nullptr;
    LONG_PTR m_id = 0;  // the menu handle of a top-level window
    LONG_PTR m_userData = 0;

    // Owner thread only, except where noted.
    std::atomic<WNDPROC> m_pfnWndProc{nullptr};  // read by any thread that calls the procedure
    std::vector<BYTE> m_extra;                     // cbWndExtra bytes, guarded by the window lock
    // Posts are refused from Destroying on; guarded by WaitLock.
    State m_state = Creating;
};

// The window behind a handle while it exists (from creation until the end of
// its destruction), or null.
std::shared_ptr<CWindowObject> LookupWindow(HWND hwnd);

// Calls the window's procedure on the calling thread; 0 when the window is
// gone.
LRESULT CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Destroys, without calling their procedures, every window of a thread that
// ends.
void DestroyWindowsOfThread(DWORD threadId);

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam);
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI IsWindow(HWND hWnd);
DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);
HWND WINAPI GetParent(HWND hWnd);
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

#define CreateWindowEx CreateWindowExA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
