// A stand-in thread that plays a single device waits on that device's own
// socket while a load goes on; what comes to its other port, and a stop,
// must still be heard before the load ends.
#include <gtest/gtest.h>

#include <cstring>

#include "common/discover/device_datagram.h"
#include "tests/app/update/update_harness.h"
#include "tests/tools/device_standin/standin_requests.h"

namespace {

using standin_test::Request;

bool Send(DeviceConnection& to, const std::vector<BYTE>& request) {
    return to.client.SendTo(to.settings.m_strHost, to.settings.m_nPort, request.data(),
                            static_cast<int>(request.size())) == 1;
}

// The length of the next datagram within the time; 0 when none came.
int Answer(DeviceConnection& from, int milliseconds) {
    BYTE answer[600];
    return std::max(0, from.client.ReceiveWithin(answer, sizeof(answer), milliseconds));
}

// The device is never quiet for long here: each block follows the answer to
// the last at once. Counted in blocks, the settings request and the stop
// must each be heard within a hundred more (the stand-in looks at its other
// sockets every 64 datagrams at most), not when the load ends.
TEST(StandinNetwork, ALoneDeviceHearsItsSettingsPortAndAStopWhileALoadGoesOn) {
    StandinUpdateProfile profile;
    profile.startReplyLength = 9;  // plain mode: one answer per block
    profile.keepBytes = false;
    CStandinHarness devices(1, 1, profile);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    DeviceConnection load(devices.Address(0));
    DeviceConnection settings(devices.Address(0), 50013 + DISCOVER_SETTINGS_PORT_OFFSET);
    ASSERT_TRUE(load.open && settings.open);
    ASSERT_TRUE(Send(load, Request(standin_command::kReset)));
    ASSERT_GT(Answer(load, 2000), 0);
    ASSERT_TRUE(Send(load, Request(standin_command::kStartLoad, {0, 0, 0})));
    ASSERT_EQ(Answer(load, 2000), 9);

    const std::vector<BYTE> block = Request(standin_command::kData, std::vector<BYTE>(512, 0x5A));
    auto exchangeBlock = [&] { return Send(load, block) && Answer(load, 500) == 9; };
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(exchangeBlock()) << "block " << i;

    BYTE request[DEVICE_HEADER_SIZE];
    BuildSettingsRequest(request);
    ASSERT_TRUE(Send(settings, std::vector<BYTE>(request, request + sizeof(request))));
    // The bound only keeps a device that never answers from holding the test.
    const int kBlocksMax = 100000;
    int blocks = 0;
    bool settingsAnswered = false;
    while (blocks < kBlocksMax && !(settingsAnswered = Answer(settings, 0) > 0)) {
        ASSERT_TRUE(exchangeBlock()) << "block " << blocks << " after the settings request";
        ++blocks;
    }
    EXPECT_TRUE(settingsAnswered);
    EXPECT_LE(blocks, 100) << "blocks answered before the settings request";

    devices.Stop();
    blocks = 0;
    while (blocks < kBlocksMax && exchangeBlock()) ++blocks;
    EXPECT_LE(blocks, 100) << "blocks answered after the stop";
}

}  // namespace
