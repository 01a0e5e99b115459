// Helpers shared by the threading tests: threads that run a lambda, and
// bounded polling.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/threading/threading.h"

namespace threading_test {

// The bound for waits that should end at once. It only guards against a
// hang, so it is generous: a loaded machine may hold a thread back for
// seconds, and a test must not fail for that.
constexpr DWORD kPatience = 30000;

// Runs the function in a thread of this layer; the handle is the caller's
// to close.
inline HANDLE StartFunction(std::function<DWORD()>* pFunction, DWORD dwFlags = 0, DWORD* pThreadId = nullptr) {
    return CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<std::function<DWORD()>*>(p))(); }, pFunction, dwFlags,
        pThreadId);
}

// Polls the condition every millisecond for at most the given time.
template <class Condition>
bool Eventually(Condition condition, int nMilliseconds = kPatience) {
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
    ASSERT_EQ(WaitForSingleObject(hThread, kPatience), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(hThread, &code));
    EXPECT_EQ(code, nExitCode);
}

}  // namespace threading_test
