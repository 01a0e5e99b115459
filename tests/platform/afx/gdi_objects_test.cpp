#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "afx_canvas.h"
#include "platform/base/exceptions.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"

using namespace afx_test;

namespace {

template <typename F>
bool ThrowsResourceException(F f) {
    try {
        f();
    } catch (CResourceException* e) {
        e->Delete();
        return true;
    }
    return false;
}

}  // namespace

TEST(GdiObjectLifetime, DestructorsDeleteTheirHandles) {
    const size_t before = LiveHandles();
    {
        CPen pen(PS_SOLID, 2, kRed);
        CBrush brush(kGreen);
        CBrush hatch(HS_CROSS, kBlue);
        CFont font;
        ASSERT_TRUE(font.CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial"));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, nullptr));
        CRgn region;
        ASSERT_TRUE(region.CreateEllipticRgn(0, 0, 10, 10));
        EXPECT_EQ(LiveHandles(), before + 6);
    }
    EXPECT_EQ(LiveHandles(), before);
}

TEST(GdiObjectLifetime, DetachHandsTheHandleOverUndeleted) {
    const size_t before = LiveHandles();
    HGDIOBJ handle = nullptr;
    {
        CBrush brush(kRed);
        handle = brush.Detach();
        EXPECT_EQ(brush.m_hObject, nullptr);
        EXPECT_FALSE(brush.DeleteObject());
    }
    EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
    CBrush adopter;
    ASSERT_TRUE(adopter.Attach(handle));
    EXPECT_FALSE(adopter.Attach(GetStockObject(BLACK_BRUSH)));  // holds one already
    EXPECT_EQ(adopter.m_hObject, handle);
    EXPECT_TRUE(adopter.DeleteObject());
    EXPECT_EQ(LiveHandles(), before);
}

TEST(GdiObjectLifetime, CreatingIntoAHeldObjectFailsWithoutLeaking) {
    const size_t before = LiveHandles();
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, kRed));
    HGDIOBJ first = pen.m_hObject;
    EXPECT_FALSE(pen.CreatePen(PS_DOT, 1, kBlue));
    EXPECT_EQ(pen.m_hObject, first);
    EXPECT_EQ(LiveHandles(), before + 1);
    ASSERT_TRUE(pen.DeleteObject());
    ASSERT_TRUE(pen.CreatePen(PS_DOT, 1, kBlue));
    LOGPEN lp{};
    ASSERT_EQ(pen.GetLogPen(&lp), static_cast<int>(sizeof(lp)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(lp.lopnColor, kBlue);
}

TEST(GdiObjectLifetime, RefusedConstructionThrowsAResourceException) {
    const size_t before = LiveHandles();
    EXPECT_TRUE(ThrowsResourceException([] { CPen pen(7, 1, kRed); }));
    EXPECT_TRUE(ThrowsResourceException([] { CBrush brush(17, kRed); }));
    EXPECT_TRUE(ThrowsResourceException([] {
        CBitmap none;
        CBrush brush(&none);
    }));
    EXPECT_EQ(LiveHandles(), before);
}

TEST(GdiObjectLifetime, SharedHandlesSurviveTheirObjects) {
    HBRUSH system = GetSysColorBrush(COLOR_BTNFACE);
    {
        CBrush face;
        ASSERT_TRUE(face.CreateSysColorBrush(COLOR_BTNFACE));
        EXPECT_EQ(face.m_hObject, system);
        CBrush other;
        ASSERT_TRUE(other.CreateSysColorBrush(COLOR_BTNFACE));
        CPen stock;
        ASSERT_TRUE(stock.CreateStockObject(NULL_PEN));
    }
    EXPECT_EQ(GetObjectType(system), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_PEN)), static_cast<DWORD>(OBJ_PEN));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObject(system, sizeof(lb), &lb));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST(GdiObjectFromHandle, OwnedHandlesGiveTheirOwner) {
    CFont font;
    ASSERT_TRUE(font.CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana"));
    EXPECT_EQ(CFont::FromHandle(font), &font);
    EXPECT_EQ(CGdiObject::FromHandle(font.m_hObject), &font);
    HFONT handle = font;
    font.Detach();
    // Detached: a temporary now stands for it.
    CFont* temp = CFont::FromHandle(handle);
    ASSERT_NE(temp, nullptr);
    EXPECT_NE(temp, &font);
    EXPECT_EQ(temp->m_hObject, handle);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));  // the temporary did not own it
    DeleteObject(handle);
    EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
}

