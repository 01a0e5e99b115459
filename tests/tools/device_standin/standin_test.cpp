// The stand-in's device descriptions and its answers, byte for byte as the
// program reads them.
#include <cstring>

#include <gtest/gtest.h>

#include "common/discover/device_datagram.h"
#include "common/discover/device_settings.h"
#include "tools/device_standin/standin_device.h"
#include "tools/device_standin/standin_description.h"

namespace {

StandinRequest Request(StandinChannel channel, uint8_t command, uint8_t direction = 0) {
    static uint8_t data[8];
    std::memcpy(data, "BRISEL", 6);
    data[6] = direction;
    data[7] = command;
    StandinRequest request;
    request.channel = channel;
    request.fromAddress = "127.0.0.1";
    request.fromPort = 40000;
    request.data = data;
    request.length = 8;
    return request;
}

}  // namespace

TEST(StandinDescription, ReadsEveryKeyAndQuotedTexts) {
    StandinDeviceLine device;
    std::string error;
    ASSERT_TRUE(ParseStandinDeviceLine(
        "10.213.1.5 type=-3 version=6.8.0 name=\"Encoder 1\" status=OK version-reply=no settings-reply=no silent=yes",
        device, error))
        << error;
    EXPECT_EQ(device.profile.address, "10.213.1.5");
    EXPECT_EQ(device.profile.type, -3);
    EXPECT_EQ(device.profile.version, "6.8.0");
    EXPECT_EQ(device.profile.name, "Encoder 1");
    EXPECT_EQ(device.profile.lineStatus, "OK");
    EXPECT_FALSE(device.profile.answersVersion);
    EXPECT_FALSE(device.profile.answersSettings);
    EXPECT_TRUE(device.faults.silent);
}

TEST(StandinDescription, BadInputIsNamed) {
    StandinDeviceLine device;
    std::string error;
    EXPECT_FALSE(ParseStandinDeviceLine("10.213.1 type=1", device, error));
    EXPECT_FALSE(ParseStandinDeviceLine("nowhere", device, error));
    EXPECT_FALSE(ParseStandinDeviceLine("10.0.0.1 type=300", device, error));
    EXPECT_NE(error.find("type"), std::string::npos);
    EXPECT_FALSE(ParseStandinDeviceLine("10.0.0.1 colour=red", device, error));
    EXPECT_NE(error.find("colour"), std::string::npos);
    EXPECT_FALSE(ParseStandinDeviceLine("10.0.0.1 name=\"open", device, error));
    EXPECT_FALSE(ParseStandinDeviceLine("10.0.0.1 silent=maybe", device, error));
    std::vector<StandinDeviceLine> devices;
    EXPECT_FALSE(LoadStandinDeviceFile("/nonexistent/devices.txt", devices, error));
}

TEST(StandinDevice, AnswersAsTheProgramReadsThem) {
    StandinDeviceProfile profile;
    profile.address = "127.0.0.1";
    profile.type = 23;
    profile.version = "6.8.0";
    profile.name = "Dev";
    profile.lineStatus = "Up";
    CStandinDevice device(profile);
    StandinReplies replies;
    device.Handle(Request(StandinChannel::Main, DISCOVER_COMMAND_DISCOVER), replies);
    device.Handle(Request(StandinChannel::Main, DISCOVER_COMMAND_VERSION), replies);
    device.Handle(Request(StandinChannel::Settings, DISCOVER_COMMAND_SETTINGS), replies);
    ASSERT_EQ(replies.size(), 3u);
    _TDiscoverReply reply;
    ASSERT_TRUE(ParseDiscoverReply(replies[0].data(), static_cast<int>(replies[0].size()), reply));
    EXPECT_EQ(reply.command, DISCOVER_COMMAND_DISCOVER);
    EXPECT_EQ(reply.type, 23);
    ASSERT_TRUE(ParseDiscoverReply(replies[1].data(), static_cast<int>(replies[1].size()), reply));
    EXPECT_EQ(reply.command, DISCOVER_COMMAND_VERSION);
    EXPECT_EQ(std::string(static_cast<LPCTSTR>(reply.version)), "6.8.0");
    CDeviceSettings settings;
    EXPECT_EQ(settings.Read(replies[2].data(), static_cast<int>(replies[2].size())), static_cast<int>(replies[2].size()));
    EXPECT_EQ(std::string(static_cast<LPCTSTR>(settings.s1)), "Dev");
    EXPECT_EQ(std::string(static_cast<LPCTSTR>(settings.s2)), "Up");
}

TEST(StandinDevice, IgnoresForeignDatagramsAndKeepsQuietWhenSilent) {
    StandinDeviceProfile profile;
    CStandinDevice device(profile);
    StandinReplies replies;
    device.Handle(Request(StandinChannel::Main, DISCOVER_COMMAND_DISCOVER, 1), replies);  // a reply, not a request
    device.Handle(Request(StandinChannel::Settings, DISCOVER_COMMAND_DISCOVER), replies);  // wrong channel
    device.Handle(Request(StandinChannel::Main, 9), replies);                              // unknown command
    EXPECT_TRUE(replies.empty());
    device.Faults().silent = true;
    EXPECT_NE(device.Handle(Request(StandinChannel::Main, DISCOVER_COMMAND_DISCOVER), replies).find("silent"),
              std::string::npos);
    EXPECT_TRUE(replies.empty());
}

TEST(StandinDevice, ProtocolsAddTheirCommands) {
    CStandinDevice device(StandinDeviceProfile{});
    device.SetHandler(StandinChannel::Main, 9, [](CStandinDevice&, const StandinRequest& request, StandinReplies& r) {
        r.push_back(std::vector<uint8_t>(request.data, request.data + request.length));
    });
    StandinReplies replies;
    device.Handle(Request(StandinChannel::Main, 9), replies);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][7], 9);
}
