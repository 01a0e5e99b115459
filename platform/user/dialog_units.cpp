// Dialog units: a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height.
#include <mutex>

#include "platform/gdi/gdi.h"
#include "platform/user/dialog_internal.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/painting.h"

namespace trelwin::user::dialog {

SIZE BaseUnitsOf(HFONT font) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SIZE extent{0, 0};
    GetTextExtentPoint32A(hdc, kLetters, 52, &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(hdc, &metrics);
    SelectObject(hdc, previous);
    DeleteDC(hdc);
    SIZE units{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
    if (units.cx <= 0) units.cx = 1;
    if (units.cy <= 0) units.cy = 1;
    return units;
}

}  // namespace trelwin::user::dialog

using namespace trelwin::user::dialog;

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    DialogState state;
    if (!lpRect || !GetState(hDlg, &state)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    lpRect->left = MulDiv(lpRect->left, state.baseUnits.cx, 4);
    lpRect->right = MulDiv(lpRect->right, state.baseUnits.cx, 4);
    lpRect->top = MulDiv(lpRect->top, state.baseUnits.cy, 8);
    lpRect->bottom = MulDiv(lpRect->bottom, state.baseUnits.cy, 8);
    return TRUE;
}

LONG WINAPI GetDialogBaseUnits() {
    // The system font follows the screen's resolution, so this is measured each time.
    const SIZE units = BaseUnitsOf(nullptr);
    return MAKELONG(units.cx, units.cy);
}
