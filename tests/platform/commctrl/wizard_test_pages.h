// The three Wizard97 pages that the wizard tests walk through: each with a
// header title and subtitle, the same page procedure, and its index as lParam.
#pragma once

#include "platform/commctrl/commctrl.h"

inline const char* const kWizardPageTitles[] = {"Welcome to the test wizard", "Choose things", "Done"};

inline void FillWizardPages(PROPSHEETPAGEA (&pages)[3], const int (&templateIds)[3], DLGPROC proc) {
    for (int i = 0; i < 3; ++i) {
        PROPSHEETPAGEA& p = pages[i];
        p = PROPSHEETPAGEA{};
        p.dwSize = sizeof(p);
        p.dwFlags = PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
        p.pszTemplate = MAKEINTRESOURCEA(templateIds[i]);
        p.pfnDlgProc = proc;
        p.lParam = i;
        p.pszHeaderTitle = kWizardPageTitles[i];
        p.pszHeaderSubTitle = "Subtitle of the page";
    }
}
