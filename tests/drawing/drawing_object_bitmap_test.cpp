// Bitmap objects: which resource a picture comes from, how the object is
// sized to it and its label band, how a region clips drawing and hit tests
// and follows the object, and how alpha and transparent-colour pictures are
// drawn over what lies beneath, and how rotated pictures turn.
#include <cmath>
#include <deque>

#include "drawing/drawing_object_bitmap.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "tests/drawing/drawing_test_util.h"
#include "tests/drawing/png_maker.h"

using namespace drawing_test;
using afx_test::Canvas;

namespace
{

using Bytes = std::vector<uint8_t>;

// Registers test resources whose bytes live as long as the process.
void AddResource(LPCSTR type, UINT id, Bytes bytes)
{
    static std::deque<Bytes> kept;
    kept.push_back(std::move(bytes));
    ASSERT_TRUE(trelwin::RegisterResource(type, MAKEINTRESOURCEA(id), kept.back().data(), kept.back().size()));
}

void Put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 24-bit packed DIB, as bitmap resources hold it; pixel(x, y) gives the
// colour of each pixel, rows top down.
template <typename Pixel>
Bytes PackedDib(int width, int height, Pixel pixel, bool withFileHeader = false)
{
    const int stride = (width * 3 + 3) & ~3;
    Bytes b;
    if (withFileHeader)
    {
        b = {'B', 'M'};
        Put32(b, static_cast<uint32_t>(54 + stride * height));
        Put32(b, 0);
        Put32(b, 54);
    }
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    b.insert(b.end(), {1, 0, 24, 0});
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = height - 1; y >= 0; --y)
    {
        for (int x = 0; x < width; ++x)
        {
            const COLORREF c = pixel(x, y);
            b.insert(b.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
        }
        b.insert(b.end(), static_cast<size_t>(stride - width * 3), 0);
    }
    return b;
}

Bytes SolidDib(int width, int height, COLORREF colour, bool withFileHeader = false)
{
    return PackedDib(width, height, [colour](int, int) { return colour; }, withFileHeader);
}

// A PNG of one RGBA colour.
Bytes SolidPng(int width, int height, std::vector<uint8_t> rgba)
{
    png_maker::Spec s;
    s.width = width;
    s.height = height;
    s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) row.insert(row.end(), rgba.begin(), rgba.end());
    s.rows.assign(static_cast<size_t>(height), row);
    return png_maker::Make(s);
}

// The resources of this file's tests, registered once.
enum : UINT
{
    ID_BITMAP_ONLY = 41001,
    ID_BITMAP_AND_PNG,
    ID_JPG_ONLY,
    ID_PNG_ONLY,
    ID_MISSING,
    ID_WIDE,
    ID_STRIPES,
    ID_KEYED,
    ID_TURN_DIB,
    ID_TURN_PNG,
};

const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kCyan = RGB(0, 255, 255);

// 3 x 2, every pixel another colour: R G B over K Y C.
COLORREF TurnPixel(int x, int y)
{
    static const COLORREF pixels[2][3] = {{kRed, kGreen, kBlue}, {kBlack, kYellow, kCyan}};
    return pixels[y][x];
}

// The same pixels, opaque, in a PNG with alpha.
Bytes TurnPng()
{
    png_maker::Spec s;
    s.width = 3;
    s.height = 2;
    s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < 2; ++y)
    {
        std::vector<uint8_t> row;
        for (int x = 0; x < 3; ++x)
        {
            const COLORREF c = TurnPixel(x, y);
            row.insert(row.end(), {GetRValue(c), GetGValue(c), GetBValue(c), 255});
        }
        s.rows.push_back(row);
    }
    return png_maker::Make(s);
}

