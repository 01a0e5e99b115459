// CDrawingObject: one drawable thing of a retained drawing: a rectangle in
// the coordinates of the map that holds it (a root map: in its window's
// client coordinates), a host window, an optional parent map, visibility, an
// optional border and a zoom.
//
// Objects never paint on request. A change calls Invalidate, which sends
// the object's area up the chain of parent maps; the root posts it to the
// host window as MSG_DRAWING_OBJECT_INVALIDATE_RECT (drawing_messages.h),
// and the window repaints later, when the root map draws everything that
// meets the clip. Hidden objects neither draw nor invalidate.
//
// Every constructor appends its class's _eDrawingObjectType to the type
// list, so the list runs from the base to the most derived class.
//
// Window thread only: objects are made, changed, drawn and destroyed on the
// thread of their host window.
#pragma once

#include "platform/afx/afx.h"
#include "platform/base/array.h"

enum _eDrawingObjectType
{
    DRAWING_OBJECT_TYPE_OBJECT = 0,
    DRAWING_OBJECT_TYPE_BITMAP = 1,
    DRAWING_OBJECT_TYPE_MAP = 8,
    DRAWING_OBJECT_TYPE_PROGRESS = 10,
};

class CDrawingObjectMap;

class CDrawingObject
{
public:
    CDrawingObject(CWnd* pHostWnd, CDrawingObject* pParent, BOOL bVisible);
    virtual ~CDrawingObject();
    CDrawingObject(const CDrawingObject&) = delete;
    CDrawingObject& operator=(const CDrawingObject&) = delete;

    virtual void SetEnabled(BOOL bEnabled, BOOL bRedraw);
    // Colour adjustment (when allowed and active), then the border (when it
    // is enabled, the object visible and its hover state non-zero).
    virtual void Draw(CDC* pDC);
    // Whether (x, y) lies in the rectangle (zoomed while zoomed) grown by
    // the margin; never for an object that is not enabled, nor for a hidden
    // one unless bEvenIfHidden. An exclusive-hit object is hit only where it
    // is the topmost child of its parent.
    virtual BOOL HitTest(int x, int y, BOOL bEvenIfHidden);
    // Sends the object's area (zoomed while zoomed; grown by the margin and
    // the pen's width while it has a pen) towards the host window.
    virtual void Invalidate();
    // Hiding invalidates before the object turns hidden, showing after.
    virtual void SetVisible(BOOL bVisible, BOOL bRedraw);
    // Both keep the zoomed rectangle as it is (SetZoom computes it).
    virtual void MoveTo(int x, int y, BOOL bRedraw);
    virtual void SetSize(int cx, int cy, BOOL bRedraw);
    // Ignored while the border is off.
    virtual void SetState(int nState, BOOL bRedraw);
    // Percentages; below 1 counts as 1. Centred: the zoomed rectangle keeps
    // the rectangle's centre, else its top-left corner.
    virtual void SetZoom(int nZoomX, int nZoomY, BOOL bCentered);
    virtual void Select();
    virtual void Unselect();

    // Mouse, keys and cursor; a plain object takes none of them.
    virtual int OnMouseMove(UINT nFlags, int x, int y);
    virtual int OnLButtonDown(UINT nFlags, int x, int y);
    virtual void OnLButtonUp(UINT nFlags, int x, int y);
    virtual void OnMouseLeave();
    virtual void OnLButtonDblClk(UINT nFlags, int x, int y);
    virtual void OnKeyDown(UINT nKey);
    virtual void OnKeyUp(UINT nKey, UINT nFlags);
    virtual void OnCancelMode();
    // The parent's answer; TRUE for an object without parent.
    virtual BOOL CanEdit();
    // TRUE: handled, without changing the cursor.
    virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    // On: the border pen is made again with the border width and colour;
    // off: the pen is deleted and SetState is ignored from then on.
    void SetBorder(BOOL bOn, BOOL bRedraw);
    // Only while colour adjustment is allowed.
    void SetColorAdjustActive(BOOL bActive, BOOL bRedraw);
    CPoint GetPosition() const;
    CSize GetSize() const;
    // bLastOnly: whether the most derived class is of the type; otherwise
    // whether any class of the object is. FALSE for an empty list.
    BOOL IsType(_eDrawingObjectType eType, BOOL bLastOnly) const;
    // Sends the rectangle up to the root and posts it to the host window;
    // nothing for a hidden object.
    void InvalidateRect(RECT rect);

    // Whether either zoom percentage differs from 100.
    BOOL IsZoomed() const;
    // The rectangle the object draws in: the zoomed one while zoomed.
    CRect GetDrawnRect() const;
    // The parent as the map it is, or null.
    CDrawingObjectMap* GetParentMap() const;

    BOOL m_bBorderEnabled;
    // Hover state; the border shows only while it is non-zero.
    int m_nState;
    COLORREF m_crBorder;
    // Solid pen of the border width and colour; null while the border is off.
    CPen* m_pBorderPen;
    // Grows the border, hit and invalidated rectangles on every side.
    int m_nMargin;
    CWnd* m_pHostWnd;
    CDrawingObject* m_pParent;
    BOOL m_bVisible;
    // The mouse may not move or resize the object.
    BOOL m_bFixedPosition;
    BOOL m_bFixedSize;
    int m_nId;
    int m_nBorderWidth;
    BOOL m_bColorAdjustAllowed;
    COLORADJUSTMENT m_colorAdjust;
    BOOL m_bColorAdjustActive;
    BOOL m_bEnabled;
    BOOL m_bSelected;
    BOOL m_bRoundBorder;
    int m_nCornerWidth;
    int m_nCornerHeight;
    // Hit only where the object is the topmost child of its parent.
    BOOL m_bExclusiveHit;
    CRect m_rect;
    int m_nZoomX;
    int m_nZoomY;
    BOOL m_bZoomCentered;
    CRect m_rectZoomed;
    int m_nZoomOffsetX;
    int m_nZoomOffsetY;
    CRect m_rectLastInvalidated;
    CArray<_eDrawingObjectType> m_types;

protected:
    // The identity colour adjustment objects start with.
    static COLORADJUSTMENT DefaultColorAdjustment();
    // Posts a copy of the rectangle to the host window (the root's road).
    void PostToHostWindow(const RECT& rect);
};
