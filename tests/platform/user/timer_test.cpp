// Timers: firing through the message loop, stopping, procedures, thread timers.
#include <atomic>
#include <chrono>

#include "tests/platform/user/window_test_util.h"

using namespace user_test;

namespace {

std::atomic<int> g_procCalls{0};
UINT_PTR g_procId = 0;

void CALLBACK CountingProc(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message == WM_TIMER) {
        g_procId = id;
        ++g_procCalls;
    }
}

int TimerMessages(WindowProbe* probe, UINT_PTR id) {
    int n = 0;
    std::lock_guard<std::mutex> guard(probe->lock);
    for (const Received& r : probe->received) {
        if (r.message == WM_TIMER && r.wParam == id) ++n;
    }
    return n;
}

}  // namespace

TEST_F(WindowTest, TimersFireThroughTheLoopAndStopWhenKilled) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP, 0, 0, 10, 10);
    EXPECT_EQ(SetTimer(hwnd, 7, 20, nullptr), 7u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PumpUntil([&] { return TimerMessages(probe, 7) >= 3; }, 3000));
    // Three periods of 20 ms cannot pass in less than 60 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
    EXPECT_TRUE(KillTimer(hwnd, 7));
    const int fired = TimerMessages(probe, 7);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(TimerMessages(probe, 7), fired);
    EXPECT_FALSE(KillTimer(hwnd, 7));
}

TEST_F(WindowTest, AWaitingThreadWakesForItsTimer) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 1, 30, nullptr);
    MSG msg;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));  // nothing else will come
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000, QS_TIMER), WAIT_OBJECT_0);
    // A wait that does not ask for timers sleeps through them.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 80, QS_POSTMESSAGE), static_cast<DWORD>(WAIT_TIMEOUT));
    KillTimer(hwnd, 1);
}

TEST_F(WindowTest, ResettingATimerReplacesIt) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 3, 10, nullptr);
    SetTimer(hwnd, 3, 100000, nullptr);
    PumpUntil([] { return false; }, 80);
    EXPECT_EQ(TimerMessages(probe, 3), 0);
    // A timer that falls due many times before it is looked at gives one message.
    SetTimer(hwnd, 4, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    Pump();
    EXPECT_EQ(TimerMessages(probe, 4), 1);
}

TEST_F(WindowTest, TimerProceduresAndThreadTimers) {
    g_procCalls = 0;
    HWND hwnd = Make(NewProbe(), WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 5, 10, CountingProc);
    EXPECT_TRUE(PumpUntil([] { return g_procCalls >= 1; }, 3000));
    EXPECT_EQ(g_procId, 5u);
    KillTimer(hwnd, 5);
    g_procCalls = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, CountingProc);
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(PumpUntil([] { return g_procCalls >= 2; }, 3000));
    EXPECT_EQ(g_procId, id);
    EXPECT_TRUE(KillTimer(nullptr, id));
    // Another thread cannot set a timer on this thread's window.
    UINT_PTR fromOther = 1;
    std::thread([&] { fromOther = SetTimer(hwnd, 9, 10, nullptr); }).join();
    EXPECT_EQ(fromOther, 0u);
    // A destroyed window's timers are gone.
    SetTimer(hwnd, 6, 10, nullptr);
    DestroyWindow(hwnd);
    EXPECT_FALSE(KillTimer(hwnd, 6));
}
