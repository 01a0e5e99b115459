#include "platform/base/process.h"

#include "platform/base/last_error.h"
#include "platform/base/module_handle.h"
#include "platform/base/win_errors.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <unistd.h>

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}

namespace
{

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

} // namespace

DWORD NewThreadId()
{
    DWORD id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    // After four billion threads the count wraps past 0, which names none.
    while (id == 0)
        id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    return id;
}

void TakeThreadId(DWORD dwThreadId)
{
    t_threadId = dwThreadId;
}

DWORD GetCurrentThreadId()
{
    if (t_threadId == 0)
        t_threadId = NewThreadId();
    return t_threadId;
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    // The program is its only module.
    if (hModule && hModule != GetModuleHandleA(nullptr)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!lpFilename && nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n < 0) {
        SetLastErrorFromErrno(errno);
        return 0;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    size_t len = static_cast<size_t>(n);
    if (len + 1 > nSize) {
        memcpy(lpFilename, path, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    memcpy(lpFilename, path, len);
    lpFilename[len] = '\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(len);
}
