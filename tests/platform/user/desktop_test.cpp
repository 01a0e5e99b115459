// Top-level windows on a desktop: the caption's boxes, moving a window by
// its caption, minimising and restoring, and what the window system does
// with the host's own reports (a window manager's moves, its minimising,
// its focus) as against what the program asks.
#include <string>
#include <thread>
#include <vector>

#include "platform/base/system_time.h"
#include "platform/display/display.h"
#include "tests/platform/user/dialog_test_util.h"

using namespace dialog_test;
using namespace user_test;
using namespace trelwin::user;
using trelwin::display::HostEvent;

namespace {

constexpr DWORD kFramed = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;  // a 3-pixel dialog frame

HostEvent Event(HostEvent::Kind kind, HWND hwnd, POINT pt = {}, UINT vk = 0) {
    HostEvent e;
    e.kind = kind;
    e.id = reinterpret_cast<uintptr_t>(hwnd);
    e.pt = pt;
    e.vk = vk;
    return e;
}

const char* HitName(LRESULT hit) {
    switch (hit) {
    case HTBORDER: return "border";
    case HTCAPTION: return "caption";
    case HTMINBUTTON: return "min";
    case HTMAXBUTTON: return "max";
    case HTCLOSE: return "close";
    default: return "other";
    }
}

// The hit test along a row of the window (window coordinates) as runs
// "first-last:name".
std::string HitRow(HWND hwnd, int y) {
    RECT w{};
    GetWindowRect(hwnd, &w);
    std::string out;
    std::string run;
    int first = 0;
    for (int x = 0; x <= w.right - w.left; ++x) {
        const std::string name =
            x < w.right - w.left ? HitName(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y))) : "";
        if (name == run) continue;
        if (!run.empty()) {
            out += (out.empty() ? "" : " ") + std::to_string(first) + "-" + std::to_string(x - 1) + ":" + run;
        }
        run = name;
        first = x;
    }
    return out;
}

bool Bluish(COLORREF c) { return GetBValue(c) > GetRValue(c) + 20; }

class DesktopTest : public DialogTest {
protected:
    // Runs the window thread's messages until the condition holds (at most
    // the time); host events that another thread delivers arrive meanwhile.
    bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
        const DWORD until = GetTickCount() + static_cast<DWORD>(ms);
        while (!done()) {
            if (static_cast<int>(until - GetTickCount()) <= 0) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        return true;
    }
};

}  // namespace

// The boxes answer the hit test exactly where they are drawn, and the host
// may drag the caption up to the first box.
TEST_F(DesktopTest, CaptionBoxesAreHitWhereTheyAreDrawn) {
    struct Case {
        const char* name;
        DWORD style;
        DWORD exStyle;
        const char* row;  // the hit test 8 pixels down, across the 300-pixel window
        RECT hostCaption;
    };
    const Case cases[] = {
        {"close box only", kFramed, 0,
         "0-2:border 3-278:caption 279-294:close 295-296:caption 297-299:border", {3, 3, 277, 22}},
        {"with the minimise box", kFramed | WS_MINIMIZEBOX, 0,
         "0-2:border 3-244:caption 245-260:min 261-276:max 277-278:caption 279-294:close 295-296:caption "
         "297-299:border",
         {3, 3, 243, 22}},
        {"tool window: a smaller close box, no others", kFramed | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW,
         "0-2:border 3-282:caption 283-294:close 295-296:caption 297-299:border", {3, 3, 281, 18}},
        {"no window menu: no boxes", (kFramed & ~WS_SYSMENU) | WS_MINIMIZEBOX, 0,
         "0-2:border 3-296:caption 297-299:border", {3, 3, 297, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND hwnd = CreateWindowExA(c.exStyle, PlainClass(), "", c.style, 100, 80, 300, 200, nullptr, nullptr, nullptr,
                                    nullptr);
        SetActiveWindow(hwnd);
        UpdateWindow(hwnd);
        Pump();
        const std::string row = HitRow(hwnd, 8);
        EXPECT_EQ(row, c.row);
        // A second look: across the caption, the gradient shows where the
        // hit test says caption and a box's face or glyph where it says box.
        for (int x = 3; x < 297; ++x) {
            const LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(100 + x, 88));
            const bool caption = Bluish(ScreenPixel(100 + x, 88));
            if (caption != (hit == HTCAPTION)) {
                ADD_FAILURE() << "column " << x << " is drawn as " << (caption ? "caption" : "box") << " but hit as "
                              << HitName(hit);
                break;
            }
        }
        const trelwin::display::HostWindow* host = trelwin::display::current().host(reinterpret_cast<uintptr_t>(hwnd));
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->caption.left, c.hostCaption.left);
        EXPECT_EQ(host->caption.top, c.hostCaption.top);
        EXPECT_EQ(host->caption.right, c.hostCaption.right);
        EXPECT_EQ(host->caption.bottom, c.hostCaption.bottom);
        DestroyWindow(hwnd);
    }
}

