// CSingleLock: takes one synchronisation object for the lifetime of a scope
// (or between Lock and Unlock) and gives it back when it goes, also when an
// exception leaves the scope.
#pragma once

#include "platform/threading/afx_sync.h"

class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE) : m_pObject(pObject), m_bAcquired(FALSE) {
        if (bInitialLock) {
            Lock();
        }
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock(DWORD dwTimeout = INFINITE) {
        if (!m_bAcquired) {
            m_bAcquired = m_pObject->Lock(dwTimeout);
        }
        return m_bAcquired;
    }
    BOOL Unlock() {
        if (m_bAcquired) {
            m_bAcquired = !m_pObject->Unlock();
        }
        return !m_bAcquired;
    }
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired;
};
