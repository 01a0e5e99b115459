#include "platform/afx/afx_msg_map.h"

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID) {
    for (; lpEntry->pfn != nullptr; ++lpEntry) {
        if (lpEntry->pnRegistered != nullptr) {
            // A registered message that has no number yet takes nothing.
            if (*lpEntry->pnRegistered != 0 && *lpEntry->pnRegistered == nMsg) return lpEntry;
            continue;
        }
        if (lpEntry->nMessage == nMsg && lpEntry->nCode == nCode && nID >= lpEntry->nID && nID <= lpEntry->nLastID) {
            return lpEntry;
        }
    }
    return nullptr;
}

BOOL AfxDispatchMessageMap(const AFX_MSGMAP* pMap, void* pTarget, UINT nMsg, UINT nCode, UINT nID, AFX_MSGARGS& args) {
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        if (const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(pMap->lpEntries, nMsg, nCode, nID)) {
            return entry->pfn(pTarget, args);
        }
    }
    return FALSE;
}

BOOL AfxDispatchCmdMsg(const AFX_MSGMAP* pMap, void* pTarget, UINT nID, int nCode, void* pExtra,
                       AFX_CMDHANDLERINFO* pHandlerInfo) {
    UINT nMsg = HIWORD(nCode);
    const UINT nNotify = LOWORD(nCode);
    if (nMsg == 0) nMsg = WM_COMMAND;
    if (pHandlerInfo != nullptr) {
        for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
            if (AfxFindMessageEntry(pMap->lpEntries, nMsg, nNotify, nID) != nullptr) {
                pHandlerInfo->pTarget = pTarget;
                return TRUE;
            }
        }
        return FALSE;
    }
    AFX_MSGARGS args{nMsg, 0, 0, nID, pExtra, 0};
    return AfxDispatchMessageMap(pMap, pTarget, nMsg, nNotify, nID, args);
}

const AFX_MSGMAP* AfxEmptyMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}
