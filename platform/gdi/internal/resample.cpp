#include "platform/gdi/internal/resample.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

namespace {

// Source index for each destination index, nearest rule, mirrored if the
// signs differ.
std::vector<int> nearest_map(int src_len, int dst_len) {
    const int s = std::abs(src_len), d = std::abs(dst_len);
    std::vector<int> map(static_cast<size_t>(d));
    const bool mirror = (src_len < 0) != (dst_len < 0);
    for (int i = 0; i < d; ++i) {
        int k = static_cast<int>((static_cast<int64_t>(i) * s) / d);
        map[static_cast<size_t>(i)] = mirror ? s - 1 - k : k;
    }
    return map;
}

void resample_nearest(const RowReader& read, int sx, int sy, int sw, int sh, int dw, int dh,
                      const std::function<void(int, const Pixel*)>& emit) {
    const auto xmap = nearest_map(sw, dw);
    const auto ymap = nearest_map(sh, dh);
    const int aw = std::abs(sw);
    std::vector<Pixel> src(static_cast<size_t>(aw));
    std::vector<Pixel> out(xmap.size());
    int cached = -1;
    for (size_t j = 0; j < ymap.size(); ++j) {
        if (ymap[j] != cached) {
            cached = ymap[j];
            read(sy + cached, sx, aw, src.data());
            for (size_t i = 0; i < xmap.size(); ++i) out[i] = src[static_cast<size_t>(xmap[i])];
        }
        emit(static_cast<int>(j), out.data());
    }
}

// Folds the source pixels that map onto one destination pixel with AND or OR.
void resample_fold(const RowReader& read, int sx, int sy, int sw, int sh, int dw, int dh, bool use_and,
                   const std::function<void(int, const Pixel*)>& emit) {
    const int aw = std::abs(sw), ah = std::abs(sh), adw = std::abs(dw), adh = std::abs(dh);
    const bool mirror_x = (sw < 0) != (dw < 0), mirror_y = (sh < 0) != (dh < 0);
    std::vector<Pixel> src(static_cast<size_t>(aw));
    std::vector<Pixel> out(static_cast<size_t>(adw));
    for (int j = 0; j < adh; ++j) {
        int y0 = static_cast<int>((static_cast<int64_t>(j) * ah) / adh);
        int y1 = std::max(y0 + 1, static_cast<int>((static_cast<int64_t>(j + 1) * ah) / adh));
        std::fill(out.begin(), out.end(), use_and ? 0xFFFFFFFFu : 0u);
        for (int y = y0; y < y1; ++y) {
            read(sy + (mirror_y ? ah - 1 - y : y), sx, aw, src.data());
            for (int i = 0; i < adw; ++i) {
                int x0 = static_cast<int>((static_cast<int64_t>(i) * aw) / adw);
                int x1 = std::max(x0 + 1, static_cast<int>((static_cast<int64_t>(i + 1) * aw) / adw));
                for (int x = x0; x < x1; ++x) {
                    const Pixel p = src[static_cast<size_t>(mirror_x ? aw - 1 - x : x)];
                    out[static_cast<size_t>(i)] = use_and ? (out[static_cast<size_t>(i)] & p) : (out[static_cast<size_t>(i)] | p);
                }
            }
        }
        emit(j, out.data());
    }
}

// Area averaging: each destination pixel is the mean of the source area it
// covers, weighted by coverage (fixed point, 8 fractional bits per axis).
void resample_average(const RowReader& read, int sx, int sy, int sw, int sh, int dw, int dh,
                      const std::function<void(int, const Pixel*)>& emit) {
    const int aw = std::abs(sw), ah = std::abs(sh), adw = std::abs(dw), adh = std::abs(dh);
    const bool mirror_x = (sw < 0) != (dw < 0), mirror_y = (sh < 0) != (dh < 0);
    struct Weight { int index; int64_t weight; };
    auto weights = [](int s, int d) {
        std::vector<std::vector<Weight>> table(static_cast<size_t>(d));
        for (int i = 0; i < d; ++i) {
            // Destination pixel i covers source [i*s/d, (i+1)*s/d), in units of 1/d.
            const int64_t a = static_cast<int64_t>(i) * s, b = static_cast<int64_t>(i + 1) * s;
            for (int64_t k = a / d; k * d < b && k < s; ++k) {
                const int64_t lo = std::max(a, k * d), hi = std::min(b, (k + 1) * d);
                if (hi > lo) table[static_cast<size_t>(i)].push_back(Weight{static_cast<int>(k), hi - lo});
            }
        }
        return table;
    };
    const auto wx = weights(aw, adw);
    const auto wy = weights(ah, adh);
    std::vector<Pixel> src(static_cast<size_t>(aw));
    std::vector<int64_t> acc(static_cast<size_t>(adw) * 4);
    std::vector<Pixel> out(static_cast<size_t>(adw));
    for (int j = 0; j < adh; ++j) {
        std::fill(acc.begin(), acc.end(), 0);
        int64_t total_y = 0;
        for (const Weight& y : wy[static_cast<size_t>(j)]) {
            read(sy + (mirror_y ? ah - 1 - y.index : y.index), sx, aw, src.data());
            total_y += y.weight;
            for (int i = 0; i < adw; ++i) {
                for (const Weight& x : wx[static_cast<size_t>(i)]) {
                    const Pixel p = src[static_cast<size_t>(mirror_x ? aw - 1 - x.index : x.index)];
                    const int64_t w = x.weight * y.weight;
                    int64_t* a = &acc[static_cast<size_t>(i) * 4];
                    a[0] += w * (p & 0xFF);
                    a[1] += w * ((p >> 8) & 0xFF);
                    a[2] += w * ((p >> 16) & 0xFF);
                    a[3] += w * (p >> 24);
                }
            }
        }
        for (int i = 0; i < adw; ++i) {
            int64_t total_x = 0;
            for (const Weight& x : wx[static_cast<size_t>(i)]) total_x += x.weight;
            const int64_t total = std::max<int64_t>(1, total_x * total_y);
            const int64_t* a = &acc[static_cast<size_t>(i) * 4];
            Pixel p = 0;
            for (int c = 0; c < 4; ++c) {
                const int64_t v = (a[c] + total / 2) / total;
                p |= static_cast<Pixel>(std::min<int64_t>(255, v)) << (8 * c);
            }
            out[static_cast<size_t>(i)] = p;
        }
        emit(j, out.data());
    }
}

}  // namespace

void resample(const RowReader& read, int src_x, int src_y, int src_w, int src_h, int dst_w, int dst_h, int mode,
              const std::function<void(int, const Pixel*)>& emit) {
    if (src_w == 0 || src_h == 0 || dst_w == 0 || dst_h == 0) return;
    // The reader always reads left to right from the area's left column.
    const int left = src_w < 0 ? src_x + src_w + 1 : src_x;
    const int top = src_h < 0 ? src_y + src_h + 1 : src_y;
    const bool shrinking = std::abs(dst_w) < std::abs(src_w) || std::abs(dst_h) < std::abs(src_h);
    if (mode == HALFTONE) {
        resample_average(read, left, top, src_w, src_h, dst_w, dst_h, emit);
    } else if ((mode == BLACKONWHITE || mode == WHITEONBLACK) && shrinking) {
        resample_fold(read, left, top, src_w, src_h, dst_w, dst_h, mode == BLACKONWHITE, emit);
    } else {
        resample_nearest(read, left, top, src_w, src_h, dst_w, dst_h, emit);
    }
}

}  // namespace trelwin::gdi
