// A three-page wizard shown through the display the environment gives, for
// a driver outside the process that clicks it through on a real X server.
//
//   trelwin_wizard_demo
//
// Each time a page has become the current one (its buttons set), it prints
//   page N BUTTON X Y
// with the button that moves on from it (next, or finish on the last page)
// and that button's centre relative to the wizard window's top-left corner.
// Finish prints "finished on page N", and the end "result R". The exit code
// is 0 only when Finish ended the wizard; a wizard left alone ends itself
// after 30 seconds ("timed out", exit code 1).
#include <cstdio>
#include <iterator>

#include "platform/commctrl/commctrl.h"
#include "platform/display/display.h"
#include "platform/user/user.h"
#include "tests/platform/commctrl/wizard_test_pages.h"

namespace {

constexpr int kPageIds[] = {911, 912, 913};
constexpr UINT kReportShown = WM_APP + 1;
const DWORD kButtons[] = {PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_FINISH};

const trelwin::user::DialogItemTemplate kPageItems[] = {
    {"STATIC", "Type a name:", -1, WS_VISIBLE, 0, 7, 7, 100, 8},
    {"EDIT", "", 100, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 7, 20, 150, 14},
};
const DLGTEMPLATE kPage = {WS_CHILD | DS_SETFONT, 0, 0, 0, 300, 120, nullptr, "MS Sans Serif", 8,
                           kPageItems, std::size(kPageItems)};
trelwin::user::DialogTemplateRegistration g_page0(kPageIds[0], kPage);
trelwin::user::DialogTemplateRegistration g_page1(kPageIds[1], kPage);
trelwin::user::DialogTemplateRegistration g_page2(kPageIds[2], kPage);

HWND g_sheet = nullptr;
int g_finishedOn = 0;
bool g_timedOut = false;

INT_PTR CALLBACK PageProc(HWND hDlg, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        g_sheet = GetParent(hDlg);
        return TRUE;
    }
    const int index = static_cast<int>(GetWindowLongPtrA(hDlg, DWLP_USER));
    if (msg == kReportShown) {
        // Posted on activation, so it comes after the sheet has shown the
        // page and set the buttons that the activation asked for.
        const int id = index == 2 ? ID_WIZFINISH : ID_WIZNEXT;
        RECT sheet{}, button{};
        GetWindowRect(g_sheet, &sheet);
        GetWindowRect(GetDlgItem(g_sheet, id), &button);
        std::printf("page %d %s %ld %ld\n", index + 1, index == 2 ? "finish" : "next",
                    static_cast<long>((button.left + button.right) / 2 - sheet.left),
                    static_cast<long>((button.top + button.bottom) / 2 - sheet.top));
        std::fflush(stdout);
        return TRUE;
    }
    if (msg != WM_NOTIFY) return FALSE;
    const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
    if (code == PSN_SETACTIVE) {
        PropSheet_SetWizButtons(g_sheet, kButtons[index]);
        PostMessageA(hDlg, kReportShown, 0, 0);
    } else if (code == PSN_WIZFINISH) {
        g_finishedOn = index + 1;
        std::printf("finished on page %d\n", g_finishedOn);
        std::fflush(stdout);
    }
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
    return TRUE;
}

}  // namespace

int main() {
    if (!trelwin::display::use_host_display()) return 3;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    PROPSHEETPAGEA pages[3];
    FillWizardPages(pages, kPageIds, PageProc);
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_WIZARD | PSH_WIZARD97 | PSH_HEADER | PSH_PROPSHEETPAGE;
    header.pszCaption = "Trelwin test wizard";
    header.nPages = 3;
    header.ppsp = pages;
    const UINT_PTR guard = SetTimer(nullptr, 0, 30000, [](HWND, UINT, UINT_PTR, DWORD) {
        g_timedOut = true;
        if (g_sheet) EndDialog(g_sheet, -5);
    });
    const INT_PTR result = PropertySheetA(&header);
    KillTimer(nullptr, guard);
    if (g_timedOut) std::printf("timed out\n");
    std::printf("result %ld\n", static_cast<long>(result));
    std::fflush(stdout);
    return result == 1 && g_finishedOn == 3 ? 0 : 1;
}