void RegisterPictures()
{
    static const bool done = [] {
        AddResource(RT_BITMAP, ID_BITMAP_ONLY, SolidDib(4, 2, kRed));
        AddResource(RT_BITMAP, ID_BITMAP_AND_PNG, SolidDib(4, 2, kRed));
        AddResource("PNG", ID_BITMAP_AND_PNG, SolidPng(4, 2, {0, 0, 255, 255}));
        // The picture loader reads what the bytes are, whatever the type says.
        AddResource("JPG", ID_JPG_ONLY, SolidDib(3, 2, kGreen, true));
        AddResource("PNG", ID_PNG_ONLY, SolidPng(2, 2, {255, 0, 0, 128}));
        AddResource(RT_BITMAP, ID_WIDE, SolidDib(100, 40, kBlue));
        // 20 x 10: a red left half and a green right half.
        AddResource(RT_BITMAP, ID_STRIPES, PackedDib(20, 10, [](int x, int) { return x < 10 ? kRed : kGreen; }));
        // 4 x 1: red, green, red, green.
        AddResource(RT_BITMAP, ID_KEYED, PackedDib(4, 1, [](int x, int) { return x % 2 ? kGreen : kRed; }));
        AddResource(RT_BITMAP, ID_TURN_DIB, PackedDib(3, 2, TurnPixel));
        AddResource("PNG", ID_TURN_PNG, TurnPng());
        return true;
    }();
    (void)done;
}

class BitmapObjectTest : public DrawingTest
{
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        RegisterPictures();
    }
    // A bitmap object at (0, 0) without a label band, loaded and sized to
    // its picture.
    std::unique_ptr<CDrawingObjectBitmap> Load(UINT id, BOOL band = FALSE)
    {
        auto bitmap = std::make_unique<CDrawingObjectBitmap>(&m_host, nullptr);
        bitmap->ShowLabel(band);
        bitmap->LoadBitmap(id, TRUE, FALSE, FALSE);
        return bitmap;
    }
};

}  // namespace

