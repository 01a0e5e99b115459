#include "platform/base/file_system.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/trelwin_fs_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        char real[PATH_MAX];
        ASSERT_NE(realpath(dir, real), nullptr);
        m_dir = real;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }
    std::string Make(const std::string& name, mode_t mode)
    {
        std::string path = m_dir + "/" + name;
        std::ofstream(path) << "x";
        chmod(path.c_str(), mode);
        return path;
    }
    std::string m_dir;
};

TEST_F(FileSystemTest, AttributesDescribeTheFileAndMissingPathsFail)
{
    mkdir((m_dir + "/sub").c_str(), 0755);
    struct Case {
        std::string path;
        DWORD attributes;
    };
    const Case cases[] = {
        {Make("plain.txt", 0644), FILE_ATTRIBUTE_NORMAL},
        {Make("locked.txt", 0444), FILE_ATTRIBUTE_READONLY},
        {Make(".hidden", 0644), FILE_ATTRIBUTE_HIDDEN},
        {m_dir + "/sub", FILE_ATTRIBUTE_DIRECTORY},
        {m_dir + "\\sub\\", FILE_ATTRIBUTE_DIRECTORY},
        {m_dir + "/missing", INVALID_FILE_ATTRIBUTES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0);
        EXPECT_EQ(GetFileAttributesA(c.path.c_str()), c.attributes);
        if (c.attributes == INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
    }
}

TEST_F(FileSystemTest, ReadOnlyClearsEveryWritePermissionAndGivesTheOwnersBack)
{
    std::string path = Make("file.bin", 0664);
    struct stat st;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_FALSE(SetFileAttributesA((m_dir + "/missing").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileSystemTest, CurrentDirectoryIsCopiedOrItsSizeReturned)
{
    char saved[PATH_MAX];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    char buffer[PATH_MAX];
    DWORD copied = GetCurrentDirectoryA(sizeof buffer, buffer);
    char small[4] = "abc";
    DWORD needed = GetCurrentDirectoryA(sizeof small, small);
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(copied, m_dir.size());
    EXPECT_EQ(std::string(buffer), m_dir);
    EXPECT_EQ(needed, m_dir.size() + 1);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), strlen(saved) + 1);
}

TEST_F(FileSystemTest, FreeSpaceLiesWithinTheVolumeAndMissingPathsFail)
{
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(m_dir.c_str(), &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_LE(available.QuadPart, free.QuadPart);
    EXPECT_TRUE(GetDiskFreeSpaceExA(m_dir.c_str(), nullptr, nullptr, nullptr));
    EXPECT_FALSE(GetDiskFreeSpaceExA((m_dir + "/missing").c_str(), &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Where this machine keeps a memory file system, it is told apart from the
// disk; a missing path has no device at all, and no volume here takes a label.
TEST_F(FileSystemTest, DeviceKindsAndLabels)
{
    EXPECT_EQ(GetDriveTypeA((m_dir + "/missing").c_str()), DRIVE_NO_ROOT_DIR);
    struct stat st;
    std::ifstream mounts("/proc/mounts");
    std::string device, mountPoint, type, rest;
    std::string memoryMount;
    while (mounts >> device >> mountPoint >> type && std::getline(mounts, rest)) {
        if (type == "tmpfs" && stat(mountPoint.c_str(), &st) == 0)
            memoryMount = mountPoint;
    }
    if (!memoryMount.empty()) {
        EXPECT_EQ(GetDriveTypeA(memoryMount.c_str()), DRIVE_RAMDISK) << memoryMount;
    }
    EXPECT_EQ(GetDriveTypeA("/proc"), DRIVE_FIXED);

    EXPECT_FALSE(SetVolumeLabelA(m_dir.c_str(), "pkback# 001"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(SetVolumeLabelA((m_dir + "/missing").c_str(), "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
