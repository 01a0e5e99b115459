#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/draw.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/shape_regions.h"

using namespace trelwin::gdi;

namespace {

// Dash lengths of the cosmetic styled pens, on/off alternating, in pixels.
const std::vector<int>& dash_pattern(UINT style) {
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dash_dot{9, 6, 3, 6}, dash_dot_dot{9, 3, 3, 3, 3, 3};
    static const std::vector<int> none;
    switch (style) {
        case PS_DASH: return dash;
        case PS_DOT: return dot;
        case PS_DASHDOT: return dash_dot;
        case PS_DASHDOTDOT: return dash_dot_dot;
        default: return none;
    }
}

// Collects the pixels a pen paints along one figure; styles run on across
// the figure's segments.
class Stroke {
public:
    Stroke(DeviceContext& dc, const PenObject& pen) : dc_(dc), pen_(pen) {
        width_ = std::max(1, pen.width);
        // Pixels further out than the pen's width from the clip box cannot show.
        box_ = dc.effective_clip().box();
        box_ = RECT{box_.left - width_, box_.top - width_, box_.right + width_, box_.bottom + width_};
        if (width_ == 1) pattern_ = &dash_pattern(pen.style);
        period_ = 0;
        if (pattern_) for (int d : *pattern_) period_ += d;
    }

    // From a to b in surface coordinates; the end point is left out unless asked for.
    void line(POINT a, POINT b, bool include_end) {
        // 64-bit throughout: far-away end points must not overflow.
        const int64_t dx = std::llabs(int64_t{b.x} - a.x), dy = std::llabs(int64_t{b.y} - a.y);
        const int64_t sx = b.x > a.x ? 1 : -1, sy = b.y > a.y ? 1 : -1;
        const int64_t steps = std::max(dx, dy);
        const int64_t count = include_end ? steps + 1 : steps;
        const int64_t period = std::max(period_, 1);
        // Only the steps whose major coordinate lies near the clip box are
        // walked; the style pattern still counts the ones skipped.
        const bool x_major = dx >= dy;
        const int64_t start = x_major ? a.x : a.y, dir = x_major ? sx : sy;
        const int64_t low = x_major ? box_.left : box_.top, high = x_major ? box_.right : box_.bottom;
        int64_t i0 = dir > 0 ? low - start : start - high;
        int64_t i1 = dir > 0 ? high - start : start - low;
        i0 = std::max<int64_t>(0, i0 - 1);
        i1 = std::min<int64_t>(count, i1 + 1);
        if (i1 <= i0) {
            style_pos_ = static_cast<int>((style_pos_ + count) % period);
            return;
        }
        style_pos_ = static_cast<int>((style_pos_ + i0) % period);
        for (int64_t i = i0; i < i1; ++i) {
            int64_t x, y;
            if (x_major) {
                x = a.x + sx * i;
                y = a.y + sy * ((2 * i * dy + dx) / (2 * std::max<int64_t>(dx, 1)));
            } else {
                y = a.y + sy * i;
                x = a.x + sx * ((2 * i * dx + dy) / (2 * dy));
            }
            plot(x, y);
        }
        style_pos_ = static_cast<int>((style_pos_ + (count - i1)) % period);
    }

    void plot(int64_t x64, int64_t y64) {
        if (x64 < box_.left || x64 >= box_.right || y64 < box_.top || y64 >= box_.bottom) {
            ++style_pos_;
            return;
        }
        const int x = static_cast<int>(x64), y = static_cast<int>(y64);
        if (width_ > 1) {
            stamp(x, y);
            return;
        }
        if (period_ > 0) {
            int pos = style_pos_ % period_;
            style_pos_ = (style_pos_ + 1) % period_;
            size_t k = 0;
            while (pos >= (*pattern_)[k]) pos -= (*pattern_)[k++];
            if (k % 2 == 1) {
                gaps_.add_pixel(x, y);
                return;
            }
        }
        on_.add_pixel(x, y);
    }

    RegionData pixels() const { return on_.to_region(); }

    void paint() {
        Paint p;
        p.colour = pen_pixel(dc_, pen_);
        p.rop2 = dc_.state.rop2;
        paint_region(dc_, on_.to_region(), p);
        if (dc_.state.bk_mode == OPAQUE && !gaps_.empty()) {
            p.colour = colorref_to_pixel(dc_.state.bk_colour);
            paint_region(dc_, gaps_.to_region(), p);
        }
    }

private:
    // A round pen tip of the pen's width centred on the pixel.
    void stamp(int x, int y) {
        const double c = (width_ - 1) / 2.0, r = width_ / 2.0;
        for (int j = 0; j < width_; ++j) {
            const double dy = j - c;
            int first = -1, last = -1;
            for (int i = 0; i < width_; ++i) {
                const double dx = i - c;
                if (dx * dx + dy * dy <= r * r + 0.25) {
                    if (first < 0) first = i;
                    last = i;
                }
            }
            if (first >= 0) {
                const int base_x = x - (width_ - 1) / 2, base_y = y - (width_ - 1) / 2;
                on_.add(base_y + j, base_x + first, base_x + last + 1);
            }
        }
    }

