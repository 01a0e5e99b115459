// Static controls: text alignment, the parent's colours, clicks with and
// without SS_NOTIFY, frames, icons and greyed text.
#include "tests/platform/commctrl/classic_control_test_util.h"

using namespace control_test;

namespace {

class StaticTest : public ControlParentTest {};

TEST_F(StaticTest, TextFollowsTheAlignmentStyle) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    HWND left = Control("STATIC", "Global Progress", SS_LEFT, 10, 10, 200, 16, 1);
    HWND centre = Control("STATIC", "Global Progress", SS_CENTER, 10, 30, 200, 16, 2);
    HWND right = Control("STATIC", "Global Progress", SS_RIGHT, 10, 50, 200, 16, 3);
    const auto l = InkColumns(left, ClientOf(left), face);
    const auto c = InkColumns(centre, ClientOf(centre), face);
    const auto r = InkColumns(right, ClientOf(right), face);
    ASSERT_GE(l.first, 0);
    const int width = l.second - l.first;
    EXPECT_LE(l.first, 1);
    EXPECT_GE(r.second, 197);
    EXPECT_EQ(r.second - r.first, width);
    EXPECT_NEAR(c.first, 200 - c.second - 1, 2);  // as much room on either side
    EXPECT_EQ(SendMessageA(left, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(StaticTest, WordsWrapUnlessAskedNotTo) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const char* text = "Devices discovered but not reachable";
    HWND wrapped = Control("STATIC", text, SS_LEFT, 10, 10, 90, 60, 1);
    HWND single = Control("STATIC", text, SS_LEFTNOWORDWRAP, 110, 10, 90, 60, 2);
    HWND ellipsis = Control("STATIC", text, SS_LEFT | SS_ENDELLIPSIS, 210, 10, 90, 60, 3);
    // Ink on the second line only when wrapped.
    const RECT secondLine{0, 18, 90, 30};
    EXPECT_GT(90 * 12 - CountColour(wrapped, secondLine, face), 0);
    EXPECT_EQ(CountColour(single, secondLine, face), 90 * 12);
    EXPECT_EQ(CountColour(ellipsis, secondLine, face), 90 * 12);
    // The shortened line ends in dots before the right edge.
    const auto e = InkColumns(ellipsis, RECT{0, 0, 90, 16}, face);
    EXPECT_LT(e.second, 90);
}

TEST_F(StaticTest, ParentColoursPaintBackgroundAndText) {
    ColourControls(WM_CTLCOLORSTATIC, RGB(248, 18, 18), RGB(0, 0, 255), RGB(248, 18, 18));
    HWND label = Control("STATIC", "Legend", SS_LEFT, 10, 10, 120, 16, 1021);
    EXPECT_GT(m_colourRequests, 0);
    EXPECT_EQ(GetClientPixel(label, 119, 15), RGB(248, 18, 18));
    EXPECT_GT(CountColour(label, ClientOf(label), RGB(0, 0, 255)), 10);
    EXPECT_EQ(CountColour(label, ClientOf(label), GetSysColor(COLOR_WINDOWTEXT)), 0);
    // A new colour shows at the next paint.
    ColourControls(WM_CTLCOLORSTATIC, RGB(20, 200, 20), RGB(0, 0, 0), RGB(20, 200, 20));
    InvalidateRect(label, nullptr, TRUE);
    Pump();
    EXPECT_EQ(GetClientPixel(label, 119, 15), RGB(20, 200, 20));
}

TEST_F(StaticTest, NewTextAndFontRepaintAndDisabledTextIsGrey) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    HWND label = Control("STATIC", "0%", SS_LEFT, 10, 10, 120, 16, 1011);
    const int shortInk = InkColumns(label, ClientOf(label), face).second;
    SetWindowTextA(label, "100% done here");
    Pump();
    EXPECT_GT(InkColumns(label, ClientOf(label), face).second, shortInk + 20);
    EXPECT_EQ(SendMessageA(label, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(Font()));
    EXPECT_GT(CountColour(label, ClientOf(label), GetSysColor(COLOR_WINDOWTEXT)), 10);
    EnableWindow(label, FALSE);
    Pump();
    EXPECT_EQ(CountColour(label, ClientOf(label), GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_GT(CountColour(label, ClientOf(label), GetSysColor(COLOR_3DSHADOW)), 10);
    EXPECT_GT(CountColour(label, ClientOf(label), GetSysColor(COLOR_3DHILIGHT)), 10);
}

TEST_F(StaticTest, ClicksGoThroughUnlessNotifyIsSet) {
    HWND silent = Control("STATIC", "silent", SS_LEFT, 10, 10, 100, 16, 41);
    HWND notify = Control("STATIC", "notify", SS_LEFT | SS_NOTIFY, 10, 40, 100, 16, 42);
    m_parentProbe->received.clear();
    ClickAt(silent, 5, 5);
    EXPECT_EQ(Only(m_parentProbe->Messages(), {WM_LBUTTONDOWN}).size(), 1u);  // the parent got the click
    EXPECT_TRUE(m_notes.empty());
    m_parentProbe->received.clear();
    ClickAt(notify, 5, 5);
    EXPECT_TRUE(Only(m_parentProbe->Messages(), {WM_LBUTTONDOWN}).empty());
    EXPECT_EQ(Count(42, STN_CLICKED), 1);
}

TEST_F(StaticTest, FramesAndRectanglesUseTheirColours) {
    HWND black = Control("STATIC", "", SS_BLACKFRAME, 10, 10, 40, 20, 1);
    HWND gray = Control("STATIC", "", SS_GRAYRECT, 60, 10, 40, 20, 2);
    HWND etched = Control("STATIC", "", SS_ETCHEDHORZ, 110, 10, 40, 2, 3);
    HWND sunken = Control("STATIC", "x", SS_LEFT | SS_SUNKEN, 160, 10, 40, 20, 4);
    EXPECT_EQ(GetClientPixel(black, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetClientPixel(black, 39, 19), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetClientPixel(black, 20, 10), GetSysColor(COLOR_3DFACE));  // the inside stays the parent's
    EXPECT_EQ(GetClientPixel(gray, 20, 10), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetClientPixel(etched, 20, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetClientPixel(etched, 20, 1), GetSysColor(COLOR_3DHILIGHT));
    // A sunken static has a one-pixel edge around its client area.
    EXPECT_TRUE(GetWindowLongA(sunken, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_EQ(ClientOf(sunken).right, 38);
}

TEST_F(StaticTest, IconControlShowsItsIconAndTakesItsSize) {
    // A 16 x 16 icon, all of it opaque green.
    std::vector<DWORD> pixels(16 * 16, 0x0000C000);
    std::vector<BYTE> mask(16 * 2 * 16 / 8 * 2, 0);  // AND mask rows of 16 bits, padded to 32 bits
    HBITMAP colour = CreateBitmap(16, 16, 1, 32, pixels.data());
    HBITMAP andMask = CreateBitmap(16, 16, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, andMask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(andMask);
    ASSERT_NE(icon, nullptr);
    HWND control = Control("STATIC", "", SS_ICON, 10, 10, 40, 40, 5);
    EXPECT_EQ(SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0), 0);
    Pump();
    EXPECT_EQ(SendMessageA(control, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(ClientOf(control).right, 16);
    EXPECT_EQ(ClientOf(control).bottom, 16);
    EXPECT_EQ(GetClientPixel(control, 8, 8), RGB(0, 0xC0, 0));
    // A bitmap is refused by an icon control.
    EXPECT_EQ(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(SendMessageA(control, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
    DestroyWindow(control);
    DestroyIcon(icon);
}

}  // namespace
