// A module argument names the program either by NULL or by its handle.
#pragma once

#include "platform/base/module_handle.h"

namespace trelwin {

inline bool IsProgramModule(HMODULE hModule)
{
    return hModule == nullptr || hModule == GetModuleHandleA(nullptr);
}

}  // namespace trelwin
