// The progress graphic: how far the fill reaches for each value (in single
// precision, as the 729-pixel gauge pins it), in both orientations, gliding
// and with the peak line; and the gauge in its window on the virtual screen
// over a page's frame, saved as pictures to look at.
#include <deque>
#include <filesystem>

#include "drawing/drawing_progress_wnd.h"
#include "platform/display/png_file.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using afx_test::Canvas;

#ifndef TRELWIN_DRAWING_ARTEFACTS
#define TRELWIN_DRAWING_ARTEFACTS "artefacts/drawing"
#endif

namespace
{

using Bytes = std::vector<uint8_t>;

// A 24-bit packed DIB of one colour, kept for the life of the process and
// registered as a bitmap resource.
void AddSolidBitmap(UINT id, int width, int height, COLORREF colour)
{
    static std::deque<Bytes> kept;
    Bytes b;
    auto put32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const int stride = (width * 3 + 3) & ~3;
    put32(40);
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    b.insert(b.end(), {1, 0, 24, 0});
    for (int i = 0; i < 6; ++i) put32(0);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x) b.insert(b.end(), {GetBValue(colour), GetGValue(colour), GetRValue(colour)});
        b.insert(b.end(), static_cast<size_t>(stride - width * 3), 0);
    }
    kept.push_back(std::move(b));
    trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCEA(id), kept.back().data(), kept.back().size());
}

enum : UINT
{
    ID_EMPTY_200 = 42001,
    ID_FULL_200,
    ID_EMPTY_137,
    ID_FULL_137,
    ID_EMPTY_80,
    ID_FULL_80,
    ID_GAUGE_EMPTY = 136,
    ID_GAUGE_FULL = 137,
};

void RegisterPictures()
{
    static const bool done = [] {
        AddSolidBitmap(ID_EMPTY_200, 200, 4, kBlue);
        AddSolidBitmap(ID_FULL_200, 200, 4, kRed);
        AddSolidBitmap(ID_EMPTY_137, 137, 2, kBlue);
        AddSolidBitmap(ID_FULL_137, 137, 2, kRed);
        AddSolidBitmap(ID_EMPTY_80, 80, 80, kBlue);
        AddSolidBitmap(ID_FULL_80, 80, 80, kRed);
        return true;
    }();
    (void)done;
}

// A gauge outside any window, with a clock that the test sets.
class CTestProgress : public CDrawingObjectProgress
{
public:
    explicit CTestProgress(CWnd* pHost) : CDrawingObjectProgress(pHost, nullptr)
    {
    }
    DWORD Now() const override
    {
        return m_dwNow;
    }
    DWORD m_dwNow = 100000;
};

class ProgressTest : public DrawingTest
{
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        RegisterPictures();
    }
};

// The colours of one row of a picture resource, read through a second road:
// the framework's bitmap loading and the DC's pixels.
std::vector<COLORREF> PictureRow(UINT id, int y)
{
    CBitmap picture;
    EXPECT_TRUE(picture.LoadBitmap(id));
    BITMAP bm{};
    picture.GetBitmap(&bm);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&picture);
    std::vector<COLORREF> row;
    for (int x = 0; x < bm.bmWidth; ++x) row.push_back(dc.GetPixel(x, y));
    dc.SelectObject(old);
    return row;
}

// How many leading columns of the screen row from x show the full picture
// while the rest shows the empty one; -1 when the row is not cut that way.
int FilledColumns(int x, int y, const std::vector<COLORREF>& full, const std::vector<COLORREF>& empty)
{
    const int width = static_cast<int>(full.size());
    int filled = 0;
    for (int i = 0; i < width; ++i)
    {
        if (ScreenAt(x + i, y) == full[i] && full[i] != empty[i])
        {
            filled = i + 1;
        }
    }
    for (int i = 0; i < width; ++i)
    {
        if (ScreenAt(x + i, y) != (i < filled ? full[i] : empty[i]))
        {
            return -1;
        }
    }
    return filled;
}

}  // namespace

