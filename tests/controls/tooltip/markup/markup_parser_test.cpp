// The parser of the mark-up: chunks and tags, attributes, the extents of
// tables, rows and cells, the attribute readers and the cutting of runs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/gdi/gdi.h"

namespace {

using Chunks = std::vector<std::pair<std::string, std::string>>;

// Every chunk of a text: (plain run, tag inside), as the layout walks it.
Chunks Tokenize(CMarkupDrawer& drawer, const CString& text)
{
    Chunks chunks;
    int pos = 0;
    for (int guard = 0; pos < text.GetLength() && guard < 1000; ++guard) {
        CString tag;
        const CString run = drawer.GetNextChunk(text, pos, tag);
        chunks.emplace_back(static_cast<const char*>(run), static_cast<const char*>(tag));
    }
    return chunks;
}

TEST(MarkupParser, ChunksEndAtEveryTagAndDoubledAngleBrackets)
{
    struct Case {
        const char* text;
        Chunks chunks;
    };
    const Case cases[] = {
        {"a<<b", {{"a<", ""}, {"b", ""}}},
        {"ab<", {{"ab<", ""}}},
        {"<>x", {{"", ""}, {">x", ""}}},
        {"x<b>y</b>", {{"x", "b"}, {"y", "/b"}}},
        {"a<b", {{"a", ""}, {"b", ""}}},
        {"<font color='red' size=3>T", {{"", "font color='red' size=3"}, {"T", ""}}},
        {"<a href=\"x>y\">", {{"", "a href=\"x"}, {"y\">", ""}}},
        {"<<<b>", {{"<", ""}, {"", "b"}}},
        {"plain", {{"plain", ""}}},
        {"<br><br>", {{"", "br"}, {"", "br"}}},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Tokenize(drawer, c.text), c.chunks);
    }
    // The escaped tag shows as text and opens nothing.
    drawer.SetMarkupText("&lt;b&gt;bold?");
    drawer.PrepareText();
    EXPECT_EQ(Tokenize(drawer, drawer.GetMarkupText()), (Chunks{{"<", ""}, {"b>bold?", ""}}));
    // A position past the end stays at the end.
    int pos = 99;
    CString tag;
    EXPECT_STREQ(drawer.GetNextChunk("abc", pos, tag), "");
    EXPECT_EQ(pos, 3);
}

TEST(MarkupParser, TagsSplitIntoNameAndAttributes)
{
    struct Case {
        const char* tag;
        const char* name;
        const char* attributes;
    };
    const Case cases[] = {
        {"font color='red' size=3", "font", "color='red' size=3"},
        {"br=3", "br", "=3"},
        {"br   3", "br", "3"},
        {"b", "b", ""},
        {"/b", "/b", ""},
        {"a=", "a", "="},
        {"", "", ""},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        CString tag = c.tag;
        EXPECT_STREQ(drawer.SplitTag(tag), c.attributes);
        EXPECT_STREQ(tag, c.name);
    }
}

TEST(MarkupParser, TheAttributeIteratorYieldsNamesAndUnquotedValues)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* attributes;
        Pairs pairs;
    };
    const Case cases[] = {
        {"color='red' size=3", {{"color", "red"}, {"size", "3"}}},
        {"a = b", {{"a", "b"}}},
        {"nowrap width=4", {{"nowrap", ""}, {"width", "4"}}},
        {"x=\"unterminated", {{"x", "unterminated"}}},
        {"href=\"a b\" msg='c \"d\"'", {{"href", "a b"}, {"msg", "c \"d\""}}},
        {"=3", {{"3", ""}}},
        {"A=B c==d", {{"A", "B"}, {"c", "d"}}},
        {"x=''", {{"x", ""}}},
        {"  \xE9\xE9 ", {}},
        {"", {}},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        Pairs pairs;
        int pos = 0;
        const CString text = c.attributes;
        for (int guard = 0; guard < 100; ++guard) {
            CString name;
            const int before = pos;
            const CString value = drawer.GetNextAttribute(text, pos, name);
            if (name.IsEmpty()) break;
            ASSERT_GT(pos, before);
            pairs.emplace_back(static_cast<const char*>(name), static_cast<const char*>(value));
        }
        EXPECT_EQ(pairs, c.pairs);
        EXPECT_LE(pos, text.GetLength());
    }
}

