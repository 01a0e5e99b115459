#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/rect.h"

using namespace trelwin::gdi;

namespace trelwin::gdi {

std::shared_ptr<BitmapObject> make_ddb(int width, int height, int bpp) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return nullptr;
    auto bitmap = std::make_shared<BitmapObject>();
    Surface& s = bitmap->surface;
    s.width = width;
    s.height = height;
    s.bpp = bpp == 1 ? 1 : 32;
    s.stride = static_cast<ptrdiff_t>(s.bpp == 1 ? ddb_stride(width, 1) : static_cast<size_t>(width) * 4);
    const size_t bytes = static_cast<size_t>(s.stride) * height;
    bitmap->storage.reset(new (std::nothrow) uint8_t[bytes]);
    if (!bitmap->storage) return nullptr;
    std::memset(bitmap->storage.get(), 0, bytes);
    s.bits = bitmap->storage.get();
    if (s.bpp == 1) {
        s.palette = default_palette(1);
        s.mono_ddb = true;
    }
    return bitmap;
}

std::shared_ptr<BitmapObject> make_dib(int width, int height, int bpp, bool top_down,
                                       const std::vector<Pixel>& palette) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
    auto bitmap = std::make_shared<BitmapObject>();
    Surface& s = bitmap->surface;
    s.width = width;
    s.height = height;
    s.bpp = bpp;
    const size_t stride = dib_stride(width, bpp);
    const size_t bytes = stride * height;
    bitmap->storage.reset(new (std::nothrow) uint8_t[bytes]);
    if (!bitmap->storage) return nullptr;
    std::memset(bitmap->storage.get(), 0, bytes);
    if (top_down) {
        s.bits = bitmap->storage.get();
        s.stride = static_cast<ptrdiff_t>(stride);
    } else {
        s.bits = bitmap->storage.get() + stride * (height - 1);
        s.stride = -static_cast<ptrdiff_t>(stride);
    }
    if (bpp <= 8) {
        s.palette = palette;
        s.palette.resize(size_t{1} << bpp, 0);
        for (Pixel& p : s.palette) p &= kRgbMask;
    }
    bitmap->dib_section = true;
    BITMAPINFOHEADER& h = bitmap->dib_header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = top_down ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bytes);
    h.biClrUsed = bpp <= 8 ? (1u << bpp) : 0;
    return bitmap;
}

