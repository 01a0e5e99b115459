// The object kinds behind GDI handles.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/internal/object_table.h"
#include "platform/gdi/internal/region_data.h"
#include "platform/gdi/internal/surface.h"

namespace trelwin::gdi {

struct PenObject : GdiObject {
    PenObject() : GdiObject(Kind::Pen) {}
    UINT style = PS_SOLID;
    int width = 0;  // 0 and 1 both draw one pixel wide
    COLORREF colour = 0;
    bool dc_pen = false;  // the stock DC_PEN: colour comes from the DC
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF colour = 0;
    ULONG_PTR hatch = 0;
    bool dc_brush = false;  // the stock DC_BRUSH: colour comes from the DC
    // Pattern brushes keep their own copy of the pattern's pixels; a
    // monochrome pattern stores 0 or 0xFFFFFF and takes the DC's text and
    // background colours when drawn.
    int pattern_width = 0;
    int pattern_height = 0;
    std::vector<Pixel> pattern;
    bool pattern_mono = false;
    HBITMAP pattern_bitmap = nullptr;  // reported by GetObject
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(Kind::Font) {}
    LOGFONTA logfont{};  // the text engine realises faces from it and caches them by value
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(Kind::Bitmap) {}
    Surface surface;
    std::unique_ptr<uint8_t[]> storage;
    bool dib_section = false;
    BITMAPINFOHEADER dib_header{};  // DIB sections: the header as created
    DWORD bitfields[3] = {0, 0, 0};
    // The DC that has it selected (a bitmap is in at most one DC).
    std::atomic<const void*> selected_in{nullptr};
};

struct RegionObject : GdiObject {
    RegionObject() : GdiObject(Kind::Region) {}
    RegionData data;
};

struct IconObject : GdiObject {
    IconObject() : GdiObject(Kind::Icon) {}
    bool is_icon = true;
    DWORD hotspot_x = 0;
    DWORD hotspot_y = 0;
    std::shared_ptr<BitmapObject> mask;    // AND mask (monochrome)
    std::shared_ptr<BitmapObject> colour;  // XOR image; null for a monochrome icon
    int width = 0;
    int height = 0;
};

// Creates an uninitialised-free bitmap object with zeroed storage.
// bpp 1 makes a monochrome device bitmap, 32 a colour one.
std::shared_ptr<BitmapObject> make_ddb(int width, int height, int bpp);
// A DIB section of the given format; palette entries as 32-bit colours.
std::shared_ptr<BitmapObject> make_dib(int width, int height, int bpp, bool top_down,
                                       const std::vector<Pixel>& palette);

// A copy of an icon at another size (0 keeps it), for CopyImage.
HANDLE copy_icon_image(HANDLE icon, int cx, int cy);

HGDIOBJ stock_object(int index);
bool is_stock(HGDIOBJ h);

}  // namespace trelwin::gdi
