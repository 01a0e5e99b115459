// CPropertySheet and CPropertyPage on the wizard sheet: pages tied to
// their objects with the sheet's object as their parent, the wizard
// answers of the pages (stay, next, finish, refused cancel), data exchange
// when a page is left; and CFileDialog choosing a file.
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "platform/user/dialog_box_filtered.h"
#include "platform/user/dialog_template.h"
#include "platform/user/input.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

using namespace afx_test;
using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;

namespace {

constexpr WORD kPage1 = 9201;
constexpr WORD kPage2 = 9202;
constexpr int kEdit = 1006;

const DialogItemTemplate kPage1Items[] = {
    {"EDIT", "", kEdit, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 10, 10, 120, 12},
};
const DialogItemTemplate kPage2Items[] = {
    {"STATIC", "Done", -1, WS_VISIBLE | SS_LEFT, 0, 10, 10, 120, 12},
};
const DialogTemplate kPage1Template = {WS_CHILD | DS_SETFONT, 0, 0, 0, 220, 100, nullptr, "MS Sans Serif", 8,
                                       kPage1Items, std::size(kPage1Items)};
const DialogTemplate kPage2Template = {WS_CHILD | DS_SETFONT, 0, 0, 0, 220, 100, nullptr, "MS Sans Serif", 8,
                                       kPage2Items, std::size(kPage2Items)};
const trelwin::user::DialogTemplateRegistration kPage1Registration(kPage1, kPage1Template);
const trelwin::user::DialogTemplateRegistration kPage2Registration(kPage2, kPage2Template);

// Steps run one per tick of a thread timer, inside whatever loop runs; a
// tick comes only when no other message waits. After the steps, Esc is
// pressed now and then, and in the end the active dialog is ended, so that
// no loop is left running.
struct Steps {
    std::vector<std::function<void()>> list;
    size_t next = 0;
    UINT_PTR timer = 0;
};

Steps& Script() {
    static Steps steps;
    return steps;
}

void RunSteps(std::vector<std::function<void()>> list) {
    Script() = Steps{std::move(list), 0, 0};
    Script().timer = ::SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
        Steps& s = Script();
        if (s.next < s.list.size()) {
            s.list[s.next++]();
        } else if (++s.next % 20 == 0 && s.next < s.list.size() + 200) {
            trelwin::user::InjectKey(VK_ESCAPE, true);
            trelwin::user::InjectKey(VK_ESCAPE, false);
        } else if (s.next >= s.list.size() + 200) {
            ::EndDialog(::GetActiveWindow(), -7);  // a loop that no key ends
        }
    });
}

void StopSteps() { ::KillTimer(nullptr, Script().timer); }

class CNamePage : public CPropertyPage {
public:
    CNamePage() : CPropertyPage(kPage1) { m_strHeaderTitle = "Package"; }

    CString m_name;
    CWnd* parentAtInit = nullptr;
    int nextCalls = 0;
    int resets = 0;

    BOOL OnInitDialog() override {
        CPropertyPage::OnInitDialog();
        parentAtInit = GetParent();
        return TRUE;
    }
    // Stays while the name is empty.
    LRESULT OnWizardNext() override {
        ++nextCalls;
        if (!UpdateData(TRUE)) return -1;
        return m_name.IsEmpty() ? -1 : 0;
    }
    void OnReset() override { ++resets; }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, kEdit, m_name); }
};

class CDonePage : public CPropertyPage {
public:
    CDonePage() : CPropertyPage(kPage2) {}

    CWnd* parentAtInit = nullptr;
    int finishCalls = 0;
    int cancelQueries = 0;
    BOOL allowCancel = FALSE;

    BOOL OnInitDialog() override {
        CPropertyPage::OnInitDialog();
        parentAtInit = GetParent();
        return TRUE;
    }
    BOOL OnWizardFinish() override {
        ++finishCalls;
        return TRUE;
    }
    BOOL OnQueryCancel() override {
        ++cancelQueries;
        return allowCancel;
    }
};

class CWizard : public CPropertySheet {
public:
    CWizard() : CPropertySheet("Update") {
        AddPage(&m_namePage);
        AddPage(&m_donePage);
        m_psh.dwFlags |= PSH_WIZARD | PSH_WIZARD97 | PSH_HEADER;
    }
    CNamePage m_namePage;
    CDonePage m_donePage;
    int initCalls = 0;
    BOOL OnInitDialog() override {
        ++initCalls;
        return CPropertySheet::OnInitDialog();
    }
};

using PropertySheetTest = AfxWindowTest;

}  // namespace

