// Settings files made to hurt: deep keys, things that are not files, files
// too large, set-aside names already taken, names given twice. Each must end
// in a clear message and a registry that goes on working, never in a crash,
// a wait or a file that grows without bound.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"
#include "tests/platform/registry/registry_text.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const char* path, const char* name) { return ReadText(HKEY_CURRENT_USER, path, name); }

LONG WriteText(const std::string& path, const char* name, const std::string& text) {
    return WriteText(HKEY_CURRENT_USER, path.c_str(), name, text);
}

std::vector<std::string> AsideCopies(const ScopedRegistryDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        const std::string name = entry.path().string();
        if (name.find(".corrupt-") != std::string::npos) names.push_back(name);
    }
    return names;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "[HKEY_CURRENT_USER\k\k...\k]" with the given number of levels.
std::string DeepKeyLine(int levels) {
    std::string line = "[HKEY_CURRENT_USER";
    for (int i = 0; i < levels; ++i) line += "\\k";
    return line + "]\n";
}

// Runs the registry call on a thread of its own and waits at most five
// seconds; a call that hangs on a FIFO is freed by opening the FIFO's other
// end, and the case fails.
std::string ReadWithin5s(const std::string& fifoToFree) {
    auto read = std::async(std::launch::async, [] { return ReadText("A", "v"); });
    if (read.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return read.get();
    int fd = open(fifoToFree.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
    read.wait();
    return "<hung>";
}

}  // namespace

// Each file is put where the settings file goes; the program then reads a
// value and writes one. A file set aside is kept whole beside the place,
// and the program starts afresh; a thing that is not a file is left alone
// and nothing is written over it.
TEST(RegistryHostileFile, EachFileEndsInAMessageAndAWorkingRegistry) {
    enum class Outcome { Read, SetAside, LeftAlone };
    struct Case {
        const char* name;
        std::function<void(const ScopedRegistryDir&)> make;
        Outcome outcome;
        const char* message;  // a part of the one stderr message, "" for none
    };
    const std::string header = "REGEDIT4\n\n";
    const Case cases[] = {
        {"key 10,000 levels deep",
         [&](const ScopedRegistryDir& d) { d.WriteFile(header + DeepKeyLine(10000) + "\"v\"=\"deep\"\n"); },
         Outcome::SetAside, "line 3: a key nested deeper than 512 levels"},
        {"key 100,000 levels deep",
         [&](const ScopedRegistryDir& d) { d.WriteFile(header + DeepKeyLine(100000)); }, Outcome::SetAside,
         "deeper than 512"},
        {"key 513 levels deep", [&](const ScopedRegistryDir& d) { d.WriteFile(header + DeepKeyLine(513)); },
         Outcome::SetAside, "deeper than 512"},
        {"key 512 levels deep",
         [&](const ScopedRegistryDir& d) {
             d.WriteFile(header + DeepKeyLine(512) + "\"x\"=\"1\"\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"kept\"\n");
         },
         Outcome::Read, ""},
        {"FIFO",
         [](const ScopedRegistryDir& d) { ASSERT_EQ(mkfifo(d.FilePath().c_str(), 0600), 0); },
         Outcome::LeftAlone, "is a FIFO, not a settings file, and is left alone"},
        {"link to /dev/zero",
         [](const ScopedRegistryDir& d) { fs::create_symlink("/dev/zero", d.FilePath()); }, Outcome::LeftAlone,
         "is a character device"},
        {"folder", [](const ScopedRegistryDir& d) { fs::create_directory(d.FilePath()); }, Outcome::LeftAlone,
         "is a folder"},
        {"40 MiB file",
         [&](const ScopedRegistryDir& d) {
             d.WriteFile(header + "[HKEY_CURRENT_USER\\A]\n\"v\"=\"big\"\n");
             fs::resize_file(d.FilePath(), 40u << 20);
         },
         Outcome::SetAside, "it is larger than 32 MiB"},
        {"link to a settings file",
         [&](const ScopedRegistryDir& d) {
             std::ofstream(d.Path() + "/elsewhere.reg") << header << "[HKEY_CURRENT_USER\\A]\n\"v\"=\"kept\"\n";
             fs::create_symlink(d.Path() + "/elsewhere.reg", d.FilePath());
         },
         Outcome::Read, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        c.make(dir);
        const bool regular = fs::is_regular_file(dir.FilePath());
        const auto before = regular ? fs::file_size(dir.FilePath()) : 0;
        const fs::file_type type = fs::symlink_status(dir.FilePath()).type();

        testing::internal::CaptureStderr();
        const std::string value = ReadWithin5s(dir.FilePath());
        const LONG written = WriteText("B", "w", "new");
        const std::string again = ReadText("B", "w");
        const std::string message = testing::internal::GetCapturedStderr();

        const std::vector<std::string> aside = AsideCopies(dir);
        switch (c.outcome) {
        case Outcome::Read:
            EXPECT_EQ(value, "kept");
            EXPECT_EQ(written, ERROR_SUCCESS);
            EXPECT_EQ(again, "new");
            EXPECT_TRUE(aside.empty());
            // Written back about as long as it was read: the deep key is
            // not written once for every level above it.
            EXPECT_LT(fs::file_size(dir.FilePath()), before + 100);
            break;
        case Outcome::SetAside:
            EXPECT_EQ(value, "<no key>");
            EXPECT_EQ(written, ERROR_SUCCESS);
            EXPECT_EQ(again, "new");
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_EQ(fs::file_size(aside[0]), before);
            EXPECT_NE(message.find(aside[0]), std::string::npos) << message;
            EXPECT_LT(fs::file_size(dir.FilePath()), 100u);
            break;
        case Outcome::LeftAlone:
            EXPECT_EQ(value, "<no key>");
            EXPECT_EQ(written, ERROR_REGISTRY_CORRUPT);
            EXPECT_EQ(again, "<no key>");
            EXPECT_TRUE(aside.empty());
            EXPECT_EQ(fs::symlink_status(dir.FilePath()).type(), type);
            // Said once, although the program asked three times.
            EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
            break;
        }
        if (*c.message) {
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        } else {
            EXPECT_EQ(message, "");
        }
    }
}

// A copy set aside never takes the name of an earlier one, however many
// copies were made within the same second.
TEST(RegistryHostileFile, ASetAsideCopyNeverReplacesAnEarlierOne) {
    ScopedRegistryDir dir;
    // Names of the registry's form for this second and the next two:
    // .corrupt-YYYYmmdd-HHMMSS, then -2 to -999.
    std::vector<std::string> taken;
    const time_t now = time(nullptr);
    for (time_t t = now; t <= now + 2; ++t) {
        struct tm local;
        localtime_r(&t, &local);
        char stamp[32];
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        const std::string base = dir.FilePath() + ".corrupt-" + stamp;
        for (int i = 1; i <= 999; ++i) taken.push_back(i == 1 ? base : base + "-" + std::to_string(i));
    }
    for (const std::string& name : taken) std::ofstream(name) << "earlier copy " << name;

    const std::string garbage = "not a settings file";
    dir.WriteFile(garbage);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadText("A", "v"), "<no key>");
    const std::string message = testing::internal::GetCapturedStderr();

    std::vector<std::string> aside = AsideCopies(dir);
    ASSERT_EQ(aside.size(), taken.size() + 1);
    for (const std::string& name : taken) {
        ASSERT_EQ(FileText(name), "earlier copy " + name);
        aside.erase(std::find(aside.begin(), aside.end(), name));
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(FileText(aside[0]), garbage);
    EXPECT_NE(message.find("kept as " + aside[0]), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(dir.FilePath()));
    EXPECT_EQ(WriteText("A", "v", "fresh"), ERROR_SUCCESS);
}

// A key or value named twice: the later value counts, as it always did, and
// the file's reader says so once, with the line of the first repeat.
TEST(RegistryHostileFile, NamesGivenTwiceAreSaidOnceAndTheLaterValueCounts) {
    struct Case {
        const char* name;
        const char* body;  // after "REGEDIT4\n\n"
        const char* value;
        const char* message;  // "" for none
    };
    const Case cases[] = {
        {"value twice in one key", "[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n\"v\"=\"2\"\n", "2",
         "line 5 repeats the value \"v\" of [HKEY_CURRENT_USER\\A] (repeats in all: 1)"},
        {"value twice, names in other cases", "[HKEY_CURRENT_USER\\A]\n\"V\"=\"1\"\n\"v\"=\"2\"\n", "2",
         "line 5 repeats the value \"v\""},
        {"key twice, each with the value",
         "[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n\n[HKEY_CURRENT_USER\\B]\n\n[HKEY_CURRENT_USER\\a]\n\"v\"=\"3\"\n", "3",
         "line 8 repeats the key [HKEY_CURRENT_USER\\a] (repeats in all: 2)"},
        {"key twice, values apart", "[HKEY_CURRENT_USER\\A]\n\"w\"=\"1\"\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"4\"\n", "4",
         "line 5 repeats the key"},
        {"key named first within a deeper one", "[HKEY_CURRENT_USER\\A\\B]\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"5\"\n",
         "5", ""},
        {"default value twice", "[HKEY_CURRENT_USER\\A]\n@=\"x\"\n@=\"y\"\n\"v\"=\"6\"\n", "6",
         "line 5 repeats the default value of [HKEY_CURRENT_USER\\A]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        dir.WriteFile(std::string("REGEDIT4\n\n") + c.body);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadText("A", "v"), c.value);
        EXPECT_EQ(ReadText("A", "v"), c.value);
        const std::string message = testing::internal::GetCapturedStderr();
        if (*c.message) {
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
            EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        } else {
            EXPECT_EQ(message, "");
        }
        EXPECT_TRUE(AsideCopies(dir).empty());
    }
}

// What the program writes stays within what it reads: keys no deeper than
// a file may hold, and no file larger than one it would read.
TEST(RegistryHostileFile, WritesAFileCouldNotHoldAreRefused) {
    ScopedRegistryDir dir;
    std::string path = "k";
    for (int i = 1; i < 512; ++i) path += "\\k";
    EXPECT_EQ(WriteText(path, "v", "deepest"), ERROR_SUCCESS);
    EXPECT_EQ(WriteText(path + "\\k", "v", "too deep"), ERROR_INVALID_PARAMETER);
    dir.ForceReread();
    EXPECT_EQ(ReadText(path.c_str(), "v"), "deepest");

    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Big", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string before = dir.ReadFile();
    // Three characters of text for each byte: some 36 MiB of file.
    std::vector<BYTE> blob(12u << 20, 0x5a);
    EXPECT_EQ(RegSetValueExA(key, "blob", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())),
              ERROR_CANTWRITE);
    RegCloseKey(key);
    EXPECT_TRUE(dir.ReadFile() == before);  // not EXPECT_EQ: it would print 36 MiB
    EXPECT_EQ(WriteText("Small", "v", "fine"), ERROR_SUCCESS);
    EXPECT_EQ(ReadText("Small", "v"), "fine");
}
