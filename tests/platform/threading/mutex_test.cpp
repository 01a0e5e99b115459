#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/threading.h"
#include "thread_test_util.h"

using threading_test::kPatience;
using threading_test::ExpectEndsWith;
using threading_test::StartFunction;

TEST(MutexTest, OwnerTakesItRecursivelyAndMustReleaseAsOften) {
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, nullptr);
    ASSERT_NE(hMutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(hMutex, 0), WAIT_OBJECT_0);
    std::atomic<DWORD> other{0};
    std::thread([&] { other = WaitForSingleObject(hMutex, 0); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);

    EXPECT_TRUE(ReleaseMutex(hMutex));
    std::thread([&] { other = WaitForSingleObject(hMutex, 0); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);  // still held once
    EXPECT_TRUE(ReleaseMutex(hMutex));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(hMutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    CloseHandle(hMutex);
}

TEST(MutexTest, OnlyTheOwnerReleases) {
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, nullptr);
    std::atomic<BOOL> released{TRUE};
    std::thread([&] { released = ReleaseMutex(hMutex); }).join();
    EXPECT_FALSE(released);
    EXPECT_TRUE(ReleaseMutex(hMutex));
    CloseHandle(hMutex);
}

TEST(MutexTest, MutexOfAnEndedOwnerIsHandedOnAsAbandoned) {
    HANDLE hMutex = CreateMutexA(nullptr, FALSE, nullptr);
    std::function<DWORD()> body = [&] { return WaitForSingleObject(hMutex, 0); };
    HANDLE hThread = StartFunction(&body);
    ExpectEndsWith(hThread, WAIT_OBJECT_0);  // it took the mutex and kept it
    HANDLE both[2] = {hThread, hMutex};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_ABANDONED_0 + 1);
    EXPECT_EQ(WaitForSingleObject(hMutex, 0), WAIT_OBJECT_0);  // abandonment is reported once
    EXPECT_TRUE(ReleaseMutex(hMutex));
    EXPECT_TRUE(ReleaseMutex(hMutex));
    CloseHandle(hThread);
    CloseHandle(hMutex);
}

// The same for a mutex that a thread of its own (not one this layer
// started, and one that never waited) created already owned.
TEST(MutexTest, MutexCreatedOwnedByAnEndedThreadIsAbandoned) {
    HANDLE hMutex = nullptr;
    std::thread([&] { hMutex = CreateMutexA(nullptr, TRUE, nullptr); }).join();
    ASSERT_NE(hMutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(hMutex, kPatience), WAIT_ABANDONED_0);
    EXPECT_TRUE(ReleaseMutex(hMutex));
    CloseHandle(hMutex);
}

TEST(MutexTest, ThreadsTakeItOneAtATime) {
    HANDLE hMutex = CreateMutexA(nullptr, FALSE, nullptr);
    int counter = 0;  // guarded by the mutex only
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                if (WaitForSingleObject(hMutex, kPatience) != WAIT_OBJECT_0) {
                    return;
                }
                if (++inside > 1) {
                    ++overlaps;
                }
                ++counter;
                --inside;
                ReleaseMutex(hMutex);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 2000);
    EXPECT_EQ(overlaps, 0);
    CloseHandle(hMutex);
}

TEST(MutexTest, FrameworkMutexTriesWithAZeroTimeOut) {
    CMutex mutex;
    ASSERT_TRUE(mutex.Lock(0));
    std::atomic<BOOL> taken{TRUE};
    std::thread([&] { taken = mutex.Lock(0); }).join();
    EXPECT_FALSE(taken);
    EXPECT_TRUE(mutex.Unlock());
    std::thread([&] {
        taken = mutex.Lock(0);
        mutex.Unlock();
    }).join();
    EXPECT_TRUE(taken);
}

TEST(CriticalSectionTest, RecursiveForItsOwnerAndExclusiveForOthers) {
    CCriticalSection section;
    section.Lock();
    section.Lock();
    std::atomic<BOOL> entered{TRUE};
    std::thread([&] { entered = TryEnterCriticalSection(section); }).join();
    EXPECT_FALSE(entered);
    section.Unlock();
    std::thread([&] { entered = TryEnterCriticalSection(section); }).join();
    EXPECT_FALSE(entered);
    section.Unlock();
    std::thread([&] {
        entered = TryEnterCriticalSection(section);
        if (entered) {
            LeaveCriticalSection(section);
        }
    }).join();
    EXPECT_TRUE(entered);
}

TEST(CriticalSectionTest, GuardsAPlainCounter) {
    CCriticalSection section;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CSingleLock lock(&section, TRUE);
                ++counter;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 8000);
}

TEST(InterlockedTest, CountsAndSwapsAtomically) {
    LONG volatile value = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                InterlockedIncrement(&value);
                InterlockedIncrement(&value);
                InterlockedDecrement(&value);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(value, 20000);
    EXPECT_EQ(InterlockedExchange(&value, 3), 20000);
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 4), 3);  // no match: unchanged
    EXPECT_EQ(value, 3);
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 3), 3);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(InterlockedDecrement(&value), 8);
}
