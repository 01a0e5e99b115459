// CDialog: modal and modeless dialogs from templates, data exchange both
// ways with OK and Cancel, a refused number, and controls tied to objects
// by DDX_Control that get their own notifications back.
#include <functional>
#include <string>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "platform/user/dialog_template.h"
#include "platform/user/input.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

using namespace afx_test;
using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;

namespace {

constexpr WORD kDialogId = 9101;
constexpr int kName = 1001;
constexpr int kCount = 1002;
constexpr int kForce = 1003;
constexpr int kRadioA = 1004;
constexpr int kRadioB = 1005;
constexpr int kRadioC = 1006;
constexpr int kOther = 1007;

const DialogItemTemplate kItems[] = {
    {"EDIT", "", kName, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 10, 10, 100, 12},
    {"EDIT", "", kCount, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 10, 26, 40, 12},
    {"BUTTON", "Force", kForce, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 42, 60, 10},
    {"BUTTON", "A", kRadioA, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 10, 56, 30, 10},
    {"BUTTON", "B", kRadioB, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 45, 56, 30, 10},
    {"BUTTON", "C", kRadioC, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 80, 56, 30, 10},
    {"BUTTON", "Other", kOther, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 10, 70, 40, 14},
    {"BUTTON", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 60, 90, 40, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 110, 90, 40, 14},
};
const DialogTemplate kDialog = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                0, 0, 0, 160, 110, "Exchange", "MS Sans Serif", 8, kItems, std::size(kItems)};
const trelwin::user::DialogTemplateRegistration kRegistration(kDialogId, kDialog);

constexpr UINT_PTR kScriptTimer = 0x5C;
constexpr UINT_PTR kGuardTimer = 0x5AFE;

void Press(UINT vk) {
    trelwin::user::InjectKey(vk, true);
    trelwin::user::InjectKey(vk, false);
}

std::string TextOf(HWND hWnd) {
    char text[256] = {};
    GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// A button object that takes its own clicks (reflected BN_CLICKED).
class CCountingButton : public CButton {
public:
    int clicks = 0;
    int keysSeenFirst = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pMsg->hwnd == m_hWnd) ++keysSeenFirst;
        return CButton::PreTranslateMessage(pMsg);
    }

protected:
    void OnClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

// The dialog under test: its members are exchanged with the controls, and
// a script of steps runs one per timer tick (a tick comes only when the
// queue holds nothing else, so the input of one step is handled before the
// next step runs). A guard ends the dialog with -99 after ten seconds.
class CExchangeDialog : public CDialog {
public:
    CExchangeDialog() : CDialog(kDialogId) {}

    CString m_name = "device";
    int m_count = 7;
    int m_force = BST_CHECKED;
    int m_radio = 1;
    CCountingButton m_other;
    std::vector<std::function<void(CExchangeDialog&)>> steps;
    int initCalls = 0;
    int okCalls = 0;
    int otherClicksSeenByDialog = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kOther, m_other);
        DDX_Text(pDX, kName, m_name);
        DDX_Text(pDX, kCount, m_count);
        DDX_Check(pDX, kForce, m_force);
        DDX_Radio(pDX, kRadioA, m_radio);
    }
    BOOL OnInitDialog() override {
        ++initCalls;
        CDialog::OnInitDialog();
        SetTimer(kGuardTimer, 10000);
        SetTimer(kScriptTimer, 20);
        return TRUE;
    }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    void OnTimer(UINT_PTR nIDEvent) {
        if (nIDEvent == kGuardTimer) {
            EndDialog(-99);
        } else if (nIDEvent == kScriptTimer && m_next < steps.size()) {
            steps[m_next++](*this);
        }
    }
    void OnOtherClicked() { ++otherClicksSeenByDialog; }
    DECLARE_MESSAGE_MAP()

private:
    size_t m_next = 0;
};

BEGIN_MESSAGE_MAP(CExchangeDialog, CDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(kOther, OnOtherClicked)
END_MESSAGE_MAP()

using DialogTest = AfxWindowTest;

}  // namespace

