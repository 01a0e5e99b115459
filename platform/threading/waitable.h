// The wait machinery behind WaitForSingleObject and WaitForMultipleObjects.
//
// Every waitable kernel object derives from CWaitableObject. All object
// states and all waits are guarded by one process-wide lock (WaitLock), so a
// wait for all of several objects sees and takes them in one step, and an
// auto-reset object is consumed by exactly one waiter.
//
// A wait that cannot be satisfied at once registers a CWaiter with each of
// its objects and sleeps on the waiter's own condition variable. Whoever
// changes an object's state calls NotifyWaiters() under the lock: it tries
// each registered waiter in arrival order, takes the objects on the waiter's
// behalf when they satisfy it, and wakes it with its result. The waiter thus
// never races another thread for an object it was woken for.
//
// Other sources of wake-ups (a thread's message queue, say) join a wait by
// deriving from CWaitableObject and passing themselves to WaitForObjects next
// to the objects behind the caller's handles.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/threading/handle_table.h"
#include "platform/threading/thread_types.h"

class CWaitableObject;

// One thread's wait in progress.
class CWaiter {
public:
    CWaitableObject* const* m_objects = nullptr;
    DWORD m_nCount = 0;
    bool m_bWaitAll = false;
    DWORD m_nThreadId = 0;               // the waiting thread
    DWORD m_nResult = kPending;          // WAIT_OBJECT_0 + n or WAIT_ABANDONED_0 + n once satisfied
    std::condition_variable m_wake;

    static constexpr DWORD kPending = 0xFFFFFFFEu;

    // Takes the objects when they satisfy this wait; true when done.
    // Caller holds WaitLock().
    bool TrySatisfy();
};

class CWaitableObject : public CHandleObject {
public:
    // Whether the object would satisfy a wait by this waiter now.
    // Caller holds WaitLock().
    virtual bool IsSignalledFor(const CWaiter& waiter) const = 0;

    // Takes the object for a satisfied waiter (an auto-reset event resets,
    // a mutex gets its owner). Returns true when the waiter gets an
    // abandoned mutex. Caller holds WaitLock().
    virtual bool Acquire(CWaiter& waiter) = 0;

    // Offers the object to the waiters registered with it, in arrival order.
    // Call after every change that may signal the object; caller holds
    // WaitLock().
    void NotifyWaiters();

private:
    friend class CWaiter;
    friend DWORD WaitForObjects(CWaitableObject* const*, DWORD, BOOL, DWORD);
    std::vector<CWaiter*> m_waiters;
};

// The lock that guards every waitable object's state and every wait.
std::mutex& WaitLock();

// Waits for one (bWaitAll FALSE) or all of the objects, at most dwMilliseconds
// (INFINITE for no limit). Returns WAIT_OBJECT_0 + n, WAIT_ABANDONED_0 + n,
// or WAIT_TIMEOUT. The caller keeps the objects alive for the call.
DWORD WaitForObjects(CWaitableObject* const* objects, DWORD nCount, BOOL bWaitAll, DWORD dwMilliseconds);
