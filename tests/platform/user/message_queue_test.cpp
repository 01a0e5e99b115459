// Posted messages: order, filters, removal, quit, destroyed windows, and
// waits that wake for messages.
#include "tests/platform/user/user_test_util.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/threading.h"

using namespace user_test;

namespace {

// Empties the calling thread's queue so that each test starts clean.
void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        Drain();
        m_hwnd = CreateProbe(&m_probe);
        m_other = CreateProbe(nullptr);
    }
    void TearDown() override {
        DestroyWindow(m_hwnd);
        DestroyWindow(m_other);
        Drain();
    }
    WindowProbe m_probe;
    HWND m_hwnd = nullptr;
    HWND m_other = nullptr;
};

}  // namespace

TEST_F(MessageQueueTest, PostedMessagesComeInOrderAndAreDispatchedToTheirWindow) {
    ASSERT_TRUE(PostMessageA(m_hwnd, WM_USER + 1, 10, 20));
    ASSERT_TRUE(PostMessageA(m_hwnd, WM_USER + 2, 11, 21));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, m_hwnd);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.wParam, 10u);
    EXPECT_EQ(msg.lParam, 20);
    EXPECT_FALSE(TranslateMessage(&msg));
    DispatchMessageA(&msg);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    DispatchMessageA(&msg);
    EXPECT_EQ(m_probe.Messages().back(), static_cast<UINT>(WM_USER + 2));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, FiltersByWindowAndRangeAndNoRemoveKeeps) {
    PostMessageA(m_other, WM_USER, 0, 0);
    PostMessageA(m_hwnd, WM_APP + 5, 0, 0);
    PostMessageA(m_hwnd, WM_USER + 3, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 4, 0, 0);
    MSG msg;
    // Range filter skips earlier messages outside it.
    ASSERT_TRUE(PeekMessageA(&msg, m_hwnd, WM_USER, WM_USER + 10, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageA(&msg, m_hwnd, WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    EXPECT_FALSE(PeekMessageA(&msg, m_hwnd, WM_USER, WM_USER + 10, PM_REMOVE));
    // (HWND)-1 takes thread messages only.
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
    // What is left, in posting order.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, m_other);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 5));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, QuitComesLastAndOnlyToFiltersThatAdmitIt) {
    PostQuitMessage(3);
    PostMessageA(m_hwnd, WM_USER, 0, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, m_hwnd, WM_USER + 1, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, m_hwnd, 0, 0, PM_REMOVE));  // the window filter leaves the quit request
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_FALSE(PeekMessageA(&msg, m_hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, PostToDestroyedWindowIsRefused) {
    HWND gone = CreateProbe(nullptr);
    DestroyWindow(gone);
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(gone, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(gone, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFFF0u, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST_F(MessageQueueTest, QueuedMessagesAreSeenInDestroyThenDropped) {
    WindowProbe probe;
    int* payload = new int(5);
    int taken = 0;
    BOOL postedDuringDestroy = TRUE;
    probe.handler = [&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_DESTROY) {
            // The window frees what its queued messages carry.
            MSG queued;
            while (PeekMessageA(&queued, hwnd, WM_USER, WM_USER, PM_REMOVE)) {
                delete reinterpret_cast<int*>(queued.wParam);
                ++taken;
            }
            postedDuringDestroy = PostMessageA(hwnd, WM_USER + 1, 0, 0);
        }
        return DefWindowProcA(hwnd, msg, w, l);
    };
    HWND hwnd = CreateProbe(&probe);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER, reinterpret_cast<WPARAM>(payload), 0));
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 2, 0, 0));
    DestroyWindow(hwnd);
    EXPECT_EQ(taken, 1);
    EXPECT_FALSE(postedDuringDestroy);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // WM_USER + 2 went with the window
}

TEST_F(MessageQueueTest, MsgWaitWakesForEventsMessagesAndTimeOut) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 30, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));

    const DWORD self = GetCurrentThreadId();
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostThreadMessageA(self, WM_USER + 7, 0, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    poster.join();
    // A message already queued counts at once; without a posted-message
    // wake bit it does not.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 10, QS_KEY), WAIT_TIMEOUT);
    Drain();

    SetEvent(event);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
    // Waiting for all: the event and a message.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, TRUE, 30, QS_ALLINPUT), WAIT_TIMEOUT);
    PostThreadMessageA(self, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, TRUE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    CloseHandle(event);
}

TEST_F(MessageQueueTest, DispatchOnlyOnTheOwnerThread) {
    MSG msg{};
    msg.hwnd = m_hwnd;
    msg.message = WM_USER;
    DWORD error = 0;
    std::thread other([&] {
        DispatchMessageA(&msg);
        error = GetLastError();
    });
    other.join();
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_WINDOW_OF_OTHER_THREAD));
    EXPECT_EQ(m_probe.Messages().back(), static_cast<UINT>(WM_CREATE));
}