TEST(MarkupParser, FindTagSkipsLiteralAngleBracketsAndMatchesPrefixes)
{
    struct Case {
        const char* text;
        int from;
        const char* name;
        int found;  // -1: not found (the position is the end)
    };
    const Case cases[] = {
        {"<<table><table>", 0, "table", 8},
        {"ab<tablex>", 0, "table", 2},
        {"<table>", 1, "table", -1},
        {"<td><tr>", 0, "tr", 4},
        {"</tr><tr>", 0, "/tr", 0},
        {"", 0, "tr", -1},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int pos = c.from;
        const CString text = c.text;
        EXPECT_EQ(drawer.FindTag(text, pos, c.name), c.found >= 0);
        EXPECT_EQ(pos, c.found >= 0 ? c.found : text.GetLength());
    }
}

// The expected end is where the "</x" of the scanned element's own closing
// tag starts ('^' below the text), or the end of the text when it has none.
TEST(MarkupParser, ScannersFindTheirOwnClosingTagOrTheEnd)
{
    struct Case {
        const char* scanner;
        const char* text;
        const char* mark;  // '^' under the expected end; empty: the end of the text
    };
    const Case cases[] = {
        {"table", "<table><tr><td>x</td></tr></table>tail",
                  "                          ^"},
        {"table", "<table><tr><td><table>in</table></td></tr></table>",
                  "                                          ^"},
        {"table", "<table>abc", ""},
        {"table", "<table><table></table>", ""},
        {"table", "<table", ""},
        {"table", "<table></table></table>",
                  "       ^"},
        {"row", "<tr><td>a</td></tr><tr>",
                "              ^"},
        {"row", "<tr><td><table><tr><td>x</td></tr></table></td></tr>",
                "                                               ^"},
        {"row", "<tr><td>a", ""},
        {"row", "<tr><td><table><tr></tr>", ""},
        {"row", "<tr><tr></tr>", ""},
        {"row", "<tr>x</tr>",
                "     ^"},
        {"cell", "<td>a<table><tr><td>b</td></tr></table>c</td>",
                 "                                        ^"},
        {"cell", "<td>a<td>b</td>",
                 "          ^"},
        {"cell", "<td>x", ""},
        {"cell", "<td><table>", ""},
        {"cell", "<td", ""},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scanner) + ": " + c.text);
        const CString text = c.text;
        const std::string mark = c.mark;
        const int expected = mark.empty() ? text.GetLength() : static_cast<int>(mark.find('^'));
        int pos = 0;
        const std::string scanner = c.scanner;
        if (scanner == "table") drawer.FindTableEnd(text, pos);
        else if (scanner == "row") drawer.FindRowEnd(text, pos);
        else drawer.FindCellEnd(text, pos);
        EXPECT_EQ(pos, expected);
    }
}

TEST(MarkupParser, TableSizeCountsRowsAndSpannedColumns)
{
    struct Case {
        const char* text;
        int columns, rows;
    };
    const Case cases[] = {
        {"<table><tr><td>1</td><td>2</td><td>3</td></tr><tr><td colspan=2>4</td><td>5</td></tr></table>", 3, 2},
        {"<table><tr><td colspan=\"3\">1</td></tr><tr><td>2</td></tr></table>", 3, 2},
        {"<table><tr><td><table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table></td></tr></table>", 1, 1},
        {"<table><tr><td>1<td>2</tr></table>", 1, 1},
        {"<table><tr><td colspan=100000>x</td></tr></table>", MARKUP_MAX_TABLE_COLUMNS, 1},
        {"<table><tr><td colspan=0>x</td><td colspan=-4>y</td></tr></table>", 5, 1},
        {"<table><tr><td>x", 1, 1},
        {"<table><tr><tr><tr>", 0, 1},
        {"", 0, 0},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TableSize size = drawer.GetTableSize(c.text);
        EXPECT_EQ(size.columns, c.columns);
        EXPECT_EQ(size.rows, c.rows);
    }
    std::string many = "<table>";
    for (int i = 0; i < 1000; ++i) many += "<tr><td>x</td></tr>";
    EXPECT_EQ(drawer.GetTableSize(many.c_str()).rows, MARKUP_MAX_TABLE_ROWS);
}

