// The keyboard interface of dialogs: Tab and Shift+Tab between tab stops,
// arrow keys within groups, Enter for the default button, Esc for Cancel,
// each as far as the control with the focus leaves the key to the dialog
// (WM_GETDLGCODE).
#include <cctype>
#include <string>
#include <vector>

#include "platform/user/dialog_internal.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using namespace trelwin::user::dialog;

namespace {

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

// Shown and enabled by its own style; the dialog itself may still be
// hidden while it is being made.
bool Usable(HWND hwnd) { return (Style(hwnd) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE; }

// The dialog's controls in navigation order: children in z-order, where a
// usable child that holds controls of its own (WS_EX_CONTROLPARENT, such as
// a page inside a sheet) stands for its controls.
void CollectControls(HWND parent, std::vector<HWND>& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            if (Usable(child)) CollectControls(child, out);
        } else {
            out.push_back(child);
        }
    }
}

// The position of the control (or of the control that holds it) in the
// list, or -1.
int IndexOf(const std::vector<HWND>& controls, HWND hDlg, HWND hCtl) {
    for (HWND walk = hCtl; walk && walk != hDlg; walk = GetParent(walk)) {
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] == walk) return static_cast<int>(i);
        }
    }
    return -1;
}

bool FocusInDialog(HWND hDlg, HWND focus) { return focus && (focus == hDlg || IsChild(hDlg, focus)); }

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

void Command(HWND hDlg, int id, HWND control) {
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, kBnClicked), reinterpret_cast<LPARAM>(control));
}

void PressEnter(HWND hDlg, HWND focus, UINT focusCode) {
    if (FocusInDialog(hDlg, focus) && focus != hDlg && (focusCode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        if (IsWindowEnabled(focus)) Command(hDlg, GetDlgCtrlID(focus), focus);
        return;
    }
    const int id = DefaultId(hDlg);
    HWND button = GetDlgItem(hDlg, id);
    if (button && !IsWindowEnabled(button)) return;  // a disabled default button does nothing
    Command(hDlg, id, button);
}

void PressEscape(HWND hDlg) {
    HWND cancel = GetDlgItem(hDlg, IDCANCEL);
    if (cancel && !IsWindowEnabled(cancel)) return;
    Command(hDlg, IDCANCEL, cancel);
}

void MoveInGroup(HWND hDlg, HWND focus, bool previous) {
    HWND next = GetNextDlgGroupItem(hDlg, FocusInDialog(hDlg, focus) ? focus : nullptr, previous);
    if (!next || next == focus) return;
    SetDialogFocus(hDlg, next);
    // Arrows choose among radio buttons, as a click does.
    if (DialogCodeOf(next) & DLGC_RADIOBUTTON) SendMessageA(next, kBmClick, 0, 0);
}

constexpr DWORD kSsNoPrefix = 0x0080;

// Whether the text marks the character as its mnemonic ("&Yes" for y).
bool HasMnemonic(const std::string& text, char c) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::tolower(static_cast<unsigned char>(text[i + 1])) == std::tolower(static_cast<unsigned char>(c));
    }
    return false;
}

// The control whose mnemonic the character is, searched after the focus
// and round; a label stands for the control that follows it.
bool ChooseByMnemonic(HWND hDlg, char c) {
    if (c == ' ' || c == '&') return false;
    std::vector<HWND> controls;
    CollectControls(hDlg, controls);
    const int n = static_cast<int>(controls.size());
    if (n == 0) return false;
    const int at = IndexOf(controls, hDlg, GetFocus());
    for (int step = 1; step <= n; ++step) {
        HWND control = controls[static_cast<size_t>((at + step + n) % n)];
        if (!Usable(control)) continue;
        const UINT code = DialogCodeOf(control);
        if ((code & DLGC_STATIC) && (Style(control) & kSsNoPrefix)) continue;
        if (!HasMnemonic(WindowTextOf(control), c)) continue;
        if (code & DLGC_STATIC) {
            if (HWND next = GetNextDlgTabItem(hDlg, control, FALSE)) SetDialogFocus(hDlg, next);
        } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            SendMessageA(control, kBmClick, 0, 0);
        } else if (code & DLGC_BUTTON) {
            SetDialogFocus(hDlg, control);
            SendMessageA(control, kBmClick, 0, 0);
        } else {
            SetDialogFocus(hDlg, control);
        }
        return true;
    }
    return false;
}

BOOL Dispatch(const MSG* msg) {
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

}  // namespace

namespace trelwin::user::dialog {

UINT DialogCodeOf(HWND control, const MSG* msg) {
    if (!control || !IsWindow(control)) return 0;
    return static_cast<UINT>(SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0,
                                          reinterpret_cast<LPARAM>(msg)));
}

int DefaultId(HWND hDlg) {
    const LRESULT answer = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
    return HIWORD(answer) == DC_HASDEFID ? LOWORD(answer) : IDOK;
}

