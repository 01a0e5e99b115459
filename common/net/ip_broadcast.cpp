#include "common/net/ip_broadcast.h"

#include <cstring>

#include "common/net/ip_simple_client.h"
#include "common/net/socket_helpers.h"
#include "platform/afx/afx_message_box.h"

// The sockets layer always grants version 1.1, so this box is never shown
// in practice.
static void ShowVersionMessage() { AfxMessageBox("No es la versión 1.1 de sockets", MB_OK); }

CIPBroadcast::CIPBroadcast() : m_socket(INVALID_SOCKET), m_nLocalPort(-1) {}

CIPBroadcast::~CIPBroadcast() { Close(); }

void CIPBroadcast::Close() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

int CIPBroadcast::Open(int nLocalPort, CString strLocalAddress, CString strSecondAddress) {
    m_nLocalPort = nLocalPort;
    // A handle still open from an earlier Open would otherwise be lost.
    Close();
    int started = StartWindowsSockets11();
    if (started < 0) return -1;
    if (started == 0) {
        ShowVersionMessage();
        return 0;
    }
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return 0;
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on));
    if (!strLocalAddress.IsEmpty() && strSecondAddress.IsEmpty()) {
        sockaddr_in local;
        std::memset(&local, 0, sizeof(local));
        local.sin_family = AF_INET;
        local.sin_port = 0;
        local.sin_addr.s_addr = inet_addr(strLocalAddress);
        if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR) {
            closesocket(s);
            return 0;
        }
    }
    m_socket = s;
    return 1;
}

namespace {

// After each part a SendTo puts out.
constexpr int kSendPauseMs = 10;

}  // namespace

int CIPBroadcast::SendTo(CString strHost, int nPort, const BYTE* pData, int nLength) {
    return Send(strHost, nPort, pData, nLength, kSendPauseMs);
}

int CIPBroadcast::SendToUnpaced(CString strHost, int nPort, const BYTE* pData, int nLength) {
    return Send(strHost, nPort, pData, nLength, 0);
}

int CIPBroadcast::Send(const CString& strHost, int nPort, const BYTE* pData, int nLength, int nPauseMs) {
    sockaddr_in to;
    std::memset(&to, 0, sizeof(to));
    to.sin_family = AF_INET;
    to.sin_port = htons((USHORT)nPort);
    to.sin_addr.s_addr = inet_addr(strHost);
    if (to.sin_addr.s_addr == INADDR_NONE) {
        // Also the broadcast address, which inet_addr cannot tell from an
        // error: the name look-up gives it back.
        if (strHost.IsEmpty()) return 0;
        ULONG ip = ResolveHostAddress(strHost);
        if (ip == 0) return 0;
        to.sin_addr.s_addr = ip;
    }
    return SendAllTo(m_socket, to, pData, nLength, nPauseMs);
}

int CIPBroadcast::ReceiveFrom(BYTE* pBuffer, CString& strAddress, WORD& wPort) {
    if (m_socket == INVALID_SOCKET) return 0;
    return ReceiveDatagram1024(m_socket, pBuffer, strAddress, wPort);
}
