// The running process: its ids, its executable's path, and debug output.
#pragma once

#include "platform/base/win_types.h"

DWORD GetCurrentProcessId();
// The calling thread's id: a number of this process's own, never 0 and never
// given to two threads. A thread gets it at its first call; the threads that
// the thread layer starts get theirs before they run, so that their creator
// knows it without waiting for them to be scheduled.
DWORD GetCurrentThreadId();
// For the thread layer: a fresh id, and the calling thread taking it as its
// own (before its first GetCurrentThreadId).
DWORD NewThreadId();
void TakeThreadId(DWORD dwThreadId);

// The program's executable path (hModule must be NULL: the program is its
// only module). Cut to nSize - 1 characters and terminated when too long,
// returning nSize with ERROR_INSUFFICIENT_BUFFER; 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
#define GetModuleFileName GetModuleFileNameA

// Written to standard error when TRELWIN_DEBUG_OUTPUT is set in the
// environment; dropped otherwise. The texts carry what devices send, so
// what could act on a terminal or forge a line is written escaped: control
// characters (a line end other than the text's last included), C1 controls,
// bytes that are not UTF-8 as \xHH, and a backslash as \\.
void OutputDebugStringA(LPCSTR lpOutputString);
#define OutputDebugString OutputDebugStringA