void ShowDefaultButton(HWND hDlg, HWND focus) {
    std::vector<HWND> controls;
    CollectControls(hDlg, controls);
    HWND wanted = nullptr;
    if (FocusInDialog(hDlg, focus) && focus != hDlg &&
        (DialogCodeOf(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        wanted = focus;
    } else {
        const LRESULT answer = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
        if (HIWORD(answer) == DC_HASDEFID) wanted = GetDlgItem(hDlg, LOWORD(answer));
    }
    for (HWND control : controls) {
        if (control != wanted && (DialogCodeOf(control) & DLGC_DEFPUSHBUTTON)) {
            SendMessageA(control, kBmSetStyle, kBsPushButton, TRUE);
        }
    }
    if (wanted && (DialogCodeOf(wanted) & DLGC_UNDEFPUSHBUTTON)) {
        SendMessageA(wanted, kBmSetStyle, kBsDefPushButton, TRUE);
    }
}

void SetDialogFocus(HWND hDlg, HWND control) {
    if (!control || !IsWindow(control)) return;
    if (DialogCodeOf(control) & DLGC_HASSETSEL) SendMessageA(control, kEmSetSel, 0, -1);
    SetFocus(control);
    ShowDefaultButton(hDlg, GetFocus());
}

void NextDialogControl(HWND hDlg, WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam)) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        target = GetNextDlgTabItem(hDlg, FocusInDialog(hDlg, focus) ? focus : nullptr, wParam != 0);
    }
    if (target && IsChild(hDlg, target)) SetDialogFocus(hDlg, target);
}

}  // namespace trelwin::user::dialog

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> controls;
    CollectControls(hDlg, controls);
    const int n = static_cast<int>(controls.size());
    int at = IndexOf(controls, hDlg, hCtl);
    if (at < 0) at = bPrevious ? 0 : n - 1;  // so that the walk starts at an end
    for (int step = 1; step <= n; ++step) {
        const int i = bPrevious ? (at - step + n) % n : (at + step) % n;
        if (Usable(controls[i]) && (Style(controls[i]) & WS_TABSTOP)) return controls[i];
    }
    return hCtl;
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> controls;
    CollectControls(hDlg, controls);
    const int n = static_cast<int>(controls.size());
    const int at = IndexOf(controls, hDlg, hCtl);
    if (at < 0) {
        for (HWND control : controls) {
            if (Usable(control)) return control;
        }
        return nullptr;
    }
    int first = at;
    while (first > 0 && !(Style(controls[first]) & WS_GROUP)) --first;
    int end = at + 1;
    while (end < n && !(Style(controls[end]) & WS_GROUP)) ++end;
    const int size = end - first;
    for (int step = 1; step < size; ++step) {
        const int offset = bPrevious ? (at - first - step + size) % size : (at - first + step) % size;
        if (Usable(controls[first + offset])) return controls[first + offset];
    }
    return hCtl;
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (!lpMsg || !hDlg || !IsWindow(hDlg)) return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
    switch (lpMsg->message) {
    case WM_KEYDOWN: {
        const UINT code = DialogCodeOf(lpMsg->hwnd, lpMsg);
        if (code & DLGC_WANTALLKEYS) return Dispatch(lpMsg);
        switch (lpMsg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) return Dispatch(lpMsg);
            SendMessageA(hDlg, WM_NEXTDLGCTL, ShiftDown() ? 1 : 0, 0);
            return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (code & DLGC_WANTARROWS) return Dispatch(lpMsg);
            MoveInGroup(hDlg, GetFocus(), lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP);
            return TRUE;
        case VK_RETURN:
            PressEnter(hDlg, GetFocus(), DialogCodeOf(GetFocus(), lpMsg));
            return TRUE;
        case VK_ESCAPE:
            PressEscape(hDlg);
            return TRUE;
        default:
            return Dispatch(lpMsg);
        }
    }
    case WM_CHAR: {
        // Tab, Enter and Esc were handled as keys; their characters reach
        // only a control that takes every key.
        const UINT code = DialogCodeOf(lpMsg->hwnd, lpMsg);
        const WPARAM c = lpMsg->wParam;
        if ((c == '\t' && !(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) ||
            ((c == '\r' || c == 0x1B) && !(code & DLGC_WANTALLKEYS))) {
            return TRUE;
        }
        // A control that does not take characters leaves them to mnemonics.
        if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && ChooseByMnemonic(hDlg, static_cast<char>(c))) return TRUE;
        return Dispatch(lpMsg);
    }
    case WM_SYSCHAR:
        if (ChooseByMnemonic(hDlg, static_cast<char>(lpMsg->wParam))) return TRUE;
        return Dispatch(lpMsg);
    default:
        return Dispatch(lpMsg);
    }
}
