#include "common/discover/brisel_discover.h"

#include <cstdlib>
#include <cstring>

#include "common/base/address_helpers.h"
#include "common/discover/device_datagram.h"
#include "platform/base/system_time.h"
#include "platform/threading/afx_single_lock.h"
#include "platform/threading/wait_functions.h"
#include "platform/user/message_functions.h"

namespace
{

enum : int
{
    // Ports the broadcast sockets are opened with (only stored by them: the
    // sockets are bound with a port that the system chooses).
    MAIN_LOCAL_PORT = 0xC35D,
    SETTINGS_LOCAL_PORT = 0xC35F,
    RECEIVE_BUFFER_SIZE = 1024,
    // A range pass pauses 10 ms after every tenth request.
    RANGE_PAUSE_EVERY = 10,
    RANGE_PAUSE_MS = 10,
    PERIODIC_POLL_MS = 10,
    // The longest wait for a reply before the stop event and the listening
    // time are looked at again.
    RECEIVE_WAIT_MS = 10,
    // Receive queue asked for on the reply sockets (the system may grant
    // less). A broadcast is answered by every device of the network at the
    // same moment, and each new device's version reply follows on the same
    // socket: the system's default queue holds fewer than 300 small
    // datagrams, and what overflows it is lost.
    REPLY_RECEIVE_QUEUE_BYTES = 1024 * 1024,
};

void EnlargeReceiveQueue(SOCKET s)
{
    if (s == INVALID_SOCKET)
        return;
    const int size = REPLY_RECEIVE_QUEUE_BYTES;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof(size));
}

// One wait of at most RECEIVE_WAIT_MS for either socket to become readable
// (INVALID_SOCKET: not waited on). The count of readable sockets, 0 on a
// time-out, -1 on an error or when neither socket is open.
int WaitForReplies(SOCKET mainSocket, SOCKET settingsSocket, BOOL& mainReady, BOOL& settingsReady)
{
    mainReady = FALSE;
    settingsReady = FALSE;
    fd_set readable;
    FD_ZERO(&readable);
    if (mainSocket != INVALID_SOCKET)
        FD_SET(mainSocket, &readable);
    if (settingsSocket != INVALID_SOCKET)
        FD_SET(settingsSocket, &readable);
    if (readable.fd_count == 0)
        return -1;
    timeval wait;
    wait.tv_sec = 0;
    wait.tv_usec = RECEIVE_WAIT_MS * 1000;
    const int count = select(0, &readable, nullptr, nullptr, &wait);
    if (count > 0)
    {
        mainReady = mainSocket != INVALID_SOCKET && FD_ISSET(mainSocket, &readable);
        settingsReady = settingsSocket != INVALID_SOCKET && FD_ISSET(settingsSocket, &readable);
    }
    return count;
}

// The four decimal octets of a dotted text; missing ones are 0.
void ParseOctets(const CString& text, int octets[4])
{
    for (int i = 0; i < 4; ++i)
        octets[i] = std::atoi(GetField(text, ".", i));
}

} // namespace

CBriselDiscover::CBriselDiscover()
    : m_evRunning(FALSE, TRUE), m_evStopSend(FALSE, TRUE), m_evStopReceive(FALSE, TRUE), m_evSendDone(FALSE, TRUE)
{
}

CBriselDiscover::~CBriselDiscover()
{
    Stop();
    ClearDevices();
    m_server.Stop();
    m_broadcast.Close();
    m_client.Close();
    m_broadcastSettings.Close();
    m_clientSettings.Close();
}

