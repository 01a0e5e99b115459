// Helpers of the window and message tests: a window class whose procedure
// records what it receives and lets a test add behaviour, threads with a
// time limit.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/process.h"
#include "platform/user/user.h"

namespace user_test {

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId;
};

// Per-window behaviour, kept in the window's user data.
struct WindowProbe {
    std::mutex lock;
    std::vector<Received> received;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler;  // may be empty

    std::vector<UINT> Messages() {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<UINT> messages;
        for (const auto& r : received) messages.push_back(r.message);
        return messages;
    }
};

inline LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* probe = reinterpret_cast<WindowProbe*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        probe = static_cast<WindowProbe*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(probe));
    }
    if (probe == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    {
        std::lock_guard<std::mutex> guard(probe->lock);
        probe->received.push_back({hwnd, msg, wParam, lParam, GetCurrentThreadId()});
    }
    if (probe->handler && msg != WM_NCCREATE) return probe->handler(hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline const char* ProbeClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.cbWndExtra = 2 * sizeof(LONG_PTR);
        wc.lpszClassName = "UserTestProbe";
        RegisterClassA(&wc);
        return "UserTestProbe";
    }();
    return name;
}

// A message-only window of the calling thread.
inline HWND CreateProbe(WindowProbe* probe) {
    return CreateWindowExA(0, ProbeClass(), "probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, probe);
}

// Runs the function on a thread of its own and waits at most the time for
// it; false when it did not end in time (the thread is then left behind).
inline bool RunWithin(std::function<void()> function, int milliseconds = 5000) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread([function, done] {
        function();
        done->set_value();
    }).detach();
    return ended.wait_for(std::chrono::milliseconds(milliseconds)) == std::future_status::ready;
}

// Pumps the calling thread's messages until the condition holds or the time
// runs out.
template <class Condition>
bool PumpUntil(Condition condition, int milliseconds = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

// Handles what is queued, every message it takes and WM_QUIT too, at most
// the count; how many it handled.
inline int Pump(int limit = 10000) {
    MSG msg;
    int n = 0;
    while (n < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++n;
    }
    return n;
}

// As Pump, giving the dialog's keyboard handling (IsDialogMessage) each
// message first.
inline int DialogPump(HWND dialog, int limit = 10000) {
    MSG msg;
    int n = 0;
    while (n < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++n;
        if (IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return n;
}

// Destroys every window of this thread and handles what that queued.
inline void DestroyThreadWindows() {
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM) -> BOOL {
        DestroyWindow(hwnd);
        return TRUE;
    }, 0);
    Pump();
}

}  // namespace user_test
