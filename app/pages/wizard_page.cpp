#include "app/pages/wizard_page.h"

#include "app/wizard_ids.h"
#include "platform/base/process.h"

void ShowWizardPage(CPropertyPage& page, DWORD dwWizardButtons, LPCSTR pszName)
{
    CWnd* sheet = page.GetParent();
    if (CWnd* help = sheet->GetDlgItem(IDC_SHEET_HELP))
        help->ShowWindow(SW_HIDE);
    sheet->PostMessage(PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwWizardButtons));
    CString line;
    line.Format("wizard page %s shown\n", pszName);
    OutputDebugStringA(line);
}

int ScreenPixels(int nPixels)
{
    CClientDC screen(nullptr);
    return MulDiv(nPixels, screen.GetDeviceCaps(LOGPIXELSX), 96);
}
