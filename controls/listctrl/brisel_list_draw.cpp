// CBriselListCtrl: the custom drawing of owner-data lists. A row in bold
// gets a bold copy of the list's font for the time it is drawn; a row with
// its own colours is drawn in them as a whole; otherwise each cell with its
// own colours is drawn in them and the colours before it come back after
// it (the list view hands the same block to every cell of a row).
#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/threading/afx_single_lock.h"

namespace
{

const LONG BOLD_WEIGHT = 700;

}  // namespace

void CBriselListCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVCUSTOMDRAW* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (!IsOwnerData())
    {
        return;
    }
    switch (pDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT:
        *pResult = OnItemPrePaint(pDraw);
        break;
    case CDDS_ITEMPOSTPAINT:
        *pResult = OnItemPostPaint(pDraw);
        break;
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
        *pResult = OnSubItemPaint(pDraw, TRUE);
        break;
    case CDDS_SUBITEM | CDDS_ITEMPOSTPAINT:
        *pResult = OnSubItemPaint(pDraw, FALSE);
        break;
    default:
        break;
    }
}

LRESULT CBriselListCtrl::OnItemPrePaint(NMLVCUSTOMDRAW* pDraw)
{
    BOOL bBold = FALSE;
    BOOL bRowColors = FALSE;
    {
        CSingleLock lock(&m_csRows, TRUE);
        const CItemData* pFirst = CellAt(static_cast<int>(pDraw->nmcd.dwItemSpec), 0);
        if (pFirst == nullptr)
        {
            return CDRF_DODEFAULT;
        }
        bBold = pFirst->m_bBold;
        bRowColors = pFirst->m_bRowColors;
        if (bRowColors)
        {
            pDraw->clrText = pFirst->m_crText;
            pDraw->clrTextBk = pFirst->m_crBackground;
        }
    }
    LRESULT result = CDRF_DODEFAULT;
    if (bBold)
    {
        m_fontBold.DeleteObject();
        HFONT hListFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        if (hListFont == nullptr)
        {
            hListFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        }
        LOGFONT logFont = {};
        if (::GetObject(hListFont, sizeof(logFont), &logFont) != 0)
        {
            logFont.lfWeight = BOLD_WEIGHT;
            if (m_fontBold.CreateFontIndirect(&logFont))
            {
                m_hSavedFont = static_cast<HFONT>(::SelectObject(pDraw->nmcd.hdc, m_fontBold.GetSafeHandle()));
                result |= CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
            }
        }
    }
    if (!bRowColors)
    {
        result |= CDRF_NOTIFYSUBITEMDRAW;
    }
    return result;
}

LRESULT CBriselListCtrl::OnItemPostPaint(NMLVCUSTOMDRAW* pDraw)
{
    if (m_hSavedFont == nullptr)
    {
        return CDRF_DODEFAULT;
    }
    ::SelectObject(pDraw->nmcd.hdc, m_hSavedFont);
    m_hSavedFont = nullptr;
    m_fontBold.DeleteObject();
    return CDRF_NEWFONT;
}

LRESULT CBriselListCtrl::OnSubItemPaint(NMLVCUSTOMDRAW* pDraw, BOOL bBefore)
{
    CSingleLock lock(&m_csRows, TRUE);
    CItemData* pCell = CellAt(static_cast<int>(pDraw->nmcd.dwItemSpec), pDraw->iSubItem);
    if (pCell == nullptr)
    {
        return bBefore ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    }
    if (!pCell->m_bCellColors)
    {
        return bBefore ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    }
    if (bBefore)
    {
        // Saved every time, so that what comes back afterwards is always
        // what was there, also when it equals the cell's own colours.
        pCell->m_crSavedText = pDraw->clrText;
        pCell->m_crSavedBackground = pDraw->clrTextBk;
        pDraw->clrText = pCell->m_crText;
        pDraw->clrTextBk = pCell->m_crBackground;
        return CDRF_NOTIFYPOSTPAINT;
    }
    pDraw->clrText = pCell->m_crSavedText;
    pDraw->clrTextBk = pCell->m_crSavedBackground;
    return CDRF_DODEFAULT;
}
