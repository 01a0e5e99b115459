// What the discoverer tells its owner window: the window messages it posts
// and the device record that most of them carry.
//
// The messages and what they carry (the receiver frees every object):
//   MSG_DISCOVER_DEVICE_FOUND    wParam: new CBriselDiscoverInfo (address, the device's port, type)
//   MSG_DISCOVER_DEVICE_VERSION  wParam: new CBriselDiscoverInfo (with the version text)
//   MSG_DISCOVER_DEVICE_LOST     wParam: the device's address as a number (AddressFromString)
//   MSG_DISCOVER_DEVICE_SETTINGS wParam: malloc'd copy of the settings datagram (free it),
//                                lParam: new CBriselDiscoverInfo
//   MSG_DISCOVER_END             wParam: the CBriselDiscover that has ended
// A message that cannot be posted (the window is gone) is not sent at all,
// and the discoverer frees what it was to carry.
#pragma once

#include "common/discover/device_settings.h"
#include "common/discover/device_types.h"
#include "platform/base/cstring.h"
#include "platform/base/date_time.h"

enum : UINT
{
    MSG_DISCOVER_DEVICE_FOUND = 3025,
    MSG_DISCOVER_DEVICE_VERSION = 3026,
    MSG_DISCOVER_DEVICE_LOST = 3027,
    MSG_DISCOVER_DEVICE_SETTINGS = 3028,
    MSG_DISCOVER_END = 3029,
};

class CBriselDiscoverInfo
{
public:
    CBriselDiscoverInfo() = default;
    CBriselDiscoverInfo(const CString& address, UINT port, _eDeviceType type, const CString& version)
        : m_strAddress(address), m_nPort(port), m_eType(type), m_strVersion(version)
    {
    }
    virtual ~CBriselDiscoverInfo() = default;

    // Dotted IPv4 address of the device.
    CString m_strAddress;
    // The device's port: the discoverer's device port, or the port a typed
    // "host:port" entry asked the device at.
    UINT m_nPort = 0;
    _eDeviceType m_eType = DEVICE_TYPE_NONE;
    CString m_strVersion;
};

// A device in a discoverer's table; a device is its address and port.
class _tDeviceDiscovered : public CBriselDiscoverInfo
{
public:
    // The last settings record the device sent.
    CDeviceSettings m_settings;
    COleDateTime m_lastSeen;
};
