#include "platform/gdi/regions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/shape_regions.h"

using namespace trelwin::gdi;

namespace {

HRGN make_region(RegionData data) {
    auto region = std::make_shared<RegionObject>();
    region->data = std::move(data);
    return static_cast<HRGN>(register_object(region));
}

std::shared_ptr<RegionObject> region_of(HRGN h) {
    return lookup<RegionObject>(h, Kind::Region);
}

// The region in surface coordinates of a DC (regions drawn by FillRgn and
// friends are in logical coordinates; only translation applies).
RegionData to_surface(DeviceContext& dc, const RegionData& data) {
    RegionData result = data;
    const POINT o = dc.to_surface(0, 0);
    result.offset(o.x, o.y);
    return result;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return make_region(RegionData::from_rect(RECT{left, top, right, bottom}));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

// Shapes too tall to build row by row are refused.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int corner_w, int corner_h) {
    bool ok = true;
    RegionData data = round_rect_region(left, top, right, bottom, corner_w, corner_h, RowLimit{}, &ok);
    return ok ? make_region(std::move(data)) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    bool ok = true;
    RegionData data = ellipse_region(left, top, right, bottom, RowLimit{}, &ok);
    return ok ? make_region(std::move(data)) : nullptr;
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
    return rect ? CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fill_mode) {
    if (!points || count < 0 || (fill_mode != ALTERNATE && fill_mode != WINDING)) return nullptr;
    bool ok = true;
    RegionData data = polygon_region(points, count, fill_mode, RowLimit{}, &ok);
    return ok ? make_region(std::move(data)) : nullptr;
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fill_mode) {
    if (!points || !counts || polygons < 1 || (fill_mode != ALTERNATE && fill_mode != WINDING)) return nullptr;
    bool ok = true;
    RegionData data = poly_polygon_region(points, counts, polygons, fill_mode, RowLimit{}, &ok);
    return ok ? make_region(std::move(data)) : nullptr;
}

int CombineRgn(HRGN hdst, HRGN h1, HRGN h2, int mode) {
    auto dst = region_of(hdst);
    auto a = region_of(h1);
    if (!dst || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
    if (mode == RGN_COPY) {
        RegionData copy = a->data;
        dst->data = std::move(copy);
        return dst->data.type();
    }
    auto b = region_of(h2);
    if (!b) return ERROR;
    RegionData result = RegionData::combine(a->data, b->data, mode);
    dst->data = std::move(result);
    return dst->data.type();
}

int OffsetRgn(HRGN h, int dx, int dy) {
    auto region = region_of(h);
    if (!region) return ERROR;
    region->data.offset(dx, dy);
    return region->data.type();
}

BOOL SetRectRgn(HRGN h, int left, int top, int right, int bottom) {
    auto region = region_of(h);
    if (!region) return FALSE;
    region->data = RegionData::from_rect(RECT{left, top, right, bottom});
    return TRUE;
}

BOOL PtInRegion(HRGN h, int x, int y) {
    auto region = region_of(h);
    return region && region->data.contains(x, y);
}

BOOL RectInRegion(HRGN h, const RECT* rect) {
    auto region = region_of(h);
    if (!region || !rect) return FALSE;
    RECT r{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom), std::max(rect->left, rect->right),
           std::max(rect->top, rect->bottom)};
    return region->data.intersects(r);
}

BOOL EqualRgn(HRGN h1, HRGN h2) {
    auto a = region_of(h1);
    auto b = region_of(h2);
    if (!a || !b) return ERROR;
    return a->data == b->data;
}

int GetRgnBox(HRGN h, LPRECT box) {
    auto region = region_of(h);
    if (!region || !box) return ERROR;
    *box = region->data.box();
    return region->data.type();
}

DWORD GetRegionData(HRGN h, DWORD size, LPRGNDATA data) {
    auto region = region_of(h);
    if (!region) return 0;
    const auto& rects = region->data.rects();
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (!data) return needed;
    if (size < needed) return 0;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = region->data.box();
    if (!rects.empty()) {
        std::memcpy(reinterpret_cast<BYTE*>(data) + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    }
    return needed;
}

HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
    if (!data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
        data->rdh.iType != RDH_RECTANGLES) {
        return nullptr;
    }
    const DWORD count = data->rdh.nCount;
    if (count > (size - data->rdh.dwSize) / sizeof(RECT)) return nullptr;
    if (xform && (xform->eM12 != 0.0f || xform->eM21 != 0.0f)) return nullptr;
    std::vector<RECT> rects(count);
    if (count) std::memcpy(rects.data(), reinterpret_cast<const BYTE*>(data) + data->rdh.dwSize, count * sizeof(RECT));
    if (xform) {
        auto map = [](double v, double scale, double offset) {
            return static_cast<LONG>(std::lround(v * scale + offset));
        };
        for (RECT& r : rects) {
            r = RECT{map(r.left, xform->eM11, xform->eDx), map(r.top, xform->eM22, xform->eDy),
                     map(r.right, xform->eM11, xform->eDx), map(r.bottom, xform->eM22, xform->eDy)};
        }
    }
    return make_region(RegionData::from_rect_list(rects));
}

BOOL FillRgn(HDC hdc, HRGN h, HBRUSH hbrush) {
    auto dc = dc_from_handle(hdc);
    auto region = region_of(h);
    auto brush = lookup<BrushObject>(hbrush, Kind::Brush);
    if (!dc || !region || !brush) return FALSE;
    RealisedBrush realised;
    realise_brush(*dc, *brush, true, realised);
    if (!realised.null) paint_region(*dc, to_surface(*dc, region->data), realised.paint);
    return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN h) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    return FillRgn(hdc, h, dc->state.brush_handle);
}

BOOL FrameRgn(HDC hdc, HRGN h, HBRUSH hbrush, int width, int height) {
    auto dc = dc_from_handle(hdc);
    auto region = region_of(h);
    auto brush = lookup<BrushObject>(hbrush, Kind::Brush);
    if (!dc || !region || !brush || width < 0 || height < 0) return FALSE;
    // The frame is the region minus the region eroded by width columns and
    // height rows: it lies inside the region.
    RegionData eroded = region->data;
    for (int dx = -width; dx <= width; ++dx) {
        if (dx == 0) continue;
        RegionData shifted = region->data;
        shifted.offset(dx, 0);
        eroded = RegionData::combine(eroded, shifted, RGN_AND);
    }
    for (int dy = -height; dy <= height; ++dy) {
        if (dy == 0) continue;
        RegionData shifted = region->data;
        shifted.offset(0, dy);
        eroded = RegionData::combine(eroded, shifted, RGN_AND);
    }
    RegionData frame = RegionData::combine(region->data, eroded, RGN_DIFF);
    RealisedBrush realised;
    realise_brush(*dc, *brush, true, realised);
    if (!realised.null) paint_region(*dc, to_surface(*dc, frame), realised.paint);
    return TRUE;
}

BOOL InvertRgn(HDC hdc, HRGN h) {
    auto dc = dc_from_handle(hdc);
    auto region = region_of(h);
    if (!dc || !region) return FALSE;
    Paint p;
    p.rop2 = R2_NOT;
    paint_region(*dc, to_surface(*dc, region->data), p);
    return TRUE;
}
