#include "platform/gdi/handle_check.h"

#include "platform/gdi/internal/object_table.h"

namespace trelwin::gdi {
namespace {

HANDLE live_handle(uint64_t value, Kind kind) {
    if (value == 0 || value > UINTPTR_MAX) return nullptr;
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    auto object = lookup_object(handle);
    return object && object->kind == kind ? handle : nullptr;
}

}  // namespace

HBITMAP bitmap_from_number(uint64_t value) {
    return static_cast<HBITMAP>(live_handle(value, Kind::Bitmap));
}

HICON icon_from_number(uint64_t value) {
    return static_cast<HICON>(live_handle(value, Kind::Icon));
}

}  // namespace trelwin::gdi
