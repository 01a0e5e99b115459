#include "app/property_page_select_file.h"

#include "app/package_family.h"
#include "app/update_package.h"
#include "app/wizard_ids.h"
#include "app/wizard_page.h"
#include "app/wizard_state.h"

BEGIN_MESSAGE_MAP(CPropertyPageSelectFile, CPropertyPage)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CPropertyPageSelectFile::CPropertyPageSelectFile() : CPropertyPage(IDD_PROPPAGE_SELECT_FILE)
{
    m_strHeaderTitle = "Welcome to BriselTrelwin update utility";
    m_strHeaderSubTitle = "Please select the update file";
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

CWizardState* CPropertyPageSelectFile::Sheet() const
{
    return dynamic_cast<CWizardState*>(GetParent());
}

BOOL CPropertyPageSelectFile::OnSetActive()
{
    ShowWizardPage(*this, PSWIZB_NEXT, "SelectFile");
    return CPropertyPage::OnSetActive();
}

void CPropertyPageSelectFile::OnBrowse()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       "Zelo Flash files (*.zpk)|*.zpk||", this);
    if (dialog.DoModal() == IDOK)
        SetDlgItemText(IDC_PACKAGE_PATH, dialog.GetPathName());
}

LRESULT CPropertyPageSelectFile::OnWizardNext()
{
    CWizardState* sheet = Sheet();
    if (sheet == nullptr)
        return -1;
    CString path;
    GetDlgItemText(IDC_PACKAGE_PATH, path);
    if (ChoosePackageFamily(*sheet, path, GetPackageTypeId(path)) == 0)
    {
        AfxMessageBox("Please select a valid update file", MB_OK);
        return -1;
    }
    sheet->m_strPackagePath = path;
    return CPropertyPage::OnWizardNext();
}
