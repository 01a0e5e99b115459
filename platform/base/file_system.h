// Volume and file-system queries by path: free space, volume labels, the
// current directory, file attributes and the kind of device a path lives on.
// Every function sets the last error on failure, as the system calls do.
#pragma once

#include "platform/base/win_types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define DRIVE_UNKNOWN 0u
#define DRIVE_NO_ROOT_DIR 1u
#define DRIVE_REMOVABLE 2u
#define DRIVE_FIXED 3u
#define DRIVE_REMOTE 4u
#define DRIVE_CDROM 5u
#define DRIVE_RAMDISK 6u

// Space on the file system that holds lpDirectoryName (null: the current
// directory). Each out pointer may be null.
BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                         ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes);
#define GetDiskFreeSpaceEx GetDiskFreeSpaceExA

// Mounted file systems here cannot be relabelled by a program: FALSE with
// ERROR_NOT_SUPPORTED for an existing root, ERROR_PATH_NOT_FOUND otherwise.
BOOL SetVolumeLabelA(LPCSTR lpRootPathName, LPCSTR lpVolumeName);
#define SetVolumeLabel SetVolumeLabelA

// The length copied (without the terminator), or, when nBufferLength is too
// small, the size needed including the terminator; 0 on failure.
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
#define GetCurrentDirectory GetCurrentDirectoryA

// FILE_ATTRIBUTE_DIRECTORY for folders, READONLY when nobody may write the
// file, HIDDEN for names that start with a dot, NORMAL when none applies;
// INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD GetFileAttributesA(LPCSTR lpFileName);
#define GetFileAttributes GetFileAttributesA
// Only READONLY has an effect: it clears or restores the write permissions.
BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);
#define SetFileAttributes SetFileAttributesA

// The kind of device that holds lpRootPathName (any path on it will do):
// DRIVE_REMOVABLE only when the block device says it is removable, REMOTE for
// network file systems, RAMDISK for memory file systems, CDROM for disc
// formats, FIXED otherwise; DRIVE_NO_ROOT_DIR when the path does not exist.
UINT GetDriveTypeA(LPCSTR lpRootPathName);
#define GetDriveType GetDriveTypeA
