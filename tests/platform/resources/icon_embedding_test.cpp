// Icons and cursors embedded from files by the build (trelwin_embed_icon,
// trelwin_embed_cursor) load through the ordinary functions: the right image
// for the size asked, its pixels and mask as the file holds them, and a
// cursor's hot spot. The files are hand-made (data/two_sizes.ico: a 16 x 16
// red|blue image and a 32 x 32 green-over-white one whose left column is
// transparent; data/pointer.cur: 32 x 32 white|black, hot spot (5, 9)).
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/resources/resources.h"
#include "platform/user/user.h"
#include "tests/platform/gdi/canvas.h"

namespace {

// The colour and mask bitmaps of an icon, freed when the guard goes.
struct IconParts {
    explicit IconParts(HICON icon) { ok = icon && GetIconInfo(icon, &info); }
    ~IconParts() {
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
    SIZE Size() const {
        BITMAP bm{};
        GetObjectA(info.hbmColor, sizeof(bm), &bm);
        return SIZE{bm.bmWidth, bm.bmHeight};
    }
    COLORREF Colour(int x, int y) const { return gdi_test::BitmapPixel(info.hbmColor, x, y); }
    bool Transparent(int x, int y) const { return gdi_test::BitmapPixel(info.hbmMask, x, y) != RGB(0, 0, 0); }

    ICONINFO info{};
    bool ok = false;
};

TEST(IconEmbedding, EachSizeComesFromItsOwnImage) {
    struct Case {
        const char* name;
        int size;
        POINT a, b;
        COLORREF colourA, colourB;
    };
    const Case cases[] = {
        {"16: red left, blue right", 16, {2, 2}, {12, 2}, RGB(255, 0, 0), RGB(0, 0, 255)},
        {"32: green top, white bottom", 32, {5, 5}, {5, 20}, RGB(0, 255, 0), RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(4242), IMAGE_ICON, c.size, c.size, 0));
        IconParts parts(icon);
        ASSERT_TRUE(parts.ok);
        EXPECT_TRUE(parts.info.fIcon);
        EXPECT_EQ(parts.Size().cx, c.size);
        EXPECT_EQ(parts.Size().cy, c.size);
        EXPECT_EQ(parts.Colour(c.a.x, c.a.y), c.colourA);
        EXPECT_EQ(parts.Colour(c.b.x, c.b.y), c.colourB);
        DestroyIcon(icon);
    }
    // LoadIcon takes the standard size, whose image has a transparent column.
    IconParts standard(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(4242)));
    ASSERT_TRUE(standard.ok);
    EXPECT_EQ(standard.Size().cx, 32);
    EXPECT_TRUE(standard.Transparent(0, 7));
    EXPECT_FALSE(standard.Transparent(1, 7));
}

TEST(IconEmbedding, CursorKeepsItsHotSpotAndPixels) {
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageA(GetModuleHandleA(nullptr), "Pointer", IMAGE_CURSOR, 0, 0, 0));
    IconParts parts(cursor);
    ASSERT_TRUE(parts.ok);
    EXPECT_FALSE(parts.info.fIcon);
    EXPECT_EQ(parts.info.xHotspot, 5u);
    EXPECT_EQ(parts.info.yHotspot, 9u);
    EXPECT_EQ(parts.Colour(3, 3), RGB(255, 255, 255));
    EXPECT_EQ(parts.Colour(20, 3), RGB(0, 0, 0));
    DestroyCursor(cursor);
    // The group is a cursor group only: no icon of that name exists.
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "Pointer"), nullptr);
}

}  // namespace
