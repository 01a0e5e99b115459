// Framed stream transfer. A frame is an 8-byte header, command then payload
// length (both 32-bit, little-endian as the machine stores them), then the
// payload. A command of 0 or less is a keep-alive, which the receiver skips;
// the keep-alive frame is 8 zero bytes.
#pragma once

#include "platform/base/win_types.h"
#include "platform/net/net.h"

#define IP_FRAME_HEADER_SIZE 8

class CIPSendReceive {
public:
    CIPSendReceive() {}
    virtual ~CIPSendReceive() {}

    // Reads the next packet, skipping keep-alives. nTimeoutMs -1 waits
    // without limit; otherwise it bounds each single wait for data. A
    // length below 0 or above nLimit, a closed peer, an error or a wait
    // that runs out give 0 with *ppData null and no buffer left behind.
    // On 1, *ppData holds exactly *pnLength bytes from new BYTE[] (null for
    // length 0); the caller deletes it.
    static int ReceivePacket(SOCKET s, int nTimeoutMs, DWORD dwLimit, int* pnCommand, BYTE** ppData, int* pnLength);
};

// One wait for readability, then one recv: the count that recv gives, or
// -1 when the wait ran out or failed.
int ReceiveWithTimeout(SOCKET s, BYTE* pBuffer, int nLength, int nTimeoutMs);

// 1 sent, 0 failed.
int SendKeepAlive(SOCKET s);
int SendKeepAliveTo(SOCKET s, const sockaddr_in& peer);
