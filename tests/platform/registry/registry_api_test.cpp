#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"

namespace {

const DWORD kReadWrite = KEY_READ | KEY_WRITE;

class RegistryApi : public ::testing::Test {
protected:
    HKEY Create(const char* path, HKEY root = HKEY_CURRENT_USER, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, kReadWrite, nullptr, &key, disposition),
                  ERROR_SUCCESS)
            << path;
        return key;
    }
    LONG Open(const char* path, HKEY* key, REGSAM sam = kReadWrite, HKEY root = HKEY_CURRENT_USER) {
        return RegOpenKeyExA(root, path, 0, sam, key);
    }
    static void SetText(HKEY key, const char* name, const std::string& text) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> Query(HKEY key, const char* name, DWORD* type = nullptr) {
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, type, nullptr, &size), ERROR_SUCCESS) << name;
        std::vector<BYTE> data(size);
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, type, data.data(), &size), ERROR_SUCCESS) << name;
        data.resize(size);
        return data;
    }
    // Names from index 0 until the enumeration ends.
    template <typename Enumerate>
    static std::vector<std::string> Names(Enumerate enumerate) {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0; i < 1000; ++i) {
            DWORD size = sizeof name;
            LONG rc = enumerate(i, name, &size);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            EXPECT_EQ(rc, ERROR_SUCCESS);
            EXPECT_EQ(size, std::strlen(name));
            names.push_back(name);
        }
        return names;
    }
    static std::vector<std::string> SubkeyNames(HKEY key) {
        return Names([key](DWORD i, char* name, DWORD* size) {
            return RegEnumKeyExA(key, i, name, size, nullptr, nullptr, nullptr, nullptr);
        });
    }
    static std::vector<std::string> ValueNames(HKEY key) {
        return Names([key](DWORD i, char* name, DWORD* size) {
            return RegEnumValueA(key, i, name, size, nullptr, nullptr, nullptr, nullptr);
        });
    }

    ScopedRegistryDir dir_;
};

std::vector<BYTE> Bytes(const char* s, size_t n) { return std::vector<BYTE>(s, s + n); }

}  // namespace

