#include "common/net/ip_server_child.h"

#include <cstring>

#include "common/net/ip_server.h"
#include "common/net/ping.h"
#include "common/net/socket_helpers.h"
#include "platform/base/system_time.h"

CIPServerChild::CIPServerChild(SOCKET s, CIPServer* pServer)
    : m_pServer(pServer), m_socket(INVALID_SOCKET), m_bCallback(0), m_evReceiveStop(FALSE, FALSE),
      m_bStopping(0), m_evDispatchStop(FALSE, TRUE), m_evQueued(FALSE, FALSE),
      m_dwReceiveTimeout(pServer->m_settings.m_dwReceiveTimeout), m_bReceiveEnded(0) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof(peer));
    int len = sizeof(peer);
    if (getpeername(s, reinterpret_cast<sockaddr*>(&peer), &len) == SOCKET_ERROR) {
        // Refused before any callback; nobody else will close it.
        closesocket(s);
        return;
    }
    m_strPeerAddress = inet_ntoa(peer.sin_addr);
    m_socket = s;
    m_bCallback = 1;
}

CIPServerChild::~CIPServerChild() {
    m_bStopping = 1;
    m_bCallback = 0;
    Stop();
    FreeQueue();
}

void CIPServerChild::Start() {
    m_evReceiveStop.ResetEvent();
    m_evDispatchStop.ResetEvent();
    m_evQueued.ResetEvent();
    m_bReceiveEnded = 0;
    // The dispatch thread first: a receive thread that ends at once waits
    // for it.
    m_threadDispatch.Start(this, &CIPServerChild::ThreadDispatch, 0, THREAD_PRIORITY_NORMAL, FALSE);
    m_threadReceive.Start(this, &CIPServerChild::ThreadReceive, 0, THREAD_PRIORITY_NORMAL, FALSE);
}

void CIPServerChild::Stop() {
    m_evDispatchStop.SetEvent();
    m_evQueued.SetEvent();
    m_threadDispatch.WaitForEnd(INFINITE);
    m_evReceiveStop.SetEvent();
    SOCKET s = m_socket;
    if (s != INVALID_SOCKET) {
        // The shutdown wakes the receive thread; the descriptor is closed
        // only once that thread is gone, so it never reads a closed (or
        // reused) descriptor.
        shutdown(s, SD_BOTH);
        m_threadReceive.WaitForEnd(INFINITE);
        m_socket = INVALID_SOCKET;
        closesocket(s);
    } else {
        m_threadReceive.WaitForEnd(INFINITE);
    }
}

void CIPServerChild::StopSilently() {
    m_bCallback = 0;
    Stop();
}

int CIPServerChild::ReceivePacket(int* pnCommand, BYTE** ppData, int* pnLength) {
    CSingleLock lock(&m_receiveLock, TRUE);
    return CIPSendReceive::ReceivePacket(m_socket, (int)m_dwReceiveTimeout, m_pServer->m_settings.m_dwMaxPayload,
                                         pnCommand, ppData, pnLength);
}

void CIPServerChild::FreeQueue() {
    CSingleLock lock(&m_queueLock, TRUE);
    for (INT_PTR i = 0; i < m_queue.GetSize(); ++i) delete[] m_queue[i].m_pData;
    m_queue.RemoveAll();
}

UINT CIPServerChild::ThreadReceive(int) {
    const _TIPServerConfig& settings = m_pServer->m_settings;
    RunReportingExceptions([&] {
        CPing ping(m_socket, settings.m_nProtocol == 0 ? 1 : 0, settings.m_bKeepAlive, settings.m_bPingRun,
                   &m_sendLock);
        ping.Start();
        while (::WaitForSingleObject(m_evReceiveStop, 0) == WAIT_TIMEOUT) {
            _TIPCommand packet;
            int length = 0;
            if (!ReceivePacket(&packet.m_nCommand, &packet.m_pData, &length)) break;
            packet.m_dwLength = (DWORD)length;
            packet.m_strAddress = m_strPeerAddress;
            CSingleLock lock(&m_queueLock, TRUE);
            m_evQueued.SetEvent();
            m_queue.Add(packet);
        }
        ping.Stop();
        // What came before the end is delivered before the end is reported.
        m_bReceiveEnded = 1;
        m_evQueued.SetEvent();
        m_threadDispatch.WaitForEnd(INFINITE);
        if (m_bCallback && settings.m_pfnCallback != nullptr)
            settings.m_pfnCallback(settings.m_pContext, IP_SERVER_DISCONNECTED, m_socket, nullptr);
    });
    if (!m_bStopping) {
        SOCKET s = m_socket;
        while (!m_pServer->m_childs.ChildClosed(s) && !m_bStopping)
            Sleep(300);
    }
    return 0;
}

UINT CIPServerChild::ThreadDispatch(int) {
    const _TIPServerConfig& settings = m_pServer->m_settings;
    RunReportingExceptions([&] {
        while (::WaitForSingleObject(m_evDispatchStop, 0) == WAIT_TIMEOUT) {
            _TIPCommand packet;
            {
                CSingleLock lock(&m_queueLock, TRUE);
                if (m_queue.GetSize() == 0) {
                    if (m_bReceiveEnded) break;
                    lock.Unlock();
                    ::WaitForSingleObject(m_evQueued, INFINITE);
                    lock.Lock();
                    m_evQueued.ResetEvent();
                    continue;
                }
                packet = m_queue[0];
                m_queue.RemoveAt(0);
            }
            if (!m_bCallback) {
                delete[] packet.m_pData;
                continue;
            }
            if (DeliverPacket(settings, m_socket, &packet) == 0) break;
        }
    });
    SOCKET s = m_socket;
    if (s != INVALID_SOCKET) shutdown(s, SD_BOTH);
    FreeQueue();
    return 0;
}
