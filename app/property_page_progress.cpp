#include "app/property_page_progress.h"

#include "app/wizard_ids.h"
#include "platform/base/process.h"

BEGIN_MESSAGE_MAP(CPropertyPageProgress, CPropertyPage)
END_MESSAGE_MAP()

CPropertyPageProgress::CPropertyPageProgress() : CPropertyPage(IDD_PROPPAGE_PROGRESS)
{
    m_strHeaderTitle = "Updating...";
    m_strHeaderSubTitle = "Please wait until the update process finishes";
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

BOOL CPropertyPageProgress::OnSetActive()
{
    if (CWnd* help = GetParent()->GetDlgItem(IDC_SHEET_HELP))
        help->ShowWindow(SW_HIDE);
    GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_DISABLEDFINISH);
    // A line for whoever watches the program's debug output (the
    // end-to-end tests follow the pages with it).
    OutputDebugStringA("wizard page Progress shown\n");
    return CPropertyPage::OnSetActive();
}
