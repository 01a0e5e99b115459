#include "app/property_page_progress.h"

#include "app/wizard_ids.h"
#include "app/wizard_page.h"

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
    ShowWizardPage(*this, PSWIZB_DISABLEDFINISH, "Progress");
    return CPropertyPage::OnSetActive();
}