TEST(GdiObjectFromHandle, TemporariesFitTheKindAndStayUntilFreed) {
    const size_t before = LiveHandles();
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    CPen* wrapper = CPen::FromHandle(pen);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_TRUE(wrapper->IsKindOf(RUNTIME_CLASS(CPen)));
    EXPECT_EQ(CPen::FromHandle(pen), wrapper);
    EXPECT_EQ(CGdiObject::FromHandle(pen), wrapper);
    // Asked for as the wrong kind: no object rather than a mistyped one.
    EXPECT_EQ(CBrush::FromHandle(reinterpret_cast<HBRUSH>(pen)), nullptr);
    CRgn* rgn = CRgn::FromHandle(region);
    ASSERT_NE(rgn, nullptr);
    EXPECT_TRUE(rgn->PtInRegion(0, 0));

    trelwin::afx::FreeTemporaryObjects();
    EXPECT_EQ(LiveHandles(), before + 2);
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
    DeleteObject(pen);
    DeleteObject(region);
    EXPECT_EQ(LiveHandles(), before);
}

TEST(GdiObjectFromHandle, EachThreadHasItsOwnTemporaries) {
    HBRUSH brush = CreateSolidBrush(kRed);
    CBrush* mine = CBrush::FromHandle(brush);
    CBrush* theirs = nullptr;
    HGDIOBJ seen = nullptr;
    std::thread worker([&] {
        theirs = CBrush::FromHandle(brush);
        seen = theirs->m_hObject;
        // Freed at the thread's end without touching the handle.
    });
    worker.join();
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(seen, brush);
    EXPECT_EQ(mine->m_hObject, brush);
    // An owned handle gives the owner on every thread.
    CBrush owner;
    owner.Attach(brush);
    CBrush* found = nullptr;
    std::thread other([&] { found = CBrush::FromHandle(brush); });
    other.join();
    EXPECT_EQ(found, &owner);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(CFontTest, LogFontRoundTrips) {
    LOGFONT lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(lf.lfFaceName, "Verdana");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    LOGFONT back{};
    ASSERT_EQ(font.GetLogFont(&back), static_cast<int>(sizeof(LOGFONT)));
    EXPECT_EQ(std::memcmp(&lf, &back, sizeof(LOGFONT)), 0);
    CFont bold;
    back.lfWeight = FW_HEAVY;
    ASSERT_TRUE(bold.CreateFontIndirect(&back));
    LOGFONT heavy{};
    bold.GetLogFont(&heavy);
    EXPECT_EQ(heavy.lfWeight, FW_HEAVY);
    EXPECT_STREQ(heavy.lfFaceName, "Verdana");
}

TEST(CBitmapTest, BitsRoundTripAndInformation) {
    CBitmap bitmap;
    const uint32_t pixels[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
    ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 32, pixels));
    BITMAP bm{};
    ASSERT_EQ(bitmap.GetBitmap(&bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    uint32_t out[4] = {};
    EXPECT_EQ(bitmap.GetBitmapBits(sizeof(out), out), sizeof(out));
    EXPECT_EQ(std::memcmp(out, pixels, sizeof(out)), 0);
    const uint32_t changed[4] = {1, 2, 3, 4};
    EXPECT_EQ(bitmap.SetBitmapBits(sizeof(changed), changed), sizeof(changed));
    bitmap.GetBitmapBits(sizeof(out), out);
    EXPECT_EQ(out[3], 4u);

    BITMAP mono{0, 16, 2, 2, 1, 1, nullptr};
    CBitmap indirect;
    ASSERT_TRUE(indirect.CreateBitmapIndirect(&mono));
    indirect.GetBitmap(&bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidth, 16);
}

TEST(CBitmapTest, CompatibleBitmapsFollowTheDc) {
    CDC fresh;
    ASSERT_TRUE(fresh.CreateCompatibleDC(nullptr));
    CBitmap mono;
    ASSERT_TRUE(mono.CreateCompatibleBitmap(&fresh, 8, 8));
    BITMAP bm{};
    mono.GetBitmap(&bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);  // a new memory DC holds a monochrome bitmap

    Canvas canvas(4, 4);
    CBitmap colour;
    ASSERT_TRUE(colour.CreateCompatibleBitmap(&canvas.dc, 8, 8));
    colour.GetBitmap(&bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
}

namespace {

// A packed DIB as bitmap resources hold it: header, colour table, rows.
std::vector<uint8_t> PackedDib(int width, int height, int bpp, const std::vector<uint8_t>& table,
                               const std::vector<uint8_t>& rows) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bpp);
    h.biCompression = BI_RGB;
    std::vector<uint8_t> out(sizeof(h));
    std::memcpy(out.data(), &h, sizeof(h));
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

const std::vector<uint8_t>& ColourDib() {
    // 3 x 2, 24 bits, bottom-up: bottom row blue, green, red; top row white,
    // black, white. Rows of 9 bytes padded to 12.
    static const std::vector<uint8_t> dib = PackedDib(
        3, 2, 24, {},
        {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0});
    return dib;
}

const std::vector<uint8_t>& MonoDib() {
    // 8 x 1, 1 bit, colour table black / white, pixels 10110000.
    static const std::vector<uint8_t> dib = PackedDib(8, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0xB0, 0, 0, 0});
    return dib;
}

const std::vector<uint8_t>& BrokenDib() {
    static const std::vector<uint8_t> dib = {40, 0, 0, 0, 1};
    return dib;
}

class LoadBitmapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCE(9101), ColourDib().data(), ColourDib().size());
        trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCE(9102), MonoDib().data(), MonoDib().size());
        trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCE(9103), BrokenDib().data(), BrokenDib().size());
        trelwin::RegisterResource(RT_BITMAP, "GAUGE", ColourDib().data(), ColourDib().size());
    }
};

}  // namespace

