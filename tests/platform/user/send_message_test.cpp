// SendMessage within a thread and across threads: the receiver's thread
// runs the procedure, waiting threads handle sends meanwhile, and the end of
// the receiving thread releases its senders.
#include <atomic>

#include "tests/platform/user/user_test_util.h"

#include "platform/threading/threading.h"

using namespace user_test;

namespace {

// A thread that owns a window and pumps its messages until told to quit.
class WindowThread {
public:
    explicit WindowThread(WindowProbe* probe) {
        m_thread = std::thread([this, probe] {
            m_hwnd = CreateProbe(probe);
            m_threadId = GetCurrentThreadId();
            m_ready.set_value();
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
            DestroyWindow(m_hwnd);
        });
        m_ready.get_future().wait();
    }
    ~WindowThread() {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;

private:
    std::promise<void> m_ready;
    std::thread m_thread;
};

}  // namespace

TEST(CrossThreadSend, SameThreadCallsTheProcedureDirectly) {
    WindowProbe probe;
    probe.handler = [](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT { return msg == WM_USER ? w + l : 0; };
    HWND hwnd = CreateProbe(&probe);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 40, 2), 42);
    DestroyWindow(hwnd);
}

TEST(CrossThreadSend, AcrossThreadsRunsOnTheReceiverAndReturnsItsResult) {
    WindowProbe probe;
    probe.handler = [](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT { return msg == WM_USER ? w * 2 : 0; };
    WindowThread receiver(&probe);
    std::atomic<LRESULT> result{0};
    ASSERT_TRUE(RunWithin([&] { result = SendMessageA(receiver.m_hwnd, WM_USER, 21, 0); }));
    EXPECT_EQ(result.load(), 42);
    std::lock_guard<std::mutex> guard(probe.lock);
    EXPECT_EQ(probe.received.back().threadId, receiver.m_threadId);
}

TEST(CrossThreadSend, ManySendersAreAllAnswered) {
    WindowProbe probe;
    std::atomic<int> handled{0};
    probe.handler = [&](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg != WM_USER) return 0;
        ++handled;
        return static_cast<LRESULT>(w);
    };
    WindowThread receiver(&probe);
    ASSERT_TRUE(RunWithin([&] {
        std::vector<std::thread> senders;
        std::atomic<int> correct{0};
        for (int t = 0; t < 8; ++t) {
            senders.emplace_back([&, t] {
                for (int i = 0; i < 50; ++i) {
                    if (SendMessageA(receiver.m_hwnd, WM_USER, t * 100 + i, 0) == t * 100 + i) ++correct;
                }
            });
        }
        for (auto& s : senders) s.join();
        EXPECT_EQ(correct.load(), 400);
    }, 20000));
    EXPECT_EQ(handled.load(), 400);
}

