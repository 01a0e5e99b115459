// Mouse and keyboard input: client coordinates, double clicks, capture,
// mouse leave and hover, cursors, focus, activation, keys.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <thread>
#include <utility>

#include "platform/base/last_error.h"
#include "platform/base/module_handle.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "platform/user/message_queue.h"
#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using namespace trelwin::user;

namespace {

// Messages of the window with their parameters, in order, of the kinds given.
std::vector<Received> Of(WindowProbe* probe, std::vector<UINT> kinds) {
    std::vector<Received> out;
    for (const Received& r : probe->received) {
        for (UINT k : kinds) {
            if (r.message == k) out.push_back(r);
        }
    }
    return out;
}

void Release() {
    InjectMouseButton(0, false);
    for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU}) InjectKey(vk, false);
    Pump();
}

}  // namespace

TEST_F(WindowTest, MouseMessagesCarryClientCoordinatesAndKeys) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    WindowProbe* probe = NewProbe();
    HWND child = Make(probe, WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 30, 100, 100, top);
    InjectMouseMove(150, 160);
    InjectKey(VK_SHIFT, true);
    InjectMouseButton(0, true);
    InjectMouseButton(0, false);
    Pump();
    auto mouse = Of(probe, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(mouse.size(), 3u);
    // Screen (150,160) is window (30,30) of the child, client (29,29) inside its border.
    EXPECT_EQ(mouse[0].lParam, MAKELPARAM(29, 29));
    EXPECT_EQ(mouse[1].wParam, static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(mouse[2].wParam, static_cast<WPARAM>(MK_SHIFT));
    EXPECT_TRUE(GetKeyState(VK_SHIFT) < 0);
    auto cursor = Of(probe, {WM_SETCURSOR});
    ASSERT_FALSE(cursor.empty());
    EXPECT_EQ(LOWORD(cursor[0].lParam), HTCLIENT);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));  // the class cursor
    // On the border: non-client messages in screen coordinates.
    probe->received.clear();
    InjectMouseMove(120, 130);
    Pump();
    auto border = Of(probe, {WM_NCMOUSEMOVE});
    ASSERT_EQ(border.size(), 1u);
    EXPECT_EQ(border[0].wParam, static_cast<WPARAM>(HTBORDER));
    EXPECT_EQ(border[0].lParam, MAKELPARAM(120, 130));
    Release();
    (void)child;
}

