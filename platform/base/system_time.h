// Clocks: milliseconds since an arbitrary start (the monotonic clock, so
// never stepped by clock changes), sleeping, and the calendar time.
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
