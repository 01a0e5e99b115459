// Dialogs from templates: the modal loop and its result, the dialog
// procedure's results, dialog units, and the keyboard interface.
#include <atomic>
#include <iterator>
#include <thread>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "tests/platform/user/dialog_test_util.h"

using namespace dialog_test;
using namespace trelwin::user;

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const DialogItemTemplate kFormItems[] = {
    {DLGITEM_EDIT, "", 10, WS_VISIBLE | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, 7, 7, 100, 12},
    {"DlgTestAllKeys", "Hidden", 11, WS_TABSTOP, 0, 7, 22, 50, 8},
    {"BUTTON", "One", 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP | kBsAutoRadioButton, 0, 7, 34, 50, 10},
    {"BUTTON", "Two", 22, WS_VISIBLE | kBsAutoRadioButton, 0, 7, 46, 50, 10},
    {"BUTTON", "Off", 23, WS_VISIBLE | WS_DISABLED | kBsAutoRadioButton, 0, 7, 58, 50, 10},
    {"BUTTON", "Three", 24, WS_VISIBLE | kBsAutoRadioButton, 0, 7, 70, 50, 10},
    {"BUTTON", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | WS_GROUP | kBsDefPushButton, 0, 120, 7, 50, 14},
    {"BUTTON", "Gone", 31, WS_TABSTOP, 0, 120, 24, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 120, 41, 50, 14},
    {"BUTTON", "Other", 32, WS_VISIBLE | WS_TABSTOP, 0, 120, 58, 50, 14},
};

DLGTEMPLATE FormTemplate(DWORD extraStyle = 0) {
    DLGTEMPLATE t{};
    t.style = kDialogStyle | extraStyle;
    t.x = 10;
    t.y = 10;
    t.cx = 180;
    t.cy = 90;
    t.caption = "Form";
    t.fontName = "MS Sans Serif";
    t.pointSize = 8;
    t.items = kFormItems;
    t.itemCount = std::size(kFormItems);
    return t;
}

const DialogItemTemplate kSmallItems[] = {
    {"BUTTON", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | WS_GROUP | kBsDefPushButton, 0, 10, 10, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 70, 10, 50, 14},
};
const DLGTEMPLATE kSmall = {kDialogStyle | DS_CENTER, 0, 0, 0, 130, 34, "Small", "MS Sans Serif", 8,
                            kSmallItems, std::size(kSmallItems)};
DialogTemplateRegistration g_smallRegistration(4711, kSmall);

const DialogItemTemplate kBrokenItems[] = {
    {"NoSuchControlClass", "", 5, WS_VISIBLE, 0, 0, 0, 10, 10},
};
const DLGTEMPLATE kBroken = {kDialogStyle, 0, 0, 0, 50, 20, "Broken", "MS Sans Serif", 8, kBrokenItems, 1};

}  // namespace

TEST_F(DialogTest, AModalDialogFromAResourceRunsItsLoopAndReturnsTheEndDialogValue) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
    bool ownerEnabledInside = true;
    HWND dialog = nullptr;
    m_probe.handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) {
            dialog = h;
            PostMessageA(h, WM_APP, 0, 0);
            return TRUE;
        }
        if (m == WM_APP) {
            ownerEnabledInside = IsWindowEnabled(owner);
            EndDialog(h, 42);
            return TRUE;
        }
        return FALSE;
    };
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), owner, ProbeDlgProc, 1234), 42);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(m_probe.initLParam, 1234);
    EXPECT_EQ(m_probe.messages.front(), static_cast<UINT>(WM_SETFONT));  // before WM_INITDIALOG
}

TEST_F(DialogTest, AnOwnerThatWasDisabledBeforeStaysDisabledAfterTheDialog) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
    EnableWindow(owner, FALSE);  // as an outer modal dialog keeps it
    m_probe.handler = [](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) PostMessageA(h, WM_APP, 0, 0);
        if (m == WM_APP) EndDialog(h, 3);
        return m == WM_INITDIALOG;
    };
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), owner, ProbeDlgProc, 0), 3);
    EXPECT_FALSE(IsWindowEnabled(owner));
}

