// Tables of the tip mark-up: column widths and row heights from cells and
// spans, spans cut to the table, columns stretched in the drawing pass, and
// the pixels of a small bordered table with spans.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "tests/platform/gdi/canvas.h"

using gdi_test::Canvas;

namespace {

HBITMAP SolidBitmap(int width, int height, COLORREF colour)
{
    Canvas picture(width, height, colour);
    return static_cast<HBITMAP>(CopyImage(picture.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The measuring pass: column widths, row heights and the spans kept for
// each cell (-1 for covered cells).
TEST(MarkupTable, MeasuredColumnsRowsAndSpans)
{
    Canvas canvas(10, 10);
    HBITMAP thirty = SolidBitmap(30, 6, RGB(0, 0, 0));
    const std::string content = "<bmp handle=" + std::to_string(reinterpret_cast<uintptr_t>(thirty)) + ">";
    struct Case {
        std::string markup;
        std::vector<int> columns;
        std::vector<int> rows;
        std::vector<std::vector<std::pair<int, int>>> spans;  // colSpan, rowSpan
        int width;                                          // measured, without the extra pixel
    };
    const std::vector<Case> cases = {
        // Cell padding 2 on each side; one pixel between columns.
        {"<table><tr><td width=50></td><td>" + content + "</td></tr></table>", {54, 34}, {10}, {{{1, 1}, {1, 1}}}, 89},
        {"<table cellpadding=0><tr><td width=30></td><td width=40></td></tr>"
         "<tr><td colspan=2 width=100></td></tr></table>",
         {45, 55}, {0, 0}, {{{1, 1}, {1, 1}}, {{2, 1}, {-1, -1}}}, 101},
        {"<table cellpadding=0><tr><td rowspan=3 height=10></td></tr><tr></tr><tr></tr></table>",
         {0}, {4, 3, 3}, {{{1, 3}}, {{-1, -1}}, {{-1, -1}}}, 0},
        // The next row's first cell goes to the first column not covered.
        {"<table cellpadding=0><tr><td rowspan=2 colspan=2 width=9></td><td width=7></td></tr>"
         "<tr><td width=5></td></tr></table>",
         {4, 5, 7}, {0, 0}, {{{2, 2}, {-1, -1}, {1, 1}}, {{-1, -1}, {-1, -1}, {1, 1}}}, 18},
        // Spans past the table are cut to it before anything is summed.
        {"<table cellpadding=0><tr><td rowspan=9 height=8></td><td width=3></td></tr>"
         "<tr><td colspan=2 width=6></td></tr></table>",
         {0, 6}, {4, 4}, {{{1, 2}, {1, 1}}, {{-1, -1}, {1, 1}}}, 7},
        {"<table cellpadding=0><tr><td colspan=0 rowspan=-4 width=3></td></tr></table>", {3}, {0}, {{{1, 1}}}, 3},
        // A double border takes three pixels on each side; cells take a
        // table's border (always one pixel wide) unless they say otherwise.
        {"<table cellpadding=0 borderstyle=double><tr><td borderstyle=none></td></tr></table>", {0}, {0}, {{{1, 1}}},
         6},
        {"<table cellpadding=0 borderstyle=double><tr><td></td></tr></table>", {2}, {2}, {{{1, 1}}}, 8},
        {"<table cellpadding=0 cellspacing=4 border=2><tr><td width=10 borderstyle=none></td>"
         "<td width=10 borderstyle=none></td></tr></table>",
         {10, 10}, {0}, {{{1, 1}, {1, 1}}}, 4 + 1 + 14 + 14 + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        CMarkupDrawer drawer;
        SIZE size{0, 0};
        drawer.PrepareOutput(canvas.dc(), c.markup.c_str(), &size);
        ASSERT_EQ(drawer.GetTables().size(), 1u);
        const TableInfo& table = drawer.GetTables()[0];
        EXPECT_EQ(table.columnWidths, c.columns);
        EXPECT_EQ(table.rowHeights, c.rows);
        ASSERT_EQ(table.cells.size(), c.spans.size());
        for (size_t r = 0; r < c.spans.size(); ++r) {
            ASSERT_EQ(table.cells[r].size(), c.spans[r].size());
            for (size_t k = 0; k < c.spans[r].size(); ++k) {
                SCOPED_TRACE(testing::Message() << "cell " << r << "," << k);
                EXPECT_EQ(table.cells[r][k].colSpan, c.spans[r][k].first);
                EXPECT_EQ(table.cells[r][k].rowSpan, c.spans[r][k].second);
            }
        }
        EXPECT_EQ(size.cx, c.width + 1);
    }
    DeleteObject(thirty);
}

// The drawing pass widens the columns without a width attribute until the
// table fills its rectangle; a table of fixed columns keeps its width and is
// placed by its alignment.
TEST(MarkupTable, DrawingStretchesFreeColumnsOrAlignsTheTable)
{
    struct Case {
        const char* markup;
        std::vector<int> columns;  // after the drawing pass into 100 pixels
        int left;                  // leftmost red pixel
    };
    const Case cases[] = {
        {"<table cellpadding=0 bgcolor=#ff0000><tr><td width=10 height=5></td><td></td><td></td></tr></table>", {10, 44, 44}, 0},
        {"<table cellpadding=0 bgcolor=#ff0000><tr><td width=10 height=5></td><td width=20></td></tr></table>", {10, 20}, 0},
        {"<table cellpadding=0 bgcolor=#ff0000 align=center><tr><td width=10 height=5></td><td width=20></td></tr></table>",
         {10, 20}, (100 - 31) / 2},
        {"<table cellpadding=0 bgcolor=#ff0000 align=right><tr><td width=10 height=5></td><td width=20></td></tr></table>",
         {10, 20}, 100 - 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Canvas canvas(120, 20, RGB(255, 255, 255));
        CMarkupDrawer drawer;
        SIZE size{0, 0};
        drawer.PrepareOutput(canvas.dc(), c.markup, &size);
        drawer.SetPrepareFlag(0);
        SIZE drawn{0, 0};
        const RECT rc{0, 0, 100, 20};
        drawer.DrawHtml(&drawn, &rc);
        EXPECT_EQ(drawer.GetTables()[0].columnWidths, c.columns);
        EXPECT_EQ(canvas.row(2, RGB(255, 0, 0)).find('#'), static_cast<size_t>(c.left));
    }
}

// A small table drawn exactly: a solid red border of one pixel, cells two
// pixels apart, a green cell spanning both rows and two blue ones.
TEST(MarkupTable, BorderedTableWithSpansPixelByPixel)
{
    Canvas canvas(20, 15, RGB(255, 255, 255));
    CMarkupDrawer drawer;
    const char* markup =
        "<table cellpadding=0 cellspacing=2 border=1 bordercolor=#ff0000>"
        "<tr><td rowspan=2 width=3 height=4 bgcolor=#00ff00 borderstyle=none></td>"
        "<td width=4 height=2 bgcolor=#0000ff borderstyle=none></td></tr>"
        "<tr><td width=4 height=1 bgcolor=#0000ff borderstyle=none></td></tr></table>";
    SIZE size{0, 0};
    drawer.PrepareOutput(canvas.dc(), markup, &size);
    drawer.SetPrepareFlag(0);
    SIZE drawn{0, 0};
    const RECT rc{0, 0, size.cx - 1, size.cy - 1};
    drawer.DrawHtml(&drawn, &rc);
    // Columns 3 and 4. Rows 2 and 1 from the blue cells; the green cell
    // needs 4 over both, one more than their 2 + 1, which goes to the first.
    // The table is 2 + 1 + (3 + 2) + (4 + 2) + 2 = 16 wide, 13 high.
    EXPECT_EQ(size.cx, 17);
    EXPECT_EQ(size.cy, 14);
    std::vector<std::string> picture;
    for (int y = 0; y < canvas.height(); ++y) {
        std::string row;
        for (int x = 0; x < canvas.width(); ++x) {
            const COLORREF p = canvas.at(x, y);
            row += p == RGB(255, 0, 0) ? 'R' : p == RGB(0, 255, 0) ? 'G' : p == RGB(0, 0, 255) ? 'B' : '.';
        }
        picture.push_back(row);
    }
    const std::vector<std::string> expected = {
        "RRRRRRRRRRRRRRRR....",
        "R..............R....",
        "R..............R....",
        "R..GGG...BBBB..R....",
        "R..GGG...BBBB..R....",
        "R..GGG...BBBB..R....",
        "R..GGG.........R....",
        "R..GGG.........R....",
        "R..GGG.........R....",
        "R..GGG...BBBB..R....",
        "R..............R....",
        "R..............R....",
        "RRRRRRRRRRRRRRRR....",
        "....................",
        "....................",
    };
    EXPECT_EQ(picture, expected);
}

}  // namespace
