// Internal helpers of the socket classes: starting Windows Sockets 1.1
// before each socket is made, waits, sends, and catching what a socket
// thread throws.
#pragma once

#include "common/base/exception_base.h"
#include "common/base/exception_report.h"
#include "common/net/ip_server_config.h"
#include "platform/base/cstring.h"
#include "platform/net/net.h"

// 1 started with version 1.1; 0 another version was granted (the start is
// undone again); -1 WSAStartup failed. A successful start stays counted.
int StartWindowsSockets11();

// One select for readability within ms: 1 readable, 0 time-out, -1 error.
int WaitReadable(SOCKET s, int nTimeoutMs);

// Sends all bytes with sendto, pausing nPauseMs after each part sent:
// 1 sent (or the system took nothing more), 0 on a socket error.
int SendAllTo(SOCKET s, const sockaddr_in& to, const BYTE* pData, int nLength, int nPauseMs);

// One datagram of at most 1024 bytes within 10 ms into pBuffer (at least
// 1024 bytes): its length, or 0 on time-out or error.
int ReceiveDatagram1024(SOCKET s, BYTE* pBuffer, CString& strAddress, WORD& wPort);

// Runs the body of a socket thread; an exception is reported through the
// top-level logger and gives false.
template <class F>
bool RunReportingExceptions(F&& body) {
    try {
        body();
        return true;
    } catch (CExceptionBase& e) {
        e.GetReport();
        ReportException(&e);
    } catch (...) {
        ReportException(nullptr);
    }
    return false;
}

// Hands a packet to the settings' callback (when there is one; 1 without)
// and frees its buffer afterwards, also when the callback throws.
int DeliverPacket(const _TIPServerConfig& settings, SOCKET s, _TIPCommand* pPacket);
