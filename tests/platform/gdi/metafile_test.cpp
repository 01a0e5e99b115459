// The metafile player: each drawing, played from records made here, must
// give the pixels of the same drawing made directly through the drawing
// calls (or pixels known from outside), leave the DC as it was, and end a
// hostile file with an error and nothing leaked.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/object_table.h"
#include "platform/gdi/metafile.h"
#include "tests/platform/gdi/canvas.h"
#include "tests/platform/gdi/metafile_maker.h"

namespace {

using gdi_test::Canvas;
using namespace metafile_maker;

constexpr int kSide = 40;
// A frame of kSide pixels of the reference device (10 pixels a millimetre),
// so that the records' coordinates are the destination's pixels.
const RECT kFrame{0, 0, kSide * 10, kSide * 10};
constexpr uint32_t kNullPen = 0x80000000u | NULL_PEN;
constexpr uint32_t kNullBrush = 0x80000000u | NULL_BRUSH;

// The first pixel where two canvases differ, or "" when none does.
std::string FirstDifference(const Canvas& a, const Canvas& b) {
    int differences = 0;
    std::string first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.at(x, y) != b.at(x, y)) {
                if (differences++ == 0)
                    first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + std::to_string(a.at(x, y)) +
                            " instead of " + std::to_string(b.at(x, y));
            }
    return differences ? first + ", " + std::to_string(differences) + " pixels in all" : "";
}

Emf& SolidBrush(Emf& emf, uint32_t index, COLORREF colour) {
    return emf.Record(EMR_CREATEBRUSHINDIRECT, Ints({static_cast<int32_t>(index), BS_SOLID,
                                                     static_cast<int32_t>(colour), 0}))
        .Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(index)}));
}

void WithBrush(HDC dc, COLORREF colour, const std::function<void()>& draw) {
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ old = SelectObject(dc, brush);
    draw();
    SelectObject(dc, old);
    DeleteObject(brush);
}

void Filled(HDC dc, COLORREF colour, const std::function<void()>& draw) {
    HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
    WithBrush(dc, colour, draw);
    SelectObject(dc, pen);
}

