// CBriselHeaderCtrl: the per-column arrays, the key chain, the header
// notifications it answers for its list, the sort arrows and the cursor
// over the hidden "ID" column.
#include "controls/listctrl/brisel_header_ctrl.h"

#include <vector>

UINT BriselHeaderCtrl_MSG_END_DRAG = RegisterWindowMessageA("BriselHeaderCtrl_MSG_END_DRAG");

namespace
{

// Width of the arrow rectangle at one end of a header item.
const int SORT_ARROW_WIDTH = 20;
// How far right of the hidden last column's left edge the arrow cursor shows.
const int HIDDEN_DIVIDER_ZONE = 9;
// Longest heading read back.
const int HEADING_MAX = 255;

template <class T>
T ReadAt(const CArray<T>& array, int nIndex, T neutral)
{
    return nIndex >= 0 && nIndex < array.GetSize() ? array[nIndex] : neutral;
}

template <class T>
void WriteAt(CArray<T>& array, int nIndex, T value)
{
    if (nIndex >= 0 && nIndex < array.GetSize())
    {
        array[nIndex] = value;
    }
}

template <class T>
void WriteGrow(CArray<T>& array, int nIndex, T value, T filler)
{
    if (nIndex < 0)
    {
        return;
    }
    while (array.GetSize() < nIndex)
    {
        array.Add(filler);
    }
    array.SetAtGrow(nIndex, value);
}

template <class T>
void InsertGap(CArray<T>& array, int nIndex, T filler)
{
    if (nIndex >= 0 && nIndex < array.GetSize())
    {
        array.InsertAt(nIndex, filler);
    }
}

template <class T>
void RemoveEntry(CArray<T>& array, int nIndex)
{
    if (nIndex >= 0 && nIndex < array.GetSize())
    {
        array.RemoveAt(nIndex);
    }
}

}  // namespace

IMPLEMENT_DYNAMIC(CBriselHeaderCtrl, CHeaderCtrl)

BEGIN_MESSAGE_MAP(CBriselHeaderCtrl, CHeaderCtrl)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_USER, OnEndDragReorder)
END_MESSAGE_MAP()

CBriselHeaderCtrl::CBriselHeaderCtrl() = default;

CBriselHeaderCtrl::~CBriselHeaderCtrl() = default;

_eTipoOrdenacion CBriselHeaderCtrl::GetSortType(int nColumn) const
{
    return ReadAt(m_aSortTypes, nColumn, TIPO_ORDENACION_NINGUNA);
}

void CBriselHeaderCtrl::SetSortType(int nColumn, _eTipoOrdenacion eType)
{
    WriteAt(m_aSortTypes, nColumn, eType);
}

_eOrdenEnumeracion CBriselHeaderCtrl::GetDirection(int nColumn) const
{
    return ReadAt(m_aDirections, nColumn, ORDEN_ASCENDENTE);
}

void CBriselHeaderCtrl::SetDirection(int nColumn, _eOrdenEnumeracion eDirection)
{
    WriteAt(m_aDirections, nColumn, eDirection);
}

int CBriselHeaderCtrl::GetPriority(int nColumn) const
{
    return ReadAt(m_aPriorities, nColumn, -1);
}

void CBriselHeaderCtrl::SetPriority(int nColumn, int nPriority)
{
    WriteAt(m_aPriorities, nColumn, nPriority);
}

BOOL CBriselHeaderCtrl::IsColumnVisible(int nColumn) const
{
    // A column the list never told about is an ordinary, shown one.
    return ReadAt(m_aVisible, nColumn, 1) != 0;
}

void CBriselHeaderCtrl::SetColumnVisible(int nColumn, BOOL bVisible)
{
    WriteAt(m_aVisible, nColumn, bVisible ? 1 : 0);
}

int CBriselHeaderCtrl::GetInsertedWidth(int nColumn) const
{
    return ReadAt(m_aWidths, nColumn, 0);
}

CString CBriselHeaderCtrl::GetColumnText(int nColumn) const
{
    char szText[HEADING_MAX + 1] = {};
    HDITEM item = {};
    item.mask = HDI_TEXT;
    item.pszText = szText;
    item.cchTextMax = sizeof(szText);
    GetItem(nColumn, &item);
    return szText;
}

void CBriselHeaderCtrl::SetColumnState(int nColumn, _eOrdenEnumeracion eDirection, _eTipoOrdenacion eType,
                                       BOOL bVisible, int nPriority)
{
    WriteGrow(m_aDirections, nColumn, eDirection, ORDEN_ASCENDENTE);
    WriteGrow(m_aSortTypes, nColumn, eType, TIPO_ORDENACION_NINGUNA);
    WriteGrow(m_aVisible, nColumn, bVisible ? 1 : 0, 1);
    WriteGrow(m_aPriorities, nColumn, nPriority, -1);
}

