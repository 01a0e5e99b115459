// CPropertySheet and CPropertyPage over PropertySheetA: the sheet's
// descriptions are made from the page objects when it runs, and the
// windows are tied to the objects as they are made.
#include "platform/afx/afx_property_sheet.h"

#include <algorithm>

#include "platform/afx/afx_win_app.h"
#include "platform/user/dialog_box_filtered.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

// The sheet object whose window this thread is making.
thread_local CPropertySheet* t_sheetInit = nullptr;

class SheetInitScope {
public:
    explicit SheetInitScope(CPropertySheet* pSheet) : m_outer(t_sheetInit) { t_sheetInit = pSheet; }
    ~SheetInitScope() { t_sheetInit = m_outer; }
    SheetInitScope(const SheetInitScope&) = delete;
    SheetInitScope& operator=(const SheetInitScope&) = delete;

private:
    CPropertySheet* m_outer;
};

// Ties the sheet window to the object being run, once.
CPropertySheet* TieSheet(HWND hWnd) {
    CPropertySheet* pSheet = t_sheetInit;
    if (pSheet == nullptr || hWnd == nullptr) return nullptr;
    if (pSheet->m_hWnd == hWnd) return pSheet;
    if (pSheet->m_hWnd != nullptr || CWnd::FromHandlePermanent(hWnd) != nullptr) return nullptr;
    return pSheet->SubclassWindow(hWnd) ? pSheet : nullptr;
}

CString LoadText(UINT nID) {
    CString text;
    if (nID != 0) text.LoadString(nID);
    return text;
}

}  // namespace

int CALLBACK AfxPropSheetCallback(HWND hWnd, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
        if (CPropertySheet* pSheet = TieSheet(hWnd)) pSheet->OnInitDialog();
    }
    return 0;
}

INT_PTR CALLBACK AfxPropPageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd) != nullptr) return FALSE;
    // The first page is made while the sheet is still starting: the sheet's
    // object comes first, so that the page finds it as its parent.
    TieSheet(::GetParent(hWnd));
    const auto* psp = reinterpret_cast<const PROPSHEETPAGE*>(lParam);
    auto* pPage = psp != nullptr ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (pPage == nullptr || pPage->m_hWnd != nullptr) return FALSE;
    return AfxTieDialogWindow(pPage, hWnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// CPropertyPage

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, DWORD dwSize) {
    Construct(nIDTemplate, nIDCaption, 0, 0, dwSize);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle,
                             DWORD dwSize) {
    Construct(nIDTemplate, nIDCaption, nIDHeaderTitle, nIDHeaderSubTitle, dwSize);
}

CPropertyPage::~CPropertyPage() = default;

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle,
                              DWORD dwSize) {
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_nIDHelp = nIDTemplate;
    m_psp.dwSize = std::min<DWORD>(dwSize, sizeof(PROPSHEETPAGE));
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(nIDTemplate);
    if (nIDCaption != 0) {
        m_caption = static_cast<LPCSTR>(LoadText(nIDCaption));
        m_psp.dwFlags |= PSP_USETITLE;
    }
    m_strHeaderTitle = LoadText(nIDHeaderTitle);
    m_strHeaderSubTitle = LoadText(nIDHeaderSubTitle);
}

const PROPSHEETPAGE& CPropertyPage::Prepared() {
    m_psp.pfnDlgProc = &AfxPropPageDlgProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (m_psp.dwFlags & PSP_USETITLE) m_psp.pszTitle = m_caption.c_str();
    if (!m_strHeaderTitle.IsEmpty()) {
        m_psp.dwFlags |= PSP_USEHEADERTITLE;
        m_psp.pszHeaderTitle = m_strHeaderTitle;
    }
    if (!m_strHeaderSubTitle.IsEmpty()) {
        m_psp.dwFlags |= PSP_USEHEADERSUBTITLE;
        m_psp.pszHeaderSubTitle = m_strHeaderSubTitle;
    }
    return m_psp;
}

