// The message box: a dialog template made for the call, laid out in pixels
// when the dialog starts, from the size the wrapped text takes.
#include "platform/user/message_box.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "platform/user/cursors.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/geometry.h"
#include "platform/user/message_functions.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_class.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using namespace trelwin::user;
using namespace trelwin::user::dialog;

namespace {

constexpr int kTextId = 0xFFFF;
constexpr char kTextClass[] = "MessageBoxText";
// Pixels of the classic layout at the screen's resolution (the numbers
// are those of 96 dpi).
struct Spacing {
    int margin = ScaleToScreen(11);
    int iconSize = GetSystemMetrics(SM_CXICON);
    int iconGap = ScaleToScreen(12);
    int buttonWidth = ScaleToScreen(75);
    int buttonHeight = ScaleToScreen(23);
    int buttonGap = ScaleToScreen(6);
    int textButtonGap = ScaleToScreen(14);
};

struct ButtonSpec {
    int id;
    LPCSTR text;
};

struct MessageBoxContext {
    std::vector<ButtonSpec> buttons;
    int defaultIndex = 0;
    int escapeId = 0;  // 0: Esc does nothing
    HICON icon = nullptr;
    LPCSTR text = "";
    RECT iconRect{};
};

bool ButtonsOf(UINT type, std::vector<ButtonSpec>* buttons) {
    const ButtonSpec ok{IDOK, "OK"}, cancel{IDCANCEL, "Cancel"}, yes{IDYES, "&Yes"}, no{IDNO, "&No"},
        retry{IDRETRY, "&Retry"}, abort{IDABORT, "&Abort"}, ignore{IDIGNORE, "&Ignore"},
        tryAgain{IDTRYAGAIN, "&Try Again"}, cont{IDCONTINUE, "&Continue"};
    switch (type & MB_TYPEMASK) {
    case MB_OK: *buttons = {ok}; return true;
    case MB_OKCANCEL: *buttons = {ok, cancel}; return true;
    case MB_ABORTRETRYIGNORE: *buttons = {abort, retry, ignore}; return true;
    case MB_YESNOCANCEL: *buttons = {yes, no, cancel}; return true;
    case MB_YESNO: *buttons = {yes, no}; return true;
    case MB_RETRYCANCEL: *buttons = {retry, cancel}; return true;
    case MB_CANCELTRYCONTINUE: *buttons = {cancel, tryAgain, cont}; return true;
    default: return false;
    }
}

HICON IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return LoadIconA(nullptr, IDI_HAND);
    case MB_ICONQUESTION: return LoadIconA(nullptr, IDI_QUESTION);
    case MB_ICONEXCLAMATION: return LoadIconA(nullptr, IDI_EXCLAMATION);
    case MB_ICONASTERISK: return LoadIconA(nullptr, IDI_ASTERISK);
    default: return nullptr;
    }
}

constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

// The text of the box: drawn wrapped to its width in the dialog's font and
// colours, as a static control shows it.
LRESULT CALLBACK TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFONT:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return TRUE;  // painted with the text
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
        if (brush) FillRect(hdc, &client, brush);
        HGDIOBJ previous = nullptr;
        if (auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) previous = SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        const std::string text = WindowTextOf(hwnd);
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &client, kTextFormat);
        if (previous) SelectObject(hdc, previous);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterTextClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TextProc;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kTextClass;
        RegisterClassA(&wc);
    });
}

