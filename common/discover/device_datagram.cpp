#include "common/discover/device_datagram.h"

#include <algorithm>
#include <cstring>

namespace
{

enum : int
{
    // Offsets in a reply.
    REPLY_TYPE_OFFSET = 8,
    REPLY_VERSION_LENGTH_OFFSET = 9,
    REPLY_VERSION_TEXT_OFFSET = 11,
};

} // namespace

void BuildDeviceRequest(BYTE (&buffer)[DEVICE_HEADER_SIZE], BYTE command)
{
    std::memcpy(buffer, DEVICE_MAGIC, DEVICE_MAGIC_SIZE);
    buffer[6] = DEVICE_DIRECTION_REQUEST;
    buffer[7] = command;
}

BOOL ParseDiscoverReply(const BYTE* data, int length, _TDiscoverReply& reply)
{
    if (data == nullptr || length < DEVICE_HEADER_SIZE || std::memcmp(data, DEVICE_MAGIC, DEVICE_MAGIC_SIZE) != 0 ||
        data[6] != DEVICE_DIRECTION_REPLY)
        return FALSE;
    switch (data[7])
    {
    case DISCOVER_COMMAND_DISCOVER:
        if (length <= REPLY_TYPE_OFFSET)
            return FALSE;
        reply.command = DISCOVER_COMMAND_DISCOVER;
        reply.type = static_cast<signed char>(data[REPLY_TYPE_OFFSET]);
        return TRUE;
    case DISCOVER_COMMAND_VERSION:
    {
        reply.command = DISCOVER_COMMAND_VERSION;
        reply.version.Empty();
        if (length < REPLY_VERSION_TEXT_OFFSET)
            return TRUE;
        int count = data[REPLY_VERSION_LENGTH_OFFSET] | (data[REPLY_VERSION_LENGTH_OFFSET + 1] << 8);
        count = std::min({count, static_cast<int>(DISCOVER_VERSION_TEXT_MAX), length - REPLY_VERSION_TEXT_OFFSET});
        const BYTE* text = data + REPLY_VERSION_TEXT_OFFSET;
        const void* zero = std::memchr(text, 0, static_cast<size_t>(count));
        if (zero != nullptr)
            count = static_cast<int>(static_cast<const BYTE*>(zero) - text);
        reply.version = CString(reinterpret_cast<LPCTSTR>(text), count);
        return TRUE;
    }
    default:
        return FALSE;
    }
}
