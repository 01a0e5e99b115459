// CPing: sends a keep-alive frame on a connection once per interval from a
// thread of its own, until stopped or until a send fails.
#pragma once

#include "common/thread/thread.h"
#include "platform/net/net.h"
#include "platform/threading/afx_sync.h"

class CPing {
public:
    // pSendLock, when given, is held around every keep-alive so that it
    // never interleaves with other writers of the socket. With bStream
    // clear the frame goes out with sendto to the socket's peer.
    CPing(SOCKET s, int bStream, int bKeepAlive, int bRun, CCriticalSection* pSendLock);
    ~CPing();
    CPing(const CPing&) = delete;
    CPing& operator=(const CPing&) = delete;

    // 1 started; 0 when already running, for socket -1 or interval 0, or
    // when neither the keep-alive nor the run flag is set.
    int Start();
    // 1 when a running thread was stopped and waited for, else 0.
    int Stop();
    BOOL IsRunning();

    UINT ThreadPing(int nArg);

    SOCKET m_socket;
    DWORD m_dwInterval;
    CEvent m_evStop;
    int m_bStream;
    int m_bKeepAlive;
    CThread<CPing> m_thread;
    int m_bRun;
    CCriticalSection* m_pSendLock;
};
