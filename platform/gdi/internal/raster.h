// Painting of spans and pixels on a DC's surface with its clip, ROP2 and
// brush patterns, and the ternary raster operations of the blits.
#pragma once

#include <map>
#include <vector>

#include "platform/gdi/internal/dc_state.h"

namespace trelwin::gdi {

// How the pixels of a span are coloured.
struct Paint {
    Pixel colour = 0;
    // Pattern tile (brushes other than solid); null for a solid colour.
    const Pixel* pattern = nullptr;
    const uint8_t* pattern_opaque = nullptr;  // hatch gaps in TRANSPARENT mode are 0
    int pattern_width = 0;
    int pattern_height = 0;
    int origin_x = 0;  // surface coordinates of the tile's (0, 0)
    int origin_y = 0;
    int rop2 = R2_COPYPEN;
};

// A brush realised for one DC: the tile storage that a Paint points into.
struct RealisedBrush {
    bool null = true;
    Paint paint;
    std::vector<Pixel> tile;
    std::vector<uint8_t> opaque;
};
// Uses the DC's text and background colours, mode, brush origin and ROP2
// (ROP2 R2_COPYPEN when use_rop2 is false, as for FillRect).
void realise_brush(DeviceContext& dc, const BrushObject& brush, bool use_rop2, RealisedBrush& out);

// The pen's colour (DC_PEN resolved), as a pixel.
Pixel pen_pixel(DeviceContext& dc, const PenObject& pen);

// Pattern pixel at a surface position, or false when it is a gap.
inline bool pattern_at(const Paint& p, int x, int y, Pixel& out) {
    int px = (x - p.origin_x) % p.pattern_width;
    int py = (y - p.origin_y) % p.pattern_height;
    if (px < 0) px += p.pattern_width;
    if (py < 0) py += p.pattern_height;
    const size_t i = static_cast<size_t>(py) * p.pattern_width + px;
    if (p.pattern_opaque && !p.pattern_opaque[i]) return false;
    out = p.pattern[i];
    return true;
}

// ROP2 by its code; ROP3 by its index (bits 16-23 of the raster operation
// code). Inline: the row loops call them for every pixel.
inline Pixel apply_rop2(int rop2, Pixel pen, Pixel dst) {
    switch (rop2) {
        case R2_COPYPEN: return pen & kRgbMask;
        case R2_NOP: return dst;
        case R2_XORPEN: return (pen ^ dst) & kRgbMask;
        case R2_NOT: return ~dst & kRgbMask;
        case R2_BLACK: return 0;
        case R2_WHITE: return kRgbMask;
        default: break;
    }
    // Bit k of (rop2 - 1) is the result for pen bit p and destination bit d
    // with k = 2p + d.
    const unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;
    Pixel result = 0;
    if (table & 1) result |= ~pen & ~dst;
    if (table & 2) result |= ~pen & dst;
    if (table & 4) result |= pen & ~dst;
    if (table & 8) result |= pen & dst;
    return result & kRgbMask;
}

inline Pixel apply_rop3(uint8_t rop, Pixel p, Pixel s, Pixel d) {
    switch (rop) {
        case 0xCC: return s;
        case 0xF0: return p;
        case 0x88: return s & d;
        case 0xEE: return s | d;
        case 0x66: return s ^ d;
        case 0x44: return s & ~d;
        case 0x33: return ~s;
        case 0xBB: return ~s | d;
        case 0x5A: return p ^ d;
        case 0x55: return ~d;
        case 0x00: return 0;
        case 0xFF: return 0xFFFFFFFFu;
        case 0xC0: return p & s;
        case 0x11: return ~(s | d);
        case 0xAA: return d;
        default: break;
    }
    // Bit k of the index is the result for k = 4p + 2s + d.
    Pixel result = 0;
    for (int k = 0; k < 8; ++k) {
        if (!(rop & (1 << k))) continue;
        const Pixel pm = (k & 4) ? p : ~p;
        const Pixel sm = (k & 2) ? s : ~s;
        const Pixel dm = (k & 1) ? d : ~d;
        result |= pm & sm & dm;
    }
    return result;
}
inline bool rop_uses_source(DWORD rop) {
    const uint8_t r = (rop >> 16) & 0xFF;
    return ((r >> 2) & 0x33) != (r & 0x33);
}
inline bool rop_uses_pattern(DWORD rop) {
    const uint8_t r = (rop >> 16) & 0xFF;
    return ((r >> 4) & 0x0F) != (r & 0x0F);
}

// Paints [x0, x1) of row y (surface coordinates), clipped.
void paint_span(DeviceContext& dc, int y, int x0, int x1, const Paint& paint);
// Paints a rectangle (surface coordinates), clipped.
void paint_rect(DeviceContext& dc, const RECT& r, const Paint& paint);
// Paints every span of a region (surface coordinates), clipped.
void paint_region(DeviceContext& dc, const RegionData& region, const Paint& paint);

// Collects pixels or spans in surface coordinates so that each is painted
// once even where a shape's pieces overlap (matters under XOR).
class SpanSet {
public:
    void add(int y, int x0, int x1);
    void add_pixel(int x, int y) { add(y, x, x + 1); }
    RegionData to_region() const;
    bool empty() const { return rows_.empty(); }

private:
    std::map<int, std::vector<Span>> rows_;
};

// Calls f(y, x0, x1) for each clipped piece of a span.
template <typename F>
void for_each_clipped(DeviceContext& dc, int y, int x0, int x1, F&& f) {
    if (x1 <= x0) return;
    auto [begin, end] = dc.effective_clip().band_at(y);
    for (const RECT* r = begin; r != end; ++r) {
        const int a = std::max<int>(x0, r->left);
        const int b = std::min<int>(x1, r->right);
        if (a < b) f(y, a, b);
    }
}

// Lets f(Pixel* pixels, int x0, int count) change the clipped pieces of a
// span in place: 32-bit rows directly, other depths through a row copy.
template <typename F>
void modify_span(DeviceContext& dc, int y, int x0, int x1, F&& f) {
    Surface* s = dc.surface();
    if (!s) return;
    std::vector<Pixel> row;
    for_each_clipped(dc, y, x0, x1, [&](int yy, int a, int b) {
        if (s->bpp == 32) {
            f(s->row32(yy) + a, a, b - a);
            return;
        }
        row.resize(static_cast<size_t>(b - a));
        s->read(yy, a, b - a, row.data());
        f(row.data(), a, b - a);
        s->write(yy, a, b - a, row.data());
    });
}

// round(over * weight / 255 + under * (255 - weight) / 255) per colour
// channel; the alpha byte becomes 0.
inline Pixel mix_pixel(Pixel over, Pixel under, uint32_t weight) {
    Pixel out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = (over >> shift) & 0xFF, u = (under >> shift) & 0xFF;
        out |= ((o * weight + u * (255 - weight) + 127) / 255) << shift;
    }
    return out;
}

// Clips a rectangle (surface coordinates) to the DC's drawable area and
// calls f(rect) for each piece.
template <typename F>
void for_each_clip_rect(DeviceContext& dc, const RECT& r, F&& f) {
    for (const RECT& c : dc.effective_clip().rects()) {
        if (c.top >= r.bottom) break;
        RECT piece{std::max(c.left, r.left), std::max(c.top, r.top), std::min(c.right, r.right),
                   std::min(c.bottom, r.bottom)};
        if (piece.left < piece.right && piece.top < piece.bottom) f(piece);
    }
}

}  // namespace trelwin::gdi
