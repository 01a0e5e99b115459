#include "platform/gdi/metafile/playback.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/regions.h"
#include "platform/gdi/text.h"

namespace trelwin::gdi::metafile {

namespace {

// Deeper saves than this end the playback: each one copies the DC's state.
constexpr size_t kMaxSaveDepth = 1024;
// Points of a flattened ellipse and segments of a flattened curve.
constexpr int kEllipsePoints = 64;
constexpr int kCurveSegments = 16;
constexpr double kCoordinateLimit = 1 << 30;

LONG to_pixel(double v) {
    if (!std::isfinite(v)) return v > 0 ? static_cast<LONG>(kCoordinateLimit) : -static_cast<LONG>(kCoordinateLimit);
    return static_cast<LONG>(std::lround(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)));
}

uint64_t saturating_add(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }
uint64_t saturating_mul(uint64_t a, uint64_t b) { return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b; }

bool same_pen(const PenSpec& a, const PenSpec& b) {
    return a.style == b.style && a.width == b.width && a.cosmetic == b.cosmetic && a.colour == b.colour;
}

bool same_font(const FontSpec& a, const FontSpec& b) {
    return a.stock == b.stock && std::memcmp(&a.font, &b.font, sizeof(LOGFONTA)) == 0;
}

RECT bounds_of(const std::vector<POINT>& points) {
    RECT box{0, 0, 0, 0};
    if (points.empty()) return box;
    box = RECT{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const POINT& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    return box;
}

// The polygon cut to the window (Sutherland and Hodgman): inside the
// window every point keeps its winding number, so a region made from the
// result is the same there, and costs rows of the window only.
std::vector<POINT> cut_to(const std::vector<POINT>& polygon, const RECT& window) {
    const RECT box = bounds_of(polygon);
    if (box.left >= window.left && box.top >= window.top && box.right <= window.right && box.bottom <= window.bottom)
        return polygon;
    struct Edge {
        bool vertical;
        double at;
        bool keep_above;  // keep the side of larger coordinates
    };
    const Edge edges[4] = {{true, static_cast<double>(window.left), true},
                           {true, static_cast<double>(window.right), false},
                           {false, static_cast<double>(window.top), true},
                           {false, static_cast<double>(window.bottom), false}};
    std::vector<std::pair<double, double>> points;
    for (const POINT& p : polygon) points.emplace_back(p.x, p.y);
    for (const Edge& e : edges) {
        if (points.empty()) break;
        auto inside = [&](const std::pair<double, double>& p) {
            const double v = e.vertical ? p.first : p.second;
            return e.keep_above ? v >= e.at : v <= e.at;
        };
        std::vector<std::pair<double, double>> out;
        for (size_t i = 0; i < points.size(); ++i) {
            const auto& a = points[i];
            const auto& b = points[(i + 1) % points.size()];
            if (inside(a)) out.push_back(a);
            if (inside(a) != inside(b)) {
                const double va = e.vertical ? a.first : a.second, vb = e.vertical ? b.first : b.second;
                const double t = (e.at - va) / (vb - va);
                const double x = a.first + (b.first - a.first) * t, y = a.second + (b.second - a.second) * t;
                out.emplace_back(e.vertical ? e.at : x, e.vertical ? y : e.at);
            }
        }
        points.swap(out);
    }
    std::vector<POINT> result;
    for (const auto& [x, y] : points) result.push_back(POINT{to_pixel(x), to_pixel(y)});
    return result;
}

uint64_t height_of(const RECT& box) { return static_cast<uint64_t>(int64_t{box.bottom} - box.top); }

// A cubic curve from p0 through the control points p1, p2 to p3, appended
// without its first point.
void flatten_curve(POINT p0, POINT p1, POINT p2, POINT p3, std::vector<POINT>& out) {
    for (int i = 1; i <= kCurveSegments; ++i) {
        const double t = static_cast<double>(i) / kCurveSegments, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back(POINT{to_pixel(a * p0.x + b * p1.x + c * p2.x + d * p3.x),
                            to_pixel(a * p0.y + b * p1.y + c * p2.y + d * p3.y)});
    }
}

}  // namespace

Playback::Playback(HDC dc, const RECT& dest) : dc_(dc), dest_(dest) {
    base_level_ = SaveDC(dc_);
    if (GetGraphicsMode(dc_) == GM_ADVANCED) {
        ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY);
        SetGraphicsMode(dc_, GM_COMPATIBLE);
    }
    SetViewportOrgEx(dc_, 0, 0, nullptr);
    SetWindowOrgEx(dc_, 0, 0, nullptr);
    SetTextColor(dc_, RGB(0, 0, 0));
    SetBkColor(dc_, RGB(255, 255, 255));
    SetBkMode(dc_, OPAQUE);
    SetROP2(dc_, R2_COPYPEN);
    SetPolyFillMode(dc_, ALTERNATE);
    SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetTextCharacterExtra(dc_, 0);
    SetTextJustification(dc_, 0, 0);
    SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    // Nothing is drawn outside the frame.
    IntersectClipRect(dc_, std::min(dest.left, dest.right), std::min(dest.top, dest.bottom),
                      std::max(dest.left, dest.right), std::max(dest.top, dest.bottom));
    base_clip_ = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc_, base_clip_) != 1) {
        DeleteObject(base_clip_);
        base_clip_ = nullptr;
    }
    state_.font.stock = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    const uint64_t width = static_cast<uint64_t>(std::abs(static_cast<int64_t>(dest.right) - dest.left));
    const uint64_t height = static_cast<uint64_t>(std::abs(static_cast<int64_t>(dest.bottom) - dest.top));
    budget_ = kWorkBudget + kWorkPerPixel * width * height;
    max_size_ = static_cast<int>(std::clamp<uint64_t>(std::max(width, height), 1, 1 << 16));
}

