#include <algorithm>

#include "platform/gdi/internal/clip.h"
#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/regions.h"

using namespace trelwin::gdi;

namespace {

// The clip as a region in device coordinates; no clip means the whole
// drawing surface.
RegionData current_clip(DeviceContext& dc) {
    if (dc.state.clip) return *dc.state.clip;
    Surface* s = dc.surface();
    return s ? RegionData::from_rect(RECT{0, 0, s->width, s->height}) : RegionData();
}

int set_clip(DeviceContext& dc, RegionData data) {
    dc.state.clip = std::move(data);
    dc.invalidate_clip();
    return dc.state.clip->type();
}

RECT device_rect(DeviceContext& dc, int left, int top, int right, int bottom) {
    POINT a = dc.to_device(left, top), b = dc.to_device(right, bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

namespace trelwin::gdi {

int select_clip_region(HDC hdc, HRGN rgn, int mode) {
    auto dc = dc_from_handle(hdc);
    if (!dc || mode < RGN_AND || mode > RGN_COPY) return ERROR;
    if (!rgn) {
        if (mode != RGN_COPY) return ERROR;
        dc->state.clip.reset();
        dc->invalidate_clip();
        return SIMPLEREGION;
    }
    auto region = lookup<RegionObject>(rgn, Kind::Region);
    if (!region) return ERROR;
    if (mode == RGN_COPY) return set_clip(*dc, region->data);
    return set_clip(*dc, RegionData::combine(current_clip(*dc), region->data, mode));
}

}  // namespace trelwin::gdi

int SelectClipRgn(HDC hdc, HRGN rgn) {
    return select_clip_region(hdc, rgn, RGN_COPY);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
    return select_clip_region(hdc, rgn, mode);
}

int GetClipRgn(HDC hdc, HRGN rgn) {
    auto dc = dc_from_handle(hdc);
    auto region = lookup<RegionObject>(rgn, Kind::Region);
    if (!dc || !region) return -1;
    if (!dc->state.clip) return 0;
    region->data = *dc->state.clip;
    return 1;
}

int GetClipBox(HDC hdc, LPRECT box) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !box) return ERROR;
    RegionData visible = dc->effective_clip();
    const POINT o = dc->surface_origin();
    visible.offset(-o.x, -o.y);
    const RECT b = visible.box();
    if (visible.empty()) {
        *box = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    const POINT a = dc->from_device(b.left, b.top), c = dc->from_device(b.right, b.bottom);
    *box = RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    return visible.type();
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return ERROR;
    RegionData rect = RegionData::from_rect(device_rect(*dc, left, top, right, bottom));
    return set_clip(*dc, RegionData::combine(current_clip(*dc), rect, RGN_AND));
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return ERROR;
    RegionData rect = RegionData::from_rect(device_rect(*dc, left, top, right, bottom));
    return set_clip(*dc, RegionData::combine(current_clip(*dc), rect, RGN_DIFF));
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return ERROR;
    if (!dc->state.clip) return SIMPLEREGION;
    dc->state.clip->offset(dx, dy);
    dc->invalidate_clip();
    return dc->state.clip->type();
}

BOOL PtVisible(HDC hdc, int x, int y) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    const POINT p = dc->to_surface(x, y);
    return dc->effective_clip().contains(p.x, p.y);
}

BOOL RectVisible(HDC hdc, const RECT* rect) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect) return FALSE;
    const POINT a = dc->to_surface(rect->left, rect->top), b = dc->to_surface(rect->right, rect->bottom);
    const RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    return dc->effective_clip().intersects(r);
}