TEST_F(DialogTest, InitDialogGetsTheFirstTabStopAndItGetsTheFocusUnlessFalseIsReturned) {
    int focusAfterInit = 0, firstTabStop = 0;
    auto run = [&](bool setFocus) {
        m_probe = DialogProbe{};
        m_probe.handler = [&, setFocus](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
            if (m == WM_INITDIALOG) {
                firstTabStop = GetDlgCtrlID(reinterpret_cast<HWND>(m_probe.initWParam));
                PostMessageA(h, WM_APP, 0, 0);
                if (!setFocus) SetFocus(GetDlgItem(h, IDCANCEL));
                return setFocus ? TRUE : FALSE;
            }
            if (m == WM_APP) {
                focusAfterInit = GetDlgCtrlID(GetFocus());
                EndDialog(h, 1);
            }
            return FALSE;
        };
        const DLGTEMPLATE t = FormTemplate();
        return DialogBoxIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    };
    EXPECT_EQ(run(true), 1);
    EXPECT_EQ(firstTabStop, 10);  // the edit
    EXPECT_EQ(focusAfterInit, 10);
    EXPECT_EQ(run(false), 1);
    EXPECT_EQ(focusAfterInit, IDCANCEL);
}

TEST_F(DialogTest, EndDialogDuringInitDialogReturnsWithoutALoop) {
    m_probe.handler = [](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) EndDialog(h, 7);
        return FALSE;
    };
    const DLGTEMPLATE t = FormTemplate();
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0), 7);
    EXPECT_EQ(std::count(m_probe.messages.begin(), m_probe.messages.end(), static_cast<UINT>(WM_SHOWWINDOW)), 0);
}

TEST_F(DialogTest, BadTemplatesFailWithMinusOne) {
    SetLastError(0);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4712), nullptr, ProbeDlgProc, 0), -1);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &kBroken, nullptr, ProbeDlgProc, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(std::count(m_probe.messages.begin(), m_probe.messages.end(), static_cast<UINT>(WM_INITDIALOG)), 0);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, ProbeDlgProc, 0), -1);
}

TEST_F(DialogTest, TheProcedureAnswersThroughDwlpMsgResultOrDirectly) {
    static HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    m_probe.handler = [](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_APP + 1) {
            SendMessageA(h, WM_APP + 2, 0, 0);  // a nested message sets its own result
            SetWindowLongPtrA(h, DWLP_MSGRESULT, 77);
            return TRUE;
        }
        if (m == WM_APP + 2) {
            SetWindowLongPtrA(h, DWLP_MSGRESULT, 55);
            return TRUE;
        }
        if (m == WM_APP + 3) {
            SetWindowLongPtrA(h, DWLP_MSGRESULT, 66);
            return FALSE;  // not handled: the default handling answers
        }
        if (m == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(brush);
        return m == WM_INITDIALOG;
    };
    const DLGTEMPLATE t = FormTemplate();
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendMessageA(dlg, WM_APP + 1, 0, 0), 77);
    EXPECT_EQ(SendMessageA(dlg, WM_APP + 2, 0, 0), 55);
    EXPECT_EQ(SendMessageA(dlg, WM_APP + 3, 0, 0), 0);
    EXPECT_EQ(SendMessageA(dlg, WM_CTLCOLORDLG, 0, 0), reinterpret_cast<LRESULT>(brush));
    // Without WS_VISIBLE a modeless dialog stays hidden; WM_CLOSE means Cancel.
    EXPECT_FALSE(IsWindowVisible(dlg));
    SendMessageA(dlg, WM_CLOSE, 0, 0);
    PumpDialog(dlg);
    EXPECT_EQ(CommandIds(), std::vector<int>{IDCANCEL});
    EXPECT_EQ(reinterpret_cast<HWND>(m_probe.commands[0].second), GetDlgItem(dlg, IDCANCEL));
    char cls[16];
    GetClassNameA(dlg, cls, sizeof(cls));
    EXPECT_STREQ(cls, "#32770");
}

