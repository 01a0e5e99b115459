// The window tree, geometry and coordinates.
#include <string>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "tests/platform/user/window_test_util.h"

using namespace user_test;

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

}  // namespace

TEST_F(WindowTest, CreationSendsTheCreateStructureAndTheFirstGeometry) {
    WindowProbe* probe = NewProbe();
    CREATESTRUCTA seen{};
    std::string name;
    probe->handler = [&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_CREATE) {
            seen = *reinterpret_cast<CREATESTRUCTA*>(l);
            name = seen.lpszName;
            EXPECT_FALSE(IsWindowVisible(hwnd));  // shown only after creation
        }
        return DefWindowProcA(hwnd, msg, w, l);
    };
    HWND top = Make(probe, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(seen.x, 10);
    EXPECT_EQ(seen.cy, 200);
    EXPECT_EQ(seen.lpCreateParams, probe);
    EXPECT_EQ(name, "test");
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_EQ(Only(probe->Messages(), {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                                       WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATE}),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                                 WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATE}));
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(WindowTest, TreeOrderParentsOwnersAndIds) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    HWND a = Make(NewProbe(), kChild, 0, 0, 10, 10, top, 101);
    HWND b = Make(NewProbe(), kChild, 0, 0, 10, 10, top, 102);
    HWND c = Make(NewProbe(), kChild, 0, 0, 10, 10, top, 103);
    HWND inner = Make(NewProbe(), kChild, 0, 0, 5, 5, b, 201);
    HWND owned = Make(NewProbe(), WS_POPUP, 0, 0, 50, 50, b);
    // Creation order is z-order from the top: the first child comes first.
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetParent(inner), b);
    EXPECT_EQ(GetAncestor(inner, GA_ROOT), top);
    EXPECT_TRUE(IsChild(top, inner));
    EXPECT_FALSE(IsChild(b, a));
    // An owned popup is owned by the top-level window of the one given.
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_EQ(GetDlgItem(top, 103), c);
    EXPECT_EQ(GetDlgItem(top, 201), nullptr);  // only direct children
    EXPECT_EQ(GetDlgCtrlID(inner), 201);
    std::vector<HWND> all;
    EnumChildWindows(top, [](HWND h, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(all, (std::vector<HWND>{a, b, inner, c}));
    // Stacking a child on top changes the order.
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), c);
    SetWindowPos(c, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
    // Destroying a parent destroys its children and owned windows.
    DestroyWindow(b);
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_FALSE(IsWindow(owned) && GetWindow(owned, GW_OWNER) == b);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
}

TEST_F(WindowTest, TextPropertiesAndSubclassing) {
    WindowProbe* probe = NewProbe();
    HWND hwnd = Make(probe, WS_POPUP, 0, 0, 10, 10);
    EXPECT_TRUE(SetWindowTextA(hwnd, "Hello world"));
    char buffer[6];
    EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof(buffer)), 5);
    EXPECT_STREQ(buffer, "Hello");
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 11);

    static int seen = 0;
    static WNDPROC previous = nullptr;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
        +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_GETTEXTLENGTH) {
                ++seen;
                return 99;
            }
            return CallWindowProcA(previous, h, m, w, l);
        })));
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 99);
    EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof(buffer)), 5);  // the rest goes to the original
    EXPECT_EQ(seen, 1);

    EXPECT_TRUE(SetPropA(hwnd, "Colour", reinterpret_cast<HANDLE>(7)));
    EXPECT_EQ(GetPropA(hwnd, "Colour"), reinterpret_cast<HANDLE>(7));
    EXPECT_EQ(RemovePropA(hwnd, "Colour"), reinterpret_cast<HANDLE>(7));
    EXPECT_EQ(GetPropA(hwnd, "Colour"), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
}

TEST_F(WindowTest, SetWindowPosSendsItsMessagesSynchronously) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 100, 100, 300, 300);
    WindowProbe* probe = NewProbe();
    LPARAM sizeSeen = 0, moveSeen = 0;
    probe->handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_WINDOWPOSCHANGING) {
            auto* wp = reinterpret_cast<WINDOWPOS*>(l);
            if (wp->cx > 150) wp->cx = 150;  // the window limits its width
        }
        if (m == WM_SIZE) sizeSeen = l;
        if (m == WM_MOVE) moveSeen = l;
        return DefWindowProcA(h, m, w, l);
    };
    HWND child = Make(probe, kChild | WS_BORDER, 10, 10, 50, 50, top);
    probe->received.clear();
    EXPECT_TRUE(SetWindowPos(child, nullptr, 20, 30, 200, 100, SWP_NOZORDER));
    EXPECT_EQ(Only(probe->Messages(), {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
    // The border takes one pixel on each side of the client area.
    EXPECT_EQ(sizeSeen, MAKELPARAM(148, 98));
    EXPECT_EQ(moveSeen, MAKELPARAM(21, 31));
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 130);
    EXPECT_EQ(r.right, 270);
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 148);
    POINT pt{0, 0};
    ClientToScreen(child, &pt);
    EXPECT_EQ(pt.x, 121);
    EXPECT_EQ(pt.y, 131);
    ScreenToClient(top, &pt);
    EXPECT_EQ(pt.x, 21);
    POINT pts[2] = {{0, 0}, {5, 5}};
    MapWindowPoints(child, top, pts, 2);
    EXPECT_EQ(pts[1].x, 26);
    // Nothing moves: no WM_MOVE or WM_SIZE.
    probe->received.clear();
    MoveWindow(child, 20, 30, 150, 100, TRUE);
    EXPECT_EQ(Only(probe->Messages(), {WM_MOVE, WM_SIZE}), std::vector<UINT>{});
}

