// The program's activation as a whole: every top-level window hears
// WM_ACTIVATEAPP when the program becomes active or inactive, and a
// top-most tool-window popup (a tip) is shown without taking activation,
// on the host display too.
#include <gtest/gtest.h>

#include "platform/display/display.h"
#include "tests/platform/user/window_test_util.h"

namespace {

using user_test::WindowProbe;

class ActivateApp : public user_test::WindowTest {};

std::vector<WPARAM> ActivateAppArguments(WindowProbe* probe)
{
    std::lock_guard<std::mutex> guard(probe->lock);
    std::vector<WPARAM> seen;
    for (const auto& r : probe->received)
        if (r.message == WM_ACTIVATEAPP) seen.push_back(r.wParam);
    return seen;
}

TEST_F(ActivateApp, EveryTopLevelWindowHearsIt)
{
    WindowProbe* main = NewProbe();
    WindowProbe* palette = NewProbe();
    WindowProbe* tip = NewProbe();
    // The palette is there first; the main window activates the program.
    Make(palette, WS_POPUP | WS_VISIBLE, 300, 10, 100, 100, nullptr, 0, WS_EX_NOACTIVATE);
    HWND hMain = Make(main, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 150);
    HWND hTip = Make(tip, WS_POPUP, 300, 200, 80, 20, hMain, 0, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    SetActiveWindow(hMain);
    SetWindowPos(hTip, HWND_TOPMOST, 300, 200, 80, 20, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), hMain);
    // The tip's host never takes activation.
    const trelwin::display::HostWindow* host =
        trelwin::display::current().host(reinterpret_cast<uintptr_t>(hTip));
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->no_activate);
    EXPECT_FALSE(trelwin::display::current().host(reinterpret_cast<uintptr_t>(hMain))->no_activate);
    // The main window goes: no window is left to take activation, and the
    // program as a whole is inactive.
    DestroyWindow(hMain);
    user_test::Pump();
    EXPECT_EQ(ActivateAppArguments(palette), (std::vector<WPARAM>{TRUE, FALSE}));
    // The tip came after the activation; it hears the deactivation.
    EXPECT_EQ(ActivateAppArguments(tip), (std::vector<WPARAM>{FALSE}));
    EXPECT_EQ(ActivateAppArguments(main).front(), static_cast<WPARAM>(TRUE));
}

}  // namespace
