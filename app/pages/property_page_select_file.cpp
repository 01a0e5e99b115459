#include "app/pages/property_page_select_file.h"

#include <sys/stat.h>

#include "app/package/package_family.h"
#include "app/registry_settings.h"
#include "app/package/update_package.h"
#include "app/wizard_ids.h"
#include "app/pages/wizard_page.h"
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

namespace
{

// The settings value that keeps the folder of the package chosen last.
const char LAST_PACKAGE_FOLDER[] = "LastPackageFolder";

bool IsFolder(const CString& path)
{
    struct stat st{};
    return !path.IsEmpty() && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

CString FolderOf(const CString& path)
{
    const int slash = path.ReverseFind('/');
    if (slash < 0)
        return CString();
    return slash == 0 ? CString("/") : path.Left(slash);
}

}

// Browse opens in the folder of the package in the path box, else in the
// folder of the package chosen last (in this run or an earlier one).
CString CPropertyPageSelectFile::BrowseFolder() const
{
    CString typed;
    GetDlgItemText(IDC_PACKAGE_PATH, typed);
    typed.Trim();
    if (IsFolder(FolderOf(typed)))
        return FolderOf(typed);
    const CString last = ReadRegistryString(LAST_PACKAGE_FOLDER);
    return IsFolder(last) ? last : CString();
}

void CPropertyPageSelectFile::OnBrowse()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       "Zelo Flash files (*.zpk)|*.zpk||", this);
    const CString folder = BrowseFolder();
    if (!folder.IsEmpty())
        dialog.m_ofn.lpstrInitialDir = folder;
    if (dialog.DoModal() == IDOK)
    {
        SetDlgItemText(IDC_PACKAGE_PATH, dialog.GetPathName());
        WriteRegistryString(FolderOf(dialog.GetPathName()), LAST_PACKAGE_FOLDER);
    }
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
