// Icons and cursors from the bytes that icon resources and .ico / .cur files
// hold: one image is an info header whose height counts both the colour rows
// and the 1-bit AND mask rows below them, the colour table, the colour rows,
// then the mask rows; a directory lists the images of one icon in several
// sizes. Every count and offset is checked against the bytes present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

// One image (an RT_ICON resource or the data of a file's entry); a cursor's
// hot spot is given separately. 32-bit images keep their alpha bytes.
HICON decode_icon_image(const uint8_t* data, size_t size, bool icon, int hotspot_x, int hotspot_y,
                        std::string* error);

// Index of the directory entry that suits cx x cy best: the exact size if
// there is one, else the nearest; among equals the deepest colour. Entries
// of `entry_size` bytes (16 in files, 14 in group resources) follow the
// 6-byte header. -1 when the directory is damaged or empty.
int best_icon_entry(const uint8_t* directory, size_t size, size_t entry_size, int cx, int cy,
                    std::string* error);

// A whole .ico or .cur file: the best image for cx x cy (0 keeps the image's
// own size), scaled to that size when it has none of it.
HICON decode_icon_file(const uint8_t* data, size_t size, int cx, int cy, std::string* error);

}  // namespace trelwin::gdi

// An RT_ICON or RT_CURSOR resource as an icon; cursors start with their hot
// spot. cx, cy of 0 keep the image's size.
HICON CreateIconFromResourceEx(PBYTE bits, DWORD size, BOOL icon, DWORD version, int cx, int cy, UINT flags);
HICON CreateIconFromResource(PBYTE bits, DWORD size, BOOL icon, DWORD version);
// The resource id of the best image in an RT_GROUP_ICON or RT_GROUP_CURSOR
// resource; 0 when there is none. Reads the 6-byte header and as many
// entries as it counts, so the data must be a whole directory.
int LookupIconIdFromDirectoryEx(PBYTE directory, BOOL icon, int cx, int cy, UINT flags);
