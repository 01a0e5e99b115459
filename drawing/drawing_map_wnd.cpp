#include "drawing/drawing_map_wnd.h"

#include <algorithm>
#include <map>
#include <string>

#include "drawing/dc_saver.h"
#include "drawing/drawing_messages.h"

namespace
{

// Bounds the draining of the queue at destruction: far more invalidations
// than a window's objects ever leave queued.
const int MAX_DRAINED_INVALIDATIONS = 100000;

// The name of a copy of the class without CS_DBLCLKS, registered once per
// class; null when the registration fails.
LPCSTR ClassWithoutDoubleClicks(LPCSTR lpszClass)
{
    static std::map<std::string, std::string> names;
    WNDCLASS wc{};
    if (!::GetClassInfo(AfxGetInstanceHandle(), lpszClass, &wc))
    {
        return nullptr;
    }
    if ((wc.style & CS_DBLCLKS) == 0)
    {
        return lpszClass;
    }
    auto found = names.find(lpszClass);
    if (found == names.end())
    {
        found = names.emplace(lpszClass, std::string(lpszClass) + ":nodblclk").first;
    }
    wc.style &= ~CS_DBLCLKS;
    wc.lpszClassName = found->second.c_str();
    return AfxRegisterClass(&wc) ? found->second.c_str() : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDrawingMapWnd, CWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_CANCELMODE()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_REGISTERED_MESSAGE(MSG_DRAWING_OBJECT_INVALIDATE_RECT, OnInvalidateRectMessage)
END_MESSAGE_MAP()

CDrawingMapWnd::CDrawingMapWnd(BOOL bDoubleClicks, BOOL bCopyBeneath)
    : m_pMapObject(nullptr),
      m_bTrackingMouse(FALSE),
      m_trackLeave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, nullptr, HOVER_DEFAULT},
      m_bDoubleClicks(bDoubleClicks),
      m_bCopyBeneath(bCopyBeneath)
{
}

CDrawingMapWnd::~CDrawingMapWnd()
{
    // A window still up when its object goes is destroyed here, while this
    // object's handlers still run, so that the invalidations still queued
    // for it are freed; the framework's own destructor would destroy it
    // without them.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
    {
        DestroyWindow();
    }
    delete m_pMapObject;
    m_pMapObject = nullptr;
    m_backgroundCache.DeleteObject();
}

LRESULT CDrawingMapWnd::OnInvalidateRect(RECT* pRect, LPARAM)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->InvalidateWindowRect(pRect);
    }
    else
    {
        delete pRect;
    }
    return 0;
}

LRESULT CDrawingMapWnd::OnInvalidateRectMessage(WPARAM wParam, LPARAM lParam)
{
    return OnInvalidateRect(reinterpret_cast<RECT*>(wParam), lParam);
}

CDrawingObjectMap* CDrawingMapWnd::CreateMapObject()
{
    delete m_pMapObject;
    m_pMapObject = new CDrawingObjectMap(this, nullptr, TRUE, TRUE, FALSE);
    return m_pMapObject;
}

void CDrawingMapWnd::SetZoom(int nZoomX, int nZoomY, BOOL bCentered)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->SetZoom(nZoomX, nZoomY, bCentered);
    }
    if (CWnd* pParent = GetParent())
    {
        pParent->InvalidateRect(nullptr, TRUE);
    }
}

void CDrawingMapWnd::OnDestroyMap()
{
    CWnd::OnDestroy();
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnWindowDestroy();
    }
    DrainInvalidations();
}

void CDrawingMapWnd::DrainInvalidations()
{
    MSG msg;
    for (int i = 0; i < MAX_DRAINED_INVALIDATIONS &&
                    ::PeekMessage(&msg, m_hWnd, MSG_DRAWING_OBJECT_INVALIDATE_RECT,
                                  MSG_DRAWING_OBJECT_INVALIDATE_RECT, PM_REMOVE);
         ++i)
    {
        delete reinterpret_cast<RECT*>(msg.wParam);
    }
}

