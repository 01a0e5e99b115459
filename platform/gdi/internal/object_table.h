// Every graphics object lives behind a handle issued by one process-wide
// table. A handle encodes the slot, a generation and the object kind, so a
// stale handle (its slot reused) or a foreign value is refused without being
// dereferenced. Objects are held by shared_ptr: a thread that looked an
// object up keeps it alive even if another thread deletes its handle.
#pragma once

#include <memory>

#include "platform/base/win_types.h"

namespace trelwin::gdi {

// Values match the OBJ_* codes that GetObjectType reports; icons have no
// OBJ_ code and use private values, as do image lists.
enum class Kind : int {
    Pen = 1,
    Brush = 2,
    Dc = 3,
    Font = 6,
    Bitmap = 7,
    Region = 8,
    MemDc = 10,
    Icon = 0x40,
    ImageList = 0x41,
};

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Kind kind;
    bool stock = false;
};

// Registers an object and returns its new handle (never null).
HANDLE register_object(std::shared_ptr<GdiObject> object);
// The live object behind a handle, or null for a null, stale or foreign one.
std::shared_ptr<GdiObject> lookup_object(HANDLE handle);
// Removes the handle; the object dies when its last user lets go.
bool unregister_object(HANDLE handle);
// Number of live handles (tests use it to find leaks).
size_t live_object_count();

template <typename T>
std::shared_ptr<T> lookup(HANDLE handle, Kind kind) {
    auto object = lookup_object(handle);
    if (!object || object->kind != kind) {
        return nullptr;
    }
    return std::static_pointer_cast<T>(object);
}

}  // namespace trelwin::gdi
