// Mutex objects: owned by one thread at a time, recursively. A mutex whose
// owner ends without releasing it is abandoned: the next waiter gets it with
// WAIT_ABANDONED_0 + n instead of waiting forever.
#pragma once

#include "platform/threading/waitable.h"

class CMutexObject : public CWaitableObject {
public:
    bool IsSignalledFor(const CWaiter& waiter) const override {
        return m_nCount == 0 || m_nOwner == waiter.m_nThreadId;
    }
    bool Acquire(CWaiter& waiter) override;

    // Caller holds WaitLock(). FALSE when the thread does not own the mutex.
    bool Release(DWORD nThreadId);

    // Releases every mutex that the thread still owns, as abandoned.
    // Caller holds WaitLock().
    static void AbandonAllOwnedBy(DWORD nThreadId);

private:
    void LinkOwned();
    void UnlinkOwned();

    DWORD m_nOwner = 0;
    DWORD m_nCount = 0;
    bool m_bAbandoned = false;
    // While owned, the mutex is on a process-wide list (so that its owner's
    // end can abandon it) and keeps itself alive. The list is intrusive so
    // that taking a mutex on a waiter's behalf never allocates.
    std::shared_ptr<CMutexObject> m_pSelfWhileOwned;
    CMutexObject* m_pPrevOwned = nullptr;
    CMutexObject* m_pNextOwned = nullptr;
};

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
BOOL WINAPI ReleaseMutex(HANDLE hMutex);
#define CreateMutex CreateMutexA
