#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "afx_canvas.h"

using namespace afx_test;

TEST(CDCLifetime, OwnsTheDcItCreatesButNotOneItDetaches) {
    const size_t before = LiveHandles();
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr));  // holds one already
        EXPECT_EQ(LiveHandles(), before + 1);
    }
    EXPECT_EQ(LiveHandles(), before);

    HDC kept = nullptr;
    {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        kept = dc.Detach();
        EXPECT_EQ(dc.GetSafeHdc(), nullptr);
        EXPECT_EQ(dc.m_hAttribDC, nullptr);
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_MEMDC));
    CDC adopter;
    ASSERT_TRUE(adopter.Attach(kept));
    EXPECT_EQ(adopter.m_hAttribDC, kept);
    EXPECT_TRUE(adopter.DeleteDC());
    EXPECT_FALSE(adopter.DeleteDC());
    EXPECT_EQ(LiveHandles(), before);
}

namespace {

// The pattern of the window DCs: attach a DC that someone else releases.
class BorrowedDC : public CDC {
public:
    explicit BorrowedDC(HDC hdc) { Attach(hdc); }
    ~BorrowedDC() override { Detach(); }
};

}  // namespace

TEST(CDCLifetime, DerivedClassesCanBorrowADc) {
    HDC raw = CreateCompatibleDC(nullptr);
    {
        BorrowedDC dc(raw);
        EXPECT_EQ(CDC::FromHandle(raw), &dc);
        dc.SetTextColor(kRed);
    }
    EXPECT_EQ(GetTextColor(raw), kRed);
    EXPECT_TRUE(DeleteDC(raw));
}

TEST(CDCFromHandle, TemporariesWrapWithoutOwning) {
    const size_t before = LiveHandles();
    HDC raw = CreateCompatibleDC(nullptr);
    CDC* temp = CDC::FromHandle(raw);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hDC, raw);
    EXPECT_EQ(temp->m_hAttribDC, raw);
    EXPECT_EQ(CDC::FromHandle(raw), temp);
    temp->SetBkColor(kBlue);
    CDC::DeleteTempMap();
    EXPECT_EQ(GetBkColor(raw), kBlue);  // still alive
    EXPECT_EQ(LiveHandles(), before + 1);
    DeleteDC(raw);
    EXPECT_EQ(CDC::FromHandle(nullptr), nullptr);
    EXPECT_EQ(LiveHandles(), before);
}

