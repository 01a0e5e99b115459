// Reads rows of a source DC's surface as the destination DC sees them:
// monochrome bitmaps are converted through the DCs' colours, and pixels
// outside the source surface read as black.
#pragma once

#include <vector>

#include "platform/gdi/internal/dc_state.h"

namespace trelwin::gdi {

class SourceReader {
public:
    SourceReader(DeviceContext& src, DeviceContext& dst);
    bool valid() const { return surface_ != nullptr; }
    const Surface& surface() const { return *surface_; }
    // True when rows can be copied byte for byte.
    bool raw_32() const { return surface_->bpp == 32 && !mono_to_colour_ && !colour_to_mono_; }
    void read(int y, int x, int n, Pixel* out) const;

private:
    Surface* surface_;
    bool mono_to_colour_ = false;
    bool colour_to_mono_ = false;
    Pixel text_ = 0;
    Pixel back_ = 0;
    Pixel source_back_ = 0;
};

}  // namespace trelwin::gdi
