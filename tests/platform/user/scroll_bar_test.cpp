// Scroll bars of windows: range and position, showing and hiding with the
// client area, the mouse on arrows, pages and thumb; scrolling pixels.
#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using namespace trelwin::user;

namespace {

std::vector<std::pair<int, int>> ScrollCodes(WindowProbe* probe) {
    std::vector<std::pair<int, int>> codes;
    std::lock_guard<std::mutex> guard(probe->lock);
    for (const Received& r : probe->received) {
        if (r.message == WM_VSCROLL) codes.emplace_back(LOWORD(r.wParam), static_cast<short>(HIWORD(r.wParam)));
    }
    return codes;
}

}  // namespace

TEST_F(WindowTest, ABarShowsWhenThereIsSomethingToScroll) {
    HWND hwnd = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
    RECT client;
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 500, 0};
    EXPECT_EQ(SetScrollInfo(hwnd, SB_VERT, &si, TRUE), 90);  // the last page starts at 90
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(195, 50)), HTVSCROLL);
    si.nPage = 100;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);  // all of it fits: no bar
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200);
    si.fMask = SIF_PAGE | SIF_DISABLENOSCROLL;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);  // kept, disabled
    int lo = -1, hi = -1;
    GetScrollRange(hwnd, SB_VERT, &lo, &hi);
    EXPECT_EQ(hi, 99);
}

TEST_F(WindowTest, ClicksOnTheBarSendScrollCodes) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 200, 216);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    Pump();
    // The bar is 216 high: arrows of 16, a track of 184 with a thumb of 18.
    EXPECT_EQ(ScreenPixel(192, 25), GetSysColor(COLOR_3DFACE));      // the thumb
    EXPECT_EQ(ScreenPixel(192, 150), GetSysColor(COLOR_SCROLLBAR));  // the track
    InjectMouseClick(192, 208);  // the down arrow
    Pump();
    InjectMouseClick(192, 150);  // below the thumb
    Pump();
    auto codes = ScrollCodes(probe);
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(codes[0].first, SB_LINEDOWN);
    EXPECT_EQ(codes[1].first, SB_ENDSCROLL);
    EXPECT_EQ(codes[2].first, SB_PAGEDOWN);
    EXPECT_EQ(codes.back().first, SB_ENDSCROLL);
    // Dragging the thumb to the bottom tracks up to the last page.
    probe->received.clear();
    InjectMouseMove(192, 25);  // on the thumb at the top of the track
    InjectMouseButton(0, true);
    InjectMouseMove(192, 120);
    InjectMouseMove(192, 199);  // the end of the track
    InjectMouseButton(0, false);
    Pump();
    codes = ScrollCodes(probe);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes[0].first, SB_THUMBTRACK);
    EXPECT_EQ(codes[codes.size() - 2], std::make_pair(static_cast<int>(SB_THUMBPOSITION), 90));
    EXPECT_EQ(codes.back().first, SB_ENDSCROLL);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 0);  // the window sets the position, not the bar
}

TEST_F(WindowTest, ScrollingMovesPixelsAndInvalidatesWhatItUncovers) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Pump();
    HDC hdc = GetDC(hwnd);
    RECT top{0, 0, 100, 10};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(hdc, &top, red);
    DeleteObject(red);
    ReleaseDC(hwnd, hdc);
    RECT uncovered{};
    ScrollWindowEx(hwnd, 0, 20, nullptr, nullptr, nullptr, &uncovered, SW_INVALIDATE);
    EXPECT_EQ(GetClientPixel(hwnd, 50, 25), RGB(255, 0, 0));  // moved down by 20
    EXPECT_EQ(uncovered.top, 0);
    EXPECT_EQ(uncovered.bottom, 20);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
    EXPECT_EQ(update.bottom, 20);
}
