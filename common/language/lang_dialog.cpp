#include "common/language/lang_dialog.h"

BEGIN_MESSAGE_MAP(CLangDialog, CDialog)
END_MESSAGE_MAP()

CLangDialog::CLangDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent), m_nTemplateId(nIDTemplate)
{
}

BOOL CLangDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    g_Language.TranslateDialog(this, static_cast<int>(m_nTemplateId));
    return TRUE;
}
