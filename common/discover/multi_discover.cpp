#include "common/discover/multi_discover.h"

#include "platform/base/system_time.h"
#include "platform/net/net.h"
#include "platform/threading/wait_functions.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"

namespace
{

enum : int
{
    WAIT_END_PAUSE_MS = 50,
    // Room for 10 interface entries of 76 bytes.
    INTERFACE_BUFFER_SIZE = 760,
};

} // namespace

CBriselDiscover* CBriselMultiDiscover::Prepare(const DWORD* period, _eDeviceType classItem)
{
    auto* discoverer = new CBriselDiscover;
    if (classItem != 0)
    {
        discoverer->m_classFilter.Add(classItem);
    }
    else
    {
        for (INT_PTR i = 0; i < m_classFilter.GetSize(); ++i)
            discoverer->m_classFilter.Add(m_classFilter[i]);
    }
    if (period != nullptr)
        SetPeriod(discoverer, *period);
    discoverer->m_hWndOwner = m_hWndOwner;
    return discoverer;
}

void CBriselMultiDiscover::Start(int unicast, int periodic, int askVersion, int serverMode, CString excludedAddress,
                                 int askSettings, CString addressText, DWORD listeningTimeMs, int acceptType0,
                                 int devicePort, const DWORD* range, const DWORD* period, _eDeviceType classItem)
{
    if (unicast == 0 && addressText.IsEmpty())
    {
        CStringList addresses;
        ListLocalAddresses(addresses);
        POSITION position = addresses.GetHeadPosition();
        while (position != nullptr)
        {
            const CString address = addresses.GetNext(position);
            CBriselDiscover* discoverer = Prepare(period, classItem);
            discoverer->Start(0, periodic, askVersion, serverMode, excludedAddress, askSettings, addressText,
                              listeningTimeMs, acceptType0, address, devicePort, "", "255.255.255.255", 0);
            m_discoverers.Add(discoverer);
        }
        return;
    }
    CBriselDiscover* discoverer = Prepare(period, classItem);
    if (range != nullptr)
    {
        discoverer->m_dwRangeStart = range[0];
        discoverer->m_nRangeCount = static_cast<int>(range[1]);
    }
    discoverer->Start(unicast, periodic, askVersion, serverMode, excludedAddress, askSettings, addressText,
                      listeningTimeMs, acceptType0, "", devicePort, "", "255.255.255.255", 0);
    m_discoverers.Add(discoverer);
}

void CBriselMultiDiscover::WaitEnd()
{
    while (m_discoverers.GetSize() > 0)
    {
        MSG msg;
        while (m_hWndOwner != nullptr &&
               ::PeekMessageA(&msg, m_hWndOwner, MSG_DISCOVER_DEVICE_FOUND, MSG_DISCOVER_END, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (!::IsWindow(m_hWndOwner))
        {
            // Nobody receives the end messages: take back the discoverers
            // that have ended, so that the wait ends too.
            for (INT_PTR i = m_discoverers.GetSize() - 1; i >= 0; --i)
            {
                if (::WaitForSingleObject(m_discoverers[i]->m_evRunning, 0) == WAIT_TIMEOUT)
                    Remove(m_discoverers[i]);
            }
        }
        if (m_discoverers.GetSize() > 0)
            Sleep(WAIT_END_PAUSE_MS);
    }
}

void CBriselMultiDiscover::Remove(CBriselDiscover* discoverer)
{
    for (INT_PTR i = m_discoverers.GetSize() - 1; i >= 0; --i)
    {
        if (m_discoverers[i] == discoverer)
        {
            delete discoverer;
            m_discoverers.RemoveAt(i);
            return;
        }
    }
}

void CBriselMultiDiscover::SetPeriod(CBriselDiscover* discoverer, DWORD periodMs)
{
    CSingleLock lock(&discoverer->m_csPeriod, TRUE);
    discoverer->m_dwPeriod = periodMs < 1001 ? 1000 : periodMs;
    discoverer->m_dwExpiry = discoverer->m_dwPeriod * 2 / 1000;
}

void CBriselMultiDiscover::ListLocalAddresses(CStringList& list)
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0)
        return;
    SOCKET s = ::WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, 0);
    if (s == INVALID_SOCKET)
    {
        ::WSACleanup();
        return;
    }
    INTERFACE_INFO interfaces[INTERFACE_BUFFER_SIZE / sizeof(INTERFACE_INFO)];
    DWORD returned = 0;
    const int result = ::WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof(interfaces), &returned,
                                  nullptr, nullptr);
    ::closesocket(s);
    if (result != SOCKET_ERROR)
    {
        const DWORD count = returned / sizeof(INTERFACE_INFO);
        for (DWORD i = 0; i < count; ++i)
        {
            const ULONG flags = interfaces[i].iiFlags;
            if ((flags & IFF_UP) == 0 || (flags & IFF_BROADCAST) == 0 || (flags & IFF_LOOPBACK) != 0)
                continue;
            const BYTE* octets = reinterpret_cast<const BYTE*>(&interfaces[i].iiAddress.AddressIn.sin_addr);
            CString address;
            address.Format("%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
            list.AddTail(address);
        }
    }
    ::WSACleanup();
}
