#include "common/net/ping.h"

#include <cstring>

#include "common/net/ip_send_receive.h"
#include "common/net/socket_helpers.h"

CPing::CPing(SOCKET s, int bStream, int bKeepAlive, int bRun, CCriticalSection* pSendLock)
    : m_socket(s), m_dwInterval(1000), m_evStop(FALSE, FALSE), m_bStream(bStream), m_bKeepAlive(bKeepAlive),
      m_bRun(bRun), m_pSendLock(pSendLock) {}

CPing::~CPing() { Stop(); }

int CPing::Start() {
    if (m_thread.IsRunning()) return 0;
    if (m_socket == INVALID_SOCKET || m_dwInterval == 0) return 0;
    if (!m_bKeepAlive && !m_bRun) return 0;
    m_evStop.ResetEvent();
    // Keep-alives need no more than normal priority.
    return m_thread.Start(this, &CPing::ThreadPing, 0, THREAD_PRIORITY_NORMAL, FALSE) ? 1 : 0;
}

int CPing::Stop() {
    if (!m_thread.IsRunning()) return 0;
    m_evStop.SetEvent();
    m_thread.WaitForEnd(INFINITE);
    return 1;
}

BOOL CPing::IsRunning() { return m_thread.IsRunning(); }

UINT CPing::ThreadPing(int) {
    RunReportingExceptions([this] {
        sockaddr_in peer;
        std::memset(&peer, 0, sizeof(peer));
        int len = sizeof(peer);
        getpeername(m_socket, reinterpret_cast<sockaddr*>(&peer), &len);
        for (;;) {
            if (::WaitForSingleObject(m_evStop, 0) != WAIT_TIMEOUT) return;
            if (::WaitForSingleObject(m_evStop, m_dwInterval) != WAIT_TIMEOUT) return;
            if (!m_bKeepAlive) continue;
            int sent;
            if (m_pSendLock != nullptr) m_pSendLock->Lock();
            sent = m_bStream ? SendKeepAlive(m_socket) : SendKeepAliveTo(m_socket, peer);
            if (m_pSendLock != nullptr) m_pSendLock->Unlock();
            if (!sent) return;
        }
    });
    return 0;
}