TEST(CDCSelection, ReturnsThePreviousObjectAsItsOwner) {
    Canvas canvas(4, 4);
    CDC& dc = canvas.dc;
    CPen red(PS_SOLID, 1, kRed), blue(PS_SOLID, 3, kBlue);
    CPen* stock = dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(stock->m_hObject, GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.SelectObject(&blue), &red);
    EXPECT_EQ(dc.GetCurrentPen(), &blue);
    EXPECT_EQ(dc.SelectObject(stock), &blue);
    EXPECT_EQ(dc.GetCurrentPen(), stock);

    CFont font;
    font.CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CFont* oldFont = dc.SelectObject(&font);
    ASSERT_NE(oldFont, nullptr);
    EXPECT_EQ(dc.GetCurrentFont(), &font);
    EXPECT_EQ(dc.SelectObject(oldFont), &font);

    CBrush brush(kGreen);
    CGdiObject* oldBrush = dc.SelectObject(static_cast<CGdiObject*>(&brush));
    ASSERT_NE(oldBrush, nullptr);
    EXPECT_TRUE(oldBrush->IsKindOf(RUNTIME_CLASS(CBrush)));
    EXPECT_EQ(dc.SelectStockObject(NULL_BRUSH), &brush);
    EXPECT_EQ(dc.GetCurrentBrush()->m_hObject, GetStockObject(NULL_BRUSH));
    EXPECT_EQ(dc.SelectStockObject(12345), nullptr);

    CBitmap* current = dc.GetCurrentBitmap();
    EXPECT_EQ(current, &canvas.bitmap);
    // A bitmap cannot be in two DCs: the second selection is refused.
    CDC other;
    other.CreateCompatibleDC(&dc);
    EXPECT_EQ(other.SelectObject(&canvas.bitmap), nullptr);
    EXPECT_EQ(dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
}

TEST(CDCSelection, RegionsBecomeTheClip) {
    Canvas canvas(10, 10);
    CRgn region;
    region.CreateRectRgn(2, 2, 5, 5);
    EXPECT_EQ(canvas.dc.SelectObject(&region), SIMPLEREGION);
    EXPECT_EQ(canvas.dc.SelectObject(static_cast<CGdiObject*>(&region)), nullptr);
    region.DeleteObject();  // the DC keeps its own copy
    canvas.dc.FillSolidRect(0, 0, 10, 10, kRed);
    EXPECT_EQ(canvas.count(kRed), 9);
    EXPECT_EQ(canvas.count(kRed, 2, 2, 5, 5), 9);
    CRect box;
    EXPECT_EQ(canvas.dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(2, 2, 5, 5));
    EXPECT_EQ(canvas.dc.SelectClipRgn(nullptr), SIMPLEREGION);
    canvas.dc.FillSolidRect(CRect(0, 0, 10, 10), kBlue);
    EXPECT_EQ(canvas.count(kBlue), 100);
}

TEST(CDCClipping, ClipRectanglesSaveAndRestore) {
    Canvas canvas(10, 10);
    CDC& dc = canvas.dc;
    const int saved = dc.SaveDC();
    ASSERT_GT(saved, 0);
    dc.SetTextColor(kBlue);
    EXPECT_EQ(dc.IntersectClipRect(CRect(0, 0, 6, 6)), SIMPLEREGION);
    EXPECT_EQ(dc.ExcludeClipRect(0, 0, 3, 6), SIMPLEREGION);
    EXPECT_EQ(dc.OffsetClipRgn(CSize(1, 1)), SIMPLEREGION);
    EXPECT_TRUE(dc.PtVisible(CPoint(4, 1)));
    EXPECT_FALSE(dc.PtVisible(1, 4));
    EXPECT_TRUE(dc.RectVisible(CRect(0, 0, 5, 5)));
    dc.FillSolidRect(0, 0, 10, 10, kRed);
    EXPECT_EQ(canvas.count(kRed), 18);  // (4..6) x (1..6)
    EXPECT_EQ(canvas.row(3, kRed), "....###...");
    ASSERT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.GetTextColor(), kBlack);
    EXPECT_TRUE(dc.PtVisible(1, 4));
    EXPECT_FALSE(dc.RestoreDC(saved));

    CRgn band;
    band.CreateRectRgn(0, 0, 10, 2);
    EXPECT_EQ(dc.SelectClipRgn(&band, RGN_COPY), SIMPLEREGION);
    CRgn extra;
    extra.CreateRectRgn(0, 8, 10, 10);
    EXPECT_EQ(dc.SelectClipRgn(&extra, RGN_OR), COMPLEXREGION);
    canvas.clear(kWhite);
    dc.FillSolidRect(0, 0, 10, 10, kGreen);
    EXPECT_EQ(canvas.column(0, kGreen), "##......##");
}

