#include "app/property_page_discover.h"

#include "app/wizard_ids.h"
#include "platform/base/process.h"

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
    if (CWnd* help = GetParent()->GetDlgItem(IDC_SHEET_HELP))
        help->ShowWindow(SW_HIDE);
    GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
    // A line for whoever watches the program's debug output (the
    // end-to-end tests follow the pages with it).
    OutputDebugStringA("wizard page Discover shown\n");
    return CPropertyPage::OnSetActive();
}