BOOL CDrawingMapWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CWnd::PreCreateWindow(cs))
    {
        return FALSE;
    }
    // A rectangle whose right or bottom lies before its left or top gives
    // no window at all rather than a negative one; the map's content sizes
    // the window afterwards.
    cs.cx = std::max(cs.cx, 0);
    cs.cy = std::max(cs.cy, 0);
    if (!m_bDoubleClicks)
    {
        LPCSTR lpszClass = ClassWithoutDoubleClicks(cs.lpszClass);
        if (lpszClass == nullptr)
        {
            AfxThrowResourceException();
        }
        cs.lpszClass = lpszClass;
    }
    return TRUE;
}

BOOL CDrawingMapWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnCommand(HIWORD(wParam) == 0, LOWORD(wParam));
    }
    return CWnd::OnCommand(wParam, lParam);
}

void CDrawingMapWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTrackingMouse)
    {
        if (m_trackLeave.hwndTrack == nullptr)
        {
            m_trackLeave.hwndTrack = m_hWnd;
        }
        if (::TrackMouseEvent(&m_trackLeave))
        {
            m_bTrackingMouse = TRUE;
        }
    }
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnMouseMove(nFlags, point.x, point.y);
    }
    CWnd::OnMouseMove(nFlags, point);
}

void CDrawingMapWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnLButtonDown(nFlags, point.x, point.y);
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CDrawingMapWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnLButtonUp(nFlags, point.x, point.y);
    }
    CWnd::OnLButtonUp(nFlags, point);
}

void CDrawingMapWnd::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnLButtonDblClk(nFlags, point.x, point.y);
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

void CDrawingMapWnd::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnRButtonDown(nFlags, point.x, point.y);
    }
    CWnd::OnRButtonDown(nFlags, point);
}

void CDrawingMapWnd::OnMouseLeave()
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnMouseLeave();
    }
    m_bTrackingMouse = FALSE;
}

BOOL CDrawingMapWnd::OnMouseWheel(UINT nFlags, short zDelta, CPoint point)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnMouseWheel(nFlags, zDelta, point.x, point.y);
    }
    return CWnd::OnMouseWheel(nFlags, zDelta, point);
}

void CDrawingMapWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnSize(nType, cx, cy);
    }
}

void CDrawingMapWnd::OnPaint()
{
    CPaintDC dc(this);
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->Draw(&dc);
    }
}

BOOL CDrawingMapWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) != m_hWnd)
    {
        return FALSE;
    }
    if (m_pMapObject != nullptr && m_pMapObject->OnSetCursor(pWnd, nHitTest, message))
    {
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CDrawingMapWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnKeyDown(nChar);
    }
    CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CDrawingMapWnd::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnKeyUp(nChar, nFlags);
    }
    CWnd::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CDrawingMapWnd::OnCancelMode()
{
    if (m_pMapObject != nullptr)
    {
        m_pMapObject->OnCancelMode();
    }
    CWnd::OnCancelMode();
}

BOOL CDrawingMapWnd::OnEraseBkgnd(CDC* pDC)
{
    // The map paints every pixel of the window itself, so nothing is erased
    // unless the window is to show what lies beneath it.
    if (!m_bCopyBeneath || GetParent() == nullptr)
    {
        return TRUE;
    }
    if (m_backgroundCache.GetSafeHandle() == nullptr)
    {
        CRect window;
        GetWindowRect(&window);
        if (!m_backgroundCache.CreateCompatibleBitmap(pDC, window.Width(), window.Height()))
        {
            return TRUE;
        }
        CMemoryDC memory(pDC, &m_backgroundCache);
        memory.BitBlt(0, 0, window.Width(), window.Height(), pDC, 0, 0, SRCCOPY);
        return TRUE;
    }
    CRect clip;
    pDC->GetClipBox(&clip);
    CMemoryDC memory(pDC, &m_backgroundCache);
    pDC->BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), &memory, clip.left, clip.top, SRCCOPY);
    return TRUE;
}

void CDrawingMapWnd::OnDestroy()
{
    OnDestroyMap();
}
