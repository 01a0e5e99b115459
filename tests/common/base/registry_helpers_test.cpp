#include "common/base/registry_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/registry/registry_test_dir.h"

namespace {

HKEY CreateKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    return key;
}

void SetValue(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Type and data of a value, or type REG_NONE + "missing" marker.
struct Stored {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool found = false;
};

Stored Read(HKEY root, const char* path, const char* name) {
    Stored s;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
        s.data.resize(size);
        s.found = RegQueryValueExA(key, name, nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return s;
}

std::vector<BYTE> Text(const char* s) { return std::vector<BYTE>(s, s + std::strlen(s) + 1); }

}  // namespace

class MoveRegistryKeyTest : public ::testing::Test {
protected:
    // An old installation's settings under the machine root.
    void MakeSource() {
        HKEY app = CreateKey(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin");
        SetValue(app, "DiscoverDevicesTimeout", REG_SZ, Text("7"));
        SetValue(app, "Empty", REG_SZ, {});
        SetValue(app, "EmptyBinary", REG_BINARY, {});
        SetValue(app, "Number", REG_DWORD, {1, 2, 3, 4});
        SetValue(app, "Large", REG_BINARY, large_);
        SetValue(app, "", REG_SZ, Text("default"));
        std::string longName(300, 'n');
        SetValue(app, longName.c_str(), REG_MULTI_SZ, {'a', 0, 0});
        HKEY deep = CreateKey(app, "CBriselListCtrl\\PropertyPageDiscover\\-1\\Columnas");
        SetValue(deep, "nColumnas", REG_SZ, Text("5"));
        RegCloseKey(CreateKey(app, "EmptyKey"));
        RegCloseKey(deep);
        RegCloseKey(app);
        HKEY sibling = CreateKey(HKEY_LOCAL_MACHINE, "Software\\Brisel\\Other");
        RegCloseKey(sibling);
    }

    ScopedRegistryDir dir_;
    std::vector<BYTE> large_ = std::vector<BYTE>(300000, 0x5a);
};

TEST_F(MoveRegistryKeyTest, MovesTheWholeTreeToTheUser) {
    MakeSource();
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 1);

    const char* app = "Software\\Brisel\\BriselTrelwin";
    EXPECT_EQ(Read(HKEY_CURRENT_USER, app, "DiscoverDevicesTimeout").data, Text("7"));
    Stored empty = Read(HKEY_CURRENT_USER, app, "Empty");
    EXPECT_TRUE(empty.found);
    EXPECT_EQ(empty.type, REG_SZ);
    EXPECT_TRUE(empty.data.empty());
    Stored emptyBinary = Read(HKEY_CURRENT_USER, app, "EmptyBinary");
    EXPECT_TRUE(emptyBinary.found);
    EXPECT_EQ(emptyBinary.type, REG_BINARY);
    Stored number = Read(HKEY_CURRENT_USER, app, "Number");
    EXPECT_EQ(number.type, REG_DWORD);
    EXPECT_EQ(number.data, (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, app, "Large").data, large_);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, app, "").data, Text("default"));
    EXPECT_TRUE(Read(HKEY_CURRENT_USER, app, std::string(300, 'n').c_str()).found);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\PropertyPageDiscover\\-1\\Columnas",
                   "nColumnas")
                  .data,
              Text("5"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin\\EmptyKey"));

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, app));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Brisel\\Other"));
    // The move is done once: a second start finds nothing to move.
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 0);
}

TEST_F(MoveRegistryKeyTest, UserValuesOfTheSameNameAreReplacedOthersKept) {
    MakeSource();
    HKEY user = CreateKey(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin");
    SetValue(user, "DiscoverDevicesTimeout", REG_SZ, Text("2"));
    SetValue(user, "UserOnly", REG_SZ, Text("u"));
    RegCloseKey(user);
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel", "BriselTrelwin"), 1);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", "DiscoverDevicesTimeout").data, Text("7"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", "UserOnly").data, Text("u"));
}

TEST_F(MoveRegistryKeyTest, AKeyOnlyInTheDestinationIsLeftAlone) {
    HKEY user = CreateKey(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin");
    SetValue(user, "v", REG_SZ, Text("x"));
    RegCloseKey(user);
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 0);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", "v").data, Text("x"));
    EXPECT_FALSE(std::filesystem::exists(dir_.FilePath("HKEY_LOCAL_MACHINE")));
}

TEST_F(MoveRegistryKeyTest, TheSourceStaysWhenTheCopyFails) {
    MakeSource();
    // The destination file cannot be written: its temporary name is taken.
    std::filesystem::create_directory(dir_.FilePath() + ".tmp");
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 1);
    EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin", "DiscoverDevicesTimeout").found);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\PropertyPageDiscover"));

    // A root that takes no keys at all.
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, "Software\\Brisel\\", "BriselTrelwin"), 1);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin"));

    std::filesystem::remove(dir_.FilePath() + ".tmp");
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin"), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin"));
}

TEST_F(MoveRegistryKeyTest, CopySubkeysReportsTheEndOfTheEnumeration) {
    MakeSource();
    HKEY source;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brisel", 0, KEY_READ, &source), ERROR_SUCCESS);
    char name[MAX_REG_KEY_NAME + 1];
    EXPECT_EQ(CopyRegistrySubkeys(source, "Copy\\", HKEY_CURRENT_USER, name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(CopyRegistrySubkeys(source, "Copy\\", HKEY_USERS, name), ERROR_CANTWRITE);
    RegCloseKey(source);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Copy\\BriselTrelwin\\CBriselListCtrl\\PropertyPageDiscover\\-1\\Columnas"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Copy\\Other"));
}
