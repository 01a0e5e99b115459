// The device update protocol against stand-in devices: both load modes,
// image sizes around the window, sequence wrap, acknowledgement faults,
// silent devices, the record phase, and stopping.
#include <gtest/gtest.h>

#include "tests/app/update/update_harness.h"

#include "platform/base/exceptions.h"

#include <filesystem>

namespace {

StandinUpdateProfile PlainProfile(int replyLength = 9) {
    StandinUpdateProfile profile;
    profile.startReplyLength = replyLength;
    return profile;
}

struct EngineRun {
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine{sheet, report};

    int Load(const std::string& address, std::vector<uint8_t>& image, int span = 30, int base = 0, int show = 1,
             int skip = 0) {
        DeviceConnection connection(address);
        EXPECT_TRUE(connection.open);
        auto stream = ImageStream(image);
        return engine.LoadAndRecord(connection.client, connection.settings, 0, *stream, span, base, show, skip);
    }
};

TEST(UpdateProtocol, WindowModeLoadsEverySizeExactly) {
    CStandinHarness devices(1, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    const size_t sizes[] = {0, 1, 512, 5120, 5121, 10240, 3 * 1024 * 1024 + 7};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> image = RandomBytes(size, static_cast<uint32_t>(size));
        ASSERT_EQ(run.Load(devices.Address(0), image), 1);
        const StandinLoad load = devices.Device(0).Loads().back();
        EXPECT_TRUE(load.windowMode);
        EXPECT_TRUE(load.recorded);
        EXPECT_EQ(load.bytes, image);
    }
    // 1 + 1 + 1 + 1 + 2 + 2 + 615 windows; an empty image sends none.
    const auto commands = devices.Device(0).Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 2), 10 * (1 + 1 + 1 + 2 + 2 + 615));
    EXPECT_TRUE(run.report.Errors(0).empty());
}

TEST(UpdateProtocol, ReplyLengthSelectsPlainMode) {
    for (int length : {9, 12}) {
        SCOPED_TRACE(length);
        CStandinHarness devices(length == 9 ? 2 : 3, 1, PlainProfile(length));
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        EngineRun run;
        for (size_t size : {size_t(0), size_t(1), size_t(512), size_t(5120), size_t(5121), size_t(2 * 1024 * 1024 + 3)}) {
            std::vector<uint8_t> image = RandomBytes(size, 7);
            ASSERT_EQ(run.Load(devices.Address(0), image), 1) << size;
            const StandinLoad load = devices.Device(0).Loads().back();
            EXPECT_FALSE(load.windowMode);
            EXPECT_TRUE(load.recorded);
            EXPECT_EQ(load.bytes, image);
        }
        // Plain mode goes on with the record phase as window mode does.
        EXPECT_EQ(devices.Device(0).CountOf(4), 6);
        EXPECT_TRUE(run.report.HasStatus(0, "Recording 3/3..."));
    }
}