    DeviceContext& dc_;
    const PenObject& pen_;
    int width_;
    const std::vector<int>* pattern_ = nullptr;
    int period_ = 0;
    int style_pos_ = 0;
    RECT box_{};
    SpanSet on_;
    SpanSet gaps_;
};

bool has_pen(const DeviceContext& dc) {
    return dc.state.pen && dc.state.pen->style != PS_NULL;
}

void fill_with_brush(DeviceContext& dc, const RegionData& region) {
    if (!dc.state.brush || region.empty()) return;
    RealisedBrush brush;
    realise_brush(dc, *dc.state.brush, true, brush);
    if (!brush.null) paint_region(dc, region, brush.paint);
}

// Fills a shape and frames it with the pen: one-pixel pens paint the
// shape's boundary pixels, wider ones a band of the pen's width centred on
// it (inside it for PS_INSIDEFRAME).
// Rows of a shape worth computing: those of the clip box, with room for the pen.
RowLimit visible_rows(DeviceContext& dc, int pen_width) {
    const RECT box = dc.effective_clip().box();
    return RowLimit{box.top - pen_width - 1, box.bottom + pen_width + 1};
}

template <typename MakeRegion>
void draw_closed_shape(DeviceContext& dc, RECT box, MakeRegion make) {
    if (!has_pen(dc)) {
        fill_with_brush(dc, make(box));
        return;
    }
    const PenObject& pen = *dc.state.pen;
    const int w = std::max(1, pen.width);
    if (w == 1) {
        RegionData outer = make(box);
        RegionData outline = region_boundary(outer);
        fill_with_brush(dc, RegionData::combine(outer, outline, RGN_DIFF));
        Paint p;
        p.colour = pen_pixel(dc, pen);
        p.rop2 = dc.state.rop2;
        paint_region(dc, outline, p);
        return;
    }
    RECT outer_box = box, inner_box = box;
    if (pen.style == PS_INSIDEFRAME) {
        inner_box = RECT{box.left + w, box.top + w, box.right - w, box.bottom - w};
    } else {
        const int lo = (w - 1) / 2, hi = w / 2;
        outer_box = RECT{box.left - lo, box.top - lo, box.right + hi, box.bottom + hi};
        inner_box = RECT{box.left + hi + 1, box.top + hi + 1, box.right - 1 - lo, box.bottom - 1 - lo};
    }
    RegionData outer = make(outer_box);
    RegionData inner = (inner_box.right > inner_box.left && inner_box.bottom > inner_box.top) ? make(inner_box)
                                                                                                : RegionData();
    fill_with_brush(dc, inner);
    Paint p;
    p.colour = pen_pixel(dc, pen);
    p.rop2 = dc.state.rop2;
    paint_region(dc, RegionData::combine(outer, inner, RGN_DIFF), p);
}

RECT surface_box(DeviceContext& dc, int left, int top, int right, int bottom) {
    POINT a = dc.to_surface(left, top), b = dc.to_surface(right, bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->state.current_position;
    dc->state.current_position = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !position) return FALSE;
    *position = dc->state.current_position;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    if (has_pen(*dc)) {
        Stroke stroke(*dc, *dc->state.pen);
        const POINT& from = dc->state.current_position;
        stroke.line(dc->to_surface(from.x, from.y), dc->to_surface(x, y), false);
        stroke.paint();
    }
    dc->state.current_position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !points || count < 2) return FALSE;
    if (has_pen(*dc)) {
        Stroke stroke(*dc, *dc->state.pen);
        for (int i = 0; i + 1 < count; ++i) {
            stroke.line(dc->to_surface(points[i].x, points[i].y), dc->to_surface(points[i + 1].x, points[i + 1].y),
                        false);
        }
        stroke.paint();
    }
    return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !points || count < 1) return FALSE;
    if (has_pen(*dc)) {
        Stroke stroke(*dc, *dc->state.pen);
        POINT from = dc->state.current_position;
        for (DWORD i = 0; i < count; ++i) {
            stroke.line(dc->to_surface(from.x, from.y), dc->to_surface(points[i].x, points[i].y), false);
            from = points[i];
        }
        stroke.paint();
    }
    dc->state.current_position = points[count - 1];
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !points || count < 2) return FALSE;
    std::vector<POINT> device(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) device[static_cast<size_t>(i)] = dc->to_surface(points[i].x, points[i].y);
    RegionData interior = polygon_region(device.data(), count, dc->state.poly_fill_mode,
                                         visible_rows(*dc, dc->state.pen ? dc->state.pen->width : 1));
    if (!has_pen(*dc)) {
        fill_with_brush(*dc, interior);
        return TRUE;
    }
    Stroke stroke(*dc, *dc->state.pen);
    for (int i = 0; i < count; ++i) {
        stroke.line(device[static_cast<size_t>(i)], device[static_cast<size_t>((i + 1) % count)], false);
    }
    fill_with_brush(*dc, RegionData::combine(interior, stroke.pixels(), RGN_DIFF));
    stroke.paint();
    return TRUE;
}

