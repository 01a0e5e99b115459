// Text behaviour that the list, label, bitmap label and mark-up code rely
// on: justified pieces filling a line, DrawText's measuring rules, prefixes,
// tabs, multi-byte characters, monochrome targets and drawing from threads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/font_engine.h"

using gdi_test::Canvas;
using gdi_test::Selected;

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

HFONT make_font(const char* face, int height, BYTE quality = NONANTIALIASED_QUALITY) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = quality;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int extent(HDC dc, const std::string& text) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size));
    return size.cx;
}

TEXTMETRIC metrics(HDC dc) {
    TEXTMETRIC tm{};
    EXPECT_TRUE(GetTextMetrics(dc, &tm));
    return tm;
}

RECT calc(HDC dc, const std::string& text, UINT format, int width = 1000) {
    RECT r{10, 20, 10 + width, 20};
    DrawText(dc, text.c_str(), -1, &r, format | DT_CALCRECT);
    return r;
}

int count_spaces(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == ' ';
    return n;
}

}  // namespace

TEST(Justification, PiecesOfALineFillItExactly) {
    // The mark-up draws a justified line piece by piece, each time spreading
    // what is left of the extra space over the breaks that are left.
    Canvas c(400, 40);
    Selected font(c.dc(), make_font("Verdana", -13));
    const std::vector<std::string> pieces = {"one two ", "three ", "four five six"};
    std::string line;
    for (const auto& p : pieces) line += p;
    const int natural = extent(c.dc(), line);
    for (int extra : {1, 7, 11, 40}) {
        const int avail = natural + extra;
        int x = 0, remaining = natural, breaks = count_spaces(line);
        for (const std::string& piece : pieces) {
            SetTextJustification(c.dc(), 0, 0);
            const int w = extent(c.dc(), piece);
            SetTextJustification(c.dc(), (avail - x) - remaining, breaks);
            remaining -= w;
            const int justified = extent(c.dc(), piece);
            EXPECT_GE(justified, w);
            x += justified;
            breaks -= count_spaces(piece);
        }
        EXPECT_EQ(x, avail) << "extra " << extra;
    }
    // No breaks: nothing is spread, and the extents are the natural ones.
    SetTextJustification(c.dc(), 20, 0);
    EXPECT_EQ(extent(c.dc(), line), natural);
    SetTextJustification(c.dc(), 0, 0);
}

TEST(Justification, DrawnTextMovesLikeItsExtent) {
    Canvas c(300, 30);
    Selected font(c.dc(), make_font("Arial", -13));
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(0, 0, 255));
    SetTextJustification(c.dc(), 9, 2);
    const int width = extent(c.dc(), "a b c");
    TextOut(c.dc(), 5, 5, "a b c", 5);
    SetTextJustification(c.dc(), 0, 0);
    // The opaque cell covers exactly the justified width.
    EXPECT_EQ(c.count(RGB(0, 0, 255), 0, 5, 300, 6) + c.count(kBlack, 0, 5, 300, 6), width);
    EXPECT_EQ(c.at(5 + width, 5), kWhite);
    EXPECT_NE(c.at(5 + width - 1, 5), kWhite);
}

TEST(DrawTextRules, LabelMeasuring) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("MS Sans Serif", -11));
    const TEXTMETRIC tm = metrics(c.dc());
    // An empty label is one empty line high and has no width.
    RECT r = calc(c.dc(), "", 0);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.bottom - r.top, tm.tmHeight);
    // Lines at line feeds: the widest one sets the width; left and top stay.
    r = calc(c.dc(), "Line one\nA longer second line\r\nend", 0);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, extent(c.dc(), "A longer second line"));
    EXPECT_EQ(r.bottom - r.top, 3 * tm.tmHeight);
    RECT again{0, 0, 0, 0};
    EXPECT_EQ(DrawText(c.dc(), "Line one\nA longer second line\r\nend", -1, &again, DT_CALCRECT), 3 * tm.tmHeight);
    // A single line ignores the line feeds.
    r = calc(c.dc(), "ab\ncd", DT_SINGLELINE);
    EXPECT_EQ(r.bottom - r.top, tm.tmHeight);
    EXPECT_EQ(r.right - r.left, extent(c.dc(), "abcd"));
}

