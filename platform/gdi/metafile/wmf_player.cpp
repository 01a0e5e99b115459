// Placeable Windows metafiles: a 22-byte placeable header with the picture's
// bounding box and units per inch, the metafile header, then records of
// 16-bit words (a 32-bit size in words, a 16-bit function, parameters in
// reverse order of the call's arguments).
//
// The player owns the viewport (the destination); the metafile's window
// origin and extent records map its logical space onto it. Viewport and
// mapping-mode records are therefore not applied.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/metafile/players.h"
#include "platform/gdi/text.h"

namespace trelwin::gdi::metafile {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kParams = 6;  // record size (4) and function (2)

enum WmfFunction : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_OFFSETWINDOWORG = 0x020F,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

// One record: its bytes (size in words times two) and its function.
struct Record {
    RecordReader r;
    uint16_t function = 0;
    int16_t s(size_t index) const { return r.s16(kParams + 2 * index); }
    uint16_t u(size_t index) const { return r.u16(kParams + 2 * index); }
    uint32_t u32(size_t index) const { return r.u32(kParams + 2 * index); }
    size_t words() const { return (r.size() - kParams) / 2; }
};

// Points as x, y pairs of 16-bit words from word `first`; empty when the
// record is too short for them.
std::vector<POINT> points_at(const Record& rec, size_t first, size_t count) {
    std::vector<POINT> points;
    if (!rec.r.has_items(kParams + 2 * first, count, 4)) return points;
    points.reserve(count);
    for (size_t i = 0; i < count; ++i) points.push_back(POINT{rec.s(first + 2 * i), rec.s(first + 2 * i + 1)});
    return points;
}

std::string text_at(const Record& rec, size_t offset, size_t count) {
    if (!rec.r.has(offset, count)) return {};
    return std::string(reinterpret_cast<const char*>(rec.r.data() + offset), count);
}

HBRUSH brush_from(uint16_t style, COLORREF colour, uint16_t hatch) {
    switch (style) {
        case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        case BS_HATCHED: return hatch <= HS_DIAGCROSS ? CreateHatchBrush(hatch, colour) : CreateSolidBrush(colour);
        default: return CreateSolidBrush(colour);
    }
}

FontSpec font_from(const Record& rec) {
    FontSpec spec;
    LOGFONTA& lf = spec.font;
    lf.lfHeight = rec.s(0);
    lf.lfWidth = rec.s(1);
    lf.lfEscapement = rec.s(2);
    lf.lfOrientation = rec.s(3);
    lf.lfWeight = rec.s(4);
    const size_t bytes = kParams + 10;
    lf.lfItalic = rec.r.u8(bytes);
    lf.lfUnderline = rec.r.u8(bytes + 1);
    lf.lfStrikeOut = rec.r.u8(bytes + 2);
    lf.lfCharSet = rec.r.u8(bytes + 3);
    lf.lfOutPrecision = rec.r.u8(bytes + 4);
    lf.lfClipPrecision = rec.r.u8(bytes + 5);
    lf.lfQuality = rec.r.u8(bytes + 6);
    lf.lfPitchAndFamily = rec.r.u8(bytes + 7);
    for (size_t i = 0; i + 1 < LF_FACESIZE && rec.r.has(bytes + 8 + i, 1); ++i) {
        const char c = static_cast<char>(rec.r.u8(bytes + 8 + i));
        if (c == 0) break;
        lf.lfFaceName[i] = c;
    }
    return spec;
}

class WmfPlayer {
public:
    WmfPlayer(Playback& playback) : pb_(playback) {}

