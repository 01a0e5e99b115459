// The static, button and edit controls inside a dialog: the dialog manager
// reaches them by their dialog codes (Enter for push buttons and the
// default, Tab with the edit's selection, arrows in a radio group, the
// moving default frame).
#include "tests/platform/commctrl/classic_control_test_util.h"

using namespace control_test;
using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;

namespace {

std::vector<Notification>* g_commands = nullptr;

INT_PTR CALLBACK RecordingDialog(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && g_commands) {
        g_commands->push_back({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return TRUE;
    }
    return FALSE;
}

const DialogItemTemplate kItems[] = {
    {"STATIC", "Package:", -1, WS_VISIBLE | SS_LEFT, 0, 7, 7, 40, 8},
    {"EDIT", "old.zpk", 1006, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 50, 5, 120, 14},
    {"BUTTON", "Browse", 1007, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 175, 5, 50, 14},
    {"BUTTON", "Force Complete Upgrade", 1017, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 25, 120, 10},
    {"BUTTON", "First", 1030, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 7, 40, 60, 10},
    {"BUTTON", "Second", 1031, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 70, 40, 60, 10},
    {"BUTTON", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 120, 60, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 175, 60, 50, 14},
};

const DialogTemplate kDialog = {WS_POPUP | WS_VISIBLE | DS_SETFONT, 0, 0, 0, 240, 80, "Controls",
                                "MS Sans Serif", 8, kItems, std::size(kItems)};

class DialogControlsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_commands = &m_commands;
        m_dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(&kDialog), nullptr,
                                              RecordingDialog, 0);
        ASSERT_NE(m_dialog, nullptr);
        SetActiveWindow(m_dialog);
        DialogPump();
    }
    void TearDown() override {
        for (UINT vk : {VK_SHIFT, VK_CONTROL}) trelwin::user::InjectKey(vk, false);
        DialogPump();
        WindowTest::TearDown();
        g_commands = nullptr;
    }
    void DialogPump() { user_test::DialogPump(m_dialog); }
    void Press(UINT vk) {
        trelwin::user::InjectKey(vk, true);
        DialogPump();
        trelwin::user::InjectKey(vk, false);
        DialogPump();
    }
    int Commands(int id, int code) const {
        int n = 0;
        for (const auto& c : m_commands) n += c.id == id && c.code == code;
        return n;
    }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }

    HWND m_dialog = nullptr;
    std::vector<Notification> m_commands;
};

TEST_F(DialogControlsTest, EnterPressesTheDefaultOrTheFocusedPushButton) {
    HWND edit = Item(1006);
    ASSERT_EQ(GetFocus(), edit);
    // Tabbing into the edit selected its text, so typing replaces it.
    Press('N');
    Press('E');
    Press('W');
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ(text, "new");
    EXPECT_EQ(Commands(1006, EN_CHANGE), 3);
    Press(VK_RETURN);
    EXPECT_EQ(Commands(IDOK, BN_CLICKED), 1);
    // Tab to the push button: it becomes the default and Enter presses it.
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Item(1007));
    EXPECT_EQ(SendMessageA(Item(1007), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(Item(IDOK), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    DialogPump();
    EXPECT_EQ(GetClientPixel(Item(1007), 10, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_NE(GetClientPixel(Item(IDOK), 10, 0), GetSysColor(COLOR_WINDOWFRAME));
    Press(VK_RETURN);
    EXPECT_EQ(Commands(1007, BN_CLICKED), 1);
    Press(VK_SPACE);
    EXPECT_EQ(Commands(1007, BN_CLICKED), 2);
    EXPECT_EQ(Commands(IDOK, BN_CLICKED), 1);
    // Leaving the buttons gives the default back to OK.
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Item(1017));
    EXPECT_EQ(SendMessageA(Item(IDOK), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongA(Item(IDOK), GWL_STYLE) & WS_TABSTOP);  // only the kind changed
}

TEST_F(DialogControlsTest, SpaceTogglesCheckBoxesAndArrowsMoveInTheRadioGroup) {
    Press(VK_TAB);
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Item(1017));
    Press(VK_SPACE);
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 1017), static_cast<UINT>(BST_CHECKED));
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Item(1030));
    Press(VK_DOWN);
    EXPECT_EQ(GetFocus(), Item(1031));
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 1031), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 1030), static_cast<UINT>(BST_UNCHECKED));
    Press(VK_UP);
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 1030), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 1031), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Commands(1030, BN_CLICKED), 1);
    // Escape is Cancel.
    Press(VK_ESCAPE);
    EXPECT_EQ(Commands(IDCANCEL, BN_CLICKED), 1);
}

}  // namespace
