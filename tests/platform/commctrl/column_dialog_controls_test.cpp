// The list boxes and the up-down control inside a dialog made from a
// template, used the way the column dialogs use them: a double click moves
// an entry from the sorted list to the other one, the up-down moves the
// selected entry, and the keyboard reaches the lists through the dialog.
#include <iterator>
#include <string>

#include "platform/commctrl/button.h"
#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/list_box.h"
#include "platform/commctrl/up_down.h"
#include "platform/user/dialog_manager.h"
#include "platform/user/dialog_template.h"
#include "tests/platform/commctrl/item_controls_test_util.h"

using namespace item_test;
using user_test::DialogPump;
using namespace trelwin::user;

namespace {

const DialogItemTemplate kItems[] = {
    {"LISTBOX", nullptr, 106, WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_SORT | LBS_NOTIFY, 0, 7, 7, 80, 80},
    {"LISTBOX", nullptr, 115, WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 0, 120, 7, 80, 80},
    {UPDOWN_CLASSA, nullptr, 108, WS_VISIBLE, 0, 205, 30, 11, 20},
    {"BUTTON", "Ok", IDOK, WS_VISIBLE | WS_TABSTOP, 0, 150, 95, 50, 14},
};
const DialogTemplate kDialog = {WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT, 0, 0, 0, 230, 115,
                                "Column selection", "MS Sans Serif", 8, kItems, std::size(kItems)};
DialogTemplateRegistration g_dialog(9112, kDialog);

const DialogItemTemplate kComboItems[] = {
    {"COMBOBOX", nullptr, 300, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 7, 7, 80, 60},
    {"BUTTON", "Ok", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 100, 7, 50, 14},
};
const DialogTemplate kComboDialog = {WS_POPUP | WS_VISIBLE | DS_SETFONT, 0, 0, 0, 160, 80, nullptr, "MS Sans Serif", 8,
                                     kComboItems, std::size(kComboItems)};
DialogTemplateRegistration g_comboDialog(9115, kComboDialog);
int g_okCount = 0;

INT_PTR CALLBACK ComboDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        for (const char* t : {"one", "two", "three"}) {
            SendDlgItemMessageA(dlg, 300, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
        }
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) ++g_okCount;
    return FALSE;
}

int Selected(HWND dlg, int id) { return static_cast<int>(SendDlgItemMessageA(dlg, id, LB_GETCURSEL, 0, 0)); }

// Moves the selected entry of one list, with its data, to the end of the other.
void MoveEntry(HWND dlg, int from, int to) {
    const int s = Selected(dlg, from);
    if (s < 0) return;
    char text[64] = {};
    SendDlgItemMessageA(dlg, from, LB_GETTEXT, s, reinterpret_cast<LPARAM>(text));
    const LRESULT data = SendDlgItemMessageA(dlg, from, LB_GETITEMDATA, s, 0);
    SendDlgItemMessageA(dlg, from, LB_DELETESTRING, s, 0);
    const LRESULT at = SendDlgItemMessageA(dlg, to, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageA(dlg, to, LB_SETITEMDATA, at, data);
    SendDlgItemMessageA(dlg, from, LB_SETCURSEL, 0, 0);
}

// Moves the selected right-hand entry by the step, within the list.
void SpinEntry(HWND dlg, int delta) {
    const int s = Selected(dlg, 115);
    const int n = static_cast<int>(SendDlgItemMessageA(dlg, 115, LB_GETCOUNT, 0, 0));
    if (s < 0 || (s == n - 1 && delta == 1) || (s == 0 && delta == -1)) return;
    char text[64] = {};
    SendDlgItemMessageA(dlg, 115, LB_GETTEXT, s, reinterpret_cast<LPARAM>(text));
    const LRESULT data = SendDlgItemMessageA(dlg, 115, LB_GETITEMDATA, s, 0);
    SendDlgItemMessageA(dlg, 115, LB_DELETESTRING, s, 0);
    SendDlgItemMessageA(dlg, 115, LB_INSERTSTRING, s + delta, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageA(dlg, 115, LB_SETITEMDATA, s + delta, data);
    SendDlgItemMessageA(dlg, 115, LB_SETCURSEL, s + delta, 0);
}

INT_PTR CALLBACK ColumnDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        const char* names[] = {"ID", "Name", "Address", "Version", "MAC"};
        for (int i = 1; i < 5; ++i) {
            const LRESULT at = SendDlgItemMessageA(dlg, 106, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
            SendDlgItemMessageA(dlg, 106, LB_SETITEMDATA, at, i);
        }
        SendDlgItemMessageA(dlg, 115, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[0]));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_DBLCLK && LOWORD(wParam) == 106) MoveEntry(dlg, 106, 115);
        if (HIWORD(wParam) == LBN_DBLCLK && LOWORD(wParam) == 115) MoveEntry(dlg, 115, 106);
        return TRUE;
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
        if (nm->hdr.idFrom == 108 && nm->hdr.code == UDN_DELTAPOS) {
            SpinEntry(dlg, nm->iDelta);
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    }
    default: return FALSE;
    }
}

