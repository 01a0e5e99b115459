#include "platform/threading/thread_object.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"
#include "platform/threading/kernel_mutex.h"

namespace {

// Thrown to end the calling thread at once; caught only by the thread's
// entry. Deliberately not a std::exception, so that handlers for those do
// not take it.
struct CThreadExit {
    DWORD nExitCode;
};

// The object of the thread that this layer started and that runs here.
thread_local CThreadObject* t_pOwnThread = nullptr;

// The object given to a thread that this layer did not start, on first use;
// signalled when that thread ends.
struct CAdoptedThread {
    std::shared_ptr<CThreadObject> object;
    ~CAdoptedThread() {
        if (object) {
            std::lock_guard<std::mutex> lock(WaitLock());
            object->End(0);
        }
    }
};
thread_local CAdoptedThread t_adoptedThread;

std::atomic<DWORD> g_nPriorityClass{NORMAL_PRIORITY_CLASS};

std::shared_ptr<CThreadObject> LookupThread(HANDLE hThread) {
    if (hThread == TRELWIN_CURRENT_THREAD_HANDLE) {
        return CThreadObject::Current();
    }
    return CHandleTable::LookupAs<CThreadObject>(hThread);
}

// Runs the call on the thread's object under the wait lock; the failure
// value (last error set) for a handle that names no thread.
template <class Result, class Call>
Result WithThread(HANDLE hThread, Result failure, Call call) {
    std::shared_ptr<CThreadObject> thread = LookupThread(hThread);
    if (!thread) {
        return failure;
    }
    std::lock_guard<std::mutex> lock(WaitLock());
    return call(*thread);
}

HANDLE StartThread(LPTHREAD_START_ROUTINE pfnStart, LPVOID pParam, DWORD dwCreationFlags, DWORD* pThreadId) {
    if (pfnStart == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    // Every thread starts held back, so that it can still be called off
    // unstarted when no handle can be made for it.
    std::shared_ptr<CThreadObject> thread;
    try {
        thread = std::make_shared<CThreadObject>(pfnStart, pParam, 1);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    if (!thread->Launch()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HANDLE handle = CHandleTable::Insert(thread);
    if (handle == NULL) {
        thread->OnLastHandleClosed();
        return NULL;
    }
    if (pThreadId != nullptr) {
        *pThreadId = thread->m_nThreadId;
    }
    if ((dwCreationFlags & CREATE_SUSPENDED) == 0) {
        std::lock_guard<std::mutex> lock(WaitLock());
        thread->Resume();
    }
    return handle;
}

[[noreturn]] void EndCallingThread(DWORD nExitCode) {
    if (t_pOwnThread == nullptr) {
        std::fprintf(stderr, "A thread that was not started by CreateThread or _beginthreadex cannot be ended early.\n");
        std::abort();
    }
    throw CThreadExit{nExitCode};
}

bool IsValidThreadPriority(int nPriority) {
    return (nPriority >= THREAD_PRIORITY_LOWEST && nPriority <= THREAD_PRIORITY_HIGHEST) ||
           nPriority == THREAD_PRIORITY_IDLE || nPriority == THREAD_PRIORITY_TIME_CRITICAL;
}

bool IsValidPriorityClass(DWORD dwPriorityClass) {
    switch (dwPriorityClass) {
    case IDLE_PRIORITY_CLASS:
    case BELOW_NORMAL_PRIORITY_CLASS:
    case NORMAL_PRIORITY_CLASS:
    case ABOVE_NORMAL_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS:
    case REALTIME_PRIORITY_CLASS:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::shared_ptr<CThreadObject> CThreadObject::Current() {
    if (t_pOwnThread != nullptr) {
        return std::static_pointer_cast<CThreadObject>(t_pOwnThread->shared_from_this());
    }
    if (!t_adoptedThread.object) {
        auto thread = std::make_shared<CThreadObject>(nullptr, nullptr, 0);
        thread->m_nThreadId = GetCurrentThreadId();
        thread->m_bStarted = true;
        t_adoptedThread.object = std::move(thread);
    }
    return t_adoptedThread.object;
}

bool CThreadObject::Launch() {
    // The id is given here, so the creator goes on without waiting for the
    // new thread to be scheduled (on a busy machine that wait is a time
    // slice per thread).
    m_nThreadId = NewThreadId();
    std::shared_ptr<CThreadObject> self = std::static_pointer_cast<CThreadObject>(shared_from_this());
    try {
        std::thread([self] { self->Run(); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CThreadObject::Run() {
    TakeThreadId(m_nThreadId);
    t_pOwnThread = this;
    {
        std::unique_lock<std::mutex> lock(WaitLock());
        m_stateChanged.wait(lock, [this] { return m_nSuspendCount == 0 || m_bCancelled; });
        if (m_bCancelled) {
            End(0);
            t_pOwnThread = nullptr;
            return;
        }
        m_bStarted = true;
    }
    DWORD nExitCode;
    try {
        nExitCode = m_pfnStart(m_pParam);
    } catch (const CThreadExit& exit) {
        nExitCode = exit.nExitCode;
    }
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        End(nExitCode);
    }
    t_pOwnThread = nullptr;
}

void CThreadObject::End(DWORD nExitCode) {
    m_nExitCode = nExitCode;
    m_bEnded = true;
    CMutexObject::AbandonAllOwnedBy(m_nThreadId);
    NotifyWaiters();
}

DWORD CThreadObject::Resume() {
    DWORD previous = m_nSuspendCount;
    if (previous > 0 && --m_nSuspendCount == 0) {
        m_stateChanged.notify_all();
    }
    return previous;
}

DWORD CThreadObject::Suspend() {
    // A thread can be held back only before its function starts; a running
    // thread cannot be stopped at an arbitrary point here.
    if (m_bStarted || m_bEnded) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return static_cast<DWORD>(-1);
    }
    return m_nSuspendCount++;
}

void CThreadObject::OnLastHandleClosed() {
    // Only a thread still held back is called off: one that has been
    // resumed runs, whether or not anybody keeps a handle to it.
    std::lock_guard<std::mutex> lock(WaitLock());
    if (m_nSuspendCount > 0 && !m_bStarted && !m_bEnded) {
        m_bCancelled = true;
        m_stateChanged.notify_all();
    }
}

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId) {
    return StartThread(lpStartAddress, lpParameter, dwCreationFlags, lpThreadId);
}

uintptr_t _beginthreadex(void*, unsigned, _beginthreadex_proc_type start_address, void* arglist, unsigned initflag,
                         unsigned* thrdaddr) {
    HANDLE handle = StartThread(start_address, arglist, initflag, thrdaddr);
    if (handle == NULL) {
        errno = start_address == nullptr ? EINVAL : EAGAIN;
    }
    return reinterpret_cast<uintptr_t>(handle);
}

void _endthreadex(unsigned retval) {
    EndCallingThread(retval);
}

void WINAPI ExitThread(DWORD dwExitCode) {
    EndCallingThread(dwExitCode);
}

DWORD WINAPI ResumeThread(HANDLE hThread) {
    return WithThread(hThread, static_cast<DWORD>(-1), [](CThreadObject& thread) { return thread.Resume(); });
}

DWORD WINAPI SuspendThread(HANDLE hThread) {
    return WithThread(hThread, static_cast<DWORD>(-1), [](CThreadObject& thread) { return thread.Suspend(); });
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    std::shared_ptr<CThreadObject> thread = LookupThread(hThread);
    if (!thread) {
        return FALSE;
    }
    if (lpExitCode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(WaitLock());
    *lpExitCode = thread->m_bEnded ? thread->m_nExitCode : STILL_ACTIVE;
    return TRUE;
}

HANDLE WINAPI GetCurrentThread() {
    return TRELWIN_CURRENT_THREAD_HANDLE;
}

BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
    std::shared_ptr<CThreadObject> thread = LookupThread(hThread);
    if (!thread) {
        return FALSE;
    }
    if (!IsValidThreadPriority(nPriority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->m_nPriority = nPriority;
    return TRUE;
}

int WINAPI GetThreadPriority(HANDLE hThread) {
    return WithThread(hThread, THREAD_PRIORITY_ERROR_RETURN, [](CThreadObject& thread) { return thread.m_nPriority; });
}

BOOL WINAPI SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass) {
    if (hProcess != TRELWIN_CURRENT_PROCESS_HANDLE) {
        CHandleTable::SetInvalidHandleError();
        return FALSE;
    }
    if (!IsValidPriorityClass(dwPriorityClass)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    g_nPriorityClass = dwPriorityClass;
    return TRUE;
}

DWORD WINAPI GetPriorityClass(HANDLE hProcess) {
    if (hProcess != TRELWIN_CURRENT_PROCESS_HANDLE) {
        CHandleTable::SetInvalidHandleError();
        return 0;
    }
    return g_nPriorityClass;
}