TEST_F(WindowTest, DoubleClicksOnlyForTheClassStyleAndInTime) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 100);
    WindowProbe* plain = NewProbe();
    WindowProbe* dbl = NewProbe();
    Make(plain, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
    Make(dbl, WS_CHILD | WS_VISIBLE, 150, 0, 100, 100, top, 0, 0, DoubleClickClass());
    const DWORD t = 100000;
    InjectMouseClick(50, 50, 0, t);
    InjectMouseClick(50, 50, 0, t + 100);
    InjectMouseClick(200, 50, 0, t + 1000);
    InjectMouseClick(200, 50, 0, t + 1100);   // a double click
    InjectMouseClick(200, 50, 0, t + 1200);   // the third click starts over
    InjectMouseClick(200, 50, 0, t + 3000);
    InjectMouseClick(200, 50, 0, t + 3000 + GetDoubleClickTime() + 1);  // too late
    InjectMouseClick(200, 50, 0, t + 5000);
    InjectMouseClick(210, 50, 0, t + 5050);  // too far
    Pump();
    EXPECT_EQ(Only(plain->Messages(), {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    EXPECT_EQ(Only(dbl->Messages(), {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN,
                                 WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(WindowTest, CaptureTakesTheMouseEverywhereUntilReleased) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    WindowProbe* a = NewProbe();
    WindowProbe* b = NewProbe();
    HWND wa = Make(a, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
    HWND wb = Make(b, WS_CHILD | WS_VISIBLE, 200, 200, 100, 100, top);
    EXPECT_EQ(SetCapture(wa), nullptr);
    InjectMouseMove(250, 250);
    Pump();
    auto moves = Of(a, {WM_MOUSEMOVE});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].lParam, MAKELPARAM(250, 250));
    EXPECT_TRUE(Of(b, {WM_MOUSEMOVE}).empty());
    EXPECT_EQ(SetCapture(wb), wa);
    auto changed = Of(a, {WM_CAPTURECHANGED});
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lParam, reinterpret_cast<LPARAM>(wb));
    SendMessageA(wb, WM_CANCELMODE, 0, 0);  // the default handling gives the capture up
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Of(b, {WM_CAPTURECHANGED}).size(), 1u);
    InjectMouseMove(50, 50);
    Pump();
    EXPECT_EQ(Of(a, {WM_MOUSEMOVE}).size(), 2u);
}

TEST_F(WindowTest, TrackedWindowsHearWhenTheMouseLeavesOrHovers) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
    InjectMouseMove(50, 50);
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_HOVER, hwnd, 30};
    EXPECT_TRUE(TrackMouseEvent(&tme));
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    EXPECT_EQ(query.hwndTrack, hwnd);
    EXPECT_EQ(query.dwFlags, static_cast<DWORD>(TME_LEAVE | TME_HOVER));
    EXPECT_TRUE(PumpUntil([&] { return !Of(probe, {WM_MOUSEHOVER}).empty(); }, 2000));
    EXPECT_EQ(Of(probe, {WM_MOUSEHOVER})[0].lParam, MAKELPARAM(50, 50));
    EXPECT_TRUE(Of(probe, {WM_MOUSELEAVE}).empty());
    InjectMouseMove(60, 60);  // still inside: nothing
    Pump();
    EXPECT_TRUE(Of(probe, {WM_MOUSELEAVE}).empty());
    InjectMouseMove(150, 150);
    Pump();
    EXPECT_EQ(Of(probe, {WM_MOUSELEAVE}).size(), 1u);
    InjectMouseMove(10, 10);
    InjectMouseMove(200, 200);
    Pump();
    EXPECT_EQ(Of(probe, {WM_MOUSELEAVE}).size(), 1u);  // once per request
    // Asking while the mouse is elsewhere reports the leave at once.
    tme.dwFlags = TME_LEAVE;
    TrackMouseEvent(&tme);
    Pump();
    EXPECT_EQ(Of(probe, {WM_MOUSELEAVE}).size(), 2u);
}

TEST_F(WindowTest, KeysGoToTheFocusAndBecomeCharacters) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    WindowProbe* a = NewProbe();
    WindowProbe* b = NewProbe();
    HWND wa = Make(a, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
    HWND wb = Make(b, WS_CHILD | WS_VISIBLE, 100, 0, 100, 100, top);
    EXPECT_EQ(SetFocus(wa), top);
    EXPECT_EQ(SetFocus(wb), wa);
    auto kill = Of(a, {WM_KILLFOCUS});
    ASSERT_EQ(kill.size(), 1u);
    EXPECT_EQ(kill[0].wParam, reinterpret_cast<WPARAM>(wb));
    auto set = Of(b, {WM_SETFOCUS});
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].wParam, reinterpret_cast<WPARAM>(wa));
    const int toggled = GetKeyState('A') & 1;
    InjectKey('A', true);
    InjectKey('A', false);
    InjectKey(VK_SHIFT, true);
    InjectKey('1', true);
    InjectKey('1', false);
    InjectKey(VK_SHIFT, false);
    InjectKey(VK_MENU, true);
    InjectKey('X', true);
    InjectKey('X', false);
    InjectKey(VK_MENU, false);
    Pump();
    std::string typed;
    for (const Received& r : Of(b, {WM_CHAR})) typed += static_cast<char>(r.wParam);
    EXPECT_EQ(typed, "a!");
    auto sys = Of(b, {WM_SYSCHAR});
    ASSERT_EQ(sys.size(), 1u);
    EXPECT_EQ(sys[0].wParam, static_cast<WPARAM>('x'));
    EXPECT_TRUE(Of(a, {WM_KEYDOWN, WM_CHAR}).empty());
    auto up = Of(b, {WM_KEYUP});
    ASSERT_FALSE(up.empty());
    EXPECT_NE(up[0].lParam & (1L << 31), 0);  // the transition bit of a release
    EXPECT_FALSE(GetKeyState('A') < 0);
    EXPECT_EQ(GetKeyState('A') & 1, toggled ^ 1);  // each press flips the toggle state
}