BOOL CPropertyPage::OnSetActive() {
    if (m_firstSetActive) {
        m_firstSetActive = false;
    } else {
        UpdateData(FALSE);
    }
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

LRESULT CPropertyPage::OnWizardNext() { return 0; }

LRESULT CPropertyPage::OnWizardBack() { return 0; }

BOOL CPropertyPage::OnWizardFinish() { return TRUE; }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

void CPropertyPage::OnReset() { OnCancel(); }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

BOOL CPropertyPage::PreTranslateMessage(MSG*) { return FALSE; }

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged) {
    if (m_hWnd == nullptr) return;
    ::SendMessageA(::GetParent(m_hWnd), bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, pResult);
    LRESULT result = 0;
    switch (header->code) {
    case PSN_SETACTIVE: result = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: result = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    case PSN_RESET: OnReset(); break;
    case PSN_QUERYCANCEL: result = OnQueryCancel() ? FALSE : TRUE; break;
    case PSN_WIZNEXT: result = OnWizardNext(); break;
    case PSN_WIZBACK: result = OnWizardBack(); break;
    case PSN_WIZFINISH: result = OnWizardFinish() ? FALSE : TRUE; break;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    if (pResult != nullptr) *pResult = result;
    return TRUE;
}

// ---------------------------------------------------------------------------
// CPropertySheet

CPropertySheet::CPropertySheet() { CommonConstruct(nullptr, 0); }

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    CommonConstruct(pParentWnd, iSelectPage);
    m_caption = static_cast<LPCSTR>(LoadText(nIDCaption));
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    CommonConstruct(pParentWnd, iSelectPage);
    if (pszCaption != nullptr) m_caption = pszCaption;
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage, HBITMAP hbmWatermark,
                               HPALETTE hpalWatermark, HBITMAP hbmHeader)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage) {
    UseWizard97Bitmaps(hbmWatermark, hpalWatermark, hbmHeader);
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage, HBITMAP hbmWatermark,
                               HPALETTE hpalWatermark, HBITMAP hbmHeader)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage) {
    UseWizard97Bitmaps(hbmWatermark, hpalWatermark, hbmHeader);
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::UseWizard97Bitmaps(HBITMAP hbmWatermark, HPALETTE hpalWatermark, HBITMAP hbmHeader) {
    m_psh.dwFlags |= PSH_WIZARD97 | PSH_WATERMARK | PSH_HEADER;
    if (hbmWatermark != nullptr) m_psh.dwFlags |= PSH_USEHBMWATERMARK;
    if (hbmHeader != nullptr) m_psh.dwFlags |= PSH_USEHBMHEADER;
    m_psh.hbmWatermark = hbmWatermark;
    m_psh.hplWatermark = hpalWatermark;
    m_psh.hbmHeader = hbmHeader;
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage) {
    m_pParentWnd = pParentWnd;
    m_psh.dwSize = sizeof(PROPSHEETHEADER);
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.nStartPage = iSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (pPage == nullptr) return;
    m_pages.push_back(pPage);
    if (m_hWnd != nullptr) {
        pPage->m_firstSetActive = true;
        if (HPROPSHEETPAGE hPage = ::CreatePropertySheetPageA(&pPage->Prepared())) {
            ::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(hPage));
        }
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) {
    const int index = GetPageIndex(pPage);
    if (index >= 0) RemovePage(index);
}

void CPropertySheet::RemovePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount()) return;
    if (m_hWnd != nullptr) ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(nPage), 0);
    m_pages.erase(m_pages.begin() + nPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
    auto found = std::find(m_pages.begin(), m_pages.end(), pPage);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

int CPropertySheet::GetActiveIndex() const {
    if (m_hWnd == nullptr) return static_cast<int>(m_psh.nStartPage);
    const auto current = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->m_hWnd != nullptr && m_pages[i]->m_hWnd == current) return static_cast<int>(i);
    }
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount()) return FALSE;
    if (m_hWnd == nullptr) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return static_cast<BOOL>(::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0));
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }

void CPropertySheet::SetTitle(LPCSTR lpszText, UINT nStyle) {
    if (m_hWnd != nullptr) {
        ::SendMessageA(m_hWnd, PSM_SETTITLEA, nStyle, reinterpret_cast<LPARAM>(lpszText));
    } else {
        m_caption = lpszText != nullptr ? lpszText : "";
    }
}

void CPropertySheet::SetWizardMode() { m_psh.dwFlags |= PSH_WIZARD; }

void CPropertySheet::SetWizardButtons(DWORD dwFlags) {
    if (m_hWnd != nullptr) ::SendMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
}

BOOL CPropertySheet::PressButton(int nButton) {
    return m_hWnd != nullptr && ::PostMessageA(m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0);
}

void CPropertySheet::EndDialog(int nEndID) {
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, nEndID);
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd != nullptr || m_pages.empty()) return -1;
    std::vector<PROPSHEETPAGE> pages;
    pages.reserve(m_pages.size());
    for (CPropertyPage* pPage : m_pages) {
        pPage->m_firstSetActive = true;
        PROPSHEETPAGE psp = pPage->Prepared();
        psp.dwSize = sizeof(PROPSHEETPAGE);  // the array's elements are this far apart
        pages.push_back(psp);
    }
    PROPSHEETHEADER header = m_psh;
    header.dwSize = sizeof(PROPSHEETHEADER);
    header.dwFlags = (header.dwFlags | PSH_PROPSHEETPAGE | PSH_USECALLBACK) & ~PSH_MODELESS;
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    header.pfnCallback = &AfxPropSheetCallback;
    if (header.hInstance == nullptr) header.hInstance = AfxGetResourceHandle();
    if (!m_caption.empty()) header.pszCaption = m_caption.c_str();
    if (header.hwndParent == nullptr) {
        if (m_pParentWnd != nullptr) {
            header.hwndParent = m_pParentWnd->GetSafeHwnd();
        } else if (CWnd* pMain = AfxGetMainWnd(); pMain != nullptr && pMain != this) {
            header.hwndParent = pMain->GetSafeHwnd();
        }
    }
    SheetInitScope scope(this);
    // Offers the messages of the sheet's loop to the objects of their
    // windows first, where the loop takes a filter.
    trelwin::user::ScopedDialogFilter filter(
        [](HWND hDlg, MSG& msg) { return CWnd::WalkPreTranslateTree(hDlg, &msg) != FALSE; });
    const INT_PTR result = ::PropertySheetA(&header);
    if (result < 0) return -1;
    if (result == 0) return IDCANCEL;
    const bool wizard = (m_psh.dwFlags & (PSH_WIZARD | PSH_WIZARD97)) != 0;
    return wizard && result == 1 ? ID_WIZFINISH : result;
}