TEST(DrawTextRules, WordBreakKeepsLinesInsideTheWidth) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("Arial", -12));
    const std::string text = "Double-click to add or remove a column. The layout is saved when the list closes.";
    const int width = 120;
    RECT r = calc(c.dc(), text, DT_WORDBREAK, width);
    EXPECT_LE(r.right - r.left, width);
    const int lines = (r.bottom - r.top) / metrics(c.dc()).tmHeight;
    EXPECT_GE(lines, extent(c.dc(), text) / width);
    EXPECT_LE(lines, extent(c.dc(), text) / width + 3);
    // A word wider than the rectangle gets a line of its own, unbroken.
    r = calc(c.dc(), "a Unbreakablewordthatistoolong b", DT_WORDBREAK, 40);
    EXPECT_EQ(r.right - r.left, extent(c.dc(), "Unbreakablewordthatistoolong"));
    EXPECT_EQ(r.bottom - r.top, 3 * metrics(c.dc()).tmHeight);
}

TEST(DrawTextRules, EllipsesFitTheWidth) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("MS Sans Serif", -11));
    const std::string text = "192.168.100.200 - a device with a long name";
    for (UINT flag : {UINT(DT_END_ELLIPSIS), UINT(DT_WORD_ELLIPSIS)}) {
        for (int width : {20, 45, 90, 150}) {
            RECT r = calc(c.dc(), text, DT_SINGLELINE | flag, width);
            EXPECT_LE(r.right - r.left, std::max(width, extent(c.dc(), "...")));
            EXPECT_GT(r.right - r.left, width - extent(c.dc(), "W..."));
        }
    }
    // A path keeps its file name and loses the middle.
    const std::string path = "C:\\Program Files\\Updates\\firmware\\image.bin";
    for (int width : {90, 120, 160}) {
        RECT r = calc(c.dc(), path, DT_SINGLELINE | DT_PATH_ELLIPSIS, width);
        EXPECT_LE(r.right - r.left, width);
        EXPECT_GT(r.right - r.left, width - extent(c.dc(), "W..."));
    }
    // The bitmap label: centred, word ellipsis, no single-line flag.
    Canvas label(100, 25);
    Selected label_font(label.dc(), make_font("MS Sans Serif", -11));
    SetBkMode(label.dc(), TRANSPARENT);
    RECT band{2, 2, 98, 23};
    DrawText(label.dc(), text.c_str(), -1, &band, DT_CENTER | DT_WORD_ELLIPSIS);
    RECT measured = band;
    DrawText(label.dc(), text.c_str(), -1, &measured, DT_CENTER | DT_WORD_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(measured.right - measured.left, 96);
    EXPECT_EQ(label.count(kBlack, 0, 0, 2, 25), 0);
    EXPECT_EQ(label.count(kBlack, 98, 0, 100, 25), 0);
    EXPECT_GT(label.count(kBlack), 0);
    // Text that fits is left as it is.
    RECT fits = calc(c.dc(), "short", DT_SINGLELINE | DT_END_ELLIPSIS, 200);
    EXPECT_EQ(fits.right - fits.left, extent(c.dc(), "short"));
}

TEST(DrawTextRules, VerticalPlacementAndReturnValues) {
    Canvas c(100, 60);
    Selected font(c.dc(), make_font("Arial", -12));
    const int h = metrics(c.dc()).tmHeight;
    RECT r{0, 10, 100, 50};
    EXPECT_EQ(DrawText(c.dc(), "Mid", -1, &r, DT_SINGLELINE | DT_VCENTER), (40 - h) / 2 + h);
    EXPECT_EQ(DrawText(c.dc(), "Low", -1, &r, DT_SINGLELINE | DT_BOTTOM), 40);
    EXPECT_EQ(DrawText(c.dc(), "Top", -1, &r, DT_SINGLELINE), h);
    // Without a single line the vertical flags do nothing.
    c.clear(kWhite);
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(0, 255, 0));
    EXPECT_EQ(DrawText(c.dc(), "Top", -1, &r, DT_VCENTER), h);
    EXPECT_EQ(c.at(0, 10), RGB(0, 255, 0));
}

