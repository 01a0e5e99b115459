#include "platform/gdi/internal/resample.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

namespace {

// Source index of a destination index by the nearest rule, mirrored when
// the signs differ.
int nearest(int i, int src_len, int dst_len) {
    const int s = std::abs(src_len), d = std::abs(dst_len);
    const int k = static_cast<int>((static_cast<int64_t>(i) * s) / d);
    return (src_len < 0) != (dst_len < 0) ? s - 1 - k : k;
}

// Source span [first, last) that destination index i covers.
void covered(int i, int s, int d, int& first, int& last) {
    first = static_cast<int>((static_cast<int64_t>(i) * s) / d);
    last = std::max(first + 1, static_cast<int>((static_cast<int64_t>(i + 1) * s) / d));
}

struct Geometry {
    int aw, ah, adw, adh;
    bool mirror_x, mirror_y;
    ResampleWindow window;
    int columns() const { return window.last_column - window.first_column; }
    int source_x(int x) const { return mirror_x ? aw - 1 - x : x; }
    int source_y(int y) const { return mirror_y ? ah - 1 - y : y; }
};

void resample_nearest(const RowReader& read, int sx, int sy, int sw, int sh, int dw, int dh, const Geometry& g,
                      const std::function<void(int, const Pixel*)>& emit) {
    std::vector<int> xmap(static_cast<size_t>(g.columns()));
    for (int i = 0; i < g.columns(); ++i) xmap[static_cast<size_t>(i)] = nearest(g.window.first_column + i, sw, dw);
    std::vector<Pixel> src(static_cast<size_t>(g.aw));
    std::vector<Pixel> out(xmap.size());
    int cached = -1;
    for (int j = g.window.first_row; j < g.window.last_row; ++j) {
        const int row = nearest(j, sh, dh);
        if (row != cached) {
            cached = row;
            read(sy + row, sx, g.aw, src.data());
            for (size_t i = 0; i < xmap.size(); ++i) out[i] = src[static_cast<size_t>(xmap[i])];
        }
        emit(j, out.data());
    }
}

// Folds the source pixels that map onto one destination pixel with AND or OR.
void resample_fold(const RowReader& read, int sx, int sy, const Geometry& g, bool use_and,
                   const std::function<void(int, const Pixel*)>& emit) {
    std::vector<Pixel> src(static_cast<size_t>(g.aw));
    std::vector<Pixel> out(static_cast<size_t>(g.columns()));
    for (int j = g.window.first_row; j < g.window.last_row; ++j) {
        int y0, y1;
        covered(j, g.ah, g.adh, y0, y1);
        std::fill(out.begin(), out.end(), use_and ? 0xFFFFFFFFu : 0u);
        for (int y = y0; y < y1; ++y) {
            read(sy + g.source_y(y), sx, g.aw, src.data());
            for (int c = 0; c < g.columns(); ++c) {
                int x0, x1;
                covered(g.window.first_column + c, g.aw, g.adw, x0, x1);
                Pixel& o = out[static_cast<size_t>(c)];
                for (int x = x0; x < x1; ++x) {
                    const Pixel p = src[static_cast<size_t>(g.source_x(x))];
                    o = use_and ? (o & p) : (o | p);
                }
            }
        }
        emit(j, out.data());
    }
}

// Area averaging: each destination pixel is the mean of the source area it
// covers, weighted by the covered fraction of each source pixel.
void resample_average(const RowReader& read, int sx, int sy, const Geometry& g,
                      const std::function<void(int, const Pixel*)>& emit) {
    struct Weight {
        int index;
        int64_t weight;
    };
    // Destination pixel i covers source [i*s/d, (i+1)*s/d), in units of 1/d.
    auto weights_of = [](int i, int s, int d) {
        std::vector<Weight> w;
        const int64_t a = static_cast<int64_t>(i) * s, b = static_cast<int64_t>(i + 1) * s;
        for (int64_t k = a / d; k * d < b && k < s; ++k) {
            const int64_t lo = std::max(a, k * d), hi = std::min(b, (k + 1) * d);
            if (hi > lo) w.push_back(Weight{static_cast<int>(k), hi - lo});
        }
        return w;
    };
    std::vector<std::vector<Weight>> wx(static_cast<size_t>(g.columns()));
    for (int c = 0; c < g.columns(); ++c) wx[static_cast<size_t>(c)] = weights_of(g.window.first_column + c, g.aw, g.adw);
    std::vector<Pixel> src(static_cast<size_t>(g.aw));
    std::vector<int64_t> acc(static_cast<size_t>(g.columns()) * 4);
    std::vector<Pixel> out(static_cast<size_t>(g.columns()));
    for (int j = g.window.first_row; j < g.window.last_row; ++j) {
        std::fill(acc.begin(), acc.end(), 0);
        int64_t total_y = 0;
        for (const Weight& y : weights_of(j, g.ah, g.adh)) {
            read(sy + g.source_y(y.index), sx, g.aw, src.data());
            total_y += y.weight;
            for (int c = 0; c < g.columns(); ++c) {
                int64_t* a = &acc[static_cast<size_t>(c) * 4];
                for (const Weight& x : wx[static_cast<size_t>(c)]) {
                    const Pixel p = src[static_cast<size_t>(g.source_x(x.index))];
                    const int64_t w = x.weight * y.weight;
                    a[0] += w * (p & 0xFF);
                    a[1] += w * ((p >> 8) & 0xFF);
                    a[2] += w * ((p >> 16) & 0xFF);
                    a[3] += w * (p >> 24);
                }
            }
        }
        for (int c = 0; c < g.columns(); ++c) {
            int64_t total_x = 0;
            for (const Weight& x : wx[static_cast<size_t>(c)]) total_x += x.weight;
            const int64_t total = std::max<int64_t>(1, total_x * total_y);
            const int64_t* a = &acc[static_cast<size_t>(c) * 4];
            Pixel p = 0;
            for (int k = 0; k < 4; ++k) {
                const int64_t v = (a[k] + total / 2) / total;
                p |= static_cast<Pixel>(std::min<int64_t>(255, v)) << (8 * k);
            }
            out[static_cast<size_t>(c)] = p;
        }
        emit(j, out.data());
    }
}

}  // namespace

