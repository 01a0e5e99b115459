// The checks the image decoder fuzz targets share: a decoder either refuses
// the bytes with a message or returns a bitmap that passes `verify`, and no
// handle outlives the call (live_handles, before and after).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/object_table.h"

namespace image_fuzz {

using Decoder = HBITMAP (*)(const uint8_t*, size_t, std::string*);

// The graphics objects alive now, counted once the stock objects exist
// (they are made on first use and live to the end).
inline size_t live_handles() {
    static const bool stock_made = [] {
        DeleteDC(CreateCompatibleDC(nullptr));
        return true;
    }();
    (void)stock_made;
    return trelwin::gdi::live_object_count();
}

template <typename Verify>
void check_decode(Decoder decode, const uint8_t* data, size_t size, Verify&& verify) {
    // A buffer of the input's exact size, so that a read past it shows.
    std::vector<uint8_t> bytes(data, data + size);
    const size_t handles = live_handles();
    std::string error;
    HBITMAP bitmap = decode(bytes.data(), bytes.size(), &error);
    if (!bitmap) {
        if (error.empty() || trelwin::gdi::live_object_count() != handles) std::abort();
        return;
    }
    if (!verify(bitmap)) std::abort();
    DeleteObject(bitmap);
    if (trelwin::gdi::live_object_count() != handles) std::abort();
}

}  // namespace image_fuzz
