#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>
#include <cstring>
#include <string>

#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/font_engine.h"

using namespace gdi_test;

namespace {


HFONT make_font(const char* face, int height, int weight = FW_NORMAL, bool underline = false, bool strike = false) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strike;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // ink is exactly the text colour
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int extent(HDC dc, const char* text) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &size));
    return size.cx;
}

// Bounding box of pixels that are not white.
RECT ink(const Canvas& c) {
    RECT r{c.width(), c.height(), -1, -1};
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y) != kWhite) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

int rounded(double v) {
    return static_cast<int>(std::lround(v));
}

}  // namespace

TEST(Fonts, FaceNamesMapToInstalledFamilies) {
    using trelwin::gdi::realise_font;
    for (const char* face : {"MS Sans Serif", "Arial", "MS Shell Dlg", "Helvetica"}) {
        LOGFONT lf{};
        lf.lfHeight = -12;
        std::strcpy(lf.lfFaceName, face);
        EXPECT_EQ(realise_font(lf)->family(), "Liberation Sans") << face;
    }
    for (const char* face : {"Verdana", "Tahoma"}) {
        LOGFONT lf{};
        lf.lfHeight = -12;
        std::strcpy(lf.lfFaceName, face);
        EXPECT_EQ(realise_font(lf)->family(), "DejaVu Sans") << face;
    }
    for (const char* face : {"Courier", "Courier New"}) {
        LOGFONT lf{};
        lf.lfHeight = -12;
        std::strcpy(lf.lfFaceName, face);
        EXPECT_EQ(realise_font(lf)->family(), "Liberation Mono") << face;
    }
}

TEST(Fonts, CharacterAndCellHeights) {
    // Liberation Sans: 2048 units per em, Windows ascent 1854, descent 434, line gap 67.
    Canvas c(10, 10);
    {
        Selected font(c.dc(), make_font("Arial", -16));
        TEXTMETRIC tm{};
        ASSERT_TRUE(GetTextMetrics(c.dc(), &tm));
        EXPECT_EQ(tm.tmAscent, rounded(1854 * 16 / 2048.0));
        EXPECT_EQ(tm.tmDescent, rounded(434 * 16 / 2048.0));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 16);
        EXPECT_EQ(tm.tmExternalLeading, rounded(67 * 16 / 2048.0));
        EXPECT_EQ(tm.tmAveCharWidth, rounded(1187 * 16 / 2048.0));
        EXPECT_EQ(tm.tmWeight, FW_NORMAL);
        EXPECT_EQ(tm.tmPitchAndFamily & 1, 1);  // the bit means variable pitch
    }
    {
        // A positive height is the cell: em = 20 * 2048 / 2288 = 17.9 -> 18.
        Selected font(c.dc(), make_font("Arial", 20));
        TEXTMETRIC tm{};
        GetTextMetrics(c.dc(), &tm);
        const int em = rounded(20 * 2048 / 2288.0);
        EXPECT_EQ(tm.tmAscent, rounded(1854.0 * em / 2048));
        EXPECT_EQ(tm.tmDescent, rounded(434.0 * em / 2048));
        EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - em);
        char face[LF_FACESIZE];
        EXPECT_EQ(GetTextFaceA(c.dc(), sizeof(face), face), 5);
        EXPECT_STREQ(face, "Arial");
    }
}

TEST(Fonts, MonospaceAdvancesAreEqual) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("Courier New", -20));
    // Liberation Mono advances are 1229 / 2048 em.
    const int advance = rounded(1229 * 20 / 2048.0);
    EXPECT_EQ(extent(c.dc(), "iiii"), 4 * advance);
    EXPECT_EQ(extent(c.dc(), "WWWW"), 4 * advance);
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    EXPECT_EQ(tm.tmPitchAndFamily & 1, 0);
}

TEST(Extents, AddUpAndFollowExtraSpacing) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("Arial", -13));
    const int a = extent(c.dc(), "Hello"), b = extent(c.dc(), " world");
    EXPECT_GT(a, 0);
    EXPECT_EQ(extent(c.dc(), "Hello world"), a + b);
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    SIZE size{};
    GetTextExtentPoint32(c.dc(), "", 0, &size);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, tm.tmHeight);
    EXPECT_GT(extent(c.dc(), "WWW"), extent(c.dc(), "iii"));
    SetTextCharacterExtra(c.dc(), 2);
    EXPECT_EQ(extent(c.dc(), "Hello"), a + 10);
    SetTextCharacterExtra(c.dc(), 0);
    const int plain = extent(c.dc(), "a b c d");
    SetTextJustification(c.dc(), 7, 3);
    EXPECT_EQ(extent(c.dc(), "a b c d"), plain + 7);
    SetTextJustification(c.dc(), 0, 0);
    EXPECT_EQ(extent(c.dc(), "a b c d"), plain);
    int fit = 0;
    int widths[5] = {};
    GetTextExtentExPointA(c.dc(), "Hello", 5, extent(c.dc(), "Hel"), &fit, widths, &size);
    EXPECT_EQ(fit, 3);
    EXPECT_EQ(widths[4], a);
}