Playback::~Playback() {
    RestoreDC(dc_, base_level_);
    if (base_clip_) DeleteObject(base_clip_);
    for (Object& o : objects_)
        if (o.brush) DeleteObject(o.brush);
    if (pen_) DeleteObject(pen_);
    if (font_) DeleteObject(font_);
}

void Playback::set_reference(double pixels_per_mm_x, double pixels_per_mm_y, double scale_x, double scale_y,
                             double offset_x, double offset_y) {
    ppmm_x_ = pixels_per_mm_x;
    ppmm_y_ = pixels_per_mm_y;
    scale_x_ = scale_x;
    scale_y_ = scale_y;
    offset_x_ = offset_x;
    offset_y_ = offset_y;
}

// ---- coordinates ------------------------------------------------------

namespace {

// Reference pixels per logical unit under the mapping mode.
void page_scale(const Mapping& m, double ppmm_x, double ppmm_y, double& sx, double& sy) {
    auto metric = [&](double mm) {
        sx = mm * ppmm_x;
        sy = -mm * ppmm_y;
    };
    switch (m.map_mode) {
        case MM_LOMETRIC: metric(0.1); return;
        case MM_HIMETRIC: metric(0.01); return;
        case MM_LOENGLISH: metric(0.254); return;
        case MM_HIENGLISH: metric(0.0254); return;
        case MM_TWIPS: metric(25.4 / 1440); return;
        case MM_ISOTROPIC: {
            const double ax = m.viewport_ext_x / m.window_ext_x, ay = m.viewport_ext_y / m.window_ext_y;
            const double magnitude = std::min(std::fabs(ax), std::fabs(ay));
            sx = std::copysign(magnitude, ax);
            sy = std::copysign(magnitude, ay);
            return;
        }
        case MM_ANISOTROPIC:
            sx = m.viewport_ext_x / m.window_ext_x;
            sy = m.viewport_ext_y / m.window_ext_y;
            return;
        default: sx = sy = 1; return;
    }
}

}  // namespace

POINT Playback::to_device(double x, double y) const {
    const Mapping& m = state_.mapping;
    const XFORM& w = m.world;
    const double wx = x * w.eM11 + y * w.eM21 + w.eDx, wy = x * w.eM12 + y * w.eM22 + w.eDy;
    double sx, sy;
    page_scale(m, ppmm_x_, ppmm_y_, sx, sy);
    return reference_to_device((wx - m.window_org_x) * sx + m.viewport_org_x,
                               (wy - m.window_org_y) * sy + m.viewport_org_y);
}

POINT Playback::reference_to_device(double x, double y) const {
    return POINT{to_pixel(x * scale_x_ + offset_x_), to_pixel(y * scale_y_ + offset_y_)};
}

double Playback::unit_x() const {
    const Mapping& m = state_.mapping;
    double sx, sy;
    page_scale(m, ppmm_x_, ppmm_y_, sx, sy);
    const double v = std::hypot(m.world.eM11 * sx * scale_x_, m.world.eM12 * sy * scale_y_);
    return std::isfinite(v) ? v : 0;
}

double Playback::unit_y() const {
    const Mapping& m = state_.mapping;
    double sx, sy;
    page_scale(m, ppmm_x_, ppmm_y_, sx, sy);
    const double v = std::hypot(m.world.eM21 * sx * scale_x_, m.world.eM22 * sy * scale_y_);
    return std::isfinite(v) ? v : 0;
}

