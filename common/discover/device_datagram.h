// The datagram that begins every exchange with a device: an 8-byte header
// (magic "BRISEL", direction, command) and a payload. Discovery sends three
// header-only requests; this file builds them and reads the replies of the
// main channel.
#pragma once

#include "platform/base/cstring.h"

#define DEVICE_MAGIC "BRISEL"

enum : int
{
    DEVICE_MAGIC_SIZE = 6,
    DEVICE_HEADER_SIZE = 8,

    // Byte 6: what the program sends, and what a device's discovery reply holds.
    DEVICE_DIRECTION_REQUEST = 0,
    DEVICE_DIRECTION_REPLY = 1,

    // Byte 7 of the discovery requests and replies.
    DISCOVER_COMMAND_DISCOVER = 0,
    DISCOVER_COMMAND_SETTINGS = 2,
    DISCOVER_COMMAND_VERSION = 5,

    // Port of the devices; settings requests go to this port + 2.
    DISCOVER_DEVICE_PORT = 50013,
    DISCOVER_SETTINGS_PORT_OFFSET = 2,

    // Longest version text taken from a version reply.
    DISCOVER_VERSION_TEXT_MAX = 767,
};

// Writes the header of a request with the command into the buffer.
void BuildDeviceRequest(BYTE (&buffer)[DEVICE_HEADER_SIZE], BYTE command);

inline void BuildDiscoverRequest(BYTE (&buffer)[DEVICE_HEADER_SIZE])
{
    BuildDeviceRequest(buffer, DISCOVER_COMMAND_DISCOVER);
}

inline void BuildVersionRequest(BYTE (&buffer)[DEVICE_HEADER_SIZE])
{
    BuildDeviceRequest(buffer, DISCOVER_COMMAND_VERSION);
}

inline void BuildSettingsRequest(BYTE (&buffer)[DEVICE_HEADER_SIZE])
{
    BuildDeviceRequest(buffer, DISCOVER_COMMAND_SETTINGS);
}

// The port that takes a device's settings requests.
inline UINT GetSettingsPort(UINT devicePort)
{
    return devicePort + DISCOVER_SETTINGS_PORT_OFFSET;
}

// What a main-channel reply says.
struct _TDiscoverReply
{
    // DISCOVER_COMMAND_DISCOVER or DISCOVER_COMMAND_VERSION.
    int command = -1;
    // Discover reply: the device type, a signed byte (not yet checked for a
    // known model).
    int type = -1;
    // Version reply: the text, possibly empty.
    CString version;
};

// Reads a datagram of the main channel. TRUE for a discover or version reply
// of a device, with what it says in reply; FALSE for anything else, which is
// to be ignored.
BOOL ParseDiscoverReply(const BYTE* data, int length, _TDiscoverReply& reply);
