#include "platform/gdi/internal/shape_regions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

namespace {

constexpr double kEpsilon = 1e-9;

void normalise(LONG& a, LONG& b) {
    if (a > b) std::swap(a, b);
}

// The rows [first, last) of a shape that are inside the limit; false when
// there are too many to compute.
bool row_range(LONG top, LONG bottom, RowLimit limit, LONG& first, LONG& last, bool* ok) {
    first = std::max(top, limit.first);
    last = std::min(bottom, limit.second);
    const bool fits = static_cast<int64_t>(last) - first <= kMaxShapeRows;
    if (ok) *ok = fits;
    return fits && last > first;
}

Span centre_span(double from, double to) {
    // Pixels whose centres lie in [from, to].
    const LONG x0 = static_cast<LONG>(std::ceil(from - 0.5 - kEpsilon));
    const LONG x1 = static_cast<LONG>(std::floor(to - 0.5 + kEpsilon)) + 1;
    return Span{x0, x1};
}

}  // namespace

RegionData ellipse_region(LONG left, LONG top, LONG right, LONG bottom, RowLimit limit, bool* ok) {
    normalise(left, right);
    normalise(top, bottom);
    if (ok) *ok = true;
    if (int64_t{right} - left < 1 || int64_t{bottom} - top < 1) return RegionData();
    LONG first, last;
    if (!row_range(top, bottom, limit, first, last, ok)) return RegionData();
    const double cx = (double(left) + right) / 2.0, cy = (double(top) + bottom) / 2.0;
    const double rx = (double(right) - left) / 2.0, ry = (double(bottom) - top) / 2.0;
    std::vector<std::vector<Span>> rows(static_cast<size_t>(last - first));
    for (LONG y = first; y < last; ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        if (std::fabs(dy) > 1.0) continue;
        const double half = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
        rows[static_cast<size_t>(y - first)].push_back(centre_span(cx - half, cx + half));
    }
    return RegionData::from_rows(first, rows);
}

RegionData round_rect_region(LONG left, LONG top, LONG right, LONG bottom, LONG corner_w, LONG corner_h,
                             RowLimit limit, bool* ok) {
    normalise(left, right);
    normalise(top, bottom);
    if (ok) *ok = true;
    // Sides and corners in 64 bits: a box may span more than a LONG holds.
    const int64_t width = int64_t{right} - left, height = int64_t{bottom} - top;
    if (width < 1 || height < 1) return RegionData();
    const int64_t cw = std::min<int64_t>(std::llabs(corner_w), width);
    const int64_t ch = std::min<int64_t>(std::llabs(corner_h), height);
    if (cw == 0 || ch == 0) return RegionData::from_rect(RECT{left, top, right, bottom});
    LONG first, last;
    if (!row_range(top, bottom, limit, first, last, ok)) return RegionData();
    const double a = static_cast<double>(cw) / 2.0, b = static_cast<double>(ch) / 2.0;
    std::vector<std::vector<Span>> rows(static_cast<size_t>(last - first));
    for (LONG y = first; y < last; ++y) {
        const double py = y + 0.5;
        double dy = 0.0;
        if (py < top + b) dy = top + b - py;
        else if (py > bottom - b) dy = py - (bottom - b);
        if (dy <= 0.0) {
            rows[static_cast<size_t>(y - first)].push_back(Span{left, right});
            continue;
        }
        const double half = a * std::sqrt(std::max(0.0, 1.0 - (dy / b) * (dy / b)));
        rows[static_cast<size_t>(y - first)].push_back(centre_span(left + a - half, right - a + half));
    }
    return RegionData::from_rows(first, rows);
}

RegionData polygon_region(const POINT* points, int count, int fill_mode, RowLimit limit, bool* ok) {
    if (ok) *ok = true;
    if (!points || count < 3) return RegionData();
    return poly_polygon_region(points, &count, 1, fill_mode, limit, ok);
}

RegionData poly_polygon_region(const POINT* points, const int* counts, int polygons, int fill_mode, RowLimit limit,
                               bool* ok) {
    if (ok) *ok = true;
    if (!points || !counts || polygons < 1) return RegionData();
    // Every polygon is closed; one of fewer than three points adds no area.
    struct Edge { POINT a, b; };
    std::vector<Edge> edges;
    LONG ymin = 0, ymax = 0;
    size_t start = 0;
    for (int k = 0; k < polygons; ++k) {
        const int n = counts[k];
        if (n < 0) return RegionData();
        for (int i = 0; i < n; ++i) {
            const POINT& a = points[start + static_cast<size_t>(i)];
            const POINT& b = points[start + static_cast<size_t>((i + 1) % n)];
            if (n < 3 || a.y == b.y) continue;
            if (edges.empty()) ymin = ymax = a.y;
            ymin = std::min({ymin, a.y, b.y});
            ymax = std::max({ymax, a.y, b.y});
            edges.push_back(Edge{a, b});
        }
        start += static_cast<size_t>(n);
    }
    if (edges.empty()) return RegionData();
    LONG first, last;
    if (!row_range(ymin, ymax, limit, first, last, ok)) return RegionData();
    struct Crossing { double x; int dir; };
    std::vector<std::vector<Span>> rows(static_cast<size_t>(last - first));
    std::vector<Crossing> crossings;
    for (LONG y = first; y < last; ++y) {
        const double py = y + 0.5;
        crossings.clear();
        for (const Edge& e : edges) {
            const POINT& a = e.a;
            const POINT& b = e.b;
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            if (py < lo || py >= hi) continue;
            const double x = a.x + (py - a.y) * (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y);
            crossings.push_back(Crossing{x, b.y > a.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
        auto& row = rows[static_cast<size_t>(y - first)];
        if (fill_mode == WINDING) {
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].dir;
                if (winding != 0) row.push_back(centre_span(crossings[i].x, crossings[i + 1].x - 2 * kEpsilon - 1e-6));
            }
        } else {
            for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                row.push_back(centre_span(crossings[i].x, crossings[i + 1].x - 2 * kEpsilon - 1e-6));
            }
        }
    }
    return RegionData::from_rows(first, rows);
}

RegionData region_boundary(const RegionData& region) {
    RegionData eroded = region;
    const int offsets[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& o : offsets) {
        RegionData shifted = region;
        shifted.offset(o[0], o[1]);
        eroded = RegionData::combine(eroded, shifted, RGN_AND);
    }
    return RegionData::combine(region, eroded, RGN_DIFF);
}

}  // namespace trelwin::gdi
