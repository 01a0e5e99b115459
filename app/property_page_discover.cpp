#include "app/property_page_discover.h"

#include "app/wizard_ids.h"
#include "app/wizard_page.h"

BEGIN_MESSAGE_MAP(CPropertyPageDiscover, CPropertyPage)
END_MESSAGE_MAP()

CPropertyPageDiscover::CPropertyPageDiscover() : CPropertyPage(IDD_PROPPAGE_DISCOVER)
{
    m_strHeaderTitle = "Select devices";
    m_strHeaderSubTitle = "Please select devices to update";
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

BOOL CPropertyPageDiscover::OnSetActive()
{
    ShowWizardPage(*this, PSWIZB_BACK | PSWIZB_NEXT, "Discover");
    return CPropertyPage::OnSetActive();
}