std::string Entry(HWND dlg, int id, int index) {
    char text[64] = {};
    SendDlgItemMessageA(dlg, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

POINT ItemPoint(HWND list, int index) {
    RECT rc{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
    return {rc.left + 10, (rc.top + rc.bottom) / 2};
}

class ColumnDialogTest : public WindowTest {};

TEST_F(ColumnDialogTest, DoubleClickMovesEntriesAndTheUpDownReordersThem) {
    HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(9112), nullptr, ColumnDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    DialogPump(dlg);
    HWND left = GetDlgItem(dlg, 106);
    HWND right = GetDlgItem(dlg, 115);
    HWND spin = GetDlgItem(dlg, 108);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(Entry(dlg, 106, 0), "Address");
    EXPECT_EQ(Entry(dlg, 106, 1), "MAC");

    const DWORD t = 900000;
    POINT mac = ItemPoint(left, 1);
    ClickAt(left, mac.x, mac.y, t);
    ClickAt(left, mac.x, mac.y, t + 40);
    DialogPump(dlg);
    ASSERT_EQ(SendMessageA(right, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Entry(dlg, 115, 1), "MAC");
    EXPECT_EQ(SendMessageA(right, LB_GETITEMDATA, 1, 0), 4);
    EXPECT_EQ(SendMessageA(left, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(Selected(dlg, 106), 0);

    // Select MAC on the right and move it up with the upper arrow.
    POINT second = ItemPoint(right, 1);
    ClickAt(right, second.x, second.y, t + 5000);
    RECT arrows;
    GetClientRect(spin, &arrows);
    ClickAt(spin, arrows.right / 2, arrows.bottom / 4, t + 6000);
    DialogPump(dlg);
    EXPECT_EQ(Entry(dlg, 115, 0), "MAC");
    EXPECT_EQ(Entry(dlg, 115, 1), "ID");
    EXPECT_EQ(Selected(dlg, 115), 0);
    ClickAt(spin, arrows.right / 2, arrows.bottom / 4, t + 7000);  // already at the top
    EXPECT_EQ(Entry(dlg, 115, 0), "MAC");
    ClickAt(spin, arrows.right / 2, arrows.bottom * 3 / 4, t + 8000);
    EXPECT_EQ(Entry(dlg, 115, 1), "MAC");
    DestroyWindow(dlg);
}

TEST_F(ColumnDialogTest, TabReachesTheListsAndArrowsMoveTheirSelection) {
    HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(9112), nullptr, ColumnDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    DialogPump(dlg);
    SetFocus(GetDlgItem(dlg, 106));
    DialogPump(dlg);
    trelwin::user::InjectKey(VK_DOWN, true);
    trelwin::user::InjectKey(VK_DOWN, false);
    trelwin::user::InjectKey(VK_DOWN, true);
    trelwin::user::InjectKey(VK_DOWN, false);
    DialogPump(dlg);
    EXPECT_EQ(Selected(dlg, 106), 1);  // the arrows stayed in the list
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 106));
    trelwin::user::InjectKey(VK_TAB, true);
    trelwin::user::InjectKey(VK_TAB, false);
    DialogPump(dlg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 115));
    DestroyWindow(dlg);
}

// Enter and Esc close a dropped list instead of reaching the dialog's
// buttons; with the list up, Enter is the dialog's default button again.
TEST_F(ColumnDialogTest, DroppedComboKeepsEnterAndEscFromTheDialog) {
    g_okCount = 0;
    HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(9115), nullptr, ComboDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND combo = GetDlgItem(dlg, 300);
    SetFocus(combo);
    DialogPump(dlg);
    auto key = [dlg](UINT vk) {
        trelwin::user::InjectKey(vk, true);
        trelwin::user::InjectKey(vk, false);
        DialogPump(dlg);
    };
    key(VK_F4);
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    key(VK_DOWN);
    key(VK_RETURN);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(g_okCount, 0);
    key(VK_F4);
    key(VK_ESCAPE);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(g_okCount, 0);
    key(VK_RETURN);
    EXPECT_EQ(g_okCount, 1);
    DestroyWindow(dlg);
}

}  // namespace
