// A three-page wizard shown through the display the environment gives, for
// a driver outside the process that clicks it through on a real X server.
//
//   trelwin_wizard_demo [--write-settings]
//
// Each time a page has become the current one (its buttons set), it prints
//   page N BUTTON X Y
// with the button that moves on from it (next, or finish on the last page)
// and that button's centre relative to the wizard window's top-left corner.
// Before the first page it prints where the caption's boxes are, as the
// window's hit test finds them along the caption:
//   caption minimize X Y close X Y
// and where the first page's list box (of three colours) is:
//   combo X Y
// A move of its own by the caption prints where it ended, "moved to X Y";
// the wizard going to its icon and coming back prints "minimized" and
// "restored". When a page goes it prints what its edit holds and the colour
// chosen:
//   typed page N: TEXT
//   chose page N: COLOUR
// Finish prints "finished on page N", and the end "result R". The exit code
// is 0 when the wizard was ended by a person (Finish, Cancel or closing the
// window); a wizard left alone ends itself after 30 seconds ("timed out",
// exit code 1).
//
// --write-settings keeps a thread writing a value to the settings
// (HKEY_CURRENT_USER\Software\Trelwin test wizard, "Count", counting up)
// and prints "writing settings" after the first write, so that a test can
// end the program in the middle of a write.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>

#include "platform/commctrl/commctrl.h"
#include "platform/display/display.h"
#include "platform/registry/registry.h"
#include "platform/user/user.h"
#include "tests/platform/commctrl/wizard_test_pages.h"

namespace {

constexpr int kPageIds[] = {911, 912, 913};
constexpr UINT kReportShown = WM_APP + 1;
const DWORD kButtons[] = {PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_FINISH};

const trelwin::user::DialogItemTemplate kPageItems[] = {
    {"STATIC", "Type a name:", -1, WS_VISIBLE, 0, 7, 7, 100, 8},
    {"EDIT", "", 100, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 7, 20, 150, 14},
    {"COMBOBOX", "", 101, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 7, 40, 100, 60},
};
const DLGTEMPLATE kPage = {WS_CHILD | DS_SETFONT, 0, 0, 0, 300, 120, nullptr, "MS Sans Serif", 8,
                           kPageItems, std::size(kPageItems)};
trelwin::user::DialogTemplateRegistration g_page0(kPageIds[0], kPage);
trelwin::user::DialogTemplateRegistration g_page1(kPageIds[1], kPage);
trelwin::user::DialogTemplateRegistration g_page2(kPageIds[2], kPage);

HWND g_sheet = nullptr;
WNDPROC g_sheetProc = nullptr;
int g_finishedOn = 0;
bool g_timedOut = false;
bool g_minimized = false;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The centre of the run of caption points (window coordinates) where the
// window's hit test answers `hit`, as "X Y".
std::string CaptionBox(HWND hwnd, int hit) {
    RECT window{}, client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    const int y = (origin.y - window.top) / 2;  // half way down the frame and caption
    int first = -1, last = -1;
    for (int x = 0; x < window.right - window.left; ++x) {
        const LRESULT answer = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + x, window.top + y));
        if (answer != hit) continue;
        if (first < 0) first = x;
        last = x;
    }
    if (first < 0) return "none";
    return std::to_string((first + last) / 2) + " " + std::to_string(y);
}

LRESULT CALLBACK SheetSpy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE && wParam == SIZE_MINIMIZED && !g_minimized) {
        g_minimized = true;
        Say("minimized");
    } else if (msg == WM_SIZE && wParam == SIZE_RESTORED && g_minimized) {
        g_minimized = false;
        Say("restored");
    } else if (msg == WM_EXITSIZEMOVE) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        Say("moved to " + std::to_string(r.left) + " " + std::to_string(r.top));
    }
    return CallWindowProcA(g_sheetProc, hwnd, msg, wParam, lParam);
}

// A control's centre relative to the wizard window's top-left corner, "X Y".
std::string CentreOf(HWND control) {
    RECT sheet{}, r{};
    GetWindowRect(g_sheet, &sheet);
    GetWindowRect(control, &r);
    return std::to_string((r.left + r.right) / 2 - sheet.left) + " " + std::to_string((r.top + r.bottom) / 2 - sheet.top);
}

INT_PTR CALLBACK PageProc(HWND hDlg, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        for (const char* colour : {"Red", "Green", "Blue"}) {
            SendDlgItemMessageA(hDlg, 101, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
        }
        if (!g_sheet) {
            g_sheet = GetParent(hDlg);
            g_sheetProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(g_sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetSpy)));
        }
        return TRUE;
    }
    const int index = static_cast<int>(GetWindowLongPtrA(hDlg, DWLP_USER));
    if (msg == WM_DESTROY) {
        char text[128] = {};
        GetDlgItemTextA(hDlg, 100, text, sizeof(text));
        Say("typed page " + std::to_string(index + 1) + ": " + text);
        char colour[32] = {};
        const LRESULT chosen = SendDlgItemMessageA(hDlg, 101, CB_GETCURSEL, 0, 0);
        if (chosen >= 0) SendDlgItemMessageA(hDlg, 101, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(colour));
        Say("chose page " + std::to_string(index + 1) + ": " + colour);
        return FALSE;
    }
    if (msg == kReportShown) {
        // Posted on activation, so it comes after the sheet has shown the
        // page and set the buttons that the activation asked for.
        if (index == 0) {
            Say("caption minimize " + CaptionBox(g_sheet, HTMINBUTTON) + " close " + CaptionBox(g_sheet, HTCLOSE));
            Say("combo " + CentreOf(GetDlgItem(hDlg, 101)));
        }
        const int id = index == 2 ? ID_WIZFINISH : ID_WIZNEXT;
        Say("page " + std::to_string(index + 1) + (index == 2 ? " finish " : " next ") + CentreOf(GetDlgItem(g_sheet, id)));
        return TRUE;
    }
    if (msg != WM_NOTIFY) return FALSE;
    const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
    if (code == PSN_SETACTIVE) {
        PropSheet_SetWizButtons(g_sheet, kButtons[index]);
        PostMessageA(hDlg, kReportShown, 0, 0);
    } else if (code == PSN_WIZFINISH) {
        g_finishedOn = index + 1;
        Say("finished on page " + std::to_string(g_finishedOn));
    }
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
    return TRUE;
}

std::atomic<bool> g_stopWriting{false};

// Writes the settings value again and again until asked to stop.
void WriteSettings() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Trelwin test wizard", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        Say("cannot write settings");
        return;
    }
    for (DWORD count = 1; !g_stopWriting; ++count) {
        RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
        if (count == 1) Say("writing settings");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
    const bool writeSettings = argc > 1 && std::strcmp(argv[1], "--write-settings") == 0;
    if (!trelwin::display::choose_for_program() || std::strcmp(trelwin::display::current().name(), "sdl") != 0) {
        return 3;
    }
    std::thread writer;
    if (writeSettings) writer = std::thread(WriteSettings);
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
    g_stopWriting = true;
    if (writer.joinable()) writer.join();
    if (g_timedOut) Say("timed out");
    Say("result " + std::to_string(result));
    const bool byFinish = result == 1 && g_finishedOn == 3;
    const bool byCancel = result == 0;
    return !g_timedOut && (byFinish || byCancel) ? 0 : 1;
}