TEST_F(WindowTest, ClicksActivateTopLevelWindows) {
    WindowProbe* first = NewProbe();
    WindowProbe* second = NewProbe();
    HWND one = Make(first, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND two = Make(second, WS_POPUP | WS_VISIBLE, 200, 0, 100, 100);
    EXPECT_EQ(GetActiveWindow(), two);
    InjectMouseClick(50, 50);
    Pump();
    EXPECT_EQ(GetActiveWindow(), one);
    EXPECT_EQ(GetTopWindow(nullptr), one);
    auto activate = Of(first, {WM_ACTIVATE});
    ASSERT_FALSE(activate.empty());
    EXPECT_EQ(LOWORD(activate.back().wParam), WA_CLICKACTIVE);
    EXPECT_EQ(Of(second, {WM_ACTIVATE}).back().wParam & 0xFFFF, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_FALSE(Of(first, {WM_MOUSEACTIVATE}).empty());
    // Destroying the active window hands activation on.
    DestroyWindow(one);
    EXPECT_EQ(GetActiveWindow(), two);
    (void)two;
}

TEST_F(WindowTest, WheelGoesToTheFocusAndUpToItsParent) {
    WindowProbe* parent = NewProbe();
    HWND top = Make(parent, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND child = Make(NewProbe(), WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
    SetFocus(child);
    InjectMouseMove(10, 20);
    InjectMouseWheel(-WHEEL_DELTA);
    Pump();
    auto wheel = Of(parent, {WM_MOUSEWHEEL});
    ASSERT_EQ(wheel.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), -WHEEL_DELTA);
    EXPECT_EQ(wheel[0].lParam, MAKELPARAM(10, 20));  // screen coordinates
}

TEST_F(WindowTest, IconsAndCursorsComeFromTheResources) {
    // A 16 x 16 image of 32 bits: header, colours, then the AND mask.
    std::vector<BYTE> image(40 + 16 * 16 * 4 + 16 * 4, 0);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 16;
    header.biHeight = 32;  // image and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::memcpy(image.data(), &header, sizeof(header));
    for (int i = 0; i < 256; ++i) {
        const uint32_t green = 0xFF00FF00u;
        std::memcpy(image.data() + 40 + i * 4, &green, 4);
    }
    std::vector<BYTE> cursor(4 + image.size());
    cursor[0] = 3;  // hot spot (3, 5)
    cursor[2] = 5;
    std::memcpy(cursor.data() + 4, image.data(), image.size());
    const auto group = [](WORD type, DWORD bytes) {
        std::vector<BYTE> g = {0, 0, static_cast<BYTE>(type), 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
        for (int i = 0; i < 4; ++i) g.push_back(static_cast<BYTE>(bytes >> (8 * i)));
        g.push_back(0x31);  // image id 0x7331
        g.push_back(0x73);
        return g;
    };
    static const std::vector<BYTE> iconGroup = group(1, static_cast<DWORD>(image.size()));
    static const std::vector<BYTE> cursorGroup = group(2, static_cast<DWORD>(cursor.size()));
    static const std::vector<BYTE> iconData = image, cursorData = cursor;
    trelwin::RegisterResource(RT_ICON, MAKEINTRESOURCEA(0x7331), iconData.data(), iconData.size());
    trelwin::RegisterResource(RT_GROUP_ICON, MAKEINTRESOURCEA(0x7330), iconGroup.data(), iconGroup.size());
    trelwin::RegisterResource(RT_CURSOR, MAKEINTRESOURCEA(0x7331), cursorData.data(), cursorData.size());
    trelwin::RegisterResource(RT_GROUP_CURSOR, "TESTCURSOR", cursorGroup.data(), cursorGroup.size());
    HINSTANCE module = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(0x7330));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(0x7330)), icon);  // loaded once
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    // LoadCursor gives the standard size: the 16 x 16 image and its hot spot double.
    HCURSOR hand = LoadCursorA(module, "TestCursor");
    ASSERT_NE(hand, nullptr);
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 6u);
    EXPECT_EQ(info.yHotspot, 10u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    HCURSOR own = static_cast<HCURSOR>(LoadImageA(module, "TestCursor", IMAGE_CURSOR, 0, 0, 0));
    ASSERT_TRUE(GetIconInfo(own, &info));
    EXPECT_EQ(info.xHotspot, 3u);
    EXPECT_EQ(info.yHotspot, 5u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    HCURSOR again = static_cast<HCURSOR>(LoadImageA(module, "TestCursor", IMAGE_CURSOR, 0, 0, 0));
    EXPECT_NE(again, own);  // not shared: a new one each time
    DestroyCursor(own);
    DestroyCursor(again);
    // A bitmap file: 2 x 1 pixels of 24 bits, blue then red (rows padded to 4 bytes).
    std::vector<BYTE> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                             1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                             255, 0, 0, 0, 0, 255, 0, 0};
    const std::string path = ::testing::TempDir() + "trelwin_load_image.bmp";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bmp.data(), 1, bmp.size(), f);
        std::fclose(f);
    }
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_EQ(GetPixel(memory, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(memory, 1, 0), RGB(255, 0, 0));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    std::remove(path.c_str());
    EXPECT_EQ(LoadImageA(nullptr, "/nonexistent/picture.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(0x7332)), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_WARNING), nullptr);
    // A class cursor shows over the client area, WM_SETCURSOR may choose another.
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = "UserTestCursor";
    wc.hCursor = hand;
    RegisterClassA(&wc);
    WindowProbe* probe = NewProbe();
    Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0, 0, "UserTestCursor");
    InjectMouseMove(10, 10);
    EXPECT_EQ(GetCursor(), hand);
    probe->handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_SETCURSOR) {
            SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
            return TRUE;
        }
        return DefWindowProcA(h, m, w, l);
    };
    InjectMouseMove(12, 12);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM));
    Pump();
}

