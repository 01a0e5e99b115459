#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/thread/win_thread.h"
#include "platform/base/win_errors.h"

namespace {

// The bound for what should happen at once; it only guards against a hang,
// so a loaded machine that holds a thread back for seconds does not fail a
// test.
constexpr DWORD kPatience = 30000;

// An owner with worker functions: Block runs until the stop event is set,
// Quick returns at once. Both record their argument.
class Worker {
public:
    UINT Block(int nArg) {
        Record(nArg);
        m_stop.Lock(kPatience);
        return 0;
    }
    UINT Quick(int nArg) {
        Record(nArg);
        return 0;
    }

    bool StartedRuns(int nRuns) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
        while (m_runs < nRuns && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return m_runs >= nRuns;
    }

    CEvent m_stop{FALSE, TRUE};
    std::atomic<int> m_runs{0};
    std::atomic<int> m_lastArg{-1};

private:
    void Record(int nArg) {
        m_lastArg = nArg;
        ++m_runs;
    }
};

class WinThreadTest : public ::testing::Test {
protected:
    // A failed test must not leave a worker running on the fixture's objects.
    void TearDown() override {
        m_worker.m_stop.SetEvent();
        m_thread.WaitForEnd(INFINITE);
    }

    Worker m_worker;
    CThread<Worker> m_thread;
    IThread<Worker>& m_iface = m_thread;
};

}  // namespace

TEST_F(WinThreadTest, WaitBeforeAnyStartReturnsAtOnce) {
    EXPECT_FALSE(m_iface.IsRunning());
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    EXPECT_TRUE(m_iface.WaitForEnd(0));
}

TEST_F(WinThreadTest, StartWhileRunningIsIgnored) {
    ASSERT_TRUE(m_iface.Start(&m_worker, &Worker::Block, 1, THREAD_PRIORITY_NORMAL, FALSE));
    ASSERT_TRUE(m_worker.StartedRuns(1));
    EXPECT_TRUE(m_iface.Start(&m_worker, &Worker::Quick, 2, THREAD_PRIORITY_NORMAL, FALSE));
    m_worker.m_stop.SetEvent();
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(m_worker.m_runs, 1);
    EXPECT_EQ(m_worker.m_lastArg, 1);
}

