#include "platform/gdi/image/icon_resource.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::gdi {

namespace {

constexpr int kMaxSide = 1024;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

HICON fail(std::string* error, const char* text) {
    if (error) *error = text;
    return nullptr;
}

// Bits of a row of a 1-, 4- or 8-bit image as a palette index.
uint32_t index_at(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default: return row[x];
    }
}

struct Entry {
    int width = 0;
    int height = 0;
    int bpp = 0;
    uint32_t bytes = 0;
    uint32_t offset_or_id = 0;
    int hotspot_x = 0;
    int hotspot_y = 0;
};

// Reads the directory; entry_size 16 for files, 14 for group resources.
bool read_directory(const uint8_t* data, size_t size, size_t entry_size, bool& icon, std::vector<Entry>& out,
                    std::string* error) {
    if (!data || size < 6 || u16(data) != 0 || (u16(data + 2) != 1 && u16(data + 2) != 2)) {
        fail(error, "not an icon or cursor directory");
        return false;
    }
    icon = u16(data + 2) == 1;
    const size_t count = u16(data + 4);
    if (count == 0 || (size - 6) / entry_size < count) {
        fail(error, "icon directory is empty or cut short");
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + i * entry_size;
        Entry entry;
        if (entry_size == 14 && !icon) {  // cursor group: 16-bit sizes, height counts the mask
            entry.width = u16(e);
            entry.height = u16(e + 2) / 2;
            entry.bpp = u16(e + 6);
        } else {
            entry.width = e[0] ? e[0] : 256;
            entry.height = e[1] ? e[1] : 256;
            if (icon) entry.bpp = u16(e + 6);
            else {
                entry.hotspot_x = u16(e + 4);
                entry.hotspot_y = u16(e + 6);
            }
        }
        entry.bytes = u32(e + 8);
        entry.offset_or_id = entry_size == 14 ? u16(e + 12) : u32(e + 12);
        out.push_back(entry);
    }
    return true;
}

int choose(const std::vector<Entry>& entries, int cx, int cy) {
    int best = -1;
    long best_distance = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const long distance = (cx ? std::labs(e.width - cx) : 0) + (cy ? std::labs(e.height - cy) : 0);
        if (best < 0 || distance < best_distance ||
            (distance == best_distance && e.bpp > entries[static_cast<size_t>(best)].bpp)) {
            best = static_cast<int>(i);
            best_distance = distance;
        }
    }
    return best;
}

HBITMAP keep(std::shared_ptr<BitmapObject> bitmap) {
    return bitmap ? static_cast<HBITMAP>(register_object(std::move(bitmap))) : nullptr;
}

HICON scaled(HICON icon, int cx, int cy) {
    if (!icon || (cx == 0 && cy == 0)) return icon;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return icon;
    BITMAP bm{};
    GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if ((cx == 0 || cx == bm.bmWidth) && (cy == 0 || cy == bm.bmHeight)) return icon;
    HANDLE copy = CopyImage(icon, IMAGE_ICON, cx, cy, 0);
    if (!copy) return icon;
    DestroyIcon(icon);
    return static_cast<HICON>(copy);
}

}  // namespace

