// Helpers of the list box, combo box, up-down and menu tests: a parent
// window that records the commands and notifications it receives.
#pragma once

#include <vector>

#include "platform/commctrl/item_control_support.h"
#include "tests/platform/user/window_test_util.h"

namespace item_test {

using namespace user_test;

struct Notice {
    UINT message;  // WM_COMMAND, WM_NOTIFY, WM_VSCROLL, ...
    int id;
    int code;
    HWND from;
};

// The notifications a parent's probe received, in order.
inline std::vector<Notice> Notices(WindowProbe* probe, UINT kind = WM_COMMAND) {
    std::vector<Notice> out;
    std::lock_guard<std::mutex> guard(probe->lock);
    for (const Received& r : probe->received) {
        if (r.message != kind) continue;
        if (kind == WM_COMMAND) {
            out.push_back({kind, LOWORD(r.wParam), static_cast<short>(HIWORD(r.wParam)),
                           reinterpret_cast<HWND>(r.lParam)});
        } else {
            out.push_back({kind, static_cast<int>(r.wParam), 0, reinterpret_cast<HWND>(r.lParam)});
        }
    }
    return out;
}

inline std::vector<int> Codes(WindowProbe* probe) {
    std::vector<int> codes;
    for (const Notice& n : Notices(probe)) codes.push_back(n.code);
    return codes;
}

inline void Clear(WindowProbe* probe) {
    std::lock_guard<std::mutex> guard(probe->lock);
    probe->received.clear();
}

inline void Key(UINT vk) {
    trelwin::user::InjectKey(vk, true);
    trelwin::user::InjectKey(vk, false);
    Pump();
}

inline void ClickAt(HWND hwnd, int x, int y, DWORD time = 0) {
    POINT pt{x, y};
    ClientToScreen(hwnd, &pt);
    trelwin::user::InjectMouseClick(pt.x, pt.y, 0, time);
    Pump();
}

inline bool SameColour(COLORREF a, COLORREF b) { return (a & 0xFFFFFF) == (b & 0xFFFFFF); }

}  // namespace item_test