TEST(MarkupParser, TableAttributesSetTheBoxAndClampItsSizes)
{
    struct Case {
        const char* attributes;
        bool table;
        int borderStyle, borderWidth, margin, padding, width, backEffect, columns, rows;
        const char* backImage;
    };
    const Case cases[] = {
        {"border=2", true, 1, 2, 2, 0, 0, -1, 1, 1, ""},
        {"border=2", false, 1, 1, 2, 0, 0, -1, 1, 1, ""},
        {"border=2 borderstyle=dashed", true, 2, 1, 2, 0, 0, -1, 1, 1, ""},
        {"borderstyle=double", true, 6, 1, 2, 0, 0, -1, 1, 1, ""},
        {"borderstyle=solid border=0", true, 0, 0, 2, 0, 0, -1, 1, 1, ""},
        {"border=0 borderstyle=solid", true, 1, 1, 2, 0, 0, -1, 1, 1, ""},
        {"border=99999", true, 1, MARKUP_MAX_BORDER_WIDTH, 2, 0, 0, -1, 1, 1, ""},
        {"cellpadding=5 cellspacing=3 background=idres:130", true, 0, 0, 5, 3, 0, -1, 1, 1, "idres:130"},
        {"cellpadding=5 cellspacing=3 background=idres:130", false, 0, 0, 2, 0, 0, -1, 1, 1, ""},
        {"bgcolor=red", false, 0, 0, 2, 0, 0, 0, 1, 1, ""},
        {"bgeffect=metal bgcolor=red", false, 0, 0, 2, 0, 0, 15, 1, 1, ""},
        {"width=100000 colspan=3 rowspan=2", false, 0, 0, 2, 0, MARKUP_MAX_LENGTH, -1, 3, 2, ""},
        {"colspan=0 rowspan=99999", false, 0, 0, 2, 0, 0, -1, 1, MARKUP_MAX_TABLE_ROWS, ""},
        {"COLSPAN=3", false, 0, 0, 2, 0, 0, -1, 1, 1, ""},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.attributes) + (c.table ? " (table)" : " (cell)"));
        StyleRecord style;
        const TableSpan span = drawer.ParseTableAttributes(c.attributes, style, c.table);
        EXPECT_EQ(style.borderStyle, c.borderStyle);
        EXPECT_EQ(style.borderWidth, c.borderWidth);
        EXPECT_EQ(style.margin, c.margin);
        EXPECT_EQ(style.padding, c.padding);
        EXPECT_EQ(style.width, c.width);
        EXPECT_EQ(style.backEffect, c.backEffect);
        EXPECT_EQ(span.columns, c.columns);
        EXPECT_EQ(span.rows, c.rows);
        EXPECT_STREQ(style.backImage, c.backImage);
    }
}

TEST(MarkupParser, ImageAttributesFillTheRecordWithinBounds)
{
    CMarkupDrawer drawer;
    ImageAttributes image;
    image.width = image.height = 100;
    drawer.ParseImageAttributes(
        "idres=130 width=50% height=20 mask=#ff00ff style=ds hotstyle=g cx=16 speed=3 index=2 file=a.bmp "
        "srcdll=x.dll handle=0x12345678abc unknown=1",
        image);
    EXPECT_EQ(image.idres, 130);
    EXPECT_EQ(image.width, 50);
    EXPECT_EQ(image.widthPercent, 1);
    EXPECT_EQ(image.height, 20);
    EXPECT_EQ(image.heightPercent, 0);
    EXPECT_EQ(image.useMask, 1);
    EXPECT_EQ(image.maskColor, RGB(255, 0, 255));
    EXPECT_EQ(image.style, 0x202);  // darker, blurred shadow (offsets 4, 4, blur on)
    EXPECT_EQ(image.hotStyle, 0x1);
    EXPECT_EQ(image.cx, 16);
    EXPECT_EQ(image.speed, 3);
    EXPECT_EQ(image.index, 2);
    EXPECT_STREQ(image.file, "a.bmp");
    EXPECT_STREQ(image.srcDll, "x.dll");
    EXPECT_EQ(image.handle, static_cast<UINT_PTR>(0x12345678abcULL));

    ImageAttributes hostile;
    hostile.width = 100;
    drawer.ParseImageAttributes(
        "idres=999999 iddll=-7 width=9999999% height=9999999 cx=70000 speed=99999999 index=-3 handle=-1", hostile);
    EXPECT_EQ(hostile.idres, 0xFFFF);
    EXPECT_EQ(hostile.iddll, 7);
    EXPECT_EQ(hostile.width, MARKUP_MAX_PERCENT);
    EXPECT_EQ(hostile.height, MARKUP_MAX_LENGTH);
    EXPECT_EQ(hostile.cx, MARKUP_MAX_LENGTH);
    EXPECT_EQ(hostile.speed, MARKUP_MAX_SPEED);
    EXPECT_EQ(hostile.index, 3);
}

