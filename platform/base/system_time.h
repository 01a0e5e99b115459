// Clocks: milliseconds since an arbitrary start (the monotonic clock, so
// never stepped by clock changes), sleeping, the calendar time, and the
// calendar time of a file's last write.
#pragma once

#include "platform/base/win_types.h"

// Wraps to 0 after 2^32 ms (about 49.7 days); compare ticks by unsigned
// difference.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
void Sleep(DWORD dwMilliseconds);
// Coordinated universal time and local time, to the millisecond.
void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
// When the file or folder at the path was last written, as local time to the
// millisecond; FALSE with the last error when it cannot be read.
BOOL GetFileLastWriteLocalTime(LPCSTR lpFileName, LPSYSTEMTIME lpLocalTime);
