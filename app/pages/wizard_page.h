// What every wizard page does when it becomes active: the sheet's Help
// button hidden, the wizard buttons the page offers, and a line in the
// program's debug output naming the page (the end-to-end tests follow the
// pages with it). And the pixel sizes the pages give their lists, which
// are those of a 96-dpi screen.
#pragma once

#include "platform/afx/afx.h"

void ShowWizardPage(CPropertyPage& page, DWORD dwWizardButtons, LPCSTR pszName);

// A length in pixels of a 96-dpi screen, at the screen's resolution.
int ScreenPixels(int nPixels);