TEST(CDCDrawing, FillsFramesAndLines) {
    Canvas canvas(12, 12);
    CDC& dc = canvas.dc;
    dc.FillSolidRect(CRect(1, 1, 4, 3), kRed);
    EXPECT_EQ(canvas.count(kRed), 6);
    EXPECT_EQ(dc.GetBkColor(), kRed);  // left as the background colour

    canvas.clear(kWhite);
    dc.Draw3dRect(CRect(0, 0, 5, 4), kRed, kBlue);
    EXPECT_EQ(canvas.row(0, kRed), "####........");
    EXPECT_EQ(canvas.row(3, kBlue), "#####.......");
    EXPECT_EQ(canvas.column(0, kRed), "###.........");
    EXPECT_EQ(canvas.column(4, kBlue), "####........");
    EXPECT_EQ(canvas.count(kWhite, 1, 1, 4, 3), 6);

    canvas.clear(kWhite);
    CPen pen(PS_SOLID, 1, kBlue);
    CPen* oldPen = dc.SelectObject(&pen);
    EXPECT_EQ(dc.MoveTo(CPoint(1, 5)), CPoint(0, 0));
    EXPECT_TRUE(dc.LineTo(6, 5));
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(6, 5));
    EXPECT_EQ(canvas.row(5, kBlue), ".#####......");  // the end point is not painted
    const POINT zigzag[3] = {{0, 8}, {3, 8}, {3, 11}};
    EXPECT_TRUE(dc.Polyline(zigzag, 3));
    EXPECT_EQ(canvas.row(8, kBlue), "####........");
    EXPECT_EQ(canvas.column(3, kBlue), ".....#..###.");

    canvas.clear(kWhite);
    CBrush green(kGreen);
    CBrush* oldBrush = dc.SelectObject(&green);
    EXPECT_TRUE(dc.Rectangle(CRect(2, 2, 7, 6)));
    EXPECT_EQ(canvas.row(2, kBlue), "..#####.....");
    EXPECT_EQ(canvas.row(3, kGreen), "...###......");
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);

    canvas.clear(kWhite);
    CBrush red(kRed);
    dc.FillRect(CRect(0, 0, 3, 3), &red);
    dc.FrameRect(CRect(4, 0, 8, 3), &red);
    EXPECT_EQ(canvas.row(1, kRed), "###.#..#....");
    dc.InvertRect(CRect(0, 0, 1, 1));
    EXPECT_EQ(canvas.at(0, 0), RGB(0, 255, 255));
    EXPECT_EQ(dc.SetPixel(CPoint(11, 11), kBlue), kBlue);
    EXPECT_EQ(dc.GetPixel(11, 11), kBlue);
    EXPECT_TRUE(dc.PatBlt(0, 11, 4, 1, BLACKNESS));
    EXPECT_EQ(canvas.row(11, kBlack), "####........");
}

TEST(CDCDrawing, RegionsAndPatternBrushes) {
    Canvas canvas(8, 8);
    CDC& dc = canvas.dc;
    CRgn region;
    region.CreateRectRgn(1, 1, 7, 7);
    CBrush blue(kBlue), red(kRed);
    EXPECT_TRUE(dc.FillRgn(&region, &blue));
    EXPECT_TRUE(dc.FrameRgn(&region, &red, 1, 1));
    EXPECT_EQ(canvas.row(1, kRed), ".######.");
    EXPECT_EQ(canvas.row(3, kBlue), "..####..");
    EXPECT_TRUE(dc.InvertRgn(&region));
    EXPECT_EQ(canvas.at(3, 3), RGB(255, 255, 0));

    // A 2 x 2 checker pattern, tiled from the brush origin.
    const uint32_t checker[4] = {0x00FF0000, 0x00000000, 0x00000000, 0x00FF0000};
    CBitmap pattern;
    ASSERT_TRUE(pattern.CreateBitmap(2, 2, 1, 32, checker));
    CBrush tiles(&pattern);
    pattern.DeleteObject();  // the brush keeps its own copy
    canvas.clear(kWhite);
    dc.FillRect(CRect(0, 0, 4, 2), &tiles);
    EXPECT_EQ(canvas.row(0, kRed), "#.#.....");
    EXPECT_EQ(canvas.row(1, kRed), ".#.#....");
    EXPECT_EQ(dc.SetBrushOrg(1, 0), CPoint(0, 0));
    EXPECT_EQ(dc.GetBrushOrg(), CPoint(1, 0));
}

