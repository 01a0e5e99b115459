#include "platform/threading/afx_thread.h"

#include <new>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

IMPLEMENT_DYNAMIC(CWinThread, CObject)

namespace {

// The framework thread object whose controlling function runs here.
thread_local CWinThread* t_pCurrentWinThread = nullptr;

}  // namespace

CWinThread::CWinThread() : CWinThread(nullptr, nullptr) {}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_hThread(NULL),
      m_nThreadID(0),
      m_bAutoDelete(TRUE),
      m_pfnThreadProc(pfnThreadProc),
      m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
    if (m_hThread != NULL) {
        ::CloseHandle(m_hThread);
        m_hThread = NULL;
    }
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (m_hThread != NULL || m_pfnThreadProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Always created held back, so that the handle and id are stored here
    // before the thread can look at its object.
    unsigned nThreadId = 0;
    uintptr_t hThread = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this, CREATE_SUSPENDED,
                                       &nThreadId);
    if (hThread == 0) {
        return FALSE;
    }
    m_hThread = reinterpret_cast<HANDLE>(hThread);
    m_nThreadID = nThreadId;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0) {
        ::ResumeThread(m_hThread);
    }
    return TRUE;
}

DWORD CWinThread::ResumeThread() {
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread() {
    return ::SuspendThread(m_hThread);
}

int CWinThread::GetThreadPriority() {
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int nPriority) {
    return ::SetThreadPriority(m_hThread, nPriority);
}

void CWinThread::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

unsigned __stdcall CWinThread::ThreadEntry(void* pThread) {
    CWinThread* thread = static_cast<CWinThread*>(pThread);
    t_pCurrentWinThread = thread;
    UINT nExitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    AfxEndThread(nExitCode);
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                                  DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    CWinThread* thread = new (std::nothrow) CWinThread(pfnThreadProc, pParam);
    if (thread == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        DWORD error = GetLastError();
        delete thread;
        SetLastError(error);
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0) {
        thread->ResumeThread();
    }
    return thread;
}

void AFXAPI AfxEndThread(UINT nExitCode, BOOL bDelete) {
    CWinThread* thread = t_pCurrentWinThread;
    t_pCurrentWinThread = nullptr;
    if (thread != nullptr && bDelete) {
        thread->Delete();
    }
    _endthreadex(nExitCode);
}
