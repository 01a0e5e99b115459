#include "platform/gdi/blit.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>

#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/resample.h"
#include "platform/gdi/internal/source_reader.h"

using namespace trelwin::gdi;

namespace {

// Blit sizes beyond this are refused: scaling tables are built per
// destination row and column.
constexpr int kMaxBlitSide = 1 << 20;
constexpr int kMaxSourceSide = 1 << 16;

bool size_ok(int w, int h, int limit = kMaxBlitSide) {
    return w >= -limit && w <= limit && h >= -limit && h <= limit;
}

// A rectangle from a point and a size, kept within +-2^31.
RECT rect_at(POINT p, int64_t w, int64_t h) {
    auto clamp = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return RECT{p.x, p.y, clamp(p.x + w), clamp(p.y + h)};
}

uint8_t rop_index(DWORD rop) {
    return static_cast<uint8_t>((rop >> 16) & 0xFF);
}

// Operations that do not read the destination or that mix channels
// bitwise keep source alpha; ROPs without a source leave alpha 0.
Pixel finish_rop(Pixel result, bool uses_source) {
    return uses_source ? result : (result & kRgbMask);
}

template <typename Op>
void source_row(const Pixel* src, Pixel* dst, int n, Op op) {
    for (int i = 0; i < n; ++i) dst[i] = op(src[i], dst[i]);
}

// Applies a ROP3 to a row: dst[i] = rop(pattern at (x0 + i, y), src[i], dst[i]).
// The common source operations have loops of their own.
void rop_row(uint8_t rop, const Paint* pattern, int y, int x0, int n, const Pixel* src, Pixel* dst) {
    if (src) {
        switch (rop) {
            case 0x88: source_row(src, dst, n, [](Pixel s, Pixel d) { return s & d; }); return;
            case 0xEE: source_row(src, dst, n, [](Pixel s, Pixel d) { return s | d; }); return;
            case 0x66: source_row(src, dst, n, [](Pixel s, Pixel d) { return s ^ d; }); return;
            case 0x44: source_row(src, dst, n, [](Pixel s, Pixel d) { return s & ~d; }); return;
            case 0x33: source_row(src, dst, n, [](Pixel s, Pixel) { return ~s; }); return;
            case 0x11: source_row(src, dst, n, [](Pixel s, Pixel d) { return ~(s | d); }); return;
            case 0xBB: source_row(src, dst, n, [](Pixel s, Pixel d) { return ~s | d; }); return;
            default: break;
        }
    }
    const bool uses_source = ((rop >> 2) & 0x33) != (rop & 0x33);
    const bool solid = !pattern || !pattern->pattern;
    const Pixel solid_colour = pattern ? pattern->colour & kRgbMask : 0;
    for (int i = 0; i < n; ++i) {
        Pixel p = solid_colour;
        if (!solid) pattern_at(*pattern, x0 + i, y, p);
        dst[i] = finish_rop(apply_rop3(rop, p & kRgbMask, src ? src[i] : 0, dst[i]), uses_source);
    }
}

// Writes a row of final pixels or combines them with the destination.
void store_row(Surface& s, int y, int x, int n, uint8_t rop, const Paint* pattern, const Pixel* src,
               std::vector<Pixel>& scratch) {
    if (rop == 0xCC) {
        s.write(y, x, n, src);
        return;
    }
    if (s.bpp == 32) {
        rop_row(rop, pattern, y, x, n, src, s.row32(y) + x);
        return;
    }
    scratch.resize(static_cast<size_t>(n));
    s.read(y, x, n, scratch.data());
    rop_row(rop, pattern, y, x, n, src, scratch.data());
    s.write(y, x, n, scratch.data());
}

bool realise_pattern(DeviceContext& dc, DWORD rop, RealisedBrush& brush) {
    if (!rop_uses_pattern(rop)) return false;
    if (dc.state.brush) realise_brush(dc, *dc.state.brush, false, brush);
    if (brush.null) {
        // A null brush paints as black pattern bits.
        brush.paint = Paint{};
    }
    return true;
}

// The source DC snapshot used when source and destination share a surface.
struct Snapshot {
    std::vector<Pixel> pixels;
    RECT area{};
};

// Destination pixel (x, y) in surface coordinates takes the world
// transform's inverse into logical space and then the source mapping.
bool transformed_blit(DeviceContext& dst, int x, int y, int w, int h, SourceReader* reader, DeviceContext* src,
                      int xs, int ys, int ws, int hs, DWORD rop) {
    Surface* s = dst.surface();
    if (!s || w == 0 || h == 0) return true;
    const POINT corners[4] = {dst.to_surface(x, y), dst.to_surface(x + w, y), dst.to_surface(x, y + h),
                              dst.to_surface(x + w, y + h)};
    LONG left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
    for (const POINT& c : corners) {
        left = std::min(left, c.x); right = std::max(right, c.x);
        top = std::min(top, c.y); bottom = std::max(bottom, c.y);
    }
    const XFORM& m = dst.state.world;
    const double det = double(m.eM11) * m.eM22 - double(m.eM12) * m.eM21;
    const POINT origin = dst.surface_origin();
    RealisedBrush brush;
    const bool has_pattern = realise_pattern(dst, rop, brush);
    const uint8_t code = rop_index(rop);
    POINT src_origin = src ? src->to_surface(xs, ys) : POINT{0, 0};
    std::vector<Pixel> scratch;
    for_each_clip_rect(dst, RECT{left, top, right, bottom}, [&](const RECT& piece) {
        for (int yy = piece.top; yy < piece.bottom; ++yy) {
            for (int xx = piece.left; xx < piece.right; ++xx) {
                // Back to page space, then through the inverse world transform.
                const double px = xx + 0.5 - origin.x - dst.state.viewport_org.x + dst.state.window_org.x - m.eDx;
                const double py = yy + 0.5 - origin.y - dst.state.viewport_org.y + dst.state.window_org.y - m.eDy;
                const double lx = (px * m.eM22 - py * m.eM21) / det;
                const double ly = (py * m.eM11 - px * m.eM12) / det;
                const double u = (lx - x) / w, v = (ly - y) / h;
                if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
                Pixel source = 0;
                if (reader) {
                    const int sx = src_origin.x + static_cast<int>(std::floor(u * ws));
                    const int sy = src_origin.y + static_cast<int>(std::floor(v * hs));
                    reader->read(sy, sx, 1, &source);
                }
                store_row(*s, yy, xx, 1, code, has_pattern ? &brush.paint : nullptr, &source, scratch);
            }
        }
    });
    return true;
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    auto dc = dc_from_handle(hdc);
    if (!dc || rop_uses_source(rop)) return FALSE;
    if (!size_ok(w, h)) return FALSE;
    if (w < 0) { x += w; w = -w; }
    if (h < 0) { y += h; h = -h; }
    if (dc->transformed()) return transformed_blit(*dc, x, y, w, h, nullptr, nullptr, 0, 0, 0, 0, rop) ? TRUE : FALSE;
    Surface* s = dc->surface();
    if (!s) return FALSE;
    const RECT area = rect_at(dc->to_surface(x, y), w, h);
    const uint8_t code = rop_index(rop);
    RealisedBrush brush;
    realise_pattern(*dc, rop, brush);
    // The common operations are span fills with a binary raster operation.
    Paint paint = brush.paint;
    switch (code) {
        case 0xF0: paint.rop2 = R2_COPYPEN; paint_rect(*dc, area, paint); return TRUE;
        case 0x5A: paint.rop2 = R2_XORPEN; paint_rect(*dc, area, paint); return TRUE;
        case 0x55: paint_rect(*dc, area, Paint{0, nullptr, nullptr, 0, 0, 0, 0, R2_NOT}); return TRUE;
        case 0x00: paint_rect(*dc, area, Paint{0, nullptr, nullptr, 0, 0, 0, 0, R2_BLACK}); return TRUE;
        case 0xFF: paint_rect(*dc, area, Paint{0, nullptr, nullptr, 0, 0, 0, 0, R2_WHITE}); return TRUE;
        case 0xAA: return TRUE;
        default: break;
    }
    std::vector<Pixel> scratch;
    const bool has_pattern = rop_uses_pattern(rop);
    for_each_clip_rect(*dc, area, [&](const RECT& piece) {
        for (int yy = piece.top; yy < piece.bottom; ++yy) {
            store_row(*s, yy, piece.left, piece.right - piece.left, code, has_pattern ? &brush.paint : nullptr,
                      nullptr, scratch);
        }
    });
    return TRUE;
}

BOOL BitBlt(HDC hdst, int x, int y, int cx, int cy, HDC hsrc, int x1, int y1, DWORD rop) {
    if (!rop_uses_source(rop)) return PatBlt(hdst, x, y, cx, cy, rop);
    auto dst = dc_from_handle(hdst);
    auto src = dc_from_handle(hsrc);
    if (!dst || !src || !size_ok(cx, cy)) return FALSE;
    if (dst->transformed()) {
        SourceReader reader(*src, *dst);
        if (!reader.valid()) return FALSE;
        return transformed_blit(*dst, x, y, cx, cy, &reader, src.get(), x1, y1, cx, cy, rop) ? TRUE : FALSE;
    }
    if (cx < 0 || cy < 0) return StretchBlt(hdst, x, y, cx, cy, hsrc, x1, y1, cx, cy, rop);
    Surface* s = dst->surface();
    SourceReader reader(*src, *dst);
    if (!s || !reader.valid()) return FALSE;
    const POINT d = dst->to_surface(x, y);
    const POINT sp = src->to_surface(x1, y1);
    const Surface& ss = reader.surface();
    // Only destination pixels whose source lies on the source surface change.
    const RECT full = rect_at(d, cx, cy);
    RECT area{std::max<LONG>(d.x, d.x - sp.x), std::max<LONG>(d.y, d.y - sp.y),
              std::min<LONG>(full.right, d.x - sp.x + ss.width), std::min<LONG>(full.bottom, d.y - sp.y + ss.height)};
    if (area.right <= area.left || area.bottom <= area.top) return TRUE;
    const int ox = sp.x - d.x, oy = sp.y - d.y;
    const uint8_t code = rop_index(rop);
    RealisedBrush brush;
    const bool has_pattern = realise_pattern(*dst, rop, brush);

    // Source and destination on one surface: copy the source area first.
    Snapshot snapshot;
    const bool same = &ss == s;
    if (same) {
        snapshot.area = RECT{area.left + ox, area.top + oy, area.right + ox, area.bottom + oy};
        const int w = area.right - area.left;
        snapshot.pixels.resize(static_cast<size_t>(w) * (area.bottom - area.top));
        for (int yy = snapshot.area.top; yy < snapshot.area.bottom; ++yy) {
            reader.read(yy, snapshot.area.left, w, &snapshot.pixels[static_cast<size_t>(yy - snapshot.area.top) * w]);
        }
    }
    const bool raw = code == 0xCC && reader.raw_32() && s->bpp == 32 && !same;
    std::vector<Pixel> row, scratch;
    for_each_clip_rect(*dst, area, [&](const RECT& piece) {
        const int n = piece.right - piece.left;
        row.resize(static_cast<size_t>(n));
        for (int yy = piece.top; yy < piece.bottom; ++yy) {
            if (raw) {
                std::memcpy(s->row32(yy) + piece.left, ss.row32(yy + oy) + piece.left + ox, static_cast<size_t>(n) * 4);
                continue;
            }
            const Pixel* source;
            if (same) {
                const int w = snapshot.area.right - snapshot.area.left;
                source = &snapshot.pixels[static_cast<size_t>(yy + oy - snapshot.area.top) * w +
                                          (piece.left + ox - snapshot.area.left)];
            } else {
                reader.read(yy + oy, piece.left + ox, n, row.data());
                source = row.data();
            }
            store_row(*s, yy, piece.left, n, code, has_pattern ? &brush.paint : nullptr, source, scratch);
        }
    });
    return TRUE;
}

namespace {

// Runs a scaled transfer: emit(dest y, dest x0, pixels for [x0, x1)) for
// each clipped piece of each destination row.
template <typename Store>
bool scaled_transfer(DeviceContext& dst, DeviceContext& src, int x, int y, int w, int h, int xs, int ys, int ws,
                     int hs, int mode, Store&& store) {
    SourceReader reader(src, dst);
    if (!reader.valid() || !dst.surface() || !size_ok(w, h) || !size_ok(ws, hs, kMaxSourceSide)) return false;
    const POINT d = dst.to_surface(x, y);
    const POINT sp = src.to_surface(xs, ys);
    // A negative destination size means the area extends left or up from the point.
    const int dx0 = w < 0 ? d.x + w + 1 : d.x;
    const int dy0 = h < 0 ? d.y + h + 1 : d.y;
    const int aw = std::abs(w), ah = std::abs(h);
    const RECT area{dx0, dy0, dx0 + aw, dy0 + ah};
    // Which rows are visible at all, so rows outside the clip are not computed.
    const RECT box = dst.effective_clip().box();
    if (box.bottom <= area.top || box.top >= area.bottom || box.right <= area.left || box.left >= area.right) {
        return true;
    }
    // Scaling within one surface reads from a copy of the source area, as
    // the destination rows may overwrite source rows still to be read.
    std::vector<Pixel> copy;
    RECT copied{};
    if (&reader.surface() == dst.surface()) {
        // Only the part on the surface is copied; the rest reads as black anyway.
        const Surface& ss = reader.surface();
        const LONG left = ws < 0 ? sp.x + ws + 1 : sp.x, top = hs < 0 ? sp.y + hs + 1 : sp.y;
        copied = RECT{std::max<LONG>(0, left), std::max<LONG>(0, top), std::min<LONG>(ss.width, left + std::abs(ws)),
                      std::min<LONG>(ss.height, top + std::abs(hs))};
        if (copied.right > copied.left && copied.bottom > copied.top) {
            const int cw = copied.right - copied.left;
            copy.resize(static_cast<size_t>(cw) * (copied.bottom - copied.top));
            for (int yy = copied.top; yy < copied.bottom; ++yy) {
                reader.read(yy, copied.left, cw, &copy[static_cast<size_t>(yy - copied.top) * cw]);
            }
        } else {
            copied = RECT{0, 0, 0, 0};
            copy.assign(1, 0);  // nothing of the source is on the surface
        }
    }
    auto read = [&](int yy, int xx, int n, Pixel* out) {
        if (copy.empty()) {
            reader.read(yy, xx, n, out);
            return;
        }
        std::fill(out, out + n, 0);
        if (yy < copied.top || yy >= copied.bottom) return;
        const int a = std::max<int>(xx, copied.left), b = std::min<int>(xx + n, copied.right);
        if (b <= a) return;
        const int cw = copied.right - copied.left;
        std::copy_n(&copy[static_cast<size_t>(yy - copied.top) * cw + (a - copied.left)], b - a, out + (a - xx));
    };
    // Only the rows and columns inside the clip box are computed.
    const ResampleWindow window{std::max<int>(0, box.left - dx0), std::min<int>(aw, box.right - dx0),
                                std::max<int>(0, box.top - dy0), std::min<int>(ah, box.bottom - dy0)};
    const int first_x = dx0 + window.first_column;
    resample(read, sp.x, sp.y, ws, hs, w, h, mode,
             [&](int j, const Pixel* pixels) {
                 const int yy = dy0 + j;
                 for_each_clipped(dst, yy, first_x, dx0 + window.last_column, [&](int, int a, int b) {
                     store(yy, a, b - a, pixels + (a - first_x));
                 });
             },
             &window);
    return true;
}

}  // namespace

BOOL StretchBlt(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, DWORD rop) {
    if (!rop_uses_source(rop)) return PatBlt(hdst, x, y, w, h, rop);
    auto dst = dc_from_handle(hdst);
    auto src = dc_from_handle(hsrc);
    if (!dst || !src) return FALSE;
    if (w == 0 || h == 0 || ws == 0 || hs == 0) return TRUE;
    if (!size_ok(w, h) || !size_ok(ws, hs, kMaxSourceSide)) return FALSE;
    if (dst->transformed()) {
        SourceReader reader(*src, *dst);
        if (!reader.valid()) return FALSE;
        return transformed_blit(*dst, x, y, w, h, &reader, src.get(), xs, ys, ws, hs, rop) ? TRUE : FALSE;
    }
    if (w == ws && h == hs && w > 0 && h > 0) return BitBlt(hdst, x, y, w, h, hsrc, xs, ys, rop);
    Surface* s = dst->surface();
    if (!s) return FALSE;
    const uint8_t code = rop_index(rop);
    RealisedBrush brush;
    const bool has_pattern = realise_pattern(*dst, rop, brush);
    std::vector<Pixel> scratch;
    // Same surface: scale from a copy of the source.
    const bool ok = scaled_transfer(*dst, *src, x, y, w, h, xs, ys, ws, hs, dst->state.stretch_mode,
                                    [&](int yy, int xx, int n, const Pixel* pixels) {
                                        store_row(*s, yy, xx, n, code, has_pattern ? &brush.paint : nullptr, pixels,
                                                  scratch);
                                    });
    return ok ? TRUE : FALSE;
}

namespace {

// Rounded v / 255, exact for v up to 255 * 255, without a division.
inline uint32_t div255(uint32_t v) {
    v += 128;
    return (v + (v >> 8)) >> 8;
}

// Two 8-bit lanes at a time (bits 0-7 and 16-23): rounded (lanes * f) / 255
// plus `add` lanes, each lane staying within 16 bits.
inline uint32_t lanes_mul_div255(uint32_t lanes, uint32_t f, uint32_t add) {
    uint32_t v = lanes * f + add + 0x00800080u;
    return ((v + ((v >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Premultiplied source over destination: d = s * k / 255 + d * (255 - a') / 255,
// a' being the source alpha after the constant alpha k.
void blend_premultiplied_row(const Pixel* src, Pixel* dst, int n, uint32_t k) {
    for (int i = 0; i < n; ++i) {
        const Pixel sp = src[i];
        uint32_t sa = sp >> 24;
        if (k == 255) {
            if (sa == 0) continue;
            if (sa == 255) {
                dst[i] = sp;
                continue;
            }
        }
        Pixel scaled = sp;
        if (k != 255) {
            scaled = lanes_mul_div255(sp & 0x00FF00FFu, k, 0) | (lanes_mul_div255((sp >> 8) & 0x00FF00FFu, k, 0) << 8);
            sa = scaled >> 24;
        }
        const uint32_t inverse = 255 - sa;
        const Pixel dp = dst[i];
        const uint32_t r = (scaled >> 16) & 0xFF, g = (scaled >> 8) & 0xFF, b = scaled & 0xFF;
        if (r <= sa && g <= sa && b <= sa) {
            // Valid premultiplied colour: no channel can pass 255.
            dst[i] = scaled + (lanes_mul_div255(dp & 0x00FF00FFu, inverse, 0) |
                               (lanes_mul_div255((dp >> 8) & 0x00FF00FFu, inverse, 0) << 8));
            continue;
        }
        Pixel out = 0;
        for (int c = 0; c < 32; c += 8) {
            const uint32_t v = ((scaled >> c) & 0xFF) + div255(((dp >> c) & 0xFF) * inverse);
            out |= (v > 255 ? 255 : v) << c;
        }
        dst[i] = out;
    }
}

// Constant alpha: d = (s * k + d * (255 - k)) / 255.
void blend_constant_row(const Pixel* src, Pixel* dst, int n, uint32_t k) {
    const uint32_t inverse = 255 - k;
    for (int i = 0; i < n; ++i) {
        const Pixel sp = src[i], dp = dst[i];
        const uint32_t low = lanes_mul_div255(sp & 0x00FF00FFu, k, (dp & 0x00FF00FFu) * inverse);
        const uint32_t high = lanes_mul_div255((sp >> 8) & 0x00FF00FFu, k, ((dp >> 8) & 0x00FF00FFu) * inverse);
        dst[i] = low | (high << 8);
    }
}

}  // namespace

BOOL AlphaBlend(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, BLENDFUNCTION blend) {
    auto dst = dc_from_handle(hdst);
    auto src = dc_from_handle(hsrc);
    if (!dst || !src || blend.BlendOp != AC_SRC_OVER) return FALSE;
    if (w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
    Surface* s = dst->surface();
    Surface* ss = src->surface();
    if (!s || !ss) return FALSE;
    const bool per_pixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    if (per_pixel && ss->bpp != 32) return FALSE;
    const POINT sp = src->to_surface(xs, ys);
    if (sp.x < 0 || sp.y < 0 || int64_t{sp.x} + ws > ss->width || int64_t{sp.y} + hs > ss->height) return FALSE;
    if (w == 0 || h == 0 || ws == 0 || hs == 0) return TRUE;
    const uint32_t k = blend.SourceConstantAlpha;
    std::vector<Pixel> row;
    auto store = [&](int yy, int xx, int n, const Pixel* pixels) {
        Pixel* d;
        if (s->bpp == 32) {
            d = s->row32(yy) + xx;
        } else {
            row.resize(static_cast<size_t>(n));
            s->read(yy, xx, n, row.data());
            d = row.data();
        }
        if (per_pixel) {
            blend_premultiplied_row(pixels, d, n, k);
        } else {
            blend_constant_row(pixels, d, n, k);
        }
        if (s->bpp != 32) s->write(yy, xx, n, row.data());
    };
    // Same size, both 32 bits, different surfaces: rows straight from memory.
    const POINT d0 = dst->to_surface(x, y);
    if (w == ws && h == hs && ss->bpp == 32 && ss != s) {
        const RECT area = rect_at(d0, w, h);
        for_each_clip_rect(*dst, area, [&](const RECT& piece) {
            for (int yy = piece.top; yy < piece.bottom; ++yy) {
                store(yy, piece.left, piece.right - piece.left,
                      ss->row32(yy - d0.y + sp.y) + (piece.left - d0.x + sp.x));
            }
        });
        return TRUE;
    }
    const int mode = (w == ws && h == hs) ? COLORONCOLOR : dst->state.stretch_mode;
    return scaled_transfer(*dst, *src, x, y, w, h, xs, ys, ws, hs, mode == HALFTONE ? HALFTONE : COLORONCOLOR, store)
               ? TRUE
               : FALSE;
}

BOOL TransparentBlt(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, UINT transparent) {
    auto dst = dc_from_handle(hdst);
    auto src = dc_from_handle(hsrc);
    if (!dst || !src || w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
    Surface* s = dst->surface();
    if (!s) return FALSE;
    if (w == 0 || h == 0 || ws == 0 || hs == 0) return TRUE;
    const Pixel key = colorref_to_pixel(transparent);
    std::vector<Pixel> row;
    auto store = [&](int yy, int xx, int n, const Pixel* pixels) {
        row.resize(static_cast<size_t>(n));
        s->read(yy, xx, n, row.data());
        for (int i = 0; i < n; ++i) {
            if ((pixels[i] & kRgbMask) != key) row[static_cast<size_t>(i)] = pixels[i];
        }
        s->write(yy, xx, n, row.data());
    };
    return scaled_transfer(*dst, *src, x, y, w, h, xs, ys, ws, hs, COLORONCOLOR, store) ? TRUE : FALSE;
}
