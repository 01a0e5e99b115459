#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/dc_state.h"

using gdi_test::Canvas;

TEST(MemoryDc, StartsWithAOneByOneMonochromeBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    HBITMAP initial = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
    BITMAP bm{};
    ASSERT_EQ(GetObject(initial, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    // What the DC makes is monochrome too, the classic trap.
    HBITMAP made = CreateCompatibleBitmap(dc, 8, 8);
    GetObject(made, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);  // rows of device bitmaps are padded to 2 bytes
    DeleteObject(made);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));  // stale handle
}

TEST(MemoryDc, CompatibleBitmapOfAColourDcIs32Bit) {
    Canvas canvas(4, 4);
    HBITMAP made = CreateCompatibleBitmap(canvas.dc(), 5, 3);
    BITMAP bm{};
    GetObject(made, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidth, 5);
    EXPECT_EQ(bm.bmBits, nullptr);
    DeleteObject(made);
}

TEST(SelectObject, ReturnsThePreviousObjectOfEachKind) {
    Canvas canvas(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HGDIOBJ old_pen = SelectObject(canvas.dc(), pen);
    HGDIOBJ old_brush = SelectObject(canvas.dc(), brush);
    EXPECT_EQ(old_pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(old_brush, GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(canvas.dc(), old_pen), pen);
    EXPECT_EQ(SelectObject(canvas.dc(), old_brush), brush);
    EXPECT_EQ(GetObjectType(GetCurrentObject(canvas.dc(), OBJ_FONT)), static_cast<DWORD>(OBJ_FONT));
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(SelectObject, ABitmapLivesInOneDcAtATime) {
    Canvas canvas(4, 4);
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, canvas.bitmap()), nullptr);
    EXPECT_FALSE(DeleteObject(canvas.bitmap()));  // still selected
    DeleteDC(other);
}

TEST(Handles, StaleAndForeignHandlesAreRefused) {
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    LOGPEN lp;
    EXPECT_EQ(GetObject(pen, sizeof(lp), &lp), 0);
    int local = 0;
    EXPECT_EQ(GetObjectType(&local), 0u);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(0xA5)), 0u);
    Canvas canvas(2, 2);
    EXPECT_EQ(SelectObject(canvas.dc(), pen), nullptr);
    // A pen handle is no brush.
    HPEN live = CreatePen(PS_SOLID, 1, 0);
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(FillRect(canvas.dc(), &r, reinterpret_cast<HBRUSH>(live)), 0);
    DeleteObject(live);
    // Stock objects survive deletion.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(GetObject, ReportsEveryKind) {
    HPEN pen = CreatePen(PS_DASH, 3, RGB(10, 20, 30));
    LOGPEN lp{};
    EXPECT_EQ(GetObject(pen, sizeof(lp), &lp), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(lp.lopnWidth.x, 3);
    EXPECT_EQ(lp.lopnColor, RGB(10, 20, 30));
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(1, 1, 1));
    LOGBRUSH lb{};
    GetObject(hatch, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
    LOGFONT lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    std::strcpy(lf.lfFaceName, "Verdana");
    HFONT font = CreateFontIndirect(&lf);
    LOGFONT back{};
    EXPECT_EQ(sizeof(LOGFONT), 60u);
    EXPECT_EQ(GetObject(font, sizeof(back), &back), 60);
    EXPECT_EQ(back.lfHeight, -13);
    EXPECT_STREQ(back.lfFaceName, "Verdana");
    EXPECT_EQ(GetObject(font, 0, nullptr), 60);
    LOGFONT gui{};
    EXPECT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui), 60);
    EXPECT_LT(gui.lfHeight, 0);
    DeleteObject(pen);
    DeleteObject(hatch);
    DeleteObject(font);
}