TEST(Extents, BoldIsWider) {
    Canvas c(10, 10);
    HFONT regular = make_font("Verdana", -16);
    HFONT bold = make_font("Verdana", -16, FW_BOLD);
    HGDIOBJ old = SelectObject(c.dc(), regular);
    const int r = extent(c.dc(), "Device list");
    SelectObject(c.dc(), bold);
    EXPECT_GT(extent(c.dc(), "Device list"), r);
    SelectObject(c.dc(), old);
    DeleteObject(regular);
    DeleteObject(bold);
}

TEST(Encoding, Utf8AndWindows1252DrawTheSameCharacters) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("Arial", -16));
    EXPECT_EQ(extent(c.dc(), "caf\xE9"), extent(c.dc(), "caf\xC3\xA9"));
    EXPECT_EQ(extent(c.dc(), "\x80"), extent(c.dc(), "\xE2\x82\xAC"));
    EXPECT_GT(extent(c.dc(), "\x80"), 0);
    Canvas a(60, 20), b(60, 20);
    Selected fa(a.dc(), make_font("Arial", -16));
    Selected fb(b.dc(), make_font("Arial", -16));
    TextOut(a.dc(), 0, 0, "\x93ol\xE9\x94", 5);
    TextOut(b.dc(), 0, 0, "\xE2\x80\x9Col\xC3\xA9\xE2\x80\x9D", 10);
    EXPECT_EQ(std::memcmp(a.bits(), b.bits(), 60 * 20 * 4), 0);
}

// A control character shows as a box with its code, of the width it is
// measured with by either path, growing with the font, and telling one
// code from another (the font's missing-glyph box would not).
TEST(Encoding, ControlCharactersShowTheirCodeAndAreMeasuredAsDrawn) {
    struct Case {
        int height;
        const char* text;
        UINT code;  // what GetCharWidth32 is asked for
    };
    const Case cases[] = {{-11, "\x1B", 0x1B}, {-13, "\x07", 0x07}, {-13, "\x7F", 0x7F},
                          {-13, "\x81", 0x81}, {-40, "\x1B", 0x1B}, {-13, "\xC2\x9B", 0x9B}};
    std::vector<std::vector<uint32_t>> drawn;
    int small_height = 0, large_height = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " " + std::to_string(c.code));
        Canvas canvas(80, 60);
        Selected font(canvas.dc(), make_font("MS Sans Serif", c.height));
        const int width = extent(canvas.dc(), c.text);
        int char_width = 0;
        ASSERT_TRUE(GetCharWidth32A(canvas.dc(), c.code, c.code, &char_width));
        if (c.code < 0x80) {
            EXPECT_EQ(char_width, width);
        }
        const std::string between = std::string("a") + c.text + "b";
        EXPECT_EQ(extent(canvas.dc(), between.c_str()), extent(canvas.dc(), "a") + width + extent(canvas.dc(), "b"));
        TextOut(canvas.dc(), 0, 0, c.text, static_cast<int>(std::strlen(c.text)));
        const RECT r = ink(canvas);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, width);
        EXPECT_GE(r.bottom - r.top, 9);
        (c.height == -40 ? large_height : small_height) = static_cast<int>(r.bottom - r.top);
        if (c.height == -13) drawn.emplace_back(canvas.bits(), canvas.bits() + 80 * 60);
    }
    EXPECT_GE(large_height, 2 * small_height - 1);
    for (size_t i = 0; i < drawn.size(); ++i)
        for (size_t j = i + 1; j < drawn.size(); ++j) EXPECT_NE(drawn[i], drawn[j]) << i << " " << j;
}

TEST(TextOut, PositionsByAlignment) {
    Canvas c(100, 60);
    Selected font(c.dc(), make_font("Arial", -20));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    SetBkMode(c.dc(), TRANSPARENT);
    const int w = extent(c.dc(), "H");
    TextOut(c.dc(), 10, 5, "H", 1);
    RECT r = ink(c);
    EXPECT_GE(r.left, 10);
    EXPECT_LE(r.right, 10 + w);
    EXPECT_GE(r.top, 5);
    EXPECT_EQ(r.bottom, 5 + tm.tmAscent);  // the H stands on the baseline
    c.clear(kWhite);
    SetTextAlign(c.dc(), TA_BASELINE | TA_RIGHT);
    TextOut(c.dc(), 50, 40, "H", 1);
    r = ink(c);
    EXPECT_EQ(r.bottom, 40);
    EXPECT_LE(r.right, 50);
    EXPECT_GE(r.left, 50 - w);
    c.clear(kWhite);
    SetTextAlign(c.dc(), TA_BOTTOM | TA_CENTER);
    TextOut(c.dc(), 50, 40, "H", 1);
    r = ink(c);
    EXPECT_EQ(r.bottom, 40 - tm.tmDescent);
    EXPECT_NEAR((r.left + r.right) / 2.0, 50, 2);
}

