// Requests as the program sends them to a device ("BRISEL", a byte, the
// command, the payload), and a request handed straight to a stand-in device
// as if it came from 127.0.0.1.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/device_standin/standin_device.h"

namespace standin_test {

inline std::vector<uint8_t> Request(uint8_t command, const std::vector<uint8_t>& payload = {}) {
    std::vector<uint8_t> data(8 + payload.size());
    std::memcpy(data.data(), "BRISEL", 6);
    data[7] = command;
    std::copy(payload.begin(), payload.end(), data.begin() + 8);
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
