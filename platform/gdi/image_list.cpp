#include "platform/gdi/image_list.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/resample.h"

using namespace trelwin::gdi;

namespace {

struct Image {
    std::vector<Pixel> pixels;
    std::vector<uint8_t> transparent;  // 1 where the mask is set
    bool alpha = false;
};

struct ImageListObject : GdiObject {
    ImageListObject() : GdiObject(Kind::ImageList) {}
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<Image> images;
};

std::shared_ptr<ImageListObject> list_of(HIMAGELIST h) {
    return lookup<ImageListObject>(h, Kind::ImageList);
}

// Reads the image at column `index` of a bitmap (cx wide strips).
std::vector<Pixel> read_block(const Surface& s, int left, int cx, int cy) {
    std::vector<Pixel> pixels(static_cast<size_t>(cx) * cy, 0);
    const int w = std::min(cx, s.width - left), h = std::min(cy, s.height);
    for (int y = 0; y < h && w > 0; ++y) s.read(y, left, w, &pixels[static_cast<size_t>(y) * cx]);
    return pixels;
}

bool any_alpha(const std::vector<Pixel>& pixels) {
    return std::any_of(pixels.begin(), pixels.end(), [](Pixel p) { return (p >> 24) != 0; });
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return nullptr;
    auto list = std::make_shared<ImageListObject>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    return static_cast<HIMAGELIST>(register_object(list));
}

BOOL ImageList_Destroy(HIMAGELIST h) {
    if (!list_of(h)) return FALSE;
    return unregister_object(h) ? TRUE : FALSE;
}

int ImageList_Add(HIMAGELIST h, HBITMAP hbm, HBITMAP hmask) {
    auto list = list_of(h);
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!list || !bitmap) return -1;
    auto mask = hmask ? lookup<BitmapObject>(hmask, Kind::Bitmap) : nullptr;
    const Surface& s = bitmap->surface;
    const int count = s.width / list->cx;
    if (count == 0) return -1;
    const int first = static_cast<int>(list->images.size());
    for (int i = 0; i < count; ++i) {
        Image image;
        image.pixels = read_block(s, i * list->cx, list->cx, list->cy);
        image.alpha = (list->flags & 0xFE) == ILC_COLOR32 && s.bpp == 32 && any_alpha(image.pixels);
        image.transparent.assign(image.pixels.size(), 0);
        if (mask && (list->flags & ILC_MASK)) {
            auto bits = read_block(mask->surface, i * list->cx, list->cx, list->cy);
            for (size_t k = 0; k < bits.size(); ++k) image.transparent[k] = (bits[k] & kRgbMask) != 0;
        }
        list->images.push_back(std::move(image));
    }
    return first;
}

int ImageList_AddMasked(HIMAGELIST h, HBITMAP hbm, COLORREF colour) {
    auto list = list_of(h);
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!list || !bitmap) return -1;
    const Surface& s = bitmap->surface;
    const int count = s.width / list->cx;
    if (count == 0) return -1;
    const Pixel key = colorref_to_pixel(colour);
    const int first = static_cast<int>(list->images.size());
    for (int i = 0; i < count; ++i) {
        Image image;
        image.pixels = read_block(s, i * list->cx, list->cx, list->cy);
        image.transparent.assign(image.pixels.size(), 0);
        for (size_t k = 0; k < image.pixels.size(); ++k) {
            if ((image.pixels[k] & kRgbMask) == key) {
                image.transparent[k] = 1;
                image.pixels[k] = 0;
            }
        }
        list->images.push_back(std::move(image));
    }
    return first;
}

int ImageList_ReplaceIcon(HIMAGELIST h, int index, HICON hicon) {
    auto list = list_of(h);
    auto icon = lookup<IconObject>(hicon, Kind::Icon);
    if (!list || !icon || index < -1 || index >= static_cast<int>(list->images.size())) return -1;
    // The icon's image (with its alpha) and mask, scaled to the list's size.
    const Surface& mask = icon->mask->surface;
    const Surface* colour = icon->colour ? &icon->colour->surface : nullptr;
    const int xor_top = colour ? 0 : icon->height;  // a monochrome icon keeps its image under the mask
    const Surface& image_source = colour ? *colour : mask;
    Image image;
    image.pixels.resize(static_cast<size_t>(list->cx) * list->cy);
    image.transparent.resize(image.pixels.size());
    resample([&](int y, int x, int n, Pixel* out) { image_source.read(y, x, n, out); }, 0, xor_top,
             image_source.width, icon->height, list->cx, list->cy, COLORONCOLOR, [&](int j, const Pixel* p) {
                 std::copy_n(p, list->cx, image.pixels.begin() + static_cast<ptrdiff_t>(j) * list->cx);
             });
    resample([&](int y, int x, int n, Pixel* out) { mask.read(y, x, n, out); }, 0, 0, mask.width, icon->height,
             list->cx, list->cy, COLORONCOLOR, [&](int j, const Pixel* p) {
                 for (int i = 0; i < list->cx; ++i) {
                     image.transparent[static_cast<size_t>(j) * list->cx + i] = (p[i] & kRgbMask) != 0;
                 }
             });
    image.alpha = any_alpha(image.pixels);
    if (image.alpha) {
        // An alpha icon is drawn by its alpha alone.
        std::fill(image.transparent.begin(), image.transparent.end(), 0);
    }
    if (index == -1) {
        list->images.push_back(std::move(image));
        return static_cast<int>(list->images.size()) - 1;
    }
    list->images[static_cast<size_t>(index)] = std::move(image);
    return index;
}

