// Acknowledgements that are lost, duplicated, refused or cut short, record
// ends without their code, and stop requests in every wait: each case
// scripts what the device does and checks what the device saw.
#include <gtest/gtest.h>

#include "tests/app/update/update_harness.h"

namespace {

using namespace standin_command;
using Clock = std::chrono::steady_clock;

// The sequence numbers of these windows, each sent whole: Windows({1, 1, 2})
// is 1..10, 1..10, 11..20.
std::vector<uint16_t> Windows(std::initializer_list<int> windows) {
    std::vector<uint16_t> sequences;
    for (int window : windows) {
        for (int k = 1; k <= 10; ++k) sequences.push_back(static_cast<uint16_t>((window - 1) * 10 + k));
    }
    return sequences;
}

StandinUpdateProfile Profile(std::function<void(StandinUpdateProfile&)> change) {
    StandinUpdateProfile profile;
    change(profile);
    return profile;
}

// Only the lost acknowledgement may cost a wait, its packet time-out and
// the pause after it: every other case ends long before its packet
// time-out. The lost one's time-out leaves the device a second for each
// acknowledgement that follows: one later than that is taken as lost too,
// and its window sent again.
TEST(UpdateAcknowledgements, WindowResendsFollowTheAcknowledgements) {
    struct Case {
        const char* name;
        StandinUpdateProfile profile;
        std::vector<uint16_t> sequences;
        int packetTimeout;
        int lost;
    };
    const Case cases[] = {
        {"clean", {}, Windows({1, 2}), 10000, 0},
        {"first ack lost", Profile([](auto& p) { p.dropAcks = {1}; }), Windows({1, 1, 2}), 1000, 1},
        {"first ack refused", Profile([](auto& p) { p.refuseAcks = 1; }), Windows({1, 1, 2}), 10000, 0},
        {"first ack refused in a short datagram",
         Profile([](auto& p) {
             p.refuseAcks = 1;
             p.shortRefusals = true;
         }),
         Windows({1, 1, 2}), 10000, 0},
        {"acks duplicated", Profile([](auto& p) { p.duplicateAcks = true; }), Windows({1, 2}), 10000, 0},
    };
    int group = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateTimeouts timeouts;
        timeouts.packet = c.packetTimeout;
        CStandinHarness devices(group++, 1, c.profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CEngineLoader run;
        std::vector<uint8_t> image = RandomBytes(20 * 512, 7);
        const auto start = Clock::now();
        ASSERT_EQ(run.Load(devices.Address(0), image), 1);
        const auto waited = std::chrono::milliseconds(2 * c.lost * c.packetTimeout);
        EXPECT_GE(Clock::now() - start, waited);
        EXPECT_LT(Clock::now() - start, waited + std::chrono::seconds(3));
        const StandinLoad load = devices.Device(0).Loads().back();
        EXPECT_EQ(load.sequences, c.sequences);
        EXPECT_EQ(load.bytes, image);
        EXPECT_TRUE(run.report.Errors(0).empty());
    }
}

TEST(UpdateAcknowledgements, TenShortRefusalsEndTheLoadWithoutWaiting) {
    UpdateTimeouts timeouts;
    timeouts.packet = 3000;
    CStandinHarness devices(46, 1, Profile([](auto& p) {
                                p.refuseAcks = 10;
                                p.shortRefusals = true;
                            }),
                            timeouts);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CEngineLoader run;
    std::vector<uint8_t> image = RandomBytes(12000, 1);
    const auto start = Clock::now();
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Finishing Data Load"});
    EXPECT_EQ(devices.Device(0).Loads().back().sequences, Windows({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(devices.Device(0).Commands().back(), kAbortLoad);
}

// A page that takes a moment for each percent, as a window does that
// handles the message on its own thread.
class CSlowReport : public CRecordingReport {
public:
    void SendProgress(int index, int percent) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        CRecordingReport::SendProgress(index, percent);
    }
};

// A plain acknowledgement names no block. The device duplicates every
// acknowledgement and loses a chosen block of its first load; the duplicate
// arrives while the page shows the percent. It must never pass for the
// acknowledgement of the lost block that follows: the block goes out again,
// which makes the load ambiguous, so it is abandoned and made again whole.
TEST(UpdateAcknowledgements, PlainModeResendsTheLostBlockDespiteDuplicates) {
    struct Case {
        const char* name;
        int lost;
        bool duplicated;
    };
    const Case cases[] = {
        {"third block lost, acks duplicated", 3, true},
        {"first block lost, acks single", 1, false},
    };
    int group = 47;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandinUpdateProfile profile;
        profile.startReplyLength = 9;
        profile.duplicateAcks = c.duplicated;
        profile.loseData = {c.lost};
        profile.faultyLoads = 1;
        CStandinHarness devices(group++, 1, profile);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CWizardState sheet;
        CSlowReport report;
        CUpdateEngine engine(sheet, report);
        DeviceConnection connection(devices.Address(0));
        std::vector<uint8_t> image = RandomBytes(6 * 512 + 100, 9);
        auto stream = ImageStream(image);
        ASSERT_EQ(engine.LoadAndRecord(connection.client, connection.settings, 0, *stream, 30, 0, 1, 0), 1);
        const auto loads = devices.Device(0).Loads();
        ASSERT_EQ(loads.size(), 2u);
        EXPECT_TRUE(loads[0].aborted);
        EXPECT_EQ(loads[1].bytes, image);
        // The first load up to the lost block and that block again, then
        // seven blocks.
        EXPECT_EQ(devices.Device(0).CountOf(kData), c.lost + 1 + 7);
        EXPECT_TRUE(report.Errors(0).empty());
    }
}

TEST(UpdateAcknowledgements, RecordEndWithoutItsCodeEndsTheRunAtOnce) {
    struct Case {
        const char* name;
        int recordError;
        int result;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"short end with an error", 7, 0, {"ERROR UPDATING DEVICE. CODE 0"}},
        {"short end without an error", 0, 1, {}},
    };
    int group = 49;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateTimeouts timeouts;
        timeouts.record = 20000;
        StandinUpdateProfile profile;
        profile.shortRecordEnd = true;
        profile.recordError = c.recordError;
        CStandinHarness devices(group++, 1, profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CEngineLoader run;
        std::vector<uint8_t> image = RandomBytes(6000, 3);
        const auto start = Clock::now();
        EXPECT_EQ(run.Load(devices.Address(0), image), c.result);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(run.report.Errors(0), c.errors);
        EXPECT_TRUE(run.report.HasStatus(0, "Recording 3/3..."));
    }
}

// Every time-out is a minute here: a stop request must still end the run
// within a fraction of a second, wherever it waits, and report nothing.
TEST(UpdateAcknowledgements, StopIsSeenAtOnceInEveryWait) {
    struct Case {
        const char* name;
        StandinUpdateProfile profile;
        std::function<bool(CStandinHarness&, CRecordingReport&)> waiting;
    };
    auto received = [](uint8_t command, int count) {
        return [command, count](CStandinHarness& d, CRecordingReport&) { return d.Device(0).CountOf(command) >= count; };
    };
    const Case cases[] = {
        {"reset unanswered", Profile([](auto& p) { p.ignored = {kReset}; }), received(kReset, 1)},
        {"start load unanswered", Profile([](auto& p) { p.ignored = {kStartLoad}; }), received(kStartLoad, 1)},
        {"plain block unanswered",
         Profile([](auto& p) {
             p.startReplyLength = 9;
             p.ignored = {kData};
         }),
         received(kData, 1)},
        {"window unacknowledged", Profile([](auto& p) { p.ignored = {kData}; }), received(kData, 10)},
        {"start record unanswered", Profile([](auto& p) { p.ignored = {kRecord}; }), received(kRecord, 1)},
        {"recording never ends", Profile([](auto& p) { p.recordEnds = false; }),
         [](CStandinHarness&, CRecordingReport& r) { return r.HasStatus(0, "Recording 3/3..."); }},
    };
    UpdateTimeouts minute;
    minute.packet = 60000;
    minute.reset = 60000;
    minute.record = 60000;
    int group = 51;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CStandinHarness devices(group++, 1, c.profile, minute);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        CEngineLoader run;
        std::vector<uint8_t> image = RandomBytes(6000, 5);
        CStopWhen stopper(run.engine, [&] { return c.waiting(devices, run.report); });
        EXPECT_EQ(run.Load(devices.Address(0), image), 0);
        EXPECT_LT(stopper.SinceStop(), std::chrono::milliseconds(250));
        EXPECT_TRUE(c.waiting(devices, run.report));
        EXPECT_TRUE(run.report.Errors(0).empty());
        const auto progress = run.report.Progress(0);
        EXPECT_EQ(std::count(progress.begin(), progress.end(), -1), 0);
    }
}

}  // namespace
