// Scaling of a source rectangle to a destination size, one destination row
// at a time, as StretchBlt, AlphaBlend, TransparentBlt and CopyImage need.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/internal/surface.h"

namespace trelwin::gdi {

// Source pixels are read through this, already converted to 32 bits (for
// example monochrome bitmaps mapped to the DC colours).
using RowReader = std::function<void(int y, int x, int n, Pixel* out)>;

// The part of the destination (in destination pixel indexes, ends
// exclusive) worth computing; only it costs time.
struct ResampleWindow {
    int first_column;
    int last_column;
    int first_row;
    int last_row;
};

// Produces the destination rows of a (src_w x src_h) area at (src_x, src_y)
// scaled to (dst_w x dst_h); a negative size mirrors that axis.
// mode: COLORONCOLOR (nearest source pixel: source index floor(i * sw / dw)),
// HALFTONE (area average), BLACKONWHITE / WHITEONBLACK (AND / OR of the
// pixels that fold into one when shrinking, nearest when enlarging).
// emit(row index, pixels of the window's columns); without a window, every
// row and column.
void resample(const RowReader& read, int src_x, int src_y, int src_w, int src_h, int dst_w, int dst_h, int mode,
              const std::function<void(int, const Pixel*)>& emit, const ResampleWindow* window = nullptr);

}  // namespace trelwin::gdi
