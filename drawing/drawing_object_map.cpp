#include "drawing/drawing_object_map.h"

#include <algorithm>
#include <cmath>

#include "drawing/dc_saver.h"

CDrawingObjectMap::CDrawingObjectMap(CWnd* pHostWnd, CDrawingObject* pParent, BOOL bDoubleBuffered,
                                     BOOL bOwnsChildren, BOOL bTransparent)
    : CDrawingObject(pHostWnd, pParent, TRUE),
      m_children(bOwnsChildren),
      m_nSelectedChild(-1),
      m_nDraggedChild(-1),
      m_nDragMode(0),
      m_nGrabOffsetX(0),
      m_nGrabOffsetY(0),
      m_bDoubleBuffered(bDoubleBuffered),
      m_pBackBuffer(nullptr),
      m_bMapColorAdjustAllowed(FALSE),
      m_mapColorAdjust(DefaultColorAdjustment()),
      m_bMapColorAdjustActive(FALSE),
      m_bCapture(FALSE),
      m_pCapturedObject(nullptr),
      m_rectHighlight(0, 0, 0, 0),
      m_bInWindow(FALSE),
      m_bShowBeneath(FALSE),
      m_crBackground(0),
      m_nCapturedChild(-1),
      m_nMapZoomOffsetX(0),
      m_nMapZoomOffsetY(0),
      m_nMapZoomX(100),
      m_nMapZoomY(100),
      m_bMapZoomCentered(FALSE),
      m_bHitTestGuard(FALSE),
      m_bTransparent(bTransparent),
      m_rectBeforeDrag(0, 0, 0, 0),
      m_bNestedMove(FALSE),
      m_sizeBackBuffer(0, 0)
{
    m_types.Add(DRAWING_OBJECT_TYPE_MAP);
    m_bFixedPosition = TRUE;
    m_bFixedSize = TRUE;
    SetBorder(FALSE, TRUE);
    Invalidate();
}

CDrawingObjectMap::~CDrawingObjectMap()
{
    delete m_pBackBuffer;
    m_pBackBuffer = nullptr;
    while (m_activeConnectors.GetSize() > 0)
    {
        m_activeConnectors.RemoveAt(m_activeConnectors.GetSize() - 1);
    }
    for (INT_PTR i = 0; i < m_connectors.GetSize(); ++i)
    {
        delete m_connectors[i];
    }
    m_connectors.RemoveAll();
    m_skinElements.RemoveAll();
    m_children.RemoveAllChildren();
}

void CDrawingObjectMap::Draw(CDC* pDC)
{
    if (!m_bVisible)
    {
        return;
    }
    CDCStateSaver saver(pDC);
    CRect clip;
    pDC->GetClipBox(&clip);
    CRgn region;
    if (IsMapZoomed())
    {
        const CRect unzoomed = UnzoomRect(clip);
        region.CreateRectRgnIndirect(&unzoomed);
    }
    else
    {
        region.CreateRectRgn(0, 0, 0, 0);
        if (::GetClipRgn(pDC->GetSafeHdc(), region) != 1)
        {
            region.SetRectRgn(&clip);
        }
    }
    // From here on the map draws in its own coordinates.
    clip.OffsetRect(-m_rect.left, -m_rect.top);
    region.OffsetRgn(-m_rect.left, -m_rect.top);

    const int width = m_rect.Width();
    const int height = m_rect.Height();
    if (m_bDoubleBuffered)
    {
        CBitmap* pBuffer = BackBuffer(pDC, width, height);
        CMemoryDC memory(pDC, pBuffer);
        if (memory.IsReady())
        {
            memory.SelectClipRgn(&region);
            DrawContent(&memory, pDC, &region, clip);
            CopyToTarget(pDC, &memory);
        }
    }
    else
    {
        // The same drawing straight on the target, moved to the map's place.
        CDCStateSaver unbuffered(pDC);
        pDC->OffsetViewportOrg(m_rect.left, m_rect.top);
        DrawContent(pDC, nullptr, &region, clip);
    }
    CDrawingObject::Draw(pDC);
}

