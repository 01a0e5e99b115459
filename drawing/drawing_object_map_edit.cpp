// Mouse editing of a drawing map's children: picking, dragging, resizing
// by edges and corners with their cursors, hover borders, the hand-over of
// moves to child maps that drag children of their own, and the mouse's and
// keys' road to the connectors (drawing_object_map_connect.cpp).
#include <algorithm>
#include <cmath>

#include "drawing/drawing_object_map.h"

namespace
{

// How close to an edge or corner a press resizes: the corners' squares and
// the edges' bands, in pixels.
const int CORNER_REACH = 10;
const int EDGE_REACH = 3;

// The cursor resource of each drag mode (index: the mode).
const int DRAG_CURSORS[] = {
    0,
    CDrawingObjectMap::IDC_DRAG_MOVE,
    CDrawingObjectMap::IDC_DRAG_NS,
    CDrawingObjectMap::IDC_DRAG_NS,
    CDrawingObjectMap::IDC_DRAG_WE,
    CDrawingObjectMap::IDC_DRAG_WE,
    CDrawingObjectMap::IDC_DRAG_NESW,
    CDrawingObjectMap::IDC_DRAG_NWSE,
    CDrawingObjectMap::IDC_DRAG_NWSE,
    CDrawingObjectMap::IDC_DRAG_NESW,
};

// The resize mode of a point on a child's rectangle, or DRAG_NONE inside it.
int ResizeModeAt(const CRect& r, int x, int y)
{
    const bool top = r.top <= y && y <= r.top + CORNER_REACH;
    const bool bottom = r.bottom - CORNER_REACH <= y && y <= r.bottom;
    if (r.left <= x && x <= r.left + CORNER_REACH)
    {
        if (top)
        {
            return CDrawingObjectMap::DRAG_TOP_LEFT;
        }
        if (bottom)
        {
            return CDrawingObjectMap::DRAG_BOTTOM_LEFT;
        }
        if (x <= r.left + EDGE_REACH)
        {
            return CDrawingObjectMap::DRAG_LEFT;
        }
    }
    if (r.right - CORNER_REACH <= x && x <= r.right)
    {
        if (top)
        {
            return CDrawingObjectMap::DRAG_TOP_RIGHT;
        }
        if (bottom)
        {
            return CDrawingObjectMap::DRAG_BOTTOM_RIGHT;
        }
        if (x >= r.right - EDGE_REACH)
        {
            return CDrawingObjectMap::DRAG_RIGHT;
        }
    }
    if (r.top <= y && y <= r.top + EDGE_REACH)
    {
        return CDrawingObjectMap::DRAG_TOP;
    }
    if (r.bottom - EDGE_REACH <= y && y <= r.bottom)
    {
        return CDrawingObjectMap::DRAG_BOTTOM;
    }
    return CDrawingObjectMap::DRAG_NONE;
}

bool MovesTop(int mode)
{
    return mode == CDrawingObjectMap::DRAG_TOP || mode == CDrawingObjectMap::DRAG_TOP_RIGHT ||
           mode == CDrawingObjectMap::DRAG_TOP_LEFT;
}

bool MovesBottom(int mode)
{
    return mode == CDrawingObjectMap::DRAG_BOTTOM || mode == CDrawingObjectMap::DRAG_BOTTOM_RIGHT ||
           mode == CDrawingObjectMap::DRAG_BOTTOM_LEFT;
}

bool MovesRight(int mode)
{
    return mode == CDrawingObjectMap::DRAG_RIGHT || mode == CDrawingObjectMap::DRAG_TOP_RIGHT ||
           mode == CDrawingObjectMap::DRAG_BOTTOM_RIGHT;
}

bool MovesLeft(int mode)
{
    return mode == CDrawingObjectMap::DRAG_LEFT || mode == CDrawingObjectMap::DRAG_TOP_LEFT ||
           mode == CDrawingObjectMap::DRAG_BOTTOM_LEFT;
}

CDrawingObjectMap* AsChildMap(CDrawingObject* pObject)
{
    return pObject != nullptr && pObject->IsType(DRAWING_OBJECT_TYPE_MAP, TRUE)
               ? static_cast<CDrawingObjectMap*>(pObject)
               : nullptr;
}

}  // namespace

CPoint CDrawingObjectMap::ConvertPoint(int x, int y) const
{
    x -= m_rect.left;
    y -= m_rect.top;
    if (IsMapZoomed())
    {
        x = static_cast<int>(std::floor((x - m_nMapZoomOffsetX) * 100.0f / m_nMapZoomX + 0.5f));
        y = static_cast<int>(std::floor((y - m_nMapZoomOffsetY) * 100.0f / m_nMapZoomY + 0.5f));
    }
    return CPoint(x, y);
}

