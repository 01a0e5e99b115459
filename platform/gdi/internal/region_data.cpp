#include "platform/gdi/internal/region_data.h"

#include <algorithm>
#include <set>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

void normalize_spans(std::vector<Span>& spans) {
    spans.erase(std::remove_if(spans.begin(), spans.end(), [](const Span& s) { return s.x1 <= s.x0; }),
                spans.end());
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.x0 < b.x0; });
    size_t out = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (out > 0 && spans[i].x0 <= spans[out - 1].x1) {
            spans[out - 1].x1 = std::max(spans[out - 1].x1, spans[i].x1);
        } else {
            spans[out++] = spans[i];
        }
    }
    spans.resize(out);
}

void BandBuilder::add_band(LONG top, LONG bottom, const std::vector<Span>& spans) {
    if (bottom <= top || spans.empty()) {
        return;
    }
    auto& rects = result_.rects_;
    if (have_band_) {
        const size_t count = rects.size() - last_band_start_;
        if (rects[last_band_start_].bottom == top && count == spans.size()) {
            bool same = true;
            for (size_t i = 0; i < count && same; ++i) {
                const RECT& r = rects[last_band_start_ + i];
                same = r.left == spans[i].x0 && r.right == spans[i].x1;
            }
            if (same) {
                for (size_t i = last_band_start_; i < rects.size(); ++i) {
                    rects[i].bottom = bottom;
                }
                return;
            }
        }
    }
    last_band_start_ = rects.size();
    have_band_ = true;
    for (const Span& s : spans) {
        rects.push_back(RECT{s.x0, top, s.x1, bottom});
    }
}

RegionData BandBuilder::finish() {
    have_band_ = false;
    last_band_start_ = 0;
    return std::move(result_);
}

RegionData RegionData::from_rect(const RECT& r) {
    RegionData data;
    LONG l = std::min(r.left, r.right), rr = std::max(r.left, r.right);
    LONG t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    if (l < rr && t < b) {
        data.rects_.push_back(RECT{l, t, rr, b});
    }
    return data;
}

RegionData RegionData::from_rows(LONG top, const std::vector<std::vector<Span>>& rows) {
    BandBuilder builder;
    std::vector<Span> spans;
    for (size_t i = 0; i < rows.size(); ++i) {
        spans = rows[i];
        normalize_spans(spans);
        LONG y = top + static_cast<LONG>(i);
        builder.add_band(y, y + 1, spans);
    }
    return builder.finish();
}

std::pair<const RECT*, const RECT*> RegionData::band_at(LONG y) const {
    // Rectangles are sorted by top; find the first whose bottom is past y.
    auto it = std::lower_bound(rects_.begin(), rects_.end(), y,
                               [](const RECT& r, LONG v) { return r.bottom <= v; });
    if (it == rects_.end() || it->top > y) {
        return {nullptr, nullptr};
    }
    auto end = it;
    while (end != rects_.end() && end->top == it->top) {
        ++end;
    }
    return {&*it, rects_.data() + (end - rects_.begin())};
}

namespace {

// Spans of one region inside the band [y0, y1), which lies within one band.
std::vector<Span> spans_in(const std::vector<RECT>& rects, size_t& cursor, LONG y0) {
    while (cursor < rects.size() && rects[cursor].bottom <= y0) {
        ++cursor;
    }
    std::vector<Span> spans;
    if (cursor < rects.size() && rects[cursor].top <= y0) {
        for (size_t i = cursor; i < rects.size() && rects[i].top == rects[cursor].top; ++i) {
            spans.push_back(Span{rects[i].left, rects[i].right});
        }
    }
    return spans;
}

bool apply(int mode, bool a, bool b) {
    switch (mode) {
        case RGN_AND: return a && b;
        case RGN_OR: return a || b;
        case RGN_XOR: return a != b;
        case RGN_DIFF: return a && !b;
        default: return a;
    }
}

std::vector<Span> combine_spans(const std::vector<Span>& a, const std::vector<Span>& b, int mode) {
    std::vector<LONG> edges;
    for (const Span& s : a) { edges.push_back(s.x0); edges.push_back(s.x1); }
    for (const Span& s : b) { edges.push_back(s.x0); edges.push_back(s.x1); }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<Span> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        LONG x = edges[i];
        while (ia < a.size() && a[ia].x1 <= x) ++ia;
        while (ib < b.size() && b[ib].x1 <= x) ++ib;
        bool in_a = ia < a.size() && a[ia].x0 <= x;
        bool in_b = ib < b.size() && b[ib].x0 <= x;
        if (apply(mode, in_a, in_b)) {
            if (!out.empty() && out.back().x1 == x) {
                out.back().x1 = edges[i + 1];
            } else {
                out.push_back(Span{x, edges[i + 1]});
            }
        }
    }
    return out;
}

}  // namespace

RegionData RegionData::combine(const RegionData& a, const RegionData& b, int mode) {
    if (mode == RGN_COPY) {
        return a;
    }
    std::vector<LONG> ys;
    for (const RECT& r : a.rects_) { ys.push_back(r.top); ys.push_back(r.bottom); }
    for (const RECT& r : b.rects_) { ys.push_back(r.top); ys.push_back(r.bottom); }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    BandBuilder builder;
    size_t ca = 0, cb = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        auto sa = spans_in(a.rects_, ca, ys[i]);
        auto sb = spans_in(b.rects_, cb, ys[i]);
        builder.add_band(ys[i], ys[i + 1], combine_spans(sa, sb, mode));
    }
    return builder.finish();
}

RegionData RegionData::from_rect_list(const std::vector<RECT>& rects) {
    RegionData result;
    for (const RECT& r : rects) {
        result = combine(result, from_rect(r), RGN_OR);
    }
    return result;
}

int RegionData::type() const {
    if (rects_.empty()) return NULLREGION;
    return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT RegionData::box() const {
    if (rects_.empty()) return RECT{0, 0, 0, 0};
    RECT box = rects_.front();
    box.bottom = rects_.back().bottom;
    for (const RECT& r : rects_) {
        box.left = std::min(box.left, r.left);
        box.right = std::max(box.right, r.right);
    }
    return box;
}

void RegionData::offset(LONG dx, LONG dy) {
    for (RECT& r : rects_) {
        r.left += dx; r.right += dx; r.top += dy; r.bottom += dy;
    }
}

bool RegionData::contains(LONG x, LONG y) const {
    auto [begin, end] = band_at(y);
    for (const RECT* r = begin; r != end; ++r) {
        if (x >= r->left && x < r->right) return true;
    }
    return false;
}

bool RegionData::intersects(const RECT& q) const {
    if (q.left >= q.right || q.top >= q.bottom) return false;
    for (const RECT& r : rects_) {
        if (r.top >= q.bottom) break;
        if (r.bottom > q.top && r.left < q.right && r.right > q.left) return true;
    }
    return false;
}

bool RegionData::operator==(const RegionData& other) const {
    if (rects_.size() != other.rects_.size()) return false;
    for (size_t i = 0; i < rects_.size(); ++i) {
        const RECT& a = rects_[i];
        const RECT& b = other.rects_[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
    }
    return true;
}

}  // namespace trelwin::gdi