BOOL PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !points || !counts || polygons < 1) return FALSE;
    size_t total = 0;
    for (int k = 0; k < polygons; ++k) {
        if (counts[k] < 2) return FALSE;
        total += static_cast<size_t>(counts[k]);
    }
    std::vector<POINT> device(total);
    for (size_t i = 0; i < total; ++i) device[i] = dc->to_surface(points[i].x, points[i].y);
    RegionData interior = poly_polygon_region(device.data(), counts, polygons, dc->state.poly_fill_mode,
                                              visible_rows(*dc, dc->state.pen ? dc->state.pen->width : 1));
    if (!has_pen(*dc)) {
        fill_with_brush(*dc, interior);
        return TRUE;
    }
    // One stroke for all outlines, so that a styled pen runs on from one
    // polygon to the next and shared edges are painted once.
    Stroke stroke(*dc, *dc->state.pen);
    size_t start = 0;
    for (int k = 0; k < polygons; ++k) {
        const size_t n = static_cast<size_t>(counts[k]);
        for (size_t i = 0; i < n; ++i) stroke.line(device[start + i], device[start + (i + 1) % n], false);
        start += n;
    }
    fill_with_brush(*dc, RegionData::combine(interior, stroke.pixels(), RGN_DIFF));
    stroke.paint();
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    RECT box = surface_box(*dc, left, top, right, bottom);
    if (!has_pen(*dc)) {
        // Without a pen the filled area loses its last column and row.
        fill_with_brush(*dc, RegionData::from_rect(RECT{box.left, box.top, box.right - 1, box.bottom - 1}));
        return TRUE;
    }
    const PenObject& pen = *dc->state.pen;
    if (std::max(1, pen.width) == 1 && pen.style != PS_SOLID && pen.style != PS_INSIDEFRAME) {
        // Styled frame: the dashes run around the rectangle from its top-left corner.
        if (int64_t{box.right} - box.left < 2 || int64_t{box.bottom} - box.top < 2) return TRUE;
        fill_with_brush(*dc, RegionData::from_rect(RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}));
        Stroke stroke(*dc, pen);
        const POINT corners[4] = {{box.left, box.top}, {box.right - 1, box.top}, {box.right - 1, box.bottom - 1},
                                  {box.left, box.bottom - 1}};
        for (int i = 0; i < 4; ++i) stroke.line(corners[i], corners[(i + 1) % 4], false);
        stroke.paint();
        return TRUE;
    }
    draw_closed_shape(*dc, box, [](const RECT& r) { return RegionData::from_rect(r); });
    return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int corner_w, int corner_h) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    RECT box = surface_box(*dc, left, top, right, bottom);
    const RowLimit rows = visible_rows(*dc, dc->state.pen ? dc->state.pen->width : 1);
    draw_closed_shape(*dc, box, [&](const RECT& r) {
        return round_rect_region(r.left, r.top, r.right, r.bottom, corner_w, corner_h, rows);
    });
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    RECT box = surface_box(*dc, left, top, right, bottom);
    const RowLimit rows = visible_rows(*dc, dc->state.pen ? dc->state.pen->width : 1);
    draw_closed_shape(*dc, box, [&](const RECT& r) { return ellipse_region(r.left, r.top, r.right, r.bottom, rows); });
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !dc->surface()) return CLR_INVALID;
    POINT p = dc->to_surface(x, y);
    if (!dc->effective_clip().contains(p.x, p.y)) return CLR_INVALID;
    Surface& s = *dc->surface();
    s.set(p.x, p.y, colorref_to_pixel(colour));
    return pixel_to_colorref(s.get(p.x, p.y));
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF colour) {
    return SetPixel(hdc, x, y, colour) != CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !dc->surface()) return CLR_INVALID;
    POINT p = dc->to_surface(x, y);
    if (!dc->effective_clip().contains(p.x, p.y)) return CLR_INVALID;
    return pixel_to_colorref(dc->surface()->get(p.x, p.y));
}
