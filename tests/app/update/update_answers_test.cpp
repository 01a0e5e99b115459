// Answers that come late, that a resent datagram earns twice, or that lack
// what they should hold: none of them may let a run report success for an
// image that the device did not take whole and record.
#include <gtest/gtest.h>

#include "tests/app/update/update_harness.h"

namespace {

using namespace standin_command;

// The device answers start record later than the engine listens, so the
// start goes out twice and earns two answers; the second comes after the
// first has been taken. It is not the record end.
TEST(UpdateAnswers, TheAnswerToARepeatedStartIsNotTheRecordEnd) {
    struct Case {
        const char* name;
        bool recordEnds;
        int result;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"the recording ends", true, 1, {}},
        {"the recording never ends", false, 0, {"ERROR In Record Process ACK"}},
    };
    int group = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandinUpdateProfile profile;
        profile.lateCommands = {kRecord};
        profile.lateMs = 1200;
        profile.recordEnds = c.recordEnds;
        UpdateTimeouts timeouts;
        timeouts.packet = 5000;
        // Longer than the time between the two answers.
        timeouts.record = 2200;
        CStandinHarness devices(group++, 1, profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CEngineLoader run;
        std::vector<uint8_t> image = RandomBytes(6000, 4);
        EXPECT_EQ(run.Load(devices.Address(0), image), c.result);
        EXPECT_EQ(run.report.Errors(0), c.errors);
        EXPECT_EQ(devices.Device(0).CountOf(kRecord), 2);
    }
}

// A plain block that went out twice may be held twice: the load is
// abandoned and made again from the start, and never recorded as it stands.
TEST(UpdateAnswers, APlainLoadWithABlockSentTwiceIsMadeAgain) {
    struct Case {
        const char* name;
        StandinUpdateProfile profile;
        int result;
        int loads;
    };
    StandinUpdateProfile lostOnce;
    lostOnce.dropAcks = {2};
    lostOnce.faultyLoads = 1;
    StandinUpdateProfile alwaysLate;
    alwaysLate.ackDelayMs = 1200;
    const Case cases[] = {
        {"the second block's acknowledgement lost in the first load", lostOnce, 1, 2},
        {"every first acknowledgement late", alwaysLate, 0, 3},
    };
    int group = 3;
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        c.profile.startReplyLength = 9;
        CStandinHarness devices(group++, 1, c.profile);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CEngineLoader run;
        std::vector<uint8_t> image = RandomBytes(6 * 512 + 100, 8);
        EXPECT_EQ(run.Load(devices.Address(0), image), c.result);
        const auto loads = devices.Device(0).Loads();
        ASSERT_EQ(loads.size(), static_cast<size_t>(c.loads));
        for (int i = 0; i + 1 < c.loads; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(loads[static_cast<size_t>(i)].aborted);
            EXPECT_GT(loads[static_cast<size_t>(i)].size, 0u);
        }
        if (c.result == 1) {
            EXPECT_EQ(loads.back().bytes, image);
            EXPECT_TRUE(run.report.Errors(0).empty());
            EXPECT_EQ(devices.Device(0).CountOf(kRecord), 1);
        } else {
            EXPECT_TRUE(loads.back().aborted);
            EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Loading Data"});
            EXPECT_EQ(devices.Device(0).CountOf(kRecord), 0);
        }
    }
}

// A start-load answer of the header alone carries no status: nothing was
// accepted, and the run says so before it sends any data.
TEST(UpdateAnswers, AStartLoadAnswerWithoutItsStatusIsNoAcceptance) {
    StandinUpdateProfile profile;
    profile.bareStartReply = true;
    CStandinHarness devices(6, 1, profile);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CEngineLoader run;
    std::vector<uint8_t> image = RandomBytes(2000, 2);
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Starting To Load Firmware"});
    EXPECT_EQ(devices.Device(0).CountOf(kStartLoad), 1);
    EXPECT_EQ(devices.Device(0).CountOf(kData), 0);
    EXPECT_EQ(devices.Device(0).CountOf(kRecord), 0);
}

}  // namespace