std::vector<POINT> Playback::device_points(const std::vector<POINT>& logical) const {
    std::vector<POINT> device;
    device.reserve(logical.size());
    for (const POINT& p : logical) device.push_back(to_device(p.x, p.y));
    return device;
}

std::vector<POINT> Playback::rectangle_outline(double left, double top, double right, double bottom) const {
    return {to_device(left, top), to_device(right, top), to_device(right, bottom), to_device(left, bottom)};
}

std::vector<POINT> Playback::ellipse_outline(double left, double top, double right, double bottom) const {
    std::vector<POINT> points;
    const double cx = (left + right) / 2, cy = (top + bottom) / 2, rx = (right - left) / 2, ry = (bottom - top) / 2;
    for (int i = 0; i < kEllipsePoints; ++i) {
        const double a = 2 * M_PI * i / kEllipsePoints;
        points.push_back(to_device(cx + rx * std::cos(a), cy + ry * std::sin(a)));
    }
    return points;
}

// ---- objects ------------------------------------------------------------

void Playback::reset_objects(size_t count) { objects_.assign(count, Object{}); }

size_t Playback::free_slot() const {
    for (size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].kind == Object::Kind::Empty) return i;
    return SIZE_MAX;
}

void Playback::delete_object(size_t slot) {
    if (slot >= objects_.size()) return;
    Object& o = objects_[slot];
    // A DC that has the brush selected keeps its own reference to it.
    if (o.brush) DeleteObject(o.brush);
    o = Object{};
}

void Playback::store_pen(size_t slot, const PenSpec& pen) {
    if (slot >= objects_.size()) return;
    delete_object(slot);
    objects_[slot].kind = Object::Kind::Pen;
    objects_[slot].pen = pen;
}

void Playback::store_brush(size_t slot, HBRUSH brush) {
    if (slot >= objects_.size()) {
        if (brush) DeleteObject(brush);
        return;
    }
    delete_object(slot);
    objects_[slot].kind = brush ? Object::Kind::Brush : Object::Kind::Other;
    objects_[slot].brush = brush;
}

void Playback::store_font(size_t slot, const FontSpec& font) {
    if (slot >= objects_.size()) return;
    delete_object(slot);
    objects_[slot].kind = Object::Kind::Font;
    objects_[slot].font = font;
}

void Playback::store_placeholder(size_t slot) {
    if (slot >= objects_.size()) return;
    delete_object(slot);
    objects_[slot].kind = Object::Kind::Other;
}

void Playback::select_object(size_t slot) {
    if (slot >= objects_.size()) return;
    const Object& o = objects_[slot];
    switch (o.kind) {
        case Object::Kind::Pen: state_.pen = o.pen; break;
        case Object::Kind::Font: state_.font = o.font; break;
        case Object::Kind::Brush: SelectObject(dc_, o.brush); break;
        default: break;
    }
}

void Playback::select_stock(int index) {
    switch (index) {
        case WHITE_PEN: state_.pen = PenSpec{PS_SOLID, 0, true, RGB(255, 255, 255)}; break;
        case BLACK_PEN: state_.pen = PenSpec{PS_SOLID, 0, true, RGB(0, 0, 0)}; break;
        case NULL_PEN: state_.pen = PenSpec{PS_NULL, 0, true, 0}; break;
        case DC_PEN: state_.pen = PenSpec{PS_SOLID, 0, true, GetDCPenColor(dc_)}; break;
        case WHITE_BRUSH: case LTGRAY_BRUSH: case GRAY_BRUSH: case DKGRAY_BRUSH: case BLACK_BRUSH:
        case NULL_BRUSH: case DC_BRUSH:
            SelectObject(dc_, GetStockObject(index));
            break;
        case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case ANSI_VAR_FONT: case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT: case SYSTEM_FIXED_FONT: case DEFAULT_GUI_FONT:
            state_.font = FontSpec{};
            state_.font.stock = static_cast<HFONT>(GetStockObject(index));
            break;
        default: break;
    }
}

int Playback::pen_pixels() const {
    const PenSpec& p = state_.pen;
    if (p.cosmetic || p.width <= 0) return 1;
    return static_cast<int>(std::clamp(std::lround(std::min(p.width * unit_x(), 1e9)), 1L, long{max_size_}));
}

