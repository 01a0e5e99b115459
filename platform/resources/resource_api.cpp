#include "platform/resources/resource_api.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/program_module.h"
#include "platform/resources/resource_registry.h"

using trelwin::ResourceEntry;

namespace {

// percent 0: the resource itself.
HRSRC Find(HMODULE hModule, LPCSTR lpName, LPCSTR lpType, int percent)
{
    if (!trelwin::IsProgramModule(hModule)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = percent ? trelwin::LookupScaledResource(lpType, lpName, percent, &error)
                                         : trelwin::LookupResource(lpType, lpName, &error);
    if (!entry) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

}  // namespace

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    return Find(hModule, lpName, lpType, 0);
}

HRSRC trelwin::FindScaledResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType, int percent)
{
    return Find(hModule, lpName, lpType, percent > 0 ? percent : 100);
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
