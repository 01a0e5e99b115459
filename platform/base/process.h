// The running process: its ids, its executable's path, and debug output.
#pragma once

#include "platform/base/win_types.h"

DWORD GetCurrentProcessId();
// The kernel's id of the calling thread.
DWORD GetCurrentThreadId();

// The program's executable path (hModule must be NULL: the program is its
// only module). Cut to nSize - 1 characters and terminated when too long,
// returning nSize with ERROR_INSUFFICIENT_BUFFER; 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
#define GetModuleFileName GetModuleFileNameA

// Written to standard error when TRELWIN_DEBUG_OUTPUT is set in the
// environment; dropped otherwise.
void OutputDebugStringA(LPCSTR lpOutputString);
#define OutputDebugString OutputDebugStringA
