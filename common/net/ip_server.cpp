#include "common/net/ip_server.h"

#include <cstring>
#include <vector>

#include "common/net/ip_send_receive.h"
#include "common/net/ping.h"
#include "common/net/socket_helpers.h"
#include "platform/user/window_class.h"

UINT MSG_IP_CLIENTE_CONECTADO = RegisterWindowMessageA("MSG_IP_CLIENTE_CONECTADO");
UINT MSG_IP_CLIENTE_DESCONECTADO = RegisterWindowMessageA("MSG_IP_CLIENTE_DESCONECTADO");
UINT MSG_IP_CLIENTE_COMANDO_RECIBIDO = RegisterWindowMessageA("MSG_IP_CLIENTE_COMANDO_RECIBIDO");

CIPServer::CIPServer()
    : m_evStop(FALSE, FALSE), m_socket(INVALID_SOCKET), m_clientSocket(INVALID_SOCKET), m_bRunning(0),
      m_bStopping(0) {}

CIPServer::~CIPServer() { Stop(); }

int CIPServer::Callback(int nEvent, SOCKET s, _TIPCommand* pPacket) {
    if (m_settings.m_pfnCallback == nullptr) return 1;
    return m_settings.m_pfnCallback(m_settings.m_pContext, nEvent, s, pPacket);
}

int CIPServer::CreateSocket() {
    if (StartWindowsSockets11() != 1) return 0;
    SOCKET s = socket(AF_INET, m_settings.m_nProtocol == 0 ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return 0;
    // Other sockets of the process may use the same port.
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
    sockaddr_in local;
    std::memset(&local, 0, sizeof(local));
    local.sin_family = AF_INET;
    local.sin_port = htons((USHORT)(m_settings.m_nPort & 0xffff));
    local.sin_addr.s_addr = INADDR_ANY;
    if (!m_settings.m_strBindAddress.IsEmpty() && m_settings.m_strSecondAddress.IsEmpty())
        local.sin_addr.s_addr = inet_addr(m_settings.m_strBindAddress);
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR ||
        (m_settings.m_nProtocol == 0 && listen(s, 5) == SOCKET_ERROR)) {
        closesocket(s);
        return 0;
    }
    m_socket = s;
    return 1;
}

void CIPServer::Start(const _TIPServerConfig& settings) {
    if (m_bRunning) return;
    m_settings = settings;
    if (!CreateSocket()) return;
    m_bStopping = 0;
    m_evStop.ResetEvent();
    if (m_settings.m_nProtocol == 0) {
        if (m_settings.m_bMultiClient) m_childs.Start();
        m_thread.Start(this, &CIPServer::ThreadAccept, 0, THREAD_PRIORITY_NORMAL, FALSE);
    } else {
        m_thread.Start(this, &CIPServer::ThreadUdp, 0, THREAD_PRIORITY_NORMAL, FALSE);
    }
    m_bRunning = 1;
}

void CIPServer::Stop() {
    if (!m_bRunning) return;
    m_evStop.SetEvent();
    {
        CSingleLock lock(&m_clientLock, TRUE);
        m_bStopping = 1;
        if (m_clientSocket != INVALID_SOCKET) shutdown(m_clientSocket, SD_BOTH);
    }
    // Closing a descriptor does not wake a thread blocked on it here; a
    // shutdown does. It is closed once the thread is gone.
    shutdown(m_socket, SD_BOTH);
    m_thread.WaitForEnd(INFINITE);
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    if (m_settings.m_bMultiClient) m_childs.Stop();
    m_bRunning = 0;
}

