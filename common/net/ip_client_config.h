// _TIPClientConfig: how CIPSimpleClient::Open opens its socket. The caller
// owns the record and may drop it once Open has returned.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

struct _TIPClientConfig {
    _TIPClientConfig();
    ~_TIPClientConfig();

    // 1: datagram (UDP); 0: stream (TCP). Open connects a datagram socket
    // only for exactly 1 and makes a datagram socket for any non-zero value.
    int m_nProtocol;
    // The peer: dotted IPv4 text or a host name.
    CString m_strHost;
    int m_nPort;
    // Stream mode: 1 or more limits the connect to this many milliseconds,
    // used in whole seconds.
    int m_nConnectTimeout;
    // Dotted text of the local interface to bind to; empty: any.
    CString m_strLocalAddress;
    // -1: no particular local port.
    int m_nLocalPort;
    // When not empty the bind uses the any address instead of
    // m_strLocalAddress, and that address alone no longer causes a bind.
    CString m_strSecondAddress;
    DWORD m_dwReserved;
};
