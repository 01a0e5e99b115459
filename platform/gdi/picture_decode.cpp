#include <cstring>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/image/icon_resource.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/rect.h"

namespace trelwin::gdi {

namespace {

// What a rendered picture may cost: 64 MiB of 32-bit pixels.
constexpr uint64_t kMaxPictureArea = 1ull << 24;

enum class PictureFormat { Bitmap, Jpeg, Icon, Gif, Metafile, Unknown };

bool starts_with(const uint8_t* data, size_t size, const char* magic, size_t length) {
    return size >= length && std::memcmp(data, magic, length) == 0;
}

PictureFormat sniff(const uint8_t* data, size_t size) {
    if (starts_with(data, size, "BM", 2)) return PictureFormat::Bitmap;
    if (starts_with(data, size, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
    if (starts_with(data, size, "\0\0\1\0", 4) || starts_with(data, size, "\0\0\2\0", 4)) return PictureFormat::Icon;
    if (starts_with(data, size, "GIF87a", 6) || starts_with(data, size, "GIF89a", 6)) return PictureFormat::Gif;
    if (looks_like_metafile(data, size)) return PictureFormat::Metafile;
    return PictureFormat::Unknown;
}

HBITMAP fail(std::string* error, const char* text) {
    if (error) *error = text;
    return nullptr;
}

// The canvas of a picture: a zeroed 32-bit bottom-up DIB section in a memory
// DC, filled with the background unless it is 0xFFFFFFFF.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    Canvas(int width, int height, COLORREF background) {
        BITMAPINFO info = trelwin::gdi::dib32_info(width, height, true);
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        if (!bitmap || !dc) return;
        std::memset(bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        old = SelectObject(dc, bitmap);
        if (background != 0xFFFFFFFF) FillSolidRect(dc, 0, 0, width, height, background);
    }
    ~Canvas() {
        if (old) SelectObject(dc, old);
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
    }
    bool ready() const { return old != nullptr; }
    HBITMAP release() {
        SelectObject(dc, old);
        old = nullptr;
        HBITMAP result = bitmap;
        bitmap = nullptr;
        return result;
    }
};

bool fits(int width, int height) {
    return width > 0 && height > 0 && static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxPictureArea;
}

// How a decoded picture goes onto its canvas: copied, or laid over it by
// its premultiplied alpha (a GIF's transparent pixels are zeros) so that
// the background shows through.
enum class Laying { Copied, Blended };

HBITMAP render_bitmap(HBITMAP picture, COLORREF background, Laying laying, std::string* error) {
    BITMAP bm{};
    GetObject(picture, sizeof(bm), &bm);
    if (!fits(bm.bmWidth, bm.bmHeight)) {
        DeleteObject(picture);
        return fail(error, "the picture is too large");
    }
    Canvas canvas(bm.bmWidth, bm.bmHeight, background);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = source ? SelectObject(source, picture) : nullptr;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int w = bm.bmWidth, h = bm.bmHeight;
    const bool drawn = canvas.ready() && old &&
                       (laying == Laying::Blended ? AlphaBlend(canvas.dc, 0, 0, w, h, source, 0, 0, w, h, blend)
                                                  : BitBlt(canvas.dc, 0, 0, w, h, source, 0, 0, SRCCOPY));
    if (old) SelectObject(source, old);
    if (source) DeleteDC(source);
    DeleteObject(picture);
    return drawn ? canvas.release() : fail(error, "the picture could not be rendered");
}

HBITMAP render_icon(HICON icon, COLORREF background, std::string* error) {
    ICONINFO info{};
    BITMAP bm{};
    if (GetIconInfo(icon, &info)) {
        GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        if (!info.hbmColor) bm.bmHeight /= 2;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    if (!fits(bm.bmWidth, bm.bmHeight)) {
        DestroyIcon(icon);
        return fail(error, "the icon has no usable image");
    }
    Canvas canvas(bm.bmWidth, bm.bmHeight, background);
    const bool drawn = canvas.ready() && DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    return drawn ? canvas.release() : fail(error, "the icon could not be rendered");
}

// A metafile at the size its frame has at the given resolution.
HBITMAP render_metafile(const uint8_t* data, size_t size, COLORREF background, SIZE resolution, std::string* error) {
    MetafileFrame frame;
    if (!read_metafile_frame(data, size, &frame, error)) return nullptr;
    const int width = MulDiv(frame.width, resolution.cx, 2540);
    const int height = MulDiv(frame.height, resolution.cy, 2540);
    if (!fits(width, height)) return fail(error, "the metafile's frame is empty or too large");
    Canvas canvas(width, height, background);
    if (!canvas.ready()) return fail(error, "no memory for the picture");
    if (!play_metafile(canvas.dc, RECT{0, 0, width, height}, data, size, error)) return nullptr;
    return canvas.release();
}

}  // namespace

HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, SIZE resolution, std::string* error) {
    if (!data || size == 0) return fail(error, "no picture data");
    switch (sniff(data, size)) {
        case PictureFormat::Bitmap: {
            HBITMAP picture = decode_bmp(data, size, error);
            return picture ? render_bitmap(picture, background, Laying::Copied, error) : nullptr;
        }
        case PictureFormat::Jpeg: {
            HBITMAP picture = decode_jpeg(data, size, error);
            return picture ? render_bitmap(picture, background, Laying::Copied, error) : nullptr;
        }
        case PictureFormat::Icon: {
            HICON icon = decode_icon_file(data, size, 0, 0, error);
            return icon ? render_icon(icon, background, error) : nullptr;
        }
        case PictureFormat::Gif: {
            HBITMAP picture = decode_gif(data, size, error);
            return picture ? render_bitmap(picture, background, Laying::Blended, error) : nullptr;
        }
        case PictureFormat::Metafile:
            return render_metafile(data, size, background, resolution, error);
        case PictureFormat::Unknown:
            break;
    }
    return fail(error, "not a picture format that can be loaded (BMP, JPEG, GIF, icon or metafile)");
}

HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, std::string* error) {
    HDC dc = CreateCompatibleDC(nullptr);
    const SIZE resolution{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
    if (dc) DeleteDC(dc);
    return render_picture(data, size, background, resolution, error);
}

}  // namespace trelwin::gdi