TEST(UpdateProtocol, SequenceNumbersWrapPast65535) {
    CStandinHarness devices(4, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    // 70000 datagrams: the numbers run through 65535 to 0 and on.
    std::vector<uint8_t> image = RandomBytes(70000u * 512u - 100u, 3);
    ASSERT_EQ(run.Load(devices.Address(0), image), 1);
    EXPECT_EQ(devices.Device(0).Loads().back().bytes, image);
}

TEST(UpdateProtocol, DuplicateLateAndLostAcknowledgementsStillLoadExactly) {
    struct Case {
        StandinUpdateProfile profile;
        int packetTimeout;
    };
    Case duplicated{{}, 1000};
    duplicated.profile.duplicateAcks = true;
    Case late{{}, 150};
    late.profile.ackDelayMs = 200;  // later than the wait: the window is sent again
    Case lossy{{}, 150};
    lossy.profile.lossPercent = 5;
    int group = 5;
    for (const Case& c : {duplicated, late, lossy}) {
        UpdateTimeouts timeouts;
        timeouts.packet = c.packetTimeout;
        CStandinHarness devices(group++, 1, c.profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        EngineRun run;
        std::vector<uint8_t> image = RandomBytes(c.profile.ackDelayMs > 0 ? 2 * 5120 + 3 : 30000, 11);
        ASSERT_EQ(run.Load(devices.Address(0), image), 1);
        EXPECT_EQ(devices.Device(0).Loads().back().bytes, image);
        EXPECT_TRUE(run.report.Errors(0).empty());
        const int windows = static_cast<int>((image.size() + 5119) / 5120);
        if (c.profile.duplicateAcks) {
            EXPECT_EQ(devices.Device(0).CountOf(2), windows * 10);  // the duplicates are ignored
        } else {
            EXPECT_GT(devices.Device(0).CountOf(2), windows * 10);  // windows were sent again
        }
    }
}

TEST(UpdateProtocol, TenRefusalsEndTheLoadAndAbortIt) {
    StandinUpdateProfile refusing;
    refusing.refuseAcks = 10;
    CStandinHarness devices(8, 1, refusing);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(12000, 1);
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Finishing Data Load"});
    const auto commands = devices.Device(0).Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 2), 100);
    EXPECT_EQ(commands.back(), 3);
    EXPECT_TRUE(devices.Device(0).Loads().back().aborted);

    // Nine refusals leave the tenth sending to be accepted.
    StandinUpdateProfile nine;
    nine.refuseAcks = 9;
    CStandinHarness patient(9, 1, nine);
    ASSERT_TRUE(patient.Ok()) << patient.Error();
    EngineRun again;
    EXPECT_EQ(again.Load(patient.Address(0), image), 1);
    EXPECT_EQ(patient.Device(0).Loads().back().bytes, image);
}

TEST(UpdateProtocol, PlainModeRefusalEndsAtOnce) {
    StandinUpdateProfile refusing = PlainProfile();
    refusing.refuseAcks = 1;
    CStandinHarness devices(10, 1, refusing);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(2000, 1);
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Finishing Data Load"});
    const auto commands = devices.Device(0).Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 2), 1);
    EXPECT_EQ(commands.back(), 3);
}

// A device that ignores one command: the run fails at that step with its
// text, after the number of sends that the packet time-out allows (once
// below 1000 ms; the long inventory of the procedure tests shows the six
// sends of 5000 ms).
struct SilentStep {
    std::vector<uint8_t> ignored;
    int startReplyLength;
    int packetTimeout;
    uint8_t counted;
    int sends;
    const char* error;
};

TEST(UpdateProtocol, SilentStepsFailWithTheirTextAfterTheRightSends) {
    const SilentStep steps[] = {
        {{7}, 11, 500, 7, 2, "ERROR Timeout waiting device reset"},  // the first reset, then one more
        {{1}, 11, 500, 1, 1, "ERROR Starting To Load Firmware"},
        {{2}, 9, 500, 2, 1, "ERROR Loading Data"},
        {{4}, 11, 500, 4, 1, "ERROR Starting Record Process"},
    };
    int group = 11;
    for (const SilentStep& step : steps) {
        SCOPED_TRACE(step.error);
        StandinUpdateProfile profile;
        profile.ignored = step.ignored;
        profile.startReplyLength = step.startReplyLength;
        UpdateTimeouts timeouts;
        timeouts.packet = step.packetTimeout;
        CStandinHarness devices(group++, 1, profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        EngineRun run;
        std::vector<uint8_t> image = RandomBytes(100, 1);
        EXPECT_EQ(run.Load(devices.Address(0), image), 0);
        EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{step.error});
        EXPECT_EQ(devices.Device(0).CountOf(step.counted), step.sends);
    }
}

TEST(UpdateProtocol, ShortPacketTimeoutSendsOnceAndWindowsTenTimes) {
    UpdateTimeouts timeouts;
    timeouts.packet = 100;
    StandinUpdateProfile profile;
    profile.ignored = {2};
    CStandinHarness devices(15, 1, profile, timeouts);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(100, 1);
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{"ERROR Finishing Data Load"});
    EXPECT_EQ(devices.Device(0).CountOf(2), 100);
    EXPECT_EQ(devices.Device(0).CountOf(3), 1);
    EXPECT_EQ(devices.Device(0).CountOf(1), 1);
}

