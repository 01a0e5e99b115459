// Dialogs from templates: creation, the modal loop, EndDialog and the
// dialog class's default handling.
#include "platform/user/dialog_manager.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "platform/user/cursors.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/modal_loop.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_class.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace trelwin::user::dialog {

namespace {

std::mutex& StateLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::map<HWND, DialogState>& States() {
    static auto* states = new std::map<HWND, DialogState>;
    return *states;
}

}  // namespace

void AddState(HWND hDlg, const DialogState& state) {
    std::lock_guard<std::mutex> guard(StateLock());
    States()[hDlg] = state;
}

bool GetState(HWND hDlg, DialogState* state) {
    std::lock_guard<std::mutex> guard(StateLock());
    auto found = States().find(hDlg);
    if (found == States().end()) return false;
    if (state) *state = found->second;
    return true;
}

void ChangeState(HWND hDlg, void (*change)(DialogState&, void*), void* context) {
    std::lock_guard<std::mutex> guard(StateLock());
    auto found = States().find(hDlg);
    if (found != States().end()) change(found->second, context);
}

void RemoveState(HWND hDlg) {
    DialogState state;
    {
        std::lock_guard<std::mutex> guard(StateLock());
        auto found = States().find(hDlg);
        if (found == States().end()) return;
        state = found->second;
        States().erase(found);
    }
    if (state.ownsFont && state.font) DeleteObject(state.font);
}

INT_PTR RunModalDialog(HWND hDlg, const std::function<bool(MSG&)>& filter) {
    UpdateState(hDlg, [](DialogState& s) { s.modal = true; });
    DialogState state;
    INT_PTR result = -1;
    if (GetState(hDlg, &state) && state.ended) {
        result = state.result;  // ended while it was being made
    } else {
        const HWND owner = GetWindow(hDlg, GW_OWNER);
        const bool disables = owner && IsWindowEnabled(owner);
        UpdateState(hDlg, [disables](DialogState& s) { s.ownerDisabled = disables; });
        ShowWindow(hDlg, SW_SHOWNORMAL);
        result = RunModalLoop(hDlg, owner, [hDlg, &filter](MSG& msg) {
            return filter ? filter(msg) : IsDialogMessageA(hDlg, &msg) != FALSE;
        });
        if (GetState(hDlg, &state) && state.ended) result = state.result;
    }
    if (IsWindow(hDlg)) DestroyWindow(hDlg);
    return result;
}

}  // namespace trelwin::user::dialog

using namespace trelwin::user;
using namespace trelwin::user::dialog;

namespace {

constexpr char kDialogClass[] = "#32770";

void RegisterDialogClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS | CS_SAVEBITS;
        wc.lpfnWndProc = DefDlgProcA;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kDialogClass;
        RegisterClassA(&wc);
    });
}

LPCSTR DialogClassName(LPCSTR className) {
    if (className == nullptr || className == WC_DIALOG) return kDialogClass;
    return className;
}

// The dialog font of a template with DS_SETFONT, or null for the system font.
HFONT CreateDialogFont(const DLGTEMPLATE& tmpl) {
    if (!(tmpl.style & DS_SETFONT) || tmpl.fontName == nullptr) return nullptr;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(tmpl.pointSize ? tmpl.pointSize : 8, dpi, 72);
    lf.lfWeight = tmpl.fontWeight ? tmpl.fontWeight : FW_NORMAL;
    lf.lfItalic = tmpl.fontItalic;
    std::strncpy(lf.lfFaceName, tmpl.fontName, sizeof(lf.lfFaceName) - 1);
    return CreateFontIndirectA(&lf);
}

