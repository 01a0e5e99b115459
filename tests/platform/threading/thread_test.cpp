#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"
#include "platform/threading/threading.h"
#include "thread_test_util.h"

using threading_test::kPatience;
using threading_test::Eventually;
using threading_test::ExpectEndsWith;
using threading_test::StartFunction;

namespace {

struct SetOnDestruction {
    std::atomic<bool>* flag;
    ~SetOnDestruction() { *flag = true; }
};

std::atomic<bool> g_bUnwound{false};
std::atomic<bool> g_bAfterEnd{false};

void EndFromDeepInside(unsigned code) {
    SetOnDestruction guard{&g_bUnwound};
    _endthreadex(code);
}

unsigned __stdcall EndingEarly(void*) {
    EndFromDeepInside(5);
    g_bAfterEnd = true;
    return 1;
}

DWORD WINAPI ExitingEarly(LPVOID) {
    SetOnDestruction guard{&g_bUnwound};
    ExitThread(9);
}

}  // namespace

TEST(ThreadTest, SuspendedThreadDoesNotRunBeforeResume) {
    std::atomic<int> runs{0};
    std::function<DWORD()> body = [&] {
        ++runs;
        return 3;
    };
    DWORD nThreadId = 0;
    HANDLE hThread = StartFunction(&body, CREATE_SUSPENDED, &nThreadId);
    ASSERT_NE(hThread, nullptr);
    EXPECT_NE(nThreadId, 0u);
    EXPECT_EQ(WaitForSingleObject(hThread, 30), WAIT_TIMEOUT);
    EXPECT_EQ(runs, 0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(hThread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(SuspendThread(hThread), 1u);  // counts up while held back
    EXPECT_EQ(ResumeThread(hThread), 2u);
    EXPECT_EQ(WaitForSingleObject(hThread, 20), WAIT_TIMEOUT);
    EXPECT_EQ(ResumeThread(hThread), 1u);
    EXPECT_EQ(WaitForSingleObject(hThread, kPatience), WAIT_OBJECT_0);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ResumeThread(hThread), 0u);
    EXPECT_EQ(SuspendThread(hThread), static_cast<DWORD>(-1));  // a started thread cannot be held back
    CloseHandle(hThread);
}

TEST(ThreadTest, HandleStaysWaitableWithItsExitCodeAfterTheEnd) {
    DWORD nInside = 0;
    std::function<DWORD()> body = [&] {
        nInside = GetCurrentThreadId();
        return 7;
    };
    DWORD nThreadId = 0;
    HANDLE hThread = StartFunction(&body, 0, &nThreadId);
    ExpectEndsWith(hThread, 7);
    EXPECT_EQ(nInside, nThreadId);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(WaitForSingleObject(hThread, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(hThread, INFINITE), WAIT_OBJECT_0);
    }
    DWORD code = 0;
    EXPECT_TRUE(CloseHandle(hThread));
    EXPECT_FALSE(GetExitCodeThread(hThread, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(ThreadTest, EndthreadexEndsTheThreadAtOnceAndUnwindsItsFrames) {
    g_bUnwound = false;
    g_bAfterEnd = false;
    unsigned nThreadId = 0;
    uintptr_t hThread = _beginthreadex(nullptr, 0, &EndingEarly, nullptr, 0, &nThreadId);
    ASSERT_NE(hThread, 0u);
    HANDLE handle = reinterpret_cast<HANDLE>(hThread);
    ExpectEndsWith(handle, 5);
    EXPECT_TRUE(g_bUnwound);
    EXPECT_FALSE(g_bAfterEnd);
    CloseHandle(handle);
}

TEST(ThreadTest, ExitThreadEndsTheThreadWithItsCode) {
    g_bUnwound = false;
    HANDLE hThread = CreateThread(nullptr, 0, &ExitingEarly, nullptr, 0, nullptr);
    ExpectEndsWith(hThread, 9);
    EXPECT_TRUE(g_bUnwound);
    CloseHandle(hThread);
}

TEST(ThreadTest, ClosingTheOnlyHandleOfAHeldBackThreadNeverRunsIt) {
    std::atomic<int> runs{0};
    std::function<DWORD()> body = [&] {
        ++runs;
        return 0;
    };
    HANDLE hThread = StartFunction(&body, CREATE_SUSPENDED);
    ASSERT_NE(hThread, nullptr);
    CloseHandle(hThread);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(runs, 0);
}

// Once resumed, a thread runs even when its last handle is closed before
// the system has scheduled it (start suspended, resume, close: the way a
// framework thread is started and then forgotten).
TEST(ThreadTest, ClosingTheOnlyHandleOfAResumedThreadStillRunsIt) {
    constexpr int kThreads = 200;
    // Static: a thread may still be leaving the body when the test ends.
    static std::atomic<int> runs{0};
    static std::function<DWORD()> body = [] {
        ++runs;
        return 0;
    };
    runs = 0;
    for (int i = 0; i < kThreads; ++i) {
        HANDLE hThread = StartFunction(&body, CREATE_SUSPENDED);
        ASSERT_NE(hThread, nullptr);
        EXPECT_EQ(ResumeThread(hThread), 1u);
        CloseHandle(hThread);
    }
    EXPECT_TRUE(Eventually([&] { return runs == kThreads; })) << runs << " of " << kThreads << " ran";
}

TEST(ThreadTest, HandleClosedWhileTheThreadRunsLeavesItRunning) {
    HANDLE hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> done{false};
    std::function<DWORD()> body = [&] {
        WaitForSingleObject(hGo, kPatience);
        done = true;
        return 0;
    };
    HANDLE hThread = StartFunction(&body);
    CloseHandle(hThread);
    SetEvent(hGo);
    EXPECT_TRUE(Eventually([&] { return done.load(); }));
    CloseHandle(hGo);
}

TEST(ThreadTest, PrioritiesAreRememberedWithinTheirRange) {
    std::function<DWORD()> body = [] { return 0; };
    HANDLE hThread = StartFunction(&body, CREATE_SUSPENDED);
    EXPECT_EQ(GetThreadPriority(hThread), THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(SetThreadPriority(hThread, THREAD_PRIORITY_TIME_CRITICAL));
    EXPECT_EQ(GetThreadPriority(hThread), THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_FALSE(SetThreadPriority(hThread, 7));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetThreadPriority(hThread), THREAD_PRIORITY_TIME_CRITICAL);
    ResumeThread(hThread);
    WaitForSingleObject(hThread, kPatience);
    CloseHandle(hThread);
    EXPECT_EQ(GetThreadPriority(hThread), THREAD_PRIORITY_ERROR_RETURN);

    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(CloseHandle(GetCurrentThread()));  // a pseudo handle: nothing to close
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);

    EXPECT_TRUE(SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), REALTIME_PRIORITY_CLASS);
    EXPECT_FALSE(SetPriorityClass(GetCurrentProcess(), 0x12345));
    EXPECT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
}

TEST(ThreadTest, ThreadStartedElsewhereGetsAnObjectSignalledAtItsEnd) {
    std::atomic<DWORD> nPriority{0};
    std::thread foreign([&] {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
        nPriority = GetThreadPriority(GetCurrentThread());
        EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 0), WAIT_TIMEOUT);
    });
    foreign.join();
    EXPECT_EQ(static_cast<int>(nPriority), THREAD_PRIORITY_LOWEST);
}

TEST(ThreadTest, NullStartRoutineIsRefused) {
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
}