struct Case {
    const char* name;
    std::vector<uint8_t> metafile;
    std::function<void(HDC)> direct;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    {
        Emf emf(kFrame);
        emf.Record(EMR_CREATEPEN, Ints({1, PS_SOLID, 3, 0, static_cast<int32_t>(gdi_test::kRed)}))
            .Record(EMR_SELECTOBJECT, Ints({1}))
            .Record(EMR_MOVETOEX, Ints({2, 2}))
            .Record(EMR_LINETO, Ints({30, 10}))
            .Record(EMR_POLYLINE16, Points16({{5, 30}, {35, 25}, {20, 5}}));
        cases.push_back({"a wide pen's line and polyline", emf.Make(), [](HDC dc) {
                             HPEN pen = CreatePen(PS_SOLID, 3, gdi_test::kRed);
                             HGDIOBJ old = SelectObject(dc, pen);
                             MoveToEx(dc, 2, 2, nullptr);
                             LineTo(dc, 30, 10);
                             const POINT line[] = {{5, 30}, {35, 25}, {20, 5}};
                             Polyline(dc, line, 3);
                             SelectObject(dc, old);
                             DeleteObject(pen);
                         }});
    }
    const std::initializer_list<std::pair<int, int>> star = {{20, 2}, {30, 36}, {2, 14}, {38, 14}, {10, 36}};
    {
        Emf emf(kFrame);
        SolidBrush(emf, 2, gdi_test::kGreen).Record(EMR_SETPOLYFILLMODE, Ints({WINDING})).Record(EMR_POLYGON16,
                                                                                               Points16(star));
        cases.push_back({"a star filled by winding", emf.Make(), [](HDC dc) {
                             SetPolyFillMode(dc, WINDING);
                             WithBrush(dc, gdi_test::kGreen, [&] {
                                 const POINT p[] = {{20, 2}, {30, 36}, {2, 14}, {38, 14}, {10, 36}};
                                 Polygon(dc, p, 5);
                             });
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kBlue)
            .Record(EMR_RECTANGLE, Ints({1, 1, 15, 12}))
            .Record(EMR_ROUNDRECT, Ints({18, 2, 38, 18, 8, 6}))
            .Record(EMR_ELLIPSE, Ints({4, 20, 36, 38}));
        cases.push_back({"rectangle, rounded rectangle and ellipse", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kBlue, [&] {
                                 Rectangle(dc, 1, 1, 15, 12);
                                 RoundRect(dc, 18, 2, 38, 18, 8, 6);
                                 Ellipse(dc, 4, 20, 36, 38);
                             });
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Font(1, -14, "Arial")
            .Record(EMR_SELECTOBJECT, Ints({1}))
            .Record(EMR_SETTEXTCOLOR, Ints({static_cast<int32_t>(gdi_test::kRed)}))
            .Record(EMR_SETBKMODE, Ints({TRANSPARENT}))
            .Text(3, 5, "Hi!");
        cases.push_back({"text in a font of its own", emf.Make(), [](HDC dc) {
                             HFONT font = CreateFontA(-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
                             HGDIOBJ old = SelectObject(dc, font);
                             SetTextColor(dc, gdi_test::kRed);
                             SetBkMode(dc, TRANSPARENT);
                             TextOutA(dc, 3, 5, "Hi!", 3);
                             SelectObject(dc, old);
                             DeleteObject(font);
                         }});
    }
    {
        Emf emf(kFrame);
        emf.StretchDib(4, 4, 16, 8, 2, 1, DibRows(2, {{gdi_test::kRed, gdi_test::kBlue}}));
        cases.push_back({"a two-pixel DIB stretched", emf.Make(), [](HDC dc) {
                             FillSolidRect(dc, 4, 4, 8, 8, gdi_test::kRed);
                             FillSolidRect(dc, 12, 4, 8, 8, gdi_test::kBlue);
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kMagenta)
            .Record(EMR_SETWORLDTRANSFORM, Floats({2, 0, 0, 2, 10, 5}))
            .Record(EMR_RECTANGLE, Ints({0, 0, 5, 5}))
            .Record(EMR_MODIFYWORLDTRANSFORM, Floats({1, 0, 0, 1, 0, 0}).append(Ints({MWT_IDENTITY})))
            .Record(EMR_RECTANGLE, Ints({30, 30, 36, 36}));
        cases.push_back({"a world transform, then back to identity", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kMagenta, [&] {
                                 Rectangle(dc, 10, 5, 20, 15);
                                 Rectangle(dc, 30, 30, 36, 36);
                             });
                         }});
    }
    {
        // (x, y) -> (30 - y, 2 + x): the 10 x 4 rectangle stands up.
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kGreen)
            .Record(EMR_SETWORLDTRANSFORM, Floats({0, 1, -1, 0, 30, 2}))
            .Record(EMR_RECTANGLE, Ints({0, 0, 10, 4}));
        cases.push_back({"a quarter turn", emf.Make(),
                         [](HDC dc) { FillSolidRect(dc, 26, 2, 4, 10, gdi_test::kGreen); }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kRed)
            .Record(EMR_INTERSECTCLIPRECT, Ints({5, 5, 30, 30}))
            .Record(EMR_EXCLUDECLIPRECT, Ints({10, 10, 20, 20}))
            .Record(EMR_RECTANGLE, Ints({0, 0, 41, 41}));
        cases.push_back({"clipped to a rectangle less another", emf.Make(), [](HDC dc) {
                             SaveDC(dc);
                             IntersectClipRect(dc, 5, 5, 30, 30);
                             ExcludeClipRect(dc, 10, 10, 20, 20);
                             Filled(dc, gdi_test::kRed, [&] { Rectangle(dc, 0, 0, 41, 41); });
                             RestoreDC(dc, -1);
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kRed).Record(EMR_SAVEDC).Record(EMR_INTERSECTCLIPRECT, Ints({0, 0, 5, 5}));
        SolidBrush(emf, 2, gdi_test::kGreen)
            .Record(EMR_SETWORLDTRANSFORM, Floats({3, 0, 0, 3, 0, 0}))
            .Record(EMR_RESTOREDC, Ints({-1}))
            .Record(EMR_RECTANGLE, Ints({2, 2, 30, 30}));
        cases.push_back({"restoring brings back the clip, the brush and the transform", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kRed, [&] { Rectangle(dc, 2, 2, 30, 30); });
                         }});
    }
    {
        Emf emf(kFrame);
        SolidBrush(emf, 1, gdi_test::kBlue)
            .Record(EMR_BEGINPATH)
            .Record(EMR_POLYGON16, Points16({{3, 3}, {36, 8}, {12, 33}}))
            .Record(EMR_ENDPATH)
            .Record(EMR_FILLPATH, Ints({0, 0, 0, 0}));
        cases.push_back({"a path filled without its outline", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kBlue, [&] {
                                 const POINT p[] = {{3, 3}, {36, 8}, {12, 33}};
                                 Polygon(dc, p, 3);
                             });
                         }});
    }
    {
        // Region data: header of 32 bytes, then two rectangles.
        Bytes region = Ints({32, RDH_RECTANGLES, 2, 32, 0, 0, 40, 40, 2, 2, 12, 12, 20, 20, 38, 30});
        Emf emf(kFrame);
        emf.Record(EMR_EXTSELECTCLIPRGN, Ints({static_cast<int32_t>(region.data.size()), RGN_COPY}).append(region))
            .Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kGreen).Record(EMR_RECTANGLE, Ints({0, 0, 41, 41}));
        cases.push_back({"a clip region of two rectangles", emf.Make(), [](HDC dc) {
                             FillSolidRect(dc, 2, 2, 10, 10, gdi_test::kGreen);
                             FillSolidRect(dc, 20, 20, 18, 10, gdi_test::kGreen);
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SETMAPMODE, Ints({MM_ANISOTROPIC}))
            .Record(EMR_SETWINDOWEXTEX, Ints({100, 100}))
            .Record(EMR_SETVIEWPORTEXTEX, Ints({40, -40}))
            .Record(EMR_SETVIEWPORTORGEX, Ints({0, 40}))
            .Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kBlue).Record(EMR_RECTANGLE, Ints({0, 0, 50, 25}));
        cases.push_back({"window and viewport: a hundred units over 40 pixels, y upwards", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kBlue, [&] { Rectangle(dc, 0, 30, 20, 40); });
                         }});
    }
    {
        Emf emf(kFrame);
        emf.Record(EMR_SETMAPMODE, Ints({MM_ISOTROPIC}))
            .Record(EMR_SETWINDOWEXTEX, Ints({100, 50}))
            .Record(EMR_SETVIEWPORTEXTEX, Ints({40, 40}))
            .Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kGreen).Record(EMR_RECTANGLE, Ints({0, 0, 50, 50}));
        cases.push_back({"isotropic: the smaller scale both ways", emf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kGreen, [&] { Rectangle(dc, 0, 0, 20, 20); });
                         }});
    }
    {
        // Logical units 0 to 80 over the 40 pixels; then a window of 160.
        Wmf wmf(0, 0, 80, 80, 1440);
        wmf.Record(0x02FC, {BS_SOLID, Low(gdi_test::kRed), High(gdi_test::kRed), 0})  // brush in slot 0
            .Record(0x012D, {0})
            .Record(0x02FA, {PS_NULL, 0, 0, 0, 0})  // pen in slot 1
            .Record(0x012D, {1})
            .Record(0x041B, {40, 60, 20, 10})  // rectangle: bottom, right, top, left
            .Record(0x01F0, {0})                // the brush deleted, slot 0 free again
            .Record(0x02FC, {BS_SOLID, Low(gdi_test::kGreen), High(gdi_test::kGreen), 0})
            .Record(0x012D, {0})
            .Record(0x020C, {160, 160})  // window extent: y, x
            .Record(0x0418, {160, 160, 120, 120});  // ellipse
        cases.push_back({"a placeable metafile scaled by its box and its window", wmf.Make(), [](HDC dc) {
                             Filled(dc, gdi_test::kRed, [&] { Rectangle(dc, 5, 10, 30, 20); });
                             Filled(dc, gdi_test::kGreen, [&] { Ellipse(dc, 30, 30, 40, 40); });
                         }});
    }
    {
        // At one logical unit a pixel: a font, text, and a DIB stretched.
        Wmf wmf(0, 0, kSide, kSide, 1440);
        wmf.Record(0x02FB, {-14, 0, 0, 0, 400, 0, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l'})
            .Record(0x012D, {0})
            .Record(0x0209, {Low(gdi_test::kRed), High(gdi_test::kRed)})  // text colour
            .Record(0x0102, {TRANSPARENT})
            .Record(0x0521, {2, 'H' | ('i' << 8), 5, 3})  // text "Hi" at y 5, x 3
            .Record(0x0F43, {0x0020, 0x00CC, 0, 1, 2, 0, 0, 8, 16, 24, 4},  // SRCCOPY onto (4, 24, 16, 8)
                    DibHeader(2, 1).append(DibRows(2, {{gdi_test::kGreen, gdi_test::kBlue}})));
        cases.push_back({"a placeable metafile's text and DIB", wmf.Make(), [](HDC dc) {
                             HFONT font = CreateFontA(-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
                             HGDIOBJ old = SelectObject(dc, font);
                             SetTextColor(dc, gdi_test::kRed);
                             SetBkMode(dc, TRANSPARENT);
                             TextOutA(dc, 3, 5, "Hi", 2);
                             SelectObject(dc, old);
                             DeleteObject(font);
                             FillSolidRect(dc, 4, 24, 8, 8, gdi_test::kGreen);
                             FillSolidRect(dc, 12, 24, 8, 8, gdi_test::kBlue);
                         }});
    }
    return cases;
}

}  // namespace

TEST(MetafilePlayer, RecordsDrawWhatTheDrawingCallsDraw) {
    DeleteDC(CreateCompatibleDC(nullptr));  // the stock objects exist from here on
    const size_t handles = trelwin::gdi::live_object_count();
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Canvas played(kSide, kSide), direct(kSide, kSide);
        HGDIOBJ brush = GetCurrentObject(played.dc(), OBJ_BRUSH);
        HGDIOBJ pen = GetCurrentObject(played.dc(), OBJ_PEN);
        std::string error;
        ASSERT_TRUE(trelwin::gdi::play_metafile(played.dc(), RECT{0, 0, kSide, kSide}, c.metafile.data(),
                                                c.metafile.size(), &error))
            << error;
        c.direct(direct.dc());
        EXPECT_EQ(FirstDifference(played, direct), "");
        EXPECT_LT(direct.count(gdi_test::kWhite), kSide * kSide);  // the case draws something
        // The DC is as it was.
        EXPECT_EQ(GetCurrentObject(played.dc(), OBJ_BRUSH), brush);
        EXPECT_EQ(GetCurrentObject(played.dc(), OBJ_PEN), pen);
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetClipRgn(played.dc(), clip), 0);
        DeleteObject(clip);
        EXPECT_EQ(GetTextColor(played.dc()), RGB(0, 0, 0));
    }
    EXPECT_EQ(trelwin::gdi::live_object_count(), handles);
}

