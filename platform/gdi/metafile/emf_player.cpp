// Enhanced metafiles: records of a 32-bit type and a 32-bit size in bytes
// (at least 8, a multiple of 4), the header record first. Coordinates are
// 32-bit (16-bit in the "16" records); objects live in a table of the
// header's size, indexed from 1, and stock objects are named by index with
// the top bit set.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/metafile/players.h"
#include "platform/gdi/text.h"

namespace trelwin::gdi::metafile {

namespace {

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kStockObject = 0x80000000u;
constexpr uint32_t kGeometricPen = 0x00010000u;
constexpr uint32_t kSetTransform = 4;  // MODIFYWORLDTRANSFORM: replace

enum EmfRecord : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26, EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31, EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54,
    EMR_ARCTO = 55, EMR_FILLRGN = 71, EMR_PAINTRGN = 74, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91,
    EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
};

bool finite(const XFORM& x) {
    return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22) &&
           std::isfinite(x.eDx) && std::isfinite(x.eDy) && x.eM11 * x.eM22 - x.eM12 * x.eM21 != 0.0f;
}

XFORM multiply(const XFORM& a, const XFORM& b) {  // a, then b
    return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                 a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22,
                 a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}

// UTF-16 text as UTF-8, with each unit's advance on the first byte of its
// character (a pair's two advances added).
void utf16_to_utf8(const RecordReader& r, size_t offset, size_t units, const std::vector<double>& advances,
                   std::string& text, std::vector<double>& dx) {
    for (size_t i = 0; i < units; ++i) {
        uint32_t c = r.u16(offset + 2 * i);
        double advance = i < advances.size() ? advances[i] : 0;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            const uint32_t low = r.u16(offset + 2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
                if (i < advances.size()) advance += advances[i];
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
        char bytes[4];
        size_t n;
        if (c < 0x80) {
            bytes[0] = static_cast<char>(c);
            n = 1;
        } else if (c < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (c >> 6));
            bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
            n = 2;
        } else if (c < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (c >> 12));
            bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
            n = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | (c >> 18));
            bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
            n = 4;
        }
        text.append(bytes, n);
        dx.push_back(advance);
        dx.resize(text.size(), 0);
    }
}

class EmfPlayer {
public:
    explicit EmfPlayer(Playback& playback) : pb_(playback) {}

