#include "platform/threading/kernel_object_name.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

BOOL CheckUnnamedKernelObject(LPCSTR lpName) {
    if (lpName == nullptr || *lpName == '\0') {
        return TRUE;
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
