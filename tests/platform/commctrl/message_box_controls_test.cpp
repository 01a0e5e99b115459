// The message box with the real push buttons: their default frame follows
// the default button, and a click on one is the box's answer.
#include "tests/platform/commctrl/classic_control_test_util.h"

using namespace control_test;

namespace {

class MessageBoxControlsTest : public WindowTest {
protected:
    // Runs the steps inside the box's loop, one per message posted to a
    // window of this thread; a timer ends a box the steps leave open.
    int Run(HWND owner, const char* text, UINT type, std::vector<std::function<void(HWND)>> steps) {
        WindowProbe* probe = NewProbe();
        probe->handler = [steps](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP && w < steps.size()) {
                steps[w](GetActiveWindow());
                PostMessageA(h, WM_APP, w + 1, 0);
            }
            return DefWindowProcA(h, m, w, l);
        };
        HWND driver = Make(probe, WS_POPUP, 0, 0, 1, 1);
        PostMessageA(driver, WM_APP, 0, 0);
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
            EndDialog(GetActiveWindow(), -5);
        });
        const int result = MessageBoxA(owner, text, "Zelo", type);
        KillTimer(nullptr, guard);
        DestroyWindow(driver);
        return result;
    }
};

}  // namespace

TEST_F(MessageBoxControlsTest, TheDefaultButtonHasTheFrameAndAClickAnswers) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 640, 480);
    bool looked = false;
    const int result = Run(owner, "Please select a valid update file", MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2,
                           {[&](HWND box) {
                               HWND ok = GetDlgItem(box, IDOK), cancel = GetDlgItem(box, IDCANCEL);
                               char cls[16];
                               GetClassNameA(ok, cls, sizeof(cls));
                               EXPECT_STREQ(cls, "Button");
                               UpdateWindow(box);
                               UpdateWindow(ok);
                               UpdateWindow(cancel);
                               EXPECT_EQ(GetClientPixel(cancel, 10, 0), GetSysColor(COLOR_WINDOWFRAME));
                               EXPECT_NE(GetClientPixel(ok, 10, 0), GetSysColor(COLOR_WINDOWFRAME));
                               EXPECT_EQ(GetFocus(), cancel);
                               looked = true;
                               RECT r;
                               GetWindowRect(ok, &r);
                               trelwin::user::InjectMouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                           }});
    EXPECT_TRUE(looked);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxControlsTest, SpaceOnTheFocusedButtonAnswers) {
    auto press = [](UINT vk) {
        return [vk](HWND) {
            trelwin::user::InjectKey(vk, true);
            trelwin::user::InjectKey(vk, false);
        };
    };
    EXPECT_EQ(Run(nullptr, "Invalid Device Address 10.0.0.300!", MB_YESNO, {press(VK_TAB), press(VK_SPACE)}), IDNO);
}
