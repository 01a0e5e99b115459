// Dialog controls by id: texts, numbers and check states.
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using namespace trelwin::user::dialog;

namespace {

HWND ItemOrFail(HWND hDlg, int id) {
    HWND item = GetDlgItem(hDlg, id);
    if (!item) SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return item;
}

}  // namespace

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = ItemOrFail(hDlg, nIDDlgItem);
    return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = ItemOrFail(hDlg, nIDDlgItem);
    return item ? static_cast<BOOL>(SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")))
                : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) lpString[0] = '\0';
    HWND item = ItemOrFail(hDlg, nIDDlgItem);
    if (!item || !lpString || cchMax <= 0) return 0;
    return static_cast<UINT>(SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    if (bSigned) {
        std::snprintf(text, sizeof(text), "%d", static_cast<int>(uValue));
    } else {
        std::snprintf(text, sizeof(text), "%u", uValue);
    }
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated) *lpTranslated = FALSE;
    HWND item = ItemOrFail(hDlg, nIDDlgItem);
    if (!item) return 0;
    const int length = static_cast<int>(SendMessageA(item, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (bSigned && i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const size_t digits = i;
    unsigned long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0xFFFFFFFFull) return 0;
        ++i;
    }
    if (i == digits) return 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i != text.size()) return 0;
    if (bSigned) {
        if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return 0;
        if (lpTranslated) *lpTranslated = TRUE;
        const long long signedValue = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
        return static_cast<UINT>(static_cast<int>(signedValue));
    }
    if (lpTranslated) *lpTranslated = TRUE;
    return static_cast<UINT>(value);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = ItemOrFail(hDlg, nIDButton);
    if (!item) return FALSE;
    SendMessageA(item, kBmSetCheck, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = ItemOrFail(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageA(item, kBmGetCheck, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    bool found = false;
    for (HWND child = GetWindow(hDlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id < nIDFirstButton || id > nIDLastButton) continue;
        SendMessageA(child, kBmSetCheck, id == nIDCheckButton ? 1 : 0, 0);
        found = found || id == nIDCheckButton;
    }
    if (!found) SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return found ? TRUE : FALSE;
}
