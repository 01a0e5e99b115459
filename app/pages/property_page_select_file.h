// CPropertyPageSelectFile: the wizard's first page. The user types or
// browses to an update package; on Next the page works out which devices
// it is for and stores that, with the path, in the sheet.
#pragma once

#include "platform/afx/afx.h"

class CWizardState;

class CPropertyPageSelectFile : public CPropertyPage
{
public:
    CPropertyPageSelectFile();

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    afx_msg void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    CWizardState* Sheet() const;
    CString BrowseFolder() const;
};