HICON decode_icon_image(const uint8_t* data, size_t size, bool icon, int hotspot_x, int hotspot_y,
                        std::string* error) {
    if (!data || size < 40) return fail(error, "icon image is cut short");
    if (std::memcmp(data, kPngSignature, sizeof(kPngSignature)) == 0) {
        return fail(error, "icon images stored as PNG are not supported");
    }
    const uint32_t header_size = u32(data);
    if (header_size < 40 || header_size > 124 || header_size > size) return fail(error, "unknown icon image header");
    const int32_t width = static_cast<int32_t>(u32(data + 4));
    int32_t height = static_cast<int32_t>(u32(data + 8));
    const bool top_down = height < 0;
    if (top_down) height = height == INT32_MIN ? 0 : -height;
    const int bpp = u16(data + 14);
    const uint32_t colours_used = u32(data + 32);
    if (u16(data + 12) != 1) return fail(error, "icon image has more than one plane");
    if (width <= 0 || width > kMaxSide || height < 2 || height % 2 != 0 || height / 2 > kMaxSide) {
        return fail(error, "icon image size is out of range");
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return fail(error, "unsupported icon depth");
    if (u32(data + 16) != BI_RGB) return fail(error, "compressed icon images are not supported");
    const int rows = height / 2;
    std::vector<Pixel> palette;
    size_t offset = header_size;
    if (bpp <= 8) {
        const size_t limit = size_t{1} << bpp;
        const size_t count = colours_used ? colours_used : limit;
        if (count > limit || (size - offset) / 4 < count) return fail(error, "icon colour table is cut short");
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* q = data + offset + i * 4;
            palette.push_back(q[0] | (q[1] << 8) | (q[2] << 16));
        }
        palette.resize(limit, 0);
        offset += count * 4;
    }
    const size_t colour_stride = dib_stride(width, bpp);
    const size_t mask_stride = dib_stride(width, 1);
    if ((size - offset) / colour_stride < static_cast<size_t>(rows)) return fail(error, "icon image rows are cut short");
    const uint8_t* colour_rows = data + offset;
    offset += colour_stride * rows;
    // 32-bit images may leave the mask out: their alpha says what shows.
    const bool have_mask = (size - offset) / mask_stride >= static_cast<size_t>(rows);
    if (!have_mask && bpp != 32) return fail(error, "icon mask rows are cut short");
    const uint8_t* mask_rows = have_mask ? data + offset : nullptr;

    auto colour = make_dib(width, rows, 32, true, {});
    auto mask = make_ddb(width, rows, 1);
    if (!colour || !mask) return fail(error, "out of memory for the icon");
    std::vector<Pixel> line(static_cast<size_t>(width));
    for (int y = 0; y < rows; ++y) {
        const int stored = top_down ? y : rows - 1 - y;
        const uint8_t* in = colour_rows + colour_stride * stored;
        for (int x = 0; x < width; ++x) {
            if (bpp == 32) {
                line[x] = u32(in + 4 * x);
            } else if (bpp == 24) {
                line[x] = in[3 * x] | (in[3 * x + 1] << 8) | (in[3 * x + 2] << 16);
            } else {
                line[x] = palette[index_at(in, x, bpp)];
            }
        }
        colour->surface.write(y, 0, width, line.data());
        const uint8_t* m = mask_rows ? mask_rows + mask_stride * stored : nullptr;
        for (int x = 0; x < width; ++x) line[x] = (m && index_at(m, x, 1)) ? kRgbMask : 0;
        mask->surface.write(y, 0, width, line.data());
    }
    ICONINFO info{icon ? TRUE : FALSE, static_cast<DWORD>(hotspot_x), static_cast<DWORD>(hotspot_y), keep(mask),
                  keep(colour)};
    HICON result = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return result ? result : fail(error, "icon cannot be made");
}

int best_icon_entry(const uint8_t* directory, size_t size, size_t entry_size, int cx, int cy, std::string* error) {
    bool icon = true;
    std::vector<Entry> entries;
    if (!read_directory(directory, size, entry_size, icon, entries, error)) return -1;
    return choose(entries, cx, cy);
}

HICON decode_icon_file(const uint8_t* data, size_t size, int cx, int cy, std::string* error) {
    bool icon = true;
    std::vector<Entry> entries;
    if (!read_directory(data, size, 16, icon, entries, error)) return nullptr;
    const Entry& e = entries[static_cast<size_t>(choose(entries, cx, cy))];
    if (e.offset_or_id > size || size - e.offset_or_id < e.bytes) return fail(error, "icon image lies outside the file");
    HICON result = decode_icon_image(data + e.offset_or_id, e.bytes, icon, e.hotspot_x, e.hotspot_y, error);
    return scaled(result, cx, cy);
}

}  // namespace trelwin::gdi

using namespace trelwin::gdi;

HICON CreateIconFromResourceEx(PBYTE bits, DWORD size, BOOL icon, DWORD, int cx, int cy, UINT) {
    if (!bits) return nullptr;
    int hotspot_x = 0, hotspot_y = 0;
    if (!icon) {
        if (size < 4) return nullptr;
        hotspot_x = u16(bits);
        hotspot_y = u16(bits + 2);
        bits += 4;
        size -= 4;
    }
    return scaled(decode_icon_image(bits, size, icon != FALSE, hotspot_x, hotspot_y, nullptr), cx, cy);
}

HICON CreateIconFromResource(PBYTE bits, DWORD size, BOOL icon, DWORD version) {
    return CreateIconFromResourceEx(bits, size, icon, version, 0, 0, 0);
}

int LookupIconIdFromDirectoryEx(PBYTE directory, BOOL, int cx, int cy, UINT) {
    if (!directory) return 0;
    const size_t size = 6 + static_cast<size_t>(u16(directory + 4)) * 14;
    bool icon = true;
    std::vector<Entry> entries;
    if (!read_directory(directory, size, 14, icon, entries, nullptr)) return 0;
    return static_cast<int>(entries[static_cast<size_t>(choose(entries, cx, cy))].offset_or_id);
}
