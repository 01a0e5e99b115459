// Modal loops: the owner is disabled, the loop ends on request, and
// messages sent from other threads are handled while it runs.
#include <atomic>
#include <thread>

#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using namespace trelwin::user;

TEST_F(WindowTest, AModalLoopDisablesItsOwnerAndEndsOnRequest) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    WindowProbe* probe = NewProbe();
    bool ownerEnabledInside = true;
    HWND dialog = nullptr;
    probe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) {
            ownerEnabledInside = IsWindowEnabled(owner);
            EndModalLoop(h, 42);
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
    };
    dialog = Make(probe, WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, owner);
    PostMessageA(dialog, WM_USER, 0, 0);
    EXPECT_EQ(RunModalLoop(dialog, owner), 42);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(InModalLoop(dialog));
    EXPECT_FALSE(EndModalLoop(dialog, 1));
}

TEST_F(WindowTest, ClicksOnADisabledOwnerDoNothing) {
    WindowProbe* ownerProbe = NewProbe();
    HWND owner = Make(ownerProbe, WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    WindowProbe* probe = NewProbe();
    HWND dialog = Make(probe, WS_POPUP | WS_VISIBLE, 300, 0, 100, 100, owner);
    HWND activeAfterClick = nullptr;
    probe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) {
            InjectMouseClick(50, 50);  // on the owner
            PostMessageA(h, WM_USER + 1, 0, 0);
        } else if (m == WM_USER + 1) {
            activeAfterClick = GetActiveWindow();
            EndModalLoop(h, 1);
        }
        return DefWindowProcA(h, m, w, l);
    };
    SetActiveWindow(owner);  // as if the user had gone back to the owner
    PostMessageA(dialog, WM_USER, 0, 0);
    RunModalLoop(dialog, owner);
    EXPECT_EQ(Only(ownerProbe->Messages(), {WM_LBUTTONDOWN}), std::vector<UINT>{});
    EXPECT_EQ(activeAfterClick, dialog);  // the click brought the dialog forward
    EXPECT_EQ(GetActiveWindow(), owner);  // the loop gave activation back at its end
}

TEST_F(WindowTest, WorkersSendToAWindowWhoseThreadIsInAModalLoop) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    WindowProbe* probe = NewProbe();
    std::atomic<int> answered{0};
    probe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 5) return static_cast<LRESULT>(w * 2);
        if (m == WM_USER + 6) {
            EndModalLoop(h, 7);
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
    };
    HWND dialog = Make(probe, WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, owner);
    constexpr int kWorkers = 4, kSends = 50;
    std::vector<std::thread> workers;
    for (int t = 0; t < kWorkers; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kSends; ++i) {
                if (SendMessageA(dialog, WM_USER + 5, static_cast<WPARAM>(t * 1000 + i), 0) ==
                    static_cast<LRESULT>((t * 1000 + i) * 2)) {
                    ++answered;
                }
            }
            if (t == 0) {
                while (answered < kWorkers * kSends) std::this_thread::yield();
                SendMessageA(dialog, WM_USER + 6, 0, 0);
            }
        });
    }
    // A timer bounds the loop should the workers never end it.
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); });
    EXPECT_EQ(RunModalLoop(dialog, owner), 7);
    KillTimer(nullptr, guard);
    for (auto& w : workers) w.join();
    EXPECT_EQ(answered, kWorkers * kSends);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(WindowTest, NestedLoopsEndInnerFirstAndQuitReachesTheOuterLoop) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    WindowProbe* outerProbe = NewProbe();
    WindowProbe* innerProbe = NewProbe();
    HWND outer = Make(outerProbe, WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, owner);
    HWND inner = Make(innerProbe, WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, outer);
    INT_PTR innerResult = 0;
    outerProbe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) {
            PostMessageA(inner, WM_USER, 0, 0);
            innerResult = RunModalLoop(inner, outer);
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
    };
    innerProbe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) PostQuitMessage(9);
        return DefWindowProcA(h, m, w, l);
    };
    PostMessageA(outer, WM_USER, 0, 0);
    EXPECT_EQ(RunModalLoop(outer, owner), -1);  // WM_QUIT ended both loops
    EXPECT_EQ(innerResult, -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(IsWindowEnabled(outer));
}