void resample(const RowReader& read, int src_x, int src_y, int src_w, int src_h, int dst_w, int dst_h, int mode,
              const std::function<void(int, const Pixel*)>& emit, const ResampleWindow* window) {
    if (src_w == 0 || src_h == 0 || dst_w == 0 || dst_h == 0) return;
    Geometry g{std::abs(src_w), std::abs(src_h), std::abs(dst_w), std::abs(dst_h),
               (src_w < 0) != (dst_w < 0), (src_h < 0) != (dst_h < 0), ResampleWindow{0, 0, 0, 0}};
    g.window = window ? *window : ResampleWindow{0, g.adw, 0, g.adh};
    g.window.first_column = std::clamp(g.window.first_column, 0, g.adw);
    g.window.last_column = std::clamp(g.window.last_column, g.window.first_column, g.adw);
    g.window.first_row = std::clamp(g.window.first_row, 0, g.adh);
    g.window.last_row = std::clamp(g.window.last_row, g.window.first_row, g.adh);
    if (g.columns() == 0 || g.window.first_row == g.window.last_row) return;
    // The reader always reads left to right from the area's left column.
    const int left = src_w < 0 ? src_x + src_w + 1 : src_x;
    const int top = src_h < 0 ? src_y + src_h + 1 : src_y;
    const bool shrinking = g.adw < g.aw || g.adh < g.ah;
    if (mode == HALFTONE) {
        resample_average(read, left, top, g, emit);
    } else if ((mode == BLACKONWHITE || mode == WHITEONBLACK) && shrinking) {
        resample_fold(read, left, top, g, mode == BLACKONWHITE, emit);
    } else {
        resample_nearest(read, left, top, src_w, src_h, dst_w, dst_h, g, emit);
    }
}

}  // namespace trelwin::gdi
