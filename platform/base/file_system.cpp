#include "platform/base/file_system.h"

#include "platform/base/file.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/magic.h>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr long kUdfMagic = 0x15013346;

BOOL FailWithErrno(int err)
{
    SetLastErrorFromErrno(err);
    return FALSE;
}

std::string PathOrCurrent(LPCSTR path)
{
    return path && *path ? std::string(CFile::NativePath(path)) : std::string(".");
}

bool IsHiddenName(const std::string& path)
{
    std::string name = path;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    return name.size() > 1 && name[0] == '.' && name != "..";
}

// The block device's own "removable" flag; a partition has none of its own
// and takes the flag of the disk above it.
bool IsRemovableBlockDevice(dev_t device)
{
    char base[64];
    snprintf(base, sizeof base, "/sys/dev/block/%u:%u", major(device), minor(device));
    for (const char* leaf : {"/removable", "/../removable"}) {
        FILE* f = fopen((std::string(base) + leaf).c_str(), "re");
        if (!f)
            continue;
        int c = fgetc(f);
        fclose(f);
        return c == '1';
    }
    return false;
}

}  // namespace

BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                         ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes)
{
    struct statvfs st;
    if (statvfs(PathOrCurrent(lpDirectoryName).c_str(), &st) != 0)
        return FailWithErrno(errno);
    const ULONGLONG unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    if (lpFreeBytesAvailableToCaller)
        lpFreeBytesAvailableToCaller->QuadPart = unit * st.f_bavail;
    if (lpTotalNumberOfBytes)
        lpTotalNumberOfBytes->QuadPart = unit * st.f_blocks;
    if (lpTotalNumberOfFreeBytes)
        lpTotalNumberOfFreeBytes->QuadPart = unit * st.f_bfree;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL SetVolumeLabelA(LPCSTR lpRootPathName, LPCSTR /*lpVolumeName*/)
{
    struct stat st;
    if (stat(PathOrCurrent(lpRootPathName).c_str(), &st) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    std::string dir;
    for (size_t size = 256; size <= (1u << 20); size *= 2) {
        dir.resize(size);
        if (getcwd(dir.data(), size)) {
            dir.resize(strlen(dir.c_str()));
            break;
        }
        if (errno != ERANGE) {
            FailWithErrno(errno);
            return 0;
        }
        dir.clear();
    }
    if (dir.empty()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!lpBuffer || nBufferLength < dir.size() + 1)
        return static_cast<DWORD>(dir.size() + 1);
    memcpy(lpBuffer, dir.c_str(), dir.size() + 1);
    return static_cast<DWORD>(dir.size());
}

DWORD GetFileAttributesA(LPCSTR lpFileName)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string path = CFile::NativePath(lpFileName).GetString();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        FailWithErrno(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((st.st_mode & 0222) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (IsHiddenName(path))
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    std::string path = CFile::NativePath(lpFileName).GetString();
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return FailWithErrno(errno);
    mode_t mode = st.st_mode & 07777;
    if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~mode_t(0222);
    else if ((mode & 0222) == 0)
        mode |= 0200;
    if (chmod(path.c_str(), mode) != 0)
        return FailWithErrno(errno);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

UINT GetDriveTypeA(LPCSTR lpRootPathName)
{
    std::string path = PathOrCurrent(lpRootPathName);
    struct stat st;
    struct statfs fs;
    if (stat(path.c_str(), &st) != 0 || statfs(path.c_str(), &fs) != 0) {
        SetLastErrorFromErrno(errno);
        return DRIVE_NO_ROOT_DIR;
    }
    switch (static_cast<long>(fs.f_type)) {
    case TMPFS_MAGIC:
    case RAMFS_MAGIC: return DRIVE_RAMDISK;
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case kCifsMagic:
    case kSmb2Magic: return DRIVE_REMOTE;
    case ISOFS_SUPER_MAGIC:
    case kUdfMagic: return DRIVE_CDROM;
    default: break;
    }
    return IsRemovableBlockDevice(st.st_dev) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}