// A bitmap resource wins over "JPG", which wins over "PNG"; only a PNG
// with alpha makes an alpha picture; a missing picture draws nothing.
TEST_F(BitmapObjectTest, PicturesComeFromTheFirstResourceFound)
{
    struct Case
    {
        const char* name;
        UINT id;
        CSize size;
        COLORREF drawn;  // at (0, 0), over white
        BOOL hasAlpha;
    };
    const Case cases[] = {
        {"bitmap", ID_BITMAP_ONLY, CSize(4, 2), kRed, FALSE},
        {"bitmap and PNG of one id: the bitmap", ID_BITMAP_AND_PNG, CSize(4, 2), kRed, FALSE},
        {"JPG", ID_JPG_ONLY, CSize(3, 2), kGreen, FALSE},
        // (255, 0, 0) at 128, premultiplied to 128, over white: 128 + 127.
        {"PNG with alpha", ID_PNG_ONLY, CSize(2, 2), RGB(255, 127, 127), TRUE},
        {"missing", ID_MISSING, CSize(0, 0), kWhite, FALSE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto bitmap = Load(c.id);
        EXPECT_EQ(bitmap->GetSize(), c.size);
        EXPECT_EQ(bitmap->m_bHasAlpha, c.hasAlpha);
        Canvas canvas(6, 3);
        bitmap->Draw(&canvas.dc);
        EXPECT_EQ(canvas.at(0, 0), c.drawn);
        EXPECT_EQ(canvas.at(5, 2), kWhite);
    }
}

// A 100 x 40 picture with its label band makes a 100 x 65 object: the
// picture is blitted 40 rows high above a black band with a raised edge and
// the label's white text.
TEST_F(BitmapObjectTest, TheLabelBandLiesUnderThePicture)
{
    auto bitmap = Load(ID_WIDE, TRUE);
    EXPECT_EQ(bitmap->GetSize(), CSize(100, 65));
    bitmap->m_strLabel = "Gauge";
    Canvas canvas(100, 70);
    bitmap->Draw(&canvas.dc);
    EXPECT_EQ(canvas.count(kBlue, 0, 0, 100, 40), 4000);
    EXPECT_EQ(canvas.count(kBlue, 0, 40, 100, 70), 0);
    EXPECT_EQ(canvas.at(5, 45), kBlack);  // inside the band, beside the text
    EXPECT_NE(canvas.at(0, 50), kBlack);   // the edge
    EXPECT_NE(canvas.at(99, 50), kBlack);
    // The label's light, smoothed text in the middle of the band.
    EXPECT_GT(40 * 18 - canvas.count(kBlack, 30, 44, 70, 62), 30);
    EXPECT_EQ(canvas.count(kBlack, 2, 44, 15, 62), 13 * 18);  // inside the edge, left of the text
    EXPECT_EQ(canvas.count(kWhite, 0, 65, 100, 70), 500);
}

// The region clips the picture and the hit test, moves with the object and
// is scaled with it.
TEST_F(BitmapObjectTest, ARegionClipsDrawingAndHitTestingAndFollowsTheObject)
{
    auto bitmap = Load(ID_STRIPES);
    CRgn left;
    left.CreateRectRgn(0, 0, 8, 10);
    ASSERT_TRUE(bitmap->SetRegion(&left));
    struct Step
    {
        const char* name;
        std::function<void(CDrawingObjectBitmap&)> change;
        std::string row;  // row 5, R red, G green, . white
        POINT in;
        POINT out;
    };
    const Step steps[] = {
        {"given", [](CDrawingObjectBitmap&) {}, "RRRRRRRR......................", {7, 5}, {8, 5}},
        {"moved right by 5", [](CDrawingObjectBitmap& b) { b.MoveTo(5, 0, FALSE); },
         ".....RRRRRRRR.................", {12, 5}, {13, 5}},
        {"twice as wide: the region too, the picture stays", [](CDrawingObjectBitmap& b) { b.SetSize(40, 10, FALSE); },
         ".....RRRRRRRRRRGGGGGG.........", {20, 5}, {21, 5}},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        s.change(*bitmap);
        Canvas canvas(30, 10);
        bitmap->Draw(&canvas.dc);
        EXPECT_EQ(Row(canvas, 5, Colours()), s.row);
        EXPECT_TRUE(bitmap->HitTest(s.in.x, s.in.y, FALSE));
        EXPECT_FALSE(bitmap->HitTest(s.out.x, s.out.y, FALSE));
    }
    // A region that cannot be copied keeps the old one.
    CRgn none;
    EXPECT_FALSE(bitmap->SetRegion(&none));
    EXPECT_TRUE(bitmap->HitTest(20, 5, FALSE));
}

// Resizing to the current size changes nothing; with stretch on another
// size makes a scaled copy of that size, which the object draws whole.
TEST_F(BitmapObjectTest, StretchedPicturesAreCopiedAtTheObjectsSize)
{
    auto bitmap = std::make_unique<CDrawingObjectBitmap>(&m_host, nullptr);
    bitmap->ShowLabel(FALSE);
    bitmap->LoadBitmap(ID_STRIPES, TRUE, TRUE, FALSE);
    const HGDIOBJ first = bitmap->m_scaledCopy.GetSafeHandle();
    bitmap->SetSize(20, 10, TRUE);
    EXPECT_EQ(bitmap->m_scaledCopy.GetSafeHandle(), first);
    bitmap->SetSize(10, 4, TRUE);
    BITMAP copy{};
    bitmap->m_scaledCopy.GetBitmap(&copy);
    EXPECT_EQ(copy.bmWidth, 10);
    EXPECT_EQ(copy.bmHeight, 4);
    Canvas canvas(12, 4);
    bitmap->Draw(&canvas.dc);
    EXPECT_EQ(Row(canvas, 2, Colours()), "RRRRRGGGGG..");
}

// Pictures smaller than the object are drawn once at their size (centred
// when asked), never stretched or read past their end; the transparent
// colour leaves out its pixels.
TEST_F(BitmapObjectTest, SmallPicturesAndTransparentColours)
{
    struct Case
    {
        const char* name;
        BOOL centre;
        BOOL keyed;
        UINT id;
        std::string row;  // row 0 over a white canvas
    };
    const Case cases[] = {
        {"at the corner", FALSE, FALSE, ID_KEYED, "RGRG......"},
        {"centred: (10 - 4) / 2 to the right", TRUE, FALSE, ID_KEYED, "...RGRG..."},
        {"green left out", FALSE, TRUE, ID_KEYED, "R.R......."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto bitmap = std::make_unique<CDrawingObjectBitmap>(&m_host, nullptr);
        bitmap->ShowLabel(FALSE);
        bitmap->LoadBitmap(c.id, FALSE, FALSE, c.centre);
        bitmap->CDrawingObject::SetSize(10, 1, FALSE);
        if (c.keyed)
        {
            bitmap->m_bTransparentColorMode = TRUE;
            bitmap->m_crTransparent = kGreen;
            bitmap->CDrawingObject::SetSize(4, 1, FALSE);
        }
        Canvas canvas(10, 1);
        bitmap->Draw(&canvas.dc);
        EXPECT_EQ(Row(canvas, 0, Colours()), c.row);
    }
}

// The 3 x 2 picture turned clockwise by each angle, as every pixel of the
// turned box takes the picture's pixel under its centre. Drawn plainly, the
// box is centred on the 6 x 6 object at (1, 1) (half a pixel rounding
// down-right); with alpha, its top-left corner is the object's.
TEST_F(BitmapObjectTest, RotatedPicturesTurnAboutTheirCentre)
{
    struct Case
    {
        const char* name;
        double degrees;
        std::vector<std::string> turned;
        CPoint centred;  // the box's top-left corner when drawn plainly
    };
    const Case cases[] = {
        {"0", 0, {"RGB", "KYC"}, {3, 3}},
        {"90", 90, {"KR", "YG", "CB"}, {3, 3}},
        {"180", 180, {"CYK", "BGR"}, {3, 3}},
        {"270", 270, {"BC", "GY", "RK"}, {3, 3}},
        {"-90", -90, {"BC", "GY", "RK"}, {3, 3}},
        {"30: a 4 x 4 box that misses K and B", 30, {"....", ".RG.", ".YC.", "...."}, {2, 2}},
    };
    const std::map<COLORREF, char> legend = {{kWhite, '.'}, {kRed, 'R'},    {kGreen, 'G'}, {kBlue, 'B'},
                                             {kBlack, 'K'}, {kYellow, 'Y'}, {kCyan, 'C'}};
    // The turned rows on an 8 x 8 white canvas at the corner.
    auto placed = [](const std::vector<std::string>& turned, CPoint corner) {
        std::vector<std::string> rows(8, std::string(8, '.'));
        for (size_t y = 0; y < turned.size(); ++y)
            rows[corner.y + y].replace(static_cast<size_t>(corner.x), turned[y].size(), turned[y]);
        return rows;
    };
    for (const Case& c : cases)
    {
        for (UINT id : {ID_TURN_DIB, ID_TURN_PNG})
        {
            SCOPED_TRACE(std::string(c.name) + (id == ID_TURN_PNG ? " degrees, with alpha" : " degrees"));
            auto bitmap = Load(id);
            bitmap->MoveTo(1, 1, FALSE);
            bitmap->SetSize(6, 6, FALSE);
            bitmap->m_bRotated = TRUE;
            bitmap->m_dRotationCos = std::cos(c.degrees * M_PI / 180);
            bitmap->m_dRotationSin = std::sin(c.degrees * M_PI / 180);
            Canvas canvas(8, 8);
            bitmap->Draw(&canvas.dc);
            const auto expected = placed(c.turned, id == ID_TURN_PNG ? CPoint(1, 1) : c.centred);
            for (int y = 0; y < 8; ++y) EXPECT_EQ(Row(canvas, y, legend), expected[y]) << "row " << y;
        }
    }
}
