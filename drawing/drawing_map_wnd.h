// CDrawingMapWnd: the child window that hosts one root drawing map. It
// paints the map, hands it the mouse, key, size, cursor and command messages,
// receives the map's invalidations (MSG_DRAWING_OBJECT_INVALIDATE_RECT) and
// can look transparent by copying what lay beneath it before its first
// paint.
//
// How a page uses it:
//   1. construct the window object (a member of the page);
//   2. CreateMapObject, before the window exists;
//   3. Create as a visible child;
//   4. fill the map (a progress graphic loads its pictures, which sizes the
//      window);
//   5. change the map's objects: the window repaints by itself.
// Destroying the window object deletes the map object and its children.
//
// Every invalidation RECT is freed: by OnInvalidateRect when it arrives, and
// by the window's WM_DESTROY for those still queued then.
#pragma once

#include "drawing/drawing_object_map.h"
#include "platform/afx/afx.h"

class CDrawingMapWnd : public CWnd
{
public:
    // bDoubleClicks: the window gets double clicks (its class keeps
    // CS_DBLCLKS). bCopyBeneath: the background is what lay beneath the
    // window at its first erase, instead of nothing.
    explicit CDrawingMapWnd(BOOL bDoubleClicks = TRUE, BOOL bCopyBeneath = FALSE);
    ~CDrawingMapWnd() override;

    // Hands the RECT to the map, which invalidates it and deletes it.
    virtual LRESULT OnInvalidateRect(RECT* pRect, LPARAM lParam);
    // Makes the map object (a plain double-buffered map here) and keeps it;
    // a map made before is deleted.
    virtual CDrawingObjectMap* CreateMapObject();
    // Zooms the map, then has the parent window repainted whole.
    virtual void SetZoom(int nZoomX, int nZoomY, BOOL bCentered);
    // WM_DESTROY: the map is told, and the invalidations still queued for
    // the window are taken out and freed.
    virtual void OnDestroyMap();

    CDrawingObjectMap* GetMapObject() const
    {
        return m_pMapObject;
    }

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnCancelMode();
    // The keys that reach the window (it has the focus once a click
    // selected a connector) go to the map.
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnInvalidateRectMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CDrawingObjectMap* m_pMapObject;
    // A leave notification has been asked for and has not come yet.
    BOOL m_bTrackingMouse;
    TRACKMOUSEEVENT m_trackLeave;
    BOOL m_bDoubleClicks;
    BOOL m_bCopyBeneath;
    // What lay beneath the window at its first erase.
    CBitmap m_backgroundCache;

private:
    // Takes every queued invalidation of this window out and frees it.
    void DrainInvalidations();
};