TEST(TextOut, OpaqueCellsAndTheCurrentPosition) {
    Canvas c(100, 40);
    Selected font(c.dc(), make_font("Arial", -16));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    SetBkColor(c.dc(), kRed);
    SetTextColor(c.dc(), kBlack);
    const int w = extent(c.dc(), "Ab");
    TextOut(c.dc(), 3, 2, "Ab", 2);
    const int black = c.count(kBlack);
    EXPECT_GT(black, 0);
    EXPECT_EQ(c.count(kRed) + black, w * tm.tmHeight);
    EXPECT_EQ(c.count(kRed, 3, 2, 3 + w, 2 + tm.tmHeight) + black, w * tm.tmHeight);
    SetTextAlign(c.dc(), TA_UPDATECP);
    MoveToEx(c.dc(), 0, 20, nullptr);
    TextOut(c.dc(), 99, 99, "Ab", 2);
    POINT p;
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, w);
    EXPECT_EQ(p.y, 20);
}

TEST(TextOut, UnderlineAndStrikeOutSpanTheText) {
    Canvas c(100, 40);
    Selected font(c.dc(), make_font("Arial", -20, FW_NORMAL, true, true));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    EXPECT_EQ(tm.tmUnderlined, 1);
    SetBkMode(c.dc(), TRANSPARENT);
    const int w = extent(c.dc(), "a a");
    TextOut(c.dc(), 0, 0, "a a", 3);
    // Underline: 142 units below the baseline, 150 thick; strike-out 530 above, 102 thick.
    const int under = tm.tmAscent + rounded(142 * 20 / 2048.0);
    EXPECT_EQ(c.count(kBlack, 0, under, 100, under + 1), w);
    const int strike = tm.tmAscent - rounded(530 * 20 / 2048.0);
    EXPECT_EQ(c.count(kBlack, 0, strike, 100, strike + 1), w);
}

