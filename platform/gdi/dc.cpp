#include "platform/gdi/dc.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/gdi/internal/clip.h"
#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/internal/objects.h"

using namespace trelwin::gdi;

namespace trelwin::gdi {

DeviceContext::~DeviceContext() {
    if (state.bitmap && !state.bitmap->stock) {
        const void* self = this;
        state.bitmap->selected_in.compare_exchange_strong(self, nullptr);
    }
}

Surface* DeviceContext::surface() {
    if (is_memory()) {
        return state.bitmap ? &state.bitmap->surface : nullptr;
    }
    return target ? target->surface() : nullptr;
}

POINT DeviceContext::surface_origin() {
    return (!is_memory() && target) ? target->origin() : POINT{0, 0};
}

bool DeviceContext::transformed() const {
    const XFORM& w = state.world;
    return state.graphics_mode == GM_ADVANCED &&
           (w.eM11 != 1.0f || w.eM12 != 0.0f || w.eM21 != 0.0f || w.eM22 != 1.0f || w.eDx != 0.0f ||
            w.eDy != 0.0f);
}

// Coordinates are kept within +-2^30 so that sizes added to them cannot overflow.
static LONG clamp_coordinate(double v) {
    constexpr double kLimit = 1 << 30;
    return static_cast<LONG>(std::lround(std::clamp(v, -kLimit, kLimit)));
}

POINT DeviceContext::to_device(LONG x, LONG y) {
    double px = x, py = y;
    if (transformed()) {
        const XFORM& w = state.world;
        px = std::lround(x * double(w.eM11) + y * double(w.eM21) + w.eDx);
        py = std::lround(x * double(w.eM12) + y * double(w.eM22) + w.eDy);
    }
    return POINT{clamp_coordinate(px - state.window_org.x + state.viewport_org.x),
                 clamp_coordinate(py - state.window_org.y + state.viewport_org.y)};
}

POINT DeviceContext::from_device(LONG x, LONG y) {
    double px = x - state.viewport_org.x + state.window_org.x;
    double py = y - state.viewport_org.y + state.window_org.y;
    if (transformed()) {
        const XFORM& w = state.world;
        const double det = static_cast<double>(w.eM11) * w.eM22 - static_cast<double>(w.eM12) * w.eM21;
        if (det != 0.0) {
            const double tx = px - w.eDx, ty = py - w.eDy;
            const double lx = (tx * w.eM22 - ty * w.eM21) / det;
            const double ly = (ty * w.eM11 - tx * w.eM12) / det;
            return POINT{static_cast<LONG>(std::lround(lx)), static_cast<LONG>(std::lround(ly))};
        }
    }
    return POINT{static_cast<LONG>(px), static_cast<LONG>(py)};
}

POINT DeviceContext::to_surface(LONG x, LONG y) {
    POINT d = to_device(x, y);
    POINT o = surface_origin();
    return POINT{clamp_coordinate(double(d.x) + o.x), clamp_coordinate(double(d.y) + o.y)};
}

const RegionData& DeviceContext::effective_clip() {
    Surface* s = surface();
    const uint64_t generation = (!is_memory() && target) ? target->generation() : 0;
    if (clip_valid_ && s == clip_surface_ && generation == clip_generation_) return clip_cache_;
    clip_surface_ = s;
    clip_generation_ = generation;
    clip_valid_ = true;
    if (!s) {
        clip_cache_ = RegionData();
        return clip_cache_;
    }
    clip_cache_ = RegionData::from_rect(RECT{0, 0, s->width, s->height});
    if (!is_memory() && target) {
        if (const RegionData* visible = target->visible_region()) {
            clip_cache_ = RegionData::combine(clip_cache_, *visible, RGN_AND);
        }
    }
    if (state.clip) {
        RegionData clip = *state.clip;
        POINT o = surface_origin();
        clip.offset(o.x, o.y);
        clip_cache_ = RegionData::combine(clip_cache_, clip, RGN_AND);
    }
    return clip_cache_;
}

std::shared_ptr<DeviceContext> dc_from_handle(HDC hdc) {
    auto dc = lookup<DeviceContext>(hdc, Kind::MemDc);
    if (!dc) dc = lookup<DeviceContext>(hdc, Kind::Dc);
    return dc;
}

}  // namespace trelwin::gdi