TEST(SaveDc, RestoresEveryPieceOfState) {
    Canvas canvas(20, 20);
    HDC dc = canvas.dc();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    const int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_XORPEN);
    SetStretchBltMode(dc, HALFTONE);
    SetViewportOrgEx(dc, 3, 4, nullptr);
    SetWindowOrgEx(dc, 5, 6, nullptr);
    IntersectClipRect(dc, 0, 0, 5, 5);
    MoveToEx(dc, 7, 7, nullptr);
    EXPECT_EQ(SaveDC(dc), 2);
    SetTextColor(dc, RGB(9, 9, 9));
    EXPECT_TRUE(RestoreDC(dc, -1));  // back to level 2's state
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_TRUE(RestoreDC(dc, level));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), canvas.bitmap());
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    POINT p;
    GetViewportOrgEx(dc, &p);
    EXPECT_EQ(p.x, 0);
    GetWindowOrgEx(dc, &p);
    EXPECT_EQ(p.y, 0);
    GetCurrentPositionEx(dc, &p);
    EXPECT_EQ(p.x, 0);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);  // no clip any more
    DeleteObject(clip);
    EXPECT_FALSE(RestoreDC(dc, 1));  // nothing saved now
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(DeviceCaps, NinetySixDpi) {
    Canvas canvas(2, 2);
    EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(canvas.dc(), BITSPIXEL), 32);
    EXPECT_NE(GetDeviceCaps(canvas.dc(), SHADEBLENDCAPS) & SB_PIXEL_ALPHA, 0);
    trelwin::gdi::set_screen_size(1280, 1024);
    EXPECT_EQ(GetDeviceCaps(canvas.dc(), HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(canvas.dc(), VERTRES), 1024);
    trelwin::gdi::set_screen_size(1920, 1080);
}

TEST(Coordinates, OriginsMoveDrawing) {
    Canvas canvas(20, 20);
    SetViewportOrgEx(canvas.dc(), 10, 5, nullptr);
    SetWindowOrgEx(canvas.dc(), 2, 1, nullptr);
    RECT r{0, 0, 1, 1};
    FillRect(canvas.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.at(8, 4), RGB(0, 0, 0));
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), 1);
    POINT pts[1] = {{0, 0}};
    LPtoDP(canvas.dc(), pts, 1);
    EXPECT_EQ(pts[0].x, 8);
    EXPECT_EQ(pts[0].y, 4);
}

