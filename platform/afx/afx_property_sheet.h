// CPropertySheet and CPropertyPage: the wizard sheet and its pages as
// objects. Each page is a dialog from its template; the sheet's PSN_
// notifications arrive as the page's virtual functions (OnSetActive,
// OnKillActive, OnWizardNext, ...). The sheet window is tied to its object
// before the first page's OnInitDialog runs, so a page can reach the
// sheet's object through its parent window. While the sheet runs, dialog
// loops that take a scoped filter (DialogBoxIndirectFiltered) offer their
// messages to the window objects first (PreTranslateMessage).
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afx_dialog.h"
#include "platform/commctrl/property_sheet.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)

public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, DWORD dwSize = sizeof(PROPSHEETPAGE));
    CPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle = 0,
                  DWORD dwSize = sizeof(PROPSHEETPAGE));
    ~CPropertyPage() override;

    // The page's description; the header title and subtitle (set in
    // m_strHeaderTitle / m_strHeaderSubTitle) are added when the sheet
    // starts.
    PROPSHEETPAGE m_psp{};
    CString m_strHeaderTitle;
    CString m_strHeaderSubTitle;

    // TRUE shows the page; the default reloads the controls from the
    // members each time but the first.
    virtual BOOL OnSetActive();
    // TRUE lets the page go; the default reads the controls (UpdateData).
    virtual BOOL OnKillActive();
    // 0: the next / previous page, -1: stay, a template id: that page.
    virtual LRESULT OnWizardNext();
    virtual LRESULT OnWizardBack();
    // TRUE lets the wizard end.
    virtual BOOL OnWizardFinish();
    // TRUE lets the user cancel.
    virtual BOOL OnQueryCancel();
    // The sheet was cancelled; the default calls OnCancel.
    virtual void OnReset();
    virtual BOOL OnApply();
    // A page does not end its sheet: OK and Cancel only tell the page.
    void OnOK() override;
    void OnCancel() override;

    // The sheet's keyboard interface serves its pages: a page takes no
    // message itself.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Marks the page changed or not for the sheet.
    void SetModified(BOOL bChanged = TRUE);

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    friend class CPropertySheet;
    void Construct(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle, DWORD dwSize);
    // The description as the sheet gets it, with the header texts.
    const PROPSHEETPAGE& Prepared();

    bool m_firstSetActive = true;
    std::string m_caption;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)

public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // A Wizard97 sheet with a watermark and a header bitmap.
    CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage, HBITMAP hbmWatermark,
                   HPALETTE hpalWatermark = nullptr, HBITMAP hbmHeader = nullptr);
    CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage, HBITMAP hbmWatermark,
                   HPALETTE hpalWatermark = nullptr, HBITMAP hbmHeader = nullptr);
    ~CPropertySheet() override;

    PROPSHEETHEADER m_psh{};

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    void SetTitle(LPCSTR lpszText, UINT nStyle = 0);
    void SetWizardMode();
    void SetWizardButtons(DWORD dwFlags);
    BOOL PressButton(int nButton);
    void EndDialog(int nEndID);

    // ID_WIZFINISH (a wizard) or IDOK when finished, IDCANCEL when
    // cancelled, -1 when the sheet could not be shown.
    virtual INT_PTR DoModal();
    // Runs once the sheet window and its first page exist.
    virtual BOOL OnInitDialog();

    CWnd* m_pParentWnd = nullptr;

private:
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    void UseWizard97Bitmaps(HBITMAP hbmWatermark, HPALETTE hpalWatermark, HBITMAP hbmHeader);
    friend int CALLBACK AfxPropSheetCallback(HWND hWnd, UINT message, LPARAM lParam);

    std::vector<CPropertyPage*> m_pages;
    std::string m_caption;
};

// The sheet's callback: ties the sheet window to the object being run.
int CALLBACK AfxPropSheetCallback(HWND hWnd, UINT message, LPARAM lParam);
// The pages' dialog procedure: ties a page window to its object at
// WM_INITDIALOG (whose lParam is the page's description).
INT_PTR CALLBACK AfxPropPageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