TEST_F(DialogTest, DialogUnitsComeFromTheDialogFont) {
    const DLGTEMPLATE t = FormTemplate();
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    // The same font, measured here.
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    HDC hdc = CreateCompatibleDC(nullptr);
    SelectObject(hdc, font);
    SIZE letters;
    GetTextExtentPoint32A(hdc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICA tm;
    GetTextMetricsA(hdc, &tm);
    DeleteDC(hdc);
    DeleteObject(font);
    const int cx = (letters.cx / 26 + 1) / 2, cy = tm.tmHeight;
    EXPECT_GE(cx, 5);
    EXPECT_LE(cx, 7);
    EXPECT_GE(cy, 12);
    EXPECT_LE(cy, 15);

    RECT r{4, 8, 40, 80};
    ASSERT_TRUE(MapDialogRect(dlg, &r));
    EXPECT_EQ(r.left, cx);
    EXPECT_EQ(r.top, cy);
    EXPECT_EQ(r.right, cx * 10);
    EXPECT_EQ(r.bottom, cy * 10);

    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, MulDiv(180, cx, 4));
    EXPECT_EQ(client.bottom, MulDiv(90, cy, 8));
    HWND ok = GetDlgItem(dlg, IDOK);
    RECT okRect;
    GetWindowRect(ok, &okRect);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&okRect), 2);
    EXPECT_EQ(okRect.left, MulDiv(120, cx, 4));
    EXPECT_EQ(okRect.top, MulDiv(7, cy, 8));
    EXPECT_EQ(okRect.right - okRect.left, MulDiv(50, cx, 4));
    EXPECT_EQ(okRect.bottom - okRect.top, MulDiv(14, cy, 8));
    // The window is placed relative to the screen here (no owner).
    RECT window;
    GetWindowRect(dlg, &window);
    EXPECT_EQ(window.left, MulDiv(10, cx, 4));

    // Every control got the dialog's font, which the dialog reports.
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(dialogFont, nullptr);
    EXPECT_EQ(Logs()[ok].font, dialogFont);
    EXPECT_EQ(Logs()[GetDlgItem(dlg, 10)].font, dialogFont);

    const LONG units = GetDialogBaseUnits();
    EXPECT_GT(LOWORD(units), 0);
    EXPECT_GT(HIWORD(units), 0);
    RECT none{0, 0, 1, 1};
    EXPECT_FALSE(MapDialogRect(Make(NewProbe(), WS_POPUP, 0, 0, 10, 10), &none));
}

TEST_F(DialogTest, EnterAndEscBecomeCommandsForTheDefaultAndCancelButtons) {
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND edit = GetDlgItem(dlg, 10);
    ASSERT_EQ(GetFocus(), edit);
    Key(dlg, VK_RETURN);
    Key(dlg, VK_ESCAPE);
    EXPECT_EQ(CommandIds(), (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(reinterpret_cast<HWND>(m_probe.commands[0].second), GetDlgItem(dlg, IDOK));
    EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));

    // Another default button: Enter stands for it, and it looks the part.
    m_probe.commands.clear();
    SendMessageA(dlg, DM_SETDEFID, 32, 0);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, 32), GWL_STYLE) & 0xF, static_cast<LONG>(kBsDefPushButton));
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & 0xF, static_cast<LONG>(kBsPushButton));
    Key(dlg, VK_RETURN);
    // A disabled default button does nothing.
    EnableWindow(GetDlgItem(dlg, 32), FALSE);
    Key(dlg, VK_RETURN);
    // A push button with the focus is what Enter presses.
    SetFocus(GetDlgItem(dlg, IDCANCEL));
    Key(dlg, VK_RETURN);
    EXPECT_EQ(CommandIds(), (std::vector<int>{32, IDCANCEL}));
    // No character of the keys reached the edit control.
    EXPECT_EQ(std::count(Logs()[edit].messages.begin(), Logs()[edit].messages.end(), static_cast<UINT>(WM_CHAR)), 0);
}

TEST_F(DialogTest, AControlThatWantsAllKeysGetsEnterEscAndTab) {
    const DialogItemTemplate items[] = {
        {"DlgTestAllKeys", "", 5, WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 50, 50},
        {"BUTTON", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | kBsDefPushButton, 0, 60, 5, 50, 14},
    };
    DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    t.items = items;
    t.itemCount = std::size(items);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    HWND editor = GetDlgItem(dlg, 5);
    ASSERT_EQ(GetFocus(), editor);
    for (UINT vk : {VK_RETURN, VK_ESCAPE, VK_TAB}) {
        Key(dlg, vk);
        EXPECT_EQ(Logs()[editor].lastKey, vk);
    }
    EXPECT_TRUE(m_probe.commands.empty());
    EXPECT_EQ(GetFocus(), editor);
}

