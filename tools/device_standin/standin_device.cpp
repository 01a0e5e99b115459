#include "tools/device_standin/standin_device.h"

#include <algorithm>
#include <cstring>

#include "common/discover/device_datagram.h"
#include "common/discover/device_settings.h"
#include "platform/net/net.h"

namespace {

std::vector<uint8_t> ReplyHeader(uint8_t command) {
    std::vector<uint8_t> reply(DEVICE_HEADER_SIZE);
    std::memcpy(reply.data(), DEVICE_MAGIC, DEVICE_MAGIC_SIZE);
    reply[6] = DEVICE_DIRECTION_REPLY;
    reply[7] = command;
    return reply;
}

const char* CommandName(StandinChannel channel, uint8_t command) {
    if (channel == StandinChannel::Settings) {
        return command == DISCOVER_COMMAND_SETTINGS ? "settings request" : "command";
    }
    switch (command) {
    case DISCOVER_COMMAND_DISCOVER: return "discover request";
    case DISCOVER_COMMAND_VERSION: return "version request";
    default: return "command";
    }
}

}  // namespace

CStandinDevice::CStandinDevice(StandinDeviceProfile profile) : m_profile(std::move(profile)) {
    SetHandler(StandinChannel::Main, DISCOVER_COMMAND_DISCOVER,
               [](CStandinDevice& device, const StandinRequest&, StandinReplies& replies) {
                   replies.push_back(device.BuildDiscoverReply());
               });
    SetHandler(StandinChannel::Main, DISCOVER_COMMAND_VERSION,
               [](CStandinDevice& device, const StandinRequest&, StandinReplies& replies) {
                   if (device.Profile().answersVersion) {
                       replies.push_back(device.BuildVersionReply());
                   }
               });
    SetHandler(StandinChannel::Settings, DISCOVER_COMMAND_SETTINGS,
               [](CStandinDevice& device, const StandinRequest&, StandinReplies& replies) {
                   if (device.Profile().answersSettings) {
                       replies.push_back(device.BuildSettingsRecord());
                   }
               });
}

void CStandinDevice::SetHandler(StandinChannel channel, uint8_t command, Handler handler) {
    m_handlers[{channel, command}] = std::move(handler);
}

uint32_t StandinRequest::FromIp() const { return fromIp != 0 ? fromIp : inet_addr(fromAddress.c_str()); }

std::string StandinRequest::FromText() const {
    if (fromIp == 0) return fromAddress;
    in_addr address{};
    address.S_un.S_addr = fromIp;
    return inet_ntoa(address);
}

std::string CStandinDevice::Handle(const StandinRequest& request, StandinReplies& replies) {
    std::string what;
    Handle(request, replies, &what);
    return what;
}

void CStandinDevice::Handle(const StandinRequest& request, StandinReplies& replies, std::string* what) {
    if (request.data == nullptr || request.length < DEVICE_HEADER_SIZE ||
        std::memcmp(request.data, DEVICE_MAGIC, DEVICE_MAGIC_SIZE) != 0 ||
        request.data[6] != DEVICE_DIRECTION_REQUEST) {
        if (what) *what = "foreign datagram of " + std::to_string(request.length) + " bytes, ignored";
        return;
    }
    const uint8_t command = request.data[7];
    if (what) {
        *what = std::string(CommandName(request.channel, command)) + " (command " + std::to_string(command) + ", " +
                std::to_string(request.length) + " bytes)";
    }
    auto handler = m_handlers.find({request.channel, command});
    if (handler == m_handlers.end()) {
        if (what) *what += ", not handled";
        return;
    }
    if (m_faults.silent) {
        if (what) *what += ", silent";
        return;
    }
    const size_t before = replies.size();
    handler->second(*this, request, replies);
    if (what) *what += replies.size() > before ? ", answered" : ", not answered";
}

void CStandinDevice::SetSender(Sender sender) {
    std::lock_guard<std::mutex> lock(m_sendLock);
    m_sender = std::move(sender);
}

void CStandinDevice::Send(uint32_t ip, uint16_t port, const std::vector<uint8_t>& datagram) {
    std::lock_guard<std::mutex> lock(m_sendLock);
    if (m_sender) m_sender(ip, port, datagram);
}

std::vector<uint8_t> CStandinDevice::BuildDiscoverReply() const {
    std::vector<uint8_t> reply = ReplyHeader(DISCOVER_COMMAND_DISCOVER);
    reply.push_back(static_cast<uint8_t>(static_cast<int8_t>(m_profile.type)));
    return reply;
}

std::vector<uint8_t> CStandinDevice::BuildVersionReply() const {
    std::vector<uint8_t> reply = ReplyHeader(DISCOVER_COMMAND_VERSION);
    reply.push_back(0);  // byte 8 is not read in a version reply
    const size_t length = std::min<size_t>(m_profile.version.size(), 0xFFFF);
    reply.push_back(static_cast<uint8_t>(length & 0xFF));
    reply.push_back(static_cast<uint8_t>(length >> 8));
    reply.insert(reply.end(), m_profile.version.begin(), m_profile.version.begin() + static_cast<long>(length));
    return reply;
}

std::vector<uint8_t> CStandinDevice::BuildSettingsRecord() const {
    CDeviceSettings settings;
    settings.s1 = m_profile.name.c_str();
    settings.s2 = m_profile.lineStatus.c_str();
    std::vector<uint8_t> record(static_cast<size_t>(settings.Write(nullptr)));
    settings.Write(record.data());
    return record;
}
