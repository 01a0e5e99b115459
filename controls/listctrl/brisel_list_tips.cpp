// The list's tips: a row's own tip text over any of its cells, else the
// whole text of a cell that does not fit its column. Cell texts come from
// devices, so they are shown as text, never read as mark-up.
#include "controls/listctrl/brisel_list_ctrl.h"

enum : int
{
    // Room a cell's text needs besides its own width.
    FIRST_COLUMN_ROOM = 4,
    OTHER_COLUMN_ROOM = 12,
};

void CBriselListCtrl::CreateTip()
{
    if (m_tip.m_hWnd != nullptr || !m_tip.Create(this))
    {
        return;
    }
    m_tip.SetBehaviour(RTT_BEHAVIOUR_MULTIPLE_SHOW);
    m_tip.AddTool(this);
    m_tip.SetNotify(m_hWnd);
}

BOOL CBriselListCtrl::PreTranslateMessage(MSG* pMsg)
{
    m_tip.RelayEvent(pMsg);
    return CListCtrl::PreTranslateMessage(pMsg);
}

CString CBriselListCtrl::TipTextAt(POINT ptClient) const
{
    LVHITTESTINFO hit{};
    hit.pt = ptClient;
    SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0)
    {
        return CString();
    }
    CRect rcLabel;
    GetSubItemRect(hit.iItem, hit.iSubItem, LVIR_LABEL, rcLabel);
    const CString strRowTip = GetRowTipText(hit.iItem);
    if (!strRowTip.IsEmpty())
    {
        return strRowTip;
    }
    const CString strCell = GetItemText(hit.iItem, hit.iSubItem);
    const int nText = GetStringWidth(strCell);
    const int nColumn = GetColumnWidth(hit.iSubItem);
    const bool bCut = hit.iSubItem == 0 ? nText + FIRST_COLUMN_ROOM + rcLabel.left > nColumn
                                        : nText + OTHER_COLUMN_ROOM > nColumn;
    return bCut ? CMarkupDrawer::EscapeText(strCell) : CString();
}

void CBriselListCtrl::OnToolTipDisplay(NMHDR* pNMHDR, LRESULT* pResult)
{
    NM_RTT_DISPLAY* pDisplay = reinterpret_cast<NM_RTT_DISPLAY*>(pNMHDR);
    POINT pt;
    GetCursorPos(&pt);
    POINT ptClient = pt;
    ScreenToClient(&ptClient);
    const CString strTip = TipTextAt(ptClient);
    if (!strTip.IsEmpty())
    {
        pDisplay->ti->strText = strTip;
    }
    *pDisplay->pt = pt;
    *pResult = 0;
}
