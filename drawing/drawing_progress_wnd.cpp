#include "drawing/drawing_progress_wnd.h"

CDrawingObjectProgressWnd::CDrawingObjectProgressWnd() : CDrawingMapWnd(TRUE, FALSE)
{
}

CDrawingObjectProgressWnd::~CDrawingObjectProgressWnd() = default;

CDrawingObjectMap* CDrawingObjectProgressWnd::CreateMapObject()
{
    delete m_pMapObject;
    CDrawingObjectProgress* pProgress = new CDrawingObjectProgress(this, nullptr);
    pProgress->m_bInWindow = TRUE;
    m_pMapObject = pProgress;
    return m_pMapObject;
}

CDrawingObjectProgress* CDrawingObjectProgressWnd::GetProgress() const
{
    return dynamic_cast<CDrawingObjectProgress*>(m_pMapObject);
}