    void play(const Record& rec) {
        HDC dc = pb_.dc();
        Mapping& m = pb_.mapping();
        switch (rec.function) {
            case META_SETBKCOLOR: SetBkColor(dc, rec.u32(0)); break;
            case META_SETBKMODE: SetBkMode(dc, rec.u(0)); break;
            case META_SETROP2: SetROP2(dc, rec.u(0)); break;
            case META_SETPOLYFILLMODE: SetPolyFillMode(dc, rec.u(0)); break;
            case META_SETSTRETCHBLTMODE: SetStretchBltMode(dc, rec.u(0)); break;
            case META_SETTEXTCOLOR: SetTextColor(dc, rec.u32(0)); break;
            case META_SETTEXTALIGN: SetTextAlign(dc, rec.u(0)); break;
            case META_SETTEXTCHAREXTRA:
                SetTextCharacterExtra(dc, static_cast<int>(std::lround(rec.s(0) * pb_.unit_x())));
                break;
            case META_SETWINDOWORG:
                m.window_org_x = rec.s(1);
                m.window_org_y = rec.s(0);
                break;
            case META_SETWINDOWEXT:
                if (rec.s(0) != 0 && rec.s(1) != 0) {
                    m.window_ext_x = rec.s(1);
                    m.window_ext_y = rec.s(0);
                }
                break;
            case META_OFFSETWINDOWORG:
                m.window_org_x += rec.s(1);
                m.window_org_y += rec.s(0);
                break;
            case META_SCALEWINDOWEXT: scale_window(rec); break;
            case META_MOVETO: pb_.move_to(rec.s(1), rec.s(0)); break;
            case META_LINETO: pb_.line_to(rec.s(1), rec.s(0)); break;
            case META_EXCLUDECLIPRECT: pb_.exclude_clip(rec.s(3), rec.s(2), rec.s(1), rec.s(0)); break;
            case META_INTERSECTCLIPRECT: pb_.intersect_clip(rec.s(3), rec.s(2), rec.s(1), rec.s(0)); break;
            case META_OFFSETCLIPRGN: pb_.offset_clip(rec.s(1), rec.s(0)); break;
            case META_RECTANGLE: pb_.rectangle(rec.s(3), rec.s(2), rec.s(1), rec.s(0)); break;
            case META_ELLIPSE: pb_.ellipse(rec.s(3), rec.s(2), rec.s(1), rec.s(0)); break;
            case META_ROUNDRECT: pb_.round_rect(rec.s(5), rec.s(4), rec.s(3), rec.s(2), rec.s(1), rec.s(0)); break;
            case META_ARC: arc(rec, Playback::ArcKind::Arc); break;
            case META_PIE: arc(rec, Playback::ArcKind::Pie); break;
            case META_CHORD: arc(rec, Playback::ArcKind::Chord); break;
            case META_SETPIXEL: pb_.set_pixel(rec.s(3), rec.s(2), rec.u32(0)); break;
            case META_PATBLT: pb_.pattern_blt(rec.s(5), rec.s(4), rec.s(3), rec.s(2), rec.u32(0)); break;
            case META_POLYGON: pb_.polygon(points_at(rec, 1, rec.u(0))); break;
            case META_POLYLINE: pb_.polyline(points_at(rec, 1, rec.u(0)), false); break;
            case META_POLYPOLYGON: poly_polygon(rec); break;
            case META_TEXTOUT: text_out(rec); break;
            case META_EXTTEXTOUT: ext_text_out(rec); break;
            case META_SAVEDC: pb_.save(); break;
            case META_RESTOREDC: pb_.restore(rec.s(0)); break;
            case META_SELECTOBJECT: pb_.select_object(rec.u(0)); break;
            case META_DELETEOBJECT: pb_.delete_object(rec.u(0)); break;
            case META_CREATEPENINDIRECT:
                pb_.store_pen(pb_.free_slot(), PenSpec{static_cast<UINT>(rec.u(0) & PS_STYLE_MASK),
                                                       static_cast<double>(rec.s(1)), rec.s(1) == 0, rec.r.u32(12)});
                break;
            case META_CREATEBRUSHINDIRECT:
                pb_.store_brush(pb_.free_slot(), brush_from(rec.u(0), rec.u32(1), rec.u(3)));
                break;
            case META_DIBCREATEPATTERNBRUSH: pattern_brush(rec); break;
            case META_CREATEFONTINDIRECT: pb_.store_font(pb_.free_slot(), font_from(rec)); break;
            // Objects this player does not use still take their slot, so
            // that the indexes after them stay right.
            case META_CREATEPALETTE:
            case META_CREATEPATTERNBRUSH:
            case META_CREATEREGION: pb_.store_placeholder(pb_.free_slot()); break;
            case META_DIBBITBLT: dib_blt(rec, false); break;
            case META_DIBSTRETCHBLT: dib_blt(rec, true); break;
            case META_STRETCHDIB: stretch_dib(rec); break;
            default: break;  // everything else is skipped
        }
    }

private:
    void scale_window(const Record& rec) {
        const int y_denominator = rec.s(0), y_numerator = rec.s(1), x_denominator = rec.s(2), x_numerator = rec.s(3);
        if (x_denominator == 0 || y_denominator == 0 || x_numerator == 0 || y_numerator == 0) return;
        Mapping& m = pb_.mapping();
        m.window_ext_x = m.window_ext_x * x_numerator / x_denominator;
        m.window_ext_y = m.window_ext_y * y_numerator / y_denominator;
    }

