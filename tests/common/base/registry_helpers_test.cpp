#include "common/base/registry_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
    // Values without data are not copied.
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, app, "Empty").found);
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, app, "EmptyBinary").found);
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

// The rules of the move, one settings file pair at a time: the machine's and
// the user's files as a person would write them, the call, and both files
// as they must read afterwards ("" for a file that must not exist).
TEST(MoveRegistryKeyFiles, EachRuleFileByFile) {
    struct Case {
        const char* name;
        const char* machineIn;
        const char* userIn;  // nullptr: no file
        const char* parent;
        const char* key;
        int result;
        const char* machineOut;
        const char* userOut;
    };
    const Case cases[] = {
        {"the key with its values and subkeys at every depth; its neighbours stay",
         "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin]\n"
         "\"DiscoverDevicesTimeout\"=\"7\"\n"
         "\"Number\"=dword:0000000a\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\Page\\-1\\Columnas]\n"
         "\"nColumnas\"=\"5\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin2]\n\"near\"=\"name\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\Other]\n\"kept\"=\"yes\"\n",
         nullptr, "Software\\Brisel\\", "BriselTrelwin", 1,
         "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin2]\n\"near\"=\"name\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Brisel\\Other]\n\"kept\"=\"yes\"\n\n",
         "REGEDIT4\n\n"
         "[HKEY_CURRENT_USER\\Software]\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel]\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"
         "\"DiscoverDevicesTimeout\"=\"7\"\n"
         "\"Number\"=dword:0000000a\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin\\CBriselListCtrl]\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\Page]\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\Page\\-1]\n\n"
         "[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin\\CBriselListCtrl\\Page\\-1\\Columnas]\n"
         "\"nColumnas\"=\"5\"\n\n"},
        {"values without data stay behind and go with the source; an empty text has its zero",
         "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\A\\K]\n"
         "\"NoBytes\"=hex:\n"
         "\"NoText\"=hex(1):\n"
         "\"EmptyText\"=\"\"\n"
         "@=hex(7):61,00,00\n"
         "\"Expand\"=hex(2):25,00\n\n"
         "[HKEY_LOCAL_MACHINE\\A\\K\\Sub]\n\"Nothing\"=hex(4):\n",
         nullptr, "A\\", "K", 1, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\n",
         "REGEDIT4\n\n"
         "[HKEY_CURRENT_USER\\A]\n\n"
         "[HKEY_CURRENT_USER\\A\\K]\n"
         "\"EmptyText\"=\"\"\n"
         "@=hex(7):61,00,00\n"
         "\"Expand\"=hex(2):25,00\n\n"
         "[HKEY_CURRENT_USER\\A\\K\\Sub]\n\n"},
        {"over the user's key: same names replaced keeping their case, new ones after, the user's own kept",
         "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\S\\App]\n\"New\"=\"n\"\n\"Timeout\"=\"7\"\n\"Same\"=\"s\"\n\n"
         "[HKEY_LOCAL_MACHINE\\S\\App\\Columnas]\n\"w\"=\"9\"\n\"x\"=\"8\"\n\n"
         "[HKEY_LOCAL_MACHINE\\S\\App\\Zeta]\n\n",
         "REGEDIT4\n\n"
         "[HKEY_CURRENT_USER\\S\\App]\n\"userOnly\"=\"u\"\n\"timeout\"=\"2\"\n\"Same\"=\"s\"\n\n"
         "[HKEY_CURRENT_USER\\S\\App\\columnas]\n\"w\"=\"1\"\n\"mine\"=dword:00000001\n\n"
         "[HKEY_CURRENT_USER\\S\\App\\Alpha]\n\"a\"=\"1\"\n\n",
         "S\\", "App", 1, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S]\n\n",
         "REGEDIT4\n\n"
         "[HKEY_CURRENT_USER\\S\\App]\n\"userOnly\"=\"u\"\n\"timeout\"=\"7\"\n\"Same\"=\"s\"\n\"New\"=\"n\"\n\n"
         "[HKEY_CURRENT_USER\\S\\App\\Alpha]\n\"a\"=\"1\"\n\n"
         "[HKEY_CURRENT_USER\\S\\App\\columnas]\n\"w\"=\"9\"\n\"mine\"=dword:00000001\n\"x\"=\"8\"\n\n"
         "[HKEY_CURRENT_USER\\S\\App\\Zeta]\n\n"},
        {"a key only in the user's file: nothing moves, neither file is written",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S\\Other]\n\"v\"=\"1\"\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\S\\App]\n\"v\"=\"user\"\n", "S\\", "App", 0,
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S\\Other]\n\"v\"=\"1\"\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\S\\App]\n\"v\"=\"user\"\n"},
        {"no machine file at all", nullptr, nullptr, "S\\", "App", 0, "", ""},
        {"names in other cases than the files', a parent without its last backslash",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\BRISEL]\n\"stays\"=\"1\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\BRISEL\\BriselTrelwin]\n\"v\"=\"m\"\n",
         nullptr, "software\\brisel", "briseltrelwin", 1,
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\BRISEL]\n\"stays\"=\"1\"\n\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\software]\n\n[HKEY_CURRENT_USER\\software\\brisel]\n\n"
         "[HKEY_CURRENT_USER\\software\\brisel\\briseltrelwin]\n\"v\"=\"m\"\n\n"},
        {"a key with no values and only empty subkeys",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K\\B]\n\n[HKEY_LOCAL_MACHINE\\K\\A]\n\"gone\"=hex:\n", nullptr, "", "K", 1,
         "REGEDIT4\n\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\n[HKEY_CURRENT_USER\\K\\A]\n\n[HKEY_CURRENT_USER\\K\\B]\n\n"},
        {"the same data already in the user's file: the user's file is not rewritten",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S\\App]\n\"v\"=\"1\"\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\S\\App]\n\"V\"=\"1\"\n\"w\"=\"2\"\n", "S\\", "App", 1,
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S]\n\n",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\S\\App]\n\"V\"=\"1\"\n\"w\"=\"2\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        if (c.machineIn) dir.WriteFile(c.machineIn, "HKEY_LOCAL_MACHINE");
        if (c.userIn) dir.WriteFile(c.userIn);
        EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, c.parent, c.key), c.result);
        EXPECT_EQ(dir.ReadFile("HKEY_LOCAL_MACHINE"), c.machineOut);
        EXPECT_EQ(dir.ReadFile(), c.userOut);
    }
}