TEST_F(WindowTest, HostEventsReachTheWindowsOnTheirOwnThread) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP | WS_VISIBLE, 100, 100, 50, 50);
    trelwin::display::HostEvent move;
    move.kind = trelwin::display::HostEvent::MouseMove;
    move.id = reinterpret_cast<uintptr_t>(hwnd);
    move.pt = POINT{110, 120};
    // A host thread hands the event over; this thread wakes and applies it.
    std::thread host([move] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        trelwin::display::deliver(move);
    });
    EXPECT_TRUE(PumpUntil([&] { return !Of(probe, {WM_MOUSEMOVE}).empty(); }, 3000));
    host.join();
    EXPECT_EQ(Of(probe, {WM_MOUSEMOVE})[0].lParam, MAKELPARAM(10, 20));
    trelwin::display::HostEvent close;
    close.kind = trelwin::display::HostEvent::Close;
    close.id = reinterpret_cast<uintptr_t>(hwnd);
    trelwin::display::deliver(close);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }, 3000));  // the default handling of WM_CLOSE destroys it
}

namespace {

trelwin::display::HostEvent HostInput(trelwin::display::HostEvent::Kind kind, HWND host, UINT vk = 0, POINT pt = {}) {
    trelwin::display::HostEvent e;
    e.kind = kind;
    e.id = reinterpret_cast<uintptr_t>(host);
    e.vk = vk;
    e.pt = pt;
    return e;
}

// Press and release of each key, as the host reports them.
void HostKeys(HWND host, std::initializer_list<UINT> keys) {
    using trelwin::display::HostEvent;
    for (UINT vk : keys) {
        trelwin::display::deliver(HostInput(HostEvent::KeyDown, host, vk));
        trelwin::display::deliver(HostInput(HostEvent::KeyUp, host, vk));
    }
}

}  // namespace

// The host hands over a whole burst of input at once (typing, then Return,
// which moves the focus, typing, a click that takes the focus back, typing).
// Each key reaches the window that has the focus when the thread comes to
// it, with its character before the next key, as if typed slowly.
TEST_F(WindowTest, HostInputIsTakenInTurn) {
    using trelwin::display::HostEvent;
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    WindowProbe* a = NewProbe();
    WindowProbe* b = NewProbe();
    HWND wa = Make(a, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
    HWND wb = Make(b, WS_CHILD | WS_VISIBLE, 100, 0, 100, 100, top);
    std::string typedA, typedB, atReturn;
    a->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CHAR) typedA += static_cast<char>(w);
        if (m == WM_LBUTTONDOWN) SetFocus(h);
        if (m == WM_KEYDOWN && w == VK_RETURN) {
            atReturn = typedA;
            SetFocus(wb);
        }
        return DefWindowProcA(h, m, w, l);
    };
    b->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CHAR) typedB += static_cast<char>(w);
        return DefWindowProcA(h, m, w, l);
    };
    SetFocus(wa);
    Pump();
    HostKeys(top, {'A', 'B', VK_RETURN, 'C'});
    trelwin::display::deliver(HostInput(HostEvent::MouseMove, top, 0, {40, 40}));
    trelwin::display::deliver(HostInput(HostEvent::ButtonDown, top, 0, {50, 50}));
    trelwin::display::deliver(HostInput(HostEvent::ButtonUp, top, 0, {50, 50}));
    HostKeys(top, {'D'});
    Pump();
    EXPECT_EQ(atReturn, "ab");
    EXPECT_EQ(typedA, "ab\rd");
    EXPECT_EQ(typedB, "c");
}

