// Helpers of the window system tests: a fixture with a fresh virtual screen
// that destroys the test's windows afterwards, window classes with the
// recording procedure, a bounded message pump and painting handlers.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "tests/platform/user/user_test_util.h"

namespace user_test {

inline const char* PlainClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.lpszClassName = "UserTestPlain";
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        return "UserTestPlain";
    }();
    return name;
}

inline const char* DoubleClickClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ProbeProc;
        wc.lpszClassName = "UserTestDoubleClicks";
        RegisterClassA(&wc);
        return "UserTestDoubleClicks";
    }();
    return name;
}

inline std::vector<UINT> Only(const std::vector<UINT>& messages, std::vector<UINT> wanted) {
    std::vector<UINT> out;
    for (UINT m : messages) {
        for (UINT w : wanted) {
            if (m == w) out.push_back(m);
        }
    }
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { trelwin::display::use_headless(640, 480); }
    void TearDown() override {
        DestroyThreadWindows();
        for (auto* probe : m_probes) delete probe;
    }

    WindowProbe* NewProbe() {
        m_probes.push_back(new WindowProbe);
        return m_probes.back();
    }

    HWND Make(WindowProbe* probe, DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr, int id = 0,
              DWORD exStyle = 0, const char* className = nullptr) {
        return CreateWindowExA(exStyle, className ? className : PlainClass(), "test", style, x, y, cx, cy, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, probe);
    }

    std::vector<WindowProbe*> m_probes;
};

// A WM_PAINT handler that fills the update area with a colour and notes
// the window in the order of painting.
inline std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Painter(COLORREF colour,
                                                                  std::shared_ptr<std::vector<HWND>> order = nullptr) {
    return [colour, order](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, w, l);
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(hdc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        if (order) order->push_back(hwnd);
        return 0;
    };
}

// The colour the screen shows at a point.
inline COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

}  // namespace user_test
