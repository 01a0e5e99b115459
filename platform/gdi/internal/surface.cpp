#include "platform/gdi/internal/surface.h"

#include <algorithm>
#include <cstring>

namespace trelwin::gdi {

void Surface::read(int y, int x, int n, Pixel* out) const {
    const uint8_t* r = row(y);
    switch (bpp) {
        case 32:
            std::memcpy(out, r + x * 4, static_cast<size_t>(n) * 4);
            break;
        case 24:
            for (int i = 0; i < n; ++i) {
                const uint8_t* p = r + (x + i) * 3;
                out[i] = p[0] | (p[1] << 8) | (p[2] << 16);
            }
            break;
        case 16:
            // 5-5-5: each channel widened by repeating its top bits.
            for (int i = 0; i < n; ++i) {
                const unsigned v = r[(x + i) * 2] | (r[(x + i) * 2 + 1] << 8);
                const unsigned r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
                out[i] = (((r5 << 3) | (r5 >> 2)) << 16) | (((g5 << 3) | (g5 >> 2)) << 8) | ((b5 << 3) | (b5 >> 2));
            }
            break;
        case 8:
            for (int i = 0; i < n; ++i) {
                uint8_t index = r[x + i];
                out[i] = index < palette.size() ? palette[index] & kRgbMask : 0;
            }
            break;
        case 4:
            for (int i = 0; i < n; ++i) {
                int px = x + i;
                uint8_t index = (px & 1) ? (r[px >> 1] & 0x0F) : (r[px >> 1] >> 4);
                out[i] = index < palette.size() ? palette[index] & kRgbMask : 0;
            }
            break;
        case 1:
            for (int i = 0; i < n; ++i) {
                int px = x + i;
                uint8_t index = (r[px >> 3] >> (7 - (px & 7))) & 1;
                out[i] = index < palette.size() ? palette[index] & kRgbMask : 0;
            }
            break;
        default:
            std::memset(out, 0, static_cast<size_t>(n) * 4);
            break;
    }
}

uint32_t Surface::nearest_index(Pixel p) const {
    uint32_t best = 0;
    int best_distance = 1 << 30;
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    for (size_t i = 0; i < palette.size(); ++i) {
        const Pixel q = palette[i];
        const int dr = r - static_cast<int>((q >> 16) & 0xFF);
        const int dg = g - static_cast<int>((q >> 8) & 0xFF);
        const int db = b - static_cast<int>(q & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
            best_distance = distance;
            best = static_cast<uint32_t>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

void Surface::write(int y, int x, int n, const Pixel* in) {
    uint8_t* r = row(y);
    if (bpp == 32) {
        std::memcpy(r + x * 4, in, static_cast<size_t>(n) * 4);
        return;
    }
    if (bpp == 24) {
        for (int i = 0; i < n; ++i) {
            uint8_t* p = r + (x + i) * 3;
            p[0] = in[i] & 0xFF;
            p[1] = (in[i] >> 8) & 0xFF;
            p[2] = (in[i] >> 16) & 0xFF;
        }
        return;
    }
    if (bpp == 16) {
        for (int i = 0; i < n; ++i) {
            const Pixel c = in[i];
            const unsigned v = (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
            r[(x + i) * 2] = v & 0xFF;
            r[(x + i) * 2 + 1] = (v >> 8) & 0xFF;
        }
        return;
    }
    // Palette depths: runs of one colour are common, so remember the last match.
    Pixel last = ~0u;
    uint32_t index = 0;
    for (int i = 0; i < n; ++i) {
        const Pixel colour = in[i] & kRgbMask;
        if (colour != last) {
            last = colour;
            index = nearest_index(colour);
        }
        const int px = x + i;
        if (bpp == 8) {
            r[px] = static_cast<uint8_t>(index);
        } else if (bpp == 4) {
            uint8_t& b = r[px >> 1];
            b = (px & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                         : static_cast<uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
        } else if (bpp == 1) {
            uint8_t& b = r[px >> 3];
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (px & 7));
            b = (index & 1) ? (b | bit) : (b & ~bit);
        }
    }
}

Pixel Surface::get(int x, int y) const {
    Pixel p;
    read(y, x, 1, &p);
    return p;
}

void Surface::set(int x, int y, Pixel p) {
    write(y, x, 1, &p);
}

const std::vector<Pixel>& default_palette(int bpp) {
    static const std::vector<Pixel> mono = {0x000000, 0xFFFFFF};
    static const std::vector<Pixel> vga = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    static const std::vector<Pixel> cube = [] {
        // 6x6x6 colour cube, then a grey ramp for the remaining 40 entries.
        std::vector<Pixel> p;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back((Pixel(r * 51) << 16) | (Pixel(g * 51) << 8) | Pixel(b * 51));
        for (int i = 0; i < 40; ++i) {
            Pixel v = static_cast<Pixel>((i * 255) / 39);
            p.push_back((v << 16) | (v << 8) | v);
        }
        return p;
    }();
    if (bpp == 1) return mono;
    if (bpp == 4) return vga;
    return cube;
}

void resize_owned_pixels(Surface& surface, std::vector<Pixel>& pixels, int width, int height) {
    std::vector<Pixel> next(static_cast<size_t>(width) * height, 0xFFFFFFu);
    const int w = std::min(width, surface.width), h = std::min(height, surface.height);
    for (int y = 0; y < h; ++y) {
        std::memcpy(next.data() + static_cast<size_t>(y) * width, pixels.data() + static_cast<size_t>(y) * surface.width,
                    static_cast<size_t>(w) * 4);
    }
    pixels = std::move(next);
    surface.width = width;
    surface.height = height;
    surface.bpp = 32;
    surface.bits = width > 0 && height > 0 ? reinterpret_cast<uint8_t*>(pixels.data()) : nullptr;
    surface.stride = static_cast<ptrdiff_t>(width) * 4;
}

}  // namespace trelwin::gdi