TEST(UpdateProtocol, RecordPhaseReportsProgressInTheBand) {
    StandinUpdateProfile profile;
    profile.recordSteps = 9;
    CStandinHarness devices(16, 1, profile);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(40 * 5120, 5);
    ASSERT_EQ(run.Load(devices.Address(0), image, 20, 10), 1);

    const auto progress = run.report.Progress(0);
    const auto start = std::find(progress.begin(), progress.end(), 30);
    ASSERT_NE(start, progress.end());
    // Loading: 10 .. 30, never backwards; the last window reaches 30.
    for (auto p = progress.begin(); p != start; ++p) {
        EXPECT_GE(*p, 10);
        EXPECT_LE(*p, 30);
        if (p != progress.begin()) {
            EXPECT_GE(*p, *(p - 1));
        }
    }
    // Recording: 30 + current * 70 / 10, and the end sends the last again.
    const std::vector<int> recording(start, progress.end());
    EXPECT_EQ(recording, (std::vector<int>{30, 30, 37, 44, 51, 58, 65, 72, 79, 86, 93, 93}));
    const auto status = run.report.Status(0);
    EXPECT_EQ(status.front(), "Reseting Device...");
    EXPECT_EQ(status.back(), "Recording 9/9...");
    EXPECT_TRUE(run.report.HasStatus(0, "Starting Record Process..."));
    EXPECT_EQ(run.report.Remaining(0), std::vector<int>{-2});
    EXPECT_FALSE(run.report.Transfers(0).empty());
    EXPECT_EQ(run.report.Transfers(0).back(), (std::pair<DWORD, DWORD>(40 * 5120, 40 * 5120)));
}

TEST(UpdateProtocol, RecordProgressWithoutTotalOnlyClearsThePercent) {
    CStandinHarness devices(27, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    // Start record answered, then a progress datagram of total 0, then the end.
    devices.WithDevice(0, [](CStandinDevice& device) {
        device.SetHandler(StandinChannel::Main, UPGRADE_RECORD,
                          [](CStandinDevice&, const StandinRequest&, StandinReplies& replies) {
                              for (const auto& payload : {std::vector<uint8_t>{4, 0, 0}, {6, 0, 5}, {4, 0, 0}}) {
                                  std::vector<uint8_t> datagram = ToBytes("BRISEL");
                                  datagram.push_back(1);
                                  datagram.insert(datagram.end(), payload.begin(), payload.end());
                                  replies.push_back(datagram);
                              }
                          });
    });
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(6000, 5);
    ASSERT_EQ(run.Load(devices.Address(0), image, 20, 10), 1);
    const auto progress = run.report.Progress(0);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress[progress.size() - 2], 30);
    EXPECT_EQ(progress.back(), 0);
    EXPECT_EQ(run.report.Status(0).back(), "Starting Record Process...");
}

TEST(UpdateProtocol, RecordErrorsAndRecordSilence) {
    StandinUpdateProfile endError;
    endError.recordError = 7;
    StandinUpdateProfile startError;
    startError.startRecordError = 5;
    StandinUpdateProfile endless;
    endless.recordEnds = false;
    struct Case {
        StandinUpdateProfile profile;
        int recordTimeout;
        const char* error;
    };
    const Case cases[] = {
        {endError, 2000, "ERROR UPDATING DEVICE. CODE 7"},
        {startError, 2000, "ERROR UPDATING DEVICE. CODE 5"},
        {endless, 300, "ERROR In Record Process ACK"},
    };
    int group = 17;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        UpdateTimeouts timeouts;
        timeouts.record = c.recordTimeout;
        CStandinHarness devices(group++, 1, c.profile, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        EngineRun run;
        std::vector<uint8_t> image = RandomBytes(6000, 5);
        EXPECT_EQ(run.Load(devices.Address(0), image), 0);
        EXPECT_EQ(run.report.Errors(0), std::vector<std::string>{c.error});
        EXPECT_EQ(run.report.Progress(0).back(), -1);
    }

    // Skipping the record phase succeeds once start record is answered,
    // whatever its status says.
    CStandinHarness devices(20, 1, startError);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(6000, 5);
    EXPECT_EQ(run.Load(devices.Address(0), image, 30, 0, 0, 1), 1);
    EXPECT_TRUE(run.report.Status(0).empty());
}

