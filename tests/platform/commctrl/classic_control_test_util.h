// Helpers of the static, button and edit tests: a parent window that
// records the notifications of its controls and can colour them, clicks
// and keys by injected input, and pixel reading.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "tests/platform/user/window_test_util.h"

namespace control_test {

using namespace user_test;
using trelwin::user::GetClientPixel;

struct Notification {
    int id;
    int code;
    HWND control;
};

// A top-level window whose procedure keeps every WM_COMMAND of its
// controls and answers WM_CTLCOLOR... when a colour is set.
class ControlParentTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_parentProbe = NewProbe();
        m_parentProbe->handler = [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_COMMAND) {
                m_notes.push_back({LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)});
                return 0;
            }
            if (msg == m_colourMessage && m_brush) {
                HDC hdc = reinterpret_cast<HDC>(w);
                SetTextColor(hdc, m_textColour);
                SetBkColor(hdc, m_backColour);
                ++m_colourRequests;
                return reinterpret_cast<LRESULT>(m_brush);
            }
            if (msg == WM_ERASEBKGND) {
                RECT r;
                GetClientRect(hwnd, &r);
                FillRect(reinterpret_cast<HDC>(w), &r, GetSysColorBrush(COLOR_3DFACE));
                return 1;
            }
            return DefWindowProcA(hwnd, msg, w, l);
        };
        m_parent = Make(m_parentProbe, WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
        SetActiveWindow(m_parent);
    }
    void TearDown() override {
        InjectRelease();
        WindowTest::TearDown();
        if (m_brush) DeleteObject(m_brush);
        if (m_font) DeleteObject(m_font);
    }

    // The dialog font without smoothing, so that text pixels take exactly
    // the colours they are drawn in.
    HFONT Font() {
        if (!m_font) {
            m_font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                                 VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
        }
        return m_font;
    }

    HWND Control(const char* className, const char* text, DWORD style, int x, int y, int cx, int cy, int id,
                 DWORD exStyle = 0) {
        HWND hwnd = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, m_parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr) << className;
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
        Pump();
        return hwnd;
    }

    // Colours the parent gives for the message from now on.
    void ColourControls(UINT message, COLORREF brush, COLORREF text, COLORREF back) {
        if (m_brush) DeleteObject(m_brush);
        m_brush = CreateSolidBrush(brush);
        m_colourMessage = message;
        m_textColour = text;
        m_backColour = back;
    }

    int Count(int id, int code) const {
        int n = 0;
        for (const auto& note : m_notes) n += note.id == id && note.code == code;
        return n;
    }

    // Screen position of a point of a control's client area.
    static POINT OnScreen(HWND hwnd, int x, int y) {
        POINT pt{x, y};
        ClientToScreen(hwnd, &pt);
        return pt;
    }
    static void MoveTo(HWND hwnd, int x, int y) {
        const POINT pt = OnScreen(hwnd, x, y);
        trelwin::user::InjectMouseMove(pt.x, pt.y);
        Pump();
    }
    static void Button(bool down) {
        trelwin::user::InjectMouseButton(0, down);
        Pump();
    }
    static void ClickAt(HWND hwnd, int x, int y) {
        MoveTo(hwnd, x, y);
        Button(true);
        Button(false);
    }
    static void Key(UINT vk, bool down) {
        trelwin::user::InjectKey(vk, down);
        Pump();
    }
    static void Press(UINT vk) {
        Key(vk, true);
        Key(vk, false);
    }
    // A key pressed with a modifier held.
    static void Chord(UINT modifier, UINT vk) {
        Key(modifier, true);
        Press(vk);
        Key(modifier, false);
    }
    static void Type(const std::string& text) {
        for (char c : text) {
            if (c >= 'a' && c <= 'z') {
                Press(static_cast<UINT>(c - 'a' + 'A'));
            } else if (c >= 'A' && c <= 'Z') {
                Chord(VK_SHIFT, static_cast<UINT>(c));
            } else if (c >= '0' && c <= '9') {
                Press(static_cast<UINT>(c));
            } else if (c == ' ') {
                Press(VK_SPACE);
            } else {
                trelwin::user::InjectChar(c);
                Pump();
            }
        }
    }
    static void InjectRelease() {
        trelwin::user::InjectMouseButton(0, false);
        for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_SPACE}) trelwin::user::InjectKey(vk, false);
        Pump();
    }

    // How many pixels of the rectangle (client coordinates) have the colour.
    static int CountColour(HWND hwnd, RECT r, COLORREF colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += GetClientPixel(hwnd, x, y) == colour;
        }
        return n;
    }
    // Leftmost and rightmost columns of the rectangle holding a pixel that
    // is not the background colour; (-1, -1) when there is none.
    static std::pair<int, int> InkColumns(HWND hwnd, RECT r, COLORREF background) {
        int first = -1, last = -1;
        for (int x = r.left; x < r.right; ++x) {
            for (int y = r.top; y < r.bottom; ++y) {
                if (GetClientPixel(hwnd, x, y) != background) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        return {first, last};
    }
    static RECT ClientOf(HWND hwnd) {
        RECT r{};
        GetClientRect(hwnd, &r);
        return r;
    }

    HWND m_parent = nullptr;
    WindowProbe* m_parentProbe = nullptr;
    std::vector<Notification> m_notes;
    HBRUSH m_brush = nullptr;
    HFONT m_font = nullptr;
    UINT m_colourMessage = 0;
    COLORREF m_textColour = 0;
    COLORREF m_backColour = 0;
    int m_colourRequests = 0;
};

}  // namespace control_test