TEST_F(DialogTest, TabAndShiftTabVisitTheShownEnabledTabStopsInOrder) {
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
    std::vector<int> forward, backward;
    for (int i = 0; i < 6; ++i) {
        Key(dlg, VK_TAB);
        forward.push_back(GetDlgCtrlID(GetFocus()));
    }
    // The edit, then the first radio button, OK, Cancel (the hidden button
    // is skipped), Other, and round again.
    EXPECT_EQ(forward, (std::vector<int>{21, IDOK, IDCANCEL, 32, 10, 21}));
    InjectKey(VK_SHIFT, true);
    for (int i = 0; i < 3; ++i) {
        Key(dlg, VK_TAB);
        backward.push_back(GetDlgCtrlID(GetFocus()));
    }
    InjectKey(VK_SHIFT, false);
    PumpDialog(dlg);
    EXPECT_EQ(backward, (std::vector<int>{10, 32, IDCANCEL}));
    EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, FALSE), GetDlgItem(dlg, 10));
    EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, TRUE), GetDlgItem(dlg, 32));
    // Tabbing into the edit selected its text.
    HWND edit = GetDlgItem(dlg, 10);
    EXPECT_GE(std::count(Logs()[edit].messages.begin(), Logs()[edit].messages.end(), kEmSetSel), 1);
}

TEST_F(DialogTest, TheFocusedPushButtonIsTheDefaultOneUntilTheFocusLeavesTheButtons) {
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    auto type = [&](int id) { return GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & 0xF; };
    SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, IDCANCEL)), TRUE);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
    EXPECT_EQ(type(IDCANCEL), static_cast<LONG>(kBsDefPushButton));
    EXPECT_EQ(type(IDOK), static_cast<LONG>(kBsPushButton));
    SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, 10)), TRUE);
    EXPECT_EQ(type(IDCANCEL), static_cast<LONG>(kBsPushButton));
    EXPECT_EQ(type(IDOK), static_cast<LONG>(kBsDefPushButton));
    SendMessageA(dlg, WM_NEXTDLGCTL, 0, FALSE);  // next tab stop
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 21);
    SendMessageA(dlg, WM_NEXTDLGCTL, 1, FALSE);  // previous
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 10);
}

TEST_F(DialogTest, ArrowsMoveWithinTheGroupAndChooseRadioButtons) {
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    SetFocus(GetDlgItem(dlg, 21));
    std::vector<int> visited;
    for (UINT vk : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
        Key(dlg, vk);
        visited.push_back(GetDlgCtrlID(GetFocus()));
    }
    // The disabled radio button is passed over; the group wraps round and
    // ends before OK, which starts the next group.
    EXPECT_EQ(visited, (std::vector<int>{22, 24, 21, 24, 22}));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 22), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 24), 0u);
    EXPECT_EQ(CommandIds(), (std::vector<int>{22, 24, 21, 24, 22}));
    EXPECT_EQ(GetNextDlgGroupItem(dlg, GetDlgItem(dlg, 21), TRUE), GetDlgItem(dlg, 24));
    // Arrows in a control that wants them stay there.
    SetFocus(GetDlgItem(dlg, 10));
    Key(dlg, VK_DOWN);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 10);
    EXPECT_EQ(Logs()[GetDlgItem(dlg, 10)].lastKey, static_cast<WPARAM>(VK_DOWN));
}

TEST_F(DialogTest, TabEntersTheControlsOfAPageInsideTheDialog) {
    const DialogItemTemplate pageItems[] = {
        {"BUTTON", "In page", 101, WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 50, 14},
    };
    const DLGTEMPLATE page = {WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_SETFONT, 0, 0, 20, 100, 30, nullptr,
                              "MS Sans Serif", 8, pageItems, std::size(pageItems)};
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    HWND pageWindow = CreateDialogIndirectParamA(nullptr, &page, dlg, nullptr, 0);
    ASSERT_NE(pageWindow, nullptr);
    EXPECT_TRUE(GetWindowLongA(pageWindow, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    SetFocus(GetDlgItem(dlg, 32));  // the last tab stop of the dialog itself
    Key(dlg, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 101);
    Key(dlg, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 10);
}

TEST_F(DialogTest, ItemHelpersReadAndWriteTextsNumbersAndChecks) {
    const DLGTEMPLATE t = FormTemplate();
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    char text[8];
    EXPECT_TRUE(SetDlgItemTextA(dlg, 10, "abcdefghij"));
    EXPECT_EQ(GetDlgItemTextA(dlg, 10, text, sizeof(text)), 7u);
    EXPECT_STREQ(text, "abcdefg");
    EXPECT_EQ(GetDlgItemTextA(dlg, 999, text, sizeof(text)), 0u);
    EXPECT_STREQ(text, "");

    BOOL ok = FALSE;
    SetDlgItemInt(dlg, 10, static_cast<UINT>(-25), TRUE);
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, 10, &ok, TRUE)), -25);
    EXPECT_TRUE(ok);
    GetDlgItemInt(dlg, 10, &ok, FALSE);
    EXPECT_FALSE(ok);  // no sign without bSigned
    for (const char* bad : {"", "12x", "4294967296", "x", "-"}) {
        SetDlgItemTextA(dlg, 10, bad);
        EXPECT_EQ(GetDlgItemInt(dlg, 10, &ok, FALSE), 0u) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    SetDlgItemTextA(dlg, 10, "  4294967295 ");
    EXPECT_EQ(GetDlgItemInt(dlg, 10, &ok, FALSE), 4294967295u);
    EXPECT_TRUE(ok);
    SetDlgItemTextA(dlg, 10, "2147483648");
    GetDlgItemInt(dlg, 10, &ok, TRUE);
    EXPECT_FALSE(ok);
    SetDlgItemTextA(dlg, 10, "-2147483648");
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, 10, &ok, TRUE)), INT32_MIN);
    EXPECT_TRUE(ok);

    EXPECT_TRUE(CheckRadioButton(dlg, 21, 24, 22));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 21), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 22), 1u);
    EXPECT_TRUE(CheckDlgButton(dlg, 24, 1));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 24), 1u);
    EXPECT_EQ(SendDlgItemMessageA(dlg, 24, kBmGetCheck, 0, 0), 1);
    EXPECT_FALSE(CheckDlgButton(dlg, 999, 1));
}

