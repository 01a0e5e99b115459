// The bitmaps and icons that tags name come from the program's own
// resources: its wizard bitmap 130 and its icons 128 and 998.
#include <gtest/gtest.h>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/user/images.h"
#include "tests/platform/gdi/canvas.h"

namespace {

TEST(MarkupProgramResources, TableBackgroundsTileTheProgramsBitmap)
{
    CMarkupDrawer drawer;
    HBITMAP bitmap = drawer.GetBitmapFromResource(130);
    ASSERT_NE(bitmap, nullptr);
    const SIZE size = CDrawEffects::GetSizeOfBitmap(bitmap);
    ASSERT_GT(size.cx, 0);
    // The same bitmap loaded on its own, copied once at the corner.
    gdi_test::Canvas expected(size.cx, size.cy);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(expected.dc(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    gdi_test::Canvas canvas(size.cx * 2 + 10, size.cy + 10);
    drawer.DrawBackgroundImage(canvas.dc(), RECT{5, 5, 5 + size.cx * 2, 5 + size.cy}, "idres:130");
    int wrong = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx * 2; ++x) wrong += canvas.at(5 + x, 5 + y) != expected.at(x % size.cx, y);
    EXPECT_EQ(wrong, 0);
}

TEST(MarkupProgramResources, IconsComeFromTheProgramAtTheSizeAsked)
{
    CMarkupDrawer drawer;
    struct Case {
        UINT id;
        int size;
    };
    for (const Case& c : {Case{128, 32}, Case{998, 16}, Case{998, 32}}) {
        SCOPED_TRACE(c.id);
        HICON icon = drawer.GetIconFromResource(c.id, c.size, c.size);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(CDrawEffects::GetSizeOfIcon(icon).cx, c.size);
        gdi_test::Canvas canvas(c.size + 8, c.size + 8, RGB(255, 0, 255));
        drawer.GetDrawManager().DrawIcon(canvas.dc(), 4, 4, c.size, c.size, icon, 0, FALSE, 0, 0, 0, 0, 0);
        EXPECT_LT(canvas.count(RGB(255, 0, 255)), (c.size + 8) * (c.size + 8));
        EXPECT_EQ(canvas.count(RGB(255, 0, 255), 0, 0, c.size + 8, 4), (c.size + 8) * 4);
        DestroyIcon(icon);
    }
    EXPECT_EQ(drawer.GetIconFromResource(0, 32, 32), nullptr);
    EXPECT_EQ(drawer.GetIconFromResource(4242, 32, 32), nullptr);
    EXPECT_EQ(drawer.GetIconFromDll(128, 32, 32, nullptr), nullptr);
}

}  // namespace
