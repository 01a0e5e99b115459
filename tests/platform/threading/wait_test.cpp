#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/threading.h"
#include "thread_test_util.h"

using threading_test::kPatience;
using threading_test::MillisecondsSince;

namespace {

class WaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hAuto = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        m_hManual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_handles[0] = m_hAuto;
        m_handles[1] = m_hManual;
    }
    void TearDown() override {
        CloseHandle(m_hAuto);
        CloseHandle(m_hManual);
    }

    HANDLE m_hAuto = nullptr;
    HANDLE m_hManual = nullptr;
    HANDLE m_handles[2] = {};
};

}  // namespace

TEST_F(WaitTest, TimeOutWaitsAtLeastTheLimit) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(m_hAuto, 40), WAIT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 40);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, TRUE, 30), WAIT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 30);
}

TEST_F(WaitTest, WaitAnyReportsTheFirstSignalledIndex) {
    SetEvent(m_hManual);
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(m_hAuto);
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, FALSE, 0), WAIT_OBJECT_0);
    // The auto-reset event was taken, the manual one was left alone.
    EXPECT_EQ(WaitForSingleObject(m_hAuto, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, FALSE, 0), WAIT_OBJECT_0 + 1);
}

TEST_F(WaitTest, WaitAllTakesNothingUntilEveryObjectIsSignalled) {
    SetEvent(m_hAuto);
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, TRUE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(m_hAuto, 0), WAIT_OBJECT_0);  // still there after the failed wait

    SetEvent(m_hAuto);
    SetEvent(m_hManual);
    EXPECT_EQ(WaitForMultipleObjects(2, m_handles, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m_hAuto, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(m_hManual, 0), WAIT_OBJECT_0);
}

TEST_F(WaitTest, WaitAllWakesWhenTheLastObjectIsSignalledLater) {
    std::atomic<DWORD> result{0};
    std::thread waiter([&] { result = WaitForMultipleObjects(2, m_handles, TRUE, kPatience); });
    SetEvent(m_hManual);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    SetEvent(m_hAuto);
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m_hAuto, 0), WAIT_TIMEOUT);
}

// A wait for all of {mutex, event} must not take the event while another
// thread owns the mutex.
TEST_F(WaitTest, WaitAllIsAtomicWithAnOwnedMutex) {
    HANDLE hMutex = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE hOwned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        WaitForSingleObject(hMutex, INFINITE);
        SetEvent(hOwned);
        WaitForSingleObject(hRelease, kPatience);
        ReleaseMutex(hMutex);
    });
    ASSERT_EQ(WaitForSingleObject(hOwned, kPatience), WAIT_OBJECT_0);
    HANDLE both[2] = {hMutex, m_hAuto};
    SetEvent(m_hAuto);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), WAIT_TIMEOUT);
    SetEvent(hRelease);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, kPatience), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(hMutex));
    owner.join();
    CloseHandle(hMutex);
    CloseHandle(hOwned);
    CloseHandle(hRelease);
}

TEST_F(WaitTest, BadArgumentsFailTheWait) {
    HANDLE hClosed = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(hClosed);
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(hClosed, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE mixed[2] = {m_hManual, hClosed};
    SetEvent(m_hManual);
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED);

    EXPECT_EQ(WaitForMultipleObjects(0, m_handles, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    HANDLE twice[2] = {m_hManual, m_hManual};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CloseHandle(hClosed), FALSE);
}

// Closing the last handle while another thread waits on the object leaves
// the object alive for that wait.
TEST_F(WaitTest, HandleClosedDuringAWaitKeepsTheObjectForTheWaiter) {
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0};
    std::thread waiter([&] { result = WaitForSingleObject(hEvent, 60); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(CloseHandle(hEvent));
    waiter.join();
    EXPECT_TRUE(result == WAIT_TIMEOUT || result == WAIT_FAILED);  // WAIT_FAILED when closed before the wait began
}

TEST_F(WaitTest, ManyThreadsWaitForAllOfManyThreads) {
    constexpr int kThreads = MAXIMUM_WAIT_OBJECTS;
    HANDLE threads[kThreads];
    std::atomic<int> ran{0};
    std::function<DWORD()> body = [&] {
        ++ran;
        return 0;
    };
    for (auto& hThread : threads) {
        hThread = threading_test::StartFunction(&body);
        ASSERT_NE(hThread, nullptr);
    }
    EXPECT_EQ(WaitForMultipleObjects(kThreads, threads, TRUE, kPatience), WAIT_OBJECT_0);
    EXPECT_EQ(ran, kThreads);
    EXPECT_EQ(WaitForMultipleObjects(kThreads + 1, threads, TRUE, 0), WAIT_FAILED);
    for (HANDLE hThread : threads) {
        CloseHandle(hThread);
    }
}

namespace {

// A wake-up source of a later module's own kind (as a message queue would
// be): signalled while it has something pending.
class CPendingSource : public CWaitableObject {
public:
    bool IsSignalledFor(const CWaiter&) const override { return m_nPending > 0; }
    bool Acquire(CWaiter&) override { return false; }
    void Post() {
        std::lock_guard<std::mutex> lock(WaitLock());
        ++m_nPending;
        NotifyWaiters();
    }

private:
    int m_nPending = 0;
};

}  // namespace

TEST_F(WaitTest, ExtraSourceJoinsAWaitAfterTheHandles) {
    CPendingSource source;
    EXPECT_EQ(WaitForHandles(0, nullptr, FALSE, 10, &source), WAIT_TIMEOUT);
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        source.Post();
    });
    EXPECT_EQ(WaitForHandles(2, m_handles, FALSE, kPatience, &source), WAIT_OBJECT_0 + 2);
    poster.join();
    SetEvent(m_hManual);
    EXPECT_EQ(WaitForHandles(2, m_handles, FALSE, 0, &source), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForHandles(2, m_handles, TRUE, 0, &source), WAIT_TIMEOUT);  // the auto event is missing
    SetEvent(m_hAuto);
    EXPECT_EQ(WaitForHandles(2, m_handles, TRUE, 0, &source), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForHandles(0, nullptr, FALSE, 0, nullptr), WAIT_FAILED);
}
