// A drawing map's connectors: making them (by call, or by the mouse with
// the loose line that follows it), selecting, removing, drawing them, and
// repainting their lines when the objects they join move.
#include "drawing/drawing_object_map.h"

namespace
{

void InvalidateLine(CDrawingObjectMap* pMap, CDrawingObjectConnector* pConnector)
{
    const CRect bounds = pConnector->GetBounds(pMap);
    if (!bounds.IsRectEmpty())
    {
        pMap->InvalidateChildRect(bounds);
    }
}

}  // namespace

BOOL CDrawingObjectMap::CanConnect(CDrawingObject*, CDrawingObject*)
{
    return TRUE;
}

void CDrawingObjectMap::OnConnectorAdded(CDrawingObjectConnector*)
{
}

void CDrawingObjectMap::OnConnectorSelected(CDrawingObjectConnector*)
{
}

void CDrawingObjectMap::OnConnectorRemoved(CDrawingObjectConnector*)
{
}

CDrawingObjectConnector* CDrawingObjectMap::Connect(CDrawingObject* pFrom, CDrawingObject* pTo)
{
    if (pFrom == nullptr || pTo == nullptr || pFrom == pTo)
    {
        return nullptr;
    }
    CArray<int> fromPath, toPath;
    CDrawingObjectConnector::MakePath(pFrom, fromPath);
    CDrawingObjectConnector::MakePath(pTo, toPath);
    // Ids shared by siblings would make a path name another object.
    if (CDrawingObjectConnector::ResolvePath(this, fromPath) != pFrom ||
        CDrawingObjectConnector::ResolvePath(this, toPath) != pTo)
    {
        return nullptr;
    }
    for (INT_PTR i = 0; i < m_connectors.GetSize(); ++i)
    {
        if (m_connectors[i]->Joins(this, pFrom, pTo))
        {
            return nullptr;
        }
    }
    if (!CanConnect(pFrom, pTo))
    {
        return nullptr;
    }
    auto* pConnector = new CDrawingObjectConnector(fromPath, toPath);
    m_connectors.Add(pConnector);
    InvalidateLine(this, pConnector);
    OnConnectorAdded(pConnector);
    return pConnector;
}

int CDrawingObjectMap::ConnectorAt(int x, int y)
{
    for (INT_PTR i = m_connectors.GetSize() - 1; i >= 0; --i)
    {
        if (m_connectors[i]->HitTest(this, x, y))
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CDrawingObjectMap::GetSelectedConnector()
{
    for (INT_PTR i = 0; i < m_connectors.GetSize(); ++i)
    {
        if (m_connectors[i]->m_bSelected)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CDrawingObjectMap::SelectConnector(int nIndex)
{
    if (nIndex == GetSelectedConnector())
    {
        return;
    }
    CDrawingObjectConnector* pSelected = nullptr;
    for (INT_PTR i = 0; i < m_connectors.GetSize(); ++i)
    {
        CDrawingObjectConnector* pConnector = m_connectors[i];
        const BOOL bSelected = i == nIndex;
        if (pConnector->m_bSelected != bSelected)
        {
            pConnector->m_bSelected = bSelected;
            InvalidateLine(this, pConnector);
        }
        if (bSelected)
        {
            pSelected = pConnector;
        }
    }
    OnConnectorSelected(pSelected);
}

BOOL CDrawingObjectMap::RemoveConnector(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_connectors.GetSize())
    {
        return FALSE;
    }
    CDrawingObjectConnector* pConnector = m_connectors[nIndex];
    InvalidateLine(this, pConnector);
    OnConnectorRemoved(pConnector);
    m_connectors.RemoveAt(nIndex);
    delete pConnector;
    return TRUE;
}

BOOL CDrawingObjectMap::IsConnectorDragActive()
{
    return m_activeConnectors.GetSize() > 0;
}

BOOL CDrawingObjectMap::StartConnectorDrag(CPoint point)
{
    CDrawingObject* pStart = DeepestObjectAt(point.x, point.y, FALSE);
    if (pStart == nullptr)
    {
        return FALSE;
    }
    EndConnectorDrag(nullptr);
    CDrawingObjectConnector::MakePath(pStart, m_connectorStartPath);
    if (CDrawingObjectConnector::ResolvePath(this, m_connectorStartPath) != pStart)
    {
        m_connectorStartPath.RemoveAll();
        return FALSE;
    }
    m_activeConnectors.Add(_tActiveConnector{point.x, point.y});
    if (m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
    {
        m_pHostWnd->SetCapture();
        // No cursor question comes while the mouse is captured: the cross
        // stays until the release.
        ::SetCursor(::LoadCursor(nullptr, IDC_CROSS));
    }
    return TRUE;
}

BOOL CDrawingObjectMap::GetConnectorDragLine(CPoint& from, CPoint& to)
{
    if (!IsConnectorDragActive())
    {
        return FALSE;
    }
    const _tActiveConnector loose = m_activeConnectors.GetAt(0);
    CRect start;
    if (!CDrawingObjectConnector::RectInMap(
            this, CDrawingObjectConnector::ResolvePath(this, m_connectorStartPath), start))
    {
        return FALSE;
    }
    const CRect end(loose.m_nLooseX, loose.m_nLooseY, loose.m_nLooseX, loose.m_nLooseY);
    return CDrawingObjectConnector::VisibleLine(start, end, from, to);
}

void CDrawingObjectMap::InvalidateConnectorDrag()
{
    CPoint from, to;
    if (GetConnectorDragLine(from, to))
    {
        InvalidateChildRect(CDrawingObjectConnector::LineBounds(from, to, CDrawingObjectConnector::LOOSE_WIDTH));
    }
}

void CDrawingObjectMap::FollowConnectorDrag(CPoint point)
{
    InvalidateConnectorDrag();
    m_activeConnectors.RemoveAt(0);
    m_activeConnectors.Add(_tActiveConnector{point.x, point.y}, 0);
    InvalidateConnectorDrag();
}

void CDrawingObjectMap::EndConnectorDrag(CDrawingObject* pTarget)
{
    if (!IsConnectorDragActive())
    {
        return;
    }
    InvalidateConnectorDrag();
    while (m_activeConnectors.GetSize() > 0)
    {
        m_activeConnectors.RemoveAt(m_activeConnectors.GetSize() - 1);
    }
    if (pTarget != nullptr)
    {
        Connect(CDrawingObjectConnector::ResolvePath(this, m_connectorStartPath), pTarget);
    }
    m_connectorStartPath.RemoveAll();
}

void CDrawingObjectMap::InvalidateConnectorsOf(CDrawingObject* pObject)
{
    for (CDrawingObjectMap* pMap = this; pMap != nullptr; pMap = pMap->GetParentMap())
    {
        for (INT_PTR i = 0; i < pMap->m_connectors.GetSize(); ++i)
        {
            CDrawingObjectConnector* pConnector = pMap->m_connectors[i];
            if (pConnector->Touches(pMap, pObject))
            {
                InvalidateLine(pMap, pConnector);
            }
        }
    }
}

void CDrawingObjectMap::DrawConnectors(CDC* pDC)
{
    for (INT_PTR i = 0; i < m_connectors.GetSize(); ++i)
    {
        m_connectors[i]->Draw(pDC, this);
    }
    CPoint from, to;
    if (GetConnectorDragLine(from, to))
    {
        CDrawingObjectConnector::DrawLine(pDC, from, to, CDrawingObjectConnector::SELECTION_COLOUR,
                                          CDrawingObjectConnector::LOOSE_WIDTH, FALSE);
    }
}
