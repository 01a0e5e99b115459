// Pixel coverage of the filled shapes, shared by the drawing functions and
// the region constructors. A pixel belongs to a shape when its centre
// (x + 0.5, y + 0.5) lies inside; bounding boxes exclude their right and
// bottom edges.
#pragma once

#include "platform/gdi/internal/region_data.h"

namespace trelwin::gdi {

RegionData ellipse_region(LONG left, LONG top, LONG right, LONG bottom);
// Corners rounded by an ellipse of corner_w x corner_h.
RegionData round_rect_region(LONG left, LONG top, LONG right, LONG bottom, LONG corner_w, LONG corner_h);
// ALTERNATE or WINDING.
RegionData polygon_region(const POINT* points, int count, int fill_mode);
// Pixels of the region that have a 4-neighbour outside it.
RegionData region_boundary(const RegionData& region);

}  // namespace trelwin::gdi