// A finite wait that runs out leaves the thread tracked: it is still seen
// running, and a later wait still waits for it.
TEST_F(WinThreadTest, TimedOutWaitKeepsTrackingTheThread) {
    m_iface.Start(&m_worker, &Worker::Block, 0, THREAD_PRIORITY_NORMAL, FALSE);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(m_iface.WaitForEnd(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_TRUE(m_iface.IsRunning());
    EXPECT_FALSE(m_iface.WaitForEnd(0));
    // A start now would be a second thread for one instance: ignored.
    m_iface.Start(&m_worker, &Worker::Quick, 9, THREAD_PRIORITY_NORMAL, FALSE);
    m_worker.m_stop.SetEvent();
    EXPECT_TRUE(m_iface.WaitForEnd(kPatience));
    EXPECT_FALSE(m_iface.IsRunning());
    EXPECT_EQ(m_worker.m_runs, 1);
}

TEST_F(WinThreadTest, EndedThreadIsReleasedAndTheInstanceRestarts) {
    m_iface.Start(&m_worker, &Worker::Quick, 3, THREAD_PRIORITY_NORMAL, FALSE);
    ASSERT_TRUE(m_worker.StartedRuns(1));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
    while (m_iface.IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(m_iface.IsRunning());
    EXPECT_TRUE(m_iface.WaitForEnd(0));
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));

    m_iface.Start(&m_worker, &Worker::Quick, 4, THREAD_PRIORITY_NORMAL, FALSE);
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    EXPECT_EQ(m_worker.m_runs, 2);
    EXPECT_EQ(m_worker.m_lastArg, 4);
}

TEST_F(WinThreadTest, AutoDeleteThreadStaysWaitableAfterItsEnd) {
    m_iface.Start(&m_worker, &Worker::Quick, 5, THREAD_PRIORITY_NORMAL, TRUE);
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    EXPECT_FALSE(m_iface.IsRunning());
    EXPECT_TRUE(m_iface.WaitForEnd(0));
    // A new start replaces the ended thread.
    m_iface.Start(&m_worker, &Worker::Quick, 6, THREAD_PRIORITY_NORMAL, TRUE);
    EXPECT_TRUE(m_iface.WaitForEnd(INFINITE));
    EXPECT_EQ(m_worker.m_runs, 2);
    EXPECT_EQ(m_worker.m_lastArg, 6);
}

// The progress pattern: many heap instances with auto-delete, one worker
// each with its own argument; each is waited for and deleted.
TEST(WinThreadManyTest, ManyAutoDeleteInstancesAreWaitedForAndDeleted) {
    Worker worker;
    std::vector<std::unique_ptr<CThread<Worker>>> threads;
    for (int i = 0; i < 16; ++i) {
        threads.push_back(std::make_unique<CThread<Worker>>());
        ASSERT_TRUE(threads.back()->Start(&worker, i % 2 ? &Worker::Quick : &Worker::Block, i, 0, TRUE));
    }
    worker.m_stop.SetEvent();
    for (auto& thread : threads) {
        EXPECT_TRUE(thread->WaitForEnd(INFINITE));
    }
    EXPECT_EQ(worker.m_runs, 16);
}

// Several owner threads start, test and wait for one instance at once; it
// never runs two workers at a time.
TEST(WinThreadManyTest, ConcurrentCallersNeverStartTwoWorkers) {
    struct Counter {
        std::atomic<int> inside{0};
        std::atomic<int> overlaps{0};
        std::atomic<int> runs{0};
        UINT Work(int) {
            if (++inside > 1) {
                ++overlaps;
            }
            ++runs;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            --inside;
            return 0;
        }
    } counter;
    CThread<Counter> thread;
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([&, c] {
            for (int i = 0; i < 50; ++i) {
                thread.Start(&counter, &Counter::Work, i, 0, FALSE);
                thread.IsRunning();
                thread.WaitForEnd(c % 2 ? 1 : INFINITE);
            }
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_TRUE(thread.WaitForEnd(INFINITE));
    EXPECT_EQ(counter.overlaps, 0);
    EXPECT_GT(counter.runs, 0);
}

// A wait that fails (here: the thread's handle was closed behind the
// template's back) is reported by the one exception the template throws,
// not taken for the thread's end.
TEST(WinThreadFailureTest, AFailedWaitThrowsTheSystemException) {
    struct Stoppable {
        CEvent stop{FALSE, TRUE};
        std::atomic<bool> finished{false};
        UINT Run(int) {
            stop.Lock(kPatience);
            finished = true;
            return 0;
        }
    } worker;
    CThread<Stoppable> thread;
    // Handles are handed out in increasing order: the thread's own is found
    // among the next ones after a marker made just before the start.
    HANDLE marker = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(thread.Start(&worker, &Stoppable::Run, 0, THREAD_PRIORITY_NORMAL, FALSE));
    HANDLE hThread = nullptr;
    for (UINT_PTR h = reinterpret_cast<UINT_PTR>(marker) + 1; h < reinterpret_cast<UINT_PTR>(marker) + 256; ++h) {
        DWORD code = 0;
        if (::GetExitCodeThread(reinterpret_cast<HANDLE>(h), &code) && code == STILL_ACTIVE) {
            hThread = reinterpret_cast<HANDLE>(h);
            break;
        }
    }
    ::CloseHandle(marker);
    ASSERT_NE(hThread, nullptr);
    ASSERT_TRUE(::CloseHandle(hThread));

    bool thrown = false;
    try {
        thread.WaitForEnd(INFINITE);
    } catch (CExceptionSystem& e) {
        thrown = true;
        EXPECT_EQ(e.GetCode(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_STREQ(e.GetDescription(), "CThread<T>::WaitForEnd");
        EXPECT_EQ(e.GetKind(), CExceptionBase::KIND_SYSTEM);
        EXPECT_NE(std::string(e.GetFile()).find("win_thread.h"), std::string::npos);
    }
    EXPECT_TRUE(thrown);

    worker.stop.SetEvent();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
    while (!worker.finished && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(worker.finished);
}