namespace {

void set_default_objects(DeviceContext& dc) {
    auto& s = dc.state;
    s.pen_handle = static_cast<HPEN>(stock_object(BLACK_PEN));
    s.pen = lookup<PenObject>(s.pen_handle, Kind::Pen);
    s.brush_handle = static_cast<HBRUSH>(stock_object(WHITE_BRUSH));
    s.brush = lookup<BrushObject>(s.brush_handle, Kind::Brush);
    s.font_handle = static_cast<HFONT>(stock_object(SYSTEM_FONT));
    s.font = lookup<FontObject>(s.font_handle, Kind::Font);
}

bool select_bitmap(DeviceContext& dc, HBITMAP h, const std::shared_ptr<BitmapObject>& bitmap) {
    if (!dc.is_memory()) return false;
    if (bitmap == dc.state.bitmap) return true;
    if (!bitmap->stock) {
        const void* expected = nullptr;
        if (!bitmap->selected_in.compare_exchange_strong(expected, &dc)) return false;
    }
    if (dc.state.bitmap && !dc.state.bitmap->stock) {
        const void* self = &dc;
        dc.state.bitmap->selected_in.compare_exchange_strong(self, nullptr);
    }
    dc.state.bitmap = bitmap;
    dc.state.bitmap_handle = h;
    dc.invalidate_clip();
    return true;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !dc_from_handle(hdc)) return nullptr;
    auto dc = std::make_shared<DeviceContext>(true);
    set_default_objects(*dc);
    HBITMAP stock = static_cast<HBITMAP>(stock_object(-1));
    dc->state.bitmap = lookup<BitmapObject>(stock, Kind::Bitmap);
    dc->state.bitmap_handle = stock;
    return static_cast<HDC>(register_object(dc));
}

namespace trelwin::gdi {

HDC create_target_dc(std::shared_ptr<DrawTarget> target) {
    if (!target) return nullptr;
    auto dc = std::make_shared<DeviceContext>(false);
    set_default_objects(*dc);
    dc->target = std::move(target);
    return static_cast<HDC>(register_object(dc));
}

}  // namespace trelwin::gdi

BOOL DeleteDC(HDC hdc) {
    if (!dc_from_handle(hdc)) return FALSE;
    return unregister_object(hdc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    auto dc = dc_from_handle(hdc);
    auto object = lookup_object(h);
    if (!dc || !object) return nullptr;
    auto& s = dc->state;
    switch (object->kind) {
        case Kind::Pen: {
            HGDIOBJ previous = s.pen_handle;
            s.pen = std::static_pointer_cast<PenObject>(object);
            s.pen_handle = static_cast<HPEN>(h);
            return previous;
        }
        case Kind::Brush: {
            HGDIOBJ previous = s.brush_handle;
            s.brush = std::static_pointer_cast<BrushObject>(object);
            s.brush_handle = static_cast<HBRUSH>(h);
            return previous;
        }
        case Kind::Font: {
            HGDIOBJ previous = s.font_handle;
            s.font = std::static_pointer_cast<FontObject>(object);
            s.font_handle = static_cast<HFONT>(h);
            return previous;
        }
        case Kind::Bitmap: {
            HGDIOBJ previous = s.bitmap_handle;
            if (!select_bitmap(*dc, static_cast<HBITMAP>(h), std::static_pointer_cast<BitmapObject>(object))) {
                return nullptr;
            }
            return previous;
        }
        case Kind::Region:
            return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(select_clip_region(hdc, static_cast<HRGN>(h), RGN_COPY)));
        default:
            return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_PEN: return dc->state.pen_handle;
        case OBJ_BRUSH: return dc->state.brush_handle;
        case OBJ_FONT: return dc->state.font_handle;
        case OBJ_BITMAP: return dc->state.bitmap_handle;
        default: return nullptr;
    }
}

int SaveDC(HDC hdc) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    const int depth = static_cast<int>(dc->saved.size());
    // A negative value counts back from the latest save.
    const int level = saved < 0 ? depth + saved + 1 : saved;
    if (level < 1 || level > depth) return FALSE;
    DcState restored = std::move(dc->saved[level - 1]);
    dc->saved.resize(level - 1);
    auto bitmap = restored.bitmap;
    HBITMAP bitmap_handle = restored.bitmap_handle;
    restored.bitmap = dc->state.bitmap;
    restored.bitmap_handle = dc->state.bitmap_handle;
    dc->state = std::move(restored);
    if (bitmap && bitmap != dc->state.bitmap) {
        // The saved bitmap comes back unless another DC took it meanwhile.
        select_bitmap(*dc, bitmap_handle, bitmap);
    }
    dc->invalidate_clip();
    return TRUE;
}

namespace {
std::atomic<int> g_screen_width{1920};
std::atomic<int> g_screen_height{1080};
std::atomic<int> g_screen_dpi{96};
}  // namespace

namespace trelwin::gdi {
void set_screen_size(int width, int height) {
    if (width <= 0 || height <= 0) return;
    g_screen_width = width;
    g_screen_height = height;
}
void set_screen_dpi(int dpi) {
    if (dpi > 0) g_screen_dpi = dpi;
}
int screen_dpi() { return g_screen_dpi; }
}  // namespace trelwin::gdi