TEST(WorldTransform, NeedsTheAdvancedModeAndScalesBlits) {
    Canvas canvas(20, 20);
    Canvas source(2, 2, RGB(255, 0, 0));
    XFORM scale{2.0f, 0, 0, 3.0f, 1.0f, 1.0f};
    EXPECT_FALSE(SetWorldTransform(canvas.dc(), &scale));
    EXPECT_EQ(SetGraphicsMode(canvas.dc(), GM_ADVANCED), GM_COMPATIBLE);
    EXPECT_TRUE(SetWorldTransform(canvas.dc(), &scale));
    EXPECT_EQ(SetGraphicsMode(canvas.dc(), GM_COMPATIBLE), 0);  // not while transformed
    BitBlt(canvas.dc(), 0, 0, 2, 2, source.dc(), 0, 0, SRCCOPY);
    // (0,0)-(2,2) maps to (1,1)-(5,7).
    EXPECT_EQ(canvas.count(RGB(255, 0, 0)), 4 * 6);
    EXPECT_EQ(canvas.at(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.at(4, 6), RGB(255, 0, 0));
    EXPECT_EQ(canvas.at(5, 6), RGB(255, 255, 255));
    ModifyWorldTransform(canvas.dc(), nullptr, MWT_IDENTITY);
    EXPECT_EQ(SetGraphicsMode(canvas.dc(), GM_COMPATIBLE), GM_ADVANCED);
}

TEST(WorldTransform, RotatesBlitsByQuarterTurns) {
    Canvas canvas(10, 10);
    Canvas source(3, 1, RGB(0, 0, 255));
    SetGraphicsMode(canvas.dc(), GM_ADVANCED);
    XFORM rotate{0.0f, 1.0f, -1.0f, 0.0f, 5.0f, 2.0f};  // x' = -y + 5, y' = x + 2
    SetWorldTransform(canvas.dc(), &rotate);
    BitBlt(canvas.dc(), 0, 0, 3, 1, source.dc(), 0, 0, SRCCOPY);
    // A 3x1 strip becomes a 1x3 column left of x = 5 from y = 2.
    EXPECT_EQ(canvas.count(RGB(0, 0, 255)), 3);
    EXPECT_EQ(canvas.column(4, RGB(0, 0, 255)), "..###.....");
}

TEST(Threads, SeveralThreadsDrawIntoTheirOwnDcs) {
    constexpr int kThreads = 6;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 30; ++round) {
                Canvas canvas(32, 32);
                HBRUSH brush = CreateSolidBrush(RGB(t * 10, round, 7));
                RECT r{2, 2, 30, 30};
                FillRect(canvas.dc(), &r, brush);
                HRGN rgn = CreateEllipticRgn(0, 0, 32, 32);
                SelectClipRgn(canvas.dc(), rgn);
                Canvas other(8, 8, RGB(1, 1, 1));
                BitBlt(canvas.dc(), 0, 0, 8, 8, other.dc(), 0, 0, SRCCOPY);
                if (canvas.at(16, 16) != RGB(t * 10, round, 7)) failures++;
                DeleteObject(rgn);
                DeleteObject(brush);
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(SaveDc, TextStateBrushOriginAndTransformComeBack) {
    Canvas canvas(8, 8);
    HDC dc = canvas.dc();
    LOGFONT lf{};
    lf.lfHeight = -20;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirect(&lf);
    const int level = SaveDC(dc);
    SelectObject(dc, font);
    SetTextAlign(dc, TA_BASELINE | TA_CENTER | TA_UPDATECP);
    SetTextJustification(dc, 10, 2);
    SetTextCharacterExtra(dc, 3);
    SetBrushOrgEx(dc, 4, 5, nullptr);
    SetPolyFillMode(dc, WINDING);
    SetGraphicsMode(dc, GM_ADVANCED);
    XFORM scale{2, 0, 0, 2, 0, 0};
    SetWorldTransform(dc, &scale);
    SetDCBrushColor(dc, RGB(1, 2, 3));
    SIZE changed{};
    GetTextExtentPoint32(dc, "a b c", 5, &changed);
    RestoreDC(dc, level);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_LEFT | TA_TOP | TA_NOUPDATECP));
    EXPECT_EQ(GetTextCharacterExtra(dc), 0);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    POINT org;
    GetBrushOrgEx(dc, &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(GetPolyFillMode(dc), ALTERNATE);
    EXPECT_EQ(GetGraphicsMode(dc), GM_COMPATIBLE);
    XFORM back{};
    GetWorldTransform(dc, &back);
    EXPECT_EQ(back.eM11, 1.0f);
    EXPECT_EQ(GetDCBrushColor(dc), RGB(255, 255, 255));
    // The justification is gone too: the same font measures without it.
    SelectObject(dc, font);
    SIZE plain{};
    GetTextExtentPoint32(dc, "a b c", 5, &plain);
    EXPECT_EQ(changed.cx, plain.cx + 10 + 5 * 3);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Handles, DeletingASelectedPenKeepsTheDcDrawing) {
    Canvas canvas(6, 2);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    SelectObject(canvas.dc(), pen);
    EXPECT_TRUE(DeleteObject(pen));
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 6, 0);
    EXPECT_EQ(canvas.at(3, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetObjectType(pen), 0u);
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
}

namespace {

// A stand-in for a window: a part of a shared surface at an origin, with a
// visible region that leaves out what overlapping windows cover.
class ChildTarget : public trelwin::gdi::DrawTarget {
public:
    ChildTarget(uint32_t* bits, int width, int height) {
        surface_.width = width;
        surface_.height = height;
        surface_.bpp = 32;
        surface_.bits = reinterpret_cast<uint8_t*>(bits);
        surface_.stride = width * 4;
        visible_ = trelwin::gdi::RegionData::combine(trelwin::gdi::RegionData::from_rect(RECT{10, 10, 30, 30}),
                                                     trelwin::gdi::RegionData::from_rect(RECT{10, 10, 13, 13}), RGN_DIFF);
    }
    trelwin::gdi::Surface* surface() override { return &surface_; }
    POINT origin() override { return POINT{10, 10}; }
    const trelwin::gdi::RegionData* visible_region() override { return &visible_; }

private:
    trelwin::gdi::Surface surface_;
    trelwin::gdi::RegionData visible_;
};

}  // namespace

TEST(TargetDc, DrawsAtTheTargetOriginInsideItsVisibleRegion) {
    Canvas screen(40, 40);
    HDC dc = trelwin::gdi::create_target_dc(std::make_shared<ChildTarget>(screen.bits(), 40, 40));
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    RECT r{0, 0, 25, 5};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // Client (0,0)-(25,5) is screen (10,10)-(35,15), cut to the window's 20
    // columns, minus the covered 3x3 corner.
    EXPECT_EQ(screen.count(RGB(0, 0, 0)), 20 * 5 - 9);
    EXPECT_EQ(screen.at(13, 10), RGB(0, 0, 0));
    EXPECT_EQ(screen.at(12, 12), RGB(255, 255, 255));
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 20);
    IntersectClipRect(dc, 5, 0, 10, 20);  // client coordinates
    screen.clear(RGB(255, 255, 255));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(screen.count(RGB(0, 0, 0)), 5 * 5);
    EXPECT_EQ(screen.at(15, 10), RGB(0, 0, 0));
    EXPECT_TRUE(DeleteDC(dc));
}
