// The Discover page's side of discovery: the messages of the discoverers,
// the sheet's device records they fill, and the list made from the records.
#include <cstdlib>

#include "app/pages/property_page_discover.h"
#include "app/wizard_ids.h"
#include "app/wizard_state.h"
#include "common/discover/discover_info.h"
#include "platform/base/process.h"

namespace
{

enum
{
    COLUMN_IP = 0,
    COLUMN_NAME = 1,
    COLUMN_TYPE = 2,
    COLUMN_VERSION = 3,
    COLUMN_LINE_STATUS = 4,
};

BOOL Contains(const CStringList& list, const CString& text)
{
    return list.Find(text) != nullptr;
}

} // namespace

_TDevice* CPropertyPageDiscover::FindDevice(const CString& strIP, int nPort) const
{
    if (m_pSheet == nullptr)
        return nullptr;
    for (int i = 0; i < m_pSheet->m_devices.GetSize(); ++i)
    {
        _TDevice* device = m_pSheet->m_devices[i];
        if (device->m_strIPAddress == strIP && device->m_nUDPPort == nPort)
            return device;
    }
    return nullptr;
}

void CPropertyPageDiscover::PostDeviceListChanged()
{
    if (m_bListChangePending)
        return;
    m_bListChangePending = PostMessage(MSG_DEVICE_LIST_CHANGED, 0, 0);
}

LRESULT CPropertyPageDiscover::OnDeviceListChanged(WPARAM, LPARAM)
{
    m_bListChangePending = FALSE;
    FillDeviceList();
    return 0;
}

LRESULT CPropertyPageDiscover::OnDeviceFound(WPARAM wParam, LPARAM)
{
    CBriselDiscoverInfo* info = reinterpret_cast<CBriselDiscoverInfo*>(wParam);
    if (info == nullptr)
        return 0;
    if (m_pSheet != nullptr && m_pSheet->IsDeviceForPackage(info->m_eType))
    {
        const int port = static_cast<int>(info->m_nPort);
        if (FindDevice(info->m_strAddress, port) == nullptr)
        {
            _TDevice* device = new _TDevice();
            device->m_nDeviceType = info->m_eType;
            device->m_strIPAddress = info->m_strAddress;
            device->m_nUDPPort = port;
            m_pSheet->m_devices.Add(device);
            PostDeviceListChanged();
        }
        // A device the user typed is ticked when it is found.
        const CString address = DeviceAddressText(info->m_strAddress, port);
        if (!info->m_strAddress.IsEmpty() && Contains(m_typedAddresses, address) &&
            !Contains(m_checkedAddresses, address))
            m_checkedAddresses.AddTail(address);
    }
    delete info;
    return 0;
}

LRESULT CPropertyPageDiscover::OnDeviceVersion(WPARAM wParam, LPARAM)
{
    CBriselDiscoverInfo* info = reinterpret_cast<CBriselDiscoverInfo*>(wParam);
    if (info == nullptr)
        return 0;
    if (_TDevice* device = FindDevice(info->m_strAddress, static_cast<int>(info->m_nPort)))
    {
        device->m_strVersion = info->m_strVersion.IsEmpty() ? CString("Wrong Version") : info->m_strVersion;
        device->m_nInfoReceived = 1;
    }
    PostDeviceListChanged();
    delete info;
    return 0;
}

LRESULT CPropertyPageDiscover::OnDeviceSettings(WPARAM wParam, LPARAM lParam)
{
    void* datagram = reinterpret_cast<void*>(wParam);
    CBriselDiscoverInfo* info = reinterpret_cast<CBriselDiscoverInfo*>(lParam);
    // The record's own counts are read against the largest datagram the
    // discoverer receives; it has already read this one through.
    CDeviceSettings settings;
    if (datagram != nullptr && info != nullptr && settings.Read(static_cast<const BYTE*>(datagram), 1024) > 0)
    {
        if (_TDevice* device = FindDevice(info->m_strAddress, static_cast<int>(info->m_nPort)))
        {
            device->m_strName = settings.s1;
            device->m_strLineStatus = settings.s2;
            device->m_nInfoReceived = 1;
        }
    }
    std::free(datagram);
    delete info;
    return 0;
}

LRESULT CPropertyPageDiscover::OnDiscoverEnd(WPARAM wParam, LPARAM)
{
    m_discover.Remove(reinterpret_cast<CBriselDiscover*>(wParam));
    return 0;
}

