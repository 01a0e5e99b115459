#include "platform/threading/kernel_mutex.h"

#include <new>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"
#include "platform/threading/kernel_object_name.h"
#include "platform/threading/thread_object.h"

namespace {

// Head of the list of owned mutexes; guarded by WaitLock().
CMutexObject* g_pFirstOwned = nullptr;

}  // namespace

void CMutexObject::LinkOwned() {
    m_pSelfWhileOwned = std::static_pointer_cast<CMutexObject>(shared_from_this());
    m_pPrevOwned = nullptr;
    m_pNextOwned = g_pFirstOwned;
    if (g_pFirstOwned != nullptr) {
        g_pFirstOwned->m_pPrevOwned = this;
    }
    g_pFirstOwned = this;
}

void CMutexObject::UnlinkOwned() {
    (m_pPrevOwned != nullptr ? m_pPrevOwned->m_pNextOwned : g_pFirstOwned) = m_pNextOwned;
    if (m_pNextOwned != nullptr) {
        m_pNextOwned->m_pPrevOwned = m_pPrevOwned;
    }
    m_pPrevOwned = m_pNextOwned = nullptr;
}

bool CMutexObject::Acquire(CWaiter& waiter) {
    if (m_nCount++ == 0) {
        m_nOwner = waiter.m_nThreadId;
        LinkOwned();
    }
    bool abandoned = m_bAbandoned;
    m_bAbandoned = false;
    return abandoned;
}

bool CMutexObject::Release(DWORD nThreadId) {
    if (m_nCount == 0 || m_nOwner != nThreadId) {
        return false;
    }
    if (--m_nCount == 0) {
        m_nOwner = 0;
        UnlinkOwned();
        NotifyWaiters();
        m_pSelfWhileOwned.reset();  // the caller holds its own reference
    }
    return true;
}

void CMutexObject::AbandonAllOwnedBy(DWORD nThreadId) {
    for (CMutexObject* mutex = g_pFirstOwned; mutex != nullptr;) {
        CMutexObject* next = mutex->m_pNextOwned;
        if (mutex->m_nOwner == nThreadId) {
            std::shared_ptr<CMutexObject> keep = std::move(mutex->m_pSelfWhileOwned);
            mutex->UnlinkOwned();
            mutex->m_nOwner = 0;
            mutex->m_nCount = 0;
            mutex->m_bAbandoned = true;
            mutex->NotifyWaiters();
            // A waiter may have taken it and put it back on the list, at
            // the head; the walk goes on from the saved successor.
        }
        mutex = next;
    }
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
    if (!CheckUnnamedKernelObject(lpName)) {
        return NULL;
    }
    std::shared_ptr<CMutexObject> mutex;
    try {
        mutex = std::make_shared<CMutexObject>();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    if (bInitialOwner) {
        // The owner's end must abandon the mutex; threads that this layer
        // did not start are given their object (signalled at their end) here.
        try {
            CThreadObject::Current();
        } catch (const std::bad_alloc&) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return NULL;
        }
        std::lock_guard<std::mutex> lock(WaitLock());
        CWaiter self;
        self.m_nThreadId = GetCurrentThreadId();
        mutex->Acquire(self);
    }
    HANDLE handle = CHandleTable::Insert(mutex);
    if (handle == NULL && bInitialOwner) {
        std::lock_guard<std::mutex> lock(WaitLock());
        mutex->Release(GetCurrentThreadId());
    }
    return handle;
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    std::shared_ptr<CMutexObject> mutex = CHandleTable::LookupAs<CMutexObject>(hMutex);
    if (!mutex) {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(WaitLock());
    if (!mutex->Release(GetCurrentThreadId())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
