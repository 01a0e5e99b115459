// Pixel coverage of the filled shapes, shared by the drawing functions and
// the region constructors. A pixel belongs to a shape when its centre
// (x + 0.5, y + 0.5) lies inside; bounding boxes exclude their right and
// bottom edges.
#pragma once

#include "platform/gdi/internal/region_data.h"

namespace trelwin::gdi {

// Only rows from `rows.first` up to (not including) `rows.second` are
// computed: drawing passes its clip box, so a huge shape costs no more than
// the visible part. A shape taller than kMaxShapeRows in that range yields
// nothing (ok is false).
struct RowLimit {
    LONG first = -(1 << 30);
    LONG second = 1 << 30;
};
constexpr LONG kMaxShapeRows = 1 << 22;

RegionData ellipse_region(LONG left, LONG top, LONG right, LONG bottom, RowLimit rows = {}, bool* ok = nullptr);
// Corners rounded by an ellipse of corner_w x corner_h.
RegionData round_rect_region(LONG left, LONG top, LONG right, LONG bottom, LONG corner_w, LONG corner_h,
                             RowLimit rows = {}, bool* ok = nullptr);
// ALTERNATE or WINDING.
RegionData polygon_region(const POINT* points, int count, int fill_mode, RowLimit rows = {}, bool* ok = nullptr);
// Several polygons filled as one: counts[k] points each, one after another.
RegionData poly_polygon_region(const POINT* points, const int* counts, int polygons, int fill_mode,
                               RowLimit rows = {}, bool* ok = nullptr);
// Pixels of the region that have a 4-neighbour outside it.
RegionData region_boundary(const RegionData& region);

}  // namespace trelwin::gdi
