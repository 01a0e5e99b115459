// Message boxes: layout and pixels, return values by clicks and keys, the
// owner disabled while the box runs.
#include <string>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "tests/platform/user/dialog_test_util.h"

using namespace dialog_test;
using namespace trelwin::user;

namespace {

const char kLongText[] =
    "The device did not answer the last request in time. Check that it is switched on, that its network "
    "cable is plugged in and that no other program uses it, then try again. Devices on another subnet "
    "can only be reached when their address is typed in.";

class MessageBoxTest : public DialogTest {
protected:
    // Runs the steps one by one inside the box's loop, each on a posted
    // message of a window of this thread; a timer ends a box that the steps
    // leave open.
    int Run(HWND owner, const char* text, const char* caption, UINT type, std::vector<std::function<void(HWND)>> steps) {
        user_test::WindowProbe* probe = NewProbe();
        m_steps = std::move(steps);
        probe->handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_APP) return DefWindowProcA(h, m, w, l);
            HWND box = GetActiveWindow();
            if (w < m_steps.size()) {
                m_steps[w](box);
                PostMessageA(h, WM_APP, w + 1, 0);
            }
            return 0;
        };
        HWND driver = Make(probe, WS_POPUP, 0, 0, 1, 1);
        PostMessageA(driver, WM_APP, 0, 0);
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
            EndDialog(GetActiveWindow(), -5);
        });
        const int result = MessageBoxA(owner, text, caption, type);
        KillTimer(nullptr, guard);
        DestroyWindow(driver);  // with any step message still queued
        return result;
    }

    static void Press(UINT vk) {
        InjectKey(vk, true);
        InjectKey(vk, false);
    }

    static RECT RectIn(HWND box, int id) {
        RECT r{};
        GetWindowRect(GetDlgItem(box, id), &r);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::vector<std::function<void(HWND)>> m_steps;
};

bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96; }

}  // namespace

TEST_F(MessageBoxTest, LaysOutWrappedTextIconAndButtonsAndReturnsTheClickedButton) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 640, 480);
    bool checked = false;
    const int result = Run(owner, kLongText, "Device check", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2,
                           {[&](HWND box) {
                                char text[64];
                                GetClassNameA(box, text, sizeof(text));
                                EXPECT_STREQ(text, "#32770");
                                GetWindowTextA(box, text, sizeof(text));
                                EXPECT_STREQ(text, "Device check");
                                EXPECT_FALSE(IsWindowEnabled(owner));
                                // The default button has the focus and the look.
                                EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDNO);
                                EXPECT_EQ(GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & 0xF,
                                          static_cast<LONG>(kBsDefPushButton));
                                EXPECT_EQ(SendMessageA(box, DM_GETDEFID, 0, 0), MAKELRESULT(IDNO, DC_HASDEFID));
                                GetDlgItemTextA(box, IDYES, text, sizeof(text));
                                EXPECT_STREQ(text, "&Yes");

                                RECT client, yes = RectIn(box, IDYES), no = RectIn(box, IDNO),
                                              cancel = RectIn(box, IDCANCEL), words = RectIn(box, 0xFFFF);
                                GetClientRect(box, &client);
                                EXPECT_EQ(yes.top, no.top);
                                EXPECT_EQ(no.top, cancel.top);
                                EXPECT_LT(yes.right, no.left);
                                EXPECT_LT(no.right, cancel.left);
                                EXPECT_GE(yes.left, 0);
                                EXPECT_LE(cancel.right, client.right);
                                EXPECT_LE(cancel.bottom, client.bottom);
                                // Buttons centred under the text, the text right of the icon.
                                EXPECT_LE(std::abs(yes.left - (client.right - cancel.right)), 1);
                                EXPECT_LE(words.bottom, yes.top);
                                EXPECT_GE(words.left, 11 + 32);
                                // Wrapped: several lines, no wider than the limit.
                                HWND textWindow = GetDlgItem(box, 0xFFFF);
                                const auto font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
                                HDC hdc = CreateCompatibleDC(nullptr);
                                SelectObject(hdc, font);
                                TEXTMETRICA tm;
                                GetTextMetricsA(hdc, &tm);
                                DeleteDC(hdc);
                                EXPECT_GE(words.bottom - words.top, 3 * tm.tmHeight);
                                EXPECT_LE(words.right - words.left, 640 * 5 / 8);

                                // Pixels: the icon is drawn, and text on the first and last line.
                                UpdateWindow(box);
                                UpdateWindow(textWindow);
                                const COLORREF face = GetSysColor(COLOR_3DFACE);
                                int iconPixels = 0;
                                for (int y = 11; y < 43; ++y) {
                                    for (int x = 11; x < 43; ++x) iconPixels += GetClientPixel(box, x, y) != face;
                                }
                                EXPECT_GT(iconPixels, 100);
                                auto darkInBand = [&](int top) {
                                    int dark = 0;
                                    for (int y = top; y < top + tm.tmHeight; ++y) {
                                        for (int x = words.left; x < words.right; ++x) dark += IsDark(GetClientPixel(box, x, y));
                                    }
                                    return dark;
                                };
                                EXPECT_GT(darkInBand(words.top), 20);
                                EXPECT_GT(darkInBand(words.bottom - tm.tmHeight), 5);
                                EXPECT_EQ(darkInBand(words.bottom + 1), 0);  // between the text and the buttons
                                checked = true;
                            },
                            [&](HWND box) {
                                RECT yes;
                                GetWindowRect(GetDlgItem(box, IDYES), &yes);
                                InjectMouseClick((yes.left + yes.right) / 2, (yes.top + yes.bottom) / 2);
                            }});
    EXPECT_TRUE(checked);
    EXPECT_EQ(result, IDYES);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
}

