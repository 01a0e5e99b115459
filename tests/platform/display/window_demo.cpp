// Shows a top-level window with a few painted children at a fixed place on
// the screen, through the display the environment gives (or the virtual
// screen with --headless), and saves what the window shows as PNG.
//
//   trelwin_window_demo [--headless] [--png FILE] [--shaped-png FILE] [--until FILE]
//
// A second window, a popup shaped as an ellipse, stands beside the first.
//
// With --until it prints "ready" once the window is on the screen and stays
// until FILE exists (at most 30 seconds) or the window is closed, which it
// reports with "closed".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <filesystem>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace {

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const int id = static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_ID));  // the popup's "menu" is its number
    HBRUSH brush = CreateSolidBrush(id == 1   ? RGB(200, 40, 40)
                                    : id == 2 ? RGB(40, 160, 60)
                                    : id == 4 ? RGB(30, 60, 220)
                                              : RGB(250, 250, 250));
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
    if (id == 2) Ellipse(hdc, 5, 5, client.right - 5, client.bottom - 5);
    if (id == 3) {
        SetBkMode(hdc, TRANSPARENT);
        DrawTextA(hdc, "Trelwin 1.0", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false;
    std::string png, shapedPng, until;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) headless = true;
        else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) png = argv[++i];
        else if (std::strcmp(argv[i], "--shaped-png") == 0 && i + 1 < argc) shapedPng = argv[++i];
        else if (std::strcmp(argv[i], "--until") == 0 && i + 1 < argc) until = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--headless] [--png FILE] [--shaped-png FILE] [--until FILE]\n", argv[0]);
            return 2;
        }
    }
    if (!headless && !trelwin::display::use_host_display()) return 3;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = "DemoPanel";
    wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    WNDCLASSA frame = wc;
    frame.lpfnWndProc = DefWindowProcA;
    frame.lpszClassName = "DemoFrame";
    RegisterClassA(&frame);
    HWND top = CreateWindowExA(0, "DemoFrame", "Trelwin demo", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 100, 80,
                               320, 240, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "DemoPanel", "", WS_CHILD | WS_VISIBLE, 10, 10, 120, 80, top, reinterpret_cast<HMENU>(1),
                    nullptr, nullptr);
    CreateWindowExA(WS_EX_CLIENTEDGE, "DemoPanel", "", WS_CHILD | WS_VISIBLE, 150, 10, 140, 120, top,
                    reinterpret_cast<HMENU>(2), nullptr, nullptr);
    CreateWindowExA(0, "DemoPanel", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 140, 280, 50, top,
                    reinterpret_cast<HMENU>(3), nullptr, nullptr);
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    HWND round = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "DemoPanel", "", WS_POPUP, 500, 100, 120, 80,
                                 nullptr, reinterpret_cast<HMENU>(4), nullptr, nullptr);
    SetWindowRgn(round, CreateEllipticRgn(0, 0, 120, 80), FALSE);
    ShowWindow(round, SW_SHOWNOACTIVATE);
    UpdateWindow(round);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    trelwin::display::current().flush();
    if (!png.empty()) {
        std::string error;
        if (!trelwin::user::SaveWindowPng(top, png, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    if (!shapedPng.empty()) {
        std::string error;
        if (!trelwin::user::SaveWindowPng(round, shapedPng, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    if (!until.empty()) {
        std::printf("ready\n");
        std::fflush(stdout);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(until) && std::chrono::steady_clock::now() < deadline && IsWindow(top)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (!IsWindow(top)) {
        std::printf("closed\n");  // by its close box
        std::fflush(stdout);
    }
    DestroyWindow(round);
    DestroyWindow(top);
    return 0;
}
