// The operating-system services the archive classes use: free space, volume
// labels, the current directory, attributes and modification times,
// removable devices, and removing and renaming files with the library's own
// errors.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

namespace ZipPlatform
{

// The attribute system of the files this build creates (ZipCompatibility).
int GetSystemID();

// Free bytes for the caller on the device of lpszPath; 0 when unknown.
ULONGLONG GetDeviceFreeSpace(LPCTSTR lpszPath);
bool SetVolLabel(LPCTSTR lpszPath, LPCTSTR lpszLabel);
bool GetCurrentDir(CString& szDirectory);
bool GetFileAttr(LPCTSTR lpszFileName, DWORD& uAttr);
bool SetFileAttr(LPCTSTR lpszFileName, DWORD uAttr);
bool IsDirectory(DWORD uAttr);
// When the file or folder was last written, as local time.
bool GetFileModTime(LPCTSTR lpszFileName, SYSTEMTIME& time);
// Whether the device that holds lpszFilePath can be changed by the user.
bool IsDriveRemovable(LPCTSTR lpszFilePath);
// 1 for a file, -1 for a directory, 0 when nothing is there.
int FileExists(LPCTSTR lpszName);

// False on failure, or, with bThrow, CZipException* notRemoved / notRenamed
// with the system's reason.
bool RemoveFile(LPCTSTR lpszFileName, bool bThrow = true);
bool RenameFile(LPCTSTR lpszOldName, LPCTSTR lpszNewName, bool bThrow = true);

}  // namespace ZipPlatform
