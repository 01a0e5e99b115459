#include "platform/gdi/internal/raster.h"

#include <algorithm>

namespace trelwin::gdi {

Pixel pen_pixel(DeviceContext& dc, const PenObject& pen) {
    return colorref_to_pixel(pen.dc_pen ? dc.state.dc_pen_colour : pen.colour);
}

namespace {

// 8x8 hatch tiles: bit set where the hatch line runs.
bool hatch_bit(ULONG_PTR hatch, int x, int y) {
    switch (hatch) {
        case HS_HORIZONTAL: return y == 7;
        case HS_VERTICAL: return x == 7;
        case HS_FDIAGONAL: return x == y;
        case HS_BDIAGONAL: return x + y == 7;
        case HS_CROSS: return x == 7 || y == 7;
        case HS_DIAGCROSS: return x == y || x + y == 7;
        default: return false;
    }
}

}  // namespace

void realise_brush(DeviceContext& dc, const BrushObject& brush, bool use_rop2, RealisedBrush& out) {
    out.null = brush.style == BS_NULL;
    out.paint = Paint{};
    out.paint.rop2 = use_rop2 ? dc.state.rop2 : R2_COPYPEN;
    if (out.null) return;
    const POINT origin = dc.surface_origin();
    out.paint.origin_x = origin.x + dc.state.brush_org.x;
    out.paint.origin_y = origin.y + dc.state.brush_org.y;
    const Pixel text = colorref_to_pixel(dc.state.text_colour);
    const Pixel back = colorref_to_pixel(dc.state.bk_colour);
    switch (brush.style) {
        case BS_HATCHED: {
            out.tile.assign(64, 0);
            out.opaque.assign(64, 1);
            const Pixel line = colorref_to_pixel(brush.colour);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    const bool on = hatch_bit(brush.hatch, x, y);
                    out.tile[y * 8 + x] = on ? line : back;
                    out.opaque[y * 8 + x] = on || dc.state.bk_mode == OPAQUE;
                }
            }
            out.paint.pattern = out.tile.data();
            out.paint.pattern_opaque = out.opaque.data();
            out.paint.pattern_width = out.paint.pattern_height = 8;
            break;
        }
        case BS_PATTERN:
        case BS_DIBPATTERNPT:
            if (brush.pattern_width <= 0 || brush.pattern_height <= 0) {
                out.null = true;
                return;
            }
            out.tile = brush.pattern;
            if (brush.pattern_mono) {
                for (Pixel& p : out.tile) p = (p & kRgbMask) ? back : text;
            }
            out.paint.pattern = out.tile.data();
            out.paint.pattern_width = brush.pattern_width;
            out.paint.pattern_height = brush.pattern_height;
            break;
        default:
            out.paint.colour = colorref_to_pixel(brush.dc_brush ? dc.state.dc_brush_colour : brush.colour);
            break;
    }
}

namespace {

void paint_piece(Surface& s, int y, int x0, int x1, const Paint& paint) {
    const int n = x1 - x0;
    if (s.bpp == 32) {
        Pixel* row = s.row32(y) + x0;
        if (!paint.pattern) {
            if (paint.rop2 == R2_COPYPEN) {
                std::fill(row, row + n, paint.colour & kRgbMask);
            } else {
                for (int i = 0; i < n; ++i) row[i] = apply_rop2(paint.rop2, paint.colour, row[i]);
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            Pixel p;
            if (pattern_at(paint, x0 + i, y, p)) row[i] = apply_rop2(paint.rop2, p, row[i]);
        }
        return;
    }
    Pixel buffer[256];
    for (int start = x0; start < x1; start += 256) {
        const int count = std::min(256, x1 - start);
        s.read(y, start, count, buffer);
        for (int i = 0; i < count; ++i) {
            Pixel p = paint.colour;
            if (paint.pattern && !pattern_at(paint, start + i, y, p)) continue;
            buffer[i] = apply_rop2(paint.rop2, p, buffer[i]);
        }
        s.write(y, start, count, buffer);
    }
}

}  // namespace

void paint_span(DeviceContext& dc, int y, int x0, int x1, const Paint& paint) {
    Surface* s = dc.surface();
    if (!s) return;
    for_each_clipped(dc, y, x0, x1, [&](int yy, int a, int b) { paint_piece(*s, yy, a, b, paint); });
}

void paint_rect(DeviceContext& dc, const RECT& r, const Paint& paint) {
    Surface* s = dc.surface();
    if (!s) return;
    for_each_clip_rect(dc, r, [&](const RECT& piece) {
        for (int y = piece.top; y < piece.bottom; ++y) paint_piece(*s, y, piece.left, piece.right, paint);
    });
}

void paint_region(DeviceContext& dc, const RegionData& region, const Paint& paint) {
    for (const RECT& r : region.rects()) paint_rect(dc, r, paint);
}

void SpanSet::add(int y, int x0, int x1) {
    if (x1 > x0) rows_[y].push_back(Span{x0, x1});
}

RegionData SpanSet::to_region() const {
    BandBuilder builder;
    for (const auto& [y, spans] : rows_) {
        std::vector<Span> sorted = spans;
        normalize_spans(sorted);
        builder.add_band(y, y + 1, sorted);
    }
    return builder.finish();
}

}  // namespace trelwin::gdi