void CPropertyPageDiscover::FreeQueuedDiscoveryMessages()
{
    MSG msg;
    while (::PeekMessage(&msg, m_hWnd, MSG_DISCOVER_DEVICE_FOUND, MSG_DISCOVER_END, PM_REMOVE))
    {
        switch (msg.message)
        {
        case MSG_DISCOVER_DEVICE_FOUND:
        case MSG_DISCOVER_DEVICE_VERSION:
            delete reinterpret_cast<CBriselDiscoverInfo*>(msg.wParam);
            break;
        case MSG_DISCOVER_DEVICE_SETTINGS:
            std::free(reinterpret_cast<void*>(msg.wParam));
            delete reinterpret_cast<CBriselDiscoverInfo*>(msg.lParam);
            break;
        default:
            // MSG_DISCOVER_DEVICE_LOST carries a number; the end message a
            // discoverer that OnDestroy has already deleted.
            break;
        }
    }
}

_TDevice* CPropertyPageDiscover::RowDevice(int nRow) const
{
    return reinterpret_cast<_TDevice*>(m_listDevices.GetItemData(nRow));
}

int CPropertyPageDiscover::GetRowImage(int nRow) const
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nRow;
    item.iImage = ROW_IMAGE_UNREACHABLE;
    m_listDevices.GetItem(&item);
    return item.iImage;
}

void CPropertyPageDiscover::SetRowImage(int nRow, int nImage)
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nRow;
    item.iImage = nImage;
    m_listDevices.SetItem(&item);
}

void CPropertyPageDiscover::FillDeviceList()
{
    m_listDevices.SetRedraw(FALSE);
    m_listDevices.DeleteAllItems();
    m_rowFlags.RemoveAll();
    BOOL unreachable = FALSE;
    const int count = m_pSheet != nullptr ? static_cast<int>(m_pSheet->m_devices.GetSize()) : 0;
    for (int i = 0; i < count; ++i)
    {
        _TDevice* device = m_pSheet->m_devices[i];
        const CString address = DeviceAddressText(device->m_strIPAddress, device->m_nUDPPort);
        int image = ROW_IMAGE_UNREACHABLE;
        if (device->m_nInfoReceived)
            image = Contains(m_checkedAddresses, address) ? ROW_IMAGE_TICKED : ROW_IMAGE_UNTICKED;
        const int row = m_listDevices.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, i, address, 0, 0, image,
                                                 reinterpret_cast<LPARAM>(device));
        if (row < 0)
            continue;
        m_rowFlags.Add(0);
        // The texts come from the network: each is set as it is, and the
        // list keeps what fits its cells.
        m_listDevices.SetItemText(row, COLUMN_TYPE, GetDeviceTypeName(device->m_nDeviceType));
        if (device->m_nInfoReceived && device->m_nSelected)
            m_listDevices.SetCheck(row, TRUE);
        if (!device->m_nInfoReceived)
        {
            m_listDevices.SetRowColors(row, RGB(0, 0, 0), UNREACHABLE_COLOUR);
            m_listDevices.SetCheck(row, FALSE);
            unreachable = TRUE;
        }
        m_listDevices.SetItemText(row, COLUMN_VERSION, device->m_strVersion);
        m_listDevices.SetItemText(row, COLUMN_NAME, device->m_strName);
        m_listDevices.SetItemText(row, COLUMN_LINE_STATUS, device->m_strLineStatus);
        CString line;
        line.Format("device row %d: %s|%s|%s|%s|%s|image %d\n", row, static_cast<LPCSTR>(address),
                    static_cast<LPCSTR>(device->m_strName), GetDeviceTypeName(device->m_nDeviceType),
                    static_cast<LPCSTR>(device->m_strVersion), static_cast<LPCSTR>(device->m_strLineStatus), image);
        OutputDebugStringA(line);
    }
    const int show = unreachable && m_listDevices.GetItemCount() > 0 ? SW_SHOW : SW_HIDE;
    m_labelSample.ShowWindow(show);
    m_labelLegend.ShowWindow(show);
    m_listDevices.SetRedraw(TRUE);
    m_listDevices.Invalidate();

    CString line;
    line.Format("device list filled with %d rows\n", m_listDevices.GetItemCount());
    OutputDebugStringA(line);
}