void CBriselDiscover::Start(int unicast, int periodic, int askVersion, int serverMode, CString excludedAddress,
                            int askSettings, CString addressText, DWORD listeningTimeMs, int acceptType0,
                            CString localAddress, int devicePort, CString secondBindText, CString subnetMask,
                            int subnetFilter)
{
    CSingleLock lock(&m_csStop, TRUE);
    Stop();
    m_bUnicast = unicast;
    m_bPeriodic = periodic;
    m_bAskVersion = askVersion;
    m_bServerMode = serverMode;
    m_strExcludedAddress = excludedAddress;
    m_bAskSettings = askSettings;
    m_strAddressText = addressText;
    m_dwListeningTime = listeningTimeMs;
    m_bAcceptType0 = acceptType0;
    m_strLocalAddress = localAddress;
    m_nDevicePort = devicePort < 1 ? DISCOVER_DEVICE_PORT : devicePort;
    m_strSecondBindText = secondBindText;
    m_strSubnetMask = subnetMask;
    m_bSubnetFilter = subnetFilter;
    m_bHasAddressText = !addressText.IsEmpty();
    if (m_bUnicast == 0)
        m_bUnicast = m_bHasAddressText;
    ClearDevices();

    if (m_bUnicast == 0)
    {
        m_broadcast.Close();
        m_broadcast.Open(MAIN_LOCAL_PORT, m_strLocalAddress, m_strSecondBindText);
    }
    m_client.OpenLocal("", -1);
    if (m_bAskSettings)
    {
        if (m_bUnicast == 0)
        {
            m_broadcastSettings.Close();
            m_broadcastSettings.Open(SETTINGS_LOCAL_PORT, m_strLocalAddress, m_strSecondBindText);
        }
        m_clientSettings.OpenLocal("", -1);
    }
    EnlargeReceiveQueue(m_bUnicast ? m_client.GetSocket() : m_broadcast.GetSocket());
    if (m_bAskSettings)
        EnlargeReceiveQueue(m_bUnicast ? m_clientSettings.GetSocket() : m_broadcastSettings.GetSocket());
    if (m_bServerMode)
    {
        m_server.Stop();
        _TIPServerConfig config;
        config.m_nProtocol = 1;
        // The devices' port: 50013 in the program.
        config.m_nPort = m_nDevicePort;
        config.m_strBindAddress = m_strLocalAddress;
        config.m_pfnCallback = &CBriselDiscover::OnDatagram;
        config.m_pContext = this;
        m_server.Start(config);
    }

    // A stop request of the previous run must not end this one.
    m_evStopSend.ResetEvent();
    m_evStopReceive.ResetEvent();
    m_evSendDone.ResetEvent();
    m_evRunning.SetEvent();
    // A thread that cannot be started must not leave the run waiting for
    // it: the receive thread's end waits for the send thread, and the owner
    // waits for the end message.
    if (!m_threadSend.Start(this, &CBriselDiscover::ThreadSend, 0, THREAD_PRIORITY_NORMAL, FALSE))
        m_evSendDone.SetEvent();
    if (!m_threadReceive.Start(this, &CBriselDiscover::ThreadReceive, 0, THREAD_PRIORITY_NORMAL, FALSE))
        EndRun();
}

void CBriselDiscover::Stop()
{
    CSingleLock lock(&m_csStop, TRUE);
    if (m_threadSend.IsRunning())
    {
        m_evStopSend.SetEvent();
        m_threadSend.WaitForEnd(INFINITE);
        m_evStopSend.ResetEvent();
    }
    if (m_threadReceive.IsRunning())
    {
        m_evStopReceive.SetEvent();
        m_threadReceive.WaitForEnd(INFINITE);
        m_evStopReceive.ResetEvent();
    }
}

void CBriselDiscover::ClearDevices()
{
    CSingleLock lock(&m_csDevices, TRUE);
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i)
        delete m_devices[i];
    m_devices.RemoveAll();
}

int CBriselDiscover::OnDatagram(void* pContext, int nEvent, SOCKET, _TIPCommand* pPacket)
{
    static_cast<CBriselDiscover*>(pContext)->OnReply(pPacket, nEvent);
    return 1;
}

BOOL CBriselDiscover::IsStopping(CEvent& stop) const
{
    return ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0;
}

