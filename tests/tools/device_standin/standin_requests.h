// Requests as the program sends them to a device ("BRISEL", a byte, the
// command, the payload), and a request handed straight to a stand-in device
// as if it came from 127.0.0.1.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/device_standin/standin_device.h"

namespace standin_test {

inline std::vector<uint8_t> Request(uint8_t command, const std::vector<uint8_t>& payload = {}) {
    // Room for the whole request first: GCC 12 warns of a bound that the
    // insertion into an 8-byte vector never crosses.
    std::vector<uint8_t> data;
    data.reserve(8 + payload.size());
    data = {'B', 'R', 'I', 'S', 'E', 'L', 0, command};
    data.insert(data.end(), payload.begin(), payload.end());
    return data;
}

inline StandinReplies Send(CStandinDevice& device, const std::vector<uint8_t>& data) {
    StandinRequest request;
    request.fromAddress = "127.0.0.1";
    request.fromPort = 1;
    request.data = data.data();
    request.length = static_cast<int>(data.size());
    StandinReplies replies;
    device.Handle(request, replies);
    return replies;
}

}  // namespace standin_test