TEST_F(RegistryApi, CreateReportsNewThenExistingAndNamesIgnoreCase) {
    DWORD disposition = 0;
    HKEY a = Create("Software\\Brisel\\BriselTrelwin\\", HKEY_CURRENT_USER, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY b = Create("SOFTWARE\\brisel\\BRISELTRELWIN", HKEY_CURRENT_USER, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    SetText(a, "Name", "x");
    EXPECT_EQ(Query(b, "NAME"), Bytes("x", 2));

    HKEY software;
    ASSERT_EQ(Open("software", &software), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(software), std::vector<std::string>{"Brisel"});  // the case of creation
    SetText(b, "name", "y");
    EXPECT_EQ(ValueNames(a), std::vector<std::string>{"Name"});
    for (HKEY k : {a, b, software}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

TEST_F(RegistryApi, OpeningAMissingKeyFailsAndCreatesNothing) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(Open("Software\\Missing", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir_.FilePath()));
}

TEST_F(RegistryApi, ReadsDoNotCreateTheFolder) {
    std::string folder = dir_.Path() + "/not/yet";
    setenv("TRELWIN_REGISTRY_DIR", folder.c_str(), 1);
    HKEY key;
    EXPECT_EQ(Open("Software", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(folder));
    key = Create("Software");
    EXPECT_TRUE(std::filesystem::exists(folder + "/HKEY_CURRENT_USER.reg"));
    RegCloseKey(key);
}

TEST_F(RegistryApi, TextKeepsExactlyTheBytesTheCallerCounted) {
    HKEY key = Create("K");
    ASSERT_EQ(RegSetValueExA(key, "with", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "without", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(Query(key, "with", &type), Bytes("abc", 4));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Query(key, "without"), Bytes("abc", 3));
    EXPECT_TRUE(Query(key, "empty").empty());
    EXPECT_EQ(RegSetValueExA(key, "bad", 0, REG_SZ, nullptr, 5), ERROR_NOACCESS);

    dir_.ForceReread();
    EXPECT_EQ(Query(key, "with"), Bytes("abc", 4));
    EXPECT_EQ(Query(key, "without"), Bytes("abc", 3));
    EXPECT_TRUE(Query(key, "empty").empty());
    RegCloseKey(key);
}

TEST_F(RegistryApi, QueryReportsTheNeededSize) {
    HKEY key = Create("K");
    SetText(key, "v", "0123456789");
    char buf[32];
    DWORD size = 4, type = 0;
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(buf[0], 'z');  // nothing written
    size = 11;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "0123456789");
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryApi, EveryTypeSurvivesARereadOfTheFile) {
    HKEY key = Create("Types");
    DWORD d = 0xdeadbeef;
    std::vector<BYTE> large(1 << 20);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<BYTE>(i ^ (i >> 8));
    std::string odd = "quote\" back\\slash\nnew line \xe9\xff\x01 end";
    ASSERT_EQ(RegSetValueExA(key, "dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "large", 0, REG_BINARY, large.data(), static_cast<DWORD>(large.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    SetText(key, "odd", odd);
    SetText(key, nullptr, "default");
    const BYTE multi[] = {'a', 0, 'b', 0, 0};
    ASSERT_EQ(RegSetValueExA(key, "multi", 0, REG_MULTI_SZ, multi, sizeof multi), ERROR_SUCCESS);

    dir_.ForceReread();
    DWORD type = 0;
    EXPECT_EQ(Query(key, "dword", &type), Bytes(reinterpret_cast<char*>(&d), 4));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Query(key, "large", &type), large);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_TRUE(Query(key, "empty", &type).empty());
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(Query(key, "odd"), Bytes(odd.c_str(), odd.size() + 1));
    EXPECT_EQ(Query(key, ""), Bytes("default", 8));
    EXPECT_EQ(Query(key, "multi", &type), Bytes(reinterpret_cast<const char*>(multi), sizeof multi));
    EXPECT_EQ(type, REG_MULTI_SZ);
    RegCloseKey(key);
}

TEST_F(RegistryApi, TheFileIsPlainRegedit4) {
    HKEY key = Create("Software\\Brisel\\BriselTrelwin");
    SetText(key, "DiscoverDevicesTimeout", "2");
    DWORD ten = 10;
    RegSetValueExA(key, "n", 0, REG_DWORD, reinterpret_cast<BYTE*>(&ten), 4);
    RegCloseKey(key);
    EXPECT_EQ(dir_.ReadFile(),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brisel]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"
              "\"DiscoverDevicesTimeout\"=\"2\"\n"
              "\"n\"=dword:0000000a\n\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.FilePath("HKEY_LOCAL_MACHINE")));
}

TEST_F(RegistryApi, EnumerationOrderIsDefinedAndStable) {
    HKEY key = Create("E");
    for (const char* name : {"delta", "Alpha", "charlie", "Bravo"}) RegCloseKey(Create(name, key));
    for (const char* name : {"z", "a", "M"}) SetText(key, name, name);
    SetText(key, "A", "again");  // an update keeps the value's place
    const std::vector<std::string> keys{"Alpha", "Bravo", "charlie", "delta"};
    const std::vector<std::string> values{"z", "a", "M"};
    EXPECT_EQ(SubkeyNames(key), keys);
    EXPECT_EQ(ValueNames(key), values);
    dir_.ForceReread();
    EXPECT_EQ(SubkeyNames(key), keys);
    EXPECT_EQ(ValueNames(key), values);
    RegCloseKey(key);
}

TEST_F(RegistryApi, EnumerationBuffersTooSmall) {
    HKEY key = Create("E");
    RegCloseKey(Create("LongName", key));
    SetText(key, "value", "0123456789");
    char name[64];
    DWORD size = 8;  // 8 characters need 9 with the terminator
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = 9;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    size = 5;
    DWORD dataSize = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, &dataSize), ERROR_MORE_DATA);
    size = sizeof name;
    DWORD type = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(dataSize, 11u);
    EXPECT_EQ(type, REG_SZ);
    BYTE data[4];
    dataSize = sizeof data;
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 11u);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryApi, DeletingAKeyTakesItsSubtreeAndFailsItsHandles) {
    HKEY top = Create("Top");
    HKEY deep = Create("Top\\Mid\\Deep");
    SetText(deep, "v", "x");
    HKEY other = Create("Other");
    HKEY mid;
    ASSERT_EQ(Open("Top\\Mid", &mid), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "top"), ERROR_SUCCESS);
    HKEY probe;
    EXPECT_EQ(Open("Top\\Mid\\Deep", &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("Top", &probe), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    char name[16];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegQueryValueExA(deep, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyExA(mid, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);

    // A new key of the same name is not the deleted one.
    HKEY again = Create("Top\\Mid\\Deep");
    SetText(again, "v", "new");
    EXPECT_EQ(RegSetValueExA(deep, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyExA(top, "Sub", 0, nullptr, 0, kReadWrite, nullptr, &probe, nullptr), ERROR_KEY_DELETED);

    SetText(other, "still", "here");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Top"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Top"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    dir_.ForceReread();
    EXPECT_EQ(Open("Top", &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SubkeyNames(HKEY_CURRENT_USER), std::vector<std::string>{"Other"});
    for (HKEY k : {top, deep, mid, again, other}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

TEST_F(RegistryApi, DeleteValue) {
    HKEY key = Create("K");
    SetText(key, "a", "1");
    EXPECT_EQ(RegDeleteValueA(key, "A"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "a"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(ValueNames(key).empty());
    RegCloseKey(key);
}

TEST_F(RegistryApi, AccessRightsOfTheHandleAreEnforced) {
    RegCloseKey(Create("K\\Sub"));
    HKEY reader, queryOnly, sub;
    ASSERT_EQ(Open("K", &reader, KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(Open("K", &queryOnly, KEY_QUERY_VALUE), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(reader, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(reader, "New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(reader, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    char name[16];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(queryOnly, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    HKEY all;
    ASSERT_EQ(Open("K", &all, MAXIMUM_ALLOWED), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(all, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    for (HKEY k : {reader, queryOnly, all}) RegCloseKey(k);
}

TEST_F(RegistryApi, ClosedAndUnknownHandlesAreInvalid) {
    HKEY key = Create("K");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(reinterpret_cast<HKEY>(0x1234567), "v", 0, REG_SZ, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, BadNamesAreRefused) {
    HKEY key;
    std::string longName(256, 'k');
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, longName.c_str(), 0, nullptr, 0, kReadWrite, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\nb", 0, nullptr, 0, kReadWrite, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    key = Create(std::string(255, 'k').c_str());
    EXPECT_EQ(RegSetValueExA(key, "line\nbreak", 0, REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryApi, OtherRootsAreEmptyAndReadOnly) {
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, KEY_QUERY_VALUE, &key), ERROR_FILE_NOT_FOUND);
    char buf[260];
    LONG size = sizeof buf;
    EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", buf, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyExA(HKEY_USERS, "x", 0, nullptr, 0, kReadWrite, nullptr, &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(HKEY_CLASSES_ROOT, "v", 0, REG_SZ, nullptr, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_CONFIG, "x"), ERROR_FILE_NOT_FOUND);
    DWORD cch = sizeof buf;
    EXPECT_EQ(RegEnumKeyExA(HKEY_CLASSES_ROOT, 0, buf, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_F(RegistryApi, QueryValueReadsTheDefaultOfASubkey) {
    HKEY key = Create(".htm");
    char buf[32];
    LONG size = sizeof buf;
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, ".htm", buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1);
    EXPECT_STREQ(buf, "");
    SetText(key, "", "htmlfile");
    size = 4;
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, ".htm", buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueA(key, nullptr, buf, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "htmlfile");
    RegCloseKey(key);
}

TEST_F(RegistryApi, RootsAreSeparateFiles) {
    HKEY user = Create("Software\\Same");
    HKEY machine = Create("Software\\Same", HKEY_LOCAL_MACHINE);
    SetText(user, "who", "user");
    SetText(machine, "who", "machine");
    EXPECT_EQ(Query(user, "who"), Bytes("user", 5));
    EXPECT_EQ(Query(machine, "who"), Bytes("machine", 8));
    EXPECT_NE(dir_.ReadFile("HKEY_LOCAL_MACHINE").find("[HKEY_LOCAL_MACHINE\\Software\\Same]"), std::string::npos);
    RegCloseKey(user);
    RegCloseKey(machine);
}

TEST(RegistryFolderChoice, FollowsTheEnvironment) {
    ScopedRegistryDir base;
    unsetenv("TRELWIN_REGISTRY_DIR");
    std::string xdg = base.Path() + "/xdg";
    std::string home = base.Path() + "/home";
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(xdg + "/BriselTrelwin/HKEY_CURRENT_USER.reg"));

    unsetenv("XDG_CONFIG_HOME");
    const char* oldHome = getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "B", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(home + "/.config/BriselTrelwin/HKEY_CURRENT_USER.reg"));
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}
