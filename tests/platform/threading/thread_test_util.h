// Helpers shared by the threading tests: threads that run a lambda, and
// bounded polling.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/threading/threading.h"

namespace threading_test {

// Runs the function in a thread of this layer; the handle is the caller's
// to close.
inline HANDLE StartFunction(std::function<DWORD()>* pFunction, DWORD dwFlags = 0, DWORD* pThreadId = nullptr) {
    return CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<std::function<DWORD()>*>(p))(); }, pFunction, dwFlags,
        pThreadId);
}

// Polls the condition every millisecond for at most the given time.
template <class Condition>
bool Eventually(Condition condition, int nMilliseconds = 2000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMilliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// The thread ends within a bound, with the exit code.
inline void ExpectEndsWith(HANDLE hThread, DWORD nExitCode) {
    ASSERT_EQ(WaitForSingleObject(hThread, 2000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(hThread, &code));
    EXPECT_EQ(code, nExitCode);
}

}  // namespace threading_test
