#include "platform/afx/afx_cmd_target.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() { return AfxEmptyMessageMap(); }

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return AfxDispatchCmdMsg(GetMessageMap(), static_cast<AfxMapRoot*>(this), nID, nCode, pExtra, pHandlerInfo);
}
