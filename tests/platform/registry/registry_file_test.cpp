// The registry's files on disk: changes made by others, unreadable files,
// failed writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"
#include "tests/platform/registry/registry_text.h"

namespace {

std::vector<std::string> FilesWith(const std::string& folder, const std::string& part) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.find(part) != std::string::npos) names.push_back(entry.path().string());
    }
    return names;
}

}  // namespace

TEST(RegistryFile, ChangesMadeByOthersAreSeenAtTheNextCall) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "Software\\App", "Timeout", "5000"), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Software\\App", "Timeout"), "5000");
    dir.WriteFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\App]\n\"Timeout\"=\"120\"\n\"Added\"=\"by hand\"\n");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Software\\App", "Timeout"), "120");
    // A change now starts from the edited file, so the hand-made value stays.
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "Software\\App", "Other", "1"), ERROR_SUCCESS);
    dir.ForceReread();
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Software\\App", "Added"), "by hand");
    std::filesystem::remove(dir.FilePath());
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Software\\App", "Timeout"), "<no key>");
}

// Rewrites of the same length made in place by another writer keep the
// file's inode and size, and on file systems with coarse timestamps (one
// clock tick, several milliseconds) its times as well; each must still be
// seen, and must survive our next save.
TEST(RegistryFile, SameLengthRewritesInPlaceAreSeen) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "100"), ERROR_SUCCESS);
    const size_t at = dir.ReadFile().find("\"100\"");
    ASSERT_NE(at, std::string::npos);
    int fd = open(dir.FilePath().c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    int wrong = 0;
    std::string value;
    for (int i = 1; i <= 300; ++i) {
        value = std::to_string(100 + i);
        ASSERT_EQ(pwrite(fd, value.data(), 3, static_cast<off_t>(at + 1)), 3);
        if (ReadText(HKEY_CURRENT_USER, "A", "v") != value) ++wrong;
    }
    close(fd);
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "w", "x"), ERROR_SUCCESS);
    dir.ForceReread();
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), value);
}

TEST(RegistryFile, AnUnreadableFileIsKeptAsideWithAMessage) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_LOCAL_MACHINE, "Software\\Keep", "v", "machine"), ERROR_SUCCESS);
    const std::string garbage = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:nonsense\n";
    dir.WriteFile(garbage);

    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "<no key>");
    std::string message = testing::internal::GetCapturedStderr();

    std::vector<std::string> aside = FilesWith(dir.Path(), "HKEY_CURRENT_USER.reg.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(message.find(dir.FilePath()), std::string::npos) << message;
    EXPECT_NE(message.find("line 4"), std::string::npos) << message;
    EXPECT_NE(message.find(aside[0]), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(dir.FilePath()));
    {
        std::ifstream in(aside[0], std::ios::binary);
        std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(kept, garbage);
    }

    // The program goes on with an empty root, and the other root is untouched.
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "B", "v", "fresh"), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "B", "v"), "fresh");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, "Software\\Keep", "v"), "machine");

    // A second bad file is kept beside the first, not over it.
    dir.WriteFile("not a registry file");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "B", "v"), "<no key>");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(FilesWith(dir.Path(), ".corrupt-").size(), 2u);
}

TEST(RegistryFile, AnEmptyFileIsAnEmptyRoot) {
    ScopedRegistryDir dir;
    dir.WriteFile("");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "<no key>");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(FilesWith(dir.Path(), ".corrupt-").empty());
}

TEST(RegistryFile, AFailedWriteReportsAndLeavesTheOldState) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "old"), ERROR_SUCCESS);
    std::string before = dir.ReadFile();
    // A folder where the temporary file should go makes the write fail.
    std::filesystem::create_directory(dir.FilePath() + ".tmp");
    EXPECT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "new"), ERROR_CANTWRITE);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "old");
    EXPECT_EQ(dir.ReadFile(), before);
    std::filesystem::remove(dir.FilePath() + ".tmp");
    EXPECT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "new"), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "new");
}

TEST(RegistryFile, RewritingTheSameDataLeavesTheFileAlone) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "same"), ERROR_SUCCESS);
    struct stat before, after;
    ASSERT_EQ(stat(dir.FilePath().c_str(), &before), 0);
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "same"), ERROR_SUCCESS);
    ASSERT_EQ(stat(dir.FilePath().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);  // every save makes a new file
}
