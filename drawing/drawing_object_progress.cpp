#include "drawing/drawing_object_progress.h"

#include <algorithm>
#include <cstdlib>

#include "platform/base/system_time.h"

namespace
{

// How long the peak line stays at its height before it falls, in ms.
const DWORD PEAK_HOLD_TIME = 1000;

}  // namespace

CDrawingObjectProgress::CDrawingObjectProgress(CWnd* pHostWnd, CDrawingObject* pParent)
    : CDrawingObjectMap(pHostWnd, pParent, TRUE, TRUE, FALSE),
      m_bHorizontal(TRUE),
      m_nMinimum(0),
      m_nMaximum(100),
      m_nValue(0),
      m_bGlide(FALSE),
      m_nShownExtent(0),
      m_stopEvent(FALSE, FALSE),
      m_bPeakLine(FALSE),
      m_crPeakLine(0),
      m_nPeakOffset(0),
      m_dwPeakTime(0),
      m_nFilledExtentX(0),
      m_nFilledExtentY(0)
{
    m_types.Add(DRAWING_OBJECT_TYPE_PROGRESS);
    m_bFixedPosition = TRUE;
    m_bFixedSize = TRUE;
    SetBorder(FALSE, TRUE);
    // The pictures' parent is the gauge's own parent, not the gauge.
    for (int nId : {BACKGROUND_ID, FILL_ID})
    {
        CDrawingObjectBitmap* pPicture = new CDrawingObjectBitmap(pHostWnd, pParent);
        pPicture->m_nId = nId;
        pPicture->ShowLabel(FALSE);
        pPicture->m_bFixedPosition = TRUE;
        pPicture->m_bFixedSize = TRUE;
        pPicture->SetBorder(FALSE, FALSE);
        m_children.Add(pPicture);
    }
    MoveTo(0, 0, FALSE);
    CDrawingObjectMap::SetSize(100, 100, FALSE);
}

CDrawingObjectProgress::~CDrawingObjectProgress()
{
    m_stopEvent.SetEvent();
    m_worker.WaitForEnd(INFINITE);
}

DWORD CDrawingObjectProgress::Now() const
{
    return ::GetTickCount();
}

void CDrawingObjectProgress::LoadBitmaps(UINT nBackgroundId, UINT nFillId)
{
    if (CDrawingObjectBitmap* pBackground =
            dynamic_cast<CDrawingObjectBitmap*>(m_children.GetChildById(BACKGROUND_ID)))
    {
        pBackground->LoadBitmap(nBackgroundId, TRUE, FALSE, FALSE);
        SizeTo(pBackground);
    }
    if (CDrawingObjectBitmap* pFill = dynamic_cast<CDrawingObjectBitmap*>(m_children.GetChildById(FILL_ID)))
    {
        pFill->LoadBitmap(nFillId, TRUE, FALSE, FALSE);
        pFill->SetVisible(FALSE, TRUE);
        SizeTo(pFill);
    }
}

void CDrawingObjectProgress::SizeTo(CDrawingObject* pChild)
{
    const CSize size = pChild->GetSize();
    if (!m_bInWindow)
    {
        SetSize(size.cx, size.cy, TRUE);
        return;
    }
    if (m_pHostWnd != nullptr && m_pHostWnd->GetSafeHwnd() != nullptr)
    {
        // The window's WM_SIZE gives the gauge the window's size.
        m_pHostWnd->SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CDrawingObjectProgress::SetPercent(int nValue, BOOL bRedraw)
{
    if (nValue < m_nMinimum)
    {
        nValue = m_nMinimum;
    }
    if (nValue > m_nMaximum)
    {
        nValue = m_nMaximum;
    }
    m_nValue = nValue;
    if (bRedraw)
    {
        Invalidate();
    }
}

int CDrawingObjectProgress::FilledExtent(int nLength) const
{
    if (nLength <= 0)
    {
        return 0;
    }
    // An empty range is full once the value reaches it.
    if (m_nMaximum <= m_nMinimum)
    {
        return m_nValue >= m_nMaximum ? nLength : 0;
    }
    // The scale is taken in single precision, the product exactly.
    const float scale = static_cast<float>(nLength) / static_cast<float>(m_nMaximum - m_nMinimum);
    const int extent = static_cast<int>(static_cast<double>(m_nValue - m_nMinimum) * static_cast<double>(scale));
    return std::clamp(extent, 0, nLength);
}

void CDrawingObjectProgress::DrawProgress(CDC*, RECT*)
{
    m_nFilledExtentX = 0;
    m_nFilledExtentY = 0;
    int& extent = m_bHorizontal ? m_nFilledExtentX : m_nFilledExtentY;
    extent = FilledExtent(m_bHorizontal ? m_rect.Width() : m_rect.Height());
    if (m_bGlide)
    {
        // Halfway to the extent at every paint, the last few pixels one by one.
        const int distance = std::abs(extent - m_nShownExtent);
        const int step = distance >= 3 ? distance / 2 : (distance > 0 ? 1 : 0);
        m_nShownExtent += extent > m_nShownExtent ? step : -step;
        extent = m_nShownExtent;
    }
    CDrawingObjectBitmap* pFill = dynamic_cast<CDrawingObjectBitmap*>(m_children.GetChildById(FILL_ID));
    if (pFill == nullptr)
    {
        return;
    }
    // The fill is cut at the extent, from its own left (or bottom) edge.
    const CRect area = pFill->m_rect;
    CRect clip;
    if (m_bHorizontal)
    {
        clip.SetRect(area.left, area.top, area.left + std::min(area.Width(), m_nFilledExtentX), area.bottom);
        pFill->SetVisible(TRUE, FALSE);
    }
    else
    {
        clip.SetRect(area.left, area.bottom - std::min(area.Height(), m_nFilledExtentY), area.right, area.bottom);
        pFill->SetVisible(m_nFilledExtentY != 0, FALSE);
    }
    CRgn region;
    if (region.CreateRectRgnIndirect(&clip))
    {
        pFill->SetRegion(&region);
    }
}

void CDrawingObjectProgress::AnimateStep(CDC* pDC, RECT*)
{
    if (!m_bPeakLine)
    {
        return;
    }
    const int extent = m_bHorizontal ? m_nFilledExtentX : m_nFilledExtentY;
    if (extent >= m_nPeakOffset || m_nPeakOffset == -1)
    {
        m_nPeakOffset = extent;
        m_dwPeakTime = Now();
    }
    BOOL bStep = FALSE;
    if (Now() - m_dwPeakTime > PEAK_HOLD_TIME)
    {
        m_nPeakOffset -= m_nPeakOffset - extent > 10 ? 5 : 1;
        bStep = TRUE;
    }
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    pDC->FillSolidRect(0, height - m_nPeakOffset, width, 1, m_crPeakLine);
    if (bStep && !m_bGlide)
    {
        // The next paint follows at once, so the line keeps falling.
        ::Sleep(1);
        Invalidate();
    }
}

void CDrawingObjectProgress::DrawUnderChildren(CDC* pDC, RECT* pClip)
{
    DrawProgress(pDC, pClip);
}

void CDrawingObjectProgress::DrawOverChildren(CDC* pDC, RECT* pClip)
{
    AnimateStep(pDC, pClip);
}