TEST_F(DialogTest, LoadsTheMembersIntoTheControlsAndReadsThemBackOnOk) {
    CExchangeDialog dlg;
    std::string seenName;
    std::string seenCount;
    UINT seenForce = 0;
    UINT seenRadios[3] = {};
    bool tiedBeforeInit = false;
    dlg.steps = {
        [&](CExchangeDialog& d) {
            tiedBeforeInit = CWnd::FromHandlePermanent(d.m_hWnd) == &d && d.initCalls == 1;
            seenName = TextOf(::GetDlgItem(d.m_hWnd, kName));
            seenCount = TextOf(::GetDlgItem(d.m_hWnd, kCount));
            seenForce = IsDlgButtonChecked(d.m_hWnd, kForce);
            for (int i = 0; i < 3; ++i) seenRadios[i] = IsDlgButtonChecked(d.m_hWnd, kRadioA + i);
            // The user's changes.
            ::SetDlgItemTextA(d.m_hWnd, kName, "gateway");
            ::SetDlgItemTextA(d.m_hWnd, kCount, "  -42 ");
            ::SendDlgItemMessageA(d.m_hWnd, kForce, BM_CLICK, 0, 0);
            ::SendDlgItemMessageA(d.m_hWnd, kRadioC, BM_CLICK, 0, 0);
            ::SetFocus(::GetDlgItem(d.m_hWnd, kName));
            Press(VK_RETURN);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(tiedBeforeInit);
    EXPECT_EQ(seenName, "device");
    EXPECT_EQ(seenCount, "7");
    EXPECT_EQ(seenForce, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(seenRadios[0], 0u);
    EXPECT_EQ(seenRadios[1], static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(seenRadios[2], 0u);
    EXPECT_EQ(dlg.okCalls, 1);
    EXPECT_STREQ(dlg.m_name, "gateway");
    EXPECT_EQ(dlg.m_count, -42);
    EXPECT_EQ(dlg.m_force, BST_UNCHECKED);
    EXPECT_EQ(dlg.m_radio, 2);
    // The window is gone and the object let it go.
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_other.m_hWnd, nullptr);
}

TEST_F(DialogTest, CancelKeepsTheMembersAsTheyWere) {
    CExchangeDialog dlg;
    dlg.steps = {
        [](CExchangeDialog& d) {
            ::SetDlgItemTextA(d.m_hWnd, kName, "changed");
            ::SetDlgItemTextA(d.m_hWnd, kCount, "not a number");
            Press(VK_ESCAPE);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.okCalls, 0);
    EXPECT_STREQ(dlg.m_name, "device");
    EXPECT_EQ(dlg.m_count, 7);
}

TEST_F(DialogTest, ABadNumberIsRefusedWithAMessageAndTheDialogStaysOpen) {
    CExchangeDialog dlg;
    std::string boxText;
    HWND focusAfterRefusal = nullptr;
    HWND countEdit = nullptr;
    DWORD selectionAfterRefusal = 0;
    bool stillOpen = false;
    dlg.steps = {
        [&](CExchangeDialog& d) {
            countEdit = ::GetDlgItem(d.m_hWnd, kCount);
            ::SetDlgItemTextA(d.m_hWnd, kCount, "12x");
            ::SetFocus(::GetDlgItem(d.m_hWnd, kName));
            Press(VK_RETURN);
        },
        // Runs inside the message box's loop.
        [&](CExchangeDialog& d) {
            HWND box = ::GetActiveWindow();
            if (box != d.m_hWnd) {
                for (HWND c = ::GetWindow(box, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
                    const std::string text = TextOf(c);
                    if (text.find("integer") != std::string::npos) boxText = text;
                }
            }
            Press(VK_RETURN);
        },
        [&](CExchangeDialog& d) {
            stillOpen = ::IsWindowVisible(d.m_hWnd) != FALSE;
            focusAfterRefusal = ::GetFocus();
            selectionAfterRefusal = static_cast<DWORD>(::SendMessageA(countEdit, EM_GETSEL, 0, 0));
            ::SetDlgItemTextA(d.m_hWnd, kCount, "42");
            Press(VK_RETURN);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(boxText, "Please enter an integer.");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focusAfterRefusal, countEdit);
    EXPECT_EQ(selectionAfterRefusal, static_cast<DWORD>(MAKELONG(0, 3)));  // the bad text selected
    EXPECT_EQ(dlg.okCalls, 2);
    EXPECT_EQ(dlg.m_count, 42);
}

TEST_F(DialogTest, DdxControlTiesTheControlSoItsOwnNotificationsReachIt) {
    CExchangeDialog dlg;
    bool isButtonObject = false;
    dlg.steps = {
        [&](CExchangeDialog& d) {
            CWnd* pOther = CWnd::FromHandlePermanent(::GetDlgItem(d.m_hWnd, kOther));
            isButtonObject = pOther == &d.m_other && pOther->IsKindOf(RUNTIME_CLASS(CButton));
            ::SendDlgItemMessageA(d.m_hWnd, kOther, BM_CLICK, 0, 0);
            ::SendDlgItemMessageA(d.m_hWnd, kOther, BM_CLICK, 0, 0);
            d.EndDialog(IDCANCEL);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(isButtonObject);
    EXPECT_EQ(dlg.m_other.clicks, 2);
    // The control took the notification, so the dialog's own entry did not run.
    EXPECT_EQ(dlg.otherClicksSeenByDialog, 0);
}

TEST_F(DialogTest, ModelessDialogRunsItsMapAndNavigatesBetweenControls) {
    CExchangeDialog dlg;
    ASSERT_TRUE(dlg.Create(kDialogId));
    ASSERT_NE(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.initCalls, 1);
    EXPECT_EQ(TextOf(::GetDlgItem(dlg.m_hWnd, kName)), "device");
    EXPECT_EQ(LOWORD(dlg.GetDefID()), IDOK);
    dlg.SetDefID(IDCANCEL);
    EXPECT_EQ(LOWORD(dlg.GetDefID()), IDCANCEL);

    dlg.GotoDlgCtrl(dlg.GetDlgItem(kCount));
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), kCount);
    dlg.NextDlgCtrl();
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), kForce);
    dlg.PrevDlgCtrl();
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), kCount);

    // UpdateData outside OK: a bad number is refused with a message (Enter
    // closes it) and the members keep their values.
    ::SetDlgItemTextA(dlg.m_hWnd, kCount, "4294967296");
    ::SetTimer(dlg.m_hWnd, kGuardTimer + 1, 50, [](HWND hWnd, UINT, UINT_PTR id, DWORD) {
        Press(VK_RETURN);
        ::KillTimer(hWnd, id);
    });
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ::KillTimer(dlg.m_hWnd, kGuardTimer + 1);
    EXPECT_EQ(dlg.m_count, 7);
    ::SetDlgItemTextA(dlg.m_hWnd, kCount, "2147483647");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_count, 2147483647);

    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(DialogTest, AMissingTemplateFailsWithoutAWindow) {
    CDialog dlg(9199);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.Create(9199));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(DialogTest, ControlsInAModalDialogSeeMessagesBeforeTheyAreDispatched) {
    CExchangeDialog dlg;
    dlg.steps = {
        [](CExchangeDialog& d) {
            d.GotoDlgCtrl(&d.m_other);
            Press('A');
        },
        [](CExchangeDialog&) { Press(VK_ESCAPE); },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_other.keysSeenFirst, 2);  // 'A', then Esc before the dialog took it
}

namespace {

// Exchanges one value of each kind with the controls of a modeless dialog.
class CKindsDialog : public CExchangeDialog {
public:
    UINT unsignedValue = 5;
    long longValue = -5;
    int comboIndex = 1;
    int listIndex = 2;
    CComboBox combo;
    CListBox listBox;
    int which = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        if (which == 0) DDX_Text(pDX, kCount, unsignedValue);
        if (which == 1) DDX_Text(pDX, kCount, longValue);
        if (which == 2) {
            DDX_CBIndex(pDX, 2001, comboIndex);
            DDX_LBIndex(pDX, 2002, listIndex);
        }
    }
};

}  // namespace

TEST_F(DialogTest, NumbersOfEachKindAndListIndexesAreExchanged) {
    CKindsDialog dlg;
    ASSERT_TRUE(dlg.Create(kDialogId));
    ASSERT_TRUE(dlg.combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 80, 100), &dlg, 2001));
    ASSERT_TRUE(dlg.listBox.Create(WS_CHILD | WS_VISIBLE, CRect(90, 0, 170, 60), &dlg, 2002));
    for (const char* text : {"a", "b", "c"}) {
        dlg.combo.AddString(text);
        dlg.listBox.AddString(text);
    }
    // Loading shows the numbers as the kind says.
    EXPECT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(TextOf(::GetDlgItem(dlg.m_hWnd, kCount)), "5");
    // A sign is refused for an unsigned value, with the message for it.
    ::SetDlgItemTextA(dlg.m_hWnd, kCount, "-1");
    std::string message;
    static std::string* seen;
    seen = &message;
    ::SetTimer(dlg.m_hWnd, 0x77, 30, [](HWND hWnd, UINT, UINT_PTR id, DWORD) {
        HWND box = ::GetActiveWindow();
        for (HWND c = ::GetWindow(box, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (TextOf(c).find("integer") != std::string::npos) *seen = TextOf(c);
        }
        Press(VK_RETURN);
        ::KillTimer(hWnd, id);
    });
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(message, "Please enter a positive integer.");
    EXPECT_EQ(dlg.unsignedValue, 5u);
    ::SetDlgItemTextA(dlg.m_hWnd, kCount, "4294967295");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.unsignedValue, 4294967295u);

    dlg.which = 1;
    ::SetDlgItemTextA(dlg.m_hWnd, kCount, "-2147483648");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.longValue, -2147483648L);

    dlg.which = 2;
    EXPECT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(dlg.combo.GetCurSel(), 1);
    EXPECT_EQ(dlg.listBox.GetCurSel(), 2);
    dlg.combo.SetCurSel(0);
    dlg.listBox.SetCurSel(-1);
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.comboIndex, 0);
    EXPECT_EQ(dlg.listIndex, -1);
    EXPECT_TRUE(dlg.DestroyWindow());
}
