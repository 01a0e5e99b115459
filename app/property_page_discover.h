// CPropertyPageDiscover: the wizard's second page, where the devices that
// fit the package are found, listed and ticked (dialog 104). For now it
// shows its controls and offers Back and Next; the search, the list and
// the ticking come with the page's own work.
#pragma once

#include "platform/afx/afx.h"

class CPropertyPageDiscover : public CPropertyPage
{
public:
    CPropertyPageDiscover();

    BOOL OnSetActive() override;

protected:
    DECLARE_MESSAGE_MAP()
};
