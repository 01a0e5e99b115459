// A region as a y-x banded list of rectangles: rectangles are sorted by top
// then left, the rectangles of one band share top and bottom, never overlap
// or touch horizontally, and two vertically adjacent bands with the same
// spans are merged. So equal areas always have equal lists.
#pragma once

#include <utility>
#include <vector>

#include "platform/base/win_types.h"

namespace trelwin::gdi {

struct Span {
    LONG x0;
    LONG x1;  // exclusive
    bool operator==(const Span&) const = default;
};

class RegionData {
public:
    RegionData() = default;
    static RegionData from_rect(const RECT& r);
    // Rows of spans, one row per y, rows in increasing y; spans of a row may
    // be unsorted or overlapping.
    static RegionData from_rows(LONG top, const std::vector<std::vector<Span>>& rows);
    static RegionData combine(const RegionData& a, const RegionData& b, int mode);

    bool empty() const { return rects_.empty(); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int type() const;
    RECT box() const;
    const std::vector<RECT>& rects() const { return rects_; }
    void offset(LONG dx, LONG dy);
    bool contains(LONG x, LONG y) const;
    bool intersects(const RECT& r) const;
    bool operator==(const RegionData& other) const;
    // Builds from arbitrary (possibly overlapping) rectangles.
    static RegionData from_rect_list(const std::vector<RECT>& rects);

    // Spans of the band that holds y, or an empty range.
    std::pair<const RECT*, const RECT*> band_at(LONG y) const;

private:
    friend class BandBuilder;
    std::vector<RECT> rects_;
};

// Appends bands in increasing y and merges equal neighbours.
class BandBuilder {
public:
    void add_band(LONG top, LONG bottom, const std::vector<Span>& spans);
    RegionData finish();

private:
    RegionData result_;
    size_t last_band_start_ = 0;
    bool have_band_ = false;
};

// Sorts and merges overlapping or touching spans.
void normalize_spans(std::vector<Span>& spans);

}  // namespace trelwin::gdi