TEST_F(LoadBitmapTest, ColourResourceBecomesAScreenBitmap) {
    CBitmap picture;
    ASSERT_TRUE(picture.LoadBitmap(9101));
    BITMAP bm{};
    picture.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, nullptr);  // a device bitmap, not a DIB section

    Canvas canvas(3, 2, kBlack);
    CDC source;
    ASSERT_TRUE(source.CreateCompatibleDC(&canvas.dc));
    CBitmap* old = source.SelectObject(&picture);
    ASSERT_TRUE(canvas.dc.BitBlt(0, 0, 3, 2, &source, 0, 0, SRCCOPY));
    source.SelectObject(old);
    EXPECT_EQ(canvas.at(0, 0), kWhite);
    EXPECT_EQ(canvas.at(1, 0), kBlack);
    EXPECT_EQ(canvas.at(0, 1), kBlue);
    EXPECT_EQ(canvas.at(1, 1), kGreen);
    EXPECT_EQ(canvas.at(2, 1), kRed);

    CBitmap byName;
    EXPECT_TRUE(byName.LoadBitmap("gauge"));
    EXPECT_FALSE(byName.LoadBitmap(9101));  // already holds one
}

TEST_F(LoadBitmapTest, MonochromeResourceStaysMonochrome) {
    CBitmap mask;
    ASSERT_TRUE(mask.LoadBitmap(9102));
    BITMAP bm{};
    mask.GetBitmap(&bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    uint8_t row[2] = {};
    ASSERT_EQ(mask.GetBitmapBits(sizeof(row), row), 2u);
    EXPECT_EQ(row[0], 0xB0);
}

TEST_F(LoadBitmapTest, MissingOrDamagedResourcesFailCleanly) {
    const size_t before = LiveHandles();
    CBitmap bitmap;
    SetLastError(0);
    EXPECT_FALSE(bitmap.LoadBitmap(9199));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_FALSE(bitmap.LoadBitmap(9103));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(bitmap.m_hObject, nullptr);
    EXPECT_EQ(LiveHandles(), before);
}

TEST(CRgnTest, CombineCopyCompareAndQuery) {
    CRgn a, b, both;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgnIndirect(CRect(20, 0, 30, 10)));
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(both.PtInRegion(CPoint(25, 5)));
    EXPECT_FALSE(both.PtInRegion(15, 5));
    EXPECT_TRUE(both.RectInRegion(CRect(8, 8, 22, 9)));
    EXPECT_FALSE(both.RectInRegion(CRect(11, 0, 19, 10)));
    CRect box;
    EXPECT_EQ(both.GetRgnBox(&box), COMPLEXREGION);
    EXPECT_EQ(box, CRect(0, 0, 30, 10));

    CRgn copy;
    ASSERT_TRUE(copy.CreateRectRgn(0, 0, 1, 1));
    EXPECT_EQ(copy.CopyRgn(&both), COMPLEXREGION);
    EXPECT_TRUE(copy.EqualRgn(&both));
    EXPECT_EQ(copy.OffsetRgn(CPoint(1, 0)), COMPLEXREGION);
    EXPECT_FALSE(copy.EqualRgn(&both));
    copy.SetRectRgn(CRect(0, 0, 10, 10));
    EXPECT_TRUE(copy.EqualRgn(&a));

    // Without a handle to write into, combining fails.
    CRgn empty;
    EXPECT_EQ(empty.CombineRgn(&a, &b, RGN_OR), ERROR);
    EXPECT_EQ(empty.CopyRgn(&a), ERROR);
}

