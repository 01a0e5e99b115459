#include "platform/base/module_handle.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

namespace {

// Its address is the handle: unique in the process and never NULL.
HINSTANCE__ g_programModule{};

}  // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    if (lpModuleName != nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return &g_programModule;
}