// Where a top-level dialog's window goes: relative to its owner's client
// area unless DS_ABSALIGN, centred with DS_CENTER or DS_CENTERMOUSE, and
// moved as far as needed to be wholly on the work area.
POINT PlaceTopLevel(const DLGTEMPLATE& tmpl, POINT pos, SIZE size, HWND owner) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (tmpl.style & DS_CENTER) {
        pos.x = work.left + (work.right - work.left - size.cx) / 2;
        pos.y = work.top + (work.bottom - work.top - size.cy) / 2;
    } else if (tmpl.style & DS_CENTERMOUSE) {
        POINT cursor{};
        GetCursorPos(&cursor);
        pos.x = cursor.x - size.cx / 2;
        pos.y = cursor.y - size.cy / 2;
    } else if (owner && !(tmpl.style & DS_ABSALIGN)) {
        ClientToScreen(owner, &pos);
    }
    if (pos.x + size.cx > work.right) pos.x = work.right - size.cx;
    if (pos.y + size.cy > work.bottom) pos.y = work.bottom - size.cy;
    if (pos.x < work.left) pos.x = work.left;
    if (pos.y < work.top) pos.y = work.top;
    return pos;
}

// The first push button that shows itself as the default one.
int TemplateDefaultId(HWND hDlg) {
    for (HWND child = GetWindow(hDlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (DialogCodeOf(child) & DLGC_DEFPUSHBUTTON) return GetDlgCtrlID(child);
    }
    return 0;
}

bool CreateItems(HWND hDlg, HINSTANCE hInstance, const DLGTEMPLATE& tmpl, HFONT font, SIZE units) {
    for (size_t i = 0; i < tmpl.itemCount; ++i) {
        const trelwin::user::DialogItemTemplate& item = tmpl.items[i];
        LPCSTR className = DialogItemClassName(item.className);
        HWND control = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, className, item.text ? item.text : "",
                                       item.style | WS_CHILD, MulDiv(item.x, units.cx, 4), MulDiv(item.y, units.cy, 8),
                                       MulDiv(item.cx, units.cx, 4), MulDiv(item.cy, units.cy, 8), hDlg,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), hInstance, nullptr);
        if (!control) {
            if (tmpl.style & DS_NOFAILCREATE) continue;
            const DWORD error = GetLastError();
            if (IS_INTRESOURCE(className)) {
                std::fprintf(stderr, "Dialog control %d: window class #%u cannot be created\n", item.id,
                             static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(className)));
            } else {
                std::fprintf(stderr, "Dialog control %d: window class \"%s\" cannot be created\n", item.id, className);
            }
            SetLastError(error ? error : ERROR_CANNOT_FIND_WND_CLASS);
            return false;
        }
        if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

void SaveFocus(HWND hDlg);

