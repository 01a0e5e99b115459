#include "platform/resources/resource_api.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/program_module.h"
#include "platform/resources/resource_registry.h"

using trelwin::ResourceEntry;

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    if (!trelwin::IsProgramModule(hModule)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = trelwin::LookupResource(lpType, lpName, &error);
    if (!entry) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

namespace {

const ResourceEntry* CheckedEntry(HRSRC hResInfo)
{
    auto* entry = reinterpret_cast<const ResourceEntry*>(hResInfo);
    if (!trelwin::IsResourceEntry(entry)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return entry;
}

}  // namespace

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo)
{
    const ResourceEntry* entry = CheckedEntry(hResInfo);
    if (!entry)
        return nullptr;
    return const_cast<BYTE*>(trelwin::ResourceData(entry));
}

LPVOID LockResource(HGLOBAL hResData)
{
    return hResData;
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo)
{
    const ResourceEntry* entry = CheckedEntry(hResInfo);
    if (!entry)
        return 0;
    return static_cast<DWORD>(trelwin::ResourceSize(entry));
}

BOOL FreeResource(HGLOBAL)
{
    return FALSE;
}