int GetDeviceCaps(HDC hdc, int index) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return 0;
    int width = g_screen_width, height = g_screen_height;
    const int dpi = g_screen_dpi;
    // Only the sizes look at what the DC draws on (the screen's pixels are
    // composed only for a DC that does).
    const bool size = index == HORZRES || index == VERTRES || index == DESKTOPHORZRES || index == DESKTOPVERTRES ||
                      index == HORZSIZE || index == VERTSIZE;
    if (size && !dc->is_memory()) {
        if (Surface* s = dc->surface()) {
            width = s->width;
            height = s->height;
        }
    }
    switch (index) {
        case DRIVERVERSION: return 0x4000;
        case TECHNOLOGY: return DT_RASDISPLAY;
        case HORZRES: case DESKTOPHORZRES: return width;
        case VERTRES: case DESKTOPVERTRES: return height;
        case HORZSIZE: return MulDiv(width, 254, dpi * 10);
        case VERTSIZE: return MulDiv(height, 254, dpi * 10);
        case BITSPIXEL: return 32;
        case PLANES: return 1;
        case NUMBRUSHES: case NUMPENS: case NUMCOLORS: return -1;
        case NUMFONTS: return 0;
        case ASPECTX: case ASPECTY: return 36;
        case ASPECTXY: return 51;
        case LOGPIXELSX: case LOGPIXELSY: return dpi;
        case SIZEPALETTE: return 0;
        case COLORRES: return 24;
        case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
        case SHADEBLENDCAPS: return SB_CONST_ALPHA | SB_PIXEL_ALPHA | SB_GRAD_RECT | SB_GRAD_TRI;
        default: return 0;
    }
}

namespace {

// Replaces one field of the DC's state and returns the previous value.
template <typename T>
T exchange_field(HDC hdc, T DcState::*field, T value, T failure) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return failure;
    T previous = dc->state.*field;
    dc->state.*field = value;
    return previous;
}

template <typename T>
T read_field(HDC hdc, T DcState::*field, T failure) {
    auto dc = dc_from_handle(hdc);
    return dc ? dc->state.*field : failure;
}

// A mode setter that accepts values from `low` to `high` only.
int exchange_mode(HDC hdc, int DcState::*field, int mode, int low, int high) {
    if (mode < low || mode > high) return 0;
    return exchange_field(hdc, field, mode, 0);
}

BOOL exchange_point(HDC hdc, POINT DcState::*field, POINT value, bool relative, LPPOINT previous) {
    auto dc = dc_from_handle(hdc);
    if (!dc) return FALSE;
    POINT& p = dc->state.*field;
    if (previous) *previous = p;
    p = relative ? POINT{p.x + value.x, p.y + value.y} : value;
    return TRUE;
}

BOOL read_point(HDC hdc, POINT DcState::*field, LPPOINT out) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !out) return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
    return exchange_field(hdc, &DcState::text_colour, colour & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetTextColor(HDC hdc) { return read_field(hdc, &DcState::text_colour, CLR_INVALID); }
COLORREF SetBkColor(HDC hdc, COLORREF colour) {
    return exchange_field(hdc, &DcState::bk_colour, colour & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetBkColor(HDC hdc) { return read_field(hdc, &DcState::bk_colour, CLR_INVALID); }
int SetBkMode(HDC hdc, int mode) { return exchange_mode(hdc, &DcState::bk_mode, mode, TRANSPARENT, OPAQUE); }
int GetBkMode(HDC hdc) { return read_field(hdc, &DcState::bk_mode, 0); }
int SetROP2(HDC hdc, int rop2) { return exchange_mode(hdc, &DcState::rop2, rop2, R2_BLACK, R2_WHITE); }
int GetROP2(HDC hdc) { return read_field(hdc, &DcState::rop2, 0); }
int SetStretchBltMode(HDC hdc, int mode) {
    return exchange_mode(hdc, &DcState::stretch_mode, mode, BLACKONWHITE, HALFTONE);
}
int GetStretchBltMode(HDC hdc) { return read_field(hdc, &DcState::stretch_mode, 0); }
int SetPolyFillMode(HDC hdc, int mode) { return exchange_mode(hdc, &DcState::poly_fill_mode, mode, ALTERNATE, WINDING); }
int GetPolyFillMode(HDC hdc) { return read_field(hdc, &DcState::poly_fill_mode, 0); }
COLORREF SetDCBrushColor(HDC hdc, COLORREF colour) {
    return exchange_field(hdc, &DcState::dc_brush_colour, colour & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetDCBrushColor(HDC hdc) { return read_field(hdc, &DcState::dc_brush_colour, CLR_INVALID); }
COLORREF SetDCPenColor(HDC hdc, COLORREF colour) {
    return exchange_field(hdc, &DcState::dc_pen_colour, colour & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetDCPenColor(HDC hdc) { return read_field(hdc, &DcState::dc_pen_colour, CLR_INVALID); }
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    return exchange_point(hdc, &DcState::brush_org, POINT{x, y}, false, previous);
}
BOOL GetBrushOrgEx(HDC hdc, LPPOINT origin) { return read_point(hdc, &DcState::brush_org, origin); }
BOOL SetColorAdjustment(HDC hdc, const COLORADJUSTMENT* adjustment) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !adjustment || adjustment->caSize != sizeof(COLORADJUSTMENT)) return FALSE;
    dc->state.colour_adjustment = *adjustment;
    return TRUE;
}
BOOL GetColorAdjustment(HDC hdc, LPCOLORADJUSTMENT adjustment) {
    auto dc = dc_from_handle(hdc);
    if (!dc || !adjustment) return FALSE;
    *adjustment = dc->state.colour_adjustment;
    return TRUE;
}
// Only the pixel mapping is supported: nothing here asks for another.
int SetMapMode(HDC hdc, int mode) { return exchange_mode(hdc, &DcState::map_mode, mode, MM_TEXT, MM_TEXT); }
int GetMapMode(HDC hdc) { return read_field(hdc, &DcState::map_mode, 0); }

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    return exchange_point(hdc, &DcState::viewport_org, POINT{x, y}, false, previous);
}
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) { return read_point(hdc, &DcState::viewport_org, origin); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
    return exchange_point(hdc, &DcState::viewport_org, POINT{dx, dy}, true, previous);
}
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    return exchange_point(hdc, &DcState::window_org, POINT{x, y}, false, previous);
}
BOOL GetWindowOrgEx(HDC hdc, LPPOINT origin) { return read_point(hdc, &DcState::window_org, origin); }
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
    return exchange_point(hdc, &DcState::window_org, POINT{dx, dy}, true, previous);
}

