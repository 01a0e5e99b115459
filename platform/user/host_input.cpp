// Events of a host display turned into our input and window changes.
#include "platform/display/display.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

#define SC_CLOSE 0xF060

namespace {

void HandleHostEvent(const trelwin::display::HostEvent& e) {
    using trelwin::display::HostEvent;
    const HWND hwnd = reinterpret_cast<HWND>(e.id);
    switch (e.kind) {
    case HostEvent::MouseMove:
        trelwin::user::InjectMouseMove(e.pt.x, e.pt.y);
        break;
    case HostEvent::ButtonDown:
    case HostEvent::ButtonUp: {
        POINT now{};
        GetCursorPos(&now);
        if (now.x != e.pt.x || now.y != e.pt.y) trelwin::user::InjectMouseMove(e.pt.x, e.pt.y);
        trelwin::user::InjectMouseButton(e.button, e.kind == HostEvent::ButtonDown);
        break;
    }
    case HostEvent::Wheel:
        trelwin::user::InjectMouseWheel(e.delta);
        break;
    case HostEvent::KeyDown:
    case HostEvent::KeyUp:
        trelwin::user::InjectKey(e.vk, e.kind == HostEvent::KeyDown);
        break;
    case HostEvent::Text:
        for (char c : e.text) trelwin::user::InjectChar(c);
        break;
    case HostEvent::Close:
        if (IsWindow(hwnd)) PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case HostEvent::Activate:
        if (IsWindow(hwnd) && GetActiveWindow() != hwnd && IsWindowEnabled(hwnd)) SetActiveWindow(hwnd);
        break;
    case HostEvent::Moved:
        if (IsWindow(hwnd)) SetWindowPos(hwnd, nullptr, e.pt.x, e.pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case HostEvent::Resized:
        if (IsWindow(hwnd)) {
            SetWindowPos(hwnd, nullptr, 0, 0, e.size.cx, e.size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case HostEvent::Quit:
        break;
    }
}

}  // namespace

void InstallHostInput() { trelwin::display::set_event_sink(HandleHostEvent); }
