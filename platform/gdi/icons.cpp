#include "platform/gdi/icons.h"

#include <algorithm>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/resample.h"

using namespace trelwin::gdi;

namespace {

std::shared_ptr<BitmapObject> copy_bitmap(const BitmapObject& source, int width, int height) {
    const Surface& s = source.surface;
    auto copy = source.dib_section ? make_dib(width, height, s.bpp == 16 ? 24 : s.bpp, false,
                                              s.palette.empty() ? default_palette(s.bpp) : s.palette)
                                   : make_ddb(width, height, s.bpp);
    if (!copy) return nullptr;
    resample([&](int y, int x, int n, Pixel* out) { s.read(y, x, n, out); }, 0, 0, s.width, s.height, width, height,
             COLORONCOLOR, [&](int row, const Pixel* pixels) { copy->surface.write(row, 0, width, pixels); });
    return copy;
}

std::shared_ptr<IconObject> icon_of(HICON h) {
    return lookup<IconObject>(h, Kind::Icon);
}

bool has_alpha(const Surface& s) {
    if (s.bpp != 32) return false;
    for (int y = 0; y < s.height; ++y) {
        const Pixel* row = s.row32(y);
        for (int x = 0; x < s.width; ++x) {
            if (row[x] >> 24) return true;
        }
    }
    return false;
}

}  // namespace

namespace trelwin::gdi {

// Copies an icon at another size (0 keeps the size), for CopyImage.
HANDLE copy_icon_image(HANDLE h, int cx, int cy) {
    auto icon = icon_of(static_cast<HICON>(h));
    if (!icon) return nullptr;
    auto copy = std::make_shared<IconObject>();
    copy->is_icon = icon->is_icon;
    copy->width = cx ? cx : icon->width;
    copy->height = cy ? cy : icon->height;
    copy->hotspot_x = static_cast<DWORD>(MulDiv(static_cast<int>(icon->hotspot_x), copy->width, icon->width));
    copy->hotspot_y = static_cast<DWORD>(MulDiv(static_cast<int>(icon->hotspot_y), copy->height, icon->height));
    const int mask_height = icon->colour ? copy->height : copy->height * 2;
    copy->mask = copy_bitmap(*icon->mask, copy->width, mask_height);
    if (icon->colour) copy->colour = copy_bitmap(*icon->colour, copy->width, copy->height);
    if (!copy->mask || (icon->colour && !copy->colour)) return nullptr;
    return register_object(copy);
}

}  // namespace trelwin::gdi

HICON CreateIconIndirect(const ICONINFO* info) {
    if (!info) return nullptr;
    auto mask = lookup<BitmapObject>(info->hbmMask, Kind::Bitmap);
    if (!mask) return nullptr;
    auto colour = info->hbmColor ? lookup<BitmapObject>(info->hbmColor, Kind::Bitmap) : nullptr;
    if (info->hbmColor && !colour) return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->is_icon = info->fIcon != FALSE;
    icon->width = mask->surface.width;
    icon->height = colour ? mask->surface.height : mask->surface.height / 2;
    if (icon->height <= 0) return nullptr;
    if (colour && (colour->surface.width != icon->width || colour->surface.height != icon->height)) return nullptr;
    // Icons keep the hot spot in the middle; cursors take the given one.
    icon->hotspot_x = icon->is_icon ? static_cast<DWORD>(icon->width / 2) : info->xHotspot;
    icon->hotspot_y = icon->is_icon ? static_cast<DWORD>(icon->height / 2) : info->yHotspot;
    icon->mask = copy_bitmap(*mask, mask->surface.width, mask->surface.height);
    if (colour) icon->colour = copy_bitmap(*colour, icon->width, icon->height);
    if (!icon->mask || (colour && !icon->colour)) return nullptr;
    return static_cast<HICON>(register_object(icon));
}

