// CLangDialog: a dialog that shows its texts translated. When it opens it
// runs the global translator over its caption and controls, keyed by its
// template id (see CLanguage::TranslateDialog).
#pragma once

#include "common/language/language.h"

class CLangDialog : public CDialog
{
public:
    explicit CLangDialog(UINT nIDTemplate, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;

protected:
    UINT m_nTemplateId;

    DECLARE_MESSAGE_MAP()
};
