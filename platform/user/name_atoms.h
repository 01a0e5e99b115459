// The process's table of names that RegisterWindowMessage and RegisterClass
// turn into numbers: one number per name, names compared without regard to
// case, numbers from 0xC000 to 0xFFFF, never given back.
#pragma once

#include <string>

#include "platform/base/win_types.h"

// The name's number, added when new; 0 (last error set) for an empty name or
// a full table.
ATOM AddNameAtom(const char* name);

// The name's number, or 0 when the name was never added.
ATOM FindNameAtom(const char* name);

// The name as first added, or "" for a number the table does not hold.
std::string GetNameAtomText(ATOM atom);
