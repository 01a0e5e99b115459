#include "common/net/ip_server_childs.h"

#include "common/net/socket_helpers.h"
#include "platform/base/system_time.h"

CIPServerChilds::CIPServerChilds()
    : m_evStop(FALSE, FALSE), m_evClosed(FALSE, TRUE), m_mutex(FALSE), m_bReaperRunning(0) {}

CIPServerChilds::~CIPServerChilds() { Stop(); }

void CIPServerChilds::Start() {
    m_closed.RemoveAll();
    m_evStop.ResetEvent();
    m_evClosed.ResetEvent();
    m_bReaperRunning = 1;
    m_thread.Start(this, &CIPServerChilds::ThreadCleanup, 0, THREAD_PRIORITY_NORMAL, FALSE);
}

void CIPServerChilds::Stop() {
    // From here on receive threads that end leave their connection to
    // RemoveAll instead of the reaper.
    {
        CSingleLock lock(&m_mutex, TRUE);
        m_bReaperRunning = 0;
    }
    m_evStop.SetEvent();
    m_thread.WaitForEnd(INFINITE);
    RemoveAll();
    CSingleLock lock(&m_mutex, TRUE);
    m_closed.RemoveAll();
}

int CIPServerChilds::Add(CSmartPtr<CIPServerChild> pChild, int nIndex) {
    CSingleLock lock(&m_mutex, TRUE);
    return CCollection<CSmartPtr<CIPServerChild>>::Add(pChild, nIndex);
}

void CIPServerChilds::Remove(CSmartPtr<CIPServerChild> pChild, BOOL bStop) {
    {
        CSingleLock lock(&m_mutex, TRUE);
        int index = Find(pChild);
        if (index >= 0) RemoveAt(index);
    }
    if (bStop && !pChild.IsNull()) pChild->StopSilently();
}

void CIPServerChilds::RemoveAll() {
    for (;;) {
        CSmartPtr<CIPServerChild> child;
        {
            CSingleLock lock(&m_mutex, TRUE);
            if (GetSize() == 0) return;
            child = GetAt(0);
        }
        Remove(child, TRUE);
    }
}

CSmartPtr<CIPServerChild> CIPServerChilds::FindBySocket(SOCKET s) {
    CSingleLock lock(&m_lock, TRUE);
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        if (!m_items[i].IsNull() && m_items[i]->m_socket == s) return m_items[i];
    return CSmartPtr<CIPServerChild>();
}

int CIPServerChilds::ChildClosed(SOCKET s) {
    if (!m_bReaperRunning) return 1;
    CSingleLock lock(&m_mutex);
    if (!lock.Lock(0)) return 0;
    // Checked again under the mutex: Stop may have begun meanwhile.
    if (!m_bReaperRunning) return 1;
    CSmartPtr<CIPServerChild> child = FindBySocket(s);
    if (!child.IsNull()) {
        m_closed.Add(child);
        m_evClosed.SetEvent();
    }
    return 1;
}

UINT CIPServerChilds::ThreadCleanup(int) {
    while (::WaitForSingleObject(m_evStop, 110) == WAIT_TIMEOUT) {
        RunReportingExceptions([this] {
            if (::WaitForSingleObject(m_evClosed, 0) == WAIT_TIMEOUT) return;
            m_evClosed.ResetEvent();
            for (;;) {
                CSmartPtr<CIPServerChild> child;
                {
                    CSingleLock lock(&m_mutex, TRUE);
                    if (m_closed.GetSize() == 0) break;
                    child = m_closed[0];
                    child->m_threadReceive.WaitForEnd(1000);
                    int index = Find(child);
                    if (index >= 0) RemoveAt(index);
                    m_closed.RemoveAt(0);
                }
                child->StopSilently();
                child.Release();  // the last holder: the connection goes here
                Sleep(10);
            }
        });
    }
    return 0;
}
