#include "platform/commctrl/control_classes.h"

#include <gtest/gtest.h>

#include "platform/user/user.h"

namespace {

int g_registrations = 0;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterProbeClass() {
    ++g_registrations;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = "TrelwinProbeControl";
    RegisterClassA(&wc);
}

trelwin::commctrl::ControlClass g_probe(&RegisterProbeClass);

// A control class is there without anybody asking for it, and is
// registered once however often it is looked up or initialised.
TEST(ControlClasses, AreFoundWithoutInitialisationAndRegisteredOnce) {
    WNDCLASSA wc{};
    EXPECT_TRUE(GetClassInfoA(nullptr, "trelwinprobecontrol", &wc));
    EXPECT_EQ(wc.lpfnWndProc, &ProbeProc);
    InitCommonControls();
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&icc));
    EXPECT_FALSE(GetClassInfoA(nullptr, "NoSuchClassAnywhere", &wc));
    EXPECT_EQ(g_registrations, 1);

    icc.dwSize = 0;
    EXPECT_FALSE(InitCommonControlsEx(&icc));
}

}  // namespace
