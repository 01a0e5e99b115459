#include "drawing/drawing_object.h"

#include <algorithm>

#include "drawing/dc_saver.h"
#include "drawing/drawing_messages.h"
#include "drawing/drawing_object_map.h"

CDrawingObject::CDrawingObject(CWnd* pHostWnd, CDrawingObject* pParent, BOOL bVisible)
    : m_bBorderEnabled(TRUE),
      m_nState(0),
      m_crBorder(0x000000FF),
      m_pBorderPen(nullptr),
      m_nMargin(0),
      m_pHostWnd(pHostWnd),
      m_pParent(pParent),
      m_bVisible(bVisible),
      m_bFixedPosition(FALSE),
      m_bFixedSize(FALSE),
      m_nId(0),
      m_nBorderWidth(3),
      m_bColorAdjustAllowed(FALSE),
      m_colorAdjust(DefaultColorAdjustment()),
      m_bColorAdjustActive(FALSE),
      m_bEnabled(TRUE),
      m_bSelected(FALSE),
      m_bRoundBorder(FALSE),
      m_nCornerWidth(15),
      m_nCornerHeight(15),
      m_bExclusiveHit(FALSE),
      m_rect(0, 0, 100, 100),
      m_nZoomX(100),
      m_nZoomY(100),
      m_bZoomCentered(TRUE),
      m_rectZoomed(m_rect),
      m_nZoomOffsetX(0),
      m_nZoomOffsetY(0),
      m_rectLastInvalidated(0, 0, 0, 0)
{
    m_types.Add(DRAWING_OBJECT_TYPE_OBJECT);
    m_pBorderPen = new CPen(PS_SOLID, m_nBorderWidth, m_crBorder);
    Invalidate();
}

CDrawingObject::~CDrawingObject()
{
    delete m_pBorderPen;
    m_pBorderPen = nullptr;
    // Hidden, so that nothing run from here on posts an invalidation.
    m_bVisible = FALSE;
    m_types.RemoveAll();
}

COLORADJUSTMENT CDrawingObject::DefaultColorAdjustment()
{
    COLORADJUSTMENT adjustment{};
    adjustment.caSize = sizeof(COLORADJUSTMENT);
    adjustment.caRedGamma = 10000;
    adjustment.caGreenGamma = 10000;
    adjustment.caBlueGamma = 10000;
    adjustment.caReferenceWhite = 10000;
    return adjustment;
}

void CDrawingObject::SetEnabled(BOOL bEnabled, BOOL bRedraw)
{
    m_bEnabled = bEnabled;
    if (bRedraw)
    {
        Invalidate();
    }
}

void CDrawingObject::Draw(CDC* pDC)
{
    if (m_bColorAdjustAllowed && m_bColorAdjustActive && m_bVisible)
    {
        // What is already drawn in the area is rendered again through the
        // adjustment.
        pDC->SetStretchBltMode(HALFTONE);
        pDC->SetColorAdjustment(&m_colorAdjust);
        pDC->StretchBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), pDC, m_rect.left, m_rect.top,
                        m_rect.Width(), m_rect.Height(), SRCCOPY);
    }
    if (m_bBorderEnabled && m_pBorderPen != nullptr && m_bVisible && m_nState != 0)
    {
        CDCStateSaver saver(pDC);
        pDC->SelectObject(m_pBorderPen);
        pDC->SelectStockObject(NULL_BRUSH);
        CRect border = GetDrawnRect();
        border.InflateRect(m_nMargin, m_nMargin);
        if (m_bRoundBorder)
        {
            pDC->RoundRect(border.left, border.top, border.right, border.bottom, m_nCornerWidth, m_nCornerHeight);
        }
        else
        {
            pDC->Rectangle(&border);
        }
    }
}

BOOL CDrawingObject::HitTest(int x, int y, BOOL bEvenIfHidden)
{
    if (!m_bEnabled || (!m_bVisible && !bEvenIfHidden))
    {
        return FALSE;
    }
    CDrawingObjectMap* pParent = GetParentMap();
    if (m_bExclusiveHit && pParent != nullptr && !pParent->m_bHitTestGuard)
    {
        pParent->m_bHitTestGuard = TRUE;
        CDrawingObject* pTopmost = pParent->m_children.ChildFromPoint(x, y);
        pParent->m_bHitTestGuard = FALSE;
        if (pTopmost != this)
        {
            return FALSE;
        }
    }
    CRect area = GetDrawnRect();
    area.InflateRect(m_nMargin, m_nMargin);
    return area.PtInRect(CPoint(x, y));
}

void CDrawingObject::Invalidate()
{
    CRect rect = GetDrawnRect();
    if (m_pBorderPen != nullptr)
    {
        LOGPEN pen{};
        m_pBorderPen->GetLogPen(&pen);
        rect.InflateRect(m_nMargin + pen.lopnWidth.x, m_nMargin + pen.lopnWidth.x);
    }
    m_rectLastInvalidated = rect;
    InvalidateRect(rect);
}

void CDrawingObject::SetVisible(BOOL bVisible, BOOL bRedraw)
{
    if (bVisible)
    {
        m_bVisible = TRUE;
        if (bRedraw)
        {
            Invalidate();
        }
        return;
    }
    if (bRedraw)
    {
        Invalidate();
    }
    m_bVisible = FALSE;
}

