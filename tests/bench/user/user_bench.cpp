// The window system's costs: a SendMessage round trip to another thread
// (against a bare condition-variable ping-pong, the floor), and painting and
// presenting a large window after one of its children changed.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace {

// Two threads hand a token back and forth.
void BM_ConditionVariablePingPong(benchmark::State& state) {
    std::mutex lock;
    std::condition_variable wake;
    int turn = 0;  // 0: the main thread's turn, 1: the other's, 2: stop
    std::thread other([&] {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [&] { return turn != 0; });
            if (turn == 2) return;
            turn = 0;
            wake.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> guard(lock);
        turn = 1;
        wake.notify_all();
        wake.wait(guard, [&] { return turn == 0; });
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        turn = 2;
    }
    wake.notify_all();
    other.join();
}
BENCHMARK(BM_ConditionVariablePingPong)->UseRealTime();

LRESULT CALLBACK EchoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The owner thread waits in GetMessage; the benchmark thread sends.
void BM_CrossThreadSendMessage(benchmark::State& state) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = EchoProc;
    wc.lpszClassName = "BenchEcho";
    RegisterClassA(&wc);
    HWND target = nullptr;
    std::mutex lock;
    std::condition_variable ready;
    std::thread owner([&] {
        HWND hwnd = CreateWindowExA(0, "BenchEcho", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        {
            std::lock_guard<std::mutex> guard(lock);
            target = hwnd;
        }
        ready.notify_all();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(hwnd);
    });
    {
        std::unique_lock<std::mutex> guard(lock);
        ready.wait(guard, [&] { return target != nullptr; });
    }
    WPARAM n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SendMessageA(target, WM_USER, n++, 0));
    }
    PostMessageA(target, WM_QUIT, 0, 0);
    owner.join();
    UnregisterClassA("BenchEcho", nullptr);
}
BENCHMARK(BM_CrossThreadSendMessage)->UseRealTime();

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        const int id = GetDlgCtrlID(hwnd);
        HBRUSH brush = CreateSolidBrush(RGB(40 * (id % 6), 30 * (id % 8), 200));
        FillRect(hdc, &client, brush);
        DeleteObject(brush);
        Rectangle(hdc, 4, 4, client.right - 4, client.bottom - 4);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct CLargeWindow {
    HWND top = nullptr;
    std::vector<HWND> children;

    CLargeWindow() {
        trelwin::display::use_headless(1280, 1024);
        WNDCLASSA wc{};
        wc.lpfnWndProc = PanelProc;
        wc.lpszClassName = "BenchPanel";
        wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
        RegisterClassA(&wc);
        top = CreateWindowExA(0, "BenchPanel", "bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1000, 700,
                              nullptr, nullptr, nullptr, nullptr);
        // Ten columns of five panels.
        for (int i = 0; i < 50; ++i) {
            const int x = 10 + (i % 10) * 98, y = 10 + (i / 10) * 136;
            children.push_back(CreateWindowExA(0, "BenchPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, 90,
                                               128, top, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)),
                                               nullptr, nullptr));
        }
        UpdateWindow(top);
    }
    ~CLargeWindow() {
        DestroyWindow(top);
        UnregisterClassA("BenchPanel", nullptr);
    }
};

void BM_PresentAfterOneChildChanged(benchmark::State& state) {
    CLargeWindow window;
    size_t k = 0;
    for (auto _ : state) {
        InvalidateRect(window.children[k++ % window.children.size()], nullptr, TRUE);
        UpdateWindow(window.top);
    }
}
BENCHMARK(BM_PresentAfterOneChildChanged);

void BM_PresentWholeWindow(benchmark::State& state) {
    CLargeWindow window;
    for (auto _ : state) {
        InvalidateRect(window.top, nullptr, TRUE);
        UpdateWindow(window.top);
    }
}
BENCHMARK(BM_PresentWholeWindow);

}  // namespace

BENCHMARK_MAIN();
