// CIPServerChilds: the live connections of a multi-client CIPServer, and
// the reaper thread that removes those whose peer has gone.
//
// Lock order: the reaper mutex before the collection's own lock.
#pragma once

#include <atomic>

#include "common/base/collection.h"
#include "common/base/smart_ptr.h"
#include "common/net/ip_server_child.h"
#include "common/thread/thread.h"
#include "platform/base/array.h"
#include "platform/threading/afx_sync.h"

class CIPServerChilds : public CCollection<CSmartPtr<CIPServerChild>> {
public:
    CIPServerChilds();
    ~CIPServerChilds() override;

    void Start();
    // Ends the reaper, then stops and removes every live connection.
    void Stop();

    int Add(CSmartPtr<CIPServerChild> pChild, int nIndex = -1) override;
    // With bStop the connection is also silenced and stopped.
    void Remove(CSmartPtr<CIPServerChild> pChild, BOOL bStop);
    void RemoveAll();
    // The live connection with the socket, or an empty holder.
    CSmartPtr<CIPServerChild> FindBySocket(SOCKET s);
    // From a receive thread that has ended: 1 done (or no reaper runs), 0
    // the reaper mutex was busy, call again later.
    int ChildClosed(SOCKET s);

    UINT ThreadCleanup(int nArg);

protected:
    CEvent m_evStop;
    CEvent m_evClosed;
    CThread<CIPServerChilds> m_thread;
    CArray<CSmartPtr<CIPServerChild>> m_closed;
    CMutex m_mutex;
    std::atomic<int> m_bReaperRunning;
};
