#include <gtest/gtest.h>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

namespace {


// A 4x4 icon: left half transparent, right half red; the top-left pixel
// inverts the screen (white mask, white image).
HICON make_icon(Canvas& mask, Canvas& colour) {
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            mask.put(x, y, x < 2 ? kWhite : kBlack);
            colour.put(x, y, x < 2 ? kBlack : kRed);
        }
    colour.put(0, 0, kWhite);
    ICONINFO info{TRUE, 0, 0, mask.bitmap(), colour.bitmap()};
    return CreateIconIndirect(&info);
}

}  // namespace

TEST(Icons, MaskAndImageCombineWithTheScreen) {
    Canvas mask(4, 4), colour(4, 4);
    HICON icon = make_icon(mask, colour);
    ASSERT_NE(icon, nullptr);
    Canvas screen(6, 6, kGreen);
    EXPECT_TRUE(DrawIcon(screen.dc(), 1, 1, icon));
    EXPECT_EQ(screen.at(1, 2), kGreen);
    EXPECT_EQ(screen.at(3, 2), kRed);
    EXPECT_EQ(screen.at(4, 4), kRed);
    EXPECT_EQ(screen.at(1, 1), RGB(255, 0, 255));  // green inverted
    EXPECT_EQ(screen.at(5, 5), kGreen);
    // Only the mask: copied as it is, black where the icon is opaque.
    Canvas masked(4, 4, kGreen);
    DrawIconEx(masked.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
    EXPECT_EQ(masked.at(3, 3), kBlack);
    EXPECT_EQ(masked.at(0, 3), kWhite);
    // Stretched to twice the size.
    Canvas big(8, 8, kGreen);
    DrawIconEx(big.dc(), 0, 0, icon, 8, 8, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(big.count(kRed), 32 - 0);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
}

TEST(Icons, InfoCopiesAndHotSpots) {
    Canvas mask(4, 4), colour(4, 4);
    HICON icon = make_icon(mask, colour);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 2u);
    EXPECT_EQ(info.yHotspot, 2u);
    EXPECT_NE(info.hbmMask, mask.bitmap());
    BITMAP bm{};
    GetObject(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    ICONINFO cursor_info{FALSE, 1, 3, mask.bitmap(), colour.bitmap()};
    HCURSOR cursor = CreateIconIndirect(&cursor_info);
    GetIconInfo(cursor, &info);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 1u);
    EXPECT_EQ(info.yHotspot, 3u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    DestroyIcon(icon);  // the copy stands alone
    Canvas screen(4, 4, kGreen);
    DrawIcon(screen.dc(), 0, 0, copy);
    EXPECT_EQ(screen.at(3, 3), kRed);
    HICON scaled = static_cast<HICON>(CopyImage(copy, IMAGE_ICON, 8, 8, 0));
    ASSERT_NE(scaled, nullptr);
    GetIconInfo(scaled, &info);
    GetObject(info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 8);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(scaled);
    DestroyIcon(copy);
    DestroyCursor(cursor);
}

TEST(Icons, MonochromeIconsStackTheirMasks) {
    // 2x2: AND rows then XOR rows, in one 2x4 monochrome bitmap.
    const WORD rows[4] = {0x80, 0x00, 0x80, 0x40};
    HBITMAP mask = CreateBitmap(2, 4, 1, 1, rows);
    ICONINFO info{TRUE, 0, 0, mask, nullptr};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    Canvas screen(2, 2, kGreen);
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_EQ(screen.at(0, 0), RGB(255, 0, 255));  // AND 1, XOR 1: inverted
    EXPECT_EQ(screen.at(1, 0), kBlack);            // AND 0, XOR 0: black
    EXPECT_EQ(screen.at(1, 1), kWhite);            // AND 0, XOR 1: white
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(Icons, AlphaImagesBlend) {
    Canvas mask(1, 1, kBlack), colour(1, 1);
    colour.bits()[0] = 0x80FF0000u;  // red at half opacity (straight alpha)
    ICONINFO info{TRUE, 0, 0, mask.bitmap(), colour.bitmap()};
    HICON icon = CreateIconIndirect(&info);
    Canvas screen(1, 1, kBlue);
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_EQ(screen.at(0, 0), RGB((255 * 128 + 127) / 255, 0, (255 * 127 + 127) / 255));
    DestroyIcon(icon);
}

TEST(ImageLists, AddMaskedAndDrawStyles) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 4, 4);
    ASSERT_NE(list, nullptr);
    Canvas strip(12, 4, kMagenta);
    for (int y = 0; y < 4; ++y) {
        strip.put(1, y, kRed);
        strip.put(5, y, kBlue);
        strip.put(9, y, kGreen);
    }
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), kMagenta), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 4);
    EXPECT_EQ(cy, 4);
    Canvas screen(4, 4, kWhite);
    EXPECT_TRUE(ImageList_Draw(list, 1, screen.dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(screen.column(1, kBlue), "####");
    EXPECT_EQ(screen.count(kWhite), 12);
    ImageList_SetBkColor(list, kBlack);
    ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(screen.count(kBlack), 12);
    EXPECT_EQ(screen.column(1, kRed), "####");
    ImageList_Draw(list, 2, screen.dc(), 0, 0, ILD_MASK);
    EXPECT_EQ(screen.count(kBlack), 4);
    EXPECT_EQ(screen.count(kWhite), 12);
    screen.clear(kWhite);
    ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_TRANSPARENT | ILD_BLEND50);
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(screen.at(1, 0), RGB((255 + GetRValue(h) + 1) / 2, (GetGValue(h) + 1) / 2, (GetBValue(h) + 1) / 2));
    EXPECT_FALSE(ImageList_Draw(list, 3, screen.dc(), 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
}

TEST(ImageLists, IconsGoInAndComeOut) {
    Canvas mask(4, 4), colour(4, 4);
    HICON icon = make_icon(mask, colour);
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_AddIcon(list, icon), 0);
    Canvas screen(4, 4, kGreen);
    ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(screen.at(3, 3), kRed);
    EXPECT_EQ(screen.at(0, 3), kGreen);
    HICON back = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ASSERT_NE(back, nullptr);
    screen.clear(kGreen);
    DrawIcon(screen.dc(), 0, 0, back);
    EXPECT_EQ(screen.at(3, 3), kRed);
    EXPECT_EQ(screen.at(0, 3), kGreen);
    DestroyIcon(back);
    DestroyIcon(icon);
    ImageList_Destroy(list);
}
