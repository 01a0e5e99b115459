// Settings records from the network: a record that reads must write back to
// bytes that read to the same record.
#include "common/discover/device_settings.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A buffer of the datagram's exact size, so that a read past it shows.
    std::vector<BYTE> datagram(data, data + size);
    CDeviceSettings settings;
    const int used = settings.Read(datagram.data(), static_cast<int>(datagram.size()));
    if (used == 0)
        return 0;
    if (used < 0 || static_cast<size_t>(used) > size)
        std::abort();
    std::vector<BYTE> written(static_cast<size_t>(settings.Write(nullptr)));
    settings.Write(written.data());
    CDeviceSettings again;
    // Fields that the version does not carry are not read back; both records
    // start from the defaults, so they still agree.
    if (again.Read(written.data(), static_cast<int>(written.size())) <= 0 || !again.Equals(settings))
        std::abort();
    return 0;
}