int CDrawingObjectMap::ChildIndexAt(int x, int y)
{
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (m_bCapture && pChild != m_pCapturedObject)
        {
            continue;
        }
        if (pChild != nullptr && pChild->HitTest(x, y, FALSE))
        {
            return i;
        }
    }
    return -1;
}

int CDrawingObjectMap::GetCursorAt(int x, int y)
{
    x -= m_rect.left;
    y -= m_rect.top;
    if (IsConnectorDragActive())
    {
        return -3;
    }
    m_nDragMode = DRAG_MOVE;
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild == nullptr || (m_bCapture && pChild != m_pCapturedObject) || !pChild->HitTest(x, y, FALSE))
        {
            continue;
        }
        if (CDrawingObjectMap* pChildMap = AsChildMap(pChild))
        {
            if (const int nCursor = pChildMap->GetCursorAt(x, y))
            {
                return nCursor;
            }
        }
        const int nResize = pChild->m_bFixedSize ? DRAG_NONE : ResizeModeAt(pChild->m_rect, x, y);
        if (nResize != DRAG_NONE)
        {
            m_nDragMode = nResize;
            return DRAG_CURSORS[nResize];
        }
        return pChild->m_bFixedPosition ? 0 : IDC_DRAG_MOVE;
    }
    return 0;
}

BOOL CDrawingObjectMap::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_pHostWnd == nullptr || m_pHostWnd->GetSafeHwnd() == nullptr)
    {
        return FALSE;
    }
    CPoint cursor;
    ::GetCursorPos(&cursor);
    m_pHostWnd->ScreenToClient(&cursor);
    const int nCursor = GetCursorAt(cursor.x, cursor.y);
    HCURSOR hCursor = nullptr;
    if (nCursor > 0)
    {
        hCursor = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(nCursor));
    }
    else if (nCursor == -2)
    {
        hCursor = ::LoadCursor(nullptr, IDC_IBEAM);
    }
    else if (nCursor == -3)
    {
        hCursor = ::LoadCursor(nullptr, IDC_CROSS);
    }
    if (hCursor == nullptr)
    {
        return FALSE;
    }
    ::SetCursor(hCursor);
    return TRUE;
}

int CDrawingObjectMap::BringChildToTop(int nIndex)
{
    CDrawingObject* pChild = m_children.GetChild(nIndex);
    m_children.RemoveAt(nIndex);
    const int nTop = m_children.Add(pChild);
    for (int* pIndex : {&m_nSelectedChild, &m_nCapturedChild})
    {
        if (*pIndex == nIndex)
        {
            *pIndex = nTop;
        }
        else if (*pIndex > nIndex)
        {
            --*pIndex;
        }
    }
    return nTop;
}

