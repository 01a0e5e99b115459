// The program's module handle. The program is its only module: its
// resources are the only ones there are, so a handle for "this program" is
// all that module arguments ever name.
#pragma once

#include "platform/base/win_types.h"

// NULL gives the program's handle (never NULL itself); any module name gives
// NULL with ERROR_MOD_NOT_FOUND, since no other module is loaded.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
#define GetModuleHandle GetModuleHandleA
