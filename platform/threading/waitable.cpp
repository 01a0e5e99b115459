#include "platform/threading/waitable.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"

namespace {

void Unregister(CWaiter& waiter, std::vector<CWaiter*>& list) {
    list.erase(std::remove(list.begin(), list.end(), &waiter), list.end());
}

}  // namespace

std::mutex& WaitLock() {
    static std::mutex* lock = new std::mutex;  // used by threads still ending at process exit
    return *lock;
}

bool CWaiter::TrySatisfy() {
    if (m_bWaitAll) {
        for (DWORD i = 0; i < m_nCount; ++i) {
            if (!m_objects[i]->IsSignalledFor(*this)) {
                return false;
            }
        }
        DWORD result = WAIT_OBJECT_0;
        for (DWORD i = 0; i < m_nCount; ++i) {
            if (m_objects[i]->Acquire(*this) && result == WAIT_OBJECT_0) {
                result = WAIT_ABANDONED_0 + i;
            }
        }
        m_nResult = result;
        return true;
    }
    for (DWORD i = 0; i < m_nCount; ++i) {
        if (m_objects[i]->IsSignalledFor(*this)) {
            m_nResult = (m_objects[i]->Acquire(*this) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
            return true;
        }
    }
    return false;
}

void CWaitableObject::NotifyWaiters() {
    if (m_waiters.empty()) {
        return;
    }
    // Satisfying a waiter removes it from this list and the lists of its
    // other objects, so walk a copy.
    std::vector<CWaiter*> waiters = m_waiters;
    for (CWaiter* waiter : waiters) {
        if (waiter->m_nResult == CWaiter::kPending && waiter->TrySatisfy()) {
            for (DWORD i = 0; i < waiter->m_nCount; ++i) {
                Unregister(*waiter, waiter->m_objects[i]->m_waiters);
            }
            waiter->m_wake.notify_one();
        }
    }
}

DWORD WaitForObjects(CWaitableObject* const* objects, DWORD nCount, BOOL bWaitAll, DWORD dwMilliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    CWaiter waiter;
    waiter.m_objects = objects;
    waiter.m_nCount = nCount;
    waiter.m_bWaitAll = bWaitAll != FALSE;
    waiter.m_nThreadId = GetCurrentThreadId();

    std::unique_lock<std::mutex> lock(WaitLock());
    if (waiter.TrySatisfy()) {
        return waiter.m_nResult;
    }
    if (dwMilliseconds == 0) {
        return WAIT_TIMEOUT;
    }
    try {
        for (DWORD i = 0; i < nCount; ++i) {
            objects[i]->m_waiters.push_back(&waiter);
        }
    } catch (const std::bad_alloc&) {
        for (DWORD i = 0; i < nCount; ++i) {
            Unregister(waiter, objects[i]->m_waiters);
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return WAIT_FAILED;
    }
    auto satisfied = [&waiter] { return waiter.m_nResult != CWaiter::kPending; };
    if (dwMilliseconds == INFINITE) {
        waiter.m_wake.wait(lock, satisfied);
    } else if (!waiter.m_wake.wait_until(lock, deadline, satisfied)) {
        for (DWORD i = 0; i < nCount; ++i) {
            Unregister(waiter, objects[i]->m_waiters);
        }
        return WAIT_TIMEOUT;
    }
    return waiter.m_nResult;
}
