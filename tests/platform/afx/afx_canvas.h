// The graphics tests' canvas (a 32-bit DIB section in a memory DC, read
// directly) seen through the framework: its DC as a CDC and its bitmap as a
// CBitmap, both borrowed, so that the canvas keeps deleting them itself.
#pragma once

#include "platform/afx/afx_gdi.h"
#include "platform/gdi/internal/object_table.h"
#include "tests/platform/gdi/canvas.h"

namespace afx_test {

using gdi_test::kBlack;
using gdi_test::kBlue;
using gdi_test::kGreen;
using gdi_test::kRed;
using gdi_test::kWhite;

// Live graphics handles, counted after the shared stock objects and system
// colour brushes exist, so that their first use does not count.
inline size_t LiveHandles() {
    GetStockObject(WHITE_BRUSH);
    GetSysColorBrush(COLOR_WINDOW);
    return trelwin::gdi::live_object_count();
}

class Canvas : public gdi_test::Canvas {
public:
    Canvas(int width, int height, COLORREF fill = kWhite) : gdi_test::Canvas(width, height, fill) {
        dc.Attach(gdi_test::Canvas::dc());
        bitmap.Attach(gdi_test::Canvas::bitmap());
    }
    ~Canvas() {
        dc.Detach();
        bitmap.Detach();
    }

    CDC dc;
    CBitmap bitmap;
};

}  // namespace afx_test