CBitmap* CDrawingObjectMap::BackBuffer(CDC* pCompatible, int width, int height)
{
    if (width <= 0 || height <= 0)
    {
        return nullptr;
    }
    if (m_pBackBuffer != nullptr && m_sizeBackBuffer == CSize(width, height))
    {
        return m_pBackBuffer;
    }
    delete m_pBackBuffer;
    m_pBackBuffer = new CBitmap;
    if (!m_pBackBuffer->CreateCompatibleBitmap(pCompatible, width, height))
    {
        delete m_pBackBuffer;
        m_pBackBuffer = nullptr;
        return nullptr;
    }
    m_sizeBackBuffer = CSize(width, height);
    return m_pBackBuffer;
}

void CDrawingObjectMap::DrawContent(CDC* pDC, CDC* pBeneath, CRgn* pRegion, CRect clip)
{
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    if (!m_bTransparent && !m_bShowBeneath)
    {
        pDC->FillSolidRect(0, 0, width, height, m_crBackground);
    }
    else if (pBeneath != nullptr)
    {
        // Drawn straight on the target, the map already shows what lies
        // beneath; the buffer copies it.
        pDC->BitBlt(0, 0, width, height, pBeneath, m_rect.left, m_rect.top, SRCCOPY);
    }
    DrawUnderChildren(pDC, &clip);
    DrawConnectors(pDC);
    DrawChildren(pDC, pRegion);
    DrawOverChildren(pDC, &clip);
    DrawHighlight(pDC);
}

void CDrawingObjectMap::CopyToTarget(CDC* pTarget, CDC* pBuffer)
{
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    const BOOL bAdjust = m_bMapColorAdjustAllowed && m_bMapColorAdjustActive;
    if (bAdjust)
    {
        pTarget->SetStretchBltMode(HALFTONE);
        pTarget->SetColorAdjustment(&m_mapColorAdjust);
    }
    if (!IsMapZoomed())
    {
        if (bAdjust)
        {
            pTarget->StretchBlt(m_rect.left, m_rect.top, width, height, pBuffer, 0, 0, width, height, SRCCOPY);
        }
        else
        {
            pTarget->BitBlt(m_rect.left, m_rect.top, width, height, pBuffer, 0, 0, SRCCOPY);
        }
        return;
    }
    const int x = m_bMapZoomCentered ? m_nMapZoomOffsetX : 0;
    const int y = m_bMapZoomCentered ? m_nMapZoomOffsetY : 0;
    const int zoomedWidth = width * m_nMapZoomX / 100;
    const int zoomedHeight = height * m_nMapZoomY / 100;
    pTarget->SetStretchBltMode(HALFTONE);
    pTarget->StretchBlt(x, y, zoomedWidth, zoomedHeight, pBuffer, 0, 0, width, height, SRCCOPY);
    // The rest of the area is cleared around the zoomed picture.
    pTarget->ExcludeClipRect(x, y, x + zoomedWidth, y + zoomedHeight);
    pTarget->FillSolidRect(0, 0, width, height, m_crBackground);
}

void CDrawingObjectMap::DrawChildren(CDC* pDC, CRgn* pRegion)
{
    for (int i = 0; i < m_children.GetSize(); ++i)
    {
        CDrawingObject* pChild = m_children.GetChild(i);
        if (pChild == nullptr)
        {
            continue;
        }
        const CRect area(pChild->GetPosition(), pChild->GetSize());
        if (pRegion->RectInRegion(&area))
        {
            pChild->Draw(pDC);
        }
    }
}

void CDrawingObjectMap::DrawUnderChildren(CDC*, RECT*)
{
}

void CDrawingObjectMap::DrawOverChildren(CDC*, RECT*)
{
}

