// What a screen of twice the resolution changes: the window parts, text and
// dialogs are measured on a virtual screen of 96 and of 192 dpi and
// compared.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "tests/platform/user/window_test_util.h"

namespace {

struct Measures {
    int logPixelsX = 0, logPixelsY = 0, memoryLogPixels = 0;
    std::vector<int> lengths, lines;
    LONG guiFontHeight = 0;
    SIZE text{}, dialog{}, arrow{}, question{};
    RECT mapped{};
    int baseUnitX = 0, baseUnitY = 0;
};

// The lengths that follow the resolution, and the lines that stay one or
// two pixels wide.
const int kLengths[] = {SM_CYCAPTION, SM_CXVSCROLL, SM_CYHSCROLL, SM_CXICON,  SM_CXSMICON,   SM_CXCURSOR,
                        SM_CXFRAME,   SM_CXDLGFRAME, SM_CYMENU,   SM_CXSIZE, SM_CXMENUCHECK, SM_CXMINTRACK};
const int kLines[] = {SM_CXBORDER, SM_CYBORDER, SM_CXEDGE, SM_CYEDGE};

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return SIZE{};
    BITMAP bm{};
    GetObjectA(info.hbmMask, sizeof(bm), &bm);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return SIZE{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

INT_PTR CALLBACK QuietDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

Measures MeasureAt(int dpi) {
    trelwin::display::use_headless(1600, 1200, dpi);
    Measures m;
    HDC screen = GetDC(nullptr);
    m.logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
    m.logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
    HDC memory = CreateCompatibleDC(screen);
    m.memoryLogPixels = GetDeviceCaps(memory, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (int index : kLengths) m.lengths.push_back(GetSystemMetrics(index));
    for (int index : kLines) m.lines.push_back(GetSystemMetrics(index));

    LOGFONTA lf{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    m.guiFontHeight = lf.lfHeight;
    HGDIOBJ previous = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(memory, "Firmware Update Done", 20, &m.text);
    SelectObject(memory, previous);
    DeleteDC(memory);
    const LONG units = GetDialogBaseUnits();
    m.baseUnitX = LOWORD(units);
    m.baseUnitY = HIWORD(units);

    const DLGTEMPLATE t = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 200, 80, "", "MS Sans Serif",
                           8, nullptr, 0};
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, QuietDlgProc, 0);
    EXPECT_NE(dlg, nullptr);
    RECT client{};
    GetClientRect(dlg, &client);
    m.dialog = SIZE{client.right, client.bottom};
    m.mapped = RECT{0, 0, 4, 8};
    MapDialogRect(dlg, &m.mapped);
    DestroyWindow(dlg);

    m.arrow = IconSize(LoadCursorA(nullptr, IDC_ARROW));
    m.question = IconSize(LoadIconA(nullptr, IDI_QUESTION));
    return m;
}

// About twice: fonts keep their own proportions, so text and what is laid
// out in dialog units grow by 1.8 to 2.2.
void ExpectAboutTwice(const char* what, LONG small, LONG large) {
    EXPECT_GE(large * 10, small * 18) << what << ": " << small << " -> " << large;
    EXPECT_LE(large * 10, small * 22) << what << ": " << small << " -> " << large;
}

TEST(ScreenResolution, WindowPartsTextAndDialogsAreTwiceAsLargeAt192Dpi) {
    const Measures at96 = MeasureAt(96), at192 = MeasureAt(192);
    trelwin::display::use_headless(640, 480);
    EXPECT_EQ(at96.logPixelsX, 96);
    EXPECT_EQ(at96.logPixelsY, 96);
    EXPECT_EQ(at192.logPixelsX, 192);
    EXPECT_EQ(at192.logPixelsY, 192);
    EXPECT_EQ(at192.memoryLogPixels, 192);
    for (size_t i = 0; i < at96.lengths.size(); ++i) {
        SCOPED_TRACE("metric " + std::to_string(kLengths[i]));
        EXPECT_GT(at96.lengths[i], 0);
        EXPECT_EQ(at192.lengths[i], 2 * at96.lengths[i]);
    }
    EXPECT_EQ(at192.lines, at96.lines);
    EXPECT_EQ(at192.guiFontHeight, 2 * at96.guiFontHeight);
    ExpectAboutTwice("text width", at96.text.cx, at192.text.cx);
    ExpectAboutTwice("text height", at96.text.cy, at192.text.cy);
    ExpectAboutTwice("system font base unit x", at96.baseUnitX, at192.baseUnitX);
    ExpectAboutTwice("system font base unit y", at96.baseUnitY, at192.baseUnitY);
    ExpectAboutTwice("dialog width", at96.dialog.cx, at192.dialog.cx);
    ExpectAboutTwice("dialog height", at96.dialog.cy, at192.dialog.cy);
    ExpectAboutTwice("dialog unit x", at96.mapped.right, at192.mapped.right);
    ExpectAboutTwice("dialog unit y", at96.mapped.bottom, at192.mapped.bottom);
    EXPECT_EQ(at96.arrow.cx, 32);
    EXPECT_EQ(at192.arrow.cx, 64);
    EXPECT_EQ(at96.question.cx, 32);
    EXPECT_EQ(at192.question.cx, 64);
}

}  // namespace