int CDrawingObjectMap::OnLButtonDown(UINT nFlags, int x, int y)
{
    const CPoint point = ConvertPoint(x, y);
    m_nDraggedChild = -1;
    if ((nFlags & MK_CONTROL) != 0 && StartConnectorDrag(point))
    {
        SelectConnector(-1);
        return 1;
    }
    int nHit = ChildIndexAt(point.x, point.y);
    CDrawingObject* pHit = m_children.GetChild(nHit);
    BOOL bDragging = FALSE;
    if (pHit != nullptr && !pHit->m_bFixedPosition && pHit->CanEdit())
    {
        if (m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
        {
            m_pHostWnd->SetCapture();
        }
        m_nGrabOffsetX = point.x - pHit->m_rect.left;
        m_nGrabOffsetY = point.y - pHit->m_rect.top;
        m_rectBeforeDrag = pHit->m_rect;
        // Drawn last and hit first from now on.
        nHit = BringChildToTop(nHit);
        m_nDraggedChild = nHit;
        bDragging = TRUE;
    }
    else
    {
        // Child maps may start drags of their own.
        for (int i = m_children.GetSize() - 1; i >= 0; --i)
        {
            CDrawingObject* pChild = m_children.GetChild(i);
            if (pChild != nullptr && pChild->m_bVisible && pChild->HitTest(point.x, point.y, FALSE) &&
                pChild->OnLButtonDown(nFlags, point.x, point.y) != 0)
            {
                break;
            }
        }
    }
    // A line lies under the children: it is hit only beside them.
    const int nConnector = pHit == nullptr ? ConnectorAt(point.x, point.y) : -1;
    SelectConnector(nConnector);
    if (nConnector >= 0 && m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
    {
        // The Delete key is to reach the selected line.
        m_pHostWnd->SetFocus();
    }
    if (pHit != nullptr)
    {
        SelectChild(nHit, FALSE, bDragging);
        return 1;
    }
    return nConnector >= 0 ? 1 : 0;
}

void CDrawingObjectMap::DragTo(int x, int y)
{
    CDrawingObject* pChild = m_children.GetChild(m_nDraggedChild);
    if (pChild == nullptr)
    {
        m_nDraggedChild = -1;
        return;
    }
    const CRect r = pChild->m_rect;
    const int mode = m_nDragMode;
    if (MovesTop(mode))
    {
        y = std::min(std::max(y, 0), static_cast<int>(r.bottom) - MIN_DRAGGED_SIZE);
    }
    if (MovesBottom(mode))
    {
        y = std::max(std::min(y, m_rect.Height()), static_cast<int>(r.top) + MIN_DRAGGED_SIZE);
    }
    if (MovesRight(mode))
    {
        x = std::max(std::min(x, m_rect.Width()), static_cast<int>(r.left) + MIN_DRAGGED_SIZE);
    }
    if (MovesLeft(mode))
    {
        x = std::min(std::max(x, 0), static_cast<int>(r.right) - MIN_DRAGGED_SIZE);
    }
    if (mode == DRAG_MOVE)
    {
        if (!pChild->m_bFixedPosition)
        {
            MoveChild(pChild, x - m_nGrabOffsetX, y - m_nGrabOffsetY);
        }
        return;
    }
    if (mode == DRAG_NONE || pChild->m_bFixedSize)
    {
        return;
    }
    const int left = MovesLeft(mode) ? x : r.left;
    const int top = MovesTop(mode) ? y : r.top;
    const int right = MovesRight(mode) ? x : r.right;
    const int bottom = MovesBottom(mode) ? y : r.bottom;
    // Only the dimensions that move are held to the smallest size.
    const int width = MovesLeft(mode) || MovesRight(mode) ? std::max(right - left, static_cast<int>(MIN_DRAGGED_SIZE))
                                                         : r.Width();
    const int height = MovesTop(mode) || MovesBottom(mode)
                           ? std::max(bottom - top, static_cast<int>(MIN_DRAGGED_SIZE))
                           : r.Height();
    InvalidateConnectorsOf(pChild);
    pChild->SetSize(width, height, TRUE);
    InvalidateConnectorsOf(pChild);
    if (MovesLeft(mode) || MovesTop(mode))
    {
        MoveChild(pChild, left, top);
    }
}

void CDrawingObjectMap::ShowHover(CDrawingObject* pChild, BOOL bOver)
{
    if (bOver && pChild->m_bBorderEnabled && pChild->m_nState == 0)
    {
        pChild->SetState(1, TRUE);
        pChild->SetColorAdjustActive(TRUE, TRUE);
    }
    else if (!bOver && pChild->m_nState != 0)
    {
        pChild->SetState(0, TRUE);
        pChild->SetColorAdjustActive(FALSE, TRUE);
    }
}

int CDrawingObjectMap::OnMouseMove(UINT nFlags, int x, int y)
{
    if (m_bNestedMove)
    {
        // The point is the root's: the ancestors' corners come off first.
        for (CDrawingObject* pAncestor = m_pParent; pAncestor != nullptr; pAncestor = pAncestor->m_pParent)
        {
            x -= pAncestor->m_rect.left;
            y -= pAncestor->m_rect.top;
        }
        m_bNestedMove = FALSE;
    }
    const CPoint point = ConvertPoint(x, y);
    if (m_nDraggedChild >= 0)
    {
        DragTo(point.x, point.y);
        return 1;
    }
    if (IsConnectorDragActive())
    {
        // The children still show where the line would end.
        FollowConnectorDrag(point);
    }
    if (CDrawingObject* pDragged = GetDraggedObject())
    {
        CDrawingObjectMap* pOwner = pDragged->GetParentMap();
        if (pOwner != nullptr && pOwner != this)
        {
            pOwner->m_bNestedMove = TRUE;
            return pOwner->OnMouseMove(nFlags, x, y);
        }
    }
    if (m_bCapture)
    {
        return m_pCapturedObject != nullptr ? m_pCapturedObject->OnMouseMove(nFlags, point.x, point.y) : 0;
    }
    CDrawingObject* pTaker = nullptr;
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild == nullptr || !pChild->m_bVisible)
        {
            continue;
        }
        // Once a child has taken the point, the others hear of a point
        // outside every object.
        const CPoint offered = pTaker == nullptr ? point : CPoint(-1, -1);
        const int taken = pChild->OnMouseMove(nFlags, offered.x, offered.y);
        ShowHover(pChild, pChild->HitTest(offered.x, offered.y, FALSE));
        if (pTaker == nullptr && taken != 0)
        {
            pTaker = pChild;
        }
    }
    return pTaker != nullptr ? 1 : 0;
}

