#include "platform/gdi/bitmaps.h"

#include <cstring>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/resample.h"

using namespace trelwin::gdi;

namespace {

bool valid_depth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// The colour table that follows a BITMAPINFOHEADER.
std::vector<Pixel> read_colour_table(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    std::vector<Pixel> palette;
    if (h.biBitCount > 8) return palette;
    size_t count = h.biClrUsed ? h.biClrUsed : (size_t{1} << h.biBitCount);
    count = std::min<size_t>(count, size_t{1} << h.biBitCount);
    const auto* colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
    for (size_t i = 0; i < count; ++i) {
        palette.push_back((Pixel(colours[i].rgbRed) << 16) | (Pixel(colours[i].rgbGreen) << 8) | colours[i].rgbBlue);
    }
    return palette;
}

bool standard_masks(const BITMAPINFO* info) {
    const auto* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize);
    if (info->bmiHeader.biBitCount == 32) return masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
    if (info->bmiHeader.biBitCount == 16) return masks[0] == 0x7C00 && masks[1] == 0x3E0 && masks[2] == 0x1F;
    return false;
}

// A view of caller memory holding DIB rows as a surface.
Surface dib_view(const BITMAPINFOHEADER& h, void* bits, int rows, const std::vector<Pixel>& palette) {
    Surface s;
    s.width = h.biWidth;
    s.height = rows;
    s.bpp = h.biBitCount;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(dib_stride(h.biWidth, h.biBitCount));
    if (h.biHeight < 0) {
        s.bits = static_cast<uint8_t*>(bits);
        s.stride = stride;
    } else {
        s.bits = static_cast<uint8_t*>(bits) + stride * (rows - 1);
        s.stride = -stride;
    }
    s.palette = palette;
    return s;
}