HWND CreateDialogWindow(HINSTANCE hInstance, LPCDLGTEMPLATEA tmpl, HWND parent, DLGPROC proc, LPARAM init,
                        bool modal) {
    if (!tmpl || (tmpl->itemCount && !tmpl->items)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (parent && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    RegisterDialogClass();
    DWORD style = tmpl->style;
    DWORD exStyle = tmpl->exStyle;
    if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL) {
        style &= ~(WS_CAPTION | WS_SYSMENU);
        exStyle |= WS_EX_CONTROLPARENT;
    }
    const bool child = (style & WS_CHILD) != 0;
    HWND owner = parent;
    if (!child && owner) owner = GetAncestor(owner, GA_ROOT);

    DialogState state;
    state.font = CreateDialogFont(*tmpl);
    state.ownsFont = state.font != nullptr;
    state.baseUnits = BaseUnitsOf(state.font);
    state.proc = proc;
    state.modal = modal;
    const SIZE units = state.baseUnits;

    RECT frame{0, 0, MulDiv(tmpl->cx, units.cx, 4), MulDiv(tmpl->cy, units.cy, 8)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    POINT pos{MulDiv(tmpl->x, units.cx, 4), MulDiv(tmpl->y, units.cy, 8)};
    if (!child) pos = PlaceTopLevel(*tmpl, pos, size, owner);

    HWND hDlg = CreateWindowExA(exStyle, DialogClassName(tmpl->className), tmpl->caption ? tmpl->caption : "",
                                style & ~WS_VISIBLE, pos.x, pos.y, size.cx, size.cy, owner, nullptr, hInstance, nullptr);
    if (!hDlg) {
        if (state.ownsFont) DeleteObject(state.font);
        return nullptr;
    }
    SetLastError(0);
    SetWindowLongPtrA(hDlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (GetLastError() == 0) state.proc = nullptr;  // the window holds it
    AddState(hDlg, state);

    if (state.font) SendMessageA(hDlg, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    if (!CreateItems(hDlg, hInstance, *tmpl, state.font, units)) {
        const DWORD error = GetLastError();
        DestroyWindow(hDlg);
        SetLastError(error);
        return nullptr;
    }
    const int defId = TemplateDefaultId(hDlg);
    UpdateState(hDlg, [defId](DialogState& s) { s.defId = defId; });

    HWND first = GetNextDlgTabItem(hDlg, nullptr, FALSE);
    const LRESULT setFocus = SendMessageA(hDlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init);
    if (!IsWindow(hDlg)) return nullptr;
    if (setFocus && first && IsWindow(first)) {
        // A page inside another dialog only remembers where its focus goes.
        if (child) {
            UpdateState(hDlg, [first](DialogState& s) { s.savedFocus = first; });
        } else {
            SetDialogFocus(hDlg, first);
        }
    }
    // Showing the dialog activates it, which puts the focus back here.
    SaveFocus(hDlg);
    DialogState now;
    if ((tmpl->style & WS_VISIBLE) && !(GetState(hDlg, &now) && now.ended)) ShowWindow(hDlg, SW_SHOWNORMAL);
    return hDlg;
}

// Puts the focus back on the control that had it, or on the first tab stop.
void RestoreFocus(HWND hDlg) {
    const HWND focus = GetFocus();
    if (focus && IsChild(hDlg, focus)) return;
    DialogState state;
    GetState(hDlg, &state);
    if (state.savedFocus && IsWindow(state.savedFocus) && IsChild(hDlg, state.savedFocus)) {
        SetFocus(state.savedFocus);
        return;
    }
    if (HWND first = GetNextDlgTabItem(hDlg, nullptr, FALSE)) SetDialogFocus(hDlg, first);
}

void SaveFocus(HWND hDlg) {
    const HWND focus = GetFocus();
    if (focus && IsChild(hDlg, focus)) UpdateState(hDlg, [focus](DialogState& s) { s.savedFocus = focus; });
}

DLGPROC DialogProcOf(HWND hDlg) {
    SetLastError(0);
    const LONG_PTR stored = GetWindowLongPtrA(hDlg, DWLP_DLGPROC);
    if (stored || GetLastError() == 0) return reinterpret_cast<DLGPROC>(stored);
    DialogState state;
    return GetState(hDlg, &state) ? state.proc : nullptr;
}

LRESULT DefaultDialogHandling(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(hDlg, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hDlg)));
        if (!brush) return 0;
        RECT client{};
        GetClientRect(hDlg, &client);
        FillRect(hdc, &client, brush);
        return TRUE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            SaveFocus(hDlg);
        } else {
            RestoreFocus(hDlg);
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(hDlg);
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam) SaveFocus(hDlg);
        return DefWindowProcA(hDlg, msg, wParam, lParam);
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        if (cancel && !IsWindowEnabled(cancel)) return 0;
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, kBnClicked), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NEXTDLGCTL:
        NextDialogControl(hDlg, wParam, lParam);
        return 0;
    case DM_GETDEFID: {
        DialogState state;
        if (GetState(hDlg, &state) && state.defId) return MAKELRESULT(state.defId, DC_HASDEFID);
        return 0;
    }
    case DM_SETDEFID: {
        const int id = static_cast<int>(wParam);
        UpdateState(hDlg, [id](DialogState& s) { s.defId = id; });
        ShowDefaultButton(hDlg, GetFocus());
        return TRUE;
    }
    case WM_GETFONT: {
        DialogState state;
        return GetState(hDlg, &state) ? reinterpret_cast<LRESULT>(state.font) : 0;
    }
    case WM_SETFONT: {
        HFONT font = reinterpret_cast<HFONT>(wParam);
        HFONT toDelete = nullptr;
        UpdateState(hDlg, [font, &toDelete](DialogState& s) {
            if (s.font == font) return;
            if (s.ownsFont) toDelete = s.font;
            s.font = font;
            s.ownsFont = false;
        });
        if (toDelete) DeleteObject(toDelete);
        return 0;
    }
    case WM_NCDESTROY:
        RemoveState(hDlg);
        return DefWindowProcA(hDlg, msg, wParam, lParam);
    default:
        return DefWindowProcA(hDlg, msg, wParam, lParam);
    }
}

}  // namespace

