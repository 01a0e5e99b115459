// A tip of every kind of mark-up drawn on one canvas and kept as
// artefacts/tooltip/layout.png in the build folder for a person to look at:
// styled runs, alignment, a justified paragraph, a table with spans and
// borders, rules and images. The test checks that the drawing stays inside
// the measured size and that the table's cells got their backgrounds.
#include <gtest/gtest.h>

#include <string>

#include "controls/tooltip/markup/markup_drawer.h"
#include "tests/platform/gdi/canvas_png.h"

#ifndef TRELWIN_TOOLTIP_ARTEFACTS
#define TRELWIN_TOOLTIP_ARTEFACTS "artefacts/tooltip"
#endif

using gdi_test::Canvas;
using gdi_test::SavePng;

namespace {

const COLORREF kPaper = RGB(255, 255, 225);

const char kGallery[] =
    "<h3>Encoder 4K-2</h3><b>bold</b>, <i>italic</i>, <u>underlined</u>, <s>struck</s>, "
    "<font color=#c00000 size=4>red big</font>, <font face=Courier>fixed</font>, "
    "<span class=cpp-comment>a comment</span>, <a href=\"http://example.com/\">a link</a>."
    "<br><hr width=80% size=2 color=#4060a0><br>"
    "<center>centred line</center><br><right>right line</right><br>"
    "<justify>A justified paragraph spreads the spaces of every wrapped line so that the line ends at the "
    "right edge; its last line keeps natural spaces.</justify><br>"
    "<table border=1 bordercolor=#606060 cellpadding=3 cellspacing=2 bgcolor=#e8f0ff>"
    "<tr><td rowspan=2 bgcolor=#ffe0e0 valign=middle>two rows</td><td colspan=2 bgcolor=#e0ffe0>"
    "<center>two columns</center></td></tr>"
    "<tr><td>Address</td><td><b>10.0.0.7</b></td></tr>"
    "<tr><td>Version</td><td colspan=2>3.14.15 <table border=1 bgcolor=#ffffff><tr><td>in</td><td>side</td></tr>"
    "</table></td></tr></table>"
    "tab<t>stop<t=2>two stops<br>"
    "<top>x<font size=6>Big</font>y</top> <vcenter>x<font size=6>Big</font>y</vcenter> H<sub>2</sub>O E=mc<sup>2</sup>";

TEST(MarkupPicture, GalleryStaysInsideItsMeasuredSize)
{
    CMarkupDrawer drawer;
    Canvas canvas(420, 480, kPaper);
    drawer.SetMaxWidth(400);
    SIZE size{0, 0};
    drawer.PrepareOutput(canvas.dc(), kGallery, &size);
    ASSERT_GT(size.cx, 300);
    ASSERT_LT(size.cx, 402);
    ASSERT_LT(size.cy, 470);
    drawer.SetPrepareFlag(0);
    SIZE drawn{0, 0};
    const RECT rc{5, 5, 5 + size.cx, 5 + size.cy};
    drawer.DrawHtml(&drawn, &rc);
    EXPECT_TRUE(SavePng(canvas, TRELWIN_TOOLTIP_ARTEFACTS, "layout.png"));
    // Nothing was drawn outside the measured rectangle.
    EXPECT_EQ(canvas.count(kPaper, 0, rc.bottom, canvas.width(), canvas.height()),
              canvas.width() * (canvas.height() - rc.bottom));
    EXPECT_EQ(canvas.count(kPaper, rc.right, 0, canvas.width(), rc.bottom), (canvas.width() - rc.right) * rc.bottom);
    // The spanning cells' own backgrounds are there.
    EXPECT_GT(canvas.count(RGB(255, 224, 224)), 200);
    EXPECT_GT(canvas.count(RGB(224, 255, 224)), 200);
}

}  // namespace
