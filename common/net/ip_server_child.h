// CIPServerChild: one accepted stream connection of a multi-client
// CIPServer. Its receive thread reads frames into a queue; its dispatch
// thread hands them to the server's callback in order.
#pragma once

#include <atomic>

#include "common/net/ip_command.h"
#include "common/net/ip_send_receive.h"
#include "common/thread/thread.h"
#include "platform/base/array.h"
#include "platform/base/cstring.h"
#include "platform/net/net.h"
#include "platform/threading/afx_sync.h"

class CIPServer;

class CIPServerChild : public CIPSendReceive {
    friend class CIPServerChilds;

public:
    // Takes the peer's address; when it cannot be had, the socket is
    // closed and the object keeps socket -1.
    CIPServerChild(SOCKET s, CIPServer* pServer);
    ~CIPServerChild() override;
    CIPServerChild(const CIPServerChild&) = delete;
    CIPServerChild& operator=(const CIPServerChild&) = delete;

    void Start();
    // Ends both threads, then closes the socket.
    void Stop();
    // As Stop, with no further callbacks.
    void StopSilently();
    int ReceivePacket(int* pnCommand, BYTE** ppData, int* pnLength);

    UINT ThreadReceive(int nArg);
    UINT ThreadDispatch(int nArg);

    SOCKET GetSocket() const { return m_socket; }
    const CString& GetPeerAddress() const { return m_strPeerAddress; }

protected:
    void FreeQueue();

    CIPServer* m_pServer;
    std::atomic<SOCKET> m_socket;
    CString m_strPeerAddress;
    std::atomic<int> m_bCallback;
    CEvent m_evReceiveStop;
    CThread<CIPServerChild> m_threadReceive;
    CThread<CIPServerChild> m_threadDispatch;
    CCriticalSection m_sendLock;
    CCriticalSection m_receiveLock;
    std::atomic<int> m_bStopping;
    CArray<_TIPCommand> m_queue;
    CCriticalSection m_queueLock;
    CEvent m_evDispatchStop;
    CEvent m_evQueued;
    DWORD m_dwReceiveTimeout;
    // Set when the receive loop has ended, so that the dispatch thread
    // delivers what is queued and then ends instead of waiting for more.
    std::atomic<int> m_bReceiveEnded;
};
