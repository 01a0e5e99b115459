#include <bit>
#include <cstring>

#include "platform/gdi/image_decode.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::gdi {

namespace {

constexpr int kMaxSide = 32768;
constexpr uint64_t kMaxPixels = 1ull << 28;

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
int32_t s32(const uint8_t* p) { return static_cast<int32_t>(u32(p)); }

bool fail(std::string* error, const char* text) {
    if (error) *error = text;
    return false;
}

// One channel of a bit-field pixel widened to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint32_t get(uint32_t value) const {
        if (!mask) return 0;
        const uint32_t v = (value & mask) >> shift;
        return max >= 255 ? (v * 255 + max / 2) / max : (v * 255 + max / 2) / max;
    }
};

struct Header {
    int width = 0;
    int height = 0;  // negative: top-down
    int bpp = 0;
    uint32_t compression = 0;
    uint32_t colours_used = 0;
    size_t header_size = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool core = false;
};

bool read_header(const uint8_t* dib, size_t available, Header& h, std::string* error) {
    if (available < 4) return fail(error, "bitmap header is truncated");
    h.header_size = u32(dib);
    if (h.header_size == 12) {
        if (available < 12) return fail(error, "bitmap header is truncated");
        h.core = true;
        h.width = u16(dib + 4);
        h.height = static_cast<int16_t>(u16(dib + 6));
        if (u16(dib + 8) != 1) return fail(error, "bitmap has more than one plane");
        h.bpp = u16(dib + 10);
        return true;
    }
    if (h.header_size < 40 || h.header_size > 1024) return fail(error, "unknown bitmap header size");
    if (available < h.header_size) return fail(error, "bitmap header is truncated");
    h.width = s32(dib + 4);
    h.height = s32(dib + 8);
    if (u16(dib + 12) != 1) return fail(error, "bitmap has more than one plane");
    h.bpp = u16(dib + 14);
    h.compression = u32(dib + 16);
    h.colours_used = u32(dib + 32);
    if (h.header_size >= 52) {
        for (int i = 0; i < 3; ++i) h.masks[i] = u32(dib + 40 + 4 * i);
    }
    if (h.header_size >= 56) h.masks[3] = u32(dib + 52);
    return true;
}

}  // namespace

HBITMAP decode_bmp(const uint8_t* data, size_t size, std::string* error) {
    if (!data) {
        fail(error, "no data");
        return nullptr;
    }
    size_t dib_offset = 0, pixel_offset = 0;
    bool file = size >= 14 && data[0] == 'B' && data[1] == 'M';
    if (file) {
        dib_offset = 14;
        pixel_offset = u32(data + 10);
    }
    Header h;
    if (!read_header(data + dib_offset, size - dib_offset, h, error)) return nullptr;
    if (h.width <= 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide || h.height < -kMaxSide) {
        fail(error, "bitmap size is out of range");
        return nullptr;
    }
    const int rows = h.height < 0 ? -h.height : h.height;
    if (static_cast<uint64_t>(h.width) * rows > kMaxPixels) {
        fail(error, "bitmap is too large");
        return nullptr;
    }
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) {
        fail(error, "unsupported bits per pixel");
        return nullptr;
    }
    size_t cursor = dib_offset + h.header_size;
    bool bitfields = false;
    if (h.compression == BI_BITFIELDS) {
        if (h.bpp != 16 && h.bpp != 32) {
            fail(error, "bit fields need 16 or 32 bits per pixel");
            return nullptr;
        }
        bitfields = true;
        if (h.header_size == 40) {
            if (size < cursor + 12) {
                fail(error, "bit field masks are truncated");
                return nullptr;
            }
            for (int i = 0; i < 3; ++i) h.masks[i] = u32(data + cursor + 4 * i);
            cursor += 12;
        }
    } else if (h.compression != BI_RGB) {
        fail(error, "compressed bitmaps are not supported");
        return nullptr;
    }
    // Colour table.
    std::vector<Pixel> palette;
    if (h.bpp <= 8) {
        const uint32_t limit = 1u << h.bpp;
        const uint32_t count = h.colours_used ? h.colours_used : limit;
        if (count > limit) {
            fail(error, "colour table is larger than the depth allows");
            return nullptr;
        }
        const size_t entry = h.core ? 3 : 4;
        if (size < cursor || (size - cursor) / entry < count) {
            fail(error, "colour table is truncated");
            return nullptr;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* q = data + cursor + i * entry;
            palette.push_back((Pixel(q[2]) << 16) | (Pixel(q[1]) << 8) | q[0]);
        }
        cursor += count * entry;
        palette.resize(limit, 0);
    }
    if (!file) pixel_offset = cursor;
    const size_t stride = dib_stride(h.width, h.bpp);
    const size_t needed = stride * static_cast<size_t>(rows);
    if (pixel_offset < dib_offset + h.header_size || pixel_offset > size || size - pixel_offset < needed) {
        fail(error, "pixel data is truncated");
        return nullptr;
    }
    const uint8_t* pixels = data + pixel_offset;
    const bool top_down = h.height < 0;
    const bool convert = h.bpp == 16 || bitfields;
    auto bitmap = make_dib(h.width, rows, convert ? 32 : h.bpp, top_down, palette);
    if (!bitmap) {
        fail(error, "out of memory");
        return nullptr;
    }
    if (!convert) {
        std::memcpy(bitmap->storage.get(), pixels, needed);
    } else {
        if (!bitfields) {  // plain 16-bit is 5-5-5
            h.masks[0] = 0x7C00;
            h.masks[1] = 0x03E0;
            h.masks[2] = 0x001F;
            h.masks[3] = 0;
        }
        const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
        uint8_t* out = bitmap->storage.get();
        const size_t out_stride = dib_stride(h.width, 32);
        for (int r = 0; r < rows; ++r) {
            const uint8_t* in = pixels + stride * r;
            auto* dst = reinterpret_cast<Pixel*>(out + out_stride * r);
            for (int x = 0; x < h.width; ++x) {
                const uint32_t v = h.bpp == 16 ? u16(in + 2 * x) : u32(in + 4 * x);
                dst[x] = (alpha.get(v) << 24) | (red.get(v) << 16) | (green.get(v) << 8) | blue.get(v);
            }
        }
    }
    return static_cast<HBITMAP>(register_object(bitmap));
}

}  // namespace trelwin::gdi
