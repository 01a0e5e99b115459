// Layout of the tip mark-up: sizes of the measuring pass, text drawn where
// a direct TextOut of the same font would draw it, wrapping, alignment and
// justification, inline objects, and text from devices shown literally.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "tests/platform/gdi/canvas.h"

using gdi_test::Canvas;

namespace {

const COLORREF kPaper = RGB(255, 255, 255);

// A font made directly, as the mark-up's body style asks for it: Verdana
// 10 pt at 96 dots per inch is 13 pixels.
struct DirectFont {
    explicit DirectFont(int weight = 400, int italic = 0, int height = 13, const char* face = "Verdana")
    {
        LOGFONTA lf{};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfItalic = static_cast<BYTE>(italic);
        lf.lfCharSet = DEFAULT_CHARSET;
        strcpy(lf.lfFaceName, face);
        font = CreateFontIndirectA(&lf);
    }
    ~DirectFont() { DeleteObject(font); }
    HFONT font;
};

SIZE Extent(HDC dc, HFONT font, const char* text)
{
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    SelectObject(dc, old);
    return size;
}

TEXTMETRICA Metrics(HDC dc, HFONT font)
{
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    return tm;
}

// The mark-up measured, then drawn at (0, 0) into the measured size (or the
// given width).
SIZE Render(CMarkupDrawer& drawer, Canvas& canvas, const char* text, int maxWidth = 0, int drawWidth = -1)
{
    drawer.SetMaxWidth(maxWidth);
    SIZE size{0, 0};
    drawer.PrepareOutput(canvas.dc(), text, &size);
    drawer.SetPrepareFlag(0);
    SIZE drawn{0, 0};
    const RECT rc{0, 0, drawWidth >= 0 ? drawWidth : size.cx, size.cy};
    drawer.DrawHtml(&drawn, &rc);
    return size;
}

void DrawText(Canvas& canvas, HFONT font, int x, int y, const char* text)
{
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), RGB(0, 0, 0));
    TextOutA(canvas.dc(), x, y, text, static_cast<int>(strlen(text)));
    SelectObject(canvas.dc(), old);
}

int DifferentPixels(const Canvas& a, const Canvas& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.raw(x, y) != b.raw(x, y);
    return n;
}