TEST(ExtTextOut, OpaqueRectangleAndClipping) {
    Canvas c(60, 30);
    Selected font(c.dc(), make_font("Arial", -20));
    SetBkColor(c.dc(), kRed);
    SetBkMode(c.dc(), TRANSPARENT);
    RECT r{5, 5, 20, 25};
    ExtTextOut(c.dc(), 5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWW", 4, nullptr);
    const int inside = c.count(kRed, 5, 5, 20, 25) + c.count(kBlack, 5, 5, 20, 25);
    EXPECT_EQ(inside, 15 * 20);
    EXPECT_EQ(c.count(kBlack, 20, 0, 60, 30), 0);  // clipped at the rectangle
    EXPECT_GT(c.count(kBlack), 0);
    // Without text it only fills, as FillSolidRect relies on.
    c.clear(kWhite);
    ExtTextOut(c.dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    EXPECT_EQ(c.count(kRed), 300);
    // Explicit advances.
    c.clear(kWhite);
    const INT dx[3] = {20, 20, 20};
    ExtTextOut(c.dc(), 0, 0, 0, nullptr, "lll", 3, dx);
    RECT box = ink(c);
    EXPECT_GE(box.right, 40);
}

TEST(DrawText, CalcRectAndWordBreak) {
    Canvas c(200, 100);
    Selected font(c.dc(), make_font("Arial", -14));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    RECT r{10, 10, 10, 10};
    EXPECT_EQ(DrawText(c.dc(), "Firmware update", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(r.right, 10 + extent(c.dc(), "Firmware update"));
    EXPECT_EQ(r.bottom, 10 + tm.tmHeight);
    EXPECT_EQ(c.count(kWhite), 200 * 100);  // nothing drawn
    const int two = extent(c.dc(), "aaa bbb");
    RECT wrap{0, 0, two + 2, 0};
    EXPECT_EQ(DrawText(c.dc(), "aaa bbb ccc ddd e", -1, &wrap, DT_CALCRECT | DT_WORDBREAK), 3 * tm.tmHeight);
    EXPECT_EQ(wrap.right, two);
    RECT lines{0, 0, 100, 0};
    EXPECT_EQ(DrawText(c.dc(), "one\r\ntwo\nthree", -1, &lines, DT_CALCRECT), 3 * tm.tmHeight);
    RECT narrow{0, 0, 5, 0};
    EXPECT_EQ(DrawText(c.dc(), "unbreakable", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), tm.tmHeight);
    EXPECT_EQ(narrow.right, extent(c.dc(), "unbreakable"));
}

TEST(DrawText, AlignmentInTheRectangle) {
    Canvas c(200, 60);
    Selected font(c.dc(), make_font("Arial", -14));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    SetBkColor(c.dc(), kRed);  // opaque cells show where the text went
    const int w = extent(c.dc(), "Progress");
    RECT r{0, 0, 200, 60};
    DrawText(c.dc(), "Progress", -1, &r, DT_RIGHT | DT_TOP | DT_SINGLELINE);
    EXPECT_EQ(c.row(0, kRed).find('#'), static_cast<size_t>(200 - w));
    c.clear(kWhite);
    const int offset = DrawText(c.dc(), "Progress", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const int top = (60 - tm.tmHeight) / 2;
    EXPECT_EQ(offset, top + tm.tmHeight);
    EXPECT_EQ(c.count(kRed, 0, 0, 200, top), 0);
    EXPECT_EQ(c.row(top, kRed).find('#'), static_cast<size_t>((200 - w) / 2));
    c.clear(kWhite);
    EXPECT_EQ(DrawText(c.dc(), "Progress", -1, &r, DT_BOTTOM | DT_SINGLELINE), 60);
    EXPECT_EQ(c.count(kRed, 0, 0, 200, 60 - tm.tmHeight), 0);
}

TEST(DrawText, EllipsesShortenTheLine) {
    Canvas c(300, 40);
    Selected font(c.dc(), make_font("Arial", -14));
    char text[64] = "A rather long device name that does not fit";
    const int limit = extent(c.dc(), "A rather long");
    RECT r{0, 0, limit, 20};
    DrawText(c.dc(), text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT);
    const std::string shortened = text;
    ASSERT_GE(shortened.size(), 3u);
    EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
    EXPECT_EQ(std::string("A rather long device name").find(shortened.substr(0, shortened.size() - 3)), 0u);
    EXPECT_LE(extent(c.dc(), text), limit);
    EXPECT_GT(extent(c.dc(), (shortened.substr(0, shortened.size() - 3) + "x...").c_str()) + 0, 0);

    char path[96] = "C:\\Program Files\\Updates\\firmware\\image.bin";
    const int room = extent(c.dc(), "C:\\Pro...\\image.bin");
    RECT pr{0, 0, room, 20};
    DrawText(c.dc(), path, -1, &pr, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT);
    const std::string p = path;
    EXPECT_EQ(p.substr(p.size() - 10), "\\image.bin");
    EXPECT_NE(p.find("..."), std::string::npos);
    EXPECT_EQ(p.rfind("C:\\Pro", 0), 0u);
    EXPECT_LE(extent(c.dc(), path), room);

    char fits[32] = "short";
    RECT wide{0, 0, 300, 20};
    DrawText(c.dc(), fits, -1, &wide, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT);
    EXPECT_STREQ(fits, "short");
}

TEST(DrawText, PrefixesAndTabs) {
    Canvas c(200, 40);
    Selected font(c.dc(), make_font("Arial", -14));
    TEXTMETRIC tm{};
    GetTextMetrics(c.dc(), &tm);
    RECT r{0, 0, 200, 40};
    DrawText(c.dc(), "&Choose colums", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, extent(c.dc(), "Choose colums"));
    r = RECT{0, 0, 200, 40};
    DrawText(c.dc(), "A && B", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, extent(c.dc(), "A & B"));
    r = RECT{0, 0, 200, 40};
    DrawText(c.dc(), "A && B", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.right, extent(c.dc(), "A && B"));
    r = RECT{0, 0, 200, 40};
    DrawText(c.dc(), "a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + extent(c.dc(), "b"));
    // The prefixed character is underlined; hiding the prefix draws no line.
    SetBkMode(c.dc(), TRANSPARENT);
    r = RECT{0, 0, 200, 40};
    DrawText(c.dc(), "&Order by", -1, &r, DT_SINGLELINE | DT_PREFIXONLY);
    const int under = tm.tmAscent + rounded(142 * 14 / 2048.0);
    EXPECT_EQ(c.count(kBlack, 0, under, 200, under + 1), extent(c.dc(), "O"));
    EXPECT_EQ(c.count(kBlack), extent(c.dc(), "O") * std::max(1, rounded(150 * 14 / 2048.0)));
}

TEST(Threads, SeveralThreadsShareFontsAndGlyphs) {
    std::atomic<int> mismatches{0};
    Canvas reference(120, 20);
    {
        Selected f(reference.dc(), make_font("Tahoma", -13));
        TextOut(reference.dc(), 2, 2, "Thread 0123456789", 17);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                Canvas c(120, 20);
                Selected f(c.dc(), make_font("Tahoma", -13));
                TextOut(c.dc(), 2, 2, "Thread 0123456789", 17);
                if (std::memcmp(c.bits(), reference.bits(), 120 * 20 * 4) != 0) mismatches++;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}