    void play(uint32_t type, const RecordReader& r) {
        HDC dc = pb_.dc();
        Mapping& m = pb_.mapping();
        switch (type) {
            case EMR_POLYGON: pb_.polygon(points(r, 24, false)); break;
            case EMR_POLYGON16: pb_.polygon(points(r, 24, true)); break;
            case EMR_POLYLINE: pb_.polyline(points(r, 24, false), false); break;
            case EMR_POLYLINE16: pb_.polyline(points(r, 24, true), false); break;
            case EMR_POLYLINETO: pb_.polyline(points(r, 24, false), true); break;
            case EMR_POLYLINETO16: pb_.polyline(points(r, 24, true), true); break;
            case EMR_POLYBEZIER: pb_.poly_bezier(points(r, 24, false), false); break;
            case EMR_POLYBEZIER16: pb_.poly_bezier(points(r, 24, true), false); break;
            case EMR_POLYBEZIERTO: pb_.poly_bezier(points(r, 24, false), true); break;
            case EMR_POLYBEZIERTO16: pb_.poly_bezier(points(r, 24, true), true); break;
            case EMR_POLYPOLYGON: poly_poly(r, false, true); break;
            case EMR_POLYPOLYGON16: poly_poly(r, true, true); break;
            case EMR_POLYPOLYLINE: poly_poly(r, false, false); break;
            case EMR_POLYPOLYLINE16: poly_poly(r, true, false); break;
            case EMR_SETWINDOWEXTEX:
                if (r.s32(8) != 0 && r.s32(12) != 0) {
                    m.window_ext_x = r.s32(8);
                    m.window_ext_y = r.s32(12);
                }
                break;
            case EMR_SETVIEWPORTEXTEX:
                if (r.s32(8) != 0 && r.s32(12) != 0) {
                    m.viewport_ext_x = r.s32(8);
                    m.viewport_ext_y = r.s32(12);
                }
                break;
            case EMR_SETWINDOWORGEX:
                m.window_org_x = r.s32(8);
                m.window_org_y = r.s32(12);
                break;
            case EMR_SETVIEWPORTORGEX:
                m.viewport_org_x = r.s32(8);
                m.viewport_org_y = r.s32(12);
                break;
            case EMR_SCALEWINDOWEXTEX: scale(r, m.window_ext_x, m.window_ext_y); break;
            case EMR_SCALEVIEWPORTEXTEX: scale(r, m.viewport_ext_x, m.viewport_ext_y); break;
            case EMR_SETMAPMODE:
                if (r.u32(8) >= MM_TEXT && r.u32(8) <= MM_ANISOTROPIC) m.map_mode = static_cast<int>(r.u32(8));
                break;
            case EMR_SETBKMODE: SetBkMode(dc, static_cast<int>(r.u32(8))); break;
            case EMR_SETPOLYFILLMODE: SetPolyFillMode(dc, static_cast<int>(r.u32(8))); break;
            case EMR_SETROP2: SetROP2(dc, static_cast<int>(r.u32(8))); break;
            case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(dc, static_cast<int>(r.u32(8))); break;
            case EMR_SETTEXTALIGN: SetTextAlign(dc, r.u32(8)); break;
            case EMR_SETTEXTCOLOR: SetTextColor(dc, r.u32(8)); break;
            case EMR_SETBKCOLOR: SetBkColor(dc, r.u32(8)); break;
            case EMR_MOVETOEX: pb_.move_to(r.s32(8), r.s32(12)); break;
            case EMR_LINETO: pb_.line_to(r.s32(8), r.s32(12)); break;
            case EMR_RECTANGLE: pb_.rectangle(r.s32(8), r.s32(12), r.s32(16), r.s32(20)); break;
            case EMR_ELLIPSE: pb_.ellipse(r.s32(8), r.s32(12), r.s32(16), r.s32(20)); break;
            case EMR_ROUNDRECT:
                pb_.round_rect(r.s32(8), r.s32(12), r.s32(16), r.s32(20), r.s32(24), r.s32(28));
                break;
            case EMR_ARC: arc(r, Playback::ArcKind::Arc); break;
            case EMR_ARCTO: arc(r, Playback::ArcKind::ArcTo); break;
            case EMR_CHORD: arc(r, Playback::ArcKind::Chord); break;
            case EMR_PIE: arc(r, Playback::ArcKind::Pie); break;
            case EMR_FILLRGN: fill_region(r, 24, 32, r.u32(28)); break;
            case EMR_PAINTRGN: fill_region(r, 24, 28, SIZE_MAX); break;
            case EMR_INTERSECTCLIPRECT: pb_.intersect_clip(r.s32(8), r.s32(12), r.s32(16), r.s32(20)); break;
            case EMR_EXCLUDECLIPRECT: pb_.exclude_clip(r.s32(8), r.s32(12), r.s32(16), r.s32(20)); break;
            case EMR_OFFSETCLIPRGN: pb_.offset_clip(r.s32(8), r.s32(12)); break;
            case EMR_EXTSELECTCLIPRGN: select_clip_region(r); break;
            case EMR_SAVEDC: pb_.save(); break;
            case EMR_RESTOREDC: pb_.restore(r.s32(8)); break;
            case EMR_SETWORLDTRANSFORM: {
                const XFORM x = xform(r, 8);
                if (finite(x)) m.world = x;
                break;
            }
            case EMR_MODIFYWORLDTRANSFORM: modify_world(r); break;
            case EMR_SELECTOBJECT: {
                const uint32_t index = r.u32(8);
                if (index & kStockObject) pb_.select_stock(static_cast<int>(index & ~kStockObject));
                else pb_.select_object(index);
                break;
            }
            case EMR_DELETEOBJECT: pb_.delete_object(r.u32(8)); break;
            case EMR_CREATEPEN: {
                const int32_t width = r.s32(16);
                pb_.store_pen(r.u32(8), PenSpec{r.u32(12) & PS_STYLE_MASK, std::fabs(static_cast<double>(width)),
                                                width == 0, r.u32(24)});
                break;
            }
            case EMR_EXTCREATEPEN: {
                const uint32_t style = r.u32(28);
                pb_.store_pen(r.u32(8), PenSpec{style & PS_STYLE_MASK, static_cast<double>(r.u32(32)),
                                                (style & kGeometricPen) == 0, r.u32(40)});
                break;
            }
            case EMR_CREATEBRUSHINDIRECT: create_brush(r); break;
            case EMR_CREATEMONOBRUSH:
            case EMR_CREATEDIBPATTERNBRUSHPT: pattern_brush(r); break;
            case EMR_CREATEPALETTE: pb_.store_placeholder(r.u32(8)); break;
            case EMR_EXTCREATEFONTINDIRECTW: create_font(r); break;
            case EMR_EXTTEXTOUTA: text_out(r, false); break;
            case EMR_EXTTEXTOUTW: text_out(r, true); break;
            case EMR_BEGINPATH: pb_.begin_path(); break;
            case EMR_ENDPATH: pb_.end_path(); break;
            case EMR_CLOSEFIGURE: pb_.close_figure(); break;
            case EMR_ABORTPATH: pb_.abort_path(); break;
            case EMR_FILLPATH: pb_.fill_path(false, true); break;
            case EMR_STROKEPATH: pb_.fill_path(true, false); break;
            case EMR_STROKEANDFILLPATH: pb_.fill_path(true, true); break;
            case EMR_SELECTCLIPPATH: pb_.select_clip_path(static_cast<int>(r.u32(8))); break;
            case EMR_BITBLT: blt(r, false); break;
            case EMR_STRETCHBLT: blt(r, true); break;
            case EMR_STRETCHDIBITS: stretch_dibits(r, true); break;
            case EMR_SETDIBITSTODEVICE: stretch_dibits(r, false); break;
            default: break;  // everything else is skipped
        }
    }

private:
    // A count at `at` and as many points after it; empty when they do not
    // fit in the record.
    static std::vector<POINT> points(const RecordReader& r, size_t at, bool small) {
        return point_list(r, at + 4, r.u32(at), small);
    }