TEST(DrawTextRules, PrefixesTabsAndClipping) {
    Canvas c(200, 40);
    Selected font(c.dc(), make_font("Arial", -13));
    const TEXTMETRIC tm = metrics(c.dc());
    EXPECT_EQ(calc(c.dc(), "&File", DT_SINGLELINE).right - 10, extent(c.dc(), "File"));
    EXPECT_EQ(calc(c.dc(), "A && B", DT_SINGLELINE).right - 10, extent(c.dc(), "A & B"));
    EXPECT_EQ(calc(c.dc(), "&File", DT_SINGLELINE | DT_NOPREFIX).right - 10, extent(c.dc(), "&File"));
    // Tabs stop every eight average characters.
    EXPECT_EQ(calc(c.dc(), "a\tb", DT_SINGLELINE | DT_EXPANDTABS).right - 10,
              8 * tm.tmAveCharWidth + extent(c.dc(), "b"));

    // The mnemonic's underline spans the prefixed character only.
    SetBkMode(c.dc(), TRANSPARENT);
    RECT r{0, 0, 200, 40};
    DrawText(c.dc(), "E&xit", -1, &r, DT_SINGLELINE);
    const int x0 = extent(c.dc(), "E"), x1 = x0 + extent(c.dc(), "x");
    int underline_row = -1;
    for (int y = tm.tmAscent; y < tm.tmHeight && underline_row < 0; ++y) {
        if (c.count(kBlack, x0, y, x1, y + 1) == x1 - x0) underline_row = y;
    }
    ASSERT_GE(underline_row, 0);
    EXPECT_EQ(c.count(kBlack, 0, underline_row, x0, underline_row + 1), 0);
    EXPECT_EQ(c.count(kBlack, x1, underline_row, 200, underline_row + 1), 0);

    // Clipped to the rectangle unless DT_NOCLIP says otherwise.
    c.clear(kWhite);
    RECT narrow{0, 0, 12, 40};
    DrawText(c.dc(), "WWWW", -1, &narrow, DT_SINGLELINE);
    EXPECT_EQ(c.count(kBlack, 12, 0, 200, 40), 0);
    DrawText(c.dc(), "WWWW", -1, &narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(c.count(kBlack, 12, 0, 200, 40), 0);
}

TEST(MultiByteText, ExtentsCountBytesAndNeverSplitACharacter) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("Arial", -13));
    const std::string text = "a\xC3\xA9z";  // a, e acute in UTF-8, z
    int fit = -1;
    int dx[4] = {};
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointA(c.dc(), text.c_str(), 4, 1000, &fit, dx, &size));
    EXPECT_EQ(fit, 4);
    EXPECT_EQ(dx[1], dx[2]);
    EXPECT_EQ(dx[3], size.cx);
    // Room for "a" and part of the accented letter fits "a" only.
    ASSERT_TRUE(GetTextExtentExPointA(c.dc(), text.c_str(), 4, dx[2] - 1, &fit, nullptr, &size));
    EXPECT_EQ(fit, 1);
    // The same letter as a Windows-1252 byte has the same width.
    EXPECT_EQ(extent(c.dc(), "a\xE9z"), extent(c.dc(), text));
}

TEST(TextOutRules, CurrentPositionMovesBothWays) {
    Canvas c(200, 30);
    Selected font(c.dc(), make_font("Arial", -12));
    const int w = extent(c.dc(), "abc");
    MoveToEx(c.dc(), 100, 5, nullptr);
    SetTextAlign(c.dc(), TA_UPDATECP | TA_RIGHT);
    TextOut(c.dc(), 0, 0, "abc", 3);
    POINT p{};
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 100 - w);
    SetTextAlign(c.dc(), TA_UPDATECP);
    TextOut(c.dc(), 0, 0, "abc", 3);
    TextOut(c.dc(), 0, 0, "abc", 3);
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 100 + w);
    EXPECT_EQ(p.y, 5);
}

