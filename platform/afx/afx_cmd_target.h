// CCmdTarget: the root of the classes with message maps. OnCmdMsg finds a
// command or notification handler in the object's map and its base maps.
#pragma once

#include "platform/afx/afx_msg_map.h"
#include "platform/base/object.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // The class the map entries cast the object from (see AfxMapTarget).
    using AfxMapRoot = CCmdTarget;

    CCmdTarget() = default;

    // nCode: the notification code in the low word, the message in the high
    // word (0: WM_COMMAND); pExtra: the AFX_NOTIFY of a notification. TRUE
    // when a handler took it (with pHandlerInfo: when there is one).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
