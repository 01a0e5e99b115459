// The messages a thread's loop makes when nothing is posted: WM_PAINT
// first, then WM_MOUSEHOVER, then WM_TIMER.
#include <algorithm>
#include <mutex>

#include "platform/user/message_queue.h"
#include "platform/user/paint_internal.h"
#include "platform/user/painting.h"
#include "platform/user/timers.h"

namespace {

bool InRange(UINT message, UINT min, UINT max) { return (min == 0 && max == 0) || (message >= min && message <= max); }

bool Peek(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove) {
    if (InRange(WM_PAINT, min, max) && PeekPaintMessage(msg, hwnd, remove)) return true;
    if (InRange(WM_MOUSEHOVER, min, max) && PeekHoverMessage(msg, hwnd, remove)) return true;
    return InRange(WM_TIMER, min, max) && PeekTimerMessage(msg, hwnd, remove);
}

DWORD DueIn(HWND hwnd, UINT min, UINT max) {
    DWORD due = INFINITE;
    if (InRange(WM_TIMER, min, max)) due = TimerDueIn(hwnd);
    if (InRange(WM_MOUSEHOVER, min, max)) due = std::min(due, HoverDueIn(hwnd));
    return due;
}

bool Pending(DWORD mask) {
    if (HostEventsPending()) return true;
    if ((mask & QS_PAINT) && trelwin::user::ThreadHasPaintPending()) return true;
    return (mask & QS_TIMER) && (TimerDueNow() || HoverDueIn(nullptr) == 0);
}

}  // namespace

void EnsureSyntheticSource() {
    static std::once_flag once;
    std::call_once(once, [] {
        CSyntheticSource source;
        source.peek = Peek;
        source.due_in = DueIn;
        source.pending = Pending;
        source.retrieved = InputMessageRetrieved;
        source.host_input = ApplyHostEvents;
        SetSyntheticSource(source);
        InstallHostInput();
    });
}
