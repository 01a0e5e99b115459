#include "drawing/drawing_object_connector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "drawing/dc_saver.h"
#include "drawing/drawing_object_map.h"

namespace
{

// How far along the line from the rectangle's centre, as a share of d, the
// line leaves the rectangle.
double ExitShare(const CRect& r, double dx, double dy)
{
    double share = std::numeric_limits<double>::infinity();
    if (dx != 0)
    {
        share = std::min(share, r.Width() / 2.0 / std::fabs(dx));
    }
    if (dy != 0)
    {
        share = std::min(share, r.Height() / 2.0 / std::fabs(dy));
    }
    return share;
}

CPoint Rounded(double x, double y)
{
    return CPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

// Squared distance from (x, y) to the segment from a to b.
double DistanceSquared(CPoint a, CPoint b, int x, int y)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - x;
    const double ey = a.y + t * dy - y;
    return ex * ex + ey * ey;
}

}  // namespace

CDrawingObjectConnector::CDrawingObjectConnector(const CArray<int>& fromPath, const CArray<int>& toPath)
    : m_bSelected(FALSE), m_crLine(RGB(70, 70, 70)), m_crSelected(SELECTION_COLOUR), m_nWidth(2)
{
    m_fromPath.Copy(fromPath);
    m_toPath.Copy(toPath);
}

void CDrawingObjectConnector::MakePath(CDrawingObject* pObject, CArray<int>& path)
{
    path.RemoveAll();
    for (CDrawingObject* p = pObject; p != nullptr; p = p->m_pParent)
    {
        path.Add(p->m_nId);
    }
}

CDrawingObject* CDrawingObjectConnector::ResolvePath(CDrawingObjectMap* pMap, const CArray<int>& path)
{
    if (pMap == nullptr || path.IsEmpty())
    {
        return nullptr;
    }
    CDrawingObjectMap* pRoot = pMap;
    while (CDrawingObjectMap* pParent = pRoot->GetParentMap())
    {
        pRoot = pParent;
    }
    if (pRoot->m_nId != path[path.GetSize() - 1])
    {
        return nullptr;
    }
    CDrawingObject* pObject = pRoot;
    for (INT_PTR i = path.GetSize() - 2; i >= 0; --i)
    {
        CDrawingObjectMap* pLevel = pObject->IsType(DRAWING_OBJECT_TYPE_MAP, FALSE)
                                        ? static_cast<CDrawingObjectMap*>(pObject)
                                        : nullptr;
        pObject = pLevel != nullptr ? pLevel->m_children.GetChildById(path[i]) : nullptr;
        if (pObject == nullptr)
        {
            return nullptr;
        }
    }
    return pObject;
}

BOOL CDrawingObjectConnector::RectInMap(CDrawingObjectMap* pMap, CDrawingObject* pObject, CRect& rect)
{
    if (pObject == nullptr)
    {
        return FALSE;
    }
    rect = pObject->GetDrawnRect();
    for (CDrawingObjectMap* p = pObject->GetParentMap(); p != pMap; p = p->GetParentMap())
    {
        if (p == nullptr)
        {
            return FALSE;
        }
        rect.OffsetRect(p->m_rect.TopLeft());
    }
    return TRUE;
}

BOOL CDrawingObjectConnector::VisibleLine(const CRect& a, const CRect& b, CPoint& from, CPoint& to)
{
    const double ax = (a.left + a.right) / 2.0;
    const double ay = (a.top + a.bottom) / 2.0;
    const double dx = (b.left + b.right) / 2.0 - ax;
    const double dy = (b.top + b.bottom) / 2.0 - ay;
    const double fromShare = ExitShare(a, dx, dy);
    const double toShare = ExitShare(b, dx, dy);
    if (fromShare + toShare >= 1.0)
    {
        return FALSE;
    }
    from = Rounded(ax + fromShare * dx, ay + fromShare * dy);
    to = Rounded(ax + (1.0 - toShare) * dx, ay + (1.0 - toShare) * dy);
    return TRUE;
}