TEST_F(WindowTest, VisibilityEnablingAndFocus) {
    WindowProbe* topProbe = NewProbe();
    HWND top = Make(topProbe, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND child = Make(NewProbe(), WS_CHILD, 0, 0, 10, 10, top);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(ShowWindow(child, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child));  // a hidden parent hides its children
    ShowWindow(top, SW_SHOW);
    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_NE(GetFocus(), child);  // a disabled window loses the focus
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_EQ(Only(topProbe->Messages(), {WM_SHOWWINDOW}), (std::vector<UINT>{WM_SHOWWINDOW, WM_SHOWWINDOW, WM_SHOWWINDOW}));
}

TEST_F(WindowTest, PointsFindTheDeepestVisibleEnabledWindow) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 50, 50, 200, 200);
    HWND a = Make(NewProbe(), kChild, 10, 10, 100, 100, top);
    HWND inner = Make(NewProbe(), kChild, 10, 10, 20, 20, a);
    HWND hidden = Make(NewProbe(), WS_CHILD, 120, 10, 50, 50, top);
    WindowProbe* transparent = NewProbe();
    transparent->handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_NCHITTEST ? HTTRANSPARENT : DefWindowProcA(h, m, w, l);
    };
    HWND glass = Make(transparent, kChild, 10, 150, 40, 40, top);
    EXPECT_EQ(WindowFromPoint(POINT{75, 75}), inner);
    EXPECT_EQ(WindowFromPoint(POINT{65, 65}), a);
    EXPECT_EQ(WindowFromPoint(POINT{185, 65}), top);  // the hidden child is passed over
    EXPECT_EQ(WindowFromPoint(POINT{70, 210}), top);  // HTTRANSPARENT hands the point to the parent
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), nullptr);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{25, 25}), a);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{130, 20}), hidden);
    EXPECT_EQ(ChildWindowFromPointEx(top, POINT{130, 20}, CWP_SKIPINVISIBLE), top);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{300, 20}), nullptr);
    EnableWindow(a, FALSE);
    EXPECT_EQ(WindowFromPoint(POINT{75, 75}), top);  // a disabled child leaves the point to its parent
    (void)glass;
}

TEST_F(WindowTest, AShapedWindowIsHitOnlyInsideItsRegion) {
    HWND top = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 100, 100, 100, 100);
    HWND round = Make(NewProbe(), kChild, 0, 0, 100, 100, top);
    EXPECT_EQ(SetWindowRgn(round, CreateEllipticRgn(0, 0, 100, 100), TRUE), 1);
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), round);
    EXPECT_EQ(WindowFromPoint(POINT{102, 102}), top);  // the corner lies outside the ellipse
    EXPECT_EQ(SendMessageA(round, WM_NCHITTEST, 0, MAKELPARAM(102, 102)), HTNOWHERE);
    // A shaped top-level window lets the point through to the screen.
    SetWindowRgn(top, CreateRectRgn(0, 0, 50, 50), TRUE);
    EXPECT_EQ(WindowFromPoint(POINT{175, 175}), nullptr);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(top, copy), SIMPLEREGION);
    RECT box;
    GetRgnBox(copy, &box);
    EXPECT_EQ(box.right, 50);
    DeleteObject(copy);
}

TEST_F(WindowTest, FramesAndScreenMetrics) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(r.left, -3);
    EXPECT_EQ(r.top, -3 - GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(r.right, 103);
    HWND dialog = Make(NewProbe(), WS_CAPTION | WS_SYSMENU | WS_VISIBLE, r.left + 50, r.top + 50, r.right - r.left,
                       r.bottom - r.top);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(60, 40)), HTCAPTION);
    EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(100, 100)), HTCLIENT);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), RGB(212, 208, 200));
}

TEST_F(WindowTest, SetParentMovesAWindowBetweenParents) {
    HWND first = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND second = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 200, 0, 100, 100);
    HWND child = Make(NewProbe(), WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, first);
    EXPECT_EQ(SetParent(child, second), first);
    EXPECT_EQ(GetParent(child), second);
    EXPECT_EQ(GetWindow(first, GW_CHILD), nullptr);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 210);  // the same place in the new parent
    EXPECT_EQ(WindowFromPoint(POINT{215, 15}), child);
    EXPECT_EQ(SetParent(second, child), nullptr);  // not into its own child
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