BOOL ImageList_Remove(HIMAGELIST h, int index) {
    auto list = list_of(h);
    if (!list) return FALSE;
    if (index == -1) {
        list->images.clear();
        return TRUE;
    }
    if (index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
    list->images.erase(list->images.begin() + index);
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST h) {
    auto list = list_of(h);
    return list ? static_cast<int>(list->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST h, int* cx, int* cy) {
    auto list = list_of(h);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST h, COLORREF colour) {
    auto list = list_of(h);
    if (!list) return CLR_NONE;
    const COLORREF previous = list->background;
    list->background = colour;
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST h) {
    auto list = list_of(h);
    return list ? list->background : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST h, int index, HDC hdc, int x, int y, UINT style) {
    return ImageList_DrawEx(h, index, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST h, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
    auto list = list_of(h);
    auto dc = dc_from_handle(hdc);
    if (!list || !dc || !dc->surface() || index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
    const Image& image = list->images[static_cast<size_t>(index)];
    const int width = dx > 0 ? std::min(dx, list->cx) : list->cx;
    const int height = dy > 0 ? std::min(dy, list->cy) : list->cy;
    const bool masked = (list->flags & ILC_MASK) != 0;
    if (background == CLR_DEFAULT) background = list->background;
    // Transparent drawing leaves the masked pixels; otherwise they take the
    // background colour (no background colour draws transparently too).
    const bool transparent = masked && ((style & ILD_TRANSPARENT) || background == CLR_NONE);
    const Pixel back = colorref_to_pixel(background);
    int blend = 0;
    if (style & ILD_BLEND50) blend = 50;
    else if (style & ILD_BLEND25) blend = 25;
    if (foreground == CLR_DEFAULT || foreground == CLR_NONE) foreground = GetSysColor(COLOR_HIGHLIGHT);
    const Pixel tint = colorref_to_pixel(foreground);
    const POINT origin = dc->to_surface(x, y);
    for (int j = 0; j < height; ++j) {
        modify_span(*dc, origin.y + j, origin.x, origin.x + width, [&](Pixel* row, int a, int n) {
            for (int k = 0; k < n; ++k) {
                const size_t i = static_cast<size_t>(j) * list->cx + (a + k - origin.x);
                Pixel& d = row[k];
                const bool clear = masked && image.transparent[i];
                if (style & ILD_MASK) {
                    d = clear ? kRgbMask : 0;
                    continue;
                }
                if (clear) {
                    if (!transparent) d = back;
                    continue;
                }
                Pixel s = image.pixels[i];
                if (blend) {
                    Pixel out = s & 0xFF000000u;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const uint32_t sv = (s >> shift) & 0xFF, tv = (tint >> shift) & 0xFF;
                        out |= ((sv * (100 - blend) + tv * blend + 50) / 100) << shift;
                    }
                    s = out;
                }
                d = image.alpha ? mix_pixel(s, d, s >> 24) : (s & kRgbMask);
            }
        });
    }
    return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST h, int index, UINT) {
    auto list = list_of(h);
    if (!list || index < 0 || index >= static_cast<int>(list->images.size())) return nullptr;
    const Image& image = list->images[static_cast<size_t>(index)];
    auto colour = make_dib(list->cx, list->cy, 32, true, {});
    auto mask = make_ddb(list->cx, list->cy, 1);
    if (!colour || !mask) return nullptr;
    for (int y = 0; y < list->cy; ++y) {
        const size_t row = static_cast<size_t>(y) * list->cx;
        colour->surface.write(y, 0, list->cx, &image.pixels[row]);
        std::vector<Pixel> bits(static_cast<size_t>(list->cx));
        for (int x = 0; x < list->cx; ++x) bits[static_cast<size_t>(x)] = image.transparent[row + x] ? kRgbMask : 0;
        mask->surface.write(y, 0, list->cx, bits.data());
    }
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(register_object(mask)),
                  static_cast<HBITMAP>(register_object(colour))};
    HICON icon = CreateIconIndirect(&info);
    unregister_object(info.hbmMask);
    unregister_object(info.hbmColor);
    return icon;
}
