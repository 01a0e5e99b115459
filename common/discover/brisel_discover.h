// CBriselDiscover: finds devices on one local interface by broadcast, or at
// a list or range of addresses, keeps a table of what it found and reports
// every change to its owner window with posted messages (discover_info.h).
//
// Two threads of its own: the send thread sends the discover requests (one
// pass, or a pass per period), the receive thread takes the replies for the
// listening time (or until stopped), asks new devices for their version and
// settings, and at its end closes the sockets and posts MSG_DISCOVER_END.
// In server mode a datagram server on the device port also hands what it
// receives to the reply handling.
#pragma once

#include "common/base/collection.h"
#include "common/discover/discover_info.h"
#include "common/net/ip_broadcast.h"
#include "common/net/ip_command.h"
#include "common/net/ip_server.h"
#include "common/net/ip_simple_client.h"
#include "common/thread/thread.h"
#include "platform/base/array.h"
#include "platform/base/cstring.h"
#include "platform/threading/afx_sync.h"
#include "platform/user/user_types.h"

class CBriselDiscover
{
public:
    CBriselDiscover();
    virtual ~CBriselDiscover();
    CBriselDiscover(const CBriselDiscover&) = delete;
    CBriselDiscover& operator=(const CBriselDiscover&) = delete;

    // Stops a run in progress, clears the table and starts a new run.
    // unicast 0 broadcasts from localAddress; 1 queries addressText (entries
    // "host" or "host:port" separated by ';') or, without one, the range.
    // A device port below 1 means 50013.
    void Start(int unicast, int periodic, int askVersion, int serverMode, CString excludedAddress, int askSettings,
               CString addressText, DWORD listeningTimeMs, int acceptType0, CString localAddress, int devicePort,
               CString secondBindText, CString subnetMask, int subnetFilter);
    // Ends both threads and waits for them.
    void Stop();
    void ClearDevices();

    // The datagram server's callback; the context is the discoverer.
    static int OnDatagram(void* pContext, int nEvent, SOCKET s, _TIPCommand* pPacket);

    UINT ThreadSend(int nArg);
    UINT ThreadReceive(int nArg);

    // Set by the creator before Start.
    HWND m_hWndOwner = nullptr;
    // Device classes to accept; empty accepts all.
    CCollection<_eDeviceType> m_classFilter;
    // Range pass: first address (network byte order) and number of further
    // addresses.
    DWORD m_dwRangeStart = 0;
    int m_nRangeCount = 0;
    // Periodic mode: ms between passes, and seconds after which a silent
    // device is dropped; guarded by m_csPeriod.
    CCriticalSection m_csPeriod;
    DWORD m_dwPeriod = 2000;
    DWORD m_dwExpiry = 4;
    // Set while a run is in progress.
    CEvent m_evRunning;

protected:
    int SendPass();
    void ReceiveLoop(DWORD durationMs);
    // Ends the send thread, closes the sockets, posts MSG_DISCOVER_END and
    // clears the running event: the end of the receive thread.
    void EndRun();
    void OnReply(_TIPCommand* pPacket, int nEvent);
    // nSenderPort: the port the record came from (0: not known).
    void OnSettingsReply(const BYTE* pData, int nLength, const CString& strSender, int nSenderPort);
    void AgeDevices();
    void SendDiscoverRequest(const CString& address, int port);
    // Both to the device's own port (its settings channel is that port + 2).
    void SendVersionRequest(const CString& address, int port);
    void SendSettingsRequest(const CString& address, int port);
    // Through the unicast client in unicast mode, else the broadcast socket
    // of the channel; paced: with the broadcast socket's pause after it.
    void SendRequest(BYTE command, const CString& address, int port, CIPSimpleClient& client, CIPBroadcast& broadcast,
                     BOOL paced);

    // Caller holds m_csDevices. The device at the address and port, -1
    // when there is none.
    int FindDevice(const CString& address, int port) const;
    // Caller holds m_csDevices. The device whose port, moved by offset, is
    // the one a reply came from; failing that the first at the address (a
    // reply whose port tells nothing); -1 when none is at the address.
    int FindReplyDevice(const CString& address, int replyPort, int offset) const;
    // The port of the device that sent a discover reply: in a list run the
    // port its entry was asked at (the entry of the reply's own port first),
    // else the device port.
    int DevicePortOf(const CString& sender, int senderPort);
    // The subnet rule of the reply handling.
    BOOL IsInSubnet(const CString& sender) const;
    BOOL WasQueried(const CString& address);
    BOOL IsStopping(CEvent& stop) const;
    // Posts to the owner; FALSE when there is no owner or it is gone.
    BOOL PostToOwner(UINT message, WPARAM wParam, LPARAM lParam);
    void PostDeviceLost(const CString& address);

    CString m_strExcludedAddress;
    int m_bPeriodic = 0;
    CThread<CBriselDiscover> m_threadSend;
    CThread<CBriselDiscover> m_threadReceive;
    CEvent m_evStopSend;
    CEvent m_evStopReceive;
    // Set by the send thread when it ends, so that the receive thread closes
    // the sockets only after the last send.
    CEvent m_evSendDone;
    CArray<_tDeviceDiscovered*> m_devices;
    CIPBroadcast m_broadcast;
    CIPSimpleClient m_client;
    CIPServer m_server;
    CCriticalSection m_csDevices;
    int m_bUnicast = 0;
    int m_bAskVersion = 0;
    int m_bServerMode = 0;
    int m_bAskSettings = 0;
    CIPBroadcast m_broadcastSettings;
    CIPSimpleClient m_clientSettings;
    int m_bHasAddressText = 0;
    CString m_strAddressText;
    DWORD m_dwListeningTime = 2000;
    int m_bAcceptType0 = 0;
    CString m_strLocalAddress;
    int m_nDevicePort = 0;
    CString m_strSecondBindText;
    int m_bSubnetFilter = 0;
    CString m_strSubnetMask;
    // The addresses of the last pass and, in a list run, the port each was
    // asked at (same index).
    CArray<CString> m_queried;
    CArray<int> m_queriedPorts;
    CCriticalSection m_csQueried;
    CCriticalSection m_csStop;
};