TEST(CRgnTest, RegionDataRebuildsTheRegion) {
    CRgn shape;
    ASSERT_TRUE(shape.CreateRoundRectRgn(0, 0, 40, 30, 16, 16));
    EXPECT_FALSE(shape.PtInRegion(0, 0));  // rounded off
    EXPECT_TRUE(shape.PtInRegion(20, 15));
    const int size = shape.GetRegionData(nullptr, 0);
    ASSERT_GT(size, static_cast<int>(sizeof(RGNDATAHEADER)));
    std::vector<uint8_t> buffer(static_cast<size_t>(size));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    ASSERT_EQ(shape.GetRegionData(data, size), size);
    CRgn rebuilt;
    ASSERT_TRUE(rebuilt.CreateFromData(nullptr, size, data));
    EXPECT_TRUE(rebuilt.EqualRgn(&shape));

    XFORM twice{2, 0, 0, 2, 0, 0};
    CRgn scaled;
    ASSERT_TRUE(scaled.CreateFromData(&twice, size, data));
    CRect box;
    scaled.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 80, 60));
    CRgn refused;
    EXPECT_FALSE(refused.CreateFromData(nullptr, 0, data));
}

TEST(CRgnTest, EllipseAndPolygonRegions) {
    CRgn ellipse, triangle;
    ASSERT_TRUE(ellipse.CreateEllipticRgnIndirect(CRect(0, 0, 20, 20)));
    EXPECT_TRUE(ellipse.PtInRegion(10, 10));
    EXPECT_FALSE(ellipse.PtInRegion(1, 1));
    const POINT points[3] = {{0, 0}, {20, 0}, {0, 20}};
    ASSERT_TRUE(triangle.CreatePolygonRgn(points, 3, ALTERNATE));
    EXPECT_TRUE(triangle.PtInRegion(2, 2));
    EXPECT_FALSE(triangle.PtInRegion(18, 18));
}