void Playback::realise_pen() {
    const double scale = unit_x();
    if (!pen_ || !same_pen(state_.pen, pen_for_) || scale != pen_scale_) {
        const int width = state_.pen.cosmetic || state_.pen.width <= 0 ? 0 : pen_pixels();
        HPEN pen = CreatePen(static_cast<int>(state_.pen.style), width, state_.pen.colour);
        if (!pen) return;
        SelectObject(dc_, pen);
        if (pen_) DeleteObject(pen_);
        pen_ = pen;
        pen_for_ = state_.pen;
        pen_scale_ = scale;
    }
    SelectObject(dc_, pen_);
}

void Playback::realise_font() {
    if (state_.font.stock) {
        SelectObject(dc_, state_.font.stock);
        return;
    }
    const double scale = unit_y();
    if (!font_ || !same_font(state_.font, font_for_) || scale != font_scale_) {
        LOGFONTA lf = state_.font.font;
        // Glyphs larger than the picture show nothing more and cost much.
        const double limit = std::min(max_size_, 4096);
        auto scaled = [&](LONG v, double s) -> LONG {
            if (v == 0) return 0;
            const double magnitude = std::clamp(std::fabs(v * s), 1.0, limit);
            return static_cast<LONG>(std::lround(v < 0 ? -magnitude : magnitude));
        };
        lf.lfHeight = scaled(lf.lfHeight, scale);
        lf.lfWidth = scaled(lf.lfWidth, unit_x());
        // Realising a font costs its face and glyphs (some hundred
        // kilobytes): a font new to this playback is charged much, so that
        // a file cannot ask for thousands.
        const std::string key(reinterpret_cast<const char*>(&lf), sizeof(lf));
        if (fonts_seen_.count(key) == 0) {
            if (!charge(kWorkPerFont)) return;
            fonts_seen_.insert(key);
        }
        HFONT font = CreateFontIndirectA(&lf);
        if (!font) return;
        SelectObject(dc_, font);
        if (font_) DeleteObject(font_);
        font_ = font;
        font_for_ = state_.font;
        font_scale_ = scale;
    }
    SelectObject(dc_, font_);
}

// ---- budget -------------------------------------------------------------

bool Playback::charge(uint64_t cost) {
    if (exhausted_) return false;
    if (cost > budget_) {
        fail("the metafile asks for more drawing than a picture may take");
        return false;
    }
    budget_ -= cost;
    return true;
}

uint64_t Playback::area_cost(const RECT& box) const {
    const int64_t left = std::max<int64_t>(box.left, std::min(dest_.left, dest_.right));
    const int64_t right = std::min<int64_t>(box.right, std::max(dest_.left, dest_.right));
    const int64_t top = std::max<int64_t>(box.top, std::min(dest_.top, dest_.bottom));
    const int64_t bottom = std::min<int64_t>(box.bottom, std::max(dest_.top, dest_.bottom));
    if (right <= left || bottom <= top) return 1;
    return static_cast<uint64_t>(right - left) * static_cast<uint64_t>(bottom - top) + 1;
}

uint64_t Playback::stroke_cost(const std::vector<POINT>& points, bool closed) const {
    if (state_.pen.style == PS_NULL || points.size() < 2) return points.size();
    // Each step of a segment costs the pen's width squared; the steps
    // outside the destination are skipped by the stroke, so a segment
    // counts at most the destination's perimeter.
    const uint64_t cap = 4 * static_cast<uint64_t>(max_size_) + 2;
    uint64_t steps = 0;
    const size_t n = points.size(), segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % n];
        const uint64_t length = static_cast<uint64_t>(
            std::max(std::llabs(int64_t{b.x} - a.x), std::llabs(int64_t{b.y} - a.y)));
        steps = saturating_add(steps, std::min(length, cap) + 1);
    }
    const uint64_t w = static_cast<uint64_t>(pen_pixels());
    return saturating_mul(steps, w * w);
}

// ---- drawing ------------------------------------------------------------

void Playback::add_figure(std::vector<POINT> device, bool closed) {
    if (device.empty()) return;
    if (!charge(device.size())) return;
    path_.push_back(PathFigure{std::move(device), closed});
}

void Playback::move_to(double x, double y) {
    state_.current = to_device(x, y);
    if (path_open_) {
        add_figure({state_.current}, false);
        return;
    }
    MoveToEx(dc_, state_.current.x, state_.current.y, nullptr);
}

void Playback::line_to(double x, double y) {
    const POINT to = to_device(x, y);
    polyline_device_to({to});
}

void Playback::polyline_device_to(const std::vector<POINT>& device) {
    if (device.empty()) return;
    if (path_open_) {
        if (path_.empty() || path_.back().closed) add_figure({state_.current}, false);
        if (!charge(device.size())) return;
        auto& figure = path_.back().points;
        figure.insert(figure.end(), device.begin(), device.end());
    } else {
        std::vector<POINT> line{state_.current};
        line.insert(line.end(), device.begin(), device.end());
        draw_polyline(line);
    }
    state_.current = device.back();
    MoveToEx(dc_, state_.current.x, state_.current.y, nullptr);
}

