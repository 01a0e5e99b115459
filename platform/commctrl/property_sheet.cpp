// The wizard sheet: a modal dialog that holds the buttons, lays out the
// pages' area from the largest page, and moves between pages as the pages'
// answers to the PSN_ notifications say.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/commctrl/button.h"
#include "platform/commctrl/property_sheet_internal.h"
#include "platform/user/dialog_box_filtered.h"
#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using namespace trelwin::commctrl::sheet;

namespace {

// Layout in dialog units of the sheet's font.
constexpr int kMarginDlu = 7;
constexpr int kHeaderDlu = 36;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kHelpGapDlu = 4;

Sheet* SheetOf(HWND hDlg) { return reinterpret_cast<Sheet*>(GetWindowLongPtrA(hDlg, DWLP_USER)); }

LRESULT Notify(Sheet& sheet, HPROPSHEETPAGE page, UINT code, LPARAM lParam = 0) {
    if (!page->hwnd || !IsWindow(page->hwnd)) return 0;
    PSHNOTIFY notify{};
    notify.hdr.hwndFrom = sheet.hwnd;
    notify.hdr.idFrom = 0;
    notify.hdr.code = code;
    notify.lParam = lParam;
    return SendMessageA(page->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

HPROPSHEETPAGE CurrentPage(const Sheet& sheet) {
    return sheet.current >= 0 ? sheet.pages[static_cast<size_t>(sheet.current)] : nullptr;
}

int IndexOfPage(const Sheet& sheet, HPROPSHEETPAGE page) {
    auto found = std::find(sheet.pages.begin(), sheet.pages.end(), page);
    return found == sheet.pages.end() ? -1 : static_cast<int>(found - sheet.pages.begin());
}

// A page's answer that names another page: its template id, or the page
// object itself.
int IndexOfAnswer(const Sheet& sheet, LRESULT answer) {
    for (size_t i = 0; i < sheet.pages.size(); ++i) {
        if (TemplateIdOf(sheet.pages[i]) == answer || reinterpret_cast<LRESULT>(sheet.pages[i]) == answer) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Usable(HWND hwnd) { return hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

void UpdateDefaultButton(Sheet& sheet) {
    int id = 0;
    if (Usable(GetDlgItem(sheet.hwnd, ID_WIZFINISH))) {
        id = ID_WIZFINISH;
    } else if (Usable(GetDlgItem(sheet.hwnd, ID_WIZNEXT))) {
        id = ID_WIZNEXT;
    }
    SendMessageA(sheet.hwnd, DM_SETDEFID, static_cast<WPARAM>(id), 0);
    // A button that went away must not keep the keyboard.
    HWND focus = GetFocus();
    if (!focus || !IsChild(sheet.hwnd, focus) || !IsWindowVisible(focus) || !IsWindowEnabled(focus)) {
        HWND next = id ? GetDlgItem(sheet.hwnd, id) : GetNextDlgTabItem(sheet.hwnd, nullptr, FALSE);
        if (next) SendMessageA(sheet.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
}

void SetWizButtons(Sheet& sheet, DWORD flags) {
    sheet.wizButtons = flags;
    const bool hasFinish = (sheet.header.dwFlags & PSH_WIZARDHASFINISH) != 0;
    const bool finishShown = hasFinish || (flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH));
    const bool nextShown = hasFinish || !finishShown;
    HWND back = GetDlgItem(sheet.hwnd, ID_WIZBACK);
    HWND next = GetDlgItem(sheet.hwnd, ID_WIZNEXT);
    HWND finish = GetDlgItem(sheet.hwnd, ID_WIZFINISH);
    EnableWindow(back, (flags & PSWIZB_BACK) != 0);
    EnableWindow(next, (flags & PSWIZB_NEXT) != 0);
    EnableWindow(finish, (flags & PSWIZB_FINISH) != 0 || (hasFinish && !(flags & PSWIZB_DISABLEDFINISH)));
    ShowWindow(next, nextShown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(finish, finishShown ? SW_SHOWNA : SW_HIDE);
    UpdateDefaultButton(sheet);
}

void ShowPage(Sheet& sheet, int index) {
    HPROPSHEETPAGE previous = CurrentPage(sheet);
    HPROPSHEETPAGE page = sheet.pages[static_cast<size_t>(index)];
    sheet.current = index;
    ShowWindow(page->hwnd, SW_SHOWNA);
    if (previous && previous != page && previous->hwnd) ShowWindow(previous->hwnd, SW_HIDE);
    // The header shows the new page's texts.
    RECT top{};
    GetClientRect(sheet.hwnd, &top);
    top.bottom = sheet.separatorTop + 2;
    InvalidateRect(sheet.hwnd, &top, TRUE);
    HWND first = GetNextDlgTabItem(page->hwnd, nullptr, FALSE);
    if (first && IsChild(page->hwnd, first)) {
        SendMessageA(sheet.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    } else {
        UpdateDefaultButton(sheet);
    }
    const bool help = (page->psp()->dwFlags & PSP_HASHELP) != 0;
    EnableWindow(GetDlgItem(sheet.hwnd, IDHELP), help);
}

// Shows the page at `target`, or, when it declines, the one it names or the
// next one in `direction` (0: no other). The current page is asked first
// whether it may be left, when `askCurrent`.
bool Activate(Sheet& sheet, int target, int direction, bool askCurrent) {
    const int count = static_cast<int>(sheet.pages.size());
    if (target < 0 || target >= count) return false;
    if (askCurrent && sheet.current >= 0 && Notify(sheet, CurrentPage(sheet), PSN_KILLACTIVE)) return false;
    for (int tries = 0; tries <= count && target >= 0 && target < count; ++tries) {
        HPROPSHEETPAGE page = sheet.pages[static_cast<size_t>(target)];
        if (!CreatePageWindow(sheet, page)) {
            if (!direction) return false;
            target += direction;
            continue;
        }
        const LRESULT answer = Notify(sheet, page, PSN_SETACTIVE);
        if (answer == 0) {
            ShowPage(sheet, target);
            return true;
        }
        if (answer == -1) {
            if (!direction) return false;
            target += direction;
            continue;
        }
        target = IndexOfAnswer(sheet, answer);
    }
    return false;
}

// Back (-1) or Next (+1): the page may keep the wizard where it is (-1),
// let it move on (0) or name the page to go to.
void Move(Sheet& sheet, int direction) {
    HPROPSHEETPAGE page = CurrentPage(sheet);
    if (!page) return;
    const LRESULT answer = Notify(sheet, page, direction > 0 ? PSN_WIZNEXT : PSN_WIZBACK);
    if (answer == -1) return;
    const int target = answer == 0 ? sheet.current + direction : IndexOfAnswer(sheet, answer);
    if (target < 0 || target >= static_cast<int>(sheet.pages.size()) || target == sheet.current) return;
    Activate(sheet, target, direction, true);
}

void Finish(Sheet& sheet) {
    HPROPSHEETPAGE page = CurrentPage(sheet);
    if (page && Notify(sheet, page, PSN_WIZFINISH)) return;
    EndDialog(sheet.hwnd, 1);
}

void Cancel(Sheet& sheet) {
    HWND cancel = GetDlgItem(sheet.hwnd, IDCANCEL);
    if (cancel && !IsWindowEnabled(cancel)) return;
    HPROPSHEETPAGE page = CurrentPage(sheet);
    if (page && Notify(sheet, page, PSN_QUERYCANCEL)) return;
    for (HPROPSHEETPAGE each : sheet.pages) Notify(sheet, each, PSN_RESET);
    EndDialog(sheet.hwnd, 0);
}

void PressButton(Sheet& sheet, WPARAM button) {
    int id = 0;
    switch (button) {
    case PSBTN_BACK: id = ID_WIZBACK; break;
    case PSBTN_NEXT: id = ID_WIZNEXT; break;
    case PSBTN_FINISH: id = ID_WIZFINISH; break;
    case PSBTN_CANCEL: id = IDCANCEL; break;
    case PSBTN_HELP: id = IDHELP; break;
    default: return;
    }
    HWND control = GetDlgItem(sheet.hwnd, id);
    if (!Usable(control)) return;
    SendMessageA(sheet.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

BOOL RemovePage(Sheet& sheet, int index, HPROPSHEETPAGE page) {
    if (page) index = IndexOfPage(sheet, page);
    if (index < 0 || index >= static_cast<int>(sheet.pages.size())) return FALSE;
    HPROPSHEETPAGE removed = sheet.pages[static_cast<size_t>(index)];
    if (index == sheet.current) {
        // Another page takes its place: the next one, else the previous one.
        const int count = static_cast<int>(sheet.pages.size());
        if (!(index + 1 < count && Activate(sheet, index + 1, 1, false)) &&
            !(index > 0 && Activate(sheet, index - 1, -1, false))) {
            sheet.current = -1;
        }
    }
    sheet.pages.erase(sheet.pages.begin() + index);
    if (sheet.current > index) --sheet.current;
    DestroyPage(removed);
    if (sheet.current < 0) InvalidateRect(sheet.hwnd, nullptr, TRUE);
    return TRUE;
}

void SetHeaderText(Sheet& sheet, WPARAM index, LPARAM text, bool title) {
    if (index >= sheet.pages.size()) return;
    HPROPSHEETPAGE page = sheet.pages[index];
    std::string value = TextOf(page->psp()->hInstance, reinterpret_cast<LPCSTR>(text));
    (title ? page->headerTitle : page->headerSubTitle) = std::move(value);
    if (static_cast<int>(index) == sheet.current) {
        RECT band{};
        GetClientRect(sheet.hwnd, &band);
        band.bottom = sheet.headerHeight;
        InvalidateRect(sheet.hwnd, &band, TRUE);
    }
}

RECT Dlu(HWND hDlg, int x, int y, int cx, int cy) {
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(hDlg, &r);
    return r;
}

// Sizes the sheet from the largest page, places the page areas and the
// buttons, and centres the sheet over its owner or the work area.
void Layout(Sheet& sheet) {
    HWND hDlg = sheet.hwnd;
    const RECT unit = Dlu(hDlg, 0, 0, kMarginDlu, kHeaderDlu);
    const int margin = unit.right, headerHeight = unit.bottom;
    const RECT button = Dlu(hDlg, 0, 0, kButtonWidthDlu, kButtonHeightDlu);
    const int bw = button.right, bh = button.bottom;
    const int helpGap = Dlu(hDlg, 0, 0, kHelpGapDlu, 0).right;
    const SIZE watermark = [&] {
        BITMAP info{};
        if (sheet.watermark && GetObjectA(sheet.watermark, sizeof(info), &info)) {
            return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
        }
        return SIZE{0, 0};
    }();
    sheet.margin = margin;
    sheet.headerHeight = IsWizard97(sheet) && (sheet.header.dwFlags & PSH_HEADER) ? headerHeight : 0;

    int width = 4 * bw + 2 * margin, areaHeight = 0, exteriorHeight = watermark.cy;
    for (HPROPSHEETPAGE page : sheet.pages) {
        const RECT size = Dlu(hDlg, 0, 0, page->dialog->cx, page->dialog->cy);
        if (HasHeader(sheet, page)) {
            width = std::max<int>(width, size.right + 2 * margin);
            areaHeight = std::max<int>(areaHeight, sheet.headerHeight + margin + size.bottom + margin);
        } else if (IsWizard97(sheet)) {
            width = std::max<int>(width, watermark.cx + size.right);
            exteriorHeight = std::max<int>(exteriorHeight, size.bottom);
        } else {
            width = std::max<int>(width, size.right + 2 * margin);
            areaHeight = std::max<int>(areaHeight, size.bottom + 2 * margin);
        }
    }
    areaHeight = std::max(areaHeight, exteriorHeight);
    if (IsWizard97(sheet)) {
        sheet.interiorPage = RECT{margin, sheet.headerHeight + margin, width - margin, areaHeight - margin};
        sheet.exteriorPage = RECT{watermark.cx, 0, width, areaHeight};
    } else {
        sheet.interiorPage = sheet.exteriorPage = RECT{margin, margin, width - margin, areaHeight - margin};
    }
    sheet.separatorTop = areaHeight;
    const int buttonsTop = areaHeight + 2 + margin;
    const int height = buttonsTop + bh + margin;

    const bool help = (sheet.header.dwFlags & PSH_HASHELP) != 0;
    int x = width - margin - bw;
    if (help) {
        MoveWindow(GetDlgItem(hDlg, IDHELP), x, buttonsTop, bw, bh, FALSE);
        x -= helpGap + bw;
    }
    ShowWindow(GetDlgItem(hDlg, IDHELP), help ? SW_SHOWNA : SW_HIDE);
    MoveWindow(GetDlgItem(hDlg, IDCANCEL), x, buttonsTop, bw, bh, FALSE);
    x -= margin + bw;
    if (sheet.header.dwFlags & PSH_WIZARDHASFINISH) {
        MoveWindow(GetDlgItem(hDlg, ID_WIZFINISH), x, buttonsTop, bw, bh, FALSE);
        x -= margin + bw;
    } else {
        MoveWindow(GetDlgItem(hDlg, ID_WIZFINISH), x, buttonsTop, bw, bh, FALSE);
    }
    MoveWindow(GetDlgItem(hDlg, ID_WIZNEXT), x, buttonsTop, bw, bh, FALSE);
    MoveWindow(GetDlgItem(hDlg, ID_WIZBACK), x - bw, buttonsTop, bw, bh, FALSE);

    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hDlg, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hDlg, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT around{};
    HWND owner = GetWindow(hDlg, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &around)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    }
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int left = around.left + (around.right - around.left - w) / 2;
    int top = around.top + (around.bottom - around.top - h) / 2;
    left = std::max<int>(work.left, std::min<int>(left, work.right - w));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - h));
    SetWindowPos(hDlg, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT BoldFontOf(HWND hDlg) {
    LOGFONTA lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageA(hDlg, WM_GETFONT, 0, 0));
    if (!GetObjectA(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf)) {
        return nullptr;
    }
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&lf);
}

void Initialise(Sheet& sheet) {
    sheet.titleFont = BoldFontOf(sheet.hwnd);
    Layout(sheet);
    SetWizButtons(sheet, sheet.wizButtons);
    if (sheet.header.pszCaption) {
        const std::string caption = TextOf(sheet.header.hInstance, sheet.header.pszCaption);
        SetWindowTextA(sheet.hwnd, (sheet.header.dwFlags & PSH_PROPTITLE) ? ("Properties for " + caption).c_str()
                                                                           : caption.c_str());
    }
    if (sheet.header.dwFlags & PSH_USEHICON) {
        SendMessageA(sheet.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(sheet.header.hIcon));
        SendMessageA(sheet.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(sheet.header.hIcon));
    }
    int start = 0;
    if (sheet.header.dwFlags & PSH_USEPSTARTPAGE) {
        const std::string wanted = TextOf(sheet.header.hInstance, sheet.header.pStartPage);
        for (size_t i = 0; i < sheet.pages.size(); ++i) {
            const PROPSHEETPAGEA* psp = sheet.pages[i]->psp();
            if ((psp->dwFlags & PSP_USETITLE) && TextOf(psp->hInstance, psp->pszTitle) == wanted) {
                start = static_cast<int>(i);
            }
        }
    } else if (sheet.header.nStartPage < sheet.pages.size()) {
        start = static_cast<int>(sheet.header.nStartPage);
    }
    if (!Activate(sheet, start, 1, false)) Activate(sheet, 0, 1, false);
    if (sheet.header.dwFlags & PSH_USECALLBACK && sheet.header.pfnCallback) {
        sheet.header.pfnCallback(sheet.hwnd, PSCB_INITIALIZED, 0);
    }
}

INT_PTR Result(HWND hDlg, LRESULT value) {
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR SheetMessage(Sheet& sheet, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hDlg = sheet.hwnd;
    switch (msg) {
    case PSM_SETWIZBUTTONS: SetWizButtons(sheet, static_cast<DWORD>(lParam)); return Result(hDlg, 0);
    case PSM_PRESSBUTTON: PressButton(sheet, wParam); return Result(hDlg, 0);
    case PSM_SETCURSEL: {
        auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam);
        const int target = page ? IndexOfPage(sheet, page) : static_cast<int>(wParam);
        if (target == sheet.current && target >= 0) return Result(hDlg, TRUE);
        return Result(hDlg, Activate(sheet, target, target > sheet.current ? 1 : -1, true));
    }
    case PSM_SETCURSELID: {
        const int target = IndexOfAnswer(sheet, lParam);
        if (target == sheet.current && target >= 0) return Result(hDlg, TRUE);
        return Result(hDlg, Activate(sheet, target, target > sheet.current ? 1 : -1, true));
    }
    case PSM_REMOVEPAGE:
        return Result(hDlg, RemovePage(sheet, static_cast<int>(wParam), reinterpret_cast<HPROPSHEETPAGE>(lParam)));
    case PSM_ADDPAGE: {
        auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam);
        if (!page || IndexOfPage(sheet, page) >= 0) return Result(hDlg, FALSE);
        sheet.pages.push_back(page);
        return Result(hDlg, TRUE);
    }
    case PSM_GETCURRENTPAGEHWND: {
        HPROPSHEETPAGE page = CurrentPage(sheet);
        return Result(hDlg, page ? reinterpret_cast<LRESULT>(page->hwnd) : 0);
    }
    case PSM_SETTITLEA: {
        const std::string text = TextOf(sheet.header.hInstance, reinterpret_cast<LPCSTR>(lParam));
        SetWindowTextA(hDlg, (wParam & PSH_PROPTITLE) ? ("Properties for " + text).c_str() : text.c_str());
        return Result(hDlg, 0);
    }
    case PSM_SETHEADERTITLEA: SetHeaderText(sheet, wParam, lParam, true); return Result(hDlg, 0);
    case PSM_SETHEADERSUBTITLEA: SetHeaderText(sheet, wParam, lParam, false); return Result(hDlg, 0);
    case PSM_CANCELTOCLOSE:
        SetDlgItemTextA(hDlg, IDCANCEL, "Close");
        return Result(hDlg, 0);
    case PSM_CHANGED:
    case PSM_UNCHANGED: return Result(hDlg, 0);
    case PSM_ISDIALOGMESSAGE: return Result(hDlg, IsDialogMessageA(hDlg, reinterpret_cast<LPMSG>(lParam)));
    case PSM_HWNDTOINDEX:
        for (size_t i = 0; i < sheet.pages.size(); ++i) {
            if (sheet.pages[i]->hwnd && sheet.pages[i]->hwnd == reinterpret_cast<HWND>(wParam)) {
                return Result(hDlg, static_cast<LRESULT>(i));
            }
        }
        return Result(hDlg, -1);
    case PSM_INDEXTOHWND:
        return Result(hDlg, wParam < sheet.pages.size() ? reinterpret_cast<LRESULT>(sheet.pages[wParam]->hwnd) : 0);
    case PSM_PAGETOINDEX: return Result(hDlg, IndexOfPage(sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam)));
    case PSM_INDEXTOPAGE:
        return Result(hDlg, wParam < sheet.pages.size() ? reinterpret_cast<LRESULT>(sheet.pages[wParam]) : 0);
    default: return FALSE;
    }
}

INT_PTR CALLBACK SheetProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* sheet = reinterpret_cast<Sheet*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        sheet->hwnd = hDlg;
        Initialise(*sheet);
        return FALSE;  // the page placed the focus
    }
    Sheet* sheet = SheetOf(hDlg);
    if (!sheet) return FALSE;
    if (msg >= PSM_SETCURSEL && msg <= PSM_INDEXTOPAGE) return SheetMessage(*sheet, msg, wParam, lParam);
    switch (msg) {
    case WM_COMMAND: {
        auto control = reinterpret_cast<HWND>(lParam);
        // Enter on a page's push button reaches the sheet: the page is the
        // button's parent and hears of it.
        if (control && GetParent(control) != hDlg && IsChild(hDlg, control)) {
            SendMessageA(GetParent(control), WM_COMMAND, wParam, lParam);
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case ID_WIZBACK: Move(*sheet, -1); break;
        case ID_WIZNEXT: Move(*sheet, 1); break;
        case ID_WIZFINISH: Finish(*sheet); break;
        case IDCANCEL: Cancel(*sheet); break;
        case IDOK:
            // Enter with no default button: whichever of Finish and Next is offered.
            if (Usable(GetDlgItem(hDlg, ID_WIZFINISH))) {
                Finish(*sheet);
            } else if (Usable(GetDlgItem(hDlg, ID_WIZNEXT))) {
                Move(*sheet, 1);
            }
            break;
        case IDHELP:
            if (HPROPSHEETPAGE page = CurrentPage(*sheet)) Notify(*sheet, page, PSN_HELP);
            break;
        default: return FALSE;
        }
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hDlg, &ps);
        PaintSheet(*sheet, hdc);
        EndPaint(hDlg, &ps);
        return TRUE;
    }
    default: return FALSE;
    }
}

// The sheet's pages from the header: made from the descriptions, or the
// given page objects (which the sheet then owns).
bool CollectPages(const PROPSHEETHEADERA& header, std::vector<HPROPSHEETPAGE>* pages) {
    if (header.dwFlags & PSH_PROPSHEETPAGE) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(header.ppsp);
        for (UINT i = 0; i < header.nPages; ++i) {
            auto* psp = reinterpret_cast<LPCPROPSHEETPAGEA>(bytes);
            HPROPSHEETPAGE page = CreatePropertySheetPageA(psp);
            if (!page) {
                for (HPROPSHEETPAGE made : *pages) DestroyPage(made);
                pages->clear();
                return false;
            }
            pages->push_back(page);
            bytes += psp->dwSize;
        }
        return true;
    }
    for (UINT i = 0; i < header.nPages; ++i) {
        if (header.phpage[i]) pages->push_back(header.phpage[i]);
    }
    return true;
}

}  // namespace

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
    if (!lppsph || lppsph->nPages == 0 || (!lppsph->ppsp && !lppsph->phpage) ||
        lppsph->dwSize < offsetof(PROPSHEETHEADERA, pfnCallback)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Sheet sheet;
    std::memcpy(&sheet.header, lppsph, std::min<size_t>(lppsph->dwSize, sizeof(PROPSHEETHEADERA)));
    if (lppsph->dwSize < sizeof(PROPSHEETHEADERA)) {
        sheet.header.dwFlags &= ~(PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK);
    }
    if (!CollectPages(sheet.header, &sheet.pages) || sheet.pages.empty()) {
        if (GetLastError() == 0) SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    LoadSheetImages(sheet);

    using trelwin::user::DialogItemTemplate;
    const DialogItemTemplate items[] = {
        {"BUTTON", "< &Back", ID_WIZBACK, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 0, 0, 0, 0},
        {"BUTTON", "&Next >", ID_WIZNEXT, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0},
        {"BUTTON", "Finish", ID_WIZFINISH, WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0},
        {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0},
        {"BUTTON", "&Help", IDHELP, WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0},
    };
    DLGTEMPLATE tmpl{};
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
    // A sheet that no window owns is the program's own window: it can go to
    // the task bar (an owned one goes with its owner).
    if (!sheet.header.hwndParent) tmpl.style |= WS_MINIMIZEBOX;
    tmpl.exStyle = WS_EX_CONTROLPARENT;
    tmpl.cx = 300;
    tmpl.cy = 200;
    tmpl.caption = "";
    tmpl.fontName = "MS Sans Serif";
    tmpl.pointSize = 8;
    tmpl.items = items;
    tmpl.itemCount = std::size(items);
    SetLastError(0);
    const INT_PTR result =
        trelwin::user::DialogBoxIndirectFiltered(sheet.header.hInstance, &tmpl, sheet.header.hwndParent, SheetProc,
                                                 reinterpret_cast<LPARAM>(&sheet), {});
    for (HPROPSHEETPAGE page : sheet.pages) DestroyPage(page);
    FreeSheetImages(sheet);
    return result < 0 ? -1 : result;
}