// A key the host reports for a window that has gone (a box that has just
// closed) goes to the thread whose window has the focus, not to the thread
// of whichever window is on top, which may not be looking at its messages.
TEST_F(WindowTest, AKeyForAGoneHostReachesTheFocus) {
    using trelwin::display::HostEvent;
    WindowProbe* probe = NewProbe();
    HWND main = Make(probe, WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    SetFocus(main);
    HWND gone = Make(NewProbe(), WS_POPUP, 0, 0, 10, 10);
    DestroyWindow(gone);
    // A window of a busy thread stands on top.
    std::promise<void> made;
    std::atomic<bool> stop{false};
    WindowProbe* other = NewProbe();
    std::thread busy([&] {
        HWND w = Make(other, WS_POPUP | WS_VISIBLE, 300, 0, 50, 50, nullptr, 0, WS_EX_TOPMOST | WS_EX_NOACTIVATE);
        made.set_value();
        for (int i = 0; i < 1000 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        DestroyWindow(w);
    });
    made.get_future().wait();
    HostKeys(gone, {VK_ESCAPE});
    EXPECT_TRUE(PumpUntil([&] { return !Of(probe, {WM_KEYDOWN}).empty(); }, 2000));
    stop = true;
    busy.join();
}

namespace {

// The window system's own source of host input, and a test's event that
// the host hands over just after the window's thread has looked for host
// input and found none: the moment between that look and the wait that
// follows it.
CSyntheticSource g_realSource;
std::function<void()> g_afterLook;

bool HostInputThenEvent() {
    const bool took = g_realSource.host_input();
    if (!took && g_afterLook) std::exchange(g_afterLook, nullptr)();
    return took;
}

}  // namespace

// An event that the host hands over while the window's thread is between
// its look for host input and its wait for messages wakes that thread: it
// does not sleep with the event waiting until something else comes.
TEST(HostEvents, AnEventDuringTheLookForMessagesWakesTheThread) {
    std::atomic<int> closes{0};
    std::atomic<bool> done{false};
    std::promise<HWND> made;
    std::promise<void> go;
    std::thread owner([&, started = go.get_future()] {
        WindowProbe probe;
        probe.handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_CLOSE) return DefWindowProcA(h, m, w, l);
            closes.fetch_add(1);
            return 0;
        };
        HWND hwnd = CreateProbe(&probe);
        made.set_value(hwnd);
        started.wait();
        MSG msg;
        while (!done && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(hwnd);
    });
    const HWND hwnd = made.get_future().get();
    trelwin::display::HostEvent close;
    close.kind = trelwin::display::HostEvent::Close;
    close.id = reinterpret_cast<uintptr_t>(hwnd);
    // Handed over from the host's side, as the host thread does.
    g_afterLook = [close] { std::thread([close] { trelwin::display::deliver(close); }).join(); };
    g_realSource = *CurrentSyntheticSource();  // made with the first window
    CSyntheticSource source = g_realSource;
    source.host_input = HostInputThenEvent;
    SetSyntheticSource(source);
    go.set_value();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (closes.load() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(closes.load(), 1) << "the window's thread slept with an event of the host waiting";
    done = true;
    PostMessageA(hwnd, WM_NULL, 0, 0);
    owner.join();
    SetSyntheticSource(g_realSource);
}

// A thread that waits for input only (QS_INPUT) wakes for the input that
// the host hands over for its window.
TEST(HostEvents, AWaitForInputWakesForTheHostsInput) {
    DWORD result = WAIT_FAILED;
    std::chrono::steady_clock::duration waited{};
    std::thread owner([&] {
        WindowProbe probe;
        HWND hwnd = CreateWindowExA(0, ProbeClass(), "input", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, &probe);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        trelwin::display::HostEvent key;
        key.kind = trelwin::display::HostEvent::KeyDown;
        key.id = reinterpret_cast<uintptr_t>(hwnd);
        key.vk = 'A';
        std::thread host([key] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            trelwin::display::deliver(key);
        });
        const auto start = std::chrono::steady_clock::now();
        result = MsgWaitForMultipleObjects(0, nullptr, FALSE, 3000, QS_INPUT);
        waited = std::chrono::steady_clock::now() - start;
        host.join();
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        InjectKey('A', false);
        DestroyWindow(hwnd);
    });
    owner.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_LT(waited, std::chrono::seconds(2));
}