void CBriselHeaderCtrl::SetInsertedWidthGrow(int nColumn, int nWidth)
{
    WriteGrow(m_aWidths, nColumn, nWidth, 0);
}

void CBriselHeaderCtrl::InsertColumnState(int nColumn)
{
    InsertGap(m_aSortTypes, nColumn, TIPO_ORDENACION_NINGUNA);
    InsertGap(m_aDirections, nColumn, ORDEN_ASCENDENTE);
    InsertGap(m_aPriorities, nColumn, -1);
    InsertGap(m_aVisible, nColumn, 1);
    InsertGap(m_aWidths, nColumn, 0);
}

void CBriselHeaderCtrl::RemoveColumnState(int nColumn)
{
    RemoveEntry(m_aSortTypes, nColumn);
    RemoveEntry(m_aDirections, nColumn);
    RemoveEntry(m_aPriorities, nColumn);
    RemoveEntry(m_aVisible, nColumn);
    RemoveEntry(m_aWidths, nColumn);
}

int CBriselHeaderCtrl::GetStateCount() const
{
    return static_cast<int>(m_aPriorities.GetSize());
}

int CBriselHeaderCtrl::FirstSortKey() const
{
    for (INT_PTR i = 0; i < m_aPriorities.GetSize(); i++)
    {
        if (m_aPriorities[i] == 0)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CBriselHeaderCtrl::NextSortKey(int nColumn) const
{
    const int nPriority = GetPriority(nColumn);
    if (nPriority < 0)
    {
        return -1;
    }
    for (INT_PTR i = 0; i < m_aPriorities.GetSize(); i++)
    {
        if (m_aPriorities[i] == nPriority + 1)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<int> CBriselHeaderCtrl::GetSortKeys() const
{
    // Priorities grow along the chain, so it ends within the column count.
    std::vector<int> keys;
    for (int nColumn = FirstSortKey(); nColumn >= 0 && static_cast<INT_PTR>(keys.size()) < m_aPriorities.GetSize();
         nColumn = NextSortKey(nColumn))
    {
        keys.push_back(nColumn);
    }
    return keys;
}

void CBriselHeaderCtrl::ResetSortKeys(int nColumn)
{
    for (INT_PTR i = 0; i < m_aPriorities.GetSize(); i++)
    {
        m_aPriorities[i] = -1;
    }
    SetPriority(nColumn, 0);
}

void CBriselHeaderCtrl::MoveHiddenColumnsFirst()
{
    const int nCount = GetItemCount();
    if (nCount <= 0)
    {
        return;
    }
    std::vector<int> order(static_cast<size_t>(nCount));
    if (!GetOrderArray(order.data(), nCount))
    {
        return;
    }
    std::vector<int> moved;
    moved.reserve(order.size());
    for (int nColumn : order)
    {
        if (!IsColumnVisible(nColumn))
        {
            moved.push_back(nColumn);
        }
    }
    for (int nColumn : order)
    {
        if (IsColumnVisible(nColumn))
        {
            moved.push_back(nColumn);
        }
    }
    SetOrderArray(nCount, moved.data());
}

int CBriselHeaderCtrl::LastVisibleInOrder() const
{
    const int nCount = GetItemCount();
    if (nCount <= 0)
    {
        return -1;
    }
    std::vector<int> order(static_cast<size_t>(nCount));
    if (!GetOrderArray(order.data(), nCount))
    {
        return -1;
    }
    for (int i = nCount - 1; i >= 0; i--)
    {
        if (IsColumnVisible(order[i]))
        {
            return order[i];
        }
    }
    return -1;
}

BOOL CBriselHeaderCtrl::RefuseHidden(int nItem)
{
    if (IsColumnVisible(nItem))
    {
        return FALSE;
    }
    m_bTracking = FALSE;
    return TRUE;
}

BOOL CBriselHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_NOTIFY)
    {
        return CHeaderCtrl::OnChildNotify(message, wParam, lParam, pResult);
    }
    const NMHEADERA* pNotify = reinterpret_cast<const NMHEADERA*>(lParam);
    const UINT code = pNotify->hdr.code;
    const BOOL bHeaderCode = code <= HDN_FIRST && code >= HDN_LAST;
    if (!bHeaderCode || pNotify->iItem < 0)
    {
        return CHeaderCtrl::OnChildNotify(message, wParam, lParam, pResult);
    }
    const int nItem = pNotify->iItem;
    BOOL bRefuse = FALSE;
    switch (code)
    {
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
        m_bTracking = !m_bTracking;
        bRefuse = RefuseHidden(nItem);
        break;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
        m_bTracking = FALSE;
        break;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        bRefuse = RefuseHidden(nItem);
        break;
    case HDN_ENDDRAG:
        PostMessage(WM_USER, 0, 0);
        bRefuse = nItem != LastVisibleInOrder() && RefuseHidden(nItem);
        break;
    case HDN_BEGINDRAG:
        bRefuse = nItem != LastVisibleInOrder() && RefuseHidden(nItem);
        break;
    case HDN_ITEMCHANGINGA:
        // Only a change of width is held to the minimum; a change of text or
        // format carries no width to judge.
        if (IsColumnVisible(nItem) && !m_bTracking && pNotify->pitem != nullptr &&
            (pNotify->pitem->mask & HDI_WIDTH) != 0)
        {
            bRefuse = pNotify->pitem->cxy < m_nMinWidth;
        }
        break;
    default:
        break;
    }
    if (bRefuse)
    {
        if (pResult != nullptr)
        {
            *pResult = TRUE;
        }
        return TRUE;
    }
    return CHeaderCtrl::OnChildNotify(message, wParam, lParam, pResult);
}

void CBriselHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT)
{
    // No item of the list is owner-drawn.
}

void CBriselHeaderCtrl::OnPaint()
{
    Default();
    CClientDC dc(this);
    for (int nColumn = 0; nColumn < GetItemCount(); nColumn++)
    {
        if (GetPriority(nColumn) < 0)
        {
            continue;
        }
        CRect rcItem;
        HDITEM item = {};
        item.mask = HDI_FORMAT;
        if (!GetItemRect(nColumn, &rcItem) || !GetItem(nColumn, &item))
        {
            continue;
        }
        CRect rcArrow(rcItem.right - SORT_ARROW_WIDTH, rcItem.top + 2, rcItem.right, rcItem.bottom - 2);
        if (item.fmt & HDF_RIGHT)
        {
            rcArrow = CRect(rcItem.left, rcItem.top + 2, rcItem.left + SORT_ARROW_WIDTH, rcItem.bottom - 2);
        }
        CRect rcInside;
        if (rcInside.IntersectRect(&rcArrow, &rcItem) && rcInside.EqualRect(&rcArrow))
        {
            DrawSortArrow(&dc, rcArrow, GetDirection(nColumn));
        }
    }
}

void CBriselHeaderCtrl::DrawSortArrow(CDC* pDC, const CRect& rcArrow, _eOrdenEnumeracion eDirection)
{
    CPen penLight;
    CPen penShadow;
    penLight.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DHILIGHT));
    penShadow.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    const int R = rcArrow.right;
    const int B = rcArrow.bottom;
    CPen* pOldPen = pDC->SelectObject(&penLight);
    if (eDirection == ORDEN_ASCENDENTE)
    {
        // Pointing up: the right side and the base lit, the left side in shadow.
        pDC->MoveTo(R - 10, 4);
        pDC->LineTo(R - 7, B - 5);
        pDC->LineTo(R - 14, B - 5);
        pDC->SelectObject(&penShadow);
        pDC->MoveTo(R - 13, B - 6);
        pDC->LineTo(R - 10, 3);
    }
    else
    {
        // Pointing down: the right side lit, the left side and the top in shadow.
        pDC->MoveTo(R - 7, 4);
        pDC->LineTo(R - 11, B - 4);
        pDC->SelectObject(&penShadow);
        pDC->MoveTo(R - 11, B - 5);
        pDC->LineTo(R - 13, 4);
        pDC->LineTo(R - 7, 4);
    }
    pDC->SelectObject(pOldPen);
}

BOOL CBriselHeaderCtrl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    const int nLast = GetItemCount() - 1;
    if (nLast >= 0 && !IsColumnVisible(nLast))
    {
        CPoint point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        CRect rcLast;
        if (GetItemRect(nLast, &rcLast) && point.x >= rcLast.left && point.x <= rcLast.left + HIDDEN_DIVIDER_ZONE)
        {
            // The zero-width column's divider is no place to size from.
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            return TRUE;
        }
    }
    return CHeaderCtrl::OnSetCursor(pWnd, nHitTest, message);
}

LRESULT CBriselHeaderCtrl::OnEndDragReorder(WPARAM, LPARAM)
{
    MoveHiddenColumnsFirst();
    return 0;
}
