// All resources belong to the program itself; a module argument names it
// either by NULL or by the program's own module handle.
#pragma once

#include "platform/base/win_types.h"

namespace trelwin {

inline bool IsProgramModule(HMODULE hModule)
{
    return hModule == nullptr;
}

}  // namespace trelwin
