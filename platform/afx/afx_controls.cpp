// Creating the basic controls and the members that read text into a CString.
#include "platform/afx/afx_controls.h"

#include <string>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

BOOL CStatic::Create(LPCSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_STATIC, lpszText, dwStyle, rect, pParentWnd, nID);
}

BOOL CButton::Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_BUTTON, lpszCaption, dwStyle, rect, pParentWnd, nID);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_EDIT, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_LISTBOX, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_COMBOBOX, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(UPDOWN_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}

namespace {

// The text of an item whose length one message gives and another copies.
CString ItemText(const CWnd& wnd, UINT lengthMessage, UINT textMessage, int nIndex) {
    const LRESULT length = wnd.SendMessage(lengthMessage, static_cast<WPARAM>(nIndex));
    if (length < 0) return CString();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    wnd.SendMessage(textMessage, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
    return CString(text.c_str());
}

}  // namespace

void CListBox::GetText(int nIndex, CString& rString) const { rString = ItemText(*this, LB_GETTEXTLEN, LB_GETTEXT, nIndex); }

void CComboBox::GetLBText(int nIndex, CString& rString) const {
    rString = ItemText(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex);
}