void CDrawingObject::MoveTo(int x, int y, BOOL bRedraw)
{
    if (bRedraw)
    {
        Invalidate();
    }
    m_rect.OffsetRect(x - m_rect.left, y - m_rect.top);
    if (bRedraw)
    {
        Invalidate();
    }
}

void CDrawingObject::SetSize(int cx, int cy, BOOL bRedraw)
{
    if (bRedraw)
    {
        Invalidate();
    }
    m_rect.right = m_rect.left + cx;
    m_rect.bottom = m_rect.top + cy;
    if (bRedraw)
    {
        Invalidate();
    }
}

void CDrawingObject::SetState(int nState, BOOL bRedraw)
{
    if (!m_bBorderEnabled)
    {
        return;
    }
    m_nState = nState;
    if (bRedraw)
    {
        Invalidate();
    }
}

void CDrawingObject::SetZoom(int nZoomX, int nZoomY, BOOL bCentered)
{
    Invalidate();
    m_nZoomX = std::max(nZoomX, 1);
    m_nZoomY = std::max(nZoomY, 1);
    m_bZoomCentered = bCentered;
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    const int zoomedWidth = width * m_nZoomX / 100;
    const int zoomedHeight = height * m_nZoomY / 100;
    m_nZoomOffsetX = bCentered ? (width - zoomedWidth) / 2 : 0;
    m_nZoomOffsetY = bCentered ? (height - zoomedHeight) / 2 : 0;
    m_rectZoomed.SetRect(m_rect.left + m_nZoomOffsetX, m_rect.top + m_nZoomOffsetY,
                         m_rect.left + m_nZoomOffsetX + zoomedWidth, m_rect.top + m_nZoomOffsetY + zoomedHeight);
    Invalidate();
}

void CDrawingObject::Select()
{
    m_bSelected = TRUE;
}

void CDrawingObject::Unselect()
{
    m_bSelected = FALSE;
}

int CDrawingObject::OnMouseMove(UINT, int, int)
{
    return 0;
}

int CDrawingObject::OnLButtonDown(UINT, int, int)
{
    return 0;
}

void CDrawingObject::OnLButtonUp(UINT, int, int)
{
}

void CDrawingObject::OnMouseLeave()
{
}

void CDrawingObject::OnLButtonDblClk(UINT, int, int)
{
}

void CDrawingObject::OnKeyDown(UINT)
{
}

void CDrawingObject::OnKeyUp(UINT, UINT)
{
}

void CDrawingObject::OnCancelMode()
{
}

BOOL CDrawingObject::CanEdit()
{
    return m_pParent != nullptr ? m_pParent->CanEdit() : TRUE;
}

BOOL CDrawingObject::OnSetCursor(CWnd*, UINT, UINT)
{
    return TRUE;
}

void CDrawingObject::SetBorder(BOOL bOn, BOOL bRedraw)
{
    m_bBorderEnabled = bOn;
    delete m_pBorderPen;
    m_pBorderPen = bOn ? new CPen(PS_SOLID, m_nBorderWidth, m_crBorder) : nullptr;
    if (bRedraw)
    {
        Invalidate();
    }
}

void CDrawingObject::SetColorAdjustActive(BOOL bActive, BOOL bRedraw)
{
    if (!m_bColorAdjustAllowed)
    {
        return;
    }
    m_bColorAdjustActive = bActive;
    if (bRedraw)
    {
        Invalidate();
    }
}

CPoint CDrawingObject::GetPosition() const
{
    return CPoint(m_rect.left, m_rect.top);
}

CSize CDrawingObject::GetSize() const
{
    return CSize(m_rect.Width(), m_rect.Height());
}

BOOL CDrawingObject::IsType(_eDrawingObjectType eType, BOOL bLastOnly) const
{
    const INT_PTR count = m_types.GetSize();
    if (count == 0)
    {
        return FALSE;
    }
    if (bLastOnly)
    {
        return m_types[count - 1] == eType;
    }
    for (INT_PTR i = 0; i < count; ++i)
    {
        if (m_types[i] == eType)
        {
            return TRUE;
        }
    }
    return FALSE;
}

void CDrawingObject::InvalidateRect(RECT rect)
{
    if (!m_bVisible)
    {
        return;
    }
    if (CDrawingObjectMap* pParent = GetParentMap())
    {
        pParent->InvalidateChildRect(rect);
        return;
    }
    PostToHostWindow(rect);
}

void CDrawingObject::PostToHostWindow(const RECT& rect)
{
    if (m_pHostWnd == nullptr || !::IsWindow(m_pHostWnd->GetSafeHwnd()))
    {
        return;
    }
    RECT* pPosted = new RECT(rect);
    if (!::PostMessage(m_pHostWnd->GetSafeHwnd(), MSG_DRAWING_OBJECT_INVALIDATE_RECT,
                       reinterpret_cast<WPARAM>(pPosted), 0))
    {
        delete pPosted;
    }
}

BOOL CDrawingObject::IsZoomed() const
{
    return m_nZoomX != 100 || m_nZoomY != 100;
}

CRect CDrawingObject::GetDrawnRect() const
{
    return IsZoomed() ? m_rectZoomed : m_rect;
}

CDrawingObjectMap* CDrawingObject::GetParentMap() const
{
    return dynamic_cast<CDrawingObjectMap*>(m_pParent);
}
