// Kernel objects of this program are private to the process and unnamed.
// A name would promise sharing with other processes that this layer does not
// give, so a named creation fails with ERROR_NOT_SUPPORTED instead of
// quietly making a private object.
#pragma once

#include "platform/base/win_types.h"

// TRUE for a null or empty name; otherwise FALSE with the last error set.
BOOL CheckUnnamedKernelObject(LPCSTR lpName);