namespace {

struct StockTable {
    HGDIOBJ objects[20] = {};
    HGDIOBJ default_bitmap = nullptr;
};

std::shared_ptr<PenObject> stock_pen(COLORREF colour, UINT style) {
    auto pen = std::make_shared<PenObject>();
    pen->colour = colour;
    pen->style = style;
    pen->stock = true;
    return pen;
}

std::shared_ptr<BrushObject> stock_brush(COLORREF colour, UINT style) {
    auto brush = std::make_shared<BrushObject>();
    brush->colour = colour;
    brush->style = style;
    brush->stock = true;
    return brush;
}

std::shared_ptr<FontObject> stock_font(LONG height, LONG weight, BYTE pitch, const char* face) {
    auto font = std::make_shared<FontObject>();
    font->logfont.lfHeight = height;
    font->logfont.lfWeight = weight;
    font->logfont.lfCharSet = DEFAULT_CHARSET;
    font->logfont.lfPitchAndFamily = pitch;
    std::strncpy(font->logfont.lfFaceName, face, LF_FACESIZE - 1);
    font->stock = true;
    return font;
}

// The stock fonts' heights are pixels at 96 dots per inch; each
// resolution the screen takes gets fonts of its own (fonts never change
// once made, so a handle taken before keeps its size).
struct StockFont {
    int index;
    LONG height;
    LONG weight;
    BYTE pitch;
    const char* face;
};
constexpr StockFont kStockFonts[] = {
    {OEM_FIXED_FONT, 12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal"},
    {ANSI_FIXED_FONT, 12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier"},
    {ANSI_VAR_FONT, 12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"},
    {SYSTEM_FONT, 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"},
    {DEVICE_DEFAULT_FONT, 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"},
    {SYSTEM_FIXED_FONT, 16, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys"},
    {DEFAULT_GUI_FONT, -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg"},
};

StockTable& stock_table() {
    static StockTable* table = [] {
        auto* t = new StockTable;
        t->objects[WHITE_BRUSH] = register_object(stock_brush(RGB(255, 255, 255), BS_SOLID));
        t->objects[LTGRAY_BRUSH] = register_object(stock_brush(RGB(192, 192, 192), BS_SOLID));
        t->objects[GRAY_BRUSH] = register_object(stock_brush(RGB(128, 128, 128), BS_SOLID));
        t->objects[DKGRAY_BRUSH] = register_object(stock_brush(RGB(64, 64, 64), BS_SOLID));
        t->objects[BLACK_BRUSH] = register_object(stock_brush(RGB(0, 0, 0), BS_SOLID));
        t->objects[NULL_BRUSH] = register_object(stock_brush(0, BS_NULL));
        t->objects[WHITE_PEN] = register_object(stock_pen(RGB(255, 255, 255), PS_SOLID));
        t->objects[BLACK_PEN] = register_object(stock_pen(RGB(0, 0, 0), PS_SOLID));
        t->objects[NULL_PEN] = register_object(stock_pen(0, PS_NULL));
        auto dc_brush = stock_brush(RGB(255, 255, 255), BS_SOLID);
        dc_brush->dc_brush = true;
        t->objects[DC_BRUSH] = register_object(dc_brush);
        auto dc_pen = stock_pen(RGB(0, 0, 0), PS_SOLID);
        dc_pen->dc_pen = true;
        t->objects[DC_PEN] = register_object(dc_pen);
        auto bitmap = make_ddb(1, 1, 1);
        bitmap->stock = true;
        t->default_bitmap = register_object(bitmap);
        return t;
    }();
    return *table;
}

// The stock font for the screen's resolution now, or null for an index
// that is no font. The fonts of a resolution are made together, with the
// other stock objects for the first.
HGDIOBJ stock_font_object(int index) {
    static std::mutex* lock = new std::mutex;
    static auto* fonts = new std::map<int, std::map<int, HGDIOBJ>>;  // by resolution and index; guarded by lock
    const int dpi = screen_dpi();
    std::lock_guard<std::mutex> guard(*lock);
    std::map<int, HGDIOBJ>& made = (*fonts)[dpi];
    if (made.empty()) {
        for (const StockFont& f : kStockFonts) {
            made[f.index] = register_object(stock_font(MulDiv(f.height, dpi, 96), f.weight, f.pitch, f.face));
        }
    }
    auto found = made.find(index);
    return found == made.end() ? nullptr : found->second;
}

}  // namespace

HGDIOBJ stock_object(int index) {
    StockTable& t = stock_table();
    HGDIOBJ font = stock_font_object(index);
    if (index == -1) return t.default_bitmap;
    if (index < 0 || index >= 20) return nullptr;
    return font ? font : t.objects[index];
}

bool is_stock(HGDIOBJ h) {
    auto object = lookup_object(h);
    return object && object->stock;
}

}  // namespace trelwin::gdi

HPEN CreatePen(int style, int width, COLORREF colour) {
    const UINT kind = static_cast<UINT>(style) & PS_STYLE_MASK;
    if (kind > PS_INSIDEFRAME) return nullptr;
    auto pen = std::make_shared<PenObject>();
    pen->style = kind;
    pen->width = width < 0 ? 0 : width;
    pen->colour = colour & 0xFFFFFF;
    return static_cast<HPEN>(register_object(pen));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) return nullptr;
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto brush = std::make_shared<BrushObject>();
    brush->colour = colour & 0xFFFFFF;
    return static_cast<HBRUSH>(register_object(brush));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_HATCHED;
    brush->hatch = static_cast<ULONG_PTR>(hatch);
    brush->colour = colour & 0xFFFFFF;
    return static_cast<HBRUSH>(register_object(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap_handle) {
    auto bitmap = lookup<BitmapObject>(bitmap_handle, Kind::Bitmap);
    if (!bitmap) return nullptr;
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_PATTERN;
    const Surface& s = bitmap->surface;
    brush->pattern_width = s.width;
    brush->pattern_height = s.height;
    brush->pattern.resize(static_cast<size_t>(s.width) * s.height);
    for (int y = 0; y < s.height; ++y) s.read(y, 0, s.width, brush->pattern.data() + static_cast<size_t>(y) * s.width);
    brush->pattern_mono = s.mono_ddb;
    brush->pattern_bitmap = bitmap_handle;
    return static_cast<HBRUSH>(register_object(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
    if (!lb) return nullptr;
    switch (lb->lbStyle) {
        case BS_SOLID: return CreateSolidBrush(lb->lbColor);
        case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
        case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
        case BS_NULL: {
            auto brush = std::make_shared<BrushObject>();
            brush->style = BS_NULL;
            return static_cast<HBRUSH>(register_object(brush));
        }
        default: return nullptr;
    }
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
    if (!lf) return nullptr;
    auto font = std::make_shared<FontObject>();
    font->logfont = *lf;
    font->logfont.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(register_object(font));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strike_out, DWORD charset, DWORD out_precision, DWORD clip_precision,
                  DWORD quality, DWORD pitch_and_family, LPCSTR face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strike_out);
    lf.lfCharSet = static_cast<BYTE>(charset);
    lf.lfOutPrecision = static_cast<BYTE>(out_precision);
    lf.lfClipPrecision = static_cast<BYTE>(clip_precision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch_and_family);
    if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index > DC_PEN || index == 9) return nullptr;
    return stock_object(index);
}

BOOL DeleteObject(HGDIOBJ h) {
    auto object = lookup_object(h);
    if (!object) return FALSE;
    if (object->stock) return TRUE;
    switch (object->kind) {
        case Kind::Pen:
        case Kind::Brush:
        case Kind::Font:
        case Kind::Region:
            // A DC that still has the object selected keeps its own reference.
            break;
        case Kind::Bitmap:
            if (std::static_pointer_cast<BitmapObject>(object)->selected_in.load() != nullptr) return FALSE;
            break;
        default:
            return FALSE;
    }
    return unregister_object(h) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ h) {
    auto object = lookup_object(h);
    if (!object || object->kind == Kind::Icon) return 0;
    return static_cast<DWORD>(object->kind);
}

namespace {

template <typename T>
int copy_out(const T& value, int size, LPVOID out) {
    if (!out) return static_cast<int>(sizeof(T));
    const int n = std::min<int>(size, static_cast<int>(sizeof(T)));
    if (n <= 0) return 0;
    std::memcpy(out, &value, static_cast<size_t>(n));
    return n;
}

BITMAP bitmap_info(const BitmapObject& b) {
    const Surface& s = b.surface;
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = s.width;
    bm.bmHeight = s.height;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(s.bpp);
    if (b.dib_section) {
        bm.bmWidthBytes = static_cast<LONG>(dib_stride(s.width, s.bpp));
        bm.bmBits = b.storage.get();
    } else {
        bm.bmWidthBytes = static_cast<LONG>(ddb_stride(s.width, s.bpp));
    }
    return bm;
}

}  // namespace

int GetObjectA(HANDLE h, int size, LPVOID out) {
    auto object = lookup_object(h);
    if (!object) return 0;
    switch (object->kind) {
        case Kind::Pen: {
            auto pen = std::static_pointer_cast<PenObject>(object);
            LOGPEN lp{pen->style, POINT{pen->width, 0}, pen->colour};
            return copy_out(lp, size, out);
        }
        case Kind::Brush: {
            auto brush = std::static_pointer_cast<BrushObject>(object);
            LOGBRUSH lb{brush->style, brush->colour, brush->hatch};
            if (brush->style == BS_PATTERN) {
                lb.lbColor = 0;
                lb.lbHatch = reinterpret_cast<ULONG_PTR>(brush->pattern_bitmap);
            }
            return copy_out(lb, size, out);
        }
        case Kind::Font:
            return copy_out(std::static_pointer_cast<FontObject>(object)->logfont, size, out);
        case Kind::Bitmap: {
            auto bitmap = std::static_pointer_cast<BitmapObject>(object);
            if (bitmap->dib_section && (!out || size >= static_cast<int>(sizeof(DIBSECTION)))) {
                DIBSECTION ds{};
                ds.dsBm = bitmap_info(*bitmap);
                ds.dsBmih = bitmap->dib_header;
                std::memcpy(ds.dsBitfields, bitmap->bitfields, sizeof(ds.dsBitfields));
                return copy_out(ds, size, out);
            }
            return copy_out(bitmap_info(*bitmap), size, out);
        }
        default:
            return 0;
    }
}