bool header_ok(const BITMAPINFOHEADER& h) {
    return h.biSize >= sizeof(BITMAPINFOHEADER) && h.biWidth > 0 && h.biHeight != 0 && valid_depth(h.biBitCount) &&
           h.biWidth <= 65535 && h.biHeight >= -65535 && h.biHeight <= 65535;
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bpp, const void* bits) {
    if (width == 0 || height == 0) return static_cast<HBITMAP>(stock_object(-1));
    if (planes != 1 || !valid_depth(static_cast<int>(bpp)) || width < 0 || height < 0) return nullptr;
    auto bitmap = make_ddb(width, height, static_cast<int>(bpp));
    if (!bitmap) return nullptr;
    if (bits) {
        Surface in;
        in.width = width;
        in.height = height;
        in.bpp = static_cast<int>(bpp);
        in.bits = static_cast<uint8_t*>(const_cast<void*>(bits));
        in.stride = static_cast<ptrdiff_t>(ddb_stride(width, in.bpp));
        in.palette = default_palette(in.bpp);
        std::vector<Pixel> row(static_cast<size_t>(width));
        for (int y = 0; y < height; ++y) {
            in.read(y, 0, width, row.data());
            bitmap->surface.write(y, 0, width, row.data());
        }
    }
    return static_cast<HBITMAP>(register_object(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    auto dc = dc_from_handle(hdc);
    if (!dc || width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return static_cast<HBITMAP>(stock_object(-1));
    // A memory DC that still holds its initial bitmap is monochrome, and so
    // is what it makes.
    Surface* s = dc->surface();
    const int bpp = (dc->is_memory() && s && s->mono_ddb) ? 1 : 32;
    auto bitmap = make_ddb(width, height, bpp);
    return bitmap ? static_cast<HBITMAP>(register_object(bitmap)) : nullptr;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || !header_ok(info->bmiHeader)) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biCompression == BI_BITFIELDS) {
        if (!standard_masks(info)) return nullptr;
    } else if (h.biCompression != BI_RGB) {
        return nullptr;
    }
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    std::shared_ptr<BitmapObject> bitmap;
    if (h.biBitCount == 16) {
        bitmap = make_dib(h.biWidth, height, 24, h.biHeight < 0, {});
        if (bitmap) {
            // Re-lay the storage for two bytes per pixel.
            const size_t stride = dib_stride(h.biWidth, 16);
            bitmap->storage.reset(new (std::nothrow) uint8_t[stride * height]);
            if (!bitmap->storage) return nullptr;
            std::memset(bitmap->storage.get(), 0, stride * height);
            Surface& s = bitmap->surface;
            s.bpp = 16;
            s.stride = h.biHeight < 0 ? static_cast<ptrdiff_t>(stride) : -static_cast<ptrdiff_t>(stride);
            s.bits = h.biHeight < 0 ? bitmap->storage.get() : bitmap->storage.get() + stride * (height - 1);
            bitmap->dib_header.biBitCount = 16;
            bitmap->dib_header.biSizeImage = static_cast<DWORD>(stride * height);
        }
    } else {
        bitmap = make_dib(h.biWidth, height, h.biBitCount, h.biHeight < 0, read_colour_table(info));
    }
    if (!bitmap) return nullptr;
    if (h.biCompression == BI_BITFIELDS) {
        bitmap->dib_header.biCompression = BI_BITFIELDS;
        std::memcpy(bitmap->bitfields, reinterpret_cast<const BYTE*>(info) + h.biSize, sizeof(bitmap->bitfields));
    }
    if (bits) *bits = bitmap->storage.get();
    return static_cast<HBITMAP>(register_object(bitmap));
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!bitmap || !info || usage != DIB_RGB_COLORS || !dc_from_handle(hdc)) return 0;
    if (info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    const Surface& s = bitmap->surface;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0) {
        // Only the format is asked for.
        h.biWidth = s.width;
        h.biHeight = s.height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(s.bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(dib_stride(s.width, s.bpp) * s.height);
        h.biClrUsed = 0;
        return 1;
    }
    if (!valid_depth(h.biBitCount) || (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)) return 0;
    h.biWidth = s.width;
    if (h.biHeight == 0) h.biHeight = s.height;
    const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    h.biSizeImage = static_cast<DWORD>(dib_stride(s.width, h.biBitCount) * rows);
    h.biPlanes = 1;
    std::vector<Pixel> palette;
    if (h.biBitCount <= 8) {
        palette = (s.bpp == h.biBitCount && !s.palette.empty()) ? s.palette : default_palette(h.biBitCount);
        palette.resize(size_t{1} << h.biBitCount, 0);
        auto* colours = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + h.biSize);
        for (size_t i = 0; i < palette.size(); ++i) {
            colours[i] = RGBQUAD{static_cast<BYTE>(palette[i] & 0xFF), static_cast<BYTE>((palette[i] >> 8) & 0xFF),
                                 static_cast<BYTE>((palette[i] >> 16) & 0xFF), 0};
        }
        h.biClrUsed = 0;
    }
    if (!bits) return rows;
    if (start >= static_cast<UINT>(rows)) return 0;
    const int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(rows) - start));
    // Scan line numbers count from the first row in memory.
    Surface out = dib_view(h, bits, rows, palette);
    std::vector<Pixel> row(static_cast<size_t>(s.width));
    int copied = 0;
    for (int i = 0; i < count; ++i) {
        const int memory_row = static_cast<int>(start) + i;
        const int y = h.biHeight < 0 ? memory_row : rows - 1 - memory_row;
        if (y >= s.height) continue;
        s.read(y, 0, s.width, row.data());
        out.write(y, 0, s.width, row.data());
        ++copied;
    }
    return copied;
}

int SetDIBits(HDC, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!bitmap || !info || !bits || usage != DIB_RGB_COLORS || !header_ok(info->bmiHeader)) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && standard_masks(info))) return 0;
    const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (start >= static_cast<UINT>(rows)) return 0;
    Surface in = dib_view(h, const_cast<void*>(bits), rows, read_colour_table(info));
    Surface& s = bitmap->surface;
    const int width = std::min(s.width, static_cast<int>(h.biWidth));
    const int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(rows) - start));
    std::vector<Pixel> row(static_cast<size_t>(width));
    int copied = 0;
    for (int i = 0; i < count; ++i) {
        const int memory_row = static_cast<int>(start) + i;
        const int y = h.biHeight < 0 ? memory_row : rows - 1 - memory_row;
        if (y >= s.height) continue;
        in.read(y, 0, width, row.data());
        s.write(y, 0, width, row.data());
        ++copied;
    }
    return copied;
}