TEST(UpdateProtocol, SilentRunReportsNothingButTheEndPercent) {
    StandinUpdateProfile failing;
    failing.recordError = 3;
    CStandinHarness devices(21, 2, StandinUpdateProfile());
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(30000, 5);
    EXPECT_EQ(run.Load(devices.Address(0), image, 30, 0, 0, 0), 1);
    EXPECT_TRUE(run.report.Status(0).empty());
    EXPECT_TRUE(run.report.Transfers(0).empty());
    // A progress datagram makes a silent run's percent 0, which the end sends.
    EXPECT_EQ(run.report.Progress(0), std::vector<int>{0});

    devices.Device(1).SetProfile(failing);
    EXPECT_EQ(run.Load(devices.Address(1), image, 30, 0, 0, 0), 0);
    EXPECT_TRUE(run.report.Errors(0).empty());
    EXPECT_TRUE(run.report.Status(0).empty());
}

TEST(UpdateProtocol, StopEndsARunWithinItsWaitAndReportsNothing) {
    UpdateTimeouts timeouts;
    timeouts.record = 60000;
    StandinUpdateProfile endless;
    endless.recordEnds = false;
    CStandinHarness devices(22, 1, endless, timeouts);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(6000, 5);
    CStopWhen stopper(run.engine, [&] { return run.report.HasStatus(0, "Starting Record Process..."); });
    EXPECT_EQ(run.Load(devices.Address(0), image), 0);
    EXPECT_LT(stopper.SinceStop(), std::chrono::seconds(3));
    EXPECT_TRUE(run.report.HasStatus(0, "Starting Record Process..."));
    EXPECT_TRUE(run.report.Errors(0).empty());
    const auto progress = run.report.Progress(0);
    EXPECT_EQ(std::count(progress.begin(), progress.end(), -1), 0);
}

// A stream that claims more bytes than it holds, or fails to read after a
// while, as a damaged file would.
class CBrokenImage : public CMemFile {
public:
    CBrokenImage(std::vector<uint8_t>& bytes, ULONGLONG claimed, ULONGLONG failAt)
        : CMemFile(bytes.data(), static_cast<UINT>(bytes.size()), 0), m_claimed(claimed), m_failAt(failAt) {}
    ULONGLONG GetLength() const override { return m_claimed; }
    UINT Read(void* buffer, UINT count) override {
        if (GetPosition() >= m_failAt) AfxThrowFileException(CFileException::genericException);
        return CMemFile::Read(buffer, count);
    }

private:
    ULONGLONG m_claimed;
    ULONGLONG m_failAt;
};