void CDrawingObjectMap::DrawHighlight(CDC* pDC)
{
    if (m_rectHighlight.IsRectEmpty())
    {
        return;
    }
    const int width = m_rectHighlight.Width();
    const int height = m_rectHighlight.Height();
    CBitmap veil;
    if (!veil.CreateCompatibleBitmap(pDC, width, height))
    {
        return;
    }
    CMemoryDC memory(pDC, &veil);
    if (!memory.IsReady())
    {
        return;
    }
    memory.FillSolidRect(0, 0, width, height, 0x000080);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 192, 0};
    pDC->AlphaBlend(m_rectHighlight.left, m_rectHighlight.top, width, height, &memory, 0, 0, width, height, blend);
}

BOOL CDrawingObjectMap::KeepChildrenInside()
{
    return TRUE;
}

void CDrawingObjectMap::SetSize(int cx, int cy, BOOL bRedraw)
{
    if (m_rect.Width() == cx && m_rect.Height() == cy)
    {
        return;
    }
    delete m_pBackBuffer;
    m_pBackBuffer = nullptr;
    CDrawingObject::SetSize(cx, cy, bRedraw);
    if (!KeepChildrenInside())
    {
        return;
    }
    for (int i = 0; i < m_children.GetSize(); ++i)
    {
        if (CDrawingObject* pChild = m_children.GetChild(i))
        {
            MoveChild(pChild, pChild->m_rect.left, pChild->m_rect.top);
        }
    }
}

void CDrawingObjectMap::SetZoom(int nZoomX, int nZoomY, BOOL bCentered)
{
    m_nMapZoomX = std::max(nZoomX, 1);
    m_nMapZoomY = std::max(nZoomY, 1);
    m_bMapZoomCentered = bCentered;
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    m_nMapZoomOffsetX = bCentered ? (width - width * m_nMapZoomX / 100) / 2 : 0;
    m_nMapZoomOffsetY = bCentered ? (height - height * m_nMapZoomY / 100) / 2 : 0;
    CDrawingObject::SetZoom(nZoomX, nZoomY, bCentered);
}

void CDrawingObjectMap::OnRButtonDown(UINT, int, int)
{
}

void CDrawingObjectMap::OnCommand(BOOL, UINT)
{
}

void CDrawingObjectMap::OnMouseWheel(UINT, short, int, int)
{
}

void CDrawingObjectMap::OnSize(UINT, int cx, int cy)
{
    SetSize(cx, cy, TRUE);
}

CDrawingObjectMap* CDrawingObjectMap::CreateChildMap()
{
    return new CDrawingObjectMap(m_pHostWnd, this, TRUE, TRUE, FALSE);
}

void CDrawingObjectMap::OnChildEdited(CDrawingObject*)
{
}

void CDrawingObjectMap::OnWindowDestroy()
{
}

void CDrawingObjectMap::InvalidateChildRect(RECT rect)
{
    ::OffsetRect(&rect, m_rect.left, m_rect.top);
    InvalidateRect(rect);
}

int CDrawingObjectMap::RemoveChild(CDrawingObject* pChild, BOOL bDelete)
{
    const int nIndex = m_children.Find(pChild);
    if (nIndex < 0)
    {
        return -1;
    }
    // A line to an object that is gone would point nowhere.
    for (CDrawingObjectMap* pMap = this; pMap != nullptr; pMap = pMap->GetParentMap())
    {
        for (INT_PTR i = pMap->m_connectors.GetSize() - 1; i >= 0; --i)
        {
            if (pMap->m_connectors[i]->Touches(pMap, pChild))
            {
                pMap->RemoveConnector(static_cast<int>(i));
            }
        }
    }
    if (pChild->m_bSelected || nIndex == m_nSelectedChild)
    {
        pChild->Unselect();
        m_nSelectedChild = -1;
    }
    m_children.RemoveAt(nIndex);
    if (bDelete)
    {
        delete pChild;
    }
    for (int* pIndex : {&m_nSelectedChild, &m_nDraggedChild, &m_nCapturedChild})
    {
        if (*pIndex == nIndex)
        {
            *pIndex = -1;
        }
        else if (*pIndex > nIndex)
        {
            --*pIndex;
        }
    }
    if (m_pCapturedObject == pChild)
    {
        m_pCapturedObject = nullptr;
        m_bCapture = FALSE;
    }
    return nIndex;
}

