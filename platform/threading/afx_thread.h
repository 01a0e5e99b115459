// The framework's worker threads: CWinThread runs a controlling function in
// a thread of its own; AfxBeginThread creates and starts one.
//
// When the controlling function returns, the framework ends the thread with
// the function's result as exit code and, if m_bAutoDelete is set, deletes
// the CWinThread (which closes its handle). A thread that leaves through
// _endthreadex or ExitThread skips that step: its CWinThread is not deleted
// and its handle stays open. AfxEndThread ends the thread from inside with
// the framework's step.
#pragma once

#include "platform/base/object.h"
#include "platform/threading/thread_object.h"

typedef UINT(AFX_CDECL* AFX_THREADPROC)(LPVOID);

class CWinThread : public CObject {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    // Closes the thread's handle; the thread itself runs on.
    ~CWinThread() override;

    // Starts the thread (held back with CREATE_SUSPENDED until ResumeThread).
    // The stack size and security attributes are accepted and not used.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

    operator HANDLE() const { return m_hThread; }

    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int nPriority);

    // Frees the object when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

private:
    static unsigned __stdcall ThreadEntry(void* pThread);
};

// Creates a worker thread for the controlling function, with the priority
// given and CREATE_SUSPENDED honoured. Returns its CWinThread (auto-delete
// set), or NULL when no thread could be created (last error set).
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                                  UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Ends the calling framework thread with the exit code; with bDelete its
// CWinThread is deleted first when it is an auto-delete one.
[[noreturn]] void AFXAPI AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
