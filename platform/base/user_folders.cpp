#include "platform/base/user_folders.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

CString GetUserDataFolder()
{
    // Only an absolute XDG_DATA_HOME counts; a relative one is ignored.
    const std::string data = Env("XDG_DATA_HOME");
    if (!data.empty() && data[0] == '/')
        return CString(data.c_str());
    const std::string home = Env("HOME");
    if (home.empty())
        return CString();
    return CString((home + "/.local/share").c_str());
}

BOOL CreateFolderPath(LPCSTR lpszPath)
{
    if (!lpszPath || !*lpszPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = lpszPath;
    // Each prefix that ends before a '/' is a parent, then the whole path.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && !IsFolder(part) && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            SetLastErrorFromErrno(errno);
            return FALSE;
        }
        if (end == std::string::npos)
            break;
    }
    if (!IsFolder(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
