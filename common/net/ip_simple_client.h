// CIPSimpleClient: one client socket, datagram or stream, opened from a
// _TIPClientConfig or bound locally, with sends, a wait for data and
// receives. One thread uses an object at a time.
#pragma once

#include "common/net/ip_client_config.h"
#include "platform/base/cstring.h"
#include "platform/net/net.h"

class CIPSimpleClient {
public:
    CIPSimpleClient();
    virtual ~CIPSimpleClient();
    CIPSimpleClient(const CIPSimpleClient&) = delete;
    CIPSimpleClient& operator=(const CIPSimpleClient&) = delete;

    // 1 when the socket is open and, for a datagram socket, its peer set
    // (only that peer's datagrams are received); for a stream socket, when it
    // is connected. 0 on failure; the socket made so far stays until Close.
    int Open(_TIPClientConfig& settings);
    // A datagram socket without a peer, bound when a local address or port
    // is given. 1 ready, 0 failed.
    int OpenLocal(CString strLocalAddress, int nLocalPort);
    // Closes an open socket, starts Windows Sockets 1.1 and makes a new one.
    int CreateSocket();
    // Port -1 lets the system choose; an empty address is any.
    int Bind(int nLocalPort, CString strLocalAddress);

    // 1 sent, 0 failed. The address must be dotted text.
    int SendTo(CString strAddress, int nPort, const BYTE* pData, int nLength);
    // 1 readable, 0 time-out, -1 error.
    int WaitForData(int nTimeoutMs);
    // The bytes received, or -1 when the peer closed or on error, also when
    // part of the data had come. With bWhole set, reads until nLength bytes
    // are in; otherwise one receive (one datagram).
    int Receive(BYTE* pBuffer, int nLength, BOOL bWhole);
    // One datagram within nTimeoutMs (0: only one already waiting, where an
    // empty one counts as none): its length, 0 when none came, -1 when the
    // receive failed (also for an empty datagram). A wait in one system call, for loops that wait
    // often; it leaves the socket's receive time-out set.
    int ReceiveWithin(BYTE* pBuffer, int nLength, int nTimeoutMs);
    // Sends each buffer as a datagram of its own to the peer of an open
    // datagram socket, in order, in as few system calls as the system
    // allows. The number of datagrams sent.
    int SendDatagrams(const DATAGRAM_BUFFER* pDatagrams, int nCount);
    // One datagram of at most 1024 bytes within 10 ms into a buffer of at
    // least 1024 bytes: its length, or 0 on time-out or error.
    int ReceiveFrom(BYTE* pBuffer, CString& strAddress, WORD& wPort);
    void Close();

    SOCKET GetSocket() const { return m_socket; }

protected:
    SOCKET m_socket;
    CString m_strHost;
    CString m_strPort;
    int m_nProtocol;
    // The receive time-out last set on the socket (ms; 0: none).
    DWORD m_dwReceiveLimit;
    // The peer of a connected datagram socket (port 0: none).
    sockaddr_in m_peer;
};

// A stream connect within nSeconds (0: without limit): 0 connected, -1
// failed (the socket may be left non-blocking then).
int ConnectWithTimeout(SOCKET s, int nSeconds, const sockaddr_in& peer);

// The first IPv4 address of the name in network order; 0 for a null or
// empty name or an unknown one.
ULONG ResolveHostAddress(LPCSTR pszName);
