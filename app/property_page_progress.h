// CPropertyPageProgress: the wizard's last page, where the ticked devices
// are updated with a row each and an overall gauge (dialog 135). For now it
// shows its controls with Finish offered disabled, as while devices are
// being updated; the workers, the rows and the gauge come with the page's
// own work.
#pragma once

#include "platform/afx/afx.h"

class CPropertyPageProgress : public CPropertyPage
{
public:
    CPropertyPageProgress();

    BOOL OnSetActive() override;

protected:
    DECLARE_MESSAGE_MAP()
};
