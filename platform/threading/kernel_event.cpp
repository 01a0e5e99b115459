#include "platform/threading/kernel_event.h"

#include <new>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/kernel_object_name.h"

void CEventObject::Set() {
    m_bSignalled = true;
    NotifyWaiters();
}

void CEventObject::Pulse() {
    // Releases whoever waits right now (one waiter for auto-reset, every
    // satisfiable waiter for manual-reset), then leaves the event reset.
    m_bSignalled = true;
    NotifyWaiters();
    m_bSignalled = false;
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    if (!CheckUnnamedKernelObject(lpName)) {
        return NULL;
    }
    try {
        return CHandleTable::Insert(std::make_shared<CEventObject>(bManualReset != FALSE, bInitialState != FALSE));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
}

namespace {

template <class Change>
BOOL ChangeEvent(HANDLE hEvent, Change change) {
    std::shared_ptr<CEventObject> event = CHandleTable::LookupAs<CEventObject>(hEvent);
    if (!event) {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(WaitLock());
    change(*event);
    return TRUE;
}

}  // namespace

BOOL WINAPI SetEvent(HANDLE hEvent) {
    return ChangeEvent(hEvent, [](CEventObject& event) { event.Set(); });
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    return ChangeEvent(hEvent, [](CEventObject& event) { event.Reset(); });
}

BOOL WINAPI PulseEvent(HANDLE hEvent) {
    return ChangeEvent(hEvent, [](CEventObject& event) { event.Pulse(); });
}
