// Events of a host display turned into our input and window changes.
#include <deque>
#include <map>
#include <mutex>

#include "platform/base/process.h"
#include "platform/display/display.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_queue.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

// Host events wait for the thread that owns the windows: the host's thread
// must never wait for a window thread, so it only queues them and wakes that
// thread, which applies them when it next looks for messages.
//
// Input is applied one event at a time, once the messages of the one before
// have been taken from the queue: a key goes to the window that has the
// focus when the thread comes to it, after what the keys and clicks before
// it did (a click that moved the focus, Return that closed a box), and the
// characters that TranslateMessage posts for a key come before the next key.
struct CPendingEvents {
    std::mutex lock;
    std::map<DWORD, std::deque<trelwin::display::HostEvent>> byThread;
};

CPendingEvents& Pending() {
    static auto* pending = new CPendingEvents;
    return *pending;
}

bool IsInput(const trelwin::display::HostEvent& e) {
    using trelwin::display::HostEvent;
    switch (e.kind) {
    case HostEvent::MouseMove:
    case HostEvent::ButtonDown:
    case HostEvent::ButtonUp:
    case HostEvent::Wheel:
    case HostEvent::KeyDown:
    case HostEvent::KeyUp:
    case HostEvent::Text: return true;
    default: return false;
    }
}

bool IsKeyboard(const trelwin::display::HostEvent& e) {
    using trelwin::display::HostEvent;
    return e.kind == HostEvent::KeyDown || e.kind == HostEvent::KeyUp || e.kind == HostEvent::Text;
}

// The thread that owns the host's window. A host window that is gone (the
// host may still report keys for a box that has just closed) or none at
// all: for keys, the thread of the window with the focus, else of the
// active one; else the first top-level window's.
DWORD ThreadFor(const trelwin::display::HostEvent& e) {
    if (DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(e.id), nullptr)) return thread;
    if (IsKeyboard(e)) {
        for (HWND hwnd : {GetFocus(), GetActiveWindow()}) {
            if (DWORD thread = hwnd ? GetWindowThreadProcessId(hwnd, nullptr) : 0) return thread;
        }
    }
    UserGuard guard(UserLock());
    for (HWND top : TopLevelOrder()) {
        if (DWORD thread = GetWindowThreadProcessId(top, nullptr)) return thread;
    }
    return 0;
}

// Whether the front event may be applied now: input waits until the
// thread has taken the input messages posted before it.
bool Ready(const std::deque<trelwin::display::HostEvent>& events, bool inputWaiting) {
    return !events.empty() && !(inputWaiting && IsInput(events.front()));
}

void Apply(const trelwin::display::HostEvent& e) {
    using trelwin::display::HostEvent;
    const HWND hwnd = reinterpret_cast<HWND>(e.id);
    // What the host did to the window by itself is followed, not asked of it again.
    const bool byHost = e.kind == HostEvent::Activate || e.kind == HostEvent::Moved || e.kind == HostEvent::Resized ||
                        e.kind == HostEvent::Minimized || e.kind == HostEvent::Restored;
    const trelwin::display::FollowingHost following(byHost ? e.id : 0);
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
    case HostEvent::Activate: {
        // Windows that must not take activation keep it where it is.
        bool hostRefuses = false;
        {
            UserGuard guard(UserLock());
            const trelwin::display::HostWindow* host = trelwin::display::current().host(e.id);
            hostRefuses = host != nullptr && host->no_activate;
        }
        if (IsWindow(hwnd) && GetActiveWindow() != hwnd && IsWindowEnabled(hwnd) &&
            !(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) &&
            !hostRefuses) {
            SetActiveWindow(hwnd);
        }
        break;
    }
    case HostEvent::Moved:
        if (IsWindow(hwnd)) SetWindowPos(hwnd, nullptr, e.pt.x, e.pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case HostEvent::Resized:
        if (IsWindow(hwnd)) {
            SetWindowPos(hwnd, nullptr, 0, 0, e.size.cx, e.size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case HostEvent::Minimized:
        if (IsWindow(hwnd) && !IsIconic(hwnd)) ShowWindow(hwnd, SW_SHOWMINIMIZED);
        break;
    case HostEvent::Restored:
        if (IsWindow(hwnd) && IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        break;
    case HostEvent::Quit:
        break;
    }
}

void QueueHostEvent(const trelwin::display::HostEvent& e) {
    using trelwin::display::HostEvent;
    const DWORD thread = ThreadFor(e);
    if (thread == 0) return;  // no window to take it
    {
        CPendingEvents& pending = Pending();
        std::lock_guard<std::mutex> guard(pending.lock);
        auto& events = pending.byThread[thread];
        // Moves not yet applied: only where the pointer is now counts.
        if (e.kind == HostEvent::MouseMove && !events.empty() && events.back().kind == HostEvent::MouseMove) {
            events.back() = e;
        } else {
            events.push_back(e);
        }
    }
    WakeWindowThread(thread);
}

}  // namespace

void InstallHostInput() { trelwin::display::set_event_sink(QueueHostEvent); }

bool HostEventsPending() {
    const bool inputWaiting = CMessageQueue::Current()->HasPostedInput();
    CPendingEvents& pending = Pending();
    std::lock_guard<std::mutex> guard(pending.lock);
    auto found = pending.byThread.find(GetCurrentThreadId());
    return found != pending.byThread.end() && Ready(found->second, inputWaiting);
}

bool ApplyHostEvents() {
    for (bool applied = false;; applied = true) {
        const bool inputWaiting = CMessageQueue::Current()->HasPostedInput();
        trelwin::display::HostEvent e;
        {
            CPendingEvents& pending = Pending();
            std::lock_guard<std::mutex> guard(pending.lock);
            auto found = pending.byThread.find(GetCurrentThreadId());
            if (found == pending.byThread.end() || !Ready(found->second, inputWaiting)) return applied;
            e = std::move(found->second.front());
            found->second.pop_front();
        }
        Apply(e);
    }
}
