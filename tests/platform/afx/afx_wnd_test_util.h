// Helpers of the window framework tests: a fixture with a fresh virtual
// screen that destroys the test's windows afterwards, a bounded message
// pump, and a window class of plain procedures that counts what it gets.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/base/process.h"
#include "platform/display/display.h"
#include "tests/platform/user/user_test_util.h"

namespace afx_test {

using user_test::DestroyThreadWindows;
using user_test::Pump;

// Runs the thread's messages as a modal loop does, the windows' own
// PreTranslateMessage first, until done holds or three seconds are up.
inline bool PumpTranslatedUntil(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// What the plain procedure saw, per thread.
struct PlainLog {
    std::vector<UINT> messages;
    LRESULT answer = 0;  // the result of WM_USER + 2
};

inline PlainLog& Log() {
    thread_local PlainLog log;
    return log;
}

inline LRESULT CALLBACK PlainProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().messages.push_back(msg);
    if (msg == WM_USER + 2) return Log().answer;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// A class that is not the framework's: its procedure is PlainProc.
inline const char* PlainClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "AfxTestPlain";
        RegisterClassA(&wc);
        return "AfxTestPlain";
    }();
    return name;
}

inline HWND MakePlain(HWND parent = nullptr, int id = 0) {
    return CreateWindowExA(0, PlainClass(), "plain", parent ? WS_CHILD | WS_VISIBLE : WS_POPUP, 0, 0, 50, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

inline bool Saw(UINT message) {
    for (UINT m : Log().messages) {
        if (m == message) return true;
    }
    return false;
}

class AfxWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        trelwin::display::use_headless(640, 480);
        Log() = PlainLog{};
    }
    void TearDown() override {
        DestroyThreadWindows();
        trelwin::afx::FreeTemporaryObjects();
    }
};

}  // namespace afx_test
