// Painting: update regions, WM_PAINT, clipping between windows, the screen.
#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using trelwin::user::GetClientPixel;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Paints the parent alone again, over whatever its children show.
void RepaintParentOnly(HWND parent) {
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
}

}  // namespace

TEST_F(WindowTest, ChildrenClipTheirParentOnlyWhenAsked) {
    for (bool clip : {false, true}) {
        WindowProbe* top = NewProbe();
        top->handler = Painter(kRed);
        HWND parent = Make(top, WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0), 0, 0, 100, 100);
        WindowProbe* inner = NewProbe();
        inner->handler = Painter(kBlue);
        HWND child = Make(inner, WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, parent);
        Pump();
        EXPECT_EQ(GetClientPixel(parent, 15, 15), kBlue);  // children paint after their parent
        EXPECT_EQ(GetClientPixel(parent, 50, 50), kRed);
        RepaintParentOnly(parent);
        EXPECT_EQ(GetClientPixel(parent, 15, 15), clip ? kBlue : kRed) << "clip children " << clip;
        EXPECT_EQ(ScreenPixel(15, 15), clip ? kBlue : kRed);
        DestroyWindow(parent);
        (void)child;
    }
}

TEST_F(WindowTest, SiblingsClipEachOtherOnlyWhenAsked) {
    for (bool clip : {false, true}) {
        HWND parent = Make(NewProbe(), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 100);
        WindowProbe* upper = NewProbe();
        upper->handler = Painter(kBlue);
        WindowProbe* lower = NewProbe();
        lower->handler = Painter(kGreen);
        // The first child is above the second; they overlap at (20..30, 20..30).
        HWND a = Make(upper, WS_CHILD | WS_VISIBLE, 0, 0, 30, 30, parent);
        HWND b = Make(lower, WS_CHILD | WS_VISIBLE | (clip ? WS_CLIPSIBLINGS : 0), 20, 20, 30, 30, parent);
        Pump();
        InvalidateRect(b, nullptr, FALSE);
        UpdateWindow(b);
        EXPECT_EQ(GetClientPixel(parent, 25, 25), clip ? kBlue : kGreen) << "clip siblings " << clip;
        EXPECT_EQ(GetClientPixel(parent, 40, 40), kGreen);
        DestroyWindow(parent);
        (void)a;
    }
}

TEST_F(WindowTest, AWindowRegionShapesWhatItPaints) {
    WindowProbe* back = NewProbe();
    back->handler = Painter(kRed);
    HWND parent = Make(back, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 100);
    WindowProbe* round = NewProbe();
    round->handler = Painter(kBlue);
    HWND child = Make(round, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent);
    SetWindowRgn(child, CreateEllipticRgn(0, 0, 100, 100), TRUE);
    Pump();
    EXPECT_EQ(GetClientPixel(parent, 50, 50), kBlue);
    EXPECT_EQ(GetClientPixel(parent, 2, 2), kRed);  // the parent shows where the ellipse does not reach
    EXPECT_EQ(GetClientPixel(parent, 97, 97), kRed);
}

TEST_F(WindowTest, InvalidationsMergeIntoOnePaint) {
    WindowProbe* probe = NewProbe();
    RECT painted{};
    int paints = 0;
    probe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m != WM_PAINT) return DefWindowProcA(h, m, w, l);
        ++paints;
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        painted = ps.rcPaint;
        EndPaint(h, &ps);
        return 0;
    };
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    Pump();
    paints = 0;
    RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(hwnd, update, FALSE), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(update, 15, 15));
    EXPECT_FALSE(PtInRegion(update, 30, 30));  // the area between is not to be painted
    DeleteObject(update);
    Pump();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(painted.left, 10);
    EXPECT_EQ(painted.bottom, 80);
    // Validated areas are not painted.
    InvalidateRect(hwnd, &a, FALSE);
    ValidateRect(hwnd, nullptr);
    Pump();
    EXPECT_EQ(paints, 1);
    RECT box;
    EXPECT_FALSE(GetUpdateRect(hwnd, &box, FALSE));
}

TEST_F(WindowTest, PaintComesOnlyWhenNothingElseIsQueued) {
    WindowProbe* probe = NewProbe();
    probe->handler = Painter(kGreen);
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    Pump();
    probe->received.clear();
    InvalidateRect(hwnd, nullptr, TRUE);
    PostMessageA(hwnd, WM_USER, 0, 0);
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    MSG msg;
    // A loop that asks for its own messages only never sees WM_PAINT.
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    Pump();
    EXPECT_EQ(Only(probe->Messages(), {WM_USER, WM_USER + 1, WM_PAINT, WM_ERASEBKGND}),
              (std::vector<UINT>{WM_USER, WM_USER + 1, WM_PAINT, WM_ERASEBKGND}));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // painting validated the window
}