UINT CBriselDiscover::ThreadSend(int)
{
    if (!m_bPeriodic)
    {
        SendPass();
    }
    else
    {
        DWORD last = 0;
        BOOL first = TRUE;
        while (::WaitForSingleObject(m_evStopSend, PERIODIC_POLL_MS) == WAIT_TIMEOUT)
        {
            DWORD period;
            {
                CSingleLock lock(&m_csPeriod, TRUE);
                period = m_dwPeriod;
            }
            if (first || GetTickCount() - last >= period)
            {
                first = FALSE;
                AgeDevices();
                last = GetTickCount();
                if (!SendPass())
                    break;
            }
        }
    }
    m_evSendDone.SetEvent();
    return 0;
}

int CBriselDiscover::SendPass()
{
    {
        CSingleLock lock(&m_csQueried, TRUE);
        m_queried.RemoveAll();
        m_queriedPorts.RemoveAll();
    }
    if (!m_bUnicast)
    {
        SendDiscoverRequest("255.255.255.255", m_nDevicePort);
        return 1;
    }
    if (!m_bHasAddressText)
    {
        DWORD address = ntohl(m_dwRangeStart);
        for (int i = 0; i <= m_nRangeCount; ++i)
        {
            if (i > 0)
                ++address; // the last octet first, carrying into the others; wraps to 0.0.0.0
            CString text;
            text.Format("%d.%d.%d.%d", static_cast<int>(address >> 24), static_cast<int>((address >> 16) & 0xFF),
                        static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF));
            {
                CSingleLock lock(&m_csQueried, TRUE);
                m_queried.Add(text);
                m_queriedPorts.Add(m_nDevicePort);
            }
            SendDiscoverRequest(text, m_nDevicePort);
            if (i % RANGE_PAUSE_EVERY == 0)
                Sleep(RANGE_PAUSE_MS);
            if (IsStopping(m_evStopSend))
                return 0;
        }
        return 1;
    }
    const CString list = m_strAddressText + ";";
    // Every entry ends with a ';'. Empty entries are skipped, however many
    // follow each other.
    int entries = 0;
    for (int at = list.Find(';'); at >= 0; at = list.Find(';', at + 1))
        ++entries;
    for (int i = 0; i < entries; ++i)
    {
        const CString entry = GetField(list, ";", i);
        if (entry.IsEmpty())
            continue;
        CString host;
        int port = 0;
        SplitHostPort(entry, host, port);
        // A name is asked at its address, which is also what its replies
        // come from.
        if (inet_addr(host) == INADDR_NONE)
        {
            const ULONG resolved = ResolveHostAddress(host);
            if (resolved == 0)
                continue;
            host = FormatAddress(resolved);
        }
        if (port < 1)
            port = m_nDevicePort;
        {
            CSingleLock lock(&m_csQueried, TRUE);
            m_queried.Add(host);
            m_queriedPorts.Add(port);
        }
        SendDiscoverRequest(host, port);
        if (IsStopping(m_evStopSend))
            return 0;
    }
    return 1;
}

UINT CBriselDiscover::ThreadReceive(int)
{
    if (!m_bPeriodic)
    {
        ReceiveLoop(m_dwListeningTime);
    }
    else
    {
        while (!IsStopping(m_evStopReceive))
            ReceiveLoop(0);
    }
    EndRun();
    return 0;
}

void CBriselDiscover::EndRun()
{
    // The send thread may still be in a long range pass: end it before the
    // sockets go.
    m_evStopSend.SetEvent();
    ::WaitForSingleObject(m_evSendDone, INFINITE);
    m_server.Stop();
    m_broadcast.Close();
    m_client.Close();
    if (m_bAskSettings)
    {
        m_broadcastSettings.Close();
        m_clientSettings.Close();
    }
    PostToOwner(MSG_DISCOVER_END, reinterpret_cast<WPARAM>(this), 0);
    m_evRunning.ResetEvent();
}

