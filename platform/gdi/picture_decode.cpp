#include <cstring>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/image/icon_resource.h"
#include "platform/gdi/image_decode.h"

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
    // Placeable and plain Windows metafiles, and enhanced metafiles (record
    // type 1 with the " EMF" signature at offset 40).
    if (starts_with(data, size, "\xD7\xCD\xC6\x9A", 4) || starts_with(data, size, "\1\0\x09\0", 4) ||
        starts_with(data, size, "\2\0\x09\0", 4) ||
        (starts_with(data, size, "\1\0\0\0", 4) && size >= 44 && std::memcmp(data + 40, " EMF", 4) == 0))
        return PictureFormat::Metafile;
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
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
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

HBITMAP render_bitmap(HBITMAP picture, COLORREF background, std::string* error) {
    BITMAP bm{};
    GetObject(picture, sizeof(bm), &bm);
    if (!fits(bm.bmWidth, bm.bmHeight)) {
        DeleteObject(picture);
        return fail(error, "the picture is too large");
    }
    Canvas canvas(bm.bmWidth, bm.bmHeight, background);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = source ? SelectObject(source, picture) : nullptr;
    const bool drawn =
        canvas.ready() && old && BitBlt(canvas.dc, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
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

}  // namespace

HBITMAP render_picture(const uint8_t* data, size_t size, COLORREF background, std::string* error) {
    if (!data || size == 0) return fail(error, "no picture data");
    switch (sniff(data, size)) {
        case PictureFormat::Bitmap: {
            HBITMAP picture = decode_bmp(data, size, error);
            return picture ? render_bitmap(picture, background, error) : nullptr;
        }
        case PictureFormat::Jpeg: {
            HBITMAP picture = decode_jpeg(data, size, error);
            return picture ? render_bitmap(picture, background, error) : nullptr;
        }
        case PictureFormat::Icon: {
            HICON icon = decode_icon_file(data, size, 0, 0, error);
            return icon ? render_icon(icon, background, error) : nullptr;
        }
        case PictureFormat::Gif:
            return fail(error, "GIF pictures are not supported");
        case PictureFormat::Metafile:
            return fail(error, "metafile pictures are not supported");
        case PictureFormat::Unknown:
            break;
    }
    return fail(error, "not a picture format that can be loaded (BMP, JPEG or icon)");
}

}  // namespace trelwin::gdi