HBITMAP SolidBitmap(int width, int height, COLORREF colour)
{
    Canvas picture(width, height, colour);
    return static_cast<HBITMAP>(CopyImage(picture.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

std::string Handle(HGDIOBJ object)
{
    return std::to_string(reinterpret_cast<uintptr_t>(object));
}

// Styled runs land exactly where TextOut of the font that the tags ask for
// puts them: the style stack, the weight doubling and its cap, and unmatched
// closing tags that must be ignored.
TEST(MarkupLayout, StyledRunsDrawLikeTheirFont)
{
    struct Case {
        const char* markup;
        std::vector<std::pair<int, int>> fonts;  // weight, italic of each piece
        std::vector<const char*> pieces;
    };
    const Case cases[] = {
        {"plain", {{400, 0}}, {"plain"}},
        {"<b>bold</b>", {{800, 0}}, {"bold"}},
        {"<b><b>max</b></b>", {{900, 0}}, {"max"}},
        {"<b><b>x</b></b>y", {{900, 0}, {400, 0}}, {"x", "y"}},
        // The closing b is ignored; the closing i brings back the style from
        // before it opened, which is bold.
        {"<b>a<i>b</b>c</i>d", {{800, 0}, {800, 1}, {800, 1}, {800, 0}}, {"a", "b", "c", "d"}},
        {"<i><i>twice</i></i>", {{400, 0}}, {"twice"}},
        {"</b>no<u></b>", {{400, 0}}, {"no"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Canvas got(200, 30, kPaper), want(200, 30, kPaper);
        CMarkupDrawer drawer;
        Render(drawer, got, c.markup);
        // The pieces share one baseline: the largest ascent of the line's
        // fonts below its top.
        int ascent = 0;
        for (const auto& f : c.fonts) {
            DirectFont font(f.first, f.second);
            ascent = std::max(ascent, static_cast<int>(Metrics(want.dc(), font.font).tmAscent));
        }
        int x = 0;
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            DirectFont font(c.fonts[i].first, c.fonts[i].second);
            DrawText(want, font.font, x, ascent - Metrics(want.dc(), font.font).tmAscent, c.pieces[i]);
            x += Extent(want.dc(), font.font, c.pieces[i]).cx;
        }
        EXPECT_GT(got.count(RGB(0, 0, 0)), 0);
        EXPECT_EQ(DifferentPixels(got, want), 0);
    }
}

// The measured size: text extents of the body font, line breaks with their
// repeat counts, tabs, images and rules, the maximum width.
TEST(MarkupLayout, MeasuredSizes)
{
    Canvas canvas(10, 10);
    DirectFont body;
    const TEXTMETRICA tm = Metrics(canvas.dc(), body.font);
    const int line = tm.tmHeight;
    const int hello = Extent(canvas.dc(), body.font, "Hello").cx;
    HBITMAP wide = SolidBitmap(150, 10, RGB(0, 0, 255));
    HBITMAP strip = SolidBitmap(32, 16, RGB(0, 0, 255));
    HBITMAP narrow = SolidBitmap(40, 1, RGB(0, 0, 255));
    struct Case {
        std::string markup;
        int maxWidth;
        SIZE size;
    };
    const std::vector<Case> cases = {
        {"", 0, {0, 0}},
        {"Hello", 0, {hello + 1, line + 1}},
        {"Hello<br=3>Hello", 0, {hello + 1, 4 * line + 1}},
        {"Hello<br 3>Hello", 0, {hello + 1, 2 * line + 1}},
        {"Hello\r\nHello", 0, {hello + 1, 2 * line + 1}},
        // Too wide for the line, even an empty one: the line is broken
        // first, and the bitmap goes on the next.
        {"<bmp handle=" + Handle(wide) + ">", 100, {101, line + 11}},
        {"<bmp handle=" + Handle(wide) + ">", 0, {151, 11}},
        {"<bmp handle=" + Handle(strip) + " width=50%>", 0, {17, 17}},
        {"<bmp handle=" + Handle(strip) + " width=50% style=s>", 0, {21, 21}},
        {"<bmp handle=" + Handle(narrow) + " width=40 height=1><t>", 0, {65, 2}},
        {"<bmp handle=" + Handle(narrow) + " width=32 height=1><t>", 0, {65, 2}},
        // A rule of a percentage takes one pixel and widens the block by
        // its share of the widest line.
        {"<hr size=3>", 0, {3, 12}},
        {"<bmp handle=12345>", 0, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        CMarkupDrawer drawer;
        drawer.SetMaxWidth(c.maxWidth);
        SIZE size{-1, -1};
        drawer.PrepareOutput(canvas.dc(), c.markup.c_str(), &size);
        EXPECT_EQ(size.cx, c.size.cx);
        EXPECT_EQ(size.cy, c.size.cy);
    }
    DeleteObject(wide);
    DeleteObject(strip);
    DeleteObject(narrow);
}

// Words wrap at the maximum width, after the last word that fits; a word
// longer than a line is cut where it stops fitting; with no maximum width
// nothing wraps.
TEST(MarkupLayout, LinesWrapAtTheMaximumWidth)
{
    Canvas probe(10, 10);
    DirectFont body;
    const int line = Metrics(probe.dc(), body.font).tmHeight;
    const int oneTwo = Extent(probe.dc(), body.font, "one two").cx;
    struct Case {
        const char* markup;
        int maxWidth;
        std::vector<const char*> lines;
    };
    const Case cases[] = {
        {"one two three", oneTwo + 2, {"one two", "three"}},
        {"one two three", 0, {"one two three"}},
        {"one two three", oneTwo - 1, {"one", "two", "three"}},
        {"abcdefghijklmnopqrstuvwxyz", oneTwo, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Canvas got(300, 120, kPaper), want(300, 120, kPaper);
        CMarkupDrawer drawer;
        const SIZE size = Render(drawer, got, c.markup, c.maxWidth);
        if (c.lines.empty()) {
            // The long word is cut into lines that each fit, and all of its
            // letters are drawn.
            const auto& lines = drawer.GetLines();
            ASSERT_GE(lines.size(), 3u);
            int total = 0;
            for (size_t i = 0; i + 1 < lines.size(); ++i) {
                EXPECT_LE(lines[i].width, c.maxWidth);
                total += lines[i].width;
            }
            EXPECT_EQ(total, Extent(probe.dc(), body.font, c.markup).cx);
            continue;
        }
        for (size_t i = 0; i < c.lines.size(); ++i) DrawText(want, body.font, 0, static_cast<int>(i) * line, c.lines[i]);
        EXPECT_EQ(size.cy, static_cast<int>(c.lines.size()) * line + 1);
        EXPECT_EQ(DifferentPixels(got, want), 0);
    }
}

// Each line is placed by the alignment in force when its last piece was
// placed; centred and right-aligned lines that wrap are laid out like left
// ones (the drawing pass must not take an aligned line for a full one).
TEST(MarkupLayout, LinesAreAlignedByTheirOwnAlignment)
{
    Canvas probe(10, 10);
    DirectFont body;
    const int line = Metrics(probe.dc(), body.font).tmHeight;
    const int block = 200;
    auto w = [&](const char* text) { return Extent(probe.dc(), body.font, text).cx; };
    struct Piece {
        const char* text;
        int x;
        int line;
    };
    struct Case {
        const char* markup;
        int maxWidth;
        std::vector<Piece> pieces;
    };
    const std::vector<Case> cases = {
        {"<center>mid</center>", block, {{"mid", (block - w("mid")) / 2, 0}}},
        {"<right>end</right>", block, {{"end", block - w("end"), 0}}},
        {"left<br><right>end</right>", block, {{"left", 0, 0}, {"end", block - w("end"), 1}}},
        {"a<right>b</right>", block, {{"a", block - w("ab"), 0}, {"b", block - w("b"), 0}}},
        {"<right>a</right>b", block, {{"a", 0, 0}, {"b", w("a"), 0}}},
        {"<center>aaaa bbbb cccc</center>", w("aaaa bbbb") + 3,
         {{"aaaa bbbb", 1, 0}, {"cccc", (w("aaaa bbbb") + 3 - w("cccc")) / 2, 1}}},
        {"<right>abcdefghij</right>", w("abcde") + 1,
         {{"abcde", 1, 0}, {"fghij", w("abcde") + 1 - w("fghij"), 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Canvas got(300, 100, kPaper), want(300, 100, kPaper);
        CMarkupDrawer drawer;
        Render(drawer, got, c.markup, c.maxWidth, c.maxWidth);
        for (const Piece& p : c.pieces) DrawText(want, body.font, p.x, p.line * line, p.text);
        EXPECT_EQ(DifferentPixels(got, want), 0);
    }
}

// A justified paragraph: every wrapped line fills the block exactly (the
// link areas show each line's drawn extent); the last line keeps its
// natural width.
TEST(MarkupLayout, JustifiedLinesFillTheBlock)
{
    Canvas canvas(400, 200, kPaper);
    DirectFont body;
    const int block = 180;
    CMarkupDrawer drawer;
    Render(drawer, canvas,
           "<justify><a>The quick brown fox jumps over the lazy dog and keeps running far away.</a></justify>", block,
           block);
    std::vector<std::pair<int, int>> lines;  // left and right of each line
    for (const HotArea& area : drawer.GetHotAreas()) {
        if (lines.empty() || area.rect.left <= lines.back().first)
            lines.push_back({area.rect.left, area.rect.right});
        else
            lines.back().second = area.rect.right;
    }
    ASSERT_GE(lines.size(), 3u);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].first, 0);
        EXPECT_EQ(lines[i].second, block);
    }
    EXPECT_LT(lines.back().second, block - 10);
}

// Rules, strips and tabs: where they put the pen and what they draw.
TEST(MarkupLayout, InlineObjects)
{
    HBITMAP strip = SolidBitmap(64, 16, RGB(0, 0, 0));
    {
        // Each 16 x 16 frame of the strip painted in its own colour.
        Canvas frames(64, 16, RGB(0, 0, 0));
        const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
        for (int f = 0; f < 4; ++f)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) frames.put(16 * f + x, y, colours[f]);
        DeleteObject(strip);
        strip = static_cast<HBITMAP>(CopyImage(frames.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    struct Case {
        std::string markup;
        int width;
        COLORREF colour;
        int count;  // pixels of the colour drawn
    };
    // Rules: the pixels in the middle row of the rule, and how many rows.
    struct Rule {
        const char* markup;
        int width;
        int inRow;
        int rows;
    };
    const Rule rules[] = {
        {"<hr width=50% color=#ff0000>", 200, 100, 1},
        {"<hr width=25% color=#ff0000>", 120, 30, 1},
        {"<hr width=30 size=3 color=#ff0000>", 200, 30, 3},
        {"<hr width=30 size=0 color=#ff0000>", 200, 0, 0},
    };
    for (const Rule& r : rules) {
        SCOPED_TRACE(r.markup);
        Canvas canvas(220, 40, kPaper);
        CMarkupDrawer drawer;
        Render(drawer, canvas, r.markup, r.width, r.width);
        int rows = 0, widest = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            const int n = canvas.count(RGB(255, 0, 0), 0, y, canvas.width(), y + 1);
            rows += n > 0;
            widest = std::max(widest, n);
        }
        EXPECT_EQ(rows, r.rows);
        // A wide pen's round ends may add a pixel at each end.
        EXPECT_GE(widest, r.inRow);
        EXPECT_LE(widest, r.inRow + (r.rows > 1 ? 2 : 0));
    }
    const std::vector<Case> cases = {
        {"<ilst handle=" + Handle(strip) + " index=1>", 100, RGB(0, 255, 0), 256},
        {"<ilst handle=" + Handle(strip) + " index=3>", 100, RGB(255, 255, 0), 256},
        {"<ilst handle=" + Handle(strip) + " index=4>", 100, RGB(255, 0, 0), 0},
        {"<ilst handle=" + Handle(strip) + " index=2 width=50% height=50%>", 100, RGB(0, 0, 255), 64},
        {"<ilst handle=" + Handle(strip) + " cx=32>", 100, RGB(255, 0, 0), 0},
        {"<ilst handle=" + Handle(strip) + " cx=16 cy=8>", 100, RGB(255, 0, 0), 128},
        {"<ilst handle=" + Handle(strip) + " cx=16 cy=8 index=5>", 100, RGB(0, 255, 0), 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Canvas canvas(220, 40, kPaper);
        CMarkupDrawer drawer;
        Render(drawer, canvas, c.markup.c_str(), c.width, c.width);
        EXPECT_EQ(canvas.count(c.colour), c.count);
    }
    DeleteObject(strip);
}

// An image in a link draws with its hot style while the link is hovered.
// Its box has room for a shadow when either style casts one; drawn with a
// style that casts none, the image moves into that room instead.
TEST(MarkupLayout, ImagesInALinkDrawWithTheStyleOfTheMomentInTheRoomOfEitherShadow)
{
    HBITMAP red = SolidBitmap(10, 10, RGB(255, 0, 0));
    struct Case {
        const char* style;
        const char* hotStyle;
        bool hovered;
        int width;     // measured: the box and one pixel
        POINT corner;  // where the image's top-left pixel lands
        bool shadow;
    };
    const Case cases[] = {
        {"s", "x", false, 15, {0, 0}, true},
        {"s", "x", true, 15, {4, 4}, false},
        {"x", "s", false, 15, {4, 4}, false},
        {"x", "s", true, 15, {0, 0}, true},
        {"x", "x", true, 11, {0, 0}, false},
    };
    for (const Case& c : cases) {
        const std::string markup = "<a href=x><bmp handle=" + Handle(red) + " style=" + c.style +
                                   " hotstyle=" + c.hotStyle + "></a>";
        SCOPED_TRACE(markup + (c.hovered ? " hovered" : ""));
        Canvas canvas(40, 40, kPaper);
        CMarkupDrawer drawer;
        const SIZE size = Render(drawer, canvas, markup.c_str());
        EXPECT_EQ(size.cx, c.width);
        if (c.hovered) {
            drawer.OnSetCursor(POINT{5, 5});
            ASSERT_EQ(drawer.GetHoveredLink(), 0);
            canvas.clear(kPaper);
            SIZE drawn{0, 0};
            const RECT rc{0, 0, size.cx, size.cy};
            drawer.DrawHtml(&drawn, &rc);
        }
        EXPECT_EQ(canvas.count(RGB(255, 0, 0)), 100);
        EXPECT_EQ(canvas.count(RGB(255, 0, 0), c.corner.x, c.corner.y, c.corner.x + 10, c.corner.y + 10), 100);
        // The shadow darkens the paper below and right of the image.
        EXPECT_EQ(canvas.at(c.corner.x + 12, c.corner.y + 12) != kPaper, c.shadow);
    }
    DeleteObject(red);
}

// An animated strip shows the next frame after every third timer step and
// starts again after the last.
TEST(MarkupLayout, AnimatedStripStepsItsFrames)
{
    Canvas frames(48, 16, RGB(0, 0, 0));
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int f = 0; f < 3; ++f)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) frames.put(16 * f + x, y, colours[f]);
    HBITMAP strip = static_cast<HBITMAP>(CopyImage(frames.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const std::string markup = "<ilst handle=" + Handle(strip) + " speed=3>";
    CMarkupDrawer drawer;
    Canvas canvas(40, 40, kPaper);
    Render(drawer, canvas, markup.c_str());
    const int expected[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 0, 0};
    for (int step = 0; step < 11; ++step) {
        SCOPED_TRACE(step);
        if (step > 0) {
            EXPECT_EQ(drawer.OnTimer(), expected[step] != expected[step - 1]);
        }
        canvas.clear(kPaper);
        SIZE drawn{0, 0};
        const RECT rc{0, 0, 40, 40};
        drawer.DrawHtml(&drawn, &rc);
        EXPECT_EQ(canvas.at(8, 8), colours[expected[step]]);
    }
    DeleteObject(strip);
}

// Names and versions from devices go into tips escaped: whatever they hold
// is drawn as those very characters, with no tag, entity, link, table or
// image taking effect.
TEST(MarkupLayout, EscapedTextShowsLiterally)
{
    const char* const hostile[] = {
        "<a href=http://x/>click</a>",
        "<table><tr><td>cell",
        "<bmp file=/etc/shadow>",
        "&lt;b&gt;bold?",
        "&amp;lt;",
        "a<<b",
        "ends with &",
        "&<b>",
        "<",
        "<<table",
        "&euro;&pound;",
    };
    DirectFont body;
    for (const char* text : hostile) {
        SCOPED_TRACE(text);
        Canvas got(400, 30, kPaper), want(400, 30, kPaper);
        CMarkupDrawer drawer;
        const CString escaped = CMarkupDrawer::EscapeText(text);
        const SIZE size = Render(drawer, got, escaped);
        DrawText(want, body.font, 0, 0, text);
        EXPECT_EQ(size.cx, Extent(got.dc(), body.font, text).cx + 1);
        EXPECT_EQ(DifferentPixels(got, want), 0);
        EXPECT_TRUE(drawer.GetHotAreas().empty());
        EXPECT_TRUE(drawer.GetTables().empty());
    }
}

}  // namespace