void CBriselDiscover::ReceiveLoop(DWORD durationMs)
{
    const DWORD start = GetTickCount();
    BYTE buffer[RECEIVE_BUFFER_SIZE];
    while (!IsStopping(m_evStopReceive))
    {
        // Both channels are waited on at once: waiting on each in turn would
        // let an idle channel hold up the replies queued on the other.
        const SOCKET mainSocket = m_bUnicast ? m_client.GetSocket() : m_broadcast.GetSocket();
        SOCKET settingsSocket = INVALID_SOCKET;
        if (m_bAskSettings)
            settingsSocket = m_bUnicast ? m_clientSettings.GetSocket() : m_broadcastSettings.GetSocket();
        BOOL mainReady = FALSE;
        BOOL settingsReady = FALSE;
        // No socket open, or a failing wait, would return at once: keep the
        // loop from spinning.
        if (WaitForReplies(mainSocket, settingsSocket, mainReady, settingsReady) < 0)
            Sleep(RECEIVE_WAIT_MS);
        CString sender;
        WORD port = 0;
        if (mainReady)
        {
            const int length = m_bUnicast ? m_client.ReceiveFrom(buffer, sender, port)
                                          : m_broadcast.ReceiveFrom(buffer, sender, port);
            if (length > 0 && (!m_bUnicast || m_strAddressText.Find("255") >= 0 || WasQueried(sender)))
            {
                _TIPCommand packet;
                packet.m_nCommand = 0;
                packet.m_dwLength = static_cast<DWORD>(length);
                packet.m_pData = buffer;
                packet.m_strAddress = sender;
                packet.m_wPort = port;
                OnReply(&packet, IP_SERVER_PACKET);
                packet.m_pData = nullptr; // the buffer is ours, not the record's
            }
        }
        if (settingsReady)
        {
            const int length = m_bUnicast ? m_clientSettings.ReceiveFrom(buffer, sender, port)
                                          : m_broadcastSettings.ReceiveFrom(buffer, sender, port);
            if (length > 0)
                OnSettingsReply(buffer, length, sender, port);
        }
        if (durationMs == 0 || GetTickCount() - start >= durationMs)
            return;
    }
}

BOOL CBriselDiscover::WasQueried(const CString& address)
{
    CSingleLock lock(&m_csQueried, TRUE);
    for (INT_PTR i = 0; i < m_queried.GetSize(); ++i)
    {
        if (m_queried[i] == address)
            return TRUE;
    }
    return FALSE;
}

BOOL CBriselDiscover::IsInSubnet(const CString& sender) const
{
    int local[4], remote[4], mask[4];
    ParseOctets(m_strLocalAddress, local);
    ParseOctets(sender, remote);
    ParseOctets(m_strSubnetMask, mask);
    for (int i = 0; i < 4; ++i)
    {
        if (mask[i] != 255)
            return TRUE;
        if (local[i] != remote[i])
            return FALSE;
    }
    return TRUE;
}

int CBriselDiscover::FindDevice(const CString& address, int port) const
{
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i)
    {
        if (m_devices[i]->m_strAddress == address && static_cast<int>(m_devices[i]->m_nPort) == port)
            return static_cast<int>(i);
    }
    return -1;
}

int CBriselDiscover::FindReplyDevice(const CString& address, int replyPort, int offset) const
{
    int first = -1;
    for (INT_PTR i = 0; i < m_devices.GetSize(); ++i)
    {
        if (m_devices[i]->m_strAddress != address)
            continue;
        if (static_cast<int>(m_devices[i]->m_nPort) + offset == replyPort)
            return static_cast<int>(i);
        if (first < 0)
            first = static_cast<int>(i);
    }
    return first;
}