// Damaged and hostile files: each ends with an error, or skips what is out
// of bounds and plays the rest, and leaves no object behind.
TEST(MetafilePlayer, DamagedAndHostileFilesEndCleanly) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool played;
        int side = kSide;
    };
    const std::vector<uint8_t> good = [] {
        Emf emf(kFrame);
        SolidBrush(emf, 1, gdi_test::kRed).Record(EMR_RECTANGLE, Ints({0, 0, 10, 10}));
        return emf.Make();
    }();
    std::vector<uint8_t> cut(good.begin(), good.end() - 20);  // no end record
    std::vector<uint8_t> overlong = good;
    overlong[88 + 4] = 0xF0;  // the first record's size past the end
    std::vector<uint8_t> unaligned = good;
    unaligned[88 + 4] = 0x1A;
    Emf huge_count(kFrame);
    huge_count.Record(EMR_POLYGON16, Ints({0, 0, 0, 0, 0x40000000, 1, 2}))
        .Record(EMR_POLYPOLYGON16, Ints({0, 0, 0, 0, 0x10000000, 0x7FFFFFFF, 3}))
        .Record(EMR_EXTTEXTOUTW, Ints({0, 0, 0, 0, 1, 0, 0, 5, 5, 0x7FFFFFFF, 8, 0, 0, 0, 0, 0, 0}));
    Emf bad_objects(kFrame, {1000, 1000}, {100, 100}, 4);
    bad_objects.Record(EMR_CREATEBRUSHINDIRECT, Ints({4, BS_SOLID, 0, 0}))
        .Record(EMR_CREATEBRUSHINDIRECT, Ints({-1, BS_SOLID, 0, 0}))
        .Record(EMR_SELECTOBJECT, Ints({70000}))
        .Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(0x80000000u | 9999)}))
        .Record(EMR_DELETEOBJECT, Ints({3}))
        .Record(EMR_RESTOREDC, Ints({-5}))
        .Record(EMR_RESTOREDC, Ints({7}))
        .Record(EMR_SETWORLDTRANSFORM, Floats({0, 0, 0, 0, 1, 1}))
        .Record(EMR_SETWINDOWEXTEX, Ints({0, 0}))
        .Record(EMR_STRETCHDIBITS, Ints({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0x7FFFFFF0, 40, 80, 4, 0, 0xCC0020, 1, 1}));
    Emf saves(kFrame);
    for (int i = 0; i < 2000; ++i) saves.Record(EMR_SAVEDC);
    // Ellipses over the whole of a large picture, again and again.
    Emf floods(RECT{0, 0, 40960, 40960});
    for (int i = 0; i < 400; ++i) floods.Record(EMR_ELLIPSE, Ints({-10, -10, 4200, 4200}));
    Emf wide_pen(kFrame);
    wide_pen.Record(EMR_CREATEPEN, Ints({1, PS_SOLID, 100000, 0, 0}))
        .Record(EMR_SELECTOBJECT, Ints({1}))
        .Record(EMR_ELLIPSE, Ints({0, 0, 30, 30}));
    Emf fonts(kFrame);
    for (int i = 0; i < 1000; ++i) {
        const std::string face = "Face " + std::to_string(i);
        fonts.Font(1, -12, face.c_str()).Record(EMR_SELECTOBJECT, Ints({1})).Text(1, 1, "x");
    }
    std::vector<uint8_t> wmf_cut = Wmf(0, 0, 10, 10, 96).Record(0x041B, {1, 1, 0, 0}).Make();
    wmf_cut.resize(wmf_cut.size() - 6);
    std::vector<uint8_t> plain = Wmf(0, 0, 10, 10, 96).Make();
    const std::vector<uint8_t> placeable_only(plain.begin(), plain.begin() + 22);
    plain.erase(plain.begin(), plain.begin() + 22);
    const Case cases[] = {
        {"a good file", good, true},
        {"no end record", cut, false},
        {"a record longer than the file", overlong, false},
        {"a record size not a multiple of 4", unaligned, false},
        {"counts far beyond the records: skipped", huge_count.Make(), true},
        {"object indexes, levels and transforms out of range: skipped", bad_objects.Make(), true},
        {"2000 saves without a restore", saves.Make(), false},
        {"a picture painted over and over", floods.Make(), false, 4096},
        {"a thousand fonts", fonts.Make(), false},
        {"a placeable metafile cut inside its end record", wmf_cut, false},
        {"a metafile without the placeable header", plain, false},
        {"a placeable header alone", placeable_only, false},
        {"a pen 100000 pixels wide: drawn no wider than the picture", wide_pen.Make(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(c.side, c.side);
        const size_t handles = trelwin::gdi::live_object_count();
        std::string error;
        const bool played = trelwin::gdi::play_metafile(canvas.dc(), RECT{0, 0, c.side, c.side}, c.bytes.data(),
                                                        c.bytes.size(), &error);
        EXPECT_EQ(played, c.played) << error;
        EXPECT_EQ(error.empty(), c.played) << error;
        EXPECT_EQ(trelwin::gdi::live_object_count(), handles);
    }
}

// Pies, chords and region fills, judged by pixels known from the geometry:
// a quarter pie from the right round to the top fills the top-right
// quarter, a chord from the right to the left the upper half.
TEST(MetafilePlayer, PiesChordsAndRegionFillsCoverTheirParts) {
    struct Probe {
        int x, y;
        bool red;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> metafile;
        std::vector<Probe> probes;
        int least, most;  // red pixels
    };
    auto filled = [](uint32_t type, Bytes params) {
        Emf emf(kFrame);
        emf.Record(EMR_SELECTOBJECT, Ints({static_cast<int32_t>(kNullPen)}));
        SolidBrush(emf, 1, gdi_test::kRed).Record(type, params);
        return emf.Make();
    };
    Wmf wmf(0, 0, kSide, kSide, 1440);
    wmf.Record(0x02FC, {BS_SOLID, Low(gdi_test::kRed), High(gdi_test::kRed), 0})
        .Record(0x012D, {0})
        .Record(0x02FA, {PS_NULL, 0, 0, 0, 0})
        .Record(0x012D, {1})
        .Record(0x081A, {0, 20, 20, 40, 40, 40, 0, 0});  // pie: end, start, box, each y first
    Emf region(kFrame);
    region.Record(EMR_CREATEBRUSHINDIRECT, Ints({3, BS_SOLID, static_cast<int32_t>(gdi_test::kRed), 0}))
        .Record(EMR_FILLRGN, Ints({0, 0, 0, 0, 64, 3, 32, RDH_RECTANGLES, 2, 32, 0, 0, 40, 40, 0, 0, 10, 10, 30, 30,
                                    40, 35}));
    const std::vector<Probe> quarter = {{30, 10, true}, {10, 10, false}, {10, 30, false}, {30, 30, false}};
    const Case cases[] = {
        {"quarter pie", filled(EMR_PIE, Ints({0, 0, 40, 40, 40, 20, 20, 0})), quarter, 280, 340},
        {"half chord", filled(EMR_CHORD, Ints({0, 0, 40, 40, 40, 20, 0, 20})), {{20, 10, true}, {20, 30, false}}, 590,
         660},
        {"quarter pie of a placeable metafile", wmf.Make(), quarter, 280, 340},
        {"a region filled with a brush of the table", region.Make(), {{5, 5, true}, {35, 32, true}, {20, 20, false}},
         150, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(kSide, kSide);
        std::string error;
        ASSERT_TRUE(trelwin::gdi::play_metafile(canvas.dc(), RECT{0, 0, kSide, kSide}, c.metafile.data(),
                                                c.metafile.size(), &error))
            << error;
        for (const Probe& p : c.probes) EXPECT_EQ(canvas.at(p.x, p.y) == gdi_test::kRed, p.red) << p.x << ", " << p.y;
        EXPECT_GE(canvas.count(gdi_test::kRed), c.least);
        EXPECT_LE(canvas.count(gdi_test::kRed), c.most);
    }
}