void Playback::draw_polyline(const std::vector<POINT>& device) {
    if (device.size() < 2) return;
    realise_pen();
    if (!charge(stroke_cost(device, false))) return;
    Polyline(dc_, device.data(), static_cast<int>(device.size()));
}

void Playback::polyline(const std::vector<POINT>& logical, bool from_current) {
    std::vector<POINT> device = device_points(logical);
    if (from_current) {
        polyline_device_to(device);
        return;
    }
    if (path_open_) {
        add_figure(std::move(device), false);
        return;
    }
    draw_polyline(device);
}

void Playback::poly_bezier(const std::vector<POINT>& logical, bool from_current) {
    std::vector<POINT> control = device_points(logical);
    if (!from_current) {
        if (control.empty()) return;
        state_.current = control.front();
        control.erase(control.begin());
        if (path_open_) add_figure({state_.current}, false);
    }
    std::vector<POINT> flat;
    POINT start = state_.current;
    for (size_t i = 0; i + 2 < control.size(); i += 3) {
        if (!charge(kCurveSegments)) return;
        flatten_curve(start, control[i], control[i + 1], control[i + 2], flat);
        start = control[i + 2];
    }
    if (path_open_ || from_current) {
        polyline_device_to(flat);
        return;
    }
    flat.insert(flat.begin(), state_.current);
    draw_polyline(flat);
}

void Playback::draw_polygons(const std::vector<POINT>& device, const std::vector<int>& counts, bool stroke,
                             bool fill) {
    std::vector<POINT> points;
    std::vector<INT> kept;
    size_t start = 0;
    for (int n : counts) {
        if (n >= 2) {
            points.insert(points.end(), device.begin() + static_cast<ptrdiff_t>(start),
                          device.begin() + static_cast<ptrdiff_t>(start + static_cast<size_t>(n)));
            kept.push_back(n);
        }
        start += static_cast<size_t>(n);
    }
    if (kept.empty()) return;
    realise_pen();
    const RECT box = bounds_of(points);
    uint64_t cost = area_cost(box);
    cost = saturating_add(cost, saturating_mul(points.size(), height_of(box)));
    if (stroke) cost = saturating_add(cost, stroke_cost(points, true));
    if (!charge(cost)) return;
    HGDIOBJ old_pen = stroke ? nullptr : SelectObject(dc_, GetStockObject(NULL_PEN));
    HGDIOBJ old_brush = fill ? nullptr : SelectObject(dc_, GetStockObject(NULL_BRUSH));
    PolyPolygon(dc_, points.data(), kept.data(), static_cast<int>(kept.size()));
    if (old_pen) SelectObject(dc_, old_pen);
    if (old_brush) SelectObject(dc_, old_brush);
}

void Playback::polygon(const std::vector<POINT>& logical) {
    std::vector<POINT> device = device_points(logical);
    if (path_open_) {
        add_figure(std::move(device), true);
        return;
    }
    draw_polygons(device, {static_cast<int>(device.size())}, true, true);
}

void Playback::poly_polygon(const std::vector<POINT>& logical, const std::vector<int>& counts) {
    std::vector<POINT> device = device_points(logical);
    if (path_open_) {
        size_t start = 0;
        for (int n : counts) {
            add_figure(std::vector<POINT>(device.begin() + static_cast<ptrdiff_t>(start),
                                          device.begin() + static_cast<ptrdiff_t>(start + static_cast<size_t>(n))),
                       true);
            start += static_cast<size_t>(n);
        }
        return;
    }
    draw_polygons(device, counts, true, true);
}

void Playback::poly_polyline(const std::vector<POINT>& logical, const std::vector<int>& counts) {
    size_t start = 0;
    for (int n : counts) {
        polyline(std::vector<POINT>(logical.begin() + static_cast<ptrdiff_t>(start),
                                    logical.begin() + static_cast<ptrdiff_t>(start + static_cast<size_t>(n))),
                 false);
        start += static_cast<size_t>(n);
    }
}

void Playback::rectangle(double left, double top, double right, double bottom) {
    if (path_open_ || !axis_aligned()) {
        std::vector<POINT> outline = rectangle_outline(left, top, right, bottom);
        if (path_open_) add_figure(std::move(outline), true);
        else draw_polygons(outline, {4}, true, true);
        return;
    }
    const POINT a = to_device(left, top), b = to_device(right, bottom);
    realise_pen();
    const RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (!charge(saturating_add(area_cost(box), stroke_cost(rectangle_outline(left, top, right, bottom), true))))
        return;
    Rectangle(dc_, a.x, a.y, b.x, b.y);
}

