// Icon and image-list rules beyond the basic mask-and-image draw: alpha
// icons in lists, copies that outlive their source, partial and clipped
// drawing, monochrome icons on colour screens.
#include <gtest/gtest.h>

#include <cstdlib>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using namespace gdi_test;

namespace {

// Straight (not premultiplied) alpha, as icon files store it.
uint32_t argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

bool near(COLORREF c, COLORREF want) {
    return std::abs(GetRValue(c) - GetRValue(want)) <= 2 && std::abs(GetGValue(c) - GetGValue(want)) <= 2 &&
           std::abs(GetBValue(c) - GetBValue(want)) <= 2;
}

// 2 x 1: half-transparent red, then opaque blue; the mask leaves both opaque.
HICON alpha_icon() {
    Canvas mask(2, 1, kBlack), colour(2, 1);
    colour.bits()[0] = argb(128, 255, 0, 0);
    colour.bits()[1] = argb(255, 0, 0, 255);
    ICONINFO info{TRUE, 0, 0, mask.bitmap(), colour.bitmap()};
    return CreateIconIndirect(&info);
}

// 4 x 4 colour icon: a red opaque square in the middle, transparent ring.
HICON ring_icon() {
    Canvas mask(4, 4, kWhite), colour(4, 4, kBlack);
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x) {
            mask.put(x, y, kBlack);
            colour.put(x, y, kRed);
        }
    ICONINFO info{TRUE, 0, 0, mask.bitmap(), colour.bitmap()};
    return CreateIconIndirect(&info);
}

}  // namespace

TEST(IconRules, AlphaIconsBlendWhenDrawn) {
    HICON icon = alpha_icon();
    ASSERT_NE(icon, nullptr);
    Canvas screen(2, 1, kGreen);
    ASSERT_TRUE(DrawIconEx(screen.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_TRUE(near(screen.at(0, 0), RGB(128, 127, 0)));
    EXPECT_EQ(screen.at(1, 0), kBlue);
    DestroyIcon(icon);
}

TEST(IconRules, CopiesOutliveTheirSource) {
    HICON icon = ring_icon();
    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(DestroyIcon(icon));
    // The caller's copies of the bitmaps are its own to delete.
    EXPECT_TRUE(DeleteObject(info.hbmMask));
    EXPECT_TRUE(DeleteObject(info.hbmColor));
    Canvas screen(6, 6, kGreen);
    EXPECT_TRUE(DrawIcon(screen.dc(), 1, 1, copy));
    EXPECT_EQ(screen.count(kRed), 4);
    EXPECT_EQ(screen.at(2, 2), kRed);
    EXPECT_EQ(screen.at(1, 1), kGreen);
    EXPECT_FALSE(DrawIcon(screen.dc(), 1, 1, icon));
    // A cursor keeps its own hot spot, and copies keep it too.
    Canvas mask(4, 4, kWhite), colour(4, 4, kBlack);
    ICONINFO cursor_info{FALSE, 3, 1, mask.bitmap(), colour.bitmap()};
    HCURSOR cursor = CreateIconIndirect(&cursor_info);
    HCURSOR cursor_copy = CopyIcon(cursor);
    ICONINFO got{};
    ASSERT_TRUE(GetIconInfo(cursor_copy, &got));
    EXPECT_FALSE(got.fIcon);
    EXPECT_EQ(got.xHotspot, 3u);
    EXPECT_EQ(got.yHotspot, 1u);
    DeleteObject(got.hbmMask);
    DeleteObject(got.hbmColor);
    DestroyCursor(cursor);
    DestroyCursor(cursor_copy);
    DestroyIcon(copy);
}

TEST(IconRules, DrawingFollowsTheClipAndTheViewport) {
    HICON icon = ring_icon();
    Canvas screen(8, 8, kGreen);
    HRGN clip = CreateRectRgn(0, 0, 3, 8);
    SelectClipRgn(screen.dc(), clip);
    DeleteObject(clip);
    SetViewportOrgEx(screen.dc(), 1, 1, nullptr);
    DrawIconEx(screen.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    // The square lands at (2, 2)-(4, 4); the clip keeps column 2 only.
    EXPECT_EQ(screen.column(2, kRed), "..##....");
    EXPECT_EQ(screen.count(kRed), 2);
    DestroyIcon(icon);
}

TEST(IconRules, MonochromeIconsInvertAndPaint) {
    // AND rows on top of XOR rows: (0,1) black, (1,1) white, (0,0) screen, (1,0) inverted.
    Canvas stacked(2, 4, kBlack);
    stacked.put(0, 0, kWhite);  // AND row 0
    stacked.put(1, 0, kWhite);
    stacked.put(1, 2, kWhite);  // XOR row 0
    stacked.put(1, 3, kWhite);  // XOR row 1
    HBITMAP mono = CreateBitmap(2, 4, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mono);
    BitBlt(dc, 0, 0, 2, 4, stacked.dc(), 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO info{TRUE, 0, 0, mono, nullptr};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mono);
    ASSERT_NE(icon, nullptr);
    Canvas screen(2, 2, RGB(10, 20, 30));
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_EQ(screen.at(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(screen.at(1, 0), RGB(245, 235, 225));
    EXPECT_EQ(screen.at(0, 1), kBlack);
    EXPECT_EQ(screen.at(1, 1), kWhite);
    DestroyIcon(icon);
}

TEST(ImageListRules, StripsPartsAndIndexes) {
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR24 | ILC_MASK, 4, 4);
    Canvas strip(6, 2, kMagenta);
    strip.put(0, 0, kRed);
    strip.put(2, 0, kGreen);
    strip.put(4, 0, kBlue);
    strip.put(5, 1, kBlue);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), kMagenta), 0);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), kMagenta), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);
    // Removing one moves the later ones down.
    EXPECT_TRUE(ImageList_Remove(list, 1));
    Canvas screen(2, 2, kWhite);
    ImageList_Draw(list, 1, screen.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(screen.at(0, 0), kBlue);
    EXPECT_EQ(screen.at(1, 1), kBlue);
    EXPECT_EQ(screen.count(kWhite), 2);
    // Only the top-left pixel of the part asked for.
    screen.clear(kWhite);
    ImageList_DrawEx(list, 1, screen.dc(), 0, 0, 1, 1, CLR_NONE, CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(screen.at(0, 0), kBlue);
    EXPECT_EQ(screen.count(kWhite), 3);
    // An explicit background colour fills what the mask leaves out.
    ImageList_DrawEx(list, 0, screen.dc(), 0, 0, 0, 0, kBlack, CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(screen.at(0, 0), kRed);
    EXPECT_EQ(screen.count(kBlack), 3);
    // A blend with an explicit colour mixes half and half.
    screen.clear(kWhite);
    ImageList_DrawEx(list, 0, screen.dc(), 0, 0, 0, 0, CLR_NONE, kBlue, ILD_TRANSPARENT | ILD_BLEND50);
    EXPECT_TRUE(near(screen.at(0, 0), RGB(128, 0, 128)));
    EXPECT_EQ(screen.at(1, 0), kWhite);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_NORMAL));
    ImageList_Destroy(list);
}

