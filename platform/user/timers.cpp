#include "platform/user/timers.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/base/win_errors.h"
#include "platform/user/paint_internal.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace {

using Clock = std::chrono::steady_clock;

struct CTimer {
    DWORD threadId;
    HWND hwnd;
    UINT_PTR id;
    UINT interval;
    TIMERPROC proc;
    Clock::time_point due;
};

// Guarded by UserLock.
std::vector<CTimer>& Timers() {
    static auto* timers = new std::vector<CTimer>;
    return *timers;
}

UINT_PTR g_nextThreadTimerId = 0x7F00;

bool PassesFilter(const CTimer& timer, HWND filter) {
    if (filter == nullptr) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return timer.hwnd == nullptr;
    return timer.hwnd == filter;
}

}  // namespace

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    EnsureSyntheticSource();
    const DWORD thread = GetCurrentThreadId();
    if (hWnd) {
        std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
        if (!window) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (window->m_threadId != thread) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    const UINT interval = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    UserGuard guard(UserLock());
    auto& timers = Timers();
    auto same = std::find_if(timers.begin(), timers.end(), [&](const CTimer& t) {
        return t.threadId == thread && t.hwnd == hWnd && t.id == nIDEvent && (hWnd || nIDEvent != 0);
    });
    UINT_PTR id = nIDEvent;
    if (same != timers.end()) {
        same->interval = interval;
        same->proc = lpTimerFunc;
        same->due = Clock::now() + std::chrono::milliseconds(interval);
        return hWnd ? id : same->id;
    }
    if (!hWnd) {
        do {
            id = ++g_nextThreadTimerId;
        } while (std::any_of(timers.begin(), timers.end(), [&](const CTimer& t) { return !t.hwnd && t.id == id; }));
    }
    timers.push_back(CTimer{thread, hWnd, id, interval, lpTimerFunc, Clock::now() + std::chrono::milliseconds(interval)});
    return hWnd && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    const DWORD thread = GetCurrentThreadId();
    UserGuard guard(UserLock());
    auto& timers = Timers();
    auto found = std::find_if(timers.begin(), timers.end(), [&](const CTimer& t) {
        return t.hwnd == hWnd && t.id == uIDEvent && (hWnd || t.threadId == thread);
    });
    if (found == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(found);
    return TRUE;
}

void KillTimersOfWindow(HWND hwnd) {
    UserGuard guard(UserLock());
    auto& timers = Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const CTimer& t) { return t.hwnd == hwnd; }),
                 timers.end());
}

bool PeekTimerMessage(MSG& msg, HWND filter, bool remove) {
    const DWORD thread = GetCurrentThreadId();
    const Clock::time_point now = Clock::now();
    UserGuard guard(UserLock());
    CTimer* first = nullptr;
    for (CTimer& timer : Timers()) {
        if (timer.threadId != thread || timer.due > now || !PassesFilter(timer, filter)) continue;
        if (!first || timer.due < first->due) first = &timer;
    }
    if (!first) return false;
    msg = MSG{};
    msg.hwnd = first->hwnd;
    msg.message = WM_TIMER;
    msg.wParam = first->id;
    msg.lParam = reinterpret_cast<LPARAM>(first->proc);
    msg.time = GetTickCount();
    if (remove) first->due = now + std::chrono::milliseconds(first->interval);
    return true;
}

DWORD TimerDueIn(HWND filter) {
    const DWORD thread = GetCurrentThreadId();
    const Clock::time_point now = Clock::now();
    UserGuard guard(UserLock());
    DWORD best = INFINITE;
    for (const CTimer& timer : Timers()) {
        if (timer.threadId != thread || !PassesFilter(timer, filter)) continue;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer.due - now).count();
        best = std::min<DWORD>(best, static_cast<DWORD>(std::max<long long>(left, 0)));
    }
    return best;
}

bool TimerDueNow() { return TimerDueIn(nullptr) == 0; }

bool DispatchTimerProcedure(const MSG& msg, LRESULT* result) {
    if (msg.message != WM_TIMER || msg.lParam == 0) return false;
    TIMERPROC proc = nullptr;
    {
        // Only a procedure that a live timer of this thread names is called.
        UserGuard guard(UserLock());
        const DWORD thread = GetCurrentThreadId();
        for (const CTimer& timer : Timers()) {
            if (timer.threadId == thread && timer.hwnd == msg.hwnd && timer.id == msg.wParam &&
                reinterpret_cast<LPARAM>(timer.proc) == msg.lParam) {
                proc = timer.proc;
                break;
            }
        }
    }
    if (!proc) return false;
    proc(msg.hwnd, WM_TIMER, msg.wParam, GetTickCount());
    *result = 0;
    return true;
}