void Playback::round_rect(double left, double top, double right, double bottom, double corner_w, double corner_h) {
    if (path_open_ || !axis_aligned()) {
        rectangle(left, top, right, bottom);
        return;
    }
    const POINT a = to_device(left, top), b = to_device(right, bottom);
    realise_pen();
    const RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (!charge(saturating_add(area_cost(box), stroke_cost(rectangle_outline(left, top, right, bottom), true))))
        return;
    RoundRect(dc_, a.x, a.y, b.x, b.y, to_pixel(std::fabs(corner_w) * unit_x()),
              to_pixel(std::fabs(corner_h) * unit_y()));
}

void Playback::ellipse(double left, double top, double right, double bottom) {
    if (path_open_ || !axis_aligned()) {
        std::vector<POINT> outline = ellipse_outline(left, top, right, bottom);
        if (path_open_) add_figure(std::move(outline), true);
        else draw_polygons(outline, {static_cast<int>(outline.size())}, true, true);
        return;
    }
    const POINT a = to_device(left, top), b = to_device(right, bottom);
    realise_pen();
    const RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (!charge(saturating_add(area_cost(box), stroke_cost(rectangle_outline(left, top, right, bottom), true))))
        return;
    Ellipse(dc_, a.x, a.y, b.x, b.y);
}

void Playback::arc(ArcKind kind, double left, double top, double right, double bottom, double xs, double ys,
                   double xe, double ye) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double rx = std::fabs(right - left) / 2, ry = std::fabs(bottom - top) / 2;
    if (rx == 0 || ry == 0) return;
    // Angles of the ellipse's parameter, y upwards as seen.
    const double start = std::atan2(-(ys - cy) / ry, (xs - cx) / rx);
    double end = std::atan2(-(ye - cy) / ry, (xe - cx) / rx);
    if (end <= start) end += 2 * M_PI;
    const int steps = std::max(2, static_cast<int>(std::ceil(kEllipsePoints * (end - start) / (2 * M_PI))));
    std::vector<POINT> points;
    for (int i = 0; i <= steps; ++i) {
        const double a = start + (end - start) * i / steps;
        points.push_back(to_device(cx + rx * std::cos(a), cy - ry * std::sin(a)));
    }
    switch (kind) {
        case ArcKind::Arc:
            if (path_open_) add_figure(std::move(points), false);
            else draw_polyline(points);
            return;
        case ArcKind::ArcTo: polyline_device_to(points); return;
        case ArcKind::Pie: points.push_back(to_device(cx, cy)); [[fallthrough]];
        case ArcKind::Chord:
            if (path_open_) add_figure(std::move(points), true);
            else draw_polygons(points, {static_cast<int>(points.size())}, true, true);
            return;
    }
}

void Playback::fill_region(const std::vector<RECT>& rects, size_t slot) {
    HBRUSH brush = static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH));
    if (slot != SIZE_MAX) {
        if (slot >= objects_.size() || objects_[slot].kind != Object::Kind::Brush) return;
        brush = objects_[slot].brush;
    }
    uint64_t cost = rects.size() + 1;
    std::vector<RECT> device;
    device.reserve(rects.size());
    for (const RECT& r : rects) {
        const POINT a = reference_to_device(r.left, r.top), b = reference_to_device(r.right, r.bottom);
        device.push_back(RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
        cost = saturating_add(cost, area_cost(device.back()));
    }
    if (!charge(cost)) return;
    for (const RECT& r : device) FillRect(dc_, &r, brush);
}

void Playback::set_pixel(double x, double y, COLORREF colour) {
    if (!charge(1)) return;
    const POINT p = to_device(x, y);
    SetPixel(dc_, p.x, p.y, colour);
}

void Playback::pattern_blt(double x, double y, double w, double h, DWORD rop) {
    const POINT a = to_device(x, y), b = to_device(x + w, y + h);
    // Only the part near the destination: the extents of a far larger one
    // would not fit the call's integers.
    const RECT window = region_window();
    const RECT box{std::max(std::min(a.x, b.x), window.left), std::max(std::min(a.y, b.y), window.top),
                   std::min(std::max(a.x, b.x), window.right), std::min(std::max(a.y, b.y), window.bottom)};
    if (box.right <= box.left || box.bottom <= box.top || !charge(area_cost(box))) return;
    PatBlt(dc_, box.left, box.top, box.right - box.left, box.bottom - box.top, rop);
}

