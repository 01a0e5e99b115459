// Icon and cursor files: a damaged directory or image is refused with a
// message, a decoded icon can be drawn at its size and at another, and no
// handle outlives the call.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/image/icon_resource.h"
#include "platform/gdi/internal/object_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    static HDC dc = [] {
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, CreateBitmap(64, 64, 1, 32, nullptr));
        return memory;
    }();
    const size_t handles = trelwin::gdi::live_object_count();
    std::string error;
    // The requested size comes from the input's first byte when there is one.
    const int size_wanted = size > 0 ? bytes[0] % 40 : 0;
    HICON icon = trelwin::gdi::decode_icon_file(bytes.data(), bytes.size(), size_wanted, size_wanted, &error);
    if (!icon) {
        if (error.empty() || trelwin::gdi::live_object_count() != handles) std::abort();
        return 0;
    }
    if (!DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL) ||
        !DrawIconEx(dc, 3, 3, icon, 17, 9, 0, nullptr, DI_NORMAL))
        std::abort();
    DestroyIcon(icon);
    if (trelwin::gdi::live_object_count() != handles) std::abort();
    return 0;
}
