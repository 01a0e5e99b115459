// Thread objects and the thread functions. A thread object is signalled once
// its thread has ended and stays waitable (with its exit code) until its
// last handle is closed.
//
// A suspended thread (CREATE_SUSPENDED) exists with its id but has not
// started its function yet; ResumeThread lets it start. If every handle to
// a thread still held back is closed, it ends without running its function
// (nobody could resume it); a resumed thread runs without any handle.
//
// Ending the calling thread at once (_endthreadex, ExitThread, AfxEndThread)
// unwinds its stack with a private exception that only the thread's entry
// catches. Destructors of the unwound frames run as with any exception, and
// no stack is abandoned half-way: the alternative, pthread_exit, unwinds by
// a forced unwind that aborts the process when it meets a catch (...) that
// does not rethrow, and that the thread library of the C++ runtime does not
// expect to cross its own frames. A thread function must therefore not call
// these from a noexcept function, nor from a try block whose catch (...)
// swallows everything.
#pragma once

#include <condition_variable>
#include <memory>

#include "platform/threading/waitable.h"

class CThreadObject : public CWaitableObject {
public:
    CThreadObject(LPTHREAD_START_ROUTINE pfnStart, LPVOID pParam, DWORD nSuspendCount)
        : m_nSuspendCount(nSuspendCount), m_pfnStart(pfnStart), m_pParam(pParam) {}

    bool IsSignalledFor(const CWaiter&) const override { return m_bEnded; }
    bool Acquire(CWaiter&) override { return false; }
    void OnLastHandleClosed() override;

    // The calling thread's object; threads that this layer did not start
    // (the main thread, say) get one on first use, signalled at their end.
    static std::shared_ptr<CThreadObject> Current();

    // Starts the system thread (suspended or not); false when the system
    // refuses a thread. Fills in the new thread's id.
    bool Launch();

    // State below is guarded by WaitLock().
    void End(DWORD nExitCode);
    // Both return the previous suspend count.
    DWORD Resume();
    DWORD Suspend();

    DWORD m_nThreadId = 0;
    DWORD m_nExitCode = STILL_ACTIVE;
    int m_nPriority = THREAD_PRIORITY_NORMAL;
    DWORD m_nSuspendCount;
    bool m_bStarted = false;  // the function has been entered
    bool m_bEnded = false;
    bool m_bCancelled = false;  // held back and nobody holds a handle any more

private:
    void Run();

    LPTHREAD_START_ROUTINE m_pfnStart;
    LPVOID m_pParam;
    std::condition_variable m_stateChanged;  // resumed or cancelled
};

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId);
[[noreturn]] void WINAPI ExitThread(DWORD dwExitCode);
DWORD WINAPI ResumeThread(HANDLE hThread);
DWORD WINAPI SuspendThread(HANDLE hThread);
BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
HANDLE WINAPI GetCurrentThread();

// Priorities are accepted and remembered, and reported back; they do not
// change how the system schedules the threads. The program asks for
// time-critical threads in a real-time process, which on this system would
// let a busy thread starve the whole machine.
BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
int WINAPI GetThreadPriority(HANDLE hThread);
BOOL WINAPI SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass);
DWORD WINAPI GetPriorityClass(HANDLE hProcess);

// The C runtime's thread functions. _beginthreadex returns the thread's
// handle (0 on failure); close it with CloseHandle.
uintptr_t _beginthreadex(void* security, unsigned stack_size, _beginthreadex_proc_type start_address, void* arglist,
                         unsigned initflag, unsigned* thrdaddr);
[[noreturn]] void _endthreadex(unsigned retval);
