#include "common/net/socket_helpers.h"

#include <cstring>

#include "platform/base/system_time.h"

int StartWindowsSockets11() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return -1;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
        WSACleanup();
        return 0;
    }
    return 1;
}

int DeliverPacket(const _TIPServerConfig& settings, SOCKET s, _TIPCommand* pPacket) {
    int result = 1;
    try {
        if (settings.m_pfnCallback != nullptr)
            result = settings.m_pfnCallback(settings.m_pContext, IP_SERVER_PACKET, s, pPacket);
    } catch (...) {
        delete[] pPacket->m_pData;
        pPacket->m_pData = nullptr;
        throw;
    }
    delete[] pPacket->m_pData;
    pPacket->m_pData = nullptr;
    return result;
}

int WaitReadable(SOCKET s, int nTimeoutMs) {
    fd_set rd;
    FD_ZERO(&rd);
    FD_SET(s, &rd);
    timeval tv;
    tv.tv_sec = nTimeoutMs / 1000;
    tv.tv_usec = (nTimeoutMs % 1000) * 1000;
    return select(0, &rd, nullptr, nullptr, &tv);
}

int SendAllTo(SOCKET s, const sockaddr_in& to, const BYTE* pData, int nLength, int nPauseMs) {
    int sent = 0;
    do {
        int n = sendto(s, reinterpret_cast<const char*>(pData) + sent, nLength - sent, 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof(to));
        if (n == SOCKET_ERROR) return 0;
        if (n <= 0) break;
        sent += n;
        if (nPauseMs > 0) Sleep(static_cast<DWORD>(nPauseMs));
    } while (sent < nLength);
    return 1;
}

int ReceiveDatagram1024(SOCKET s, BYTE* pBuffer, CString& strAddress, WORD& wPort) {
    if (WaitReadable(s, 10) < 1) return 0;
    sockaddr_in from;
    std::memset(&from, 0, sizeof(from));
    int fromLen = sizeof(from);
    int n = recvfrom(s, reinterpret_cast<char*>(pBuffer), 1024, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n == SOCKET_ERROR) return 0;
    strAddress = inet_ntoa(from.sin_addr);
    wPort = ntohs(from.sin_port);
    return n;
}
