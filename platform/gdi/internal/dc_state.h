// The inside of a device context: its drawing state, the stack of saved
// states and the target it draws on. Text, icon and window code reach the
// DC through this header: `dc_from_handle`, `DeviceContext::to_device` for
// coordinates and `effective_clip` for the area that may be painted.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::gdi {

class RealFont;

// Where a DC that is not a memory DC draws (a window's surface, later).
// Coordinates of the DC are relative to origin() on the surface.
class DrawTarget {
public:
    virtual ~DrawTarget() = default;
    virtual Surface* surface() = 0;
    virtual POINT origin() { return POINT{0, 0}; }
    // The part of the surface this DC may touch, in surface coordinates;
    // null means the whole surface.
    virtual const RegionData* visible_region() { return nullptr; }
    // Changes whenever the surface or the visible region changes, so DCs
    // recompute their clipping.
    virtual uint64_t generation() { return 0; }
};

// Everything SaveDC saves and RestoreDC restores.
struct DcState {
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<FontObject> font;
    std::shared_ptr<BitmapObject> bitmap;
    HPEN pen_handle = nullptr;
    HBRUSH brush_handle = nullptr;
    HFONT font_handle = nullptr;
    HBITMAP bitmap_handle = nullptr;

    COLORREF text_colour = RGB(0, 0, 0);
    COLORREF bk_colour = RGB(255, 255, 255);
    COLORREF dc_brush_colour = RGB(255, 255, 255);
    COLORREF dc_pen_colour = RGB(0, 0, 0);
    int bk_mode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretch_mode = BLACKONWHITE;
    int poly_fill_mode = ALTERNATE;
    int graphics_mode = GM_COMPATIBLE;
    int map_mode = MM_TEXT;
    POINT viewport_org{0, 0};
    POINT window_org{0, 0};
    POINT brush_org{0, 0};
    POINT current_position{0, 0};
    XFORM world{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    UINT text_align = 0;
    int break_extra = 0;  // SetTextJustification
    int break_count = 0;
    int char_extra = 0;   // SetTextCharacterExtra
    COLORADJUSTMENT colour_adjustment{sizeof(COLORADJUSTMENT), 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};
    // Clip region in device coordinates; none means no clipping.
    std::optional<RegionData> clip;
};

struct DeviceContext : GdiObject {
    explicit DeviceContext(bool memory) : GdiObject(memory ? Kind::MemDc : Kind::Dc) {}
    ~DeviceContext() override;

    bool is_memory() const { return kind == Kind::MemDc; }

    DcState state;
    std::vector<DcState> saved;
    std::shared_ptr<DrawTarget> target;  // non-memory DCs

    // The surface drawn on (the selected bitmap for a memory DC).
    Surface* surface();
    POINT surface_origin();
    // Logical to surface coordinates (viewport and window origins, world
    // transform in the advanced mode, the target's origin).
    POINT to_surface(LONG x, LONG y);
    // Logical point to device coordinates (without the target origin).
    POINT to_device(LONG x, LONG y);
    // Device to logical, used by GetClipBox.
    POINT from_device(LONG x, LONG y);
    // True when the world transform is more than a translation.
    bool transformed() const;
    // The area drawing may touch, in surface coordinates: surface bounds,
    // the target's visible region and the clip region.
    const RegionData& effective_clip();
    void invalidate_clip() { clip_valid_ = false; }

    // The realised form of the selected font, kept while that font stays
    // selected (fonts do not change after creation).
    std::shared_ptr<const FontObject> realised_for;
    std::shared_ptr<const RealFont> realised_font;

private:
    RegionData clip_cache_;
    bool clip_valid_ = false;
    Surface* clip_surface_ = nullptr;
    uint64_t clip_generation_ = 0;
};

// The DC behind a handle, or null.
std::shared_ptr<DeviceContext> dc_from_handle(HDC hdc);

// The screen size that GetDeviceCaps reports for memory DCs (HORZRES,
// VERTRES); the display sets it. 1920 x 1080 until then.
void set_screen_size(int width, int height);
// The screen's resolution that GetDeviceCaps reports (LOGPIXELSX and
// LOGPIXELSY) and the stock fonts are made for; the display sets it. 96
// until then.
void set_screen_dpi(int dpi);
int screen_dpi();

// A DC drawing on a target other than a bitmap (a window, for example); it
// starts with the default objects and state. Deleted with DeleteDC.
HDC create_target_dc(std::shared_ptr<DrawTarget> target);

}  // namespace trelwin::gdi