namespace {

// An icon of one colour (opaque everywhere), size x size pixels.
HICON SolidIcon(int size, COLORREF colour) {
    const std::vector<DWORD> pixels(static_cast<size_t>(size * size),
                                    (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    const std::vector<BYTE> opaque(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP image = CreateBitmap(size, size, 1, 32, pixels.data());
    HBITMAP mask = CreateBitmap(size, size, 1, 1, opaque.data());
    ICONINFO info{TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(image);
    DeleteObject(mask);
    return icon;
}

// The first column (window coordinates) of the caption where the title's
// white ink shows, or -1.
int TitleInkFrom(HWND hwnd) {
    RECT w{};
    GetWindowRect(hwnd, &w);
    for (int x = 3; x < 200; ++x) {
        for (int y = 4; y < 20; ++y) {
            const COLORREF c = ScreenPixel(w.left + x, w.top + y);
            if (GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) return x;
        }
    }
    return -1;
}

}  // namespace

// A window that was given an icon shows it, 16 pixels square, at the
// caption's left (the 3-pixel frame, 2 more, centred in the 19-pixel
// caption), and its title after it; given while the window is up, the
// caption shows it at once, and the host gets it for its task bar.
TEST_F(DesktopTest, TheCaptionShowsTheWindowsIconBeforeItsTitle) {
    const COLORREF kRed = RGB(255, 0, 0);
    const COLORREF kGreen = RGB(0, 160, 0);
    HICON red16 = SolidIcon(16, kRed);
    HICON green32 = SolidIcon(32, kGreen);
    ASSERT_NE(red16, nullptr);
    ASSERT_NE(green32, nullptr);
    struct Case {
        const char* name;
        DWORD style;
        HICON small;
        HICON big;
        COLORREF icon;  // what the icon's square shows; 0: the caption's gradient
        int titleFrom;
    };
    const Case cases[] = {
        {"no icon", kFramed, nullptr, nullptr, 0, 7},
        {"a small icon", kFramed, red16, nullptr, kRed, 23},
        {"a big icon only, drawn small", kFramed, nullptr, green32, kGreen, 23},
        {"the small icon before the big one", kFramed, red16, green32, kRed, 23},
        {"no window menu, no icon shown", kFramed & ~WS_SYSMENU, red16, green32, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND hwnd = CreateWindowExA(0, PlainClass(), "Title", c.style, 100, 80, 300, 200, nullptr, nullptr, nullptr,
                                    nullptr);
        SetActiveWindow(hwnd);
        UpdateWindow(hwnd);
        Pump();
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(c.small));
        SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(c.big));
        Pump();
        for (POINT corner : {POINT{5, 4}, POINT{20, 4}, POINT{5, 19}, POINT{20, 19}}) {
            const COLORREF shown = ScreenPixel(100 + corner.x, 80 + corner.y);
            if (c.icon != 0) {
                EXPECT_EQ(shown, c.icon) << corner.x << "," << corner.y;
            } else {
                EXPECT_TRUE(Bluish(shown)) << corner.x << "," << corner.y;
            }
        }
        // Just outside the square: the caption.
        EXPECT_TRUE(Bluish(ScreenPixel(100 + 4, 80 + 12)));
        EXPECT_TRUE(Bluish(ScreenPixel(100 + 21, 80 + 12)));
        const int ink = TitleInkFrom(hwnd);
        EXPECT_GE(ink, c.titleFrom);
        EXPECT_LT(ink, c.titleFrom + 4);
        // The host (a task bar) is given the big icon, else the small one.
        const trelwin::display::HostWindow* host = trelwin::display::current().host(reinterpret_cast<uintptr_t>(hwnd));
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->icon, c.big != nullptr ? c.big : c.small);
        DestroyWindow(hwnd);
    }
    DestroyIcon(red16);
    DestroyIcon(green32);
}

// Without a window manager the window moves itself: it follows the cursor
// from the press on the caption until the button is up, whether the input
// comes as it happens or all at once.
TEST_F(DesktopTest, ACaptionDragMovesTheWindowWithTheCursor) {
    using K = HostEvent::Kind;
    struct Input {
        K kind;
        POINT pt;  // screen; keys: Esc
    };
    struct Case {
        const char* name;
        std::vector<Input> input;
        POINT expected;
        bool closed;
    };
    // The window stands at (100, 80); (150, 91) is on its caption.
    const Case cases[] = {
        {"dragged",
         {{K::ButtonDown, {150, 91}}, {K::MouseMove, {170, 100}}, {K::MouseMove, {190, 115}},
          {K::ButtonUp, {190, 115}}},
         {140, 104},
         false},
        {"put back by Esc",
         {{K::ButtonDown, {150, 91}}, {K::MouseMove, {190, 115}}, {K::KeyDown, {}}, {K::ButtonUp, {190, 115}}},
         {100, 80},
         false},
        {"clicked, not moved", {{K::ButtonDown, {150, 91}}, {K::ButtonUp, {150, 91}}}, {100, 80}, false},
        {"kept right of 120 by the window",
         {{K::ButtonDown, {150, 91}}, {K::MouseMove, {100, 91}}, {K::MouseMove, {60, 130}}, {K::ButtonUp, {60, 130}}},
         {120, 119},
         false},
        {"the close box closes, it does not drag",
         {{K::ButtonDown, {386, 91}}, {K::MouseMove, {420, 130}}, {K::ButtonUp, {420, 130}}},
         {100, 80},
         true},
    };
    for (const Case& c : cases) {
        for (const bool atOnce : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (atOnce ? ", input all at once" : ", input as it happens"));
            WindowProbe* probe = NewProbe();
            probe->handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                if (m == WM_CLOSE) return 0;  // noted, not destroyed
                if (m == WM_MOVING) {
                    auto* r = reinterpret_cast<RECT*>(l);
                    if (r->left < 120) OffsetRect(r, 120 - r->left, 0);
                    return TRUE;
                }
                return DefWindowProcA(h, m, w, l);
            };
            HWND hwnd = Make(probe, kFramed, 100, 80, 300, 200);
            Pump();
            std::thread host([&] {
                for (const Input& in : c.input) {
                    if (!atOnce) std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    trelwin::display::deliver(Event(in.kind, hwnd, in.pt, VK_ESCAPE));
                }
            });
            const bool ended = PumpUntil([&] {
                const auto seen = Only(probe->Messages(), {WM_EXITSIZEMOVE, WM_CLOSE});
                return !seen.empty() && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
            });
            host.join();
            Pump();
            EXPECT_TRUE(ended);
            RECT r{};
            GetWindowRect(hwnd, &r);
            EXPECT_EQ(r.left, c.expected.x);
            EXPECT_EQ(r.top, c.expected.y);
            EXPECT_EQ(r.right - r.left, 300);
            const auto moves = Only(probe->Messages(), {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE, WM_CLOSE});
            if (c.closed) {
                EXPECT_EQ(moves, std::vector<UINT>{WM_CLOSE});
            } else {
                EXPECT_EQ(moves, (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
                EXPECT_EQ(GetCapture(), nullptr);
            }
            trelwin::display::deliver(Event(K::KeyUp, hwnd, {}, VK_ESCAPE));
            DestroyWindow(hwnd);
            Pump();
        }
    }
}

// Minimising gives activation to the next window and takes the window off
// the screen; coming back (the program's restore or the host's) gives it
// activation again and the control that had the focus gets it back.
TEST_F(DesktopTest, AMinimisedDialogComesBackWithItsFocus) {
    WindowProbe* behindProbe = NewProbe();
    behindProbe->handler = Painter(RGB(200, 0, 0));
    HWND behind = Make(behindProbe, WS_POPUP | WS_VISIBLE, 0, 0, 640, 480);
    const DialogItemTemplate items[] = {
        {"BUTTON", "One", 31, WS_VISIBLE | WS_TABSTOP, 0, 10, 10, 50, 14},
        {"BUTTON", "Two", 32, WS_VISIBLE | WS_TABSTOP, 0, 70, 10, 50, 14},
    };
    const DLGTEMPLATE t = {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE,
                           0, 20, 20, 200, 80, "", "MS Sans Serif", 8, items, 2};
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    SetFocus(GetDlgItem(dlg, 32));
    Pump();
    RECT w{};
    GetWindowRect(dlg, &w);
    const POINT middle{(w.left + w.right) / 2, (w.top + w.bottom) / 2};
    const uintptr_t id = reinterpret_cast<uintptr_t>(dlg);
    auto& display = trelwin::display::current();
    auto expectDown = [&](bool down) {
        EXPECT_EQ(IsIconic(dlg) != FALSE, down);
        EXPECT_EQ(display.host(id)->minimized, down);
        EXPECT_EQ(GetActiveWindow(), down ? behind : dlg);
        EXPECT_EQ(display.active(), reinterpret_cast<uintptr_t>(down ? behind : dlg));
        EXPECT_EQ(GetFocus(), down ? behind : GetDlgItem(dlg, 32));
        EXPECT_EQ(ScreenPixel(middle.x, middle.y) == RGB(200, 0, 0), down);
    };
    const std::string row = HitRow(dlg, 8);
    const size_t at = row.find(":min");
    ASSERT_NE(at, std::string::npos) << row;
    const int minimizeX = w.left + std::stoi(row.substr(row.rfind(' ', at) + 1)) + 8;
    struct Step {
        const char* name;
        std::function<void()> act;
        bool minimized;
    };
    const Step steps[] = {
        {"the minimise box", [&] { InjectMouseClick(minimizeX, w.top + 8); }, true},
        {"a click where it was reaches the window behind", [&] { InjectMouseClick(middle.x, middle.y); }, true},
        {"the host restores it (task bar)", [&] { trelwin::display::deliver(Event(HostEvent::Restored, dlg)); }, false},
        {"the host minimises it", [&] { trelwin::display::deliver(Event(HostEvent::Minimized, dlg)); }, true},
        {"the program restores it", [&] { ShowWindow(dlg, SW_RESTORE); }, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        PumpDialog(dlg);
        expectDown(step.minimized);
    }
    EXPECT_EQ(Only(behindProbe->Messages(), {WM_LBUTTONDOWN}).size(), 1u);
    DestroyWindow(dlg);
    DestroyWindow(behind);
}

namespace {

// A display that notes what the window system asks of the host, and
// whether it said the change only follows the host.
class RecordingDisplay : public trelwin::display::Display {
public:
    struct Note {
        std::string what;
        bool following;
    };
    RecordingDisplay() : Display(SIZE{640, 480}, 96) {}
    const char* name() const override { return "recording"; }
    std::vector<Note> notes;

protected:
    void host_updated(const trelwin::display::HostWindow& host, bool following) override {
        notes.push_back({"at " + std::to_string(host.rect.left) + "," + std::to_string(host.rect.top) +
                             (host.minimized ? " minimised" : ""),
                         following});
    }
    void host_activated(uintptr_t id, bool following) override {
        notes.push_back({id ? "active" : "none active", following});
    }
};

}  // namespace

// What the host did by itself is followed by the window system but not
// asked of the host again; what the program does is.
TEST_F(DesktopTest, TheHostsOwnChangesAreNotSentBack) {
    auto owned = std::make_unique<RecordingDisplay>();
    RecordingDisplay* display = owned.get();
    trelwin::display::install_display(std::move(owned));
    HWND a = Make(NewProbe(), kFramed | WS_MINIMIZEBOX, 100, 80, 300, 200);
    HWND b = Make(NewProbe(), kFramed, 300, 200, 100, 100);
    Pump();
    struct Step {
        const char* name;
        std::function<void()> act;
        std::string last;  // the last note of the host
        bool following;
    };
    auto host = [](HostEvent::Kind kind, HWND hwnd, POINT pt = {}) {
        return [=] { trelwin::display::deliver(Event(kind, hwnd, pt)); };
    };
    const Step steps[] = {
        {"the program moves", [&] { MoveWindow(a, 10, 20, 300, 200, TRUE); }, "at 10,20", false},
        {"the host moved it", host(HostEvent::Moved, a, {30, 40}), "at 30,40", true},
        {"the host gave the focus", host(HostEvent::Activate, a), "active", true},
        {"the program activates", [&] { SetActiveWindow(b); }, "active", false},
        {"the host minimised it", host(HostEvent::Minimized, b), "at 300,200 minimised", true},
        {"the program restores", [&] { ShowWindow(b, SW_RESTORE); }, "active", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        display->notes.clear();
        step.act();
        Pump();
        ASSERT_FALSE(display->notes.empty());
        // Activation follows a minimise: the note of the window's own change is the one to look at.
        const auto found = std::find_if(display->notes.begin(), display->notes.end(),
                                        [&](const RecordingDisplay::Note& n) { return n.what == step.last; });
        ASSERT_NE(found, display->notes.end());
        EXPECT_EQ(found->following, step.following);
    }
    RECT r{};
    GetWindowRect(a, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
}
