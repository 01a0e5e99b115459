// CIPBroadcast: a datagram socket allowed to broadcast, optionally bound to
// one local interface. One thread may send while another waits in
// ReceiveFrom.
#pragma once

#include "platform/base/cstring.h"
#include "platform/net/net.h"

class CIPBroadcast {
public:
    CIPBroadcast();
    virtual ~CIPBroadcast();
    CIPBroadcast(const CIPBroadcast&) = delete;
    CIPBroadcast& operator=(const CIPBroadcast&) = delete;

    // Binds to the local address with a port the system chooses, unless the
    // address is empty or a second address is given. The local port is
    // only stored. 1 ready, 0 failed, -1 when Windows Sockets did not start.
    int Open(int nLocalPort, CString strLocalAddress, CString strSecondAddress);
    // To a host name or dotted address ("255.255.255.255" broadcasts).
    // Each successful call takes at least 10 ms. 1 sent, 0 failed.
    int SendTo(CString strHost, int nPort, const BYTE* pData, int nLength);
    // The same without the 10 ms pause: for a single datagram to one host
    // sent by a thread that must go on reading at once (a request that
    // answers a reply). Requests to many hosts go through SendTo, whose
    // pause paces them.
    int SendToUnpaced(CString strHost, int nPort, const BYTE* pData, int nLength);
    // One datagram of at most 1024 bytes within 10 ms into a buffer of at
    // least 1024 bytes: its length, or 0 when none came, on error or when no
    // socket is open.
    int ReceiveFrom(BYTE* pBuffer, CString& strAddress, WORD& wPort);
    void Close();

    SOCKET GetSocket() const { return m_socket; }

protected:
    int Send(const CString& strHost, int nPort, const BYTE* pData, int nLength, int nPauseMs);

    SOCKET m_socket;
    int m_nLocalPort;
};