    static std::vector<POINT> point_list(const RecordReader& r, size_t at, size_t count, bool small) {
        std::vector<POINT> list;
        const size_t item = small ? 4 : 8;
        if (!r.has_items(at, count, item)) return list;
        list.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t p = at + i * item;
            list.push_back(small ? POINT{r.s16(p), r.s16(p + 2)} : POINT{r.s32(p), r.s32(p + 4)});
        }
        return list;
    }

    static XFORM xform(const RecordReader& r, size_t at) {
        return XFORM{r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20)};
    }

    static void scale(const RecordReader& r, double& x, double& y) {
        const int32_t xn = r.s32(8), xd = r.s32(12), yn = r.s32(16), yd = r.s32(20);
        if (xn == 0 || xd == 0 || yn == 0 || yd == 0) return;
        x = x * xn / xd;
        y = y * yn / yd;
    }

    void poly_poly(const RecordReader& r, bool small, bool closed) {
        const size_t polygons = r.u32(24), total = r.u32(28);
        if (!r.has_items(32, polygons, 4)) return;
        std::vector<int> counts;
        size_t sum = 0;
        for (size_t i = 0; i < polygons; ++i) {
            const uint32_t n = r.u32(32 + 4 * i);
            if (n > total - std::min(sum, total)) return;
            counts.push_back(static_cast<int>(n));
            sum += n;
        }
        if (sum != total) return;
        std::vector<POINT> list = point_list(r, 32 + 4 * polygons, total, small);
        if (list.size() != total) return;
        if (closed) pb_.poly_polygon(list, counts);
        else pb_.poly_polyline(list, counts);
    }

    void modify_world(const RecordReader& r) {
        Mapping& m = pb_.mapping();
        const XFORM x = xform(r, 8);
        XFORM result = m.world;
        switch (r.u32(32)) {
            case MWT_IDENTITY: result = XFORM{1, 0, 0, 1, 0, 0}; break;
            case MWT_LEFTMULTIPLY: result = multiply(x, m.world); break;
            case MWT_RIGHTMULTIPLY: result = multiply(m.world, x); break;
            case kSetTransform: result = x; break;
            default: return;
        }
        if (finite(result)) m.world = result;
    }

    void create_brush(const RecordReader& r) {
        const uint32_t style = r.u32(12), hatch = r.u32(20);
        const COLORREF colour = r.u32(16);
        HBRUSH brush;
        if (style == BS_NULL) brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        else if (style == BS_HATCHED && hatch <= HS_DIAGCROSS)
            brush = CreateHatchBrush(static_cast<int>(hatch), colour);
        else brush = CreateSolidBrush(colour);
        pb_.store_brush(r.u32(8), brush);
    }

    void pattern_brush(const RecordReader& r) {
        HBITMAP pattern = split_dib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28));
        HBRUSH brush = pattern ? CreatePatternBrush(pattern) : nullptr;
        if (pattern) DeleteObject(pattern);
        pb_.store_brush(r.u32(8), brush ? brush : CreateSolidBrush(0));
    }

    void create_font(const RecordReader& r) {
        FontSpec spec;
        LOGFONTA& lf = spec.font;
        lf.lfHeight = r.s32(12);
        lf.lfWidth = r.s32(16);
        lf.lfEscapement = r.s32(20);
        lf.lfOrientation = r.s32(24);
        lf.lfWeight = r.s32(28);
        lf.lfItalic = r.u8(32);
        lf.lfUnderline = r.u8(33);
        lf.lfStrikeOut = r.u8(34);
        lf.lfCharSet = r.u8(35);
        lf.lfOutPrecision = r.u8(36);
        lf.lfClipPrecision = r.u8(37);
        lf.lfQuality = r.u8(38);
        lf.lfPitchAndFamily = r.u8(39);
        // Face names are plain ASCII here; anything else cannot name one of
        // the fonts the layer maps.
        for (size_t i = 0; i + 1 < LF_FACESIZE; ++i) {
            const uint16_t c = r.u16(40 + 2 * i);
            if (c == 0) break;
            lf.lfFaceName[i] = c < 0x80 ? static_cast<char>(c) : '?';
        }
        pb_.store_font(r.u32(8), spec);
    }

    void text_out(const RecordReader& r, bool wide) {
        const double x = r.s32(36), y = r.s32(40);
        const size_t count = r.u32(44), offset = r.u32(48);
        const UINT options = r.u32(52);
        const RECT rect{r.s32(56), r.s32(60), r.s32(64), r.s32(68)};
        const size_t dx_offset = r.u32(72);
        if (!r.has_items(offset, count, wide ? 2 : 1)) return;
        std::vector<double> advances;
        if (dx_offset != 0 && r.has_items(dx_offset, count, 4)) {
            for (size_t i = 0; i < count; ++i) advances.push_back(r.s32(dx_offset + 4 * i));
        }
        std::string text;
        std::vector<double> dx;
        if (wide) {
            utf16_to_utf8(r, offset, count, advances, text, dx);
        } else {
            text.assign(reinterpret_cast<const char*>(r.data() + offset), count);
            dx = advances;
        }
        if (advances.empty()) dx.clear();
        const bool has_rect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        pb_.text_out(x, y, text, dx, options, has_rect ? &rect : nullptr);
    }

    void arc(const RecordReader& r, Playback::ArcKind kind) {
        pb_.arc(kind, r.s32(8), r.s32(12), r.s32(16), r.s32(20), r.s32(24), r.s32(28), r.s32(32), r.s32(36));
    }

    // The rectangles of region data (a header, then left, top, right,
    // bottom of each) at `at`, or false when they do not fit.
    static bool region_rects(const RecordReader& r, size_t at, size_t bytes, std::vector<RECT>& rects) {
        if (bytes < sizeof(RGNDATAHEADER) || !r.has(at, bytes)) return false;
        const size_t count = r.u32(at + 8);
        const size_t first = at + std::max<size_t>(r.u32(at), sizeof(RGNDATAHEADER));
        if (!r.has_items(first, count, 16)) return false;
        rects.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t p = first + 16 * i;
            rects.push_back(RECT{r.s32(p), r.s32(p + 4), r.s32(p + 8), r.s32(p + 12)});
        }
        return true;
    }

    // FILLRGN (with a brush of the table) and PAINTRGN (with the selected
    // one): the region's size at `size_at`, its data at `data_at`.
    void fill_region(const RecordReader& r, size_t size_at, size_t data_at, size_t brush) {
        std::vector<RECT> rects;
        if (region_rects(r, data_at, r.u32(size_at), rects)) pb_.fill_region(rects, brush);
    }

    // Region data in the reference device's pixels.
    void select_clip_region(const RecordReader& r) {
        const size_t bytes = r.u32(8);
        const int mode = static_cast<int>(r.u32(12));
        if (mode < RGN_AND || mode > RGN_COPY) return;
        if (bytes < sizeof(RGNDATAHEADER)) {
            // No region: only a copy means anything, putting back the
            // clip the playback started with.
            if (mode == RGN_COPY) pb_.select_clip_rects(nullptr, mode);
            return;
        }
        std::vector<RECT> rects;
        if (!region_rects(r, 16, bytes, rects)) return;
        for (RECT& rect : rects) {
            const POINT a = pb_.reference_to_device(rect.left, rect.top);
            const POINT b = pb_.reference_to_device(rect.right, rect.bottom);
            rect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        }
        pb_.select_clip_rects(&rects, mode);
    }

    // BITBLT and STRETCHBLT: a bitmap through its source rectangle, or the
    // brush alone when the record carries no bitmap.
    void blt(const RecordReader& r, bool stretch) {
        const int x = r.s32(24), y = r.s32(28), w = r.s32(32), h = r.s32(36);
        const DWORD rop = r.u32(40);
        const int xs = r.s32(44), ys = r.s32(48);
        const size_t bmi_offset = r.u32(84), bmi_size = r.u32(88), bits_offset = r.u32(92), bits_size = r.u32(96);
        if (bmi_size == 0) {
            pb_.pattern_blt(x, y, w, h, rop);
            return;
        }
        const int ws = stretch ? r.s32(100) : w, hs = stretch ? r.s32(104) : h;
        HBITMAP bitmap = split_dib(r, bmi_offset, bmi_size, bits_offset, bits_size);
        if (!bitmap) return;
        pb_.stretch_bitmap(bitmap, x, y, w, h, xs, ys, ws, hs, rop);
        DeleteObject(bitmap);
    }

    // STRETCHDIBITS, and SETDIBITSTODEVICE as a copy at the source's size.
    void stretch_dibits(const RecordReader& r, bool stretch) {
        const int x = r.s32(24), y = r.s32(28), xs = r.s32(32), ys = r.s32(36), ws = r.s32(40), hs = r.s32(44);
        HBITMAP bitmap = split_dib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60));
        if (!bitmap) return;
        const DWORD rop = stretch ? r.u32(68) : SRCCOPY;
        const int w = stretch ? r.s32(72) : ws, h = stretch ? r.s32(76) : hs;
        pb_.stretch_bitmap(bitmap, x, y, w, h, xs, source_top(bitmap, ys, hs), ws, hs, rop);
        DeleteObject(bitmap);
    }

    Playback& pb_;
};

}  // namespace