TEST_F(WindowTest, EraseOnlyWhenAskedAndWithTheClassBrush) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = "UserTestBrush";
    wc.hbrBackground = CreateSolidBrush(kBlue);
    RegisterClassA(&wc);
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, 0, 0, "UserTestBrush");
    Pump();
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), kBlue);  // the default painting erased with the class brush
    HDC hdc = GetDC(hwnd);
    RECT r{0, 0, 40, 40};
    FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwnd, hdc);
    InvalidateRect(hwnd, nullptr, FALSE);
    Pump();
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), RGB(255, 255, 255));  // no erase was asked for
    probe->received.clear();
    InvalidateRect(hwnd, nullptr, TRUE);
    Pump();
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), kBlue);
    EXPECT_EQ(Only(probe->Messages(), {WM_ERASEBKGND}).size(), 1u);
    DestroyWindow(hwnd);
    UnregisterClassA("UserTestBrush", nullptr);
}

TEST_F(WindowTest, TheScreenShowsTheWindowsWhereTheyAre) {
    WindowProbe* probe = NewProbe();
    probe->handler = Painter(kRed);
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 100, 100, 50, 50);
    Pump();
    EXPECT_EQ(ScreenPixel(120, 120), kRed);
    const COLORREF desktop = ScreenPixel(10, 10);
    EXPECT_NE(desktop, kRed);
    MoveWindow(hwnd, 300, 200, 50, 50, TRUE);
    Pump();
    EXPECT_EQ(ScreenPixel(120, 120), desktop);
    EXPECT_EQ(ScreenPixel(320, 220), kRed);
    // A window above another hides it on the screen, not in its own surface.
    WindowProbe* over = NewProbe();
    over->handler = Painter(kBlue);
    HWND cover = Make(over, WS_POPUP | WS_VISIBLE, 310, 210, 50, 50);
    Pump();
    EXPECT_EQ(ScreenPixel(320, 220), kBlue);
    EXPECT_EQ(GetClientPixel(hwnd, 20, 20), kRed);
    ShowWindow(cover, SW_HIDE);
    EXPECT_EQ(ScreenPixel(320, 220), kRed);
    std::string error;
    const std::string path = ::testing::TempDir() + "trelwin_window.png";
    ASSERT_TRUE(trelwin::user::SaveWindowPng(hwnd, path, &error)) << error;
    std::ifstream file(path, std::ios::binary);
    char signature[4] = {};
    file.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::remove(path.c_str());
    EXPECT_FALSE(trelwin::user::SaveScreenPng("/nonexistent-folder/x.png", &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
}

TEST_F(WindowTest, RedrawOffKeepsAWindowFromBeingInvalidated) {
    WindowProbe* probe = NewProbe();
    probe->handler = Painter(kGreen);
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    Pump();
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    RECT box;
    EXPECT_FALSE(GetUpdateRect(hwnd, &box, FALSE));
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    EXPECT_TRUE(GetUpdateRect(hwnd, &box, FALSE));
}

TEST_F(WindowTest, InvalidationFromAnotherThreadWakesTheWaitingOwner) {
    WindowProbe* probe = NewProbe();
    probe->handler = Painter(kGreen);
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    Pump();
    std::thread other([hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        InvalidateRect(hwnd, nullptr, FALSE);
    });
    const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_PAINT);
    other.join();
    EXPECT_EQ(woke, WAIT_OBJECT_0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&msg);
}

TEST_F(WindowTest, OnlyWhatChangedIsPresented) {
    WindowProbe* back = NewProbe();
    back->handler = Painter(kRed);
    HWND top = Make(back, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300);
    std::vector<HWND> children;
    for (int i = 0; i < 10; ++i) {
        WindowProbe* probe = NewProbe();
        probe->handler = Painter(kBlue);
        children.push_back(Make(probe, WS_CHILD | WS_VISIBLE, i * 40, 0, 30, 30, top));
    }
    UpdateWindow(top);
    const uint64_t before = trelwin::display::current().presented_pixels();
    InvalidateRect(children[3], nullptr, TRUE);
    UpdateWindow(top);
    EXPECT_EQ(trelwin::display::current().presented_pixels() - before, 30u * 30u);
    EXPECT_EQ(ScreenPixel(125, 15), kBlue);
}

TEST_F(WindowTest, TheCaretBlinksByInvertingAndStaysOutOfPainting) {
    WindowProbe* probe = NewProbe();
    probe->handler = Painter(RGB(255, 255, 255));
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    Pump();
    SetCaretBlinkTime(20);
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 10));
    SetCaretPos(5, 5);
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), RGB(255, 255, 255));  // created hidden
    ShowCaret(hwnd);
    EXPECT_EQ(GetClientPixel(hwnd, 6, 10), RGB(0, 0, 0));
    // It blinks off and on again.
    EXPECT_TRUE(PumpUntil([&] { return GetClientPixel(hwnd, 5, 5) == RGB(255, 255, 255); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return GetClientPixel(hwnd, 5, 5) == RGB(0, 0, 0); }, 2000));
    // Painting over it leaves it right: shown after the paint, not inverted twice.
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetClientPixel(hwnd, 7, 5), RGB(255, 255, 255));
    HideCaret(hwnd);
    EXPECT_EQ(GetClientPixel(hwnd, 5, 5), RGB(255, 255, 255));
    DestroyWindow(hwnd);
    EXPECT_FALSE(DestroyCaret());  // it went with its window
    SetCaretBlinkTime(530);
}