int CBriselDiscover::DevicePortOf(const CString& sender, int senderPort)
{
    if (!m_bUnicast || !m_bHasAddressText)
        return m_nDevicePort;
    CSingleLock lock(&m_csQueried, TRUE);
    int port = -1;
    for (INT_PTR i = 0; i < m_queried.GetSize(); ++i)
    {
        if (m_queried[i] != sender)
            continue;
        if (m_queriedPorts[i] == senderPort)
            return senderPort;
        if (port < 0)
            port = m_queriedPorts[i];
    }
    return port < 0 ? m_nDevicePort : port;
}

BOOL CBriselDiscover::PostToOwner(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWndOwner != nullptr && ::PostMessageA(m_hWndOwner, message, wParam, lParam);
}

void CBriselDiscover::PostDeviceLost(const CString& address)
{
    PostToOwner(MSG_DISCOVER_DEVICE_LOST, static_cast<WPARAM>(AddressFromString(address)), 0);
}

void CBriselDiscover::OnReply(_TIPCommand* pPacket, int nEvent)
{
    CSingleLock lock(&m_csDevices, TRUE);
    if (pPacket == nullptr || nEvent != IP_SERVER_PACKET)
        return;
    const CString& sender = pPacket->m_strAddress;
    if (m_bSubnetFilter && !IsInSubnet(sender))
        return;
    _TDiscoverReply reply;
    if (!ParseDiscoverReply(pPacket->m_pData, static_cast<int>(pPacket->m_dwLength), reply))
        return;

    if (reply.command == DISCOVER_COMMAND_VERSION)
    {
        const int index = FindReplyDevice(sender, pPacket->m_wPort, 0);
        if (index < 0)
            return;
        _tDeviceDiscovered* device = m_devices[index];
        const CString version = reply.version.IsEmpty() ? CString("Wrong Version") : reply.version;
        if (version != device->m_strVersion)
        {
            device->m_strVersion = version;
            if (m_hWndOwner != nullptr)
            {
                auto* info = new CBriselDiscoverInfo(sender, device->m_nPort, device->m_eType, version);
                if (!PostToOwner(MSG_DISCOVER_DEVICE_VERSION, reinterpret_cast<WPARAM>(info), 0))
                    delete info;
            }
        }
        return;
    }

    const int type = reply.type;
    if (sender == m_strExcludedAddress)
        return;
    const int port = DevicePortOf(sender, pPacket->m_wPort);
    const int index = FindDevice(sender, port);
    if (index >= 0)
    {
        if (!m_bPeriodic)
            return;
        _tDeviceDiscovered* device = m_devices[index];
        if (type == device->m_eType)
        {
            device->m_lastSeen = COleDateTime::GetCurrentTime();
            if (m_bAskVersion)
                SendVersionRequest(sender, port);
            if (m_bAskSettings)
                SendSettingsRequest(sender, port);
            return;
        }
        // Another model at the address: the old one is gone, the new one is
        // found below.
        delete device;
        m_devices.RemoveAt(index);
        PostDeviceLost(sender);
    }
    if (type < 0 || type > DEVICE_TYPE_LAST)
        return;
    if (type == 0 && !m_bAcceptType0)
        return;
    if (type > 0 && m_classFilter.GetSize() > 0 && m_classFilter.Find(GetDeviceClass(GetDeviceGroup(type))) < 0)
        return;

    auto* device = new _tDeviceDiscovered;
    device->m_eType = type;
    device->m_strAddress = sender;
    device->m_nPort = static_cast<UINT>(port);
    device->m_lastSeen = COleDateTime::GetCurrentTime();
    m_devices.Add(device);
    if (m_hWndOwner != nullptr)
    {
        auto* info = new CBriselDiscoverInfo(sender, static_cast<UINT>(port), type, "");
        if (!PostToOwner(MSG_DISCOVER_DEVICE_FOUND, reinterpret_cast<WPARAM>(info), 0))
            delete info;
    }
    if (m_bAskVersion)
        SendVersionRequest(sender, port);
    if (m_bAskSettings)
        SendSettingsRequest(sender, port);
}