TEST(ImageListRules, ListsWithoutMasksDrawWholeImages) {
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR32, 1, 1);
    Canvas image(2, 1, kRed);
    Canvas mask(2, 1, kWhite);
    EXPECT_EQ(ImageList_Add(list, image.bitmap(), mask.bitmap()), 0);
    Canvas screen(2, 1, kGreen);
    ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(screen.count(kRed), 2);
    ImageList_Destroy(list);
}

// 32-bit icons with alpha keep their soft edges in a 32-bit list.
TEST(ImageListRules, AlphaIconsKeepTheirAlpha) {
    HICON icon = alpha_icon();
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_AddIcon(list, icon), 0);
    Canvas screen(2, 1, kGreen);
    ImageList_Draw(list, 0, screen.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_TRUE(near(screen.at(0, 0), RGB(128, 127, 0)));
    EXPECT_EQ(screen.at(1, 0), kBlue);
    ImageList_Destroy(list);
    DestroyIcon(icon);
}

// DI_IMAGE and DI_MASK on their own copy the image or the mask.
TEST(IconRules, ImageOrMaskAloneAreCopied) {
    HICON icon = ring_icon();
    Canvas screen(4, 4, kGreen);
    DrawIconEx(screen.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_IMAGE);
    EXPECT_EQ(screen.at(0, 0), kBlack);
    EXPECT_EQ(screen.at(1, 1), kRed);
    screen.clear(kGreen);
    DrawIconEx(screen.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
    EXPECT_EQ(screen.at(0, 0), kWhite);
    EXPECT_EQ(screen.at(1, 1), kBlack);
    DestroyIcon(icon);
}
