// The DDX_ functions and the failure of an exchange.
#include "platform/afx/afx_data_exchange.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/afx/afx_message_box.h"
#include "platform/base/exceptions.h"
#include "platform/commctrl/button.h"
#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/list_box.h"

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hWndCtrl = nullptr;
    if (m_pDlgWnd != nullptr) m_pDlgWnd->GetDlgItem(nIDC, &hWndCtrl);
    if (hWndCtrl == nullptr) {
        std::fprintf(stderr, "Data exchange: the dialog has no control %d\n", nIDC);
        Fail();
    }
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr && ::IsWindow(m_hWndLastControl)) {
        if (m_pDlgWnd != nullptr && m_pDlgWnd->m_hWnd != nullptr) {
            ::SendMessageA(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), 1);
        } else {
            ::SetFocus(m_hWndLastControl);
        }
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl)) {
        std::fprintf(stderr, "Data exchange: control %d already belongs to another object\n", nIDC);
        pDX->Fail();
    }
}

void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
    } else {
        if (value < 0 || value > 2) value = 0;  // not a check state: shown unchecked
        ::SendMessageA(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    // The group runs from nIDC to the next control that starts a group.
    for (HWND h = hWndCtrl; h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != hWndCtrl && (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
        if (!(::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

namespace {

std::string ControlText(HWND hWnd) {
    const int length = ::GetWindowTextLengthA(hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal number between the bounds, blanks around it allowed; a sign
// only when negative numbers are.
bool ParseNumber(const std::string& text, long long lo, long long hi, long long* out) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    if (begin == end) return false;
    std::string number = text.substr(begin, end - begin);
    const bool sign = number[0] == '-' || number[0] == '+';
    if (sign && lo >= 0) return false;
    if (number.size() == (sign ? 1u : 0u)) return false;
    for (size_t i = sign ? 1 : 0; i < number.size(); ++i) {
        if (number[i] < '0' || number[i] > '9') return false;
    }
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < lo || value > hi) return false;
    *out = value;
    return true;
}

long long ExchangeNumber(CDataExchange* pDX, int nIDC, long long current, long long lo, long long hi,
                         LPCSTR failText) {
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        char text[32];
        std::snprintf(text, sizeof text, "%lld", current);
        ::SetWindowTextA(hWndCtrl, text);
        return current;
    }
    long long value = 0;
    if (!ParseNumber(ControlText(hWndCtrl), lo, hi, &value)) {
        AfxMessageBox(failText, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    return value;
}

constexpr char kEnterInteger[] = "Please enter an integer.";
constexpr char kEnterPositiveInteger[] = "Please enter a positive integer.";

}  // namespace

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(hWndCtrl).c_str();
    } else {
        ::SetWindowTextA(hWndCtrl, value);
    }
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    value = static_cast<int>(ExchangeNumber(pDX, nIDC, value, INT_MIN, INT_MAX, kEnterInteger));
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    value = static_cast<UINT>(ExchangeNumber(pDX, nIDC, value, 0, UINT_MAX, kEnterPositiveInteger));
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
    // LONG is 32 bits wide; a long holds what a LONG control value may be.
    value = static_cast<long>(ExchangeNumber(pDX, nIDC, value, INT_MIN, INT_MAX, kEnterInteger));
}

void AFXAPI DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageA(hWndCtrl, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageA(hWndCtrl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void AFXAPI DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageA(hWndCtrl, LB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageA(hWndCtrl, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}