TEST_F(MessageBoxTest, KeysChooseTheDefaultButtonOrCancel) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
    auto press = [](UINT vk) { return [vk](HWND) { Press(vk); }; };
    EXPECT_EQ(Run(owner, "Save?", "Q", MB_OKCANCEL, {press(VK_RETURN)}), IDOK);
    EXPECT_EQ(Run(owner, "Save?", "Q", MB_OKCANCEL | MB_DEFBUTTON2, {press(VK_RETURN)}), IDCANCEL);
    EXPECT_EQ(Run(owner, "Save?", "Q", MB_OKCANCEL, {press(VK_ESCAPE)}), IDCANCEL);
    EXPECT_EQ(Run(owner, "Done.", "Q", MB_OK | MB_ICONINFORMATION, {press(VK_ESCAPE)}), IDOK);
    EXPECT_EQ(Run(owner, "Retry?", "Q", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {press(VK_RETURN)}), IDIGNORE);
    EXPECT_EQ(Run(owner, "Retry?", "Q", MB_RETRYCANCEL, {[](HWND box) { SendMessageA(box, WM_CLOSE, 0, 0); }}),
              IDCANCEL);
    // Tab moves to the next button, which Enter then presses.
    EXPECT_EQ(Run(owner, "Go on?", "Q", MB_YESNO, {press(VK_TAB), press(VK_RETURN)}), IDNO);
    // Mnemonics: the underlined letter, with or without Alt.
    EXPECT_EQ(Run(owner, "Go on?", "Q", MB_YESNO, {press('N')}), IDNO);
    EXPECT_EQ(Run(owner, "Go on?", "Q", MB_YESNOCANCEL | MB_DEFBUTTON2,
                  {[](HWND) {
                      InjectKey(VK_MENU, true);
                      Press('Y');
                      InjectKey(VK_MENU, false);
                  }}),
              IDYES);
    EXPECT_EQ(Run(owner, "Go on? &Yes", "Q", MB_RETRYCANCEL, {press('Y'), press('R')}), IDRETRY);
    // Yes and No have no cancel: Esc and the close box do nothing.
    bool stillOpen = false;
    EXPECT_EQ(Run(owner, "Go on?", "Q", MB_YESNO | MB_ICONWARNING,
                  {press(VK_ESCAPE), [](HWND box) { SendMessageA(box, WM_CLOSE, 0, 0); },
                   [&](HWND box) { stillOpen = IsWindowVisible(box) && GetDlgItem(box, IDYES); }, press(VK_RETURN)}),
              IDYES);
    EXPECT_TRUE(stillOpen);
}

TEST_F(MessageBoxTest, AnUnknownTypeShowsNothingAndKeepsTheTextOnStandardError) {
    testing::internal::CaptureStderr();
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(nullptr, "Lost words", "Title", 0x0F), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Title: Lost words"), std::string::npos);
}

TEST_F(MessageBoxTest, AShortTextInABoxWithoutOwnerIsAsWideAsItsCaptionNeeds) {
    int width = 0;
    EXPECT_EQ(Run(nullptr, "x", "A rather long caption for a box", MB_OK,
                  {[&](HWND box) {
                       RECT client;
                       GetClientRect(box, &client);
                       width = client.right;
                       RECT ok = RectIn(box, IDOK);
                       EXPECT_LE(std::abs(ok.left - (client.right - ok.right)), 1);
                       Press(VK_RETURN);
                   }}),
              IDOK);
    EXPECT_GT(width, 150);
}
