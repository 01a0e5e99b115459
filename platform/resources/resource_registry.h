// The program's resources, registered by type and name at start-up.
//
// A resource is known by a type and a name, each either a 16-bit integer id
// (MAKEINTRESOURCE) or a string. String types and names match without regard
// to ASCII case, as resource names always have. The registry does not copy
// the bytes: they must stay valid for the rest of the process, which is the
// case for the tables and embedded files of resources/ (static storage).
//
// Registration normally happens from static initialisers (see
// ResourceRegistration and the CMake function trelwin_embed_resource), so the
// registry is built on first use and never torn down.
#pragma once

#include <cstddef>

#include "platform/base/win_types.h"

namespace trelwin {

struct ResourceEntry;

// Adds a resource. Returns false, and keeps the resource already there, when
// the type and name are taken, or when type or data are missing.
bool RegisterResource(LPCSTR type, LPCSTR name, const void* data, size_t size);

// Adds a picture drawn for a screen scaled by `percent` (125: 120 dpi) as
// another form of the resource of that type and name; the resource itself
// is the form for 100 %. False when that form is taken.
bool RegisterScaledResource(LPCSTR type, LPCSTR name, int percent, const void* data, size_t size);

// Finds a resource. On failure returns nullptr and sets *error (when given)
// to ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
const ResourceEntry* LookupResource(LPCSTR type, LPCSTR name, DWORD* error);
// The same, but the form whose scale is nearest to `percent` (the larger of
// two as near), the resource itself when it has no other.
const ResourceEntry* LookupScaledResource(LPCSTR type, LPCSTR name, int percent, DWORD* error);

// Whether the pointer is an entry handed out by LookupResource.
bool IsResourceEntry(const ResourceEntry* entry);

const BYTE* ResourceData(const ResourceEntry* entry);
size_t ResourceSize(const ResourceEntry* entry);

// Registers one resource from a static initialiser.
class ResourceRegistration {
public:
    ResourceRegistration(LPCSTR type, LPCSTR name, const void* data, size_t size, int percent = 100)
    {
        if (percent == 100)
            RegisterResource(type, name, data, size);
        else
            RegisterScaledResource(type, name, percent, data, size);
    }
};

}  // namespace trelwin