bool trelwin::user::DialogProcReturnsResult(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (DLGPROC proc = DialogProcOf(hDlg)) {
        // A nested message may set DWLP_MSGRESULT too: each message starts
        // from 0 and gives the outer one its value back.
        const LONG_PTR outer = GetWindowLongPtrA(hDlg, DWLP_MSGRESULT);
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
        const INT_PTR handled = proc(hDlg, Msg, wParam, lParam);
        if (DialogProcReturnsResult(Msg)) {
            if (IsWindow(hDlg)) SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, outer);
            if (handled || Msg == WM_INITDIALOG) return handled;
        } else if (handled) {
            const LRESULT result = GetWindowLongPtrA(hDlg, DWLP_MSGRESULT);
            if (IsWindow(hDlg)) SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, outer);
            return result;
        } else if (IsWindow(hDlg)) {
            SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, outer);
        }
    }
    return DefaultDialogHandling(hDlg, Msg, wParam, lParam);
}

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM lParamInit) {
    return CreateDialogWindow(hInstance, lpTemplate, hWndParent, lpDialogFunc, lParamInit, false);
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    const DLGTEMPLATE* tmpl = FindDialogTemplate(hInstance, lpTemplateName);
    if (!tmpl) return nullptr;
    return CreateDialogIndirectParamA(hInstance, tmpl, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR trelwin::user::dialog::RunModalDialogFromTemplate(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate,
                                                            HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam,
                                                            const std::function<bool(HWND, MSG&)>& filter) {
    if (hDialogTemplate && (hDialogTemplate->style & WS_CHILD)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a modal dialog is a window of its own
        return -1;
    }
    HWND hDlg = CreateDialogWindow(hInstance, hDialogTemplate, hWndParent, lpDialogFunc, dwInitParam, true);
    if (!hDlg) return -1;
    if (!filter) return RunModalDialog(hDlg);
    return RunModalDialog(hDlg, [hDlg, &filter](MSG& msg) { return filter(hDlg, msg); });
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return RunModalDialogFromTemplate(hInstance, hDialogTemplate, hWndParent, lpDialogFunc, dwInitParam, {});
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    const DLGTEMPLATE* tmpl = FindDialogTemplate(hInstance, lpTemplateName);
    if (!tmpl) return -1;
    return DialogBoxIndirectParamA(hInstance, tmpl, hWndParent, lpDialogFunc, dwInitParam);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    DialogState state;
    if (!GetState(hDlg, &state)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    UpdateState(hDlg, [nResult](DialogState& s) {
        s.ended = true;
        s.result = nResult;
    });
    if (state.modal) {
        // The owner comes back before the dialog goes, so that it takes the
        // activation; an owner that was disabled before stays so.
        HWND owner = GetWindow(hDlg, GW_OWNER);
        if (owner && state.ownerDisabled) EnableWindow(owner, TRUE);
        EndModalLoop(hDlg, nResult);
    }
    ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}
