#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "afx_canvas.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"

using namespace afx_test;

namespace {

// A 4 x 4 icon of one colour whose top-left 2 x 2 quarter is transparent.
HICON MakeIcon(COLORREF colour) {
    uint32_t pixels[16];
    for (auto& p : pixels) p = Canvas::to_pixel(colour);
    // Monochrome rows are padded to 2 bytes; set bits are transparent.
    const WORD mask_rows[4] = {0x00C0, 0x00C0, 0x0000, 0x0000};
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = CreateBitmap(4, 4, 1, 32, pixels);
    info.hbmMask = CreateBitmap(4, 4, 1, 1, mask_rows);
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return icon;
}

}  // namespace

TEST(CImageListTest, IconsAreAddedCountedAndDrawnTransparently) {
    const size_t before = LiveHandles();
    {
        CImageList list;
        ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 3, 0));
        EXPECT_FALSE(list.Create(4, 4, ILC_COLOR32, 1, 0));  // holds one already
        HICON red = MakeIcon(kRed), blue = MakeIcon(kBlue);
        EXPECT_EQ(list.Add(red), 0);
        EXPECT_EQ(list.Add(blue), 1);
        EXPECT_EQ(list.Add(red), 2);
        EXPECT_EQ(list.GetImageCount(), 3);
        EXPECT_EQ(list.Replace(2, blue), 2);
        DestroyIcon(red);
        DestroyIcon(blue);

        Canvas canvas(10, 6);
        EXPECT_TRUE(list.Draw(&canvas.dc, 1, CPoint(1, 1), ILD_TRANSPARENT));
        EXPECT_EQ(canvas.count(kBlue), 12);
        EXPECT_EQ(canvas.at(1, 1), kWhite);  // the transparent quarter
        EXPECT_EQ(canvas.at(4, 4), kBlue);
        EXPECT_TRUE(list.Draw(&canvas.dc, 2, CPoint(6, 1), ILD_TRANSPARENT));
        EXPECT_EQ(canvas.count(kBlue), 24);
        EXPECT_FALSE(list.Draw(&canvas.dc, 3, CPoint(0, 0), ILD_NORMAL));
        EXPECT_FALSE(list.Draw(nullptr, 0, CPoint(0, 0), ILD_NORMAL));

        HICON copy = list.ExtractIcon(0);
        ASSERT_NE(copy, nullptr);
        EXPECT_TRUE(DestroyIcon(copy));
        EXPECT_TRUE(list.Remove(0));
        EXPECT_EQ(list.GetImageCount(), 2);
        EXPECT_TRUE(list.Remove(-1));
        EXPECT_EQ(list.GetImageCount(), 0);
    }
    EXPECT_EQ(LiveHandles(), before);
}

TEST(CImageListTest, BitmapsAddOneImagePerCellWithAMaskColour) {
    Canvas strip(8, 4, kRed);
    strip.dc.FillSolidRect(4, 0, 4, 4, kBlue);
    strip.dc.FillSolidRect(0, 0, 1, 1, kGreen);  // the mask colour
    CBitmap image;
    ASSERT_TRUE(image.CreateCompatibleBitmap(&strip.dc, 8, 4));
    {
        CDC copy;
        copy.CreateCompatibleDC(&strip.dc);
        CBitmap* old = copy.SelectObject(&image);
        copy.BitBlt(0, 0, 8, 4, &strip.dc, 0, 0, SRCCOPY);
        copy.SelectObject(old);
    }
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 2));
    EXPECT_EQ(list.Add(&image, kGreen), 0);
    EXPECT_EQ(list.Add(&image, static_cast<CBitmap*>(nullptr)), 2);
    EXPECT_EQ(list.GetImageCount(), 4);
    Canvas canvas(4, 4);
    EXPECT_TRUE(list.Draw(&canvas.dc, 0, CPoint(0, 0), ILD_TRANSPARENT));
    EXPECT_EQ(canvas.at(0, 0), kWhite);
    EXPECT_EQ(canvas.count(kRed), 15);
    EXPECT_TRUE(list.DrawEx(&canvas.dc, 1, CPoint(0, 0), CSize(2, 2), CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(canvas.count(kBlue), 4);
    EXPECT_EQ(list.SetBkColor(kGreen), CLR_NONE);
    EXPECT_EQ(list.GetBkColor(), kGreen);
}

TEST(CImageListTest, AttachDetachAndTemporaries) {
    const size_t before = LiveHandles();
    HIMAGELIST raw = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    CImageList* temp = CImageList::FromHandle(raw);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->GetImageCount(), 0);
    EXPECT_EQ(CImageList::FromHandle(raw), temp);
    CImageList::DeleteTempMap();
    EXPECT_EQ(ImageList_GetImageCount(raw), 0);  // the temporary did not own it
    {
        CImageList owner;
        ASSERT_TRUE(owner.Attach(raw));
        EXPECT_EQ(CImageList::FromHandle(raw), &owner);
        EXPECT_EQ(static_cast<HIMAGELIST>(owner), raw);
    }
    int cx = 0, cy = 0;
    EXPECT_FALSE(ImageList_GetIconSize(raw, &cx, &cy));  // destroyed with its owner
    EXPECT_EQ(LiveHandles(), before);

    CImageList keeper;
    keeper.Create(8, 8, ILC_COLOR32, 1, 1);
    HIMAGELIST kept = keeper.Detach();
    EXPECT_EQ(keeper.GetSafeHandle(), nullptr);
    EXPECT_FALSE(keeper.DeleteImageList());
    EXPECT_TRUE(ImageList_Destroy(kept));
    EXPECT_EQ(LiveHandles(), before);
}

namespace {

// 8 x 4, 24 bits, bottom-up: left half green (the mask colour), right half red.
const std::vector<uint8_t>& StripDib() {
    static const std::vector<uint8_t> dib = [] {
        BITMAPINFOHEADER h{};
        h.biSize = sizeof(h);
        h.biWidth = 8;
        h.biHeight = 4;
        h.biPlanes = 1;
        h.biBitCount = 24;
        std::vector<uint8_t> out(sizeof(h));
        std::memcpy(out.data(), &h, sizeof(h));
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                const uint8_t green = x < 4 ? 255 : 0;
                const uint8_t bgr[3] = {0, green, static_cast<uint8_t>(255 - green)};
                out.insert(out.end(), bgr, bgr + 3);
            }
        }
        return out;
    }();
    return dib;
}

}  // namespace

TEST(CImageListTest, CreatesFromABitmapResource) {
    trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCE(9201), StripDib().data(), StripDib().size());
    CImageList list;
    ASSERT_TRUE(list.Create(9201, 4, 1, kGreen));
    EXPECT_EQ(list.GetImageCount(), 2);
    Canvas canvas(4, 4);
    list.Draw(&canvas.dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(canvas.count(kWhite), 16);
    list.Draw(&canvas.dc, 1, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(canvas.count(kRed), 16);
    CImageList missing;
    EXPECT_FALSE(missing.Create(9299, 4, 1, kGreen));
    EXPECT_EQ(missing.m_hImageList, nullptr);
}
