#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/gdi/draw.h"
#include "platform/gdi/internal/raster.h"

using namespace trelwin::gdi;

namespace {

struct Colour16 {
    double r, g, b, a;
};

Colour16 colour_of(const TRIVERTEX& v) {
    return Colour16{double(v.Red), double(v.Green), double(v.Blue), double(v.Alpha)};
}

Pixel to_pixel(double r, double g, double b, double a) {
    auto channel = [](double v) { return static_cast<Pixel>(std::clamp(static_cast<int>(v) >> 8, 0, 255)); };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// A rectangle whose first and last column (or row) take the two end colours
// exactly; the colours between are interpolated linearly per channel.
void fill_rect_gradient(DeviceContext& dc, const TRIVERTEX& v1, const TRIVERTEX& v2, bool vertical) {
    Surface* s = dc.surface();
    if (!s) return;
    POINT a = dc.to_surface(v1.x, v1.y), b = dc.to_surface(v2.x, v2.y);
    const TRIVERTEX* first = &v1;
    const TRIVERTEX* last = &v2;
    if ((vertical ? a.y > b.y : a.x > b.x)) std::swap(first, last);
    RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const int64_t steps = vertical ? int64_t{r.bottom} - r.top : int64_t{r.right} - r.left;
    if (steps <= 0 || r.right <= r.left || r.bottom <= r.top) return;
    const Colour16 c0 = colour_of(*first), c1 = colour_of(*last);
    // Colours are computed for the visible part only.
    auto colour_at = [&](int64_t i) {
        const double t = steps > 1 ? double(i) / double(steps - 1) : 0.0;
        return to_pixel(c0.r + (c1.r - c0.r) * t, c0.g + (c1.g - c0.g) * t, c0.b + (c1.b - c0.b) * t,
                        c0.a + (c1.a - c0.a) * t);
    };
    std::vector<Pixel> row;
    for_each_clip_rect(dc, r, [&](const RECT& piece) {
        const int n = piece.right - piece.left;
        row.resize(static_cast<size_t>(n));
        if (!vertical) {
            for (int k = 0; k < n; ++k) row[static_cast<size_t>(k)] = colour_at(int64_t{piece.left} + k - r.left);
        }
        for (int y = piece.top; y < piece.bottom; ++y) {
            if (vertical) std::fill(row.begin(), row.end(), colour_at(int64_t{y} - r.top));
            s->write(y, piece.left, n, row.data());
        }
    });
}

void fill_triangle(DeviceContext& dc, const TRIVERTEX& v1, const TRIVERTEX& v2, const TRIVERTEX& v3) {
    Surface* s = dc.surface();
    if (!s) return;
    const POINT p[3] = {dc.to_surface(v1.x, v1.y), dc.to_surface(v2.x, v2.y), dc.to_surface(v3.x, v3.y)};
    const Colour16 c[3] = {colour_of(v1), colour_of(v2), colour_of(v3)};
    const double det = double(p[1].y - p[2].y) * (p[0].x - p[2].x) + double(p[2].x - p[1].x) * (p[0].y - p[2].y);
    if (det == 0.0) return;
    const LONG top = std::min({p[0].y, p[1].y, p[2].y}), bottom = std::max({p[0].y, p[1].y, p[2].y});
    const LONG left = std::min({p[0].x, p[1].x, p[2].x}), right = std::max({p[0].x, p[1].x, p[2].x});
    for (LONG y = top; y < bottom; ++y) {
        for_each_clipped(dc, y, left, right, [&](int yy, int x0, int x1) {
            for (int x = x0; x < x1; ++x) {
                const double px = x + 0.5, py = yy + 0.5;
                const double w0 = (double(p[1].y - p[2].y) * (px - p[2].x) + double(p[2].x - p[1].x) * (py - p[2].y)) / det;
                const double w1 = (double(p[2].y - p[0].y) * (px - p[2].x) + double(p[0].x - p[2].x) * (py - p[2].y)) / det;
                const double w2 = 1.0 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                s->set(x, yy, to_pixel(w0 * c[0].r + w1 * c[1].r + w2 * c[2].r, w0 * c[0].g + w1 * c[1].g + w2 * c[2].g,
                                       w0 * c[0].b + w1 * c[1].b + w2 * c[2].b, w0 * c[0].a + w1 * c[1].a + w2 * c[2].a));
            }
        });
    }
}

}  // namespace

BOOL GradientFill(HDC hdc, const TRIVERTEX* vertices, ULONG vertex_count, const void* mesh, ULONG mesh_count,
                  ULONG mode) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !vertices || !mesh) return FALSE;
    if (mode == GRADIENT_FILL_RECT_H || mode == GRADIENT_FILL_RECT_V) {
        const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
        for (ULONG i = 0; i < mesh_count; ++i) {
            if (rects[i].UpperLeft >= vertex_count || rects[i].LowerRight >= vertex_count) return FALSE;
        }
        for (ULONG i = 0; i < mesh_count; ++i) {
            fill_rect_gradient(*dc, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight],
                               mode == GRADIENT_FILL_RECT_V);
        }
        return TRUE;
    }
    if (mode == GRADIENT_FILL_TRIANGLE) {
        const auto* triangles = static_cast<const GRADIENT_TRIANGLE*>(mesh);
        for (ULONG i = 0; i < mesh_count; ++i) {
            const auto& t = triangles[i];
            if (t.Vertex1 >= vertex_count || t.Vertex2 >= vertex_count || t.Vertex3 >= vertex_count) return FALSE;
        }
        for (ULONG i = 0; i < mesh_count; ++i) {
            const auto& t = triangles[i];
            fill_triangle(*dc, vertices[t.Vertex1], vertices[t.Vertex2], vertices[t.Vertex3]);
        }
        return TRUE;
    }
    return FALSE;
}