    // yEnd, xEnd, yStart, xStart, bottom, right, top, left.
    void arc(const Record& rec, Playback::ArcKind kind) {
        pb_.arc(kind, rec.s(7), rec.s(6), rec.s(5), rec.s(4), rec.s(3), rec.s(2), rec.s(1), rec.s(0));
    }

    void poly_polygon(const Record& rec) {
        const size_t polygons = rec.u(0);
        if (!rec.r.has_items(kParams + 2, polygons, 2)) return;
        std::vector<int> counts;
        size_t total = 0;
        for (size_t i = 0; i < polygons; ++i) {
            counts.push_back(rec.u(1 + i));
            total += counts.back();
        }
        std::vector<POINT> points = points_at(rec, 1 + polygons, total);
        if (points.size() == total) pb_.poly_polygon(points, counts);
    }

    void text_out(const Record& rec) {
        const size_t count = rec.u(0);
        const size_t words = (count + 1) / 2;
        if (!rec.r.has(kParams + 2 + 2 * words, 4)) return;
        pb_.text_out(rec.s(2 + words), rec.s(1 + words), text_at(rec, kParams + 2, count), {}, 0, nullptr);
    }

    void ext_text_out(const Record& rec) {
        const int y = rec.s(0), x = rec.s(1);
        const size_t count = rec.u(2);
        const UINT options = rec.u(3);
        size_t offset = kParams + 8;
        RECT rect{};
        const bool has_rect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (has_rect) {
            rect = RECT{rec.r.s16(offset), rec.r.s16(offset + 2), rec.r.s16(offset + 4), rec.r.s16(offset + 6)};
            offset += 8;
        }
        std::string text = text_at(rec, offset, count);
        if (text.size() != count) return;
        offset += count + (count & 1);
        std::vector<double> dx;
        if (rec.r.has_items(offset, count, 2)) {
            for (size_t i = 0; i < count; ++i) dx.push_back(rec.r.s16(offset + 2 * i));
        }
        pb_.text_out(x, y, text, dx, options, has_rect ? &rect : nullptr);
    }

    void pattern_brush(const Record& rec) {
        HBITMAP pattern = packed_dib(rec.r.sub(kParams + 4, rec.r.size() - kParams - 4));
        HBRUSH brush = pattern ? CreatePatternBrush(pattern) : nullptr;
        if (pattern) DeleteObject(pattern);
        pb_.store_brush(pb_.free_slot(), brush ? brush : CreateSolidBrush(0));
    }