TEST(CDCDrawing, BlitsBetweenObjects) {
    Canvas source(4, 4, kRed);
    source.dc.FillSolidRect(0, 0, 2, 2, kBlue);
    Canvas target(8, 8);
    EXPECT_TRUE(target.dc.BitBlt(1, 1, 4, 4, &source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(target.row(1, kBlue), ".##.....");
    EXPECT_EQ(target.row(4, kRed), ".####...");
    target.clear(kWhite);
    EXPECT_TRUE(target.dc.StretchBlt(0, 0, 8, 8, &source.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(target.count(kBlue), 16);
    EXPECT_EQ(target.count(kRed), 48);
    target.clear(kWhite);
    EXPECT_TRUE(target.dc.TransparentBlt(0, 0, 4, 4, &source.dc, 0, 0, 4, 4, kRed));
    EXPECT_EQ(target.count(kBlue), 4);
    EXPECT_EQ(target.count(kWhite), 60);
    target.clear(kBlack);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    EXPECT_TRUE(target.dc.AlphaBlend(0, 0, 2, 2, &source.dc, 2, 2, 2, 2, half));
    EXPECT_EQ(target.at(0, 0), RGB(128, 0, 0));
    // A raster operation without a source needs no source DC.
    EXPECT_TRUE(target.dc.BitBlt(0, 0, 8, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(target.row(0, kWhite), "########");
}

namespace {

// Draws once through CDC and once through the graphics functions; the
// pixels must agree, and something must have been drawn.
void ExpectSamePixels(const std::function<void(CDC&)>& framework, const std::function<void(HDC)>& direct) {
    Canvas a(64, 32), b(64, 32);
    CFont font;
    ASSERT_TRUE(font.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    CFont* oldA = a.dc.SelectObject(&font);
    HGDIOBJ oldB = SelectObject(b.dc.m_hDC, font.m_hObject);
    framework(a.dc);
    direct(b.dc.m_hDC);
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) differing += a.at(x, y) != b.at(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_LT(a.count(kWhite), 64 * 32);
    a.dc.SelectObject(oldA);
    SelectObject(b.dc.m_hDC, oldB);
}

}  // namespace

TEST(CDCDrawing, TextAndShapesMatchTheGraphicsFunctions) {
    ExpectSamePixels([](CDC& dc) { dc.TextOut(2, 2, CString("Hello")); },
                     [](HDC dc) { TextOut(dc, 2, 2, "Hello", 5); });
    ExpectSamePixels(
        [](CDC& dc) {
            CRect r(0, 0, 64, 32);
            dc.SetTextColor(kBlue);
            dc.SetBkMode(TRANSPARENT);
            dc.DrawText(CString("centred"), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        },
        [](HDC dc) {
            RECT r{0, 0, 64, 32};
            SetTextColor(dc, kBlue);
            SetBkMode(dc, TRANSPARENT);
            DrawText(dc, "centred", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        });
    ExpectSamePixels(
        [](CDC& dc) {
            CRect r(4, 4, 40, 20);
            dc.SetBkColor(kGreen);
            dc.ExtTextOut(5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, CString("clipped text"), nullptr);
        },
        [](HDC dc) {
            RECT r{4, 4, 40, 20};
            SetBkColor(dc, kGreen);
            ExtTextOut(dc, 5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "clipped text", 12, nullptr);
        });
    ExpectSamePixels(
        [](CDC& dc) {
            dc.SetTextJustification(10, 1);
            dc.TextOut(0, 10, "a b", 3);
        },
        [](HDC dc) {
            SetTextJustification(dc, 10, 1);
            TextOut(dc, 0, 10, "a b", 3);
        });
    ExpectSamePixels(
        [](CDC& dc) {
            dc.Ellipse(CRect(2, 2, 30, 20));
            dc.RoundRect(CRect(32, 2, 62, 30), CPoint(8, 8));
            CRect edge(5, 22, 25, 30);
            dc.DrawEdge(&edge, EDGE_BUMP, BF_RECT);
            dc.DrawFocusRect(CRect(1, 1, 20, 10));
        },
        [](HDC dc) {
            Ellipse(dc, 2, 2, 30, 20);
            RoundRect(dc, 32, 2, 62, 30, 8, 8);
            RECT edge{5, 22, 25, 30};
            DrawEdge(dc, &edge, EDGE_BUMP, BF_RECT);
            RECT focus{1, 1, 20, 10};
            DrawFocusRect(dc, &focus);
        });
    ExpectSamePixels(
        [](CDC& dc) {
            const POINT p[4] = {{0, 0}, {30, 5}, {10, 30}, {0, 0}};
            dc.SetPolyFillMode(WINDING);
            dc.Polygon(p, 4);
            dc.SetROP2(R2_NOT);
            dc.MoveTo(0, 16);
            dc.LineTo(64, 16);
        },
        [](HDC dc) {
            const POINT p[4] = {{0, 0}, {30, 5}, {10, 30}, {0, 0}};
            SetPolyFillMode(dc, WINDING);
            Polygon(dc, p, 4);
            SetROP2(dc, R2_NOT);
            MoveToEx(dc, 0, 16, nullptr);
            LineTo(dc, 64, 16);
        });
}

TEST(CDCText, MeasuresWithTheSelectedFont) {
    Canvas canvas(8, 8);
    CDC& dc = canvas.dc;
    CFont font;
    ASSERT_TRUE(font.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana"));
    CFont* old = dc.SelectObject(&font);
    const CString text("Wizard");
    SIZE direct{};
    GetTextExtentPoint32(dc.m_hDC, text, text.GetLength(), &direct);
    EXPECT_EQ(dc.GetTextExtent(text), CSize(direct));
    EXPECT_EQ(dc.GetOutputTextExtent("Wiz", 3), dc.GetTextExtent(CString("Wiz")));
    EXPECT_GT(direct.cx, 0);
    TEXTMETRIC tm{};
    ASSERT_TRUE(dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, direct.cy);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    CString face;
    EXPECT_GT(dc.GetTextFace(face), 0);
    EXPECT_EQ(face, CString("Verdana"));
    int widths[2] = {};
    ASSERT_TRUE(dc.GetCharWidth('W', 'X', widths));
    EXPECT_GT(widths[0], 0);
    EXPECT_EQ(dc.SetTextAlign(TA_RIGHT), static_cast<UINT>(TA_LEFT));
    EXPECT_EQ(dc.GetTextAlign(), static_cast<UINT>(TA_RIGHT));
    EXPECT_EQ(dc.SetTextCharacterExtra(2), 0);
    EXPECT_EQ(dc.GetTextCharacterExtra(), 2);
    dc.SelectObject(old);
}

TEST(CDCCoordinates, OriginsMoveTheDrawing) {
    Canvas canvas(10, 10);
    CDC& dc = canvas.dc;
    EXPECT_EQ(dc.SetViewportOrg(3, 2), CPoint(0, 0));
    EXPECT_EQ(dc.OffsetViewportOrg(1, 1), CPoint(3, 2));
    EXPECT_EQ(dc.GetViewportOrg(), CPoint(4, 3));
    EXPECT_EQ(dc.SetWindowOrg(CPoint(1, 0)), CPoint(0, 0));
    dc.FillSolidRect(1, 0, 1, 1, kRed);  // logical (1, 0) is device (4, 3)
    EXPECT_EQ(canvas.at(4, 3), kRed);
    CRect r(1, 0, 2, 1);
    dc.LPtoDP(&r);
    EXPECT_EQ(r, CRect(4, 3, 5, 4));
    CPoint p(4, 3);
    dc.DPtoLP(&p);
    EXPECT_EQ(p, CPoint(1, 0));
    EXPECT_EQ(dc.OffsetWindowOrg(1, 1), CPoint(1, 0));
    EXPECT_EQ(dc.GetWindowOrg(), CPoint(2, 1));
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    EXPECT_GT(dc.GetDeviceCaps(LOGPIXELSY), 0);
}

TEST(CDCAttributes, ModesAndSettersGoToBothDcs) {
    Canvas output(4, 4);
    CDC attrib;
    attrib.CreateCompatibleDC(nullptr);
    CDC split;
    split.SetOutputDC(output.dc.m_hDC);
    split.SetAttribDC(attrib.m_hDC);
    EXPECT_EQ(CDC::FromHandle(output.dc.m_hDC), &split);  // the latest owner
    split.SetTextColor(kRed);
    split.SetBkMode(TRANSPARENT);
    split.SetStretchBltMode(HALFTONE);
    EXPECT_EQ(GetTextColor(output.dc.m_hDC), kRed);
    EXPECT_EQ(GetTextColor(attrib.m_hDC), kRed);
    EXPECT_EQ(split.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(GetStretchBltMode(output.dc.m_hDC), HALFTONE);
    COLORADJUSTMENT ca{};
    ca.caSize = sizeof(ca);
    ca.caRedGamma = ca.caGreenGamma = ca.caBlueGamma = 10000;
    ca.caReferenceWhite = 10000;
    ca.caContrast = 20;
    EXPECT_TRUE(split.SetColorAdjustment(&ca));
    COLORADJUSTMENT back{};
    EXPECT_TRUE(split.GetColorAdjustment(&back));
    EXPECT_EQ(back.caContrast, 20);
    split.ReleaseAttribDC();
    split.ReleaseOutputDC();
    EXPECT_EQ(split.m_hDC, nullptr);
    EXPECT_EQ(CDC::FromHandle(output.dc.m_hDC), &output.dc);  // the owner before it answers again
}
