// What every wizard page does when it becomes active: the sheet's Help
// button hidden, the wizard buttons the page offers, and a line in the
// program's debug output naming the page (the end-to-end tests follow the
// pages with it).
#pragma once

#include "platform/afx/afx.h"

void ShowWizardPage(CPropertyPage& page, DWORD dwWizardButtons, LPCSTR pszName);