// Where the tree cannot be written, or would be written over itself, the
// source stays as it was, byte for byte, and the call still says it was
// there.
TEST(MoveRegistryKeyFiles, TheSourceStaysWhereTheCopyCannotGo) {
    const std::string machine = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S\\App]\n\"v\"=\"1\"\n\n[HKEY_LOCAL_MACHINE\\S\\App\\Sub]\n";
    struct Case {
        const char* name;
        HKEY dest;
        bool fifoForUser;
    };
    const Case cases[] = {
        {"the user's file is a FIFO", HKEY_CURRENT_USER, true},
        {"a root that takes no keys", HKEY_USERS, false},
        {"the same root: onto itself", HKEY_LOCAL_MACHINE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        dir.WriteFile(machine, "HKEY_LOCAL_MACHINE");
        if (c.fifoForUser) {
            ASSERT_EQ(mkfifo(dir.FilePath().c_str(), 0600), 0);
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, c.dest, "S\\", "App"), 1);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(dir.ReadFile("HKEY_LOCAL_MACHINE"), machine);
        EXPECT_EQ(std::filesystem::symlink_status(dir.FilePath()).type(),
                  c.fifoForUser ? std::filesystem::file_type::fifo : std::filesystem::file_type::not_found);
    }
}

TEST(MoveRegistryKeyFiles, HandlesOpenOnTheMovedKeyFailAfterwards) {
    ScopedRegistryDir dir;
    dir.WriteFile("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\S\\App\\Sub]\n\"v\"=\"1\"\n", "HKEY_LOCAL_MACHINE");
    HKEY sub, parent;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "S\\App\\Sub", 0, KEY_READ, &sub), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "S", 0, KEY_READ, &parent), ERROR_SUCCESS);
    EXPECT_EQ(MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "S\\", "App"), 1);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(sub, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    char name[MAX_REG_KEY_NAME + 1];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(sub);
    RegCloseKey(parent);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "S\\App\\Sub", "v").data, Text("1"));
}
