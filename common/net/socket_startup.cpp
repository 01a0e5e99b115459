#include "common/net/socket_startup.h"

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
