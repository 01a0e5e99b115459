#include "platform/gdi/image/dib_layout.h"

#include <bit>
#include <cstring>

namespace trelwin::gdi {

namespace {

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool contiguous(DWORD mask) {
    if (mask == 0) return true;
    const DWORD shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// A channel of a bit-field pixel widened or narrowed to 8 bits.
uint32_t channel(uint32_t value, DWORD mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint64_t max = (uint64_t{1} << bits) - 1;
    const uint64_t v = (value & mask) >> shift;
    return static_cast<uint32_t>((v * 255 + max / 2) / max);
}

constexpr int kMaxSide = 65535;

}  // namespace

bool parse_dib_header(const uint8_t* data, size_t size, int header_rows_factor, DibLayout& out, std::string* error) {
    out = DibLayout{};
    if (!data || size < 12) {
        set_error(error, "bitmap header is cut short");
        return false;
    }
    const uint32_t header_size = le32(data);
    long long height = 0;
    int planes = 0;
    int palette_entry_bytes = 4;
    uint32_t colours_used = 0;
    if (header_size == 12) {
        out.width = le16(data + 4);
        height = le16(data + 6);
        planes = le16(data + 8);
        out.bpp = le16(data + 10);
        palette_entry_bytes = 3;
    } else if (header_size == 40 || header_size == 52 || header_size == 56 || header_size == 108 ||
               header_size == 124) {
        if (size < header_size) {
            set_error(error, "bitmap header is cut short");
            return false;
        }
        const int32_t width = static_cast<int32_t>(le32(data + 4));
        if (width <= 0 || width > kMaxSide) {
            set_error(error, "bitmap width is out of range");
            return false;
        }
        out.width = width;
        height = static_cast<int32_t>(le32(data + 8));
        planes = le16(data + 12);
        out.bpp = le16(data + 14);
        out.compression = le32(data + 16);
        colours_used = le32(data + 32);
    } else {
        set_error(error, "unknown bitmap header size");
        return false;
    }
    if (planes != 1) {
        set_error(error, "bitmap has more than one plane");
        return false;
    }
    if (height < 0) {
        out.top_down = true;
        height = -height;
    }
    if (out.width <= 0 || height <= 0 || height % header_rows_factor != 0 ||
        height / header_rows_factor > kMaxSide) {
        set_error(error, "bitmap size is out of range");
        return false;
    }
    out.height = static_cast<int>(height / header_rows_factor);
    const int bpp = out.bpp;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        set_error(error, "unsupported bits per pixel");
        return false;
    }
    size_t offset = header_size;
    if (out.compression == BI_BITFIELDS) {
        if (bpp != 16 && bpp != 32) {
            set_error(error, "bit masks need 16 or 32 bits per pixel");
            return false;
        }
        const uint8_t* masks = data + 40;
        if (header_size == 40) {
            if (size < 52) {
                set_error(error, "bit masks are cut short");
                return false;
            }
            offset += 12;
        }
        out.masks[0] = le32(masks);
        out.masks[1] = le32(masks + 4);
        out.masks[2] = le32(masks + 8);
        if (header_size >= 56) out.masks[3] = le32(masks + 12);
        for (DWORD mask : out.masks) {
            if (!contiguous(mask) || (bpp == 16 && mask > 0xFFFF)) {
                set_error(error, "bit masks are not contiguous or too wide");
                return false;
            }
        }
    } else if (out.compression == BI_RGB) {
        if (bpp == 16) {
            out.masks[0] = 0x7C00;
            out.masks[1] = 0x03E0;
            out.masks[2] = 0x001F;
        }
    } else {
        set_error(error, "compressed bitmaps are not supported");
        return false;
    }
    if (colours_used > 256) {
        set_error(error, "colour table is too large");
        return false;
    }
    size_t entries = colours_used;
    if (bpp <= 8 && entries == 0) entries = size_t{1} << bpp;
    const size_t table_bytes = entries * palette_entry_bytes;
    if (offset > size || size - offset < table_bytes) {
        set_error(error, "colour table is cut short");
        return false;
    }
    if (bpp <= 8) {
        const size_t used = std::min(entries, size_t{1} << bpp);
        out.palette.reserve(used);
        for (size_t i = 0; i < used; ++i) {
            const uint8_t* q = data + offset + i * palette_entry_bytes;
            out.palette.push_back(q[0] | (q[1] << 8) | (q[2] << 16));
        }
    }
    out.header_bytes = offset + table_bytes;
    out.stride = dib_stride(out.width, bpp);
    return true;
}

std::shared_ptr<BitmapObject> build_dib(const DibLayout& layout, const uint8_t* bits, size_t available,
                                        std::string* error) {
    const size_t needed = layout.stride * static_cast<size_t>(layout.height);
    if (!bits || available < needed) {
        set_error(error, "pixel rows are cut short");
        return nullptr;
    }
    const bool converted = layout.bpp == 16 || layout.compression == BI_BITFIELDS;
    const int out_bpp = !converted ? layout.bpp : (layout.bpp == 16 ? 24 : 32);
    auto bitmap = make_dib(layout.width, layout.height, out_bpp, layout.top_down, layout.palette);
    if (!bitmap) {
        set_error(error, "out of memory for the bitmap");
        return nullptr;
    }
    Surface& s = bitmap->surface;
    std::vector<Pixel> row(converted ? static_cast<size_t>(layout.width) : 0);
    for (int y = 0; y < layout.height; ++y) {
        const int stored = layout.top_down ? y : layout.height - 1 - y;
        const uint8_t* in = bits + static_cast<size_t>(stored) * layout.stride;
        if (!converted) {
            std::memcpy(s.row(y), in, layout.stride);
            continue;
        }
        for (int x = 0; x < layout.width; ++x) {
            const uint32_t v = layout.bpp == 16 ? le16(in + x * 2) : le32(in + x * 4);
            row[x] = (channel(v, layout.masks[3]) << 24) | (channel(v, layout.masks[0]) << 16) |
                     (channel(v, layout.masks[1]) << 8) | channel(v, layout.masks[2]);
        }
        s.write(y, 0, layout.width, row.data());
    }
    return bitmap;
}

}  // namespace trelwin::gdi
