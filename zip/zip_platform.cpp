#include "zip/zip_platform.h"

#include "platform/base/file.h"
#include "platform/base/file_system.h"
#include "platform/base/system_time.h"
#include "zip/zip_compatibility.h"
#include "zip/zip_exception.h"

#include <algorithm>
#include <vector>

int ZipPlatform::GetSystemID()
{
    return ZipCompatibility::zcDosFat;
}

ULONGLONG ZipPlatform::GetDeviceFreeSpace(LPCTSTR lpszPath)
{
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExA(lpszPath, &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

bool ZipPlatform::SetVolLabel(LPCTSTR lpszPath, LPCTSTR lpszLabel)
{
    return SetVolumeLabelA(lpszPath, lpszLabel) != FALSE;
}

bool ZipPlatform::GetCurrentDir(CString& szDirectory)
{
    const DWORD uSize = GetCurrentDirectoryA(0, nullptr);
    if (uSize == 0)
        return false;
    std::vector<char> buffer(uSize + 1);
    const DWORD uLength = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (uLength == 0 || uLength >= buffer.size())
        return false;
    szDirectory = CString(buffer.data(), static_cast<int>(uLength));
    return true;
}

bool ZipPlatform::GetFileAttr(LPCTSTR lpszFileName, DWORD& uAttr)
{
    const DWORD uFound = GetFileAttributesA(lpszFileName);
    if (uFound == INVALID_FILE_ATTRIBUTES)
        return false;
    uAttr = uFound;
    return true;
}

bool ZipPlatform::SetFileAttr(LPCTSTR lpszFileName, DWORD uAttr)
{
    return SetFileAttributesA(lpszFileName, uAttr) != FALSE;
}

bool ZipPlatform::IsDirectory(DWORD uAttr)
{
    return (uAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ZipPlatform::GetFileModTime(LPCTSTR lpszFileName, SYSTEMTIME& time)
{
    return GetFileLastWriteLocalTime(lpszFileName, &time) != FALSE;
}

bool ZipPlatform::IsDriveRemovable(LPCTSTR lpszFilePath)
{
    CString szPath(lpszFilePath);
    // A file that is still to be made lives on the device of its folder.
    if (FileExists(szPath) == 0)
    {
        const int iSlash = std::max(szPath.ReverseFind('/'), szPath.ReverseFind('\\'));
        szPath = iSlash > 0 ? szPath.Left(iSlash) : iSlash == 0 ? CString("/") : CString(".");
    }
    return GetDriveTypeA(szPath) == DRIVE_REMOVABLE;
}

int ZipPlatform::FileExists(LPCTSTR lpszName)
{
    DWORD uAttr = 0;
    if (!GetFileAttr(lpszName, uAttr))
        return 0;
    return IsDirectory(uAttr) ? -1 : 1;
}

bool ZipPlatform::RemoveFile(LPCTSTR lpszFileName, bool bThrow)
{
    try
    {
        CFile::Remove(lpszFileName);
        return true;
    }
    catch (CFileException* e)
    {
        e->Delete();
    }
    if (bThrow)
        CZipException::Throw(CZipException::notRemoved, lpszFileName);
    return false;
}

bool ZipPlatform::RenameFile(LPCTSTR lpszOldName, LPCTSTR lpszNewName, bool bThrow)
{
    try
    {
        CFile::Rename(lpszOldName, lpszNewName);
        return true;
    }
    catch (CFileException* e)
    {
        e->Delete();
    }
    if (bThrow)
        CZipException::Throw(CZipException::notRenamed, lpszOldName);
    return false;
}