    // DIBBITBLT and DIBSTRETCHBLT: without a bitmap (a record one word
    // longer than its fixed part) they paint with the brush.
    void dib_blt(const Record& rec, bool stretch) {
        const size_t fixed = stretch ? 10 : 8;  // words after the raster operation's two
        const DWORD rop = rec.u32(0);
        if (rec.words() == fixed + 1) {
            const size_t at = stretch ? 2 : 0;  // skip the source extent
            pb_.pattern_blt(rec.s(at + 8), rec.s(at + 7), rec.s(at + 6), rec.s(at + 5), rop);
            return;
        }
        if (rec.words() < fixed) return;
        // After the raster operation: [source height, width,] source y, x,
        // destination height, width, y, x, then the DIB.
        const size_t source = stretch ? 4 : 2, dest = source + 2;
        const int ys = rec.s(source), xs = rec.s(source + 1);
        const int dh = rec.s(dest), dw = rec.s(dest + 1), dy = rec.s(dest + 2), dxp = rec.s(dest + 3);
        const int src_h = stretch ? rec.s(2) : dh, src_w = stretch ? rec.s(3) : dw;
        HBITMAP bitmap = packed_dib(rec.r.sub(kParams + 2 * fixed, rec.r.size() - kParams - 2 * fixed));
        if (!bitmap) return;
        pb_.stretch_bitmap(bitmap, dxp, dy, dw, dh, xs, ys, src_w, src_h, rop);
        DeleteObject(bitmap);
    }

    void stretch_dib(const Record& rec) {
        if (rec.words() < 11) return;
        const DWORD rop = rec.u32(0);
        const int src_h = rec.s(3), src_w = rec.s(4), ys = rec.s(5), xs = rec.s(6);
        const int dh = rec.s(7), dw = rec.s(8), dy = rec.s(9), dxp = rec.s(10);
        HBITMAP bitmap = packed_dib(rec.r.sub(kParams + 22, rec.r.size() - kParams - 22));
        if (!bitmap) return;
        pb_.stretch_bitmap(bitmap, dxp, dy, dw, dh, xs, source_top(bitmap, ys, src_h), src_w, src_h, rop);
        DeleteObject(bitmap);
    }

    Playback& pb_;
};

}  // namespace

bool read_wmf_header(const RecordReader& file, WmfHeader* header, std::string* error) {
    auto fail = [&](const char* text) {
        if (error) *error = text;
        return false;
    };
    if (file.u32(0) != kPlaceableKey) return fail("a metafile without a placeable header has no size");
    if (!file.has(0, kPlaceableSize + 18)) return fail("the metafile header is cut short");
    header->left = file.s16(6);
    header->top = file.s16(8);
    header->right = file.s16(10);
    header->bottom = file.s16(12);
    header->units_per_inch = file.u16(14);
    if (header->units_per_inch == 0 || header->right == header->left || header->bottom == header->top)
        return fail("the metafile's bounding box is empty");
    const uint16_t type = file.u16(kPlaceableSize), words = file.u16(kPlaceableSize + 2);
    if ((type != 1 && type != 2) || words < 9) return fail("the metafile header is damaged");
    header->objects = file.u16(kPlaceableSize + 10);
    header->records = kPlaceableSize + static_cast<size_t>(words) * 2;
    if (!file.has(header->records, 0)) return fail("the metafile header is cut short");
    return true;
}

bool play_wmf(Playback& playback, const RecordReader& file, const WmfHeader& header, std::string* error) {
    Mapping& m = playback.mapping();
    m.map_mode = MM_ANISOTROPIC;
    m.window_org_x = header.left;
    m.window_org_y = header.top;
    m.window_ext_x = header.right - header.left;
    m.window_ext_y = header.bottom - header.top;
    playback.reset_objects(header.objects);
    WmfPlayer player(playback);
    size_t at = header.records;
    while (!playback.exhausted()) {
        if (!file.has(at, kParams)) break;
        const uint64_t bytes = uint64_t{file.u32(at)} * 2;
        if (bytes < kParams || bytes > file.size() - at) {
            if (error) *error = "a metafile record runs past the end of the file";
            return false;
        }
        Record rec{file.sub(at, static_cast<size_t>(bytes)), file.u16(at + 4)};
        if (rec.function == META_EOF) return true;
        player.play(rec);
        at += static_cast<size_t>(bytes);
    }
    if (playback.exhausted()) {
        if (error) *error = playback.error();
        return false;
    }
    if (error) *error = "the metafile has no end record";
    return false;
}

}  // namespace trelwin::gdi::metafile