void CBriselDiscover::OnSettingsReply(const BYTE* pData, int nLength, const CString& strSender, int nSenderPort)
{
    CDeviceSettings settings;
    if (settings.Read(pData, nLength) == 0)
        return;
    CSingleLock lock(&m_csDevices, TRUE);
    // A device's settings come from its port + 2.
    const int index = FindReplyDevice(strSender, nSenderPort, 2);
    if (index < 0)
        return;
    _tDeviceDiscovered* device = m_devices[index];
    if (device->m_settings.Equals(settings))
        return;
    device->m_settings = settings;
    if (m_hWndOwner == nullptr)
        return;
    void* copy = std::malloc(static_cast<size_t>(nLength));
    if (copy == nullptr)
        return;
    std::memcpy(copy, pData, static_cast<size_t>(nLength));
    auto* info = new CBriselDiscoverInfo(strSender, device->m_nPort, device->m_eType, device->m_strVersion);
    if (!PostToOwner(MSG_DISCOVER_DEVICE_SETTINGS, reinterpret_cast<WPARAM>(copy), reinterpret_cast<LPARAM>(info)))
    {
        std::free(copy);
        delete info;
    }
}

void CBriselDiscover::AgeDevices()
{
    CSingleLock lock(&m_csDevices, TRUE);
    DWORD expiry;
    {
        CSingleLock periodLock(&m_csPeriod, TRUE);
        expiry = m_dwExpiry;
    }
    const COleDateTime now = COleDateTime::GetCurrentTime();
    for (INT_PTR i = 0; i < m_devices.GetSize();)
    {
        // Whole seconds, half a second rounded away from zero.
        const double seconds = static_cast<double>(now - m_devices[i]->m_lastSeen) * 86400.0;
        const long elapsed = static_cast<long>(seconds + (seconds < 0 ? -0.5 : 0.5));
        if (elapsed >= static_cast<long>(expiry))
        {
            PostDeviceLost(m_devices[i]->m_strAddress);
            delete m_devices[i];
            m_devices.RemoveAt(i);
        }
        else
        {
            ++i;
        }
    }
}

void CBriselDiscover::SendRequest(BYTE command, const CString& address, int port, CIPSimpleClient& client,
                                  CIPBroadcast& broadcast, BOOL paced)
{
    BYTE request[DEVICE_HEADER_SIZE];
    BuildDeviceRequest(request, command);
    if (m_bUnicast)
        client.SendTo(address, port, request, sizeof(request));
    else if (paced)
        broadcast.SendTo(address, port, request, sizeof(request));
    else
        broadcast.SendToUnpaced(address, port, request, sizeof(request));
}

void CBriselDiscover::SendDiscoverRequest(const CString& address, int port)
{
    SendRequest(DISCOVER_COMMAND_DISCOVER, address, port < 1 ? m_nDevicePort : port, m_client, m_broadcast, TRUE);
}

// The version and settings requests are sent by the reply handling, on the
// receive thread, without the pause that paces the discover passes: with
// the pause every new device held that thread for 20 ms, so that within a
// listening time it read the replies of only about a hundred devices and
// the rest were lost. Each request is one datagram to one device that has
// just answered, so sending it at once adds no burst beyond the replies
// themselves. Handing them to the send thread instead would keep that
// thread alive past its pass and, paced, still take 10 ms per request.
void CBriselDiscover::SendVersionRequest(const CString& address, int port)
{
    SendRequest(DISCOVER_COMMAND_VERSION, address, port, m_client, m_broadcast, FALSE);
}

void CBriselDiscover::SendSettingsRequest(const CString& address, int port)
{
    SendRequest(DISCOVER_COMMAND_SETTINGS, address, static_cast<int>(GetSettingsPort(static_cast<UINT>(port))),
                m_clientSettings, m_broadcastSettings, FALSE);
}
