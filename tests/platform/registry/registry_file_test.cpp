// The registry's files on disk: changes made by others, unreadable files,
// failed writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

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

namespace {

// The file's times as stat gives them, to put them back after a change.
struct FileTimes {
    timespec times[2];  // access, modification
};

FileTimes TimesOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return {{st.st_atim, st.st_mtim}};
}

void SetTimes(const std::string& path, const FileTimes& t) { utimensat(AT_FDCWD, path.c_str(), t.times, 0); }

// Holds the registry folder's lock as another process would.
class HeldFolderLock {
public:
    explicit HeldFolderLock(const std::string& folder) : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY)) {
        if (fd_ >= 0) flock(fd_, LOCK_EX);
    }
    ~HeldFolderLock() { Release(); }
    void Release() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

}  // namespace

// Another program changes the settings file while this one keeps the file's
// tree from an earlier read, long after the file's last change: however the
// change is made, it is seen at the next read. Some changes keep the inode,
// the length and the modification time.
TEST(RegistryFile, ChangesToAFileAtRestAreSeenAtTheNextRead) {
    struct Case {
        const char* name;
        std::function<void(const ScopedRegistryDir&)> change;
        const char* value;
    };
    const std::string v2 = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"200\"\n";
    const Case cases[] = {
        {"a new file of the same length renamed over it", [&](const ScopedRegistryDir& d) { d.WriteFile(v2); }, "200"},
        {"rewritten in place, the same length",
         [](const ScopedRegistryDir& d) {
             std::string text = d.ReadFile();
             text.replace(text.find("100"), 3, "201");
             std::fstream(d.FilePath(), std::ios::in | std::ios::out | std::ios::binary) << text;
         },
         "201"},
        {"rewritten in place, its modification time put back",
         [](const ScopedRegistryDir& d) {
             const FileTimes before = TimesOf(d.FilePath());
             std::string text = d.ReadFile();
             text.replace(text.find("100"), 3, "202");
             std::fstream(d.FilePath(), std::ios::in | std::ios::out | std::ios::binary) << text;
             SetTimes(d.FilePath(), before);
         },
         "202"},
        {"a new file with the old one's times renamed over it",
         [&](const ScopedRegistryDir& d) {
             const FileTimes before = TimesOf(d.FilePath());
             std::string text = d.ReadFile();
             text.replace(text.find("100"), 3, "203");
             std::ofstream(d.FilePath() + ".new", std::ios::binary) << text;
             SetTimes(d.FilePath() + ".new", before);
             std::filesystem::rename(d.FilePath() + ".new", d.FilePath());
         },
         "203"},
        {"set by another process of this program",
         [](const ScopedRegistryDir&) {
             pid_t pid = fork();
             if (pid == 0) _exit(WriteText(HKEY_CURRENT_USER, "A", "v", "204") == ERROR_SUCCESS ? 0 : 1);
             int status = 0;
             waitpid(pid, &status, 0);
             EXPECT_EQ(status, 0);
         },
         "204"},
        {"removed", [](const ScopedRegistryDir& d) { std::filesystem::remove(d.FilePath()); }, "<no key>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "100"), ERROR_SUCCESS);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "100");
        // Far more than a step of the file's times (which may be two seconds
        // on file systems that count in seconds; then the text is compared).
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "100");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "100");
        c.change(dir);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), c.value);
    }
}

// A read of a file that has not changed since it was read long after its
// last change needs neither the file's text nor the folder's lock, so
// readers do not queue behind a writer of another process; a read of a
// changed file waits for the lock and then sees the change.
TEST(RegistryFile, AFileAtRestIsReadWithoutWaitingForTheLock) {
    ScopedRegistryDir dir;
    ASSERT_EQ(WriteText(HKEY_CURRENT_USER, "A", "v", "100"), ERROR_SUCCESS);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "100");
    // Until two seconds have passed the file's times might be of whole
    // seconds; then a read compares the text, under the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), "100");

    HeldFolderLock lock(dir.Path());
    auto atRest = std::async(std::launch::async, [] { return ReadText(HKEY_CURRENT_USER, "A", "v"); });
    const bool done = atRest.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(done);
    if (!done) lock.Release();
    EXPECT_EQ(atRest.get(), "100");

    dir.WriteFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"200\"\n");
    auto changed = std::async(std::launch::async, [] { return ReadText(HKEY_CURRENT_USER, "A", "v"); });
    EXPECT_EQ(changed.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    lock.Release();
    EXPECT_EQ(changed.get(), "200");
}
