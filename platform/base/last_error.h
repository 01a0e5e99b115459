// The calling thread's last error code, and the mapping from errno values
// to those codes.
#pragma once

#include "platform/base/win_types.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// errno values with a matching ERROR_* code map to it; any other errno e
// becomes ERRNO_ERROR_BASE + e, which FormatMessage also describes.
#define ERRNO_ERROR_BASE 0x20000000u
DWORD ErrorFromErrno(int nErrno);
// Sets the last error from errno and returns it.
DWORD SetLastErrorFromErrno(int nErrno);
