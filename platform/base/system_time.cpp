#include "platform/base/system_time.h"

#include "platform/base/file.h"
#include "platform/base/last_error.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

ULONGLONG GetTickCount64()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec / 1000000);
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}

void Sleep(DWORD dwMilliseconds)
{
    // INFINITE sleeps for good, as asked.
    struct timespec req;
    req.tv_sec = static_cast<time_t>(dwMilliseconds / 1000);
    req.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
    if (dwMilliseconds == INFINITE) {
        for (;;)
            pause();
    }
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    while (nanosleep(&req, &req) != 0 && errno == EINTR) {
    }
}

namespace {

void Fill(LPSYSTEMTIME st, const struct tm& t, long nsec)
{
    st->wYear = static_cast<WORD>(t.tm_year + 1900);
    st->wMonth = static_cast<WORD>(t.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st->wDay = static_cast<WORD>(t.tm_mday);
    st->wHour = static_cast<WORD>(t.tm_hour);
    st->wMinute = static_cast<WORD>(t.tm_min);
    st->wSecond = static_cast<WORD>(t.tm_sec);
    st->wMilliseconds = static_cast<WORD>(nsec / 1000000);
}

// The calendar time now, broken down by gmtime_r or localtime_r.
void FillNow(LPSYSTEMTIME st, struct tm* (*breakDown)(const time_t*, struct tm*))
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm t;
    breakDown(&ts.tv_sec, &t);
    Fill(st, t, ts.tv_nsec);
}

}  // namespace

void GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    FillNow(lpSystemTime, gmtime_r);
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    FillNow(lpSystemTime, localtime_r);
}

BOOL GetFileLastWriteLocalTime(LPCSTR lpFileName, LPSYSTEMTIME lpLocalTime)
{
    struct stat st;
    if (!lpFileName || stat(CFile::NativePath(lpFileName).GetString(), &st) != 0) {
        SetLastErrorFromErrno(lpFileName ? errno : EINVAL);
        return FALSE;
    }
    struct tm t;
    localtime_r(&st.st_mtim.tv_sec, &t);
    Fill(lpLocalTime, t, st.st_mtim.tv_nsec);
    return TRUE;
}
