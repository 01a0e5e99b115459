// The stand-in program playing its devices on several threads: the engine
// updates every device, each records the whole package, and a stop ends
// the program cleanly.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/app/update/update_harness.h"

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(StandinThreads, EveryDeviceOfEveryThreadRecordsThePackage) {
    const int kDevices = 6;
    ScopedRegistryDir registry;
    CStandinHarness::SetTimeouts(UpdateTimeouts());
    const std::filesystem::path dump =
        std::filesystem::temp_directory_path() / ("standin-threads-" + std::to_string(getpid()));
    std::filesystem::create_directories(dump);
    std::vector<std::string> arguments = {TRELWIN_STANDIN_PATH, "--quiet", "--threads", "3"};
    std::vector<std::string> addresses;
    for (int i = 1; i <= kDevices; ++i) {
        addresses.push_back(CStandinHarness::DeviceAddress(200, i));
        arguments.push_back("--device");
        arguments.push_back(addresses.back() + " record-steps=1 record-pace=0 dump=" + dump.string() +
                            (i % 2 == 0 ? " load=plain" : ""));
    }
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t standin = 0;
    ASSERT_EQ(posix_spawn(&standin, argv[0], nullptr, nullptr, argv.data(), environ), 0);

    CWizardState sheet;
    sheet.m_nFamily = 2;
    sheet.m_strPackagePath = "/p/fw_v1.0.0.zpk";
    for (const std::string& address : addresses) {
        auto* device = new _TDevice;
        device->m_strIPAddress = address.c_str();
        device->m_nUDPPort = 50013;
        device->m_nSelected = 1;
        sheet.m_devices.Add(device);
    }
    CRecordingReport report;
    CUpdateEngine engine(sheet, report);
    const std::vector<uint8_t> bytes = RandomBytes(40000, 6);
    const std::string package(bytes.begin(), bytes.end());
    engine.PackageBytes() = package;
    // The program binds its devices soon after it starts; the reset waits
    // for them (the reset time-out of this registry is a second).
    CStandinHarness::SetTimeouts(UpdateTimeouts{1000, 3000, 2000});
    std::vector<int> results(kDevices, -1);
    std::vector<std::thread> workers;
    for (int i = 0; i < kDevices; ++i)
        workers.emplace_back([&, i] { results[static_cast<size_t>(i)] = engine.UpdateDevice(i); });
    for (auto& worker : workers) worker.join();

    kill(standin, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(standin, &status, 0), standin);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 0; i < kDevices; ++i) {
        SCOPED_TRACE(addresses[static_cast<size_t>(i)]);
        EXPECT_EQ(results[static_cast<size_t>(i)], 1);
        EXPECT_EQ(ReadFile((dump / (addresses[static_cast<size_t>(i)] + "-1.bin")).string()), package);
    }
    std::filesystem::remove_all(dump);
}

}  // namespace
