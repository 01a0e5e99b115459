// GetCurrentThreadId as the wait machinery uses it.
#pragma once

#include "platform/base/win_types.h"

DWORD GetCurrentThreadId();
