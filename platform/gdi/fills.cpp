#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/internal/raster.h"

using namespace trelwin::gdi;

namespace {

RECT surface_rect(DeviceContext& dc, const RECT& r) {
    POINT a = dc.to_surface(r.left, r.top), b = dc.to_surface(r.right, r.bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// FillRect and FrameRect accept a system colour index + 1 in place of a brush.
std::shared_ptr<BrushObject> brush_from(HBRUSH h) {
    const auto value = reinterpret_cast<uintptr_t>(h);
    if (value > 0 && value <= COLOR_MENUBAR + 1) h = GetSysColorBrush(static_cast<int>(value - 1));
    return lookup<BrushObject>(h, Kind::Brush);
}

void fill_solid(DeviceContext& dc, const RECT& r, COLORREF colour) {
    Paint p;
    p.colour = colorref_to_pixel(colour);
    paint_rect(dc, r, p);
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    auto dc = dc_from_handle(hdc);
    auto brush = brush_from(hbrush);
    if (!dc || !rect || !brush) return 0;
    RealisedBrush realised;
    realise_brush(*dc, *brush, false, realised);
    if (!realised.null) paint_rect(*dc, surface_rect(*dc, *rect), realised.paint);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    auto dc = dc_from_handle(hdc);
    auto brush = brush_from(hbrush);
    if (!dc || !rect || !brush) return 0;
    RECT r = surface_rect(*dc, *rect);
    if (r.right <= r.left || r.bottom <= r.top) return 1;
    RealisedBrush realised;
    realise_brush(*dc, *brush, false, realised);
    if (realised.null) return 1;
    RegionData frame = RegionData::combine(RegionData::from_rect(r),
                                           RegionData::from_rect(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}),
                                           RGN_DIFF);
    paint_region(*dc, frame, realised.paint);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect) return FALSE;
    Paint p;
    p.rop2 = R2_NOT;
    paint_rect(*dc, surface_rect(*dc, *rect), p);
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect) return FALSE;
    RECT r = surface_rect(*dc, *rect);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
    // Every other pixel of the frame is inverted (those with x + y even), so
    // drawing it twice restores the picture.
    static const Pixel checker[4] = {kRgbMask, 0, 0, kRgbMask};
    Paint p;
    p.pattern = checker;
    p.pattern_width = p.pattern_height = 2;
    p.rop2 = R2_XORPEN;
    RegionData frame = RegionData::combine(RegionData::from_rect(r),
                                           RegionData::from_rect(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}),
                                           RGN_DIFF);
    paint_region(*dc, frame, p);
    return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect) return FALSE;
    if (flags & BF_DIAGONAL) return FALSE;
    RECT r = surface_rect(*dc, *rect);
    // One ring: top and left in the first colour, bottom and right in the
    // second; the top-right and bottom-left corners belong to the second.
    auto ring = [&](COLORREF top_left, COLORREF bottom_right) {
        if (r.right <= r.left || r.bottom <= r.top) return;
        if (flags & BF_TOP) fill_solid(*dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, top_left);
        if (flags & BF_LEFT) fill_solid(*dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, top_left);
        if (flags & BF_BOTTOM) fill_solid(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
        if (flags & BF_RIGHT) fill_solid(*dc, RECT{r.right - 1, r.top, r.right, r.bottom - 1}, bottom_right);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    };
    const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    if (flags & BF_MONO) {
        if (outer) ring(GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
        if (inner) ring(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    } else if (flags & BF_FLAT) {
        if (outer) ring(GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DSHADOW));
        if (inner) ring(GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE));
    } else {
        if (outer & BDR_RAISEDOUTER) ring(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        else if (outer & BDR_SUNKENOUTER) ring(GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
        if (inner & BDR_RAISEDINNER) ring(GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
        else if (inner & BDR_SUNKENINNER) ring(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    }
    if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top) {
        fill_solid(*dc, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE));
    }
    if (flags & BF_ADJUST) {
        // Back to logical coordinates by the same offset the corners moved.
        const POINT origin = dc->to_surface(0, 0);
        *rect = RECT{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
    }
    return TRUE;
}

void FillSolidRect(HDC hdc, const RECT* rect, COLORREF colour) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !rect) return;
    SetBkColor(hdc, colour);
    fill_solid(*dc, surface_rect(*dc, *rect), colour);
}

void FillSolidRect(HDC hdc, int x, int y, int cx, int cy, COLORREF colour) {
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(hdc, &r, colour);
}

DWORD GetSysColor(int index) {
    static const COLORREF colours[COLOR_MENUBAR + 1] = {
        RGB(200, 200, 200),  // scroll bar
        RGB(58, 110, 165),   // desktop
        RGB(10, 36, 106),    // active caption
        RGB(128, 128, 128),  // inactive caption
        RGB(212, 208, 200),  // menu
        RGB(255, 255, 255),  // window
        RGB(0, 0, 0),        // window frame
        RGB(0, 0, 0),        // menu text
        RGB(0, 0, 0),        // window text
        RGB(255, 255, 255),  // caption text
        RGB(212, 208, 200),  // active border
        RGB(212, 208, 200),  // inactive border
        RGB(128, 128, 128),  // application workspace
        RGB(10, 36, 106),    // highlight
        RGB(255, 255, 255),  // highlight text
        RGB(212, 208, 200),  // button face
        RGB(128, 128, 128),  // button shadow
        RGB(128, 128, 128),  // grey text
        RGB(0, 0, 0),        // button text
        RGB(212, 208, 200),  // inactive caption text
        RGB(255, 255, 255),  // button highlight
        RGB(64, 64, 64),     // 3-D dark shadow
        RGB(212, 208, 200),  // 3-D light
        RGB(0, 0, 0),        // info text
        RGB(255, 255, 225),  // info background
        RGB(181, 181, 181),  // (unused)
        RGB(0, 0, 128),      // hot light
        RGB(166, 202, 240),  // gradient active caption
        RGB(192, 192, 192),  // gradient inactive caption
        RGB(49, 106, 197),   // menu highlight
        RGB(212, 208, 200),  // menu bar
    };
    if (index < 0 || index > COLOR_MENUBAR) return 0;
    return colours[index];
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index > COLOR_MENUBAR) return nullptr;
    static HBRUSH* brushes = [] {
        auto* table = new HBRUSH[COLOR_MENUBAR + 1];
        for (int i = 0; i <= COLOR_MENUBAR; ++i) {
            auto brush = std::make_shared<BrushObject>();
            brush->colour = GetSysColor(i);
            brush->stock = true;
            table[i] = static_cast<HBRUSH>(register_object(brush));
        }
        return table;
    }();
    return brushes[index];
}