TEST_F(PropertySheetTest, WizardWalksItsPagesAsThePagesAnswer) {
    CWizard sheet;
    int activeAtStart = -1;
    int activeAfterRefusedNext = -1;
    int activeAtEnd = -1;
    RunSteps({
        [&] {
            activeAtStart = sheet.GetActiveIndex();
            sheet.PressButton(PSBTN_NEXT);  // the name is empty: the page stays
        },
        [&] {
            activeAfterRefusedNext = sheet.GetActiveIndex();
            ::SetDlgItemTextA(sheet.m_namePage.m_hWnd, kEdit, "fw.zpk");
            sheet.PressButton(PSBTN_NEXT);
        },
        [&] {
            activeAtEnd = sheet.GetActiveIndex();
            EXPECT_EQ(sheet.GetActivePage(), &sheet.m_donePage);
            sheet.SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
            sheet.PressButton(PSBTN_FINISH);
        },
    });
    const INT_PTR result = sheet.DoModal();
    StopSteps();
    EXPECT_EQ(result, ID_WIZFINISH);
    EXPECT_EQ(sheet.initCalls, 1);
    EXPECT_EQ(sheet.m_namePage.parentAtInit, &sheet);
    EXPECT_EQ(sheet.m_donePage.parentAtInit, &sheet);
    EXPECT_EQ(activeAtStart, 0);
    EXPECT_EQ(activeAfterRefusedNext, 0);
    EXPECT_EQ(activeAtEnd, 1);
    EXPECT_EQ(sheet.m_namePage.nextCalls, 2);
    EXPECT_STREQ(sheet.m_namePage.m_name, "fw.zpk");
    EXPECT_EQ(sheet.m_donePage.finishCalls, 1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_namePage.m_hWnd, nullptr);
}

TEST_F(PropertySheetTest, CancelAsksTheActivePageAndResetsThePages) {
    CWizard sheet;
    sheet.SetActivePage(1);
    RunSteps({
        [&] { sheet.PressButton(PSBTN_CANCEL); },  // refused
        [&] {
            EXPECT_NE(sheet.m_hWnd, nullptr);
            sheet.m_donePage.allowCancel = TRUE;
            sheet.PressButton(PSBTN_CANCEL);
        },
    });
    const INT_PTR result = sheet.DoModal();
    StopSteps();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(sheet.m_donePage.cancelQueries, 2);
    EXPECT_EQ(sheet.m_namePage.m_hWnd, nullptr);
}

TEST_F(PropertySheetTest, SheetWithoutPagesFails) {
    CPropertySheet sheet("Empty");
    EXPECT_EQ(sheet.DoModal(), -1);
}

TEST_F(PropertySheetTest, FileDialogChoosesAFileAndSplitsItsPath) {
    char folder[] = "/tmp/afx_file_dialog_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/update.zpk";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);

    CFileDialog dialog(TRUE, nullptr, path.c_str(), OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       "Zelo Flash files (*.zpk)|*.zpk||");
    EXPECT_EQ(std::string(dialog.m_ofn.lpstrFilter, 32), std::string("Zelo Flash files (*.zpk)\0*.zpk\0\0", 32));
    RunSteps({[] {
        trelwin::user::InjectKey(VK_RETURN, true);
        trelwin::user::InjectKey(VK_RETURN, false);
    }});
    const INT_PTR result = dialog.DoModal();
    StopSteps();
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(dialog.GetPathName(), path.c_str());
    EXPECT_STREQ(dialog.GetFileName(), "update.zpk");
    EXPECT_STREQ(dialog.GetFileExt(), "zpk");
    EXPECT_STREQ(dialog.GetFileTitle(), "update");

    // Esc cancels.
    CFileDialog cancelled(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, "All|*.*||");
    RunSteps({[] {
        trelwin::user::InjectKey(VK_ESCAPE, true);
        trelwin::user::InjectKey(VK_ESCAPE, false);
    }});
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    StopSteps();
    std::remove(path.c_str());
    rmdir(folder);
}

namespace {

INT_PTR CALLBACK EndOnCancel(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

TEST_F(PropertySheetTest, ScopedFilterSeesTheMessagesOfLoopsWithoutAFilterOfTheirOwn) {
    std::vector<WPARAM> keys;
    trelwin::user::ScopedDialogFilter filter([&keys](HWND, MSG& msg) {
        if (msg.message == WM_KEYDOWN) keys.push_back(msg.wParam);
        return false;  // the dialog's keyboard interface still runs
    });
    RunSteps({
        [] {
            trelwin::user::InjectKey('A', true);
            trelwin::user::InjectKey('A', false);
        },
        [] {
            trelwin::user::InjectKey(VK_ESCAPE, true);
            trelwin::user::InjectKey(VK_ESCAPE, false);
        },
    });
    const INT_PTR result =
        trelwin::user::DialogBoxIndirectFiltered(nullptr, &kPage2Template, nullptr, &EndOnCancel, 0, {});
    StopSteps();
    EXPECT_EQ(result, -1);  // a child template cannot run modally
    DLGTEMPLATE popup = kPage1Template;  // with a control that takes the keys
    popup.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    RunSteps({
        [] {
            trelwin::user::InjectKey('A', true);
            trelwin::user::InjectKey('A', false);
        },
        [] {
            trelwin::user::InjectKey(VK_ESCAPE, true);
            trelwin::user::InjectKey(VK_ESCAPE, false);
        },
    });
    EXPECT_EQ(trelwin::user::DialogBoxIndirectFiltered(nullptr, &popup, nullptr, &EndOnCancel, 0, {}), IDCANCEL);
    StopSteps();
    EXPECT_EQ(keys, (std::vector<WPARAM>{'A', VK_ESCAPE}));
}