TEST_F(DialogTest, WorkersSendToAWindowWhoseThreadRunsAModalDialog) {
    user_test::WindowProbe* ownerProbe = NewProbe();
    ownerProbe->handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_APP + 5) return static_cast<LRESULT>(w + 1);
        return DefWindowProcA(h, m, w, l);
    };
    HWND owner = Make(ownerProbe, WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
    std::atomic<int> answered{0};
    std::atomic<HWND> dialog{nullptr};
    std::thread worker;
    m_probe.handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) {
            dialog = h;
            worker = std::thread([&] {
                for (int i = 0; i < 100; ++i) {
                    if (SendMessageA(owner, WM_APP + 5, static_cast<WPARAM>(i), 0) == i + 1) ++answered;
                }
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            });
            return TRUE;
        }
        if (m == WM_COMMAND && LOWORD(m_probe.commands.back().first) == IDOK) EndDialog(h, IDOK);
        return FALSE;
    };
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), owner, ProbeDlgProc, 0), IDOK);
    worker.join();
    EXPECT_EQ(answered, 100);
}

TEST_F(DialogTest, DialogsArePlacedByTheirOwnersClientAreaOrCentred) {
    HWND owner = Make(NewProbe(), WS_POPUP | WS_VISIBLE, 100, 50, 300, 200);
    const LONG units = [] {
        const DLGTEMPLATE t = FormTemplate();
        HWND probe = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
        RECT r{4, 8, 0, 0};
        MapDialogRect(probe, &r);
        DestroyWindow(probe);
        return MAKELONG(r.left, r.top);
    }();
    DLGTEMPLATE t = FormTemplate();
    t.cx = 40;
    t.cy = 20;
    HWND owned = CreateDialogIndirectParamA(nullptr, &t, owner, ProbeDlgProc, 0);
    RECT r;
    GetWindowRect(owned, &r);
    EXPECT_EQ(r.left, 100 + MulDiv(10, LOWORD(units), 4));
    EXPECT_EQ(r.top, 50 + MulDiv(10, HIWORD(units), 8));
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);

    t.style |= DS_CENTER;
    HWND centred = CreateDialogIndirectParamA(nullptr, &t, owner, ProbeDlgProc, 0);
    GetWindowRect(centred, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 320), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 240), 1);

    // Far off the screen it is moved back onto it.
    t.style &= ~DS_CENTER;
    t.x = 2000;
    HWND moved = CreateDialogIndirectParamA(nullptr, &t, owner, ProbeDlgProc, 0);
    GetWindowRect(moved, &r);
    EXPECT_EQ(r.right, 640);
}

TEST_F(DialogTest, EndDialogHidesAModelessDialogAndRefusesOtherWindows) {
    const DLGTEMPLATE t = FormTemplate(WS_VISIBLE);
    HWND dlg = CreateDialogIndirectParamA(nullptr, &t, nullptr, ProbeDlgProc, 0);
    ASSERT_TRUE(IsWindowVisible(dlg));
    EXPECT_TRUE(EndDialog(dlg, 5));
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_FALSE(EndDialog(Make(NewProbe(), WS_POPUP, 0, 0, 10, 10), 1));
    // A font set later replaces the template's (and is not the dialog's to delete).
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EXPECT_EQ(SendMessageA(dlg, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
}