BOOL GetIconInfo(HICON h, ICONINFO* info) {
    auto icon = icon_of(h);
    if (!icon || !info) return FALSE;
    info->fIcon = icon->is_icon ? TRUE : FALSE;
    info->xHotspot = icon->hotspot_x;
    info->yHotspot = icon->hotspot_y;
    auto mask = copy_bitmap(*icon->mask, icon->mask->surface.width, icon->mask->surface.height);
    info->hbmMask = mask ? static_cast<HBITMAP>(register_object(mask)) : nullptr;
    info->hbmColor = nullptr;
    if (icon->colour) {
        auto colour = copy_bitmap(*icon->colour, icon->width, icon->height);
        info->hbmColor = colour ? static_cast<HBITMAP>(register_object(colour)) : nullptr;
    }
    return info->hbmMask != nullptr;
}

HICON CopyIcon(HICON h) {
    return static_cast<HICON>(copy_icon_image(h, 0, 0));
}

BOOL DestroyIcon(HICON h) {
    if (!icon_of(h)) return FALSE;
    return unregister_object(h) ? TRUE : FALSE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON h, int cx, int cy, UINT, HBRUSH, UINT flags) {
    auto dc = dc_from_handle(hdc);
    auto icon = icon_of(h);
    if (!dc || !icon || !dc->surface()) return FALSE;
    if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
    const int width = cx > 0 ? cx : icon->width;
    const int height = cy > 0 ? cy : icon->height;
    const Surface& mask = icon->mask->surface;
    const Surface* image = icon->colour ? &icon->colour->surface : nullptr;
    const bool alpha = image && has_alpha(*image);
    const POINT origin = dc->to_surface(x, y);
    // Scaled rows of the mask (AND part) and of the image (or the XOR part).
    std::vector<Pixel> xor_rows(static_cast<size_t>(width) * height);
    std::vector<Pixel> and_rows(static_cast<size_t>(width) * height);
    resample([&](int yy, int xx, int n, Pixel* out) { mask.read(yy, xx, n, out); }, 0, 0, mask.width, icon->height,
             width, height, COLORONCOLOR,
             [&](int j, const Pixel* p) { std::copy_n(p, width, and_rows.begin() + static_cast<ptrdiff_t>(j) * width); });
    if (image) {
        resample([&](int yy, int xx, int n, Pixel* out) { image->read(yy, xx, n, out); }, 0, 0, image->width,
                 image->height, width, height, COLORONCOLOR,
                 [&](int j, const Pixel* p) { std::copy_n(p, width, xor_rows.begin() + static_cast<ptrdiff_t>(j) * width); });
    } else {
        resample([&](int yy, int xx, int n, Pixel* out) { mask.read(yy, xx, n, out); }, 0, icon->height, mask.width,
                 icon->height, width, height, COLORONCOLOR,
                 [&](int j, const Pixel* p) { std::copy_n(p, width, xor_rows.begin() + static_cast<ptrdiff_t>(j) * width); });
    }
    for (int j = 0; j < height; ++j) {
        modify_span(*dc, origin.y + j, origin.x, origin.x + width, [&](Pixel* row, int a, int n) {
            for (int k = 0; k < n; ++k) {
                const size_t i = static_cast<size_t>(j) * width + (a + k - origin.x);
                Pixel& d = row[k];
                const Pixel s = xor_rows[i];
                // One of the two parts alone is copied as it is.
                if ((flags & DI_NORMAL) == DI_IMAGE) {
                    d = s;
                    continue;
                }
                if ((flags & DI_NORMAL) == DI_MASK) {
                    d = and_rows[i] & kRgbMask;
                    continue;
                }
                if (alpha) {
                    d = mix_pixel(s, d, s >> 24);
                    continue;
                }
                d &= (and_rows[i] & kRgbMask) | 0xFF000000u;
                d = (d ^ (s & kRgbMask)) & kRgbMask;
            }
        });
    }
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
