// Finding and reading the program's resources by type and name.
//
// Every resource belongs to the program's own module: hModule is NULL or
// GetModuleHandleA(NULL); any other module has no resources. String types
// and names ignore ASCII case. The data is read-only and lives as long as
// the process, so loading locks nothing and freeing has nothing to do.
#pragma once

#include "platform/base/win_types.h"
#include "platform/resources/resource_types.h"

// The resource's handle, or NULL with the last error set to
// ERROR_RESOURCE_TYPE_NOT_FOUND (no resource of that type),
// ERROR_RESOURCE_NAME_NOT_FOUND (the type exists but not that name) or
// ERROR_RESOURCE_DATA_NOT_FOUND (hModule is not the program's module).
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
#define FindResource FindResourceA

namespace trelwin {
// FindResourceA for pictures: the form of the resource drawn for the scale
// nearest to `percent` of a 96-dpi screen (see RegisterScaledResource).
HRSRC FindScaledResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType, int percent);
}  // namespace trelwin

// A handle to the resource's data; NULL (ERROR_INVALID_HANDLE) for a handle
// that FindResourceA did not return.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);

// The first byte of the data, or NULL for a NULL handle.
LPVOID LockResource(HGLOBAL hResData);

// The size of the data in bytes; 0 (ERROR_INVALID_HANDLE) for a handle that
// FindResourceA did not return.
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);

// Resources are never unloaded; always FALSE.
BOOL FreeResource(HGLOBAL hResData);
