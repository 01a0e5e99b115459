#include "platform/base/version_info.h"

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/win_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <strings.h>
#include <sys/stat.h>

#ifndef TRELWIN_VERSION_MAJOR
#error "TRELWIN_VERSION_* come from the build"
#endif

namespace {

// The block: a header, the fixed information, the translation and then
// "Name\0Value\0" pairs ending in an empty name.
struct BlockHeader {
    DWORD magic;
    DWORD size;
    DWORD hasFixedInfo;
    VS_FIXEDFILEINFO fixed;
    WORD translation[2];
};

constexpr DWORD kMagic = 0x31495654;  // "TVI1"
constexpr WORD kLanguage = 0x0409;
constexpr WORD kCodePage = 0x04B0;

std::mutex g_versionLock;
bool g_overridden = false;
ProgramVersion g_override;

ProgramVersion CurrentVersion()
{
    std::lock_guard<std::mutex> lock(g_versionLock);
    if (g_overridden)
        return g_override;
    return ProgramVersion{TRELWIN_VERSION_MAJOR, TRELWIN_VERSION_MINOR, TRELWIN_VERSION_PATCH, TRELWIN_VERSION_TWEAK,
                          TRUE};
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BuildBlock()
{
    ProgramVersion v = CurrentVersion();
    char exe[MAX_PATH * 4] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);

    BlockHeader header = {};
    header.magic = kMagic;
    header.hasFixedInfo = v.bHasFixedInfo ? 1 : 0;
    header.fixed.dwSignature = VS_FFI_SIGNATURE;
    header.fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    header.fixed.dwFileVersionMS = static_cast<DWORD>(MAKELONG(v.wMinor, v.wMajor));
    header.fixed.dwFileVersionLS = static_cast<DWORD>(MAKELONG(v.wTweak, v.wPatch));
    header.fixed.dwProductVersionMS = header.fixed.dwFileVersionMS;
    header.fixed.dwProductVersionLS = header.fixed.dwFileVersionLS;
    header.fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    header.fixed.dwFileOS = VOS_UNKNOWN;
    header.fixed.dwFileType = VFT_APP;
    header.translation[0] = kLanguage;
    header.translation[1] = kCodePage;

    char version[64];
    snprintf(version, sizeof version, "%u.%u.%u.%u", v.wMajor, v.wMinor, v.wPatch, v.wTweak);
    const std::pair<const char*, std::string> strings[] = {
        {"FileVersion", version},
        {"ProductVersion", version},
        {"ProductName", TRELWIN_PRODUCT_NAME},
        {"FileDescription", TRELWIN_PRODUCT_NAME},
        {"InternalName", TRELWIN_PRODUCT_NAME},
        {"OriginalFilename", BaseName(exe)},
    };
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const auto& [name, value] : strings) {
        block.append(name).push_back('\0');
        block.append(value).push_back('\0');
    }
    block.push_back('\0');
    DWORD size = static_cast<DWORD>(block.size());
    memcpy(block.data() + offsetof(BlockHeader, size), &size, sizeof size);
    return block;
}

// Whether path names the running executable (same file, any spelling).
bool IsProgramFile(LPCSTR path)
{
    struct stat self, other;
    if (stat("/proc/self/exe", &self) != 0)
        return false;
    if (stat(path, &other) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    if (self.st_dev != other.st_dev || self.st_ino != other.st_ino) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    return true;
}

bool SkipPrefix(const char*& p, const char* prefix)
{
    size_t n = strlen(prefix);
    if (strncasecmp(p, prefix, n) != 0)
        return false;
    p += n;
    return true;
}

}  // namespace

void SetProgramVersion(const ProgramVersion* pVersion)
{
    std::lock_guard<std::mutex> lock(g_versionLock);
    g_overridden = pVersion != nullptr;
    if (pVersion)
        g_override = *pVersion;
}

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle)
{
    if (lpdwHandle)
        *lpdwHandle = 0;
    if (!lptstrFilename) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsProgramFile(lptstrFilename))
        return 0;
    return static_cast<DWORD>(BuildBlock().size());
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    if (!lptstrFilename || !lpData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsProgramFile(lptstrFilename))
        return FALSE;
    std::string block = BuildBlock();
    if (dwLen < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(lpData, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen)
{
    if (!pBlock || !lpSubBlock || !lplpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* base = static_cast<const char*>(pBlock);
    BlockHeader header;
    memcpy(&header, base, sizeof header);
    if (header.magic != kMagic || header.size < sizeof header) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    auto answer = [&](const void* p, UINT len) {
        *lplpBuffer = const_cast<void*>(p);
        if (puLen)
            *puLen = len;
        return TRUE;
    };

    const char* q = lpSubBlock;
    while (*q == '\\' && q[1] == '\\')
        ++q;
    if (strcmp(q, "\\") == 0) {
        if (!header.hasFixedInfo) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        return answer(base + offsetof(BlockHeader, fixed), sizeof(VS_FIXEDFILEINFO));
    }
    if (*q == '\\')
        ++q;
    if (strcasecmp(q, "VarFileInfo\\Translation") == 0)
        return answer(base + offsetof(BlockHeader, translation), sizeof header.translation);

    char table[16];
    snprintf(table, sizeof table, "%04x%04x\\", header.translation[0], header.translation[1]);
    if (SkipPrefix(q, "StringFileInfo\\") && SkipPrefix(q, table) && *q) {
        const char* end = base + header.size;
        const char* p = base + sizeof header;
        while (p < end && *p) {
            const char* name = p;
            const char* value = name + strlen(name) + 1;
            if (strcasecmp(name, q) == 0)
                return answer(value, static_cast<UINT>(strlen(value) + 1));
            p = value + strlen(value) + 1;
        }
    }
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}
