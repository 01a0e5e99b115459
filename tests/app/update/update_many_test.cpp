// Many devices updated at once, each by its own thread with its own socket,
// through one engine, as the progress page runs them.
#include <gtest/gtest.h>

#include "tests/app/update/update_harness.h"

#include "tools/package_maker/package_maker.h"

namespace {

const int kDevices = 32;

TEST(UpdateMany, ThirtyTwoDevicesEachGetTheirOwnImage) {
    CStandinHarness devices(1, kDevices);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    // Every other device loads in plain mode.
    for (int i = 1; i < kDevices; i += 2) {
        StandinUpdateProfile plain;
        plain.startReplyLength = 9;
        devices.Device(i).SetProfile(plain);
    }
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    std::vector<std::vector<uint8_t>> images;
    for (int i = 0; i < kDevices; ++i)
        images.push_back(RandomBytes(static_cast<size_t>(40000 + i * 7919), static_cast<uint32_t>(i)));
    std::vector<int> results(kDevices, -1);
    std::vector<std::thread> workers;
    for (int i = 0; i < kDevices; ++i) {
        workers.emplace_back([&, i] {
            DeviceConnection connection(devices.Address(i));
            auto stream = ImageStream(images[static_cast<size_t>(i)]);
            results[static_cast<size_t>(i)] =
                engine.LoadAndRecord(connection.client, connection.settings, i, *stream, 30, 0, 1, 0);
        });
    }
    for (auto& worker : workers) worker.join();
    for (int i = 0; i < kDevices; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[static_cast<size_t>(i)], 1);
        const auto loads = devices.Device(i).Loads();
        ASSERT_EQ(loads.size(), 1u);
        EXPECT_EQ(loads[0].windowMode, i % 2 == 0);
        EXPECT_EQ(loads[0].bytes, images[static_cast<size_t>(i)]);
        EXPECT_TRUE(report.Errors(i).empty());
        EXPECT_EQ(report.Status(i).back(), "Recording 3/3...");
    }
}

TEST(UpdateMany, ParallelUpdatesOfTheSheetsDevices) {
    CStandinHarness devices(2, kDevices);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    image.sections.push_back(package_maker::MakeSection(0x0105, 1, "02.0.0", std::string(200000, 'a')));
    const std::string package = package_maker::BuildImage(image);

    CWizardState sheet;
    sheet.m_nFamily = 2;
    sheet.m_strPackagePath = "/p/fw_v1.0.0.zpk";
    std::vector<std::string> addresses;
    for (int i = 0; i < kDevices; ++i) addresses.push_back(devices.Address(i));
    AddSelectedDevices(sheet, addresses);
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    engine.PackageBytes() = package;
    std::vector<int> results(kDevices, -1);
    std::vector<std::thread> workers;
    for (int i = 0; i < kDevices; ++i)
        workers.emplace_back([&, i] { results[static_cast<size_t>(i)] = engine.UpdateDevice(i); });
    for (auto& worker : workers) worker.join();
    for (int i = 0; i < kDevices; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[static_cast<size_t>(i)], 1);
        ASSERT_EQ(devices.Device(i).Loads().size(), 1u);
        EXPECT_EQ(devices.Device(i).Loads()[0].bytes, ToBytes(package));
    }
}

TEST(UpdateMany, StopEndsEveryRunSoon) {
    UpdateTimeouts timeouts;
    timeouts.packet = 5000;
    timeouts.reset = 60000;
    StandinUpdateProfile silent;
    silent.silent = true;
    CStandinHarness devices(3, 8, silent, timeouts);
    ASSERT_TRUE(devices.Ok()) << devices.Error();
    CWizardState sheet;
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    std::vector<std::thread> workers;
    std::vector<int> results(8, -1);
    std::vector<uint8_t> image = RandomBytes(1000, 1);
    for (int i = 0; i < 8; ++i) {
        workers.emplace_back([&, i] {
            DeviceConnection connection(devices.Address(i));
            std::vector<uint8_t> own = image;
            auto stream = ImageStream(own);
            results[static_cast<size_t>(i)] =
                engine.LoadAndRecord(connection.client, connection.settings, i, *stream, 30, 0, 1, 0);
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    engine.RequestStop();
    for (auto& worker : workers) worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(results[static_cast<size_t>(i)], 0);
        EXPECT_TRUE(report.Errors(i).empty());
    }
}

}  // namespace