// The stored value and the filled extent for each value, with the
// pictures' widths; the fill is drawn over exactly the extent.
TEST_F(ProgressTest, TheFillReachesAsFarAsTheValue)
{
    struct Case
    {
        const char* name;
        UINT empty;
        UINT full;
        int value;
        int stored;
        int extent;
    };
    const Case cases[] = {
        {"200 wide at 50", ID_EMPTY_200, ID_FULL_200, 50, 50, 100},
        {"200 wide at 100: all of it", ID_EMPTY_200, ID_FULL_200, 100, 100, 200},
        {"200 wide at 0: none", ID_EMPTY_200, ID_FULL_200, 0, 0, 0},
        {"below the range", ID_EMPTY_200, ID_FULL_200, -5, 0, 0},
        {"above the range", ID_EMPTY_200, ID_FULL_200, 150, 100, 200},
        {"137 wide at 33: scale 1.37", ID_EMPTY_137, ID_FULL_137, 33, 33, 45},
        {"the gauge at 33", ID_GAUGE_EMPTY, ID_GAUGE_FULL, 33, 33, 240},
        {"the gauge at 50", ID_GAUGE_EMPTY, ID_GAUGE_FULL, 50, 50, 364},
        {"the gauge at 100: 7.29 in single precision", ID_GAUGE_EMPTY, ID_GAUGE_FULL, 100, 100, 728},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTestProgress gauge(&m_host);
        gauge.LoadBitmaps(c.empty, c.full);
        gauge.SetPercent(c.value, TRUE);
        EXPECT_EQ(gauge.GetPercent(), c.stored);
        const CSize size = gauge.GetSize();
        Canvas canvas(size.cx + 2, size.cy, kWhite);
        gauge.Draw(&canvas.dc);
        EXPECT_EQ(gauge.m_nFilledExtentX, c.extent);
        const std::vector<COLORREF> full = PictureRow(c.full, 1);
        const std::vector<COLORREF> empty = PictureRow(c.empty, 1);
        for (int x = 0; x < size.cx; ++x)
        {
            if (canvas.at(x, 1) != (x < c.extent ? full[x] : empty[x]))
            {
                ADD_FAILURE() << "column " << x;
                break;
            }
        }
        EXPECT_EQ(canvas.at(size.cx, 1), kWhite);
    }
}

// Upright gauges fill from the bottom and hide the fill at 0; an empty
// range is full rather than a division by zero.
TEST_F(ProgressTest, UprightGaugesAndEmptyRanges)
{
    struct Case
    {
        const char* name;
        BOOL horizontal;
        int minimum;
        int maximum;
        int value;
        int redRows;     // rows of the fill, at the bottom
        int redColumns;  // columns of the fill, at the left
    };
    const Case cases[] = {
        {"upright at 0", FALSE, 0, 100, 0, 0, 0},
        {"upright at 50 of 80 rows", FALSE, 0, 100, 50, 40, 80},
        {"upright at 100", FALSE, 0, 100, 100, 80, 80},
        {"range 50 to 50", TRUE, 50, 50, 70, 80, 80},
        {"range 60 to 40", TRUE, 60, 40, 10, 80, 80},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTestProgress gauge(&m_host);
        gauge.m_bHorizontal = c.horizontal;
        gauge.m_nMinimum = c.minimum;
        gauge.m_nMaximum = c.maximum;
        gauge.LoadBitmaps(ID_EMPTY_80, ID_FULL_80);
        gauge.SetPercent(c.value, FALSE);
        Canvas canvas(80, 80, kWhite);
        gauge.Draw(&canvas.dc);
        EXPECT_EQ(canvas.count(kRed), c.redRows * c.redColumns);
        EXPECT_EQ(canvas.count(kRed, 0, 80 - c.redRows, c.redColumns, 80), c.redRows * c.redColumns);
        EXPECT_EQ(canvas.count(kRed) + canvas.count(kBlue), 80 * 80);
    }
}

// Gliding, a jump from 0 to 40 is drawn as 20, 30, 35, 37, 38, 39, 40.
TEST_F(ProgressTest, GlidingHalvesTheDistanceAtEveryPaint)
{
    CTestProgress gauge(&m_host);
    gauge.m_bGlide = TRUE;
    gauge.LoadBitmaps(ID_EMPTY_80, ID_FULL_80);
    gauge.SetPercent(50, FALSE);
    Canvas canvas(80, 80);
    std::vector<int> drawn;
    for (int paint = 0; paint < 8; ++paint)
    {
        gauge.Draw(&canvas.dc);
        drawn.push_back(canvas.count(kRed, 0, 0, 80, 1));
    }
    EXPECT_EQ(drawn, std::vector<int>({20, 30, 35, 37, 38, 39, 40, 40}));
}