LONG GetBitmapBits(HBITMAP hbm, LONG size, LPVOID bits) {
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!bitmap || size < 0) return 0;
    const Surface& s = bitmap->surface;
    const size_t stride = ddb_stride(s.width, s.bpp);
    const size_t total = stride * s.height;
    if (!bits) return static_cast<LONG>(total);
    const size_t wanted = std::min<size_t>(static_cast<size_t>(size), total);
    const size_t row_bytes = (static_cast<size_t>(s.width) * s.bpp + 7) / 8;
    auto* out = static_cast<uint8_t*>(bits);
    size_t done = 0;
    for (int y = 0; y < s.height && done < wanted; ++y) {
        const size_t n = std::min(stride, wanted - done);
        std::memset(out + done, 0, n);
        std::memcpy(out + done, s.row(y), std::min(n, row_bytes));
        done += n;
    }
    return static_cast<LONG>(done);
}

LONG SetBitmapBits(HBITMAP hbm, DWORD size, const void* bits) {
    auto bitmap = lookup<BitmapObject>(hbm, Kind::Bitmap);
    if (!bitmap || !bits) return 0;
    Surface& s = bitmap->surface;
    const size_t stride = ddb_stride(s.width, s.bpp);
    const size_t row_bytes = (static_cast<size_t>(s.width) * s.bpp + 7) / 8;
    const auto* in = static_cast<const uint8_t*>(bits);
    size_t done = 0;
    for (int y = 0; y < s.height && done < size; ++y) {
        const size_t n = std::min<size_t>(stride, size - done);
        std::memcpy(s.row(y), in + done, std::min(n, row_bytes));
        done += n;
    }
    return static_cast<LONG>(done);
}

BOOL GetBitmapDimensionEx(HBITMAP hbm, LPSIZE size) {
    if (!lookup<BitmapObject>(hbm, Kind::Bitmap) || !size) return FALSE;
    *size = SIZE{0, 0};
    return TRUE;
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        HANDLE copy = copy_icon_image(image, cx, cy);
        if (copy && (flags & LR_COPYDELETEORG)) unregister_object(image);
        return copy;
    }
    if (type != IMAGE_BITMAP) return nullptr;
    auto source = lookup<BitmapObject>(image, Kind::Bitmap);
    if (!source || cx < 0 || cy < 0) return nullptr;
    const Surface& s = source->surface;
    const int width = cx ? cx : s.width;
    const int height = cy ? cy : s.height;
    std::shared_ptr<BitmapObject> copy;
    if (flags & LR_MONOCHROME) {
        copy = make_ddb(width, height, 1);
    } else if ((flags & LR_CREATEDIBSECTION) || source->dib_section) {
        const int bpp = s.bpp == 16 ? 24 : s.bpp;
        const bool top_down = source->dib_section && source->dib_header.biHeight < 0;
        copy = make_dib(width, height, bpp, top_down, s.palette.empty() ? default_palette(bpp) : s.palette);
    } else {
        copy = make_ddb(width, height, s.bpp);
    }
    if (!copy) return nullptr;
    resample([&](int y, int x, int n, Pixel* out) { s.read(y, x, n, out); }, 0, 0, s.width, s.height, width, height,
             COLORONCOLOR, [&](int row, const Pixel* pixels) { copy->surface.write(row, 0, width, pixels); });
    HANDLE result = register_object(copy);
    if (flags & LR_COPYDELETEORG) DeleteObject(image);
    return result;
}

namespace trelwin::gdi {

BITMAPINFO dib32_info(int width, int height, bool bottom_up) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = bottom_up ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace trelwin::gdi