bool read_emf_header(const RecordReader& file, EmfHeader* header, std::string* error) {
    auto fail = [&](const char* text) {
        if (error) *error = text;
        return false;
    };
    if (file.u32(0) != EMR_HEADER || file.u32(40) != kEmfSignature) return fail("not an enhanced metafile");
    const uint32_t size = file.u32(4);
    if (size < 88 || size % 4 != 0 || !file.has(0, size)) return fail("the enhanced metafile header is damaged");
    header->frame = RECT{file.s32(24), file.s32(28), file.s32(32), file.s32(36)};
    const int64_t width = int64_t{header->frame.right} - header->frame.left;
    const int64_t height = int64_t{header->frame.bottom} - header->frame.top;
    if (width <= 0 || height <= 0) return fail("the enhanced metafile's frame is empty");
    if (width > INT32_MAX || height > INT32_MAX) return fail("the enhanced metafile's frame is too large");
    const int32_t px = file.s32(72), py = file.s32(76), mmx = file.s32(80), mmy = file.s32(84);
    // A header without a sound reference device is read at 96 pixels an inch.
    header->pixels_per_mm_x = px > 0 && mmx > 0 ? static_cast<double>(px) / mmx : 96 / 25.4;
    header->pixels_per_mm_y = py > 0 && mmy > 0 ? static_cast<double>(py) / mmy : 96 / 25.4;
    header->handles = file.u16(56);
    header->records = size;
    return true;
}

bool play_emf(Playback& playback, const RecordReader& file, const EmfHeader& header, std::string* error) {
    playback.reset_objects(header.handles);
    EmfPlayer player(playback);
    size_t at = header.records;
    while (!playback.exhausted()) {
        if (!file.has(at, 8)) break;
        const uint32_t type = file.u32(at), size = file.u32(at + 4);
        if (size < 8 || size % 4 != 0 || !file.has(at, size)) {
            if (error) *error = "an enhanced metafile record runs past the end of the file";
            return false;
        }
        if (type == EMR_EOF) return true;
        player.play(type, file.sub(at, size));
        at += size;
    }
    if (playback.exhausted()) {
        if (error) *error = playback.error();
        return false;
    }
    if (error) *error = "the enhanced metafile has no end record";
    return false;
}

}  // namespace trelwin::gdi::metafile