void Playback::stretch_bitmap(HBITMAP bitmap, double x, double y, double w, double h, int xs, int ys, int ws,
                              int hs, DWORD rop) {
    const POINT a = to_device(x, y), b = to_device(x + w, y + h);
    const RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const int64_t width = int64_t{box.right} - box.left, height = int64_t{box.bottom} - box.top;
    // A source rectangle far outside any bitmap (its sums would not fit the
    // call's integers) is no drawing.
    constexpr int kFar = 1 << 30;
    const bool far = std::abs(int64_t{xs}) > kFar || std::abs(int64_t{ys}) > kFar || std::abs(int64_t{ws}) > kFar ||
                     std::abs(int64_t{hs}) > kFar;
    // Stretching reads the whole source rectangle, however small the
    // bitmap behind it.
    const uint64_t read = saturating_mul(static_cast<uint64_t>(std::abs(int64_t{ws})),
                                           static_cast<uint64_t>(std::abs(int64_t{hs})));
    if (far || width > INT32_MAX || height > INT32_MAX || !charge(saturating_add(area_cost(box), read))) return;
    HDC source = CreateCompatibleDC(dc_);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, bitmap);
    if (old) {
        StretchBlt(dc_, a.x, a.y, b.x - a.x, b.y - a.y, source, xs, ys, ws, hs, rop);
        SelectObject(source, old);
    }
    DeleteDC(source);
}

