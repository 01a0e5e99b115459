// What the dialog manager keeps per dialog beside the window, and the
// helpers its parts share.
#pragma once

#include <functional>
#include <type_traits>

#include "platform/user/dialog_manager.h"

namespace trelwin::user::dialog {

// Button messages and styles the dialog manager sends to controls. The
// controls' own headers name them; these are the same numbers.
constexpr UINT kBmGetCheck = 0x00F0;
constexpr UINT kBmSetCheck = 0x00F1;
constexpr UINT kBmSetStyle = 0x00F4;
constexpr UINT kBmClick = 0x00F5;
constexpr UINT kEmSetSel = 0x00B1;
constexpr DWORD kBsPushButton = 0x0000;
constexpr DWORD kBsDefPushButton = 0x0001;
constexpr DWORD kBsTypeMask = 0x000F;
constexpr WORD kBnClicked = 0;

struct DialogState {
    HFONT font = nullptr;  // null: the system font
    bool ownsFont = false;
    SIZE baseUnits{0, 0};
    DLGPROC proc = nullptr;  // when the window has no room for DWLP_DLGPROC
    int defId = 0;           // 0: none set with DM_SETDEFID
    HWND savedFocus = nullptr;
    bool modal = false;
    bool ownerDisabled = false;  // by this dialog's modal loop, which gives it back
    bool ended = false;
    INT_PTR result = 0;
};

// Starts, reads, changes and forgets the state of a dialog window. Get
// returns false when the window is no dialog made here.
void AddState(HWND hDlg, const DialogState& state);
bool GetState(HWND hDlg, DialogState* state);
void RemoveState(HWND hDlg);

// The base units of a font (null: the system font): the average width of
// the 52 letters, rounded, and the character height.
SIZE BaseUnitsOf(HFONT font);

// Moves the focus to a control as keyboard navigation does: an edit control
// gets its whole text selected, and a push button becomes the default
// button while it has the focus.
void SetDialogFocus(HWND hDlg, HWND control);
// The WM_GETDLGCODE answer of a window (0 for none).
UINT DialogCodeOf(HWND control, const MSG* msg = nullptr);
// The id that Enter stands for (DM_GETDEFID, else IDOK).
int DefaultId(HWND hDlg);
// Default processing of WM_NEXTDLGCTL.
void NextDialogControl(HWND hDlg, WPARAM wParam, LPARAM lParam);
// Gives the default push button's look to the push button that has the
// focus, or, when the focus is elsewhere, to the default id's button, and
// takes it from every other push button.
void ShowDefaultButton(HWND hDlg, HWND focus);

// Runs a dialog made by CreateDialogIndirectParamA as a modal one: shows it,
// disables its owner, takes the thread's messages through the filter
// (IsDialogMessageA when empty) until EndDialog, and destroys it. Returns
// the EndDialog value, or -1 when the loop ended otherwise.
INT_PTR RunModalDialog(HWND hDlg, const std::function<bool(MSG&)>& filter = {});

// DialogBoxIndirectParamA with a filter in place of IsDialogMessageA (none:
// IsDialogMessageA).
INT_PTR RunModalDialogFromTemplate(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                   DLGPROC lpDialogFunc, LPARAM dwInitParam,
                                   const std::function<bool(HWND, MSG&)>& filter);

void ChangeState(HWND hDlg, void (*change)(DialogState&, void*), void* context);

template <class F>
void UpdateState(HWND hDlg, F&& change) {
    ChangeState(
        hDlg, [](DialogState& s, void* c) { (*static_cast<std::remove_reference_t<F>*>(c))(s); }, &change);
}

}  // namespace trelwin::user::dialog
