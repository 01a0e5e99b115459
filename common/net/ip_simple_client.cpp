#include "common/net/ip_simple_client.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/net/socket_helpers.h"
#include "platform/base/system_time.h"

namespace {

sockaddr_in MakeAddress(ULONG ip, int nPort) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons((USHORT)nPort);
    a.sin_addr.s_addr = ip;
    return a;
}

}  // namespace

ULONG ResolveHostAddress(LPCSTR pszName) {
    if (pszName == nullptr || *pszName == '\0') return 0;
    hostent* host = gethostbyname(pszName);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) return 0;
    ULONG ip;
    std::memcpy(&ip, host->h_addr_list[0], sizeof(ip));
    return ip;
}

int ConnectWithTimeout(SOCKET s, int nSeconds, const sockaddr_in& peer) {
    u_long mode = 1;
    ioctlsocket(s, FIONBIO, &mode);
    if (connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0) {
        mode = 0;
        ioctlsocket(s, FIONBIO, &mode);
        return 0;
    }
    Sleep(1);
    fd_set wr, ex;
    FD_ZERO(&wr);
    FD_ZERO(&ex);
    FD_SET(s, &wr);
    FD_SET(s, &ex);
    timeval tv;
    tv.tv_sec = nSeconds;
    tv.tv_usec = 0;
    if (select(0, nullptr, &wr, &ex, nSeconds == 0 ? nullptr : &tv) < 1) return -1;
    if (!FD_ISSET(s, &wr) && !FD_ISSET(s, &ex)) return -1;
    int error = 0;
    int len = sizeof(error);
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) < 0) return -1;
    if (error == 0) {
        mode = 0;
        ioctlsocket(s, FIONBIO, &mode);
        return 0;
    }
    errno = error;
    WSASetLastError(error);
    return -1;
}

CIPSimpleClient::CIPSimpleClient() : m_socket(INVALID_SOCKET), m_nProtocol(1), m_dwReceiveLimit(0) {
    std::memset(&m_peer, 0, sizeof(m_peer));
}

CIPSimpleClient::~CIPSimpleClient() { Close(); }

void CIPSimpleClient::Close() {
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    m_dwReceiveLimit = 0;
    std::memset(&m_peer, 0, sizeof(m_peer));
}

int CIPSimpleClient::CreateSocket() {
    Close();
    if (StartWindowsSockets11() != 1) return 0;
    m_socket = socket(AF_INET, m_nProtocol != 0 ? SOCK_DGRAM : SOCK_STREAM, 0);
    return m_socket == INVALID_SOCKET ? 0 : 1;
}

int CIPSimpleClient::Bind(int nLocalPort, CString strLocalAddress) {
    ULONG ip = strLocalAddress.IsEmpty() ? INADDR_ANY : inet_addr(strLocalAddress);
    sockaddr_in local = MakeAddress(ip, nLocalPort == -1 ? 0 : nLocalPort);
    return bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR ? 0 : 1;
}

int CIPSimpleClient::OpenLocal(CString strLocalAddress, int nLocalPort) {
    m_nProtocol = 1;
    if (!CreateSocket()) return 0;
    if (nLocalPort == -1 && strLocalAddress.IsEmpty()) return 1;
    return Bind(nLocalPort, strLocalAddress);
}

int CIPSimpleClient::Open(_TIPClientConfig& settings) {
    m_strHost = settings.m_strHost;
    m_strPort.Format("%d", settings.m_nPort);
    m_nProtocol = settings.m_nProtocol;
    if (!CreateSocket()) return 0;

    BOOL secondEmpty = settings.m_strSecondAddress.IsEmpty();
    if (settings.m_nLocalPort != -1 || (!settings.m_strLocalAddress.IsEmpty() && secondEmpty)) {
        if (!Bind(settings.m_nLocalPort, secondEmpty ? settings.m_strLocalAddress : CString(""))) return 0;
    }

    hostent* host = gethostbyname(m_strHost);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) return 0;
    ULONG ip;
    std::memcpy(&ip, host->h_addr_list[0], sizeof(ip));
    sockaddr_in peer = MakeAddress(ip, std::atoi(m_strPort));

    if (settings.m_nConnectTimeout < 1 || m_nProtocol == 1) {
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) == SOCKET_ERROR) return 0;
        m_peer = peer;
        return 1;
    }
    // Whole seconds, but never 0, which would wait without limit: a limit
    // below one second becomes one second.
    int seconds = settings.m_nConnectTimeout / 1000;
    if (seconds < 1) seconds = 1;
    return ConnectWithTimeout(m_socket, seconds, peer) == 0 ? 1 : 0;
}

int CIPSimpleClient::SendTo(CString strAddress, int nPort, const BYTE* pData, int nLength) {
    sockaddr_in to = MakeAddress(inet_addr(strAddress), nPort);
    // To the peer of a connected datagram socket without naming it: the
    // system then keeps its route instead of looking it up per datagram.
    if (m_nProtocol == 1 && m_peer.sin_port != 0 && to.sin_port == m_peer.sin_port &&
        to.sin_addr.S_un.S_addr == m_peer.sin_addr.S_un.S_addr)
        return send(m_socket, reinterpret_cast<const char*>(pData), nLength, 0) == SOCKET_ERROR ? 0 : 1;
    return SendAllTo(m_socket, to, pData, nLength, 0);
}

int CIPSimpleClient::WaitForData(int nTimeoutMs) { return WaitReadable(m_socket, nTimeoutMs); }

int CIPSimpleClient::Receive(BYTE* pBuffer, int nLength, BOOL bWhole) {
    int received = 0;
    do {
        int n = recv(m_socket, reinterpret_cast<char*>(pBuffer) + received, nLength - received, 0);
        if (n == 0 || n == SOCKET_ERROR) return -1;
        received += n;
    } while (bWhole && received < nLength);
    return received;
}

int CIPSimpleClient::ReceiveWithin(BYTE* pBuffer, int nLength, int nTimeoutMs) {
    if (nTimeoutMs <= 0) {
        // The length of the datagram waiting first, 0 when none waits.
        u_long waiting = 0;
        if (ioctlsocket(m_socket, FIONREAD, &waiting) == SOCKET_ERROR) return -1;
        if (waiting == 0) return 0;
    } else if (static_cast<DWORD>(nTimeoutMs) != m_dwReceiveLimit) {
        const DWORD limit = static_cast<DWORD>(nTimeoutMs);
        if (setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit)) ==
            SOCKET_ERROR)
            return -1;
        m_dwReceiveLimit = limit;
    }
    const int n = recv(m_socket, reinterpret_cast<char*>(pBuffer), nLength, 0);
    if (n == SOCKET_ERROR) return WSAGetLastError() == WSAETIMEDOUT ? 0 : -1;
    return n == 0 ? -1 : n;
}

int CIPSimpleClient::SendDatagrams(const DATAGRAM_BUFFER* pDatagrams, int nCount) {
    const int sent = ::SendDatagrams(m_socket, pDatagrams, nCount);
    return sent == SOCKET_ERROR ? 0 : sent;
}

int CIPSimpleClient::ReceiveFrom(BYTE* pBuffer, CString& strAddress, WORD& wPort) {
    return ReceiveDatagram1024(m_socket, pBuffer, strAddress, wPort);
}
