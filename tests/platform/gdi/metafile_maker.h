// Metafiles made in the test, record by record, from the record layouts:
// an enhanced metafile (header, records, end record) and a placeable
// Windows metafile (placeable header, metafile header, records of 16-bit
// words, end record).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/byte_builder.h"

namespace metafile_maker {

using gdi_test::Bytes;

// Record types of enhanced metafiles.
enum : uint32_t {
    EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_POLYPOLYGON16 = 91,
    EMR_SETWINDOWEXTEX = 9, EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24, EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54,
    EMR_FILLRGN = 71, EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60, EMR_FILLPATH = 62, EMR_SELECTCLIPPATH = 67, EMR_EXTSELECTCLIPRGN = 75,
    EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84,
};

inline Bytes Ints(std::initializer_list<int32_t> values) {
    Bytes b;
    for (int32_t v : values) b.i32(v);
    return b;
}

inline Bytes Floats(std::initializer_list<float> values) {
    Bytes b;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        b.u32(bits);
    }
    return b;
}

// 16-bit points after a bounds rectangle and a count, as the "16" records hold them.
inline Bytes Points16(std::initializer_list<std::pair<int, int>> points) {
    Bytes b = Ints({0, 0, 0, 0, static_cast<int32_t>(points.size())});
    for (auto [x, y] : points) b.u16(static_cast<uint16_t>(x)).u16(static_cast<uint16_t>(y));
    return b;
}

// A 24-bit bottom-up packed DIB: its header, then its rows (bottom row
// first, padded to 4 bytes); colours given top row first.
inline Bytes DibHeader(int width, int height) {
    Bytes b;
    b.u32(40).i32(width).i32(height).u16(1).u16(24).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0);
    return b;
}

inline Bytes DibRows(int width, const std::vector<std::vector<COLORREF>>& top_down) {
    Bytes b;
    for (auto row = top_down.rbegin(); row != top_down.rend(); ++row) {
        for (COLORREF c : *row) b.u8(GetBValue(c)).u8(GetGValue(c)).u8(GetRValue(c));
        b.zeros(static_cast<size_t>((4 - (width * 3) % 4) % 4));
    }
    return b;
}

class Emf {
public:
    // frame in 0.01 mm; the reference device's pixels and millimetres.
    Emf(RECT frame, SIZE device = {1000, 1000}, SIZE millimetres = {100, 100}, uint16_t handles = 8)
        : frame_(frame), device_(device), millimetres_(millimetres), handles_(handles) {}

    Emf& Record(uint32_t type, const Bytes& params = {}) {
        Bytes padded = params;
        while (padded.data.size() % 4) padded.u8(0);
        records_.u32(type).u32(static_cast<uint32_t>(8 + padded.data.size())).append(padded);
        ++count_;
        return *this;
    }
    // EXTCREATEFONTINDIRECTW: height, weight and an ASCII face name.
    Emf& Font(uint32_t index, int height, const char* face) {
        Bytes b = Ints({static_cast<int32_t>(index), height, 0, 0, 0, 400});
        b.u32(0).u32(0);  // italic .. pitch and family
        for (int i = 0; i < 32; ++i) b.u16(i < static_cast<int>(std::strlen(face)) ? face[i] : 0);
        return Record(EMR_EXTCREATEFONTINDIRECTW, b);
    }
    // EXTTEXTOUTW of ASCII text at (x, y), no rectangle, no advances.
    Emf& Text(int x, int y, const std::string& text) {
        Bytes b = Ints({0, 0, 0, 0, 1});
        b.u32(0).u32(0);                                        // x and y scale
        b.append(Ints({x, y, static_cast<int32_t>(text.size())}));
        b.u32(76).u32(0).append(Ints({0, 0, 0, 0})).u32(0);  // string offset, options, rectangle, no advances
        for (char c : text) b.u16(static_cast<uint8_t>(c));
        return Record(EMR_EXTTEXTOUTW, b);
    }
    // STRETCHDIBITS of a whole 24-bit DIB onto (x, y, w, h).
    Emf& StretchDib(int x, int y, int w, int h, int dib_w, int dib_h, const Bytes& rows) {
        const Bytes header = DibHeader(dib_w, dib_h);
        Bytes b = Ints({0, 0, 0, 0, x, y, 0, 0, dib_w, dib_h});
        b.u32(80).u32(40).u32(120).u32(static_cast<uint32_t>(rows.data.size()));
        b.u32(0).u32(0x00CC0020).append(Ints({w, h}));  // DIB_RGB_COLORS, SRCCOPY
        b.append(header).append(rows);
        return Record(EMR_STRETCHDIBITS, b);
    }

    std::vector<uint8_t> Make() const {
        Bytes eof;
        eof.u32(14).u32(20).u32(0).u32(16).u32(20);
        Bytes out;
        const uint32_t total = static_cast<uint32_t>(88 + records_.data.size() + eof.data.size());
        out.u32(1).u32(88).append(Ints({0, 0, 0, 0, frame_.left, frame_.top, frame_.right, frame_.bottom}));
        out.u32(0x464D4520).u32(0x10000).u32(total).u32(count_ + 2).u16(handles_).u16(0);
        out.u32(0).u32(0).u32(0).append(Ints({device_.cx, device_.cy, millimetres_.cx, millimetres_.cy}));
        out.append(records_).append(eof);
        return out.data;
    }

private:
    RECT frame_;
    SIZE device_, millimetres_;
    uint16_t handles_;
    Bytes records_;
    uint32_t count_ = 0;
};

class Wmf {
public:
    Wmf(int left, int top, int right, int bottom, int units_per_inch, uint16_t objects = 8)
        : box_{left, top, right, bottom}, inch_(units_per_inch), objects_(objects) {}

    // A record of 16-bit parameter words (the file's own order), then any
    // bytes (a DIB), padded to a whole word.
    Wmf& Record(uint16_t function, std::initializer_list<int> words = {}, const Bytes& tail = {}) {
        const size_t tail_words = (tail.data.size() + 1) / 2;
        records_.u32(static_cast<uint32_t>(3 + words.size() + tail_words)).u16(function);
        for (int w : words) records_.u16(static_cast<uint16_t>(w));
        records_.append(tail).zeros(tail_words * 2 - tail.data.size());
        return *this;
    }

    std::vector<uint8_t> Make() const {
        Bytes out;
        out.u32(0x9AC6CDD7).u16(0);
        for (int v : {box_.left, box_.top, box_.right, box_.bottom}) out.u16(static_cast<uint16_t>(v));
        out.u16(static_cast<uint16_t>(inch_)).u32(0);
        uint16_t sum = 0;
        for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(out.data[i] | (out.data[i + 1] << 8));
        out.u16(sum);
        const uint32_t words = static_cast<uint32_t>(9 + records_.data.size() / 2 + 3);
        out.u16(1).u16(9).u16(0x0300).u32(words).u16(objects_).u32(16).u16(0);
        out.append(records_);
        out.u32(3).u16(0);  // end record
        return out.data;
    }

private:
    RECT box_;
    int inch_;
    uint16_t objects_;
    Bytes records_;
};

// A COLORREF as the two words WMF records hold it in.
inline int Low(COLORREF c) { return static_cast<int>(c & 0xFFFF); }
inline int High(COLORREF c) { return static_cast<int>(c >> 16); }

}  // namespace metafile_maker