TEST(CrossThreadSend, NestedSendBackToTheWaitingSender) {
    // The main thread sends to B; B's procedure sends back to a window of
    // the main thread, which handles it while it waits for B.
    WindowProbe mainProbe, probeB;
    mainProbe.handler = [](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT { return msg == WM_USER ? w + 1 : 0; };
    HWND mainWindow = CreateProbe(&mainProbe);
    probeB.handler = [&](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
        return msg == WM_USER ? SendMessageA(mainWindow, WM_USER, w * 10, 0) : 0;
    };
    WindowThread b(&probeB);
    // A deadlock here hangs the test until CTest's time limit ends it.
    EXPECT_EQ(SendMessageA(b.m_hwnd, WM_USER, 4, 0), 41);
    {
        std::lock_guard<std::mutex> guard(mainProbe.lock);
        EXPECT_EQ(mainProbe.received.back().threadId, GetCurrentThreadId());
    }
    DestroyWindow(mainWindow);
}

TEST(CrossThreadSend, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    ASSERT_TRUE(RunWithin([] {
        HWND windows[2] = {nullptr, nullptr};
        std::atomic<int> created{0};
        std::atomic<int> results[2] = {0, 0};
        std::thread threads[2];
        for (int t = 0; t < 2; ++t) {
            threads[t] = std::thread([&, t] {
                WindowProbe probe;
                probe.handler = [](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT { return msg == WM_USER ? w : 0; };
                windows[t] = CreateProbe(&probe);
                ++created;
                while (created < 2) std::this_thread::yield();
                int sum = 0;
                for (int i = 0; i < 200; ++i) sum += static_cast<int>(SendMessageA(windows[1 - t], WM_USER, 1, 0));
                results[t] = sum;
                // Keep answering until the other thread is done too.
                PumpUntil([&] { return results[1 - t] != 0; }, 5000);
                DestroyWindow(windows[t]);
            });
        }
        threads[0].join();
        threads[1].join();
        EXPECT_EQ(results[0].load(), 200);
        EXPECT_EQ(results[1].load(), 200);
    }, 10000));
}

TEST(CrossThreadSend, SenderIsReleasedWithZeroWhenTheReceiverThreadEnds) {
    // The receiver never pumps; it ends while the send waits.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::promise<HWND> made;
    std::thread receiver([&] {
        made.set_value(CreateProbe(nullptr));
        WaitForSingleObject(release, 5000);
    });
    HWND hwnd = made.get_future().get();
    std::atomic<LRESULT> result{-1};
    std::atomic<bool> returned{false};
    std::thread sender([&] {
        result = SendMessageA(hwnd, WM_USER, 0, 0);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    SetEvent(release);
    receiver.join();
    ASSERT_TRUE(RunWithin([&] { sender.join(); }));
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(IsWindow(hwnd));  // windows go with their thread
    CloseHandle(release);
}

TEST(CrossThreadSend, MsgWaitHandlesSendsWhileWaiting) {
    WindowProbe probe;
    probe.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT { return msg == WM_USER ? 7 : 0; };
    HWND hwnd = CreateProbe(&probe);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<LRESULT> result{0};
    std::thread sender([&] {
        result = SendMessageA(hwnd, WM_USER, 0, 0);
        SetEvent(event);
    });
    // Only the event ends the wait: the sent message is handled inside it.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0);
    sender.join();
    EXPECT_EQ(result.load(), 7);

    // With QS_SENDMESSAGE the wait returns and the caller's peek handles it.
    ResetEvent(event);
    std::thread second([&] { result = SendMessageA(hwnd, WM_USER, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_SENDMESSAGE), WAIT_OBJECT_0 + 1);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    second.join();
    DestroyWindow(hwnd);
    CloseHandle(event);
}

// The wait that threads with windows use for other threads (the worker
// template's WaitForEnd): what the waited-for thread sends is handled, and
// the wait ends with the handle, never with a posted message, which stays
// queued for the caller's loop.
TEST(CrossThreadSend, WaitHandlingSentHandlesSendsAndLeavesPostsQueued) {
    WindowProbe probe;
    probe.handler = [](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT { return msg == WM_USER ? w + 1 : 0; };
    HWND hwnd = CreateProbe(&probe);
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<LRESULT> result{0};
    std::thread worker([&] {
        PostMessageA(hwnd, WM_USER + 1, 0, 0);
        result = SendMessageA(hwnd, WM_USER, 41, 0);  // blocks until the waiter handles it
        SetEvent(ended);
    });
    EXPECT_EQ(WaitForSingleObjectHandlingSent(ended, 10000), WAIT_OBJECT_0);
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(probe.Messages().back(), static_cast<UINT>(WM_USER));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE));

    // Nothing comes: the time-out, with nothing handled.
    const size_t seen = probe.Messages().size();
    ResetEvent(ended);
    EXPECT_EQ(WaitForSingleObjectHandlingSent(ended, 30), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(probe.Messages().size(), seen);
    DestroyWindow(hwnd);
    CloseHandle(ended);
}