TEST(TextTargets, MonochromeBitmapsTakeText) {
    for (BYTE quality : {BYTE(NONANTIALIASED_QUALITY), BYTE(DEFAULT_QUALITY)}) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP mono = CreateBitmap(60, 20, 1, 1, nullptr);
        HGDIOBJ old_bitmap = SelectObject(dc, mono);
        RECT all{0, 0, 60, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HFONT font = make_font("Arial", -14, quality);
        HGDIOBJ old_font = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kBlack);
        TextOut(dc, 2, 2, "Wide", 4);
        int ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x) {
                const COLORREF p = GetPixel(dc, x, y);
                EXPECT_TRUE(p == kBlack || p == kWhite);
                ink += p == kBlack;
            }
        EXPECT_GT(ink, 20) << int(quality);
        SelectObject(dc, old_font);
        DeleteObject(font);
        SelectObject(dc, old_bitmap);
        DeleteObject(mono);
        DeleteDC(dc);
    }
}

TEST(TextThreads, ConcurrentDrawingMatchesDrawingAlone) {
    const char* faces[] = {"Verdana", "Courier New", "Times New Roman"};
    auto draw = [&](Canvas& canvas, int size) {
        for (int i = 0; i < 3; ++i) {
            HFONT font = make_font(faces[i], -size - i, DEFAULT_QUALITY);
            HGDIOBJ old = SelectObject(canvas.dc(), font);
            SetBkMode(canvas.dc(), TRANSPARENT);
            TextOut(canvas.dc(), 2, 2 + 20 * i, "Firmware 1.2.3 \xE2\x9C\x93 caf\xE9", -1);
            SelectObject(canvas.dc(), old);
            DeleteObject(font);
        }
    };
    constexpr int kThreads = 4;
    // Each thread uses fresh sizes first, so glyphs are made concurrently.
    std::vector<std::unique_ptr<Canvas>> canvases;
    for (int t = 0; t < kThreads; ++t) canvases.push_back(std::make_unique<Canvas>(200, 70));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) draw(*canvases[t], 17 + round % 2);
        });
    }
    for (auto& t : threads) t.join();
    Canvas alone(200, 70);
    for (int round = 0; round < 5; ++round) draw(alone, 17 + round % 2);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(std::memcmp(canvases[t]->bits(), alone.bits(), 200 * 70 * 4), 0) << t;
    }
}

TEST(FontChoice, SerifNamesUseTheMetricCompatibleSerif) {
    LOGFONT lf{};
    lf.lfHeight = -12;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    EXPECT_EQ(trelwin::gdi::realise_font(lf)->family(), "Liberation Serif");
}

// Metrics must not depend on what else a machine has installed: a face name
// that maps to nothing should land on the default sans, not on whatever
// fontconfig's own configuration prefers there.
TEST(FontChoice, UnknownNamesUseTheDefaultSans) {
    LOGFONT lf{};
    lf.lfHeight = -12;
    std::strcpy(lf.lfFaceName, "No Such Face Anywhere");
    EXPECT_EQ(trelwin::gdi::realise_font(lf)->family(), "Liberation Sans");
}

// A path ellipsis replaces characters in the middle so that the text fits,
// also when there is no separator to keep a file name after.
TEST(DrawTextRules, PathEllipsisWithoutSeparatorsStillFits) {
    Canvas c(10, 10);
    Selected font(c.dc(), make_font("MS Sans Serif", -11));
    RECT r = calc(c.dc(), "192.168.100.200 - a device with a long name", DT_SINGLELINE | DT_PATH_ELLIPSIS, 90);
    EXPECT_LE(r.right - r.left, 90);
}
