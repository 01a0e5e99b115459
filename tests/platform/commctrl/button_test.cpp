// Buttons driven by injected mouse and keyboard input: clicks, the pressed
// look, the space bar, check boxes, radio groups, the default frame and the
// focus rectangle.
#include "tests/platform/commctrl/classic_control_test_util.h"

using namespace control_test;

namespace {

class ButtonTest : public ControlParentTest {};

bool Pushed(HWND button) { return (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

TEST_F(ButtonTest, ClickNeedsPressAndReleaseInsideAndShowsThePressedLook) {
    HWND button = Control("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 101);
    const COLORREF raisedCorner = GetClientPixel(button, 1, 1);
    EXPECT_EQ(GetClientPixel(button, 0, 0), GetSysColor(COLOR_3DHILIGHT));  // the raised edge
    EXPECT_EQ(GetClientPixel(button, 79, 23), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetClientPixel(button, 78, 22), GetSysColor(COLOR_3DSHADOW));
    MoveTo(button, 40, 12);
    Button(true);
    EXPECT_TRUE(Pushed(button));
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(GetFocus(), button);
    EXPECT_EQ(GetClientPixel(button, 0, 0), GetSysColor(COLOR_WINDOWFRAME));  // the pressed frame
    EXPECT_EQ(GetClientPixel(button, 1, 1), GetSysColor(COLOR_3DSHADOW));
    // Out of the button: released look, and a release there clicks nothing.
    MoveTo(button, 150, 100);
    EXPECT_FALSE(Pushed(button));
    EXPECT_EQ(GetClientPixel(button, 1, 1), raisedCorner);
    Button(false);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Count(101, BN_CLICKED), 0);
    // Out and back in before the release: one click.
    MoveTo(button, 40, 12);
    Button(true);
    MoveTo(button, 200, 12);
    MoveTo(button, 30, 10);
    EXPECT_TRUE(Pushed(button));
    Button(false);
    EXPECT_FALSE(Pushed(button));
    EXPECT_EQ(Count(101, BN_CLICKED), 1);
    ASSERT_EQ(m_notes.size(), 1u);
    EXPECT_EQ(m_notes[0].control, button);
}

TEST_F(ButtonTest, SpaceBarClicksOnReleaseAndLosingFocusCancels) {
    HWND button = Control("BUTTON", "Go", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 80, 24, 102);
    HWND other = Control("BUTTON", "Other", BS_PUSHBUTTON, 10, 40, 80, 24, 103);
    SetFocus(button);
    Key(VK_SPACE, true);
    EXPECT_TRUE(Pushed(button));
    EXPECT_EQ(Count(102, BN_CLICKED), 0);
    Key(VK_SPACE, false);
    EXPECT_FALSE(Pushed(button));
    EXPECT_EQ(Count(102, BN_CLICKED), 1);
    // Space down, focus elsewhere, space up: no click.
    Key(VK_SPACE, true);
    SetFocus(other);
    EXPECT_FALSE(Pushed(button));
    Key(VK_SPACE, false);
    EXPECT_EQ(Count(102, BN_CLICKED), 1);
    EXPECT_EQ(Count(103, BN_CLICKED), 0);
}

TEST_F(ButtonTest, DisabledButtonTakesNoClicks) {
    HWND button = Control("BUTTON", "Off", BS_PUSHBUTTON | WS_DISABLED, 10, 10, 80, 24, 104);
    ClickAt(button, 20, 10);
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(Count(104, BN_CLICKED), 0);
    // The label is greyed: no pixel in the button's text colour.
    EXPECT_EQ(CountColour(button, ClientOf(button), GetSysColor(COLOR_BTNTEXT)), 0);
    EnableWindow(button, TRUE);
    Pump();
    EXPECT_GT(CountColour(button, ClientOf(button), GetSysColor(COLOR_BTNTEXT)), 0);
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(Count(104, BN_CLICKED), 1);
}

TEST_F(ButtonTest, DefaultPushButtonHasTheThickFrameAndSaysSo) {
    HWND plain = Control("BUTTON", "Plain", BS_PUSHBUTTON, 10, 10, 80, 24, 105);
    HWND def = Control("BUTTON", "Default", BS_DEFPUSHBUTTON, 100, 10, 80, 24, 106);
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(GetClientPixel(def, 0, 0), frame);
    EXPECT_EQ(GetClientPixel(def, 79, 23), frame);
    EXPECT_EQ(GetClientPixel(def, 40, 0), frame);
    EXPECT_NE(GetClientPixel(plain, 40, 0), frame);
    EXPECT_EQ(SendMessageA(def, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    // The dialog manager moves the default with BM_SETSTYLE.
    SendMessageA(def, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendMessageA(plain, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    Pump();
    EXPECT_NE(GetClientPixel(def, 40, 0), frame);
    EXPECT_EQ(GetClientPixel(plain, 40, 0), frame);
    EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongA(plain, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(ButtonTest, FocusRectangleShowsOnlyWithFocus) {
    HWND button = Control("BUTTON", "", BS_PUSHBUTTON, 10, 10, 80, 24, 107);
    HWND other = Control("BUTTON", "", BS_PUSHBUTTON, 10, 40, 80, 24, 108);
    SetFocus(other);
    Pump();
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const RECT row{4, 3, 76, 4};  // the top of the content, where the dotted line runs
    EXPECT_EQ(CountColour(button, row, face), 72);
    SetFocus(button);
    Pump();
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_FOCUS);
    const int dotted = 72 - CountColour(button, row, face);
    EXPECT_GT(dotted, 20);
    EXPECT_LT(dotted, 52);
    SetFocus(other);
    Pump();
    EXPECT_EQ(CountColour(button, row, face), 72);
}

TEST_F(ButtonTest, AutoCheckBoxTogglesAndDrawsTheMark) {
    HWND box = Control("BUTTON", "Force", BS_AUTOCHECKBOX, 10, 10, 120, 16, 109);
    HWND manual = Control("BUTTON", "Manual", BS_CHECKBOX, 10, 40, 120, 16, 110);
    const RECT mark{2, 4, 11, 13};  // the inside of the 13-pixel box, vertically centred
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_EQ(CountColour(box, mark, ink), 0);
    ClickAt(box, 5, 8);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(CountColour(box, mark, ink), 15);
    ClickAt(box, 60, 8);  // the text is part of the button
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(CountColour(box, mark, ink), 0);
    EXPECT_EQ(Count(109, BN_CLICKED), 2);
    // A plain check box only notifies; the program sets it.
    ClickAt(manual, 5, 8);
    EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Count(110, BN_CLICKED), 1);
    SendMessageA(manual, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_CHECKED);
    // Space toggles a focused check box too; a two-state box refuses the third state.
    SetFocus(box);
    Press(VK_SPACE);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, AutoThreeStateCyclesThroughIndeterminate) {
    HWND box = Control("BUTTON", "Three", BS_AUTO3STATE, 10, 10, 120, 16, 111);
    std::vector<LRESULT> seen;
    for (int i = 0; i < 3; ++i) {
        SendMessageA(box, BM_CLICK, 0, 0);
        seen.push_back(SendMessageA(box, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(seen, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
}

// The same on a screen of 192 dpi (TRELWIN_DPI, as a user without a
// desktop's setting gives it).
class ButtonAt192DpiTest : public ControlParentTest {
protected:
    void SetUp() override {
        setenv("TRELWIN_DPI", "192", 1);
        ControlParentTest::SetUp();
    }
    void TearDown() override {
        ControlParentTest::TearDown();
        unsetenv("TRELWIN_DPI");
    }
};

// The box is 26 pixels, its sunken edge two, and each of the 21 cells of
// the 7 x 7 mark a square of 2 x 2 pixels, as sharp as at 96 dpi.
TEST_F(ButtonAt192DpiTest, TheCheckBoxAndItsMarkAreTwiceAsLarge) {
    HWND box = Control("BUTTON", "", BS_AUTOCHECKBOX, 10, 10, 120, 32, 109);
    const RECT inside{0, 0, 40, 32};
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT), paper = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(CountColour(box, inside, ink), 0);
    // White: the box less its edge, and the edge's light outer line along
    // the bottom and the right.
    EXPECT_EQ(CountColour(box, inside, paper), 22 * 22 + 26 + 25);
    ClickAt(box, 12, 16);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(CountColour(box, inside, ink), 21 * 4);
    // The mark's lowest cell, cell (5, 9) of the box's 13 x 13, in whole pixels.
    EXPECT_EQ(GetClientPixel(box, 10, 3 + 18), ink);
    EXPECT_EQ(GetClientPixel(box, 11, 3 + 19), ink);
    EXPECT_EQ(GetClientPixel(box, 12, 3 + 19), paper);
}

TEST_F(ButtonTest, AutoRadioButtonsUncheckTheRestOfTheirGroupOnly) {
    HWND a = Control("BUTTON", "A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 100, 16, 121);
    HWND b = Control("BUTTON", "B", BS_AUTORADIOBUTTON, 10, 30, 100, 16, 122);
    HWND c = Control("BUTTON", "C", BS_AUTORADIOBUTTON, 10, 50, 100, 16, 123);
    HWND d = Control("BUTTON", "D", BS_AUTORADIOBUTTON | WS_GROUP, 10, 80, 100, 16, 124);
    SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(d, BM_SETCHECK, BST_CHECKED, 0);
    ClickAt(b, 5, 8);
    EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(d, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Count(122, BN_CLICKED), 1);
    // Tab stops at the checked button of the group.
    EXPECT_FALSE(GetWindowLongA(a, GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongA(b, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
    // The last button of the group, by BM_CLICK as the dialog manager's arrows do.
    SendMessageA(c, BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(d, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The dot is drawn in the checked one only.
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    const RECT centred{4, 5, 8, 9};  // the middle of the circle, 1 pixel down in a 16-pixel button
    EXPECT_GT(CountColour(c, centred, ink), 4);
    EXPECT_EQ(CountColour(b, centred, ink), 0);
}

TEST_F(ButtonTest, CheckBoxesAndGroupBoxesTakeTheParentsColours) {
    ColourControls(WM_CTLCOLORSTATIC, RGB(10, 120, 30), RGB(250, 0, 0), RGB(10, 120, 30));
    HWND box = Control("BUTTON", "Colour", BS_AUTOCHECKBOX, 10, 10, 120, 16, 131);
    HWND group = Control("BUTTON", "Advanced Options", BS_GROUPBOX, 10, 40, 200, 80, 132);
    EXPECT_GT(m_colourRequests, 1);
    EXPECT_EQ(GetClientPixel(box, 118, 1), RGB(10, 120, 30));
    EXPECT_GT(CountColour(box, ClientOf(box), RGB(250, 0, 0)), 5);  // the label in the parent's colour
    // The group box fills only behind its text and draws the etched frame.
    EXPECT_EQ(GetClientPixel(group, 9, 2), RGB(10, 120, 30));
    EXPECT_EQ(GetClientPixel(group, 100, 50), GetSysColor(COLOR_3DFACE));  // the inside is the parent's
    EXPECT_EQ(GetClientPixel(group, 0, 60), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetClientPixel(group, 1, 60), GetSysColor(COLOR_3DHILIGHT));
    // Clicks in a group box reach the window under it.
    const POINT inside = OnScreen(group, 100, 50);
    EXPECT_EQ(WindowFromPoint(inside), m_parent);
    EXPECT_EQ(SendMessageA(group, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

}  // namespace
