// _TDevice: one device listed by the discover page. The sheet owns the
// records; the update engine reads the address, port and version.
#pragma once

#include "platform/base/cstring.h"

struct _TDevice
{
    _TDevice();
    ~_TDevice();

    // _eDeviceType from the discover reply; -1 until known.
    int m_nDeviceType;
    // Dotted IPv4 address: with the port, what identifies the device.
    CString m_strIPAddress;
    // First text of the device's settings record.
    CString m_strName;
    // 1 when ticked for update.
    int m_nSelected;
    // Firmware version text; "Wrong Version" when the reply carried none.
    CString m_strVersion;
    // Device port from discovery (50013 is the standard one).
    int m_nUDPPort;
    // Second text of the device's settings record.
    CString m_strLineStatus;
    // 1 once the device answered with a version or a settings record.
    int m_nInfoReceived;
};

// The text that names a device: "IP" on the standard port 50013,
// "IP:port" on any other. One text names one (IP, port) pair.
CString DeviceAddressText(const CString& strIP, int nPort);