TEST(MarkupParser, StyleLettersAndFontFlagLettersSetTheirFlags)
{
    struct Case {
        const char* letters;
        int image;                                            // ParseImageStyle
        int weight, italic, underline, strikeout, overline;   // ParseFontFlags on a plain style
    };
    const Case cases[] = {
        {"ds", 0x202, 400, 0, 0, 1, 0},
        {"gdl", 0x7, 400, 0, 0, 0, 0},
        {"b", 0, 700, 0, 0, 0, 0},
        {"-b", 0, 400, 0, 0, 0, 0},
        {"-bi", 0, 400, 1, 0, 0, 0},
        {"+u-o", 0, 400, 0, 1, 0, 0},
        {"--i", 0, 400, 0, 0, 0, 0},
        {"bius o", 0x200, 700, 1, 1, 1, 1},
        {"", 0, 400, 0, 0, 0, 0},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letters);
        EXPECT_EQ(drawer.ParseImageStyle(c.letters), c.image);
        StyleRecord style;
        CMarkupDrawer::ParseFontFlags(c.letters, style);
        EXPECT_EQ(style.fontWeight, c.weight);
        EXPECT_EQ(style.italic, c.italic);
        EXPECT_EQ(style.underline, c.underline);
        EXPECT_EQ(style.strikeout, c.strikeout);
        EXPECT_EQ(style.overline, c.overline);
    }
    StyleRecord style;
    style.overline = 1;
    CMarkupDrawer::ParseFontFlags("-o", style);
    EXPECT_EQ(style.overline, 0);
}

TEST(MarkupParser, RepeatCountsOfBreaksAndTabsStayWithinBounds)
{
    struct Case {
        const char* tag;
        int count;
    };
    const Case cases[] = {{"br=3", 3}, {"br 3", 1}, {"br 35", 5}, {"br", 1}, {"t=2", 2},
                          {"br=0", 1}, {"br=99999", MARKUP_MAX_COUNT}, {"br=x", 1}};
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        CString tag = c.tag;
        EXPECT_EQ(drawer.ParseRepeatCount(drawer.SplitTag(tag)), c.count);
    }
}

// Widths come from the drawer's own DC, measured here on their own.
TEST(MarkupParser, FitPieceCutsAfterTheLastBreakThatFits)
{
    CMarkupDrawer drawer;
    auto width = [&](const char* text) {
        SIZE size{};
        GetTextExtentPoint32A(drawer.GetMeasureDC(), text, static_cast<int>(strlen(text)), &size);
        return static_cast<int>(size.cx);
    };
    struct Case {
        const char* name;
        const char* run;
        int lineWidth, left;
        const char* piece;
        const char* rest;
    };
    const int first = width("first"), both = width("first second");
    const Case cases[] = {
        {"two words, the first fits", "first second", 1000, first + 2, "first", "second"},
        {"two words, both fit before the last break", "first second third", 1000, both + 2, "first second",
         "third"},
        {"a break character is kept", "well-known words", 1000, width("well-known") - 1, "well-", "known words"},
        {"nothing fits on a line that holds something", "first second", 1000, first - 1, "", "first second"},
        {"no break on an empty line is cut by bytes", "abcdefghij", width("abc") + 1, width("abc") + 1, "abc",
         "defghij"},
        {"one byte at least on an empty line", "wide", 1, 1, "w", "ide"},
        {"a run that fits on an empty line", "abc", width("abc"), width("abc"), "abc", ""},
        {"spaces before the rest go", "ab    cd", 1000, width("ab"), "ab", "cd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString run = c.run;
        int w = c.left;
        const CString piece = drawer.FitPiece(run, c.lineWidth, w);
        EXPECT_STREQ(piece, c.piece);
        EXPECT_STREQ(run, c.rest);
        EXPECT_EQ(w, width(c.piece));
    }
    // On an empty line every call takes something, so cutting ends.
    CString run = "a-b-c d.e,f!g:h;i)j}k]l?m nopqrstuvwxyz";
    int calls = 0;
    while (!run.IsEmpty() && calls < 100) {
        int w = 3;
        const int before = run.GetLength();
        drawer.FitPiece(run, 3, w);
        ASSERT_LT(run.GetLength(), before);
        ++calls;
    }
    EXPECT_TRUE(run.IsEmpty());
}

}  // namespace
