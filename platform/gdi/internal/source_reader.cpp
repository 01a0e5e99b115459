#include "platform/gdi/internal/source_reader.h"

#include <algorithm>
#include <cstring>

namespace trelwin::gdi {

SourceReader::SourceReader(DeviceContext& src, DeviceContext& dst) : surface_(src.surface()) {
    Surface* target = dst.surface();
    if (!surface_ || !target) {
        surface_ = nullptr;
        return;
    }
    mono_to_colour_ = surface_->mono_ddb && !target->mono_ddb;
    colour_to_mono_ = !surface_->mono_ddb && target->mono_ddb;
    text_ = colorref_to_pixel(dst.state.text_colour);
    back_ = colorref_to_pixel(dst.state.bk_colour);
    source_back_ = colorref_to_pixel(src.state.bk_colour);
}

void SourceReader::read(int y, int x, int n, Pixel* out) const {
    const Surface& s = *surface_;
    if (y < 0 || y >= s.height || x >= s.width || x + n <= 0) {
        std::memset(out, 0, static_cast<size_t>(n) * sizeof(Pixel));
        return;
    }
    const int lead = std::max(0, -x);
    const int trail = std::max(0, x + n - s.width);
    std::memset(out, 0, static_cast<size_t>(lead) * sizeof(Pixel));
    std::memset(out + n - trail, 0, static_cast<size_t>(trail) * sizeof(Pixel));
    Pixel* inside = out + lead;
    const int count = n - lead - trail;
    s.read(y, x + lead, count, inside);
    if (mono_to_colour_) {
        for (int i = 0; i < count; ++i) inside[i] = (inside[i] & kRgbMask) ? back_ : text_;
    } else if (colour_to_mono_) {
        for (int i = 0; i < count; ++i) inside[i] = ((inside[i] & kRgbMask) == source_back_) ? kRgbMask : 0;
    }
}

}  // namespace trelwin::gdi
