// _TIPServerConfig: the settings of a CIPServer, and its callback.
#pragma once

#include "common/net/ip_command.h"
#include "platform/base/cstring.h"
#include "platform/net/net.h"

// Callback events.
#define IP_SERVER_CONNECTED 0
#define IP_SERVER_DISCONNECTED 1
#define IP_SERVER_PACKET 2

// (context, event, socket, packet). Connected: 0 rejects the connection.
// Packet: the socket is 0 for a datagram; on a stream, 0 ends the
// connection. The packet's buffer belongs to the server and is freed when
// the callback returns. Called on the server's threads, in multi-client
// mode from several at once.
typedef int (*PFN_IP_SERVER_CALLBACK)(void* pContext, int nEvent, SOCKET s, _TIPCommand* pPacket);

struct _TIPServerConfig {
    _TIPServerConfig();
    _TIPServerConfig(const _TIPServerConfig& other) = default;
    _TIPServerConfig& operator=(const _TIPServerConfig& other) = default;
    ~_TIPServerConfig() = default;

    // 0: stream (TCP); anything else: datagram (UDP).
    int m_nProtocol;
    // The local port; its low 16 bits are used.
    int m_nPort;
    // Dotted text of the local interface; empty: any.
    CString m_strBindAddress;
    PFN_IP_SERVER_CALLBACK m_pfnCallback;
    void* m_pContext;
    // Stream mode: 0 serves one connection at a time on the accept thread;
    // otherwise every connection gets threads of its own.
    int m_bMultiClient;
    int m_bPingRun;
    int m_nReserved1;
    int m_bKeepAlive;
    // Bounds each wait of a framed receive.
    DWORD m_dwReceiveTimeout;
    int m_nReserved2;
    // When not empty the bind uses the any address.
    CString m_strSecondAddress;
    int m_nReserved3;
    int m_nReserved4;
    int m_nReserved5;
    int m_nReserved6;
    // The largest payload a frame may announce.
    DWORD m_dwMaxPayload;
};
