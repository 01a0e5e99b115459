// Event objects: manual-reset (stays signalled until reset, wakes every
// waiter) and auto-reset (wakes exactly one waiter, which resets it).
#pragma once

#include "platform/threading/waitable.h"

class CEventObject : public CWaitableObject {
public:
    CEventObject(bool bManualReset, bool bInitialState) : m_bManualReset(bManualReset), m_bSignalled(bInitialState) {}

    bool IsSignalledFor(const CWaiter&) const override { return m_bSignalled; }
    bool Acquire(CWaiter&) override {
        if (!m_bManualReset) {
            m_bSignalled = false;
        }
        return false;
    }

    // Caller holds WaitLock().
    void Set();
    void Reset() { m_bSignalled = false; }
    void Pulse();

private:
    const bool m_bManualReset;
    bool m_bSignalled;
};

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);
BOOL WINAPI PulseEvent(HANDLE hEvent);
#define CreateEvent CreateEventA