BOOL CDrawingObjectMap::IsMapZoomed() const
{
    return m_nMapZoomX != 100 || m_nMapZoomY != 100;
}

CRect CDrawingObjectMap::ZoomRect(RECT rect) const
{
    const float zx = static_cast<float>(m_nMapZoomX);
    const float zy = static_cast<float>(m_nMapZoomY);
    const float ox = static_cast<float>(m_nMapZoomOffsetX);
    const float oy = static_cast<float>(m_nMapZoomOffsetY);
    return CRect(static_cast<int>(std::floor(ox + static_cast<float>(m_nMapZoomX * rect.left) / 100.0f)),
                 static_cast<int>(std::floor(oy + static_cast<float>(m_nMapZoomY * rect.top) / 100.0f)),
                 static_cast<int>(std::ceil(ox + zx * static_cast<float>(rect.right) / 100.0f)),
                 static_cast<int>(std::ceil(oy + zy * static_cast<float>(rect.bottom) / 100.0f)));
}

CRect CDrawingObjectMap::UnzoomRect(RECT rect) const
{
    // The zooms are at least 1 % (SetZoom), so the divisions are defined.
    const float zx = static_cast<float>(m_nMapZoomX);
    const float zy = static_cast<float>(m_nMapZoomY);
    const float ox = static_cast<float>(m_nMapZoomOffsetX);
    const float oy = static_cast<float>(m_nMapZoomOffsetY);
    return CRect(static_cast<int>(std::floor((static_cast<float>(rect.left) - ox) * 100.0f / zx)),
                 static_cast<int>(std::floor((static_cast<float>(rect.top) - oy) * 100.0f / zy)),
                 static_cast<int>(std::ceil((static_cast<float>(rect.right) - ox) * 100.0f / zx)),
                 static_cast<int>(std::ceil((static_cast<float>(rect.bottom) - oy) * 100.0f / zy)));
}

void CDrawingObjectMap::InvalidateWindowRect(RECT* pRect)
{
    if (pRect == nullptr)
    {
        return;
    }
    if (m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
    {
        const CRect area = IsMapZoomed() ? ZoomRect(*pRect) : CRect(*pRect);
        ::InvalidateRect(m_pHostWnd->GetSafeHwnd(), &area, FALSE);
    }
    delete pRect;
}

void CDrawingObjectMap::SetHighlightRect(RECT* pRect)
{
    // The rectangle is in the map's coordinates, like a child's.
    if (!m_rectHighlight.IsRectEmpty())
    {
        InvalidateChildRect(m_rectHighlight);
    }
    m_rectHighlight = pRect != nullptr ? CRect(*pRect) : CRect(0, 0, 0, 0);
    if (!m_rectHighlight.IsRectEmpty())
    {
        InvalidateChildRect(m_rectHighlight);
    }
}

void CDrawingObjectMap::MoveChild(CDrawingObject* pChild, int x, int y)
{
    const CSize child = pChild->GetSize();
    x = std::max(std::min(x, m_rect.Width() - child.cx), 0);
    y = std::max(std::min(y, m_rect.Height() - child.cy), 0);
    // The connectors' lines follow the child.
    InvalidateConnectorsOf(pChild);
    pChild->MoveTo(x, y, TRUE);
    InvalidateConnectorsOf(pChild);
}

void CDrawingObjectMap::SelectChild(int nIdOrIndex, BOOL bById, BOOL bForce)
{
    if (m_bCapture)
    {
        return;
    }
    const int nIndex = bById ? m_children.IndexOfId(nIdOrIndex) : nIdOrIndex;
    if (bById && nIndex < 0)
    {
        return;
    }
    if (!bForce && nIndex == m_nSelectedChild)
    {
        return;
    }
    if (CDrawingObject* pOld = m_children.GetChild(m_nSelectedChild))
    {
        pOld->Unselect();
    }
    m_nSelectedChild = nIndex;
    if (CDrawingObject* pNew = m_children.GetChild(nIndex))
    {
        pNew->Select();
    }
}
