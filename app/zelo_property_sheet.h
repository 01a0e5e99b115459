// CZeloPropertySheet: the program's one window, a Wizard97 sheet with the
// pages SelectFile, Discover and Progress, and at the same time the store
// the pages and the update engine share (CWizardState: package, family,
// device records, options). The pages reach it through their parent window.
#pragma once

#include "app/wizard_state.h"
#include "platform/afx/afx.h"

// Ids of the sheet's resources.
enum
{
    IDR_MAINFRAME = 128,
    IDB_WIZARD_SIDE = 130,
    IDB_WIZARD_HEADER = 131,
};

class CZeloPropertySheet : public CPropertySheet, public CWizardState
{
public:
    CZeloPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CZeloPropertySheet() override;

    // "major.minor.patch" of the running program's file version; "" when
    // the program has no version block or no fixed information in it.
    static CString GetFileVersionString();

    // Client rectangle of the hidden test-mode gesture (a double click with
    // Ctrl, Alt and Shift held), in the header band, in pixels of a 96-dpi
    // screen.
    static const RECT TEST_MODE_AREA;

protected:
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    // The three pages, created and owned here.
    CArray<CPropertyPage*, CPropertyPage*> m_arrPages;
};
