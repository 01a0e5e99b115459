// Main-channel datagrams from the network.
#include "common/discover/device_datagram.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A buffer of the datagram's exact size, so that a read past it shows.
    std::vector<BYTE> datagram(data, data + size);
    _TDiscoverReply reply;
    if (!ParseDiscoverReply(datagram.data(), static_cast<int>(datagram.size()), reply))
        return 0;
    if (reply.command == DISCOVER_COMMAND_VERSION &&
        (reply.version.GetLength() > DISCOVER_VERSION_TEXT_MAX || (reply.version.GetLength() > 0 && reply.version.GetLength() + 11 > static_cast<int>(size))))
        std::abort();
    if (reply.command == DISCOVER_COMMAND_DISCOVER && (reply.type < -128 || reply.type > 127))
        std::abort();
    return 0;
}
