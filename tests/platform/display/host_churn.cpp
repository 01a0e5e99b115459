// Host windows that come and go while another window keeps drawing, on the
// display the environment gives: a window on the main thread repaints
// itself without pause while worker threads each show and close small
// top-level windows (as the message boxes of workers do), one after
// another, for the given time and until there have been at least COUNT
// frames and COUNT windows (default 0; at most 20 s in all, however slow
// the machine). Then the main window paints itself in its last colour, says
// "ready" and stays until FILE exists (at most 20 s).
//
//   trelwin_host_churn MILLISECONDS WORKERS FILE [COUNT]
//
// At the end it prints "frames N", "windows M" and "window thread sends K":
// the messages that the X library sent to a window from the window threads,
// which must leave the host to its own thread.
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

// After the window system's headers, whose names the X headers' macros would take.
#include <X11/Xlib.h>

namespace {

std::atomic<long> g_frames{0};
std::atomic<bool> g_last{false};
std::atomic<long> g_windowThreadSends{0};
thread_local bool t_windowThread = false;

}  // namespace

// Every XSendEvent of the process comes through here first.
extern "C" Status XSendEvent(::Display* display, Window w, Bool propagate, long mask, XEvent* event) {
    using Send = Status (*)(::Display*, Window, Bool, long, XEvent*);
    static const auto real = reinterpret_cast<Send>(dlsym(RTLD_NEXT, "XSendEvent"));
    if (t_windowThread) ++g_windowThreadSends;
    return real ? real(display, w, propagate, mask, event) : 0;
}

namespace {

constexpr COLORREF kLast = RGB(10, 200, 30);

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const long n = g_frames.load();
    HBRUSH brush = CreateSolidBrush(g_last ? kLast : RGB(n * 7 % 256, 90, 160));
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s MILLISECONDS WORKERS FILE [COUNT]\n", argv[0]);
        return 2;
    }
    const auto length = std::chrono::milliseconds(std::atoi(argv[1]));
    const int workers = std::atoi(argv[2]);
    const std::filesystem::path until = argv[3];
    const long count = argc == 5 ? std::atol(argv[4]) : 0;
    t_windowThread = true;
    if (!trelwin::display::use_host_display()) return 3;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PaintProc;
    wc.lpszClassName = "ChurnPaint";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "ChurnPaint", "Churn", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + length;
    const auto limit = start + std::max<std::chrono::milliseconds>(length, std::chrono::seconds(20));
    std::atomic<long> windows{0};
    std::atomic<bool> churning{true};
    std::atomic<int> running{workers};
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t) {
        threads.emplace_back([&, t] {
            t_windowThread = true;
            while (churning) {
                HWND box = CreateWindowExA(0, "ChurnPaint", "Box", WS_POPUP | WS_VISIBLE, 380 + t * 30, 60 + t * 30, 120,
                                           80, nullptr, nullptr, nullptr, nullptr);
                UpdateWindow(box);
                Pump();
                DestroyWindow(box);
                Pump();
                ++windows;
            }
            --running;
        });
    }
    // The workers' windows take the activation and tell this one: it keeps
    // its messages going until they are done.
    while (churning || running > 0) {
        InvalidateRect(main, nullptr, FALSE);
        UpdateWindow(main);
        ++g_frames;
        Pump();
        const auto now = std::chrono::steady_clock::now();
        if (now >= limit || (now >= end && g_frames >= count && windows >= count)) churning = false;
    }
    for (auto& t : threads) t.join();
    g_last = true;
    InvalidateRect(main, nullptr, FALSE);
    UpdateWindow(main);
    trelwin::display::current().flush();
    std::printf("frames %ld\nwindows %ld\nwindow thread sends %ld\nready\n", g_frames.load(), windows.load(),
                g_windowThreadSends.load());
    std::fflush(stdout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(until) && std::chrono::steady_clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    DestroyWindow(main);
    return 0;
}