namespace {
bool is_identity(const XFORM& w) {
    return w.eM11 == 1.0f && w.eM12 == 0.0f && w.eM21 == 0.0f && w.eM22 == 1.0f && w.eDx == 0.0f && w.eDy == 0.0f;
}
XFORM multiply(const XFORM& a, const XFORM& b) {
    // a then b.
    return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                 a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22,
                 a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}
}  // namespace

#define DC_OR_RETURN(value)           \
    auto dc = dc_from_handle(hdc);    \
    if (!dc) return value

int SetGraphicsMode(HDC hdc, int mode) {
    DC_OR_RETURN(0);
    if (mode != GM_COMPATIBLE && mode != GM_ADVANCED) return 0;
    // Going back to the compatible mode needs the identity transform first.
    if (mode == GM_COMPATIBLE && !is_identity(dc->state.world)) return 0;
    int previous = dc->state.graphics_mode;
    dc->state.graphics_mode = mode;
    return previous;
}
int GetGraphicsMode(HDC hdc) {
    DC_OR_RETURN(0);
    return dc->state.graphics_mode;
}
BOOL SetWorldTransform(HDC hdc, const XFORM* xform) {
    DC_OR_RETURN(FALSE);
    if (!xform || dc->state.graphics_mode != GM_ADVANCED) return FALSE;
    if (xform->eM11 * xform->eM22 - xform->eM12 * xform->eM21 == 0.0f) return FALSE;
    dc->state.world = *xform;
    return TRUE;
}
BOOL GetWorldTransform(HDC hdc, LPXFORM xform) {
    DC_OR_RETURN(FALSE);
    if (!xform) return FALSE;
    *xform = dc->state.world;
    return TRUE;
}
BOOL ModifyWorldTransform(HDC hdc, const XFORM* xform, DWORD mode) {
    DC_OR_RETURN(FALSE);
    if (dc->state.graphics_mode != GM_ADVANCED) return FALSE;
    switch (mode) {
        case MWT_IDENTITY: dc->state.world = XFORM{1, 0, 0, 1, 0, 0}; return TRUE;
        case MWT_LEFTMULTIPLY:
            if (!xform) return FALSE;
            dc->state.world = multiply(*xform, dc->state.world);
            return TRUE;
        case MWT_RIGHTMULTIPLY:
            if (!xform) return FALSE;
            dc->state.world = multiply(dc->state.world, *xform);
            return TRUE;
        default: return FALSE;
    }
}
BOOL LPtoDP(HDC hdc, LPPOINT points, int count) {
    DC_OR_RETURN(FALSE);
    if (!points && count > 0) return FALSE;
    for (int i = 0; i < count; ++i) points[i] = dc->to_device(points[i].x, points[i].y);
    return TRUE;
}
BOOL DPtoLP(HDC hdc, LPPOINT points, int count) {
    DC_OR_RETURN(FALSE);
    if (!points && count > 0) return FALSE;
    for (int i = 0; i < count; ++i) points[i] = dc->from_device(points[i].x, points[i].y);
    return TRUE;
}
