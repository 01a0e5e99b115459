// CBriselMultiDiscover: what a window uses to discover devices. A broadcast
// search runs one discoverer per local IPv4 interface (a broadcast reaches
// only the network of one interface); a list of addresses or a range runs
// one discoverer. The owner window gets every discoverer's messages and
// removes each discoverer when its MSG_DISCOVER_END arrives.
#pragma once

#include "common/discover/brisel_discover.h"
#include "platform/base/array.h"
#include "platform/base/string_list.h"

class CBriselMultiDiscover
{
public:
    CBriselMultiDiscover() = default;
    // Discoverers still held are not deleted: the owner removes them first.
    virtual ~CBriselMultiDiscover() = default;
    CBriselMultiDiscover(const CBriselMultiDiscover&) = delete;
    CBriselMultiDiscover& operator=(const CBriselMultiDiscover&) = delete;

    // The arguments mean what they mean to CBriselDiscover::Start; range,
    // when given, is the first address (network byte order) and the number
    // of further addresses; period, when given, is the period in ms;
    // classItem, when not 0, is the one device class to accept.
    void Start(int unicast, int periodic, int askVersion, int serverMode, CString excludedAddress, int askSettings,
               CString addressText, DWORD listeningTimeMs, int acceptType0, int devicePort, const DWORD* range,
               const DWORD* period, _eDeviceType classItem);

    // Dispatches the owner's discovery messages (and no other) until the
    // owner has removed every discoverer. Call on the owner's thread.
    void WaitEnd();

    // Deletes the discoverer (which stops it) and forgets it; an unknown
    // pointer changes nothing.
    void Remove(CBriselDiscover* discoverer);

    // Period of at least 1000 ms; a silent device expires after two periods.
    void SetPeriod(CBriselDiscover* discoverer, DWORD periodMs);

    // Dotted addresses of the interfaces that are up and can broadcast, not
    // loopback; at most the first 10 the system reports. The list is left
    // alone on failure.
    void ListLocalAddresses(CStringList& list);

    HWND m_hWndOwner = nullptr;
    CArray<CBriselDiscover*> m_discoverers;
    CArray<_eDeviceType> m_classFilter;

private:
    CBriselDiscover* Prepare(const DWORD* period, _eDeviceType classItem);
};
