#include "app/device_record.h"

#include "common/discover/device_datagram.h"

_TDevice::_TDevice() : m_nDeviceType(-1), m_nSelected(0), m_nUDPPort(0), m_nInfoReceived(0) {}

_TDevice::~_TDevice() = default;

CString DeviceAddressText(const CString& strIP, int nPort)
{
    if (nPort == DISCOVER_DEVICE_PORT)
        return strIP;
    CString text;
    text.Format("%s:%d", static_cast<LPCSTR>(strIP), nPort);
    return text;
}
