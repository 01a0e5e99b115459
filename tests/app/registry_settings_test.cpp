#include "app/registry_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "common/base/registry_helpers.h"
#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"

namespace {

const char kKey[] = "Software\\Brisel\\BriselTrelwin";

struct Stored {
    DWORD type = 0;
    std::string data;
    bool found = false;
};

Stored ReadStored(const char* name) {
    Stored s;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
    char buf[64];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(key, name, nullptr, &s.type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
        s.found = true;
        s.data.assign(buf, size);
    }
    RegCloseKey(key);
    return s;
}

void StoreRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace

TEST(RegistrySettings, MissingNumbersAreWrittenWithTheirDefaults) {
    ScopedRegistryDir dir;
    struct {
        const char* name;
        int value;
        const char* text;
    } defaults[] = {{"DiscoverDevicesTimeout", 2, "2"},
                    {"DiscoverManualDevicesTimeout", 5, "5"},
                    {"UpgradePacketTimeout", 5000, "5000"},
                    {"UpgradeResetTimeout", 60000, "60000"},
                    {"RecordPacketTimeout2", 120000, "120000"}};
    for (const auto& d : defaults) {
        EXPECT_EQ(ReadRegistryInt(d.name, d.value), d.value);
        Stored s = ReadStored(d.name);
        EXPECT_TRUE(s.found) << d.name;
        EXPECT_EQ(s.type, REG_SZ);
        EXPECT_EQ(s.data, std::string(d.text) + '\0');
    }
    EXPECT_NE(dir.ReadFile().find("\"DiscoverDevicesTimeout\"=\"2\"\n"), std::string::npos);
    // An existing value is not replaced by the default.
    EXPECT_EQ(ReadRegistryInt("DiscoverDevicesTimeout", 9), 2);
}

TEST(RegistrySettings, NumbersAreTheLeadingDigits) {
    ScopedRegistryDir dir;
    struct {
        const char* text;
        int value;
    } cases[] = {{"3 seconds", 3}, {"abc", 0},  {"", 0},  {"  42", 42}, {"-5", -5},
                 {"+7x", 7},       {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
    for (const auto& c : cases) {
        WriteRegistryString(c.text, "UpgradePacketTimeout");
        EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), c.value) << c.text;
    }
    DWORD number = 250;
    StoreRaw("UpgradePacketTimeout", REG_DWORD, &number, 4);
    EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), 250);
    StoreRaw("UpgradePacketTimeout", REG_SZ, "77", 2);  // stored without its terminator
    EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), 77);
}

TEST(RegistrySettings, AChangeMadeOutsideCountsAtTheNextRead) {
    ScopedRegistryDir dir;
    EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), 5000);
    std::string text = dir.ReadFile();
    size_t at = text.find("\"5000\"");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 6, "\"120\"");
    dir.WriteFile(text);
    EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), 120);
}

TEST(RegistrySettings, StringsRoundTripWhole) {
    ScopedRegistryDir dir;
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), "");
    EXPECT_FALSE(ReadStored("ListDeviceManualFlash").found);  // reading does not create it
    WriteRegistryString("192.168.1.10;dev-7:80;", "ListDeviceManualFlash");
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), "192.168.1.10;dev-7:80;");
    std::string longText;
    for (int i = 0; i < 100; ++i) longText += "10.0.0." + std::to_string(i) + ";";
    ASSERT_GT(longText.size(), 255u);
    WriteRegistryString(longText.c_str(), "ListDeviceManualFlash");
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), longText.c_str());
    WriteRegistryString("", "ListDeviceManualFlash");
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), "");
}

TEST(RegistrySettings, AnUnusableRegistryGivesTheDefaults) {
    ScopedRegistryDir dir;
    dir.WriteFile("not a folder", "blocker");
    std::string unusable = dir.FilePath("blocker") + "/registry";
    setenv("TRELWIN_REGISTRY_DIR", unusable.c_str(), 1);
    EXPECT_EQ(ReadRegistryInt("DiscoverDevicesTimeout", 2), 2);
    EXPECT_EQ(ReadRegistryInt("UpgradeResetTimeout", 60000), 60000);
    WriteRegistryString("x", "ListDeviceManualFlash");
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), "");
}

TEST(RegistrySettings, OldMachineSettingsAreFoundAfterTheMove) {
    ScopedRegistryDir dir;
    HKEY old;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &old, nullptr), ERROR_SUCCESS);
    RegSetValueExA(old, "UpgradePacketTimeout", 0, REG_SZ, reinterpret_cast<const BYTE*>("1500"), 5);
    RegSetValueExA(old, "ListDeviceManualFlash", 0, REG_SZ, reinterpret_cast<const BYTE*>("10.1.1.1"), 9);
    RegCloseKey(old);
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 1);
    EXPECT_EQ(ReadRegistryInt("UpgradePacketTimeout", 5000), 1500);
    EXPECT_STREQ(ReadRegistryString("ListDeviceManualFlash"), "10.1.1.1");
}

TEST(RegistrySettings, WorkersReadWhileTheUserWrites) {
    ScopedRegistryDir dir;
    WriteRegistryString("100", "UpgradePacketTimeout");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 6; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < 200 && !stop; ++i) {
                int v = ReadRegistryInt("UpgradePacketTimeout", 5000);
                if (v != 100 && v != 200) ++bad;
            }
        });
    }
    for (int i = 0; i < 40; ++i) WriteRegistryString(i % 2 ? "100" : "200", "UpgradePacketTimeout");
    stop = true;
    for (auto& w : workers) w.join();
    EXPECT_EQ(bad.load(), 0);
}
