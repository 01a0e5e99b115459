// CThread<T>: runs a member function of an object of class T in a worker
// thread of the framework, tells whether it still runs and waits for its
// end. An owner holds one CThread<T> per thread it needs and uses it through
// IThread<T>.
//
// Start, WaitForEnd and IsRunning hold the instance's lock for their whole
// duration, so two callers never start two threads for one instance. The
// worker never touches its CThread, so it can finish while the owner waits.
//
// The worker function must return to end the thread (it must not call
// AfxEndThread): the thread then leaves through _endthreadex, so the
// framework never deletes the thread object behind the owner's back, and
// this template keeps tracking it until it knows the thread has ended.
//
// WaitForEnd on a thread that owns windows goes on handling the messages
// that other threads send to those windows: a worker that reports to its
// owner's window with SendMessage can always finish while the owner waits
// for it.
#pragma once

#include <memory>

#include "common/base/exception_base.h"
#include "platform/base/last_error.h"
#include "platform/threading/afx_single_lock.h"
#include "platform/threading/afx_sync.h"
#include "platform/threading/afx_thread.h"
#include "platform/threading/wait_functions.h"

template <class T>
class IThread {
public:
    typedef UINT (T::*ThreadFunction)(int nArg);

    virtual ~IThread() {}
    // FALSE (last error set) when no thread could be created; TRUE when the
    // thread was started or one is already running (that one is left alone).
    virtual BOOL Start(T* pObject, ThreadFunction pfnFunction, int nArg, int nPriority, BOOL bAutoDelete) = 0;
    // TRUE unless the time-out ran out first.
    virtual BOOL WaitForEnd(DWORD dwTimeout) = 0;
    virtual BOOL IsRunning() = 0;
};

// The start parameter that the thread procedure runs and deletes.
class CThreadParam {
public:
    virtual UINT Run() = 0;
    virtual int Reserved() { return 0; }  // kept for the layout of the interface; never called
    virtual ~CThreadParam() {}
};

template <class T>
class CThreadParamT : public CThreadParam {
public:
    typedef typename IThread<T>::ThreadFunction ThreadFunction;

    CThreadParamT(T* pObject, ThreadFunction pfnFunction, int nArg)
        : m_pObject(pObject), m_pfnFunction(pfnFunction), m_nArg(nArg) {}

    UINT Run() override { return (m_pObject->*m_pfnFunction)(m_nArg); }

    T* m_pObject;
    ThreadFunction m_pfnFunction;
    int m_nArg;
};

template <class T>
class CThread : public CWinThread, public IThread<T> {
public:
    typedef typename IThread<T>::ThreadFunction ThreadFunction;

    CThread() : m_pThread(nullptr), m_bAutoDeleteThread(FALSE) {}

    // Does not wait for a running thread: owners stop and wait first. The
    // object of a thread that has ended is released here, also with
    // auto-delete, since nothing else ever will.
    ~CThread() override {
        if (m_pThread != nullptr && ::WaitForSingleObject(m_pThread->m_hThread, 0) != WAIT_TIMEOUT) {
            delete m_pThread;
        }
    }

    BOOL Start(T* pObject, ThreadFunction pfnFunction, int nArg, int nPriority, BOOL bAutoDelete) override {
        CSingleLock lock(&m_lock, TRUE);
        if (IsRunning()) {
            return TRUE;
        }
        // An auto-delete thread object outlives its thread; the one of the
        // previous run goes now that it is replaced.
        ReleaseThread();
        auto param = std::make_unique<CThreadParamT<T>>(pObject, pfnFunction, nArg);
        CWinThread* thread = AfxBeginThread(&CThread::ThreadProc, param.get(), nPriority, 0, CREATE_SUSPENDED, nullptr);
        if (thread == nullptr) {
            return FALSE;
        }
        param.release();  // the thread procedure deletes it
        m_pThread = thread;
        m_bAutoDeleteThread = bAutoDelete;
        thread->m_bAutoDelete = bAutoDelete;
        ::ResumeThread(thread->m_hThread);
        return TRUE;
    }

    // A time-out leaves the thread tracked: a later WaitForEnd or IsRunning
    // still sees it. Messages sent to the caller's windows are handled
    // meanwhile.
    BOOL WaitForEnd(DWORD dwTimeout) override {
        CSingleLock lock(&m_lock, TRUE);
        if (m_pThread == nullptr) {
            return TRUE;
        }
        DWORD result = ::WaitForSingleObjectHandlingSent(m_pThread->m_hThread, dwTimeout);
        if (result == WAIT_FAILED) {
            throw CExceptionSystem(EXCEPTION_ORIGIN, GetLastError(), "CThread<T>::WaitForEnd");
        }
        if (result == WAIT_TIMEOUT) {
            return FALSE;
        }
        if (!m_bAutoDeleteThread) {
            ReleaseThread();
        }
        return TRUE;
    }

    BOOL IsRunning() override {
        CSingleLock lock(&m_lock, TRUE);
        if (m_pThread == nullptr) {
            return FALSE;
        }
        if (::WaitForSingleObject(m_pThread->m_hThread, 0) == WAIT_TIMEOUT) {
            return TRUE;
        }
        if (!m_bAutoDeleteThread) {
            ReleaseThread();
        }
        return FALSE;
    }

private:
    static UINT AFX_CDECL ThreadProc(LPVOID pParam) {
        {
            std::unique_ptr<CThreadParam> param(static_cast<CThreadParam*>(pParam));
            param->Run();
        }
        _endthreadex(0);
    }

    void ReleaseThread() {
        delete m_pThread;
        m_pThread = nullptr;
    }

    CWinThread* m_pThread;  // the framework thread running the worker; null when idle
    CCriticalSection m_lock;
    BOOL m_bAutoDeleteThread;
};