CDrawingObject* CDrawingObjectMap::GetDraggedObject()
{
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObjectMap* pChildMap = AsChildMap(m_children.GetChild(i));
        if (pChildMap == nullptr)
        {
            continue;
        }
        if (CDrawingObject* pDragged = pChildMap->m_children.GetChild(pChildMap->m_nDraggedChild))
        {
            return pDragged;
        }
        if (CDrawingObject* pDeeper = pChildMap->GetDraggedObject())
        {
            return pDeeper;
        }
    }
    return nullptr;
}

CDrawingObject* CDrawingObjectMap::DeepestObjectAt(int x, int y, BOOL bRelative)
{
    if (bRelative)
    {
        x -= m_rect.left;
        y -= m_rect.top;
    }
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild == nullptr || !pChild->m_bVisible || !pChild->HitTest(x, y, FALSE))
        {
            continue;
        }
        CDrawingObjectMap* pChildMap = AsChildMap(pChild);
        return pChildMap != nullptr ? pChildMap->DeepestObjectAt(x, y, TRUE) : pChild;
    }
    return nullptr;
}

void CDrawingObjectMap::OnLButtonUp(UINT nFlags, int x, int y)
{
    if (m_pHostWnd != nullptr && ::GetCapture() == m_pHostWnd->GetSafeHwnd() && ::GetCapture() != nullptr)
    {
        ::ReleaseCapture();
    }
    CDrawingObject* pDragged = m_children.GetChild(m_nDraggedChild);
    m_nDraggedChild = -1;
    const CPoint point = ConvertPoint(x, y);
    m_nCapturedChild = -1;
    if (m_bCapture)
    {
        if (m_pCapturedObject != nullptr)
        {
            m_pCapturedObject->OnLButtonUp(nFlags, point.x, point.y);
            ShowHover(m_pCapturedObject, FALSE);
        }
    }
    else
    {
        for (int i = m_children.GetSize() - 1; i >= 0; --i)
        {
            CDrawingObject* pChild = m_children.GetChild(i);
            if (pChild != nullptr && pChild->m_bVisible)
            {
                pChild->OnLButtonUp(nFlags, point.x, point.y);
            }
        }
        for (int i = 0; i < m_children.GetSize(); ++i)
        {
            if (CDrawingObject* pChild = m_children.GetChild(i))
            {
                ShowHover(pChild, FALSE);
            }
        }
    }
    if (IsConnectorDragActive())
    {
        EndConnectorDrag(DeepestObjectAt(point.x, point.y, FALSE));
    }
    if (!m_rectHighlight.IsRectEmpty())
    {
        SetHighlightRect(nullptr);
    }
    if (pDragged != nullptr && pDragged->m_rect != m_rectBeforeDrag)
    {
        OnChildEdited(pDragged);
    }
}

void CDrawingObjectMap::OnLButtonDblClk(UINT nFlags, int x, int y)
{
    if (m_pHostWnd != nullptr && ::GetCapture() == m_pHostWnd->GetSafeHwnd() && ::GetCapture() != nullptr)
    {
        ::ReleaseCapture();
    }
    m_nDraggedChild = -1;
    if (m_bCapture && m_pCapturedObject != nullptr)
    {
        const CPoint point = ConvertPoint(x, y);
        m_pCapturedObject->OnLButtonDblClk(nFlags, point.x, point.y);
    }
}

void CDrawingObjectMap::OnMouseLeave()
{
    if (m_bCapture)
    {
        if (m_pCapturedObject != nullptr)
        {
            m_pCapturedObject->OnMouseLeave();
        }
        return;
    }
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild != nullptr && pChild->m_bVisible)
        {
            pChild->OnMouseLeave();
        }
    }
}

void CDrawingObjectMap::OnCancelMode()
{
    if (IsConnectorDragActive())
    {
        EndConnectorDrag(nullptr);
    }
    if (m_bCapture)
    {
        if (m_pCapturedObject != nullptr)
        {
            m_pCapturedObject->OnCancelMode();
        }
        return;
    }
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild != nullptr && pChild->m_bVisible)
        {
            pChild->OnCancelMode();
        }
    }
}

void CDrawingObjectMap::OnKeyDown(UINT nKey)
{
    if (CDrawingObject* pSelected = m_children.GetChild(m_nSelectedChild))
    {
        pSelected->OnKeyDown(nKey);
    }
    if (nKey == VK_DELETE)
    {
        RemoveConnector(GetSelectedConnector());
    }
}

void CDrawingObjectMap::OnKeyUp(UINT nKey, UINT nFlags)
{
    if (CDrawingObject* pSelected = m_children.GetChild(m_nSelectedChild))
    {
        pSelected->OnKeyUp(nKey, nFlags);
    }
}