// Upright, 100 high, with the peak line on: the value falls from 80 to 20;
// the line holds at 80 for a second, then drops 5 a paint to 30, then 1 a
// paint until it meets 20, where it is held again.
TEST_F(ProgressTest, ThePeakLineHoldsThenFalls)
{
    AddSolidBitmap(42101, 10, 100, kBlue);
    AddSolidBitmap(42102, 10, 100, kRed);
    CTestProgress gauge(&m_host);
    gauge.m_bHorizontal = FALSE;
    gauge.m_bPeakLine = TRUE;
    gauge.m_bGlide = TRUE;  // no repaint of its own between the test's paints
    gauge.m_crPeakLine = kWhite;
    gauge.LoadBitmaps(42101, 42102);
    gauge.SetPercent(80, FALSE);
    Canvas canvas(10, 100);
    for (int paint = 0; paint < 200 && gauge.m_nShownExtent != 80; ++paint) gauge.Draw(&canvas.dc);
    gauge.m_bGlide = FALSE;
    gauge.SetPercent(20, FALSE);
    std::vector<int> offsets;
    auto paintAt = [&](DWORD ms) {
        gauge.m_dwNow = 100000 + ms;
        gauge.Draw(&canvas.dc);
        offsets.push_back(gauge.m_nPeakOffset);
    };
    paintAt(0);
    paintAt(1000);
    for (int i = 0; i < 17; ++i) paintAt(1001);
    EXPECT_EQ(offsets, std::vector<int>({80, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 29, 28, 27, 26, 25, 24, 23}));
    for (int i = 0; i < 3; ++i) paintAt(1001);
    EXPECT_EQ(gauge.m_nPeakOffset, 20);
    EXPECT_EQ(canvas.column(5, kWhite), std::string(80, '.') + "#" + std::string(19, '.'));
    TakeInvalidations(m_host.m_hWnd);
}

// The Progress page's way: a window over a frame, made with a corner of
// (10, 10), sized by the pictures; values set as the workers report them
// repaint the gauge through the posted invalidation. Each state is saved
// as a picture in the build folder.
TEST_F(ProgressTest, TheGaugeWindowOverAPageFrame)
{
    CWnd page;
    ASSERT_TRUE(page.CreateEx(0, nullptr, "page", WS_POPUP | WS_VISIBLE, 0, 0, 760, 80, nullptr, nullptr));
    CDrawingObjectProgressWnd gaugeWnd;
    gaugeWnd.CreateMapObject();
    const CRect frame(12, 30, 741, 48);
    ASSERT_TRUE(gaugeWnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(frame.left, frame.top, 10, 10), &page, 13));
    gaugeWnd.GetProgress()->LoadBitmaps(136, 137);
    CRect placed;
    gaugeWnd.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(12, 30, 741, 50));
    EXPECT_EQ(gaugeWnd.GetProgress()->GetSize(), CSize(729, 20));
    Pump();

    const std::vector<COLORREF> full = PictureRow(ID_GAUGE_FULL, 10);
    const std::vector<COLORREF> empty = PictureRow(ID_GAUGE_EMPTY, 10);
    struct Step
    {
        int value;
        int filled;
        const char* picture;
    };
    const Step steps[] = {{0, 0, "gauge_0.png"},     {33, 240, "gauge_33.png"}, {50, 364, "gauge_50.png"},
                          {100, 728, "gauge_100.png"}, {-5, 0, "gauge_below.png"}, {150, 728, "gauge_above.png"}};
    std::filesystem::create_directories(TRELWIN_DRAWING_ARTEFACTS);
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.value);
        gaugeWnd.GetProgress()->SetPercent(s.value, TRUE);
        Pump();
        EXPECT_EQ(FilledColumns(12, 40, full, empty), s.filled);
        std::string error;
        EXPECT_TRUE(trelwin::display::save_png(trelwin::display::current().screen(), RECT{0, 0, 760, 80},
                                               std::string(TRELWIN_DRAWING_ARTEFACTS) + "/" + s.picture, &error))
            << error;
    }
}