SIZE TextExtent(HFONT font, LPCSTR text, int maxWidth, UINT format) {
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    RECT rect{0, 0, maxWidth, 0};
    DrawTextA(hdc, text, -1, &rect, format | DT_CALCRECT);
    SelectObject(hdc, previous);
    DeleteDC(hdc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Places the icon, the text and the buttons, sizes the box around them and
// centres it on the work area.
void Layout(HWND hDlg, MessageBoxContext& box) {
    const Spacing g;
    auto font = reinterpret_cast<HFONT>(SendMessageA(hDlg, WM_GETFONT, 0, 0));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int textLeft = g.margin + (box.icon ? g.iconSize + g.iconGap : 0);
    const int maxText = std::max(100, (work.right - work.left) * 5 / 8 - textLeft - g.margin);
    const SIZE text = TextExtent(font, box.text, maxText, kTextFormat);

    const int count = static_cast<int>(box.buttons.size());
    const int buttonsWidth = count * g.buttonWidth + (count - 1) * g.buttonGap;
    const std::string caption = WindowTextOf(hDlg);
    const SIZE captionSize = TextExtent(font, caption.c_str(), 10000, DT_SINGLELINE | DT_NOPREFIX);
    int clientWidth = std::max(textLeft + text.cx + g.margin, buttonsWidth + 2 * g.margin);
    clientWidth = std::max(clientWidth, static_cast<int>(captionSize.cx) + 2 * GetSystemMetrics(SM_CXSIZE));

    int textTop = g.margin;
    int contentBottom = g.margin + text.cy;
    if (box.icon) {
        if (text.cy < g.iconSize) textTop = g.margin + (g.iconSize - text.cy) / 2;
        contentBottom = std::max(textTop + static_cast<int>(text.cy), g.margin + g.iconSize);
        box.iconRect = RECT{g.margin, g.margin, g.margin + g.iconSize, g.margin + g.iconSize};
    }
    MoveWindow(GetDlgItem(hDlg, kTextId), textLeft, textTop, text.cx, text.cy, FALSE);

    const int buttonsTop = contentBottom + g.textButtonGap;
    int x = (clientWidth - buttonsWidth) / 2;
    for (const ButtonSpec& button : box.buttons) {
        MoveWindow(GetDlgItem(hDlg, button.id), x, buttonsTop, g.buttonWidth, g.buttonHeight, FALSE);
        x += g.buttonWidth + g.buttonGap;
    }
    RECT frame{0, 0, clientWidth, buttonsTop + g.buttonHeight + g.margin};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hDlg, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hDlg, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hDlg, nullptr, work.left + std::max(0, (work.right - work.left - width) / 2),
                 work.top + std::max(0, (work.bottom - work.top - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK MessageBoxProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<MessageBoxContext*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        box = reinterpret_cast<MessageBoxContext*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        Layout(hDlg, *box);
        const int defaultId = box->buttons[static_cast<size_t>(box->defaultIndex)].id;
        SendMessageA(hDlg, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
        SetDialogFocus(hDlg, GetDlgItem(hDlg, defaultId));
        return FALSE;  // the focus is placed
    }
    case WM_COMMAND: {
        if (!box) return FALSE;
        const int id = LOWORD(wParam);
        for (const ButtonSpec& button : box->buttons) {
            if (button.id == id) {
                EndDialog(hDlg, id);
                return TRUE;
            }
        }
        if (id == IDCANCEL && box->escapeId) EndDialog(hDlg, box->escapeId);
        return TRUE;
    }
    case WM_PAINT: {
        if (!box || !box->icon) return FALSE;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hDlg, &ps);
        DrawIcon(hdc, box->iconRect.left, box->iconRect.top, box->icon);
        EndPaint(hDlg, &ps);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

int ReportUnshown(LPCSTR text, LPCSTR caption) {
    const DWORD error = GetLastError();
    std::fprintf(stderr, "%s: %s\n", caption, text);
    SetLastError(error);
    return 0;
}

}  // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    LPCSTR text = lpText ? lpText : "";
    LPCSTR caption = lpCaption ? lpCaption : "Error";
    MessageBoxContext box;
    if (!ButtonsOf(uType, &box.buttons)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ReportUnshown(text, caption);
    }
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return ReportUnshown(text, caption);
    }
    box.text = text;
    box.icon = IconOf(uType);
    const int defaultIndex = static_cast<int>((uType & MB_DEFMASK) >> 8);
    box.defaultIndex = defaultIndex < static_cast<int>(box.buttons.size()) ? defaultIndex : 0;
    for (const ButtonSpec& button : box.buttons) {
        if (button.id == IDCANCEL) box.escapeId = IDCANCEL;
    }
    if ((uType & MB_TYPEMASK) == MB_OK) box.escapeId = IDOK;
    RegisterTextClass();

    std::vector<DialogItemTemplate> items;
    constexpr DWORD kNoPrefix = 0x0080;  // its '&' are text, not mnemonics
    items.push_back({kTextClass, text, kTextId, WS_VISIBLE | WS_GROUP | kNoPrefix, 0, 0, 0, 0, 0});
    for (size_t i = 0; i < box.buttons.size(); ++i) {
        const bool isDefault = static_cast<int>(i) == box.defaultIndex;
        DWORD style = WS_VISIBLE | WS_TABSTOP | (isDefault ? kBsDefPushButton : kBsPushButton);
        if (i == 0) style |= WS_GROUP;
        items.push_back({"BUTTON", box.buttons[i].text, box.buttons[i].id, style, 0, 0, 0, 0, 0});
    }
    DLGTEMPLATE tmpl{};
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_NOIDLEMSG;
    tmpl.exStyle = (uType & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0;
    tmpl.cx = 100;
    tmpl.cy = 50;
    tmpl.caption = caption;
    tmpl.fontName = "MS Sans Serif";
    tmpl.pointSize = 8;
    tmpl.items = items.data();
    tmpl.itemCount = items.size();
    const INT_PTR result =
        DialogBoxIndirectParamA(nullptr, &tmpl, hWnd, MessageBoxProc, reinterpret_cast<LPARAM>(&box));
    if (result <= 0) return ReportUnshown(text, caption);
    return static_cast<int>(result);
}

int WINAPI MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, WORD) {
    return MessageBoxA(hWnd, lpText, lpCaption, uType);
}