UINT CIPServer::ThreadUdp(int) {
    // Discovery needs no more than normal priority: the process is not
    // raised to a real-time class, nor this thread to time-critical.
    RunReportingExceptions([this] {
        std::vector<char> buffer(4096);
        DWORD wait = 11;
        while (::WaitForSingleObject(m_evStop, wait) == WAIT_TIMEOUT) {
            sockaddr_in from;
            std::memset(&from, 0, sizeof(from));
            int fromLen = sizeof(from);
            int n = recvfrom(m_socket, buffer.data(), (int)buffer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                             &fromLen);
            // Also a datagram too long for the buffer: dropped, never cut.
            // After a failure the 11 ms pause keeps the loop from spinning;
            // after a datagram the next one is read at once, so that a burst
            // of replies is not held back by the pause.
            if (n == SOCKET_ERROR) {
                wait = 11;
                continue;
            }
            wait = 0;
            _TIPCommand packet;
            packet.m_nCommand = 0;
            packet.m_dwLength = (DWORD)n;
            packet.m_pData = n > 0 ? new BYTE[n] : nullptr;
            if (n > 0) std::memcpy(packet.m_pData, buffer.data(), n);
            packet.m_strAddress = inet_ntoa(from.sin_addr);
            packet.m_wPort = ntohs(from.sin_port);
            RunReportingExceptions([&] { DeliverPacket(m_settings, 0, &packet); });
        }
    });
    return 0;
}

UINT CIPServer::ThreadAccept(int) {
    while (::WaitForSingleObject(m_evStop, 11) == WAIT_TIMEOUT) {
        SOCKET s = INVALID_SOCKET;
        bool ok = RunReportingExceptions([&] {
            sockaddr_in peer;
            std::memset(&peer, 0, sizeof(peer));
            int len = sizeof(peer);
            s = accept(m_socket, reinterpret_cast<sockaddr*>(&peer), &len);
            if (s == INVALID_SOCKET) return;
            int size = 65536;
            setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof(size));
            if (m_settings.m_bMultiClient) {
                SOCKET child = s;
                s = INVALID_SOCKET;  // the connection object owns it now
                AddChild(child);
                return;
            }
            {
                CSingleLock lock(&m_clientLock, TRUE);
                if (m_bStopping) {
                    closesocket(s);
                    s = INVALID_SOCKET;
                    return;
                }
                m_clientSocket = s;
            }
            ServeClient(s, inet_ntoa(peer.sin_addr));
            s = INVALID_SOCKET;  // closed by ServeClient
        });
        if (!ok && s != INVALID_SOCKET) {
            {
                CSingleLock lock(&m_clientLock, TRUE);
                if (m_clientSocket == s) m_clientSocket = INVALID_SOCKET;
            }
            closesocket(s);
        }
    }
    return 0;
}

void CIPServer::ServeClient(SOCKET s, CString strPeerAddress) {
    auto release = [&] {
        {
            CSingleLock lock(&m_clientLock, TRUE);
            m_clientSocket = INVALID_SOCKET;
        }
        closesocket(s);
    };
    CPing ping(s, 0, m_settings.m_bKeepAlive, m_settings.m_bPingRun, nullptr);
    ping.Start();
    if (Callback(IP_SERVER_CONNECTED, s, nullptr) == 0) {
        ping.Stop();
        release();
        return;
    }
    for (;;) {
        _TIPCommand packet;
        int length = 0;
        if (!CIPSendReceive::ReceivePacket(s, (int)m_settings.m_dwReceiveTimeout, m_settings.m_dwMaxPayload,
                                           &packet.m_nCommand, &packet.m_pData, &length))
            break;
        packet.m_dwLength = (DWORD)length;
        packet.m_strAddress = strPeerAddress;
        if (DeliverPacket(m_settings, s, &packet) == 0) break;
    }
    ping.Stop();
    Callback(IP_SERVER_DISCONNECTED, s, nullptr);
    release();
}

int CIPServer::AddChild(SOCKET s) {
    CIPServerChild* child = new CIPServerChild(s, this);
    if (child->GetSocket() == INVALID_SOCKET) {
        delete child;
        return 0;
    }
    CSmartPtr<CIPServerChild> holder(child);
    m_childs.Add(holder);
    if (Callback(IP_SERVER_CONNECTED, s, nullptr) == 0) {
        m_childs.Remove(holder, TRUE);
        return 0;
    }
    child->Start();
    return 1;
}