void CDrawingObjectConnector::DrawLine(CDC* pDC, CPoint from, CPoint to, COLORREF colour, int nWidth, BOOL bHandles)
{
    CDCStateSaver saver(pDC);
    CPen pen(PS_SOLID, nWidth, colour);
    pDC->SelectObject(&pen);
    pDC->MoveTo(from);
    pDC->LineTo(to);
    const double length = std::hypot(to.x - from.x, to.y - from.y);
    if (bHandles && length > 2 * HANDLE_SIZE)
    {
        // Just beside the anchor points, so that the objects, drawn over
        // the lines, leave them whole.
        const int half = HANDLE_SIZE / 2;
        const double ux = (to.x - from.x) / length * (half + 1);
        const double uy = (to.y - from.y) / length * (half + 1);
        for (CPoint p : {Rounded(from.x + ux, from.y + uy), Rounded(to.x - ux, to.y - uy)})
        {
            pDC->FillSolidRect(p.x - half, p.y - half, HANDLE_SIZE, HANDLE_SIZE, colour);
        }
    }
}

CRect CDrawingObjectConnector::LineBounds(CPoint from, CPoint to, int nWidth)
{
    CRect bounds(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
                 std::max(from.y, to.y) + 1);
    const int reach = std::max(nWidth, static_cast<int>(HANDLE_SIZE)) / 2 + 1;
    bounds.InflateRect(reach, reach);
    return bounds;
}

CDrawingObject* CDrawingObjectConnector::GetFrom(CDrawingObjectMap* pMap) const
{
    return ResolvePath(pMap, m_fromPath);
}

CDrawingObject* CDrawingObjectConnector::GetTo(CDrawingObjectMap* pMap) const
{
    return ResolvePath(pMap, m_toPath);
}

BOOL CDrawingObjectConnector::GetLine(CDrawingObjectMap* pMap, CPoint& from, CPoint& to) const
{
    CRect a, b;
    return RectInMap(pMap, GetFrom(pMap), a) && RectInMap(pMap, GetTo(pMap), b) && VisibleLine(a, b, from, to);
}

BOOL CDrawingObjectConnector::HitTest(CDrawingObjectMap* pMap, int x, int y) const
{
    CPoint from, to;
    if (!GetLine(pMap, from, to))
    {
        return FALSE;
    }
    const double reach = m_nWidth / 2.0 + static_cast<int>(HIT_REACH);
    return DistanceSquared(from, to, x, y) <= reach * reach;
}

CRect CDrawingObjectConnector::GetBounds(CDrawingObjectMap* pMap) const
{
    CPoint from, to;
    if (!GetLine(pMap, from, to))
    {
        return CRect(0, 0, 0, 0);
    }
    // Wide enough for the selected drawing too, which may come next.
    return LineBounds(from, to, m_nWidth + 2);
}

void CDrawingObjectConnector::Draw(CDC* pDC, CDrawingObjectMap* pMap) const
{
    CPoint from, to;
    if (!GetLine(pMap, from, to))
    {
        return;
    }
    if (m_bSelected)
    {
        DrawLine(pDC, from, to, m_crSelected, m_nWidth + 2, TRUE);
    }
    else
    {
        DrawLine(pDC, from, to, m_crLine, m_nWidth, FALSE);
    }
}

BOOL CDrawingObjectConnector::Touches(CDrawingObjectMap* pMap, CDrawingObject* pObject) const
{
    for (CDrawingObject* pEnd : {GetFrom(pMap), GetTo(pMap)})
    {
        for (CDrawingObject* p = pEnd; p != nullptr; p = p->m_pParent)
        {
            if (p == pObject)
            {
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CDrawingObjectConnector::Joins(CDrawingObjectMap* pMap, CDrawingObject* pA, CDrawingObject* pB) const
{
    CDrawingObject* pFrom = GetFrom(pMap);
    CDrawingObject* pTo = GetTo(pMap);
    return (pFrom == pA && pTo == pB) || (pFrom == pB && pTo == pA);
}
