#include "common/net/ip_send_receive.h"

#include <cstring>

#include "common/net/socket_helpers.h"

namespace {

const BYTE kKeepAliveFrame[IP_FRAME_HEADER_SIZE] = {0, 0, 0, 0, 0, 0, 0, 0};

// Reads exactly nLength bytes; false when the peer closed, on an error or
// when a wait for data ran out.
bool ReadExactly(SOCKET s, BYTE* pBuffer, int nLength, int nTimeoutMs) {
    int got = 0;
    while (got < nLength) {
        int n = nTimeoutMs != -1 ? ReceiveWithTimeout(s, pBuffer + got, nLength - got, nTimeoutMs)
                                 : recv(s, reinterpret_cast<char*>(pBuffer) + got, nLength - got, 0);
        if (n <= 0) return false;
        got += n;
    }
    return true;
}

}  // namespace

int ReceiveWithTimeout(SOCKET s, BYTE* pBuffer, int nLength, int nTimeoutMs) {
    if (WaitReadable(s, nTimeoutMs) < 1) return -1;
    return recv(s, reinterpret_cast<char*>(pBuffer), nLength, 0);
}

int CIPSendReceive::ReceivePacket(SOCKET s, int nTimeoutMs, DWORD dwLimit, int* pnCommand, BYTE** ppData,
                                  int* pnLength) {
    *ppData = nullptr;
    // Descriptor 0 is a socket like any other here; only -1 is none.
    while (s != INVALID_SOCKET) {
        BYTE header[IP_FRAME_HEADER_SIZE];
        if (!ReadExactly(s, header, IP_FRAME_HEADER_SIZE, nTimeoutMs)) return 0;
        *pnLength = 0;
        int command, length;
        std::memcpy(&command, header, 4);
        std::memcpy(&length, header + 4, 4);
        if (length < 0 || (DWORD)length > dwLimit) return 0;
        BYTE* data = nullptr;
        if (length > 0) {
            data = new BYTE[length];
            if (!ReadExactly(s, data, length, nTimeoutMs)) {
                delete[] data;
                return 0;
            }
        }
        *pnCommand = command;
        *pnLength = length;
        if (command >= 1) {
            *ppData = data;
            return 1;
        }
        delete[] data;  // a keep-alive
    }
    return 0;
}

namespace {

int SendFrame(SOCKET s, const sockaddr_in* peer) {
    if (s == INVALID_SOCKET) return 0;
    int sent = 0;
    while (sent < IP_FRAME_HEADER_SIZE) {
        const char* from = reinterpret_cast<const char*>(kKeepAliveFrame) + sent;
        int n = peer != nullptr ? sendto(s, from, IP_FRAME_HEADER_SIZE - sent, 0,
                                         reinterpret_cast<const sockaddr*>(peer), sizeof(*peer))
                                : send(s, from, IP_FRAME_HEADER_SIZE - sent, 0);
        if (n == SOCKET_ERROR) return 0;
        if (n <= 0) break;
        sent += n;
    }
    return 1;
}

}  // namespace

int SendKeepAlive(SOCKET s) { return SendFrame(s, nullptr); }

int SendKeepAliveTo(SOCKET s, const sockaddr_in& peer) { return SendFrame(s, &peer); }
