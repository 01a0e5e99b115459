// The vocabulary and style model of the mark-up: tags, entities, colour
// names, the style sheet and its declarations, the value readers and the
// style stack.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/gdi/gdi.h"

namespace {

TEST(MarkupVocabulary, TagsAreFoundByExactNameThenLowerCased)
{
    struct Case {
        const char* tag;
        int id;
        const char* styleName;
        int closing;
    };
    const Case cases[] = {
        {"b", 1, "bold", 0},       {"B", 1, "bold", 0},         {"/font", 5, "font", 1},
        {"/FONT", 5, "font", 1},   {"bottom", 16, "bottom", 0}, {"middle", 15, "vcenter", 0},
        {"p", 0, "", 0},           {"/p", 0, "", 1},            {"\n", 7, "", 0},
        {"\t", 8, "", 0},          {"H6", 21, "h6", 0},         {"a", 23, "link", 0},
        {"ilst", 19, "", 0},       {"em", 2, "italic", 0},      {"strike", 4, "strikeout", 0},
        {"", 0, "", 0},            {"/", 0, "", 1},             {"table", 0, "", 0},
        {"b ", 0, "", 0},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        CString styleName = "stale";
        int closing = -1;
        EXPECT_EQ(drawer.GetTagId(c.tag, styleName, closing), c.id);
        EXPECT_STREQ(styleName, c.styleName);
        EXPECT_EQ(closing, c.closing);
    }
}

// Values as the web's colour list writes them (#RRGGBB), read here as
// COLORREF 0x00BBGGRR.
TEST(MarkupVocabulary, ColourNamesAreTheWebsNamedColoursComparedExactly)
{
    struct Case {
        const char* name;
        COLORREF expected;
    };
    const Case cases[] = {
        {"aliceblue", RGB(0xF0, 0xF8, 0xFF)},      {"cornflowerblue", RGB(0x64, 0x95, 0xED)},
        {"darkseagreen", RGB(0x8F, 0xBC, 0x8B)},   {"lightgoldenrodyellow", RGB(0xFA, 0xFA, 0xD2)},
        {"rebeccapurple", RGB(1, 2, 3)},           {"gray", RGB(0x80, 0x80, 0x80)},
        {"grey", RGB(1, 2, 3)},                    {"lightgrey", RGB(0xD3, 0xD3, 0xD3)},
        {"lightgray", RGB(1, 2, 3)},               {"Red", RGB(1, 2, 3)},
        {"red", RGB(0xFF, 0, 0)},                  {"yellowgreen", RGB(0x9A, 0xCD, 0x32)},
        {"mediumspringgreen", RGB(0x00, 0xFA, 0x9A)}, {"papayawhip", RGB(0xFF, 0xEF, 0xD5)},
        {"infobackground", GetSysColor(COLOR_INFOBK)}, {"threedlightshadow", GetSysColor(COLOR_3DLIGHT)},
        {"windowtext", GetSysColor(COLOR_WINDOWTEXT)}, {"", RGB(1, 2, 3)},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(drawer.GetColorByName(c.name, RGB(1, 2, 3)), c.expected);
    }
}

// Entities are replaced one after the other in the table's order over the
// whole text, so an escaped ampersand before "lt;" still makes a "<".
TEST(MarkupVocabulary, PrepareTextReplacesEntitiesAndLineEnds)
{
    struct Case {
        const char* text;
        const char* prepared;
    };
    const Case cases[] = {
        {"&lt;b&gt;", "<<b>"},
        {"&amp;lt;", "<<"},
        {"&amp;amp;", "&amp;"},
        {"&euro;&pound;&copy;&reg;&trade;&bull;", "\x80\xA3\xA9\xAE\x99\x95"},
        {"&iquest;&para;&quot;&nbsp;", "\xBF\xB6\" "},
        {"&AMP; &lt &unknown;", "&AMP; &lt &unknown;"},
        {"a\r\nb\tc\r", "a<br>b<t>c"},
        {"", ""},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        drawer.SetMarkupText(c.text);
        drawer.PrepareText();
        EXPECT_STREQ(drawer.GetMarkupText(), c.prepared);
    }
    // A text far longer than any tip is cut.
    drawer.SetMarkupText(std::string(100000, '\n').c_str());
    drawer.PrepareText();
    EXPECT_EQ(drawer.GetMarkupText().GetLength(), MARKUP_MAX_TEXT);
}

TEST(MarkupStyles, TheDefaultStyleSheetHoldsItsSeventeenRules)
{
    CMarkupDrawer drawer;
    const char* selectors[] = {"body", "p",   "h1",     "h2",      "h3",  "h4",  "h5",    "h6",          "pre",
                               "code", "a:link", "a:hover", "sub", "sup", "big", "small", ".cpp-comment"};
    for (const char* selector : selectors) {
        SCOPED_TRACE(selector);
        EXPECT_NE(drawer.GetCssStyle(selector), nullptr);
    }
    EXPECT_STREQ(drawer.GetCssStyle("H2"), "font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold");
    EXPECT_STREQ(drawer.GetCssStyle("pre"), "font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb");
    EXPECT_EQ(drawer.GetCssStyle("table"), nullptr);
    EXPECT_EQ(drawer.GetCssStyle("td"), nullptr);
}

TEST(MarkupStyles, StyleSheetsKeepOneRulePerFirstSelectorWord)
{
    struct Case {
        const char* name;
        const char* sheet;
        const char* selector;
        const char* declarations;  // null: no rule
    };
    const Case cases[] = {
        {"a list defines its first selector with the comma", "h1, h2 {color:red}", "h1,", "color:red"},
        {"the rest of the list is not defined", "h1, h2 {color:red}", "h2", nullptr},
        {"selectors are stored lower-cased", "TD.Cell {margin:1}", "td.cell", "margin:1"},
        {"a repeated selector replaces", "b {x:1} b {x:2}", "b", "x:2"},
        {"an empty rule stores nothing", "b {} i {y:1}", "b", nullptr},
        {"parsing goes on after an empty rule", "b {} i {y:1}", "i", "y:1"},
        {"an identifier's # is skipped", "#note {z:1}", "note", "z:1"},
        {"an unterminated rule is lost", "i {y:1} u {z:2", "u", nullptr},
        {"the rules before it are kept", "i {y:1} u {z:2", "i", "y:1"},
        {"a selector without a brace ends the sheet", "i", "i", nullptr},
        {"bytes above 0x7F are skipped", "\xE9\xE8span {w:1}", "span", "w:1"},
        {"the default sheet is gone", "b {x:1}", "h1", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMarkupDrawer drawer;
        drawer.SetCssStyles(c.sheet);
        EXPECT_STREQ(drawer.GetCssText(), c.sheet);
        const char* found = drawer.GetCssStyle(c.selector);
        if (c.declarations == nullptr)
            EXPECT_EQ(found, nullptr);
        else
            EXPECT_STREQ(found, c.declarations);
    }
    CMarkupDrawer drawer;
    drawer.SetCssStyles("b {x:1}");
    drawer.SetCssStyles(nullptr);
    EXPECT_NE(drawer.GetCssStyle("h1"), nullptr);
    EXPECT_EQ(drawer.GetCssStyle("b"), nullptr);
}

// Each declaration text applied to a default style record; the check names
// the fields it changes. On a 96 dots-per-inch DC.
TEST(MarkupStyles, DeclarationsChangeTheStyleRecord)
{
    struct Case {
        const char* declarations;
        int fontHeight, fontWeight, italic, underline, strikeout, overline;
        COLORREF textColor;
        int backMode;
        COLORREF backColor;
        int borderStyle, borderWidth, margin;
        const char* face;
    };
    // Defaults: 16, 400, 0, 0, 0, 0, black, transparent on white, no border, margin 2, "Verdana".
    const Case cases[] = {
        {"font-size: 10pt", 13, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-size:3", 12, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-size:8", 8, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-size:10pt; font-size:65%", 8, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-size:99999in", MARKUP_MAX_FONT_HEIGHT, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"margin:3", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 3, "Verdana"},
        {"margin:99999999999", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, MARKUP_MAX_LENGTH, "Verdana"},
        {"COLOR:#FF9900", 16, 400, 0, 0, 0, 0, 0x0099FF, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"color:#f90", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"color: Red ;x", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"color:Red", 16, 400, 0, 0, 0, 0, RGB(255, 0, 0), 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"background-color:transparent", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"background-color:navy", 16, 400, 0, 0, 0, 0, 0, 2, RGB(0, 0, 128), 0, 0, 2, "Verdana"},
        {"border-width:0", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"border-width:3px", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 1, 3, 2, "Verdana"},
        {"border-style:dashed", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 2, 1, 2, "Verdana"},
        {"size:4000", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 1, MARKUP_MAX_BORDER_WIDTH, 2, "Verdana"},
        {"text-decoration:underline overline", 16, 400, 0, 1, 0, 1, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"text-decoration:line-through,underline", 16, 400, 0, 1, 1, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"text-decoration:overline; text-decoration:underline", 16, 400, 0, 1, 0, 1, 0, 1, 0xFFFFFF, 0, 0, 2,
         "Verdana"},
        {"text-decoration:overline; text-decoration:", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-style:oblique; font-weight:bolder", 16, 900, 1, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-weight:600", 16, 600, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-weight:heavy", 16, 0, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-weight:99999", 16, 1000, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-family: \"Courier New\"; color:red", 16, 400, 0, 0, 0, 0, RGB(255, 0, 0), 1, 0xFFFFFF, 0, 0, 2,
         "courier new"},
        {"font-family:\"Courier", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"font-family:", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"width:5; unknown:7; :; ;;", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
        {"", 16, 400, 0, 0, 0, 0, 0, 1, 0xFFFFFF, 0, 0, 2, "Verdana"},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declarations);
        StyleRecord style;
        drawer.ApplyCssDeclarations(c.declarations, style);
        EXPECT_EQ(style.fontHeight, c.fontHeight);
        EXPECT_EQ(style.fontWeight, c.fontWeight);
        EXPECT_EQ(style.italic, c.italic);
        EXPECT_EQ(style.underline, c.underline);
        EXPECT_EQ(style.strikeout, c.strikeout);
        EXPECT_EQ(style.overline, c.overline);
        EXPECT_EQ(style.textColor, c.textColor);
        EXPECT_EQ(style.backMode, c.backMode);
        EXPECT_EQ(style.backColor, c.backColor);
        EXPECT_EQ(style.borderStyle, c.borderStyle);
        EXPECT_EQ(style.borderWidth, c.borderWidth);
        EXPECT_EQ(style.margin, c.margin);
        EXPECT_STREQ(style.faceName, c.face);
    }
}

// On the drawer's own DC: 96 dots per inch and its default font.
TEST(MarkupStyles, ParseLengthReadsUnitsSignsAndBases)
{
    CMarkupDrawer drawer;
    TEXTMETRICA tm{};
    GetTextMetricsA(drawer.GetMeasureDC(), &tm);
    SIZE x{};
    GetTextExtentPoint32A(drawer.GetMeasureDC(), "x", 1, &x);
    ASSERT_GT(tm.tmHeight, 0);
    struct Case {
        const char* value;
        int current;
        BOOL fontSize;
        int expected;
    };
    const Case cases[] = {
        {"", 42, FALSE, 42},
        {"7px", 42, FALSE, 7},
        {"2ex", 0, FALSE, 2 * x.cy},
        {"3em", 0, FALSE, 3 * tm.tmHeight},
        {"1.5em", 0, FALSE, static_cast<int>(tm.tmHeight)},
        {"2in", 0, FALSE, 192},
        {"10cm", 0, FALSE, 377},  // 960 / 2.54 = 377.95
        {"25mm", 0, FALSE, 94},   // 2400 / 25.4 = 94.49
        {"10pt", 0, FALSE, 13},
        {"1pc", 0, FALSE, 16},
        {"+1", 0, FALSE, 1},
        {"-2", 0, FALSE, 2},
        {"50%", 13, FALSE, 7},   // 6.5 rounds up
        {"65%", 13, TRUE, 8},
        {"-50%", 10, FALSE, -5},
        {"0x10", 0, FALSE, 16},
        {"010", 0, FALSE, 8},
        {"abc", 42, FALSE, 0},
        {"3", 0, TRUE, 12},
        {"7", 0, TRUE, 36},
        {"8", 0, TRUE, 8},
        {"0", 5, TRUE, 0},
        {"3", 0, FALSE, 3},
        {"99999999999999999999px", 0, FALSE, INT_MAX},
        {"99999999999999999999in", 0, FALSE, INT_MAX},
        {"99999999999999999999", 0, FALSE, INT_MAX},
        {"99999999999%", 1000, FALSE, -1},  // too large for MulDiv
        {"px", 5, FALSE, 0},
        {"p", 5, FALSE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(drawer.ParseLength(c.value, c.current, c.fontSize), c.expected);
    }
}

TEST(MarkupStyles, ParseColorReadsHexNumbersAndNames)
{
    struct Case {
        const char* value;
        COLORREF expected;
    };
    const COLORREF current = RGB(1, 2, 3);
    const Case cases[] = {
        {"#ff9900", 0x0099FF}, {"#FF9900", 0x0099FF}, {"#ff990", current},   {"#ff99000", current},
        {"#gg9900", current},  {"#", current},         {"255", 0x0000FF},     {"0xFF00", 0x00FF00},
        {"0x1FFFFFF", 0xFFFFFF}, {"010", 8},           {"blue", 0xFF0000},    {"Blue", current},
        {"", current},         {"4294967295999", 0xFFFFFF},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(drawer.ParseColor(c.value, current), c.expected);
    }
}

TEST(MarkupStyles, KeywordReadersKnowTheirWordsAndKeepTheValueOtherwise)
{
    CMarkupDrawer drawer;
    struct Case {
        const char* reader;
        const char* value;
        int current, expected;
    };
    const Case cases[] = {
        {"style", "italic", 0, 1},      {"style", "oblique", 0, 1},   {"style", "", 1, 0},
        {"style", "slanted", 1, 1},     {"weight", "bold", 0, 700},   {"weight", "lighter", 0, 100},
        {"weight", "", 700, 400},       {"weight", "word", 700, 0},   {"halign", "center", 0, 1},
        {"halign", "justify", 2, 2},    {"halign", "", 2, 0},         {"valign", "middle", 3, 1},
        {"valign", "vcenter", 3, 1},    {"valign", "top", 3, 0},      {"valign", "", 0, 3},
        {"valign", "sky", 2, 2},        {"transform", "capitalize", 0, 3}, {"transform", "shout", 2, 2},
        {"border", "double", 0, 6},     {"border", "dotted", 0, 3},   {"border", "groove", 2, 2},
        {"width", "thin", 8, 6},        {"width", "thick", 8, 10},    {"width", "medium", 8, 8},
        {"width", "5", 8, 5},           {"effect", "metal", 0, 15},   {"effect", "transparent", 0, -1},
        {"effect", "3vgradient", 0, 6}, {"effect", "", 9, 9},         {"effect", "12", 0, 12},
        {"effect", "sparkle", 9, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reader) + " " + c.value);
        const CString value = c.value;
        int result = 0;
        const std::string reader = c.reader;
        if (reader == "style") result = CMarkupDrawer::ParseFontStyle(value, c.current);
        else if (reader == "weight") result = CMarkupDrawer::ParseFontWeight(value, c.current);
        else if (reader == "halign") result = CMarkupDrawer::ParseHorzAlign(value, c.current);
        else if (reader == "valign") result = CMarkupDrawer::ParseVertAlign(value, c.current);
        else if (reader == "transform") result = CMarkupDrawer::ParseTextTransform(value, c.current);
        else if (reader == "border") result = CMarkupDrawer::ParseBorderStyle(value, c.current);
        else if (reader == "width") result = drawer.ParseBorderWidth(value, c.current);
        else result = drawer.ParseBackEffect(value, c.current);
        EXPECT_EQ(result, c.expected);
    }
}

// A styled tag saves the current style; its closing tag restores it when
// the names match, and the stack stops growing at its bound.
TEST(MarkupStyles, TheStyleStackRestoresMatchingClosingTagsOnlyAndIsBounded)
{
    CMarkupDrawer drawer;
    StyleRecord& style = drawer.GetCurrentStyle();
    drawer.ResetStyle();
    style.name = "bold";
    ASSERT_TRUE(drawer.PushPopStyle(false));
    style.fontWeight = 800;
    style.name = "italic";
    ASSERT_TRUE(drawer.PushPopStyle(false));
    style.italic = 1;

    style.name = "bold";  // closing bold while italic is open: ignored
    EXPECT_FALSE(drawer.PushPopStyle(true));
    EXPECT_TRUE(style.name.IsEmpty());
    EXPECT_EQ(style.italic, 1);
    style.name = "italic";
    EXPECT_TRUE(drawer.PushPopStyle(true));
    EXPECT_EQ(style.italic, 0);
    EXPECT_EQ(style.fontWeight, 800);
    EXPECT_TRUE(style.name.IsEmpty());
    style.name = "bold";
    EXPECT_TRUE(drawer.PushPopStyle(true));
    EXPECT_EQ(style.fontWeight, 400);
    EXPECT_FALSE(drawer.PushPopStyle(true));  // nothing left
    EXPECT_EQ(drawer.GetStyleDepth(), 0);

    int accepted = 0;
    for (int i = 0; i < 1000; ++i) accepted += drawer.PushPopStyle(false);
    EXPECT_EQ(accepted, MARKUP_MAX_STYLE_DEPTH);
    EXPECT_EQ(drawer.GetStyleDepth(), MARKUP_MAX_STYLE_DEPTH);

    // ResetStyle keeps a box's width and height.
    style.width = 70;
    style.faceName = "Arial";
    drawer.ResetStyle();
    EXPECT_EQ(style.width, 70);
    EXPECT_STREQ(style.faceName, "Verdana");
}

}  // namespace
