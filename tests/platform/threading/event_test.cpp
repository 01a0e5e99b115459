#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/threading.h"
#include "thread_test_util.h"

using threading_test::kPatience;
using threading_test::Eventually;

namespace {

constexpr int kWaiters = 8;

// Waiters that each wait once on an event (at most two seconds).
class Waiters {
public:
    explicit Waiters(HANDLE hEvent) {
        for (int i = 0; i < kWaiters; ++i) {
            m_threads.emplace_back([this, hEvent] {
                ++m_waiting;
                if (WaitForSingleObject(hEvent, kPatience) == WAIT_OBJECT_0) {
                    ++m_served;
                }
            });
        }
        Eventually([this] { return m_waiting == kWaiters; });
    }
    ~Waiters() { Join(); }
    void Join() {
        for (auto& thread : m_threads) {
            if (thread.joinable()) {
                thread.join();
            }
        }
    }

    std::atomic<int> m_waiting{0};
    std::atomic<int> m_served{0};

private:
    std::vector<std::thread> m_threads;
};

}  // namespace

TEST(EventTest, AutoResetReleasesExactlyOneWaiterPerSet) {
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(hEvent, nullptr);
    Waiters waiters(hEvent);
    for (int set = 1; set <= kWaiters; ++set) {
        SetEvent(hEvent);
        EXPECT_TRUE(Eventually([&] { return waiters.m_served >= set; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(set == 1 ? 30 : 2));
        EXPECT_EQ(waiters.m_served, set);
    }
    waiters.Join();
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_TIMEOUT);  // every set was consumed by one waiter
    CloseHandle(hEvent);
}

TEST(EventTest, ManualResetReleasesEveryWaiterAndStaysSignalled) {
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Waiters waiters(hEvent);
    SetEvent(hEvent);
    waiters.Join();
    EXPECT_EQ(waiters.m_served, kWaiters);
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(hEvent));
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_TIMEOUT);
    CloseHandle(hEvent);
}

TEST(EventTest, InitialStateAndAutoResetConsumption) {
    HANDLE hAuto = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(hAuto, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(hAuto, 0), WAIT_TIMEOUT);
    SetEvent(hAuto);
    SetEvent(hAuto);  // sets do not add up
    EXPECT_EQ(WaitForSingleObject(hAuto, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(hAuto, 0), WAIT_TIMEOUT);
    CloseHandle(hAuto);
}

// Two threads hand a token back and forth through two auto-reset events; a
// lost wake-up would stall the exchange and run into the time-outs.
TEST(EventTest, PingPongLosesNoWakeUp) {
    HANDLE hPing = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE hPong = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    constexpr int kRounds = 2000;
    std::atomic<int> answered{0};
    std::thread partner([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (WaitForSingleObject(hPing, kPatience) != WAIT_OBJECT_0) {
                return;
            }
            ++answered;
            SetEvent(hPong);
        }
    });
    int rounds = 0;
    for (; rounds < kRounds; ++rounds) {
        SetEvent(hPing);
        if (WaitForSingleObject(hPong, kPatience) != WAIT_OBJECT_0) {
            break;
        }
    }
    partner.join();
    EXPECT_EQ(rounds, kRounds);
    EXPECT_EQ(answered, kRounds);
    CloseHandle(hPing);
    CloseHandle(hPong);
}

// Many setters and many consumers of one auto-reset event: no consumer is
// served more often than the event was set.
TEST(EventTest, AutoResetUnderContentionNeverServesMoreThanSet) {
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> sets{0};
    std::atomic<int> served{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            while (!stop) {
                if (WaitForSingleObject(hEvent, 5) == WAIT_OBJECT_0) {
                    ++served;
                }
            }
        });
    }
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < 500; ++n) {
                ++sets;
                SetEvent(hEvent);
                std::this_thread::yield();
            }
        });
    }
    for (size_t i = 4; i < threads.size(); ++i) {
        threads[i].join();
    }
    stop = true;
    for (size_t i = 0; i < 4; ++i) {
        threads[i].join();
    }
    EXPECT_GT(served, 0);
    EXPECT_LE(served, sets);
    CloseHandle(hEvent);
}

TEST(EventTest, PulseReleasesWaitersAndLeavesTheEventReset) {
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PulseEvent(hEvent);  // nobody waits: nothing stays signalled
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_TIMEOUT);

    std::atomic<bool> released{false};
    std::thread waiter([&] { released = WaitForSingleObject(hEvent, kPatience) == WAIT_OBJECT_0; });
    // The waiter may not be waiting yet when a pulse goes out; pulse until
    // it has been released.
    EXPECT_TRUE(Eventually([&] {
        PulseEvent(hEvent);
        return released.load();
    }));
    waiter.join();
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_TIMEOUT);
    CloseHandle(hEvent);
}

TEST(EventTest, BadHandlesAndNamesAreRefused) {
    SetLastError(0);
    EXPECT_FALSE(SetEvent(reinterpret_cast<HANDLE>(0x12345)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "Shared"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    HANDLE hMutex = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_FALSE(SetEvent(hMutex));  // not an event
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(hMutex);
}

TEST(EventTest, FrameworkEventLocksLikeItsKind) {
    CEvent autoEvent;  // not signalled, auto-reset
    EXPECT_FALSE(autoEvent.Lock(0));
    autoEvent.SetEvent();
    EXPECT_TRUE(autoEvent.Lock(0));
    EXPECT_FALSE(autoEvent.Lock(0));

    CEvent manualEvent(TRUE, TRUE);
    EXPECT_TRUE(manualEvent.Lock(0));
    EXPECT_TRUE(manualEvent.Lock(0));
    manualEvent.ResetEvent();
    EXPECT_FALSE(manualEvent.Lock(10));
    EXPECT_EQ(WaitForSingleObject(static_cast<HANDLE>(manualEvent), 0), WAIT_TIMEOUT);
}