TEST(UpdateProtocol, BrokenImagesFailWithTheReadError) {
    CStandinHarness devices(24, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    std::vector<uint8_t> bytes = RandomBytes(3 * 5120, 2);
    const std::pair<ULONGLONG, ULONGLONG> images[] = {
        {bytes.size() + 100000, ~0ull},  // ends long before its length
        {bytes.size(), 5120 + 512},      // fails in the second window
    };
    for (const auto& [claimed, failAt] : images) {
        SCOPED_TRACE(failAt);
        EngineRun run;
        DeviceConnection connection(devices.Address(0));
        CBrokenImage image(bytes, claimed, failAt);
        EXPECT_EQ(run.engine.LoadAndRecord(connection.client, connection.settings, 0, image, 30, 0, 1, 0), 0);
        EXPECT_EQ(run.report.Errors(0), (std::vector<std::string>{"ERROR reading file", "ERROR Finishing Data Load"}));
        EXPECT_TRUE(devices.Device(0).Loads().back().aborted);
        EXPECT_FALSE(devices.Device(0).Loads().back().recorded);
    }
}

TEST(UpdateProtocol, StopDuringALoadEndsItWithoutAReport) {
    UpdateTimeouts timeouts;
    timeouts.packet = 60000;
    StandinUpdateProfile deaf;
    deaf.ignored = {2};
    for (int length : {11, 9}) {
        SCOPED_TRACE(length);
        deaf.startReplyLength = length;
        CStandinHarness devices(length == 11 ? 25 : 26, 1, deaf, timeouts);
        ASSERT_TRUE(devices.Ok()) << devices.Error();
        EngineRun run;
        std::vector<uint8_t> image = RandomBytes(20000, 5);
        CStopWhen stopper(run.engine, [&] { return devices.Device(0).CountOf(2) > 0; });
        EXPECT_EQ(run.Load(devices.Address(0), image), 0);
        EXPECT_LT(stopper.SinceStop(), std::chrono::seconds(3));
        EXPECT_TRUE(run.report.Errors(0).empty());
        const auto progress = run.report.Progress(0);
        EXPECT_EQ(std::count(progress.begin(), progress.end(), -1), 0);
        // Nothing more is sent once the stop is seen: no abort, no record.
        EXPECT_EQ(devices.Device(0).CountOf(3), 0);
        EXPECT_EQ(devices.Device(0).CountOf(4), 0);
    }
}

// On the first run the time-outs are missing. A run reads them and uses
// their defaults, but writes nothing: a settings write waits for the disk.
// The update creates them with their defaults before its transfers.
TEST(UpdateProtocol, ARunWritesNoSettingsAndTheUpdateCreatesThem) {
    CStandinHarness devices(28, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    ScopedRegistryDir firstRun;
    EngineRun run;
    std::vector<uint8_t> image = RandomBytes(6000, 5);
    ASSERT_EQ(run.Load(devices.Address(0), image), 1);
    EXPECT_FALSE(std::filesystem::exists(firstRun.FilePath()));

    AddSelectedDevices(run.sheet, {devices.Address(0)});
    run.sheet.m_nFamily = 2;
    run.engine.PackageBytes().assign(image.begin(), image.end());
    ASSERT_EQ(run.engine.UpdateDevice(0), 1);
    const std::string settings = firstRun.ReadFile();
    for (const char* value :
         {"\"UpgradePacketTimeout\"=\"5000\"", "\"UpgradeResetTimeout\"=\"60000\"", "\"RecordPacketTimeout2\"=\"120000\""}) {
        EXPECT_NE(settings.find(value), std::string::npos) << value;
    }
}

TEST(UpdateProtocol, CommandsDropForeignAndLateDatagrams) {
    CStandinHarness devices(23, 1);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    DeviceConnection connection(devices.Address(0));
    ASSERT_TRUE(connection.open);
    BYTE reply[UPGRADE_PACKET_MAX];
    // A reset answered, then a restore whose answer carries command 10.
    EXPECT_EQ(engine.ResetDevice(connection.client, connection.settings), 0);
    const BYTE payload[3] = {0, 0, 0};
    const int count =
        engine.SendCommand(connection.client, connection.settings, UPGRADE_RESTORE_DEFAULTS, payload, 3, reply, 1000);
    EXPECT_GT(count, 8);
    EXPECT_EQ(reply[7], UPGRADE_RESTORE_DEFAULTS);
    EXPECT_EQ(devices.Device(0).CountOf(10), 1);
    // Without a reply buffer nothing is awaited: the datagram length.
    EXPECT_EQ(engine.SendCommand(connection.client, connection.settings, UPGRADE_NOTHING_TO_UPGRADE, payload, 3,
                                 nullptr, 5000),
              11);
    EXPECT_EQ(engine.SendPacket(connection.client, connection.settings, -1, nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(CUpdateEngine::IsDevicePacket(reinterpret_cast<const BYTE*>("BRISEL\1\7"), 8), 1);
    EXPECT_EQ(CUpdateEngine::IsDevicePacket(reinterpret_cast<const BYTE*>("BRISEX\1\7"), 8), 0);
}

}  // namespace