void Playback::text_out(double x, double y, const std::string& whole, const std::vector<double>& dx, UINT options,
                        const RECT* logical_rect) {
    if (path_open_) return;
    realise_font();
    const POINT at = to_device(x, y);
    // The text layer adds up pen positions in 32 bits: text that starts
    // far outside the picture is not drawn, a line keeps its first
    // kMaxTextBytes bytes and an advance is at most kMaxAdvance pixels,
    // which leaves every sum in range and changes nothing that can show.
    constexpr LONG kFarText = 1 << 29;
    constexpr size_t kMaxTextBytes = 4096;
    constexpr LONG kMaxAdvance = 1 << 16;
    if (std::abs(at.x) > kFarText || std::abs(at.y) > kFarText) return;
    const std::string text = whole.substr(0, kMaxTextBytes);
    RECT rect{};
    if (logical_rect) {
        const POINT a = to_device(logical_rect->left, logical_rect->top);
        const POINT b = to_device(logical_rect->right, logical_rect->bottom);
        rect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    const uint64_t height = static_cast<uint64_t>(std::max<LONG>(tm.tmHeight, 1));
    uint64_t cost = saturating_mul(saturating_mul(text.size() + 1, height), height);
    if (logical_rect) cost = saturating_add(cost, area_cost(rect));
    if (!charge(cost)) return;
    // Advances are placed where the logical sums fall, so that rounding
    // does not add up along the line.
    std::vector<INT> advances;
    if (!dx.empty()) {
        const double ux = unit_x();
        double sum = 0;
        LONG placed = 0;
        for (size_t i = 0; i < dx.size() && i < text.size(); ++i) {
            sum += dx[i];
            const LONG next = to_pixel(sum * ux);
            advances.push_back(std::clamp<LONG>(static_cast<LONG>(int64_t{next} - placed), -kMaxAdvance, kMaxAdvance));
            placed = next;
        }
        advances.resize(text.size(), 0);
    }
    ExtTextOutA(dc_, at.x, at.y, options & (ETO_OPAQUE | ETO_CLIPPED), logical_rect ? &rect : nullptr, text.data(),
                static_cast<UINT>(text.size()), advances.empty() ? nullptr : advances.data());
}

// ---- clipping -----------------------------------------------------------

RECT Playback::region_window() const {
    // A margin round the destination, so that the edges a cut adds are
    // never where a pixel is decided.
    constexpr LONG kMargin = 4;
    return RECT{std::min(dest_.left, dest_.right) - kMargin, std::min(dest_.top, dest_.bottom) - kMargin,
                std::max(dest_.left, dest_.right) + kMargin, std::max(dest_.top, dest_.bottom) + kMargin};
}

void Playback::clip_polygon(const std::vector<POINT>& original, int mode) {
    const std::vector<POINT> device = cut_to(original, region_window());
    const RECT box = bounds_of(device);
    if (!charge(saturating_mul(device.size() + 1, height_of(box) + 1))) return;
    HRGN region = CreatePolygonRgn(device.data(), static_cast<int>(device.size()), ALTERNATE);
    if (!region) return;
    ExtSelectClipRgn(dc_, region, mode);
    DeleteObject(region);
}

void Playback::intersect_clip(double left, double top, double right, double bottom) {
    if (!axis_aligned()) {
        clip_polygon(rectangle_outline(left, top, right, bottom), RGN_AND);
        return;
    }
    const POINT a = to_device(left, top), b = to_device(right, bottom);
    IntersectClipRect(dc_, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

void Playback::exclude_clip(double left, double top, double right, double bottom) {
    if (!axis_aligned()) {
        clip_polygon(rectangle_outline(left, top, right, bottom), RGN_DIFF);
        return;
    }
    const POINT a = to_device(left, top), b = to_device(right, bottom);
    ExcludeClipRect(dc_, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

void Playback::offset_clip(double dx, double dy) {
    const POINT a = to_device(0, 0), b = to_device(dx, dy);
    OffsetClipRgn(dc_, b.x - a.x, b.y - a.y);
}

void Playback::select_clip_rects(const std::vector<RECT>* list, int mode) {
    if (!list) {
        if (mode == RGN_COPY) SelectClipRgn(dc_, base_clip_);
        return;
    }
    const std::vector<RECT>& rects = *list;
    if (!charge(rects.size() + 1)) return;
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(rects.size());
    header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    std::memcpy(buffer.data(), &header, sizeof(header));
    if (!rects.empty()) std::memcpy(buffer.data() + sizeof(header), rects.data(), rects.size() * sizeof(RECT));
    HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                                  reinterpret_cast<const RGNDATA*>(buffer.data()));
    if (!region) return;
    // A copied region still stays inside the frame.
    if (mode == RGN_COPY && base_clip_) CombineRgn(region, region, base_clip_, RGN_AND);
    ExtSelectClipRgn(dc_, region, mode);
    DeleteObject(region);
}

// ---- save and restore -----------------------------------------------------

void Playback::save() {
    if (saved_.size() >= kMaxSaveDepth) {
        fail("the metafile saves its state too often without restoring it");
        return;
    }
    // Each save copies the clip region: a large one costs its size.
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    const uint64_t bytes = clip && GetClipRgn(dc_, clip) == 1 ? GetRegionData(clip, 0, nullptr) : 0;
    if (clip) DeleteObject(clip);
    if (!charge(saturating_mul(bytes, 4) + 1)) return;
    SaveDC(dc_);
    saved_.push_back(state_);
}

void Playback::restore(int level) {
    const int64_t depth = static_cast<int64_t>(saved_.size());
    const int64_t target = level < 0 ? depth + level : int64_t{level} - 1;
    if (target < 0 || target >= depth) return;
    RestoreDC(dc_, base_level_ + static_cast<int>(target) + 1);
    state_ = saved_[static_cast<size_t>(target)];
    saved_.resize(static_cast<size_t>(target));
}

// ---- paths ----------------------------------------------------------------

void Playback::begin_path() {
    path_.clear();
    path_open_ = true;
}

void Playback::abort_path() {
    path_.clear();
    path_open_ = false;
}

void Playback::close_figure() {
    if (path_open_ && !path_.empty()) path_.back().closed = true;
}

void Playback::fill_path(bool stroke, bool fill) {
    path_open_ = false;
    std::vector<PathFigure> figures;
    figures.swap(path_);
    if (fill) {
        std::vector<POINT> points;
        std::vector<int> counts;
        for (const PathFigure& f : figures) {
            points.insert(points.end(), f.points.begin(), f.points.end());
            counts.push_back(static_cast<int>(f.points.size()));
        }
        draw_polygons(points, counts, false, true);
    }
    if (!stroke) return;
    for (const PathFigure& f : figures) {
        if (f.closed) draw_polygons(f.points, {static_cast<int>(f.points.size())}, true, false);
        else draw_polyline(f.points);
    }
}

void Playback::select_clip_path(int mode) {
    path_open_ = false;
    std::vector<POINT> points;
    std::vector<INT> counts;
    const RECT window = region_window();
    for (const PathFigure& f : path_) {
        const std::vector<POINT> cut = cut_to(f.points, window);
        if (cut.size() < 3) continue;
        points.insert(points.end(), cut.begin(), cut.end());
        counts.push_back(static_cast<INT>(cut.size()));
    }
    path_.clear();
    if (counts.empty()) return;
    const RECT box = bounds_of(points);
    if (!charge(saturating_mul(points.size() + 1, height_of(box) + 1))) return;
    HRGN region = CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()),
                                       GetPolyFillMode(dc_));
    if (!region) return;
    ExtSelectClipRgn(dc_, region, mode);
    DeleteObject(region);
}

}  // namespace trelwin::gdi::metafile
