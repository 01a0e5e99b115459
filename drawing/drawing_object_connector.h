// CDrawingObjectConnector: a line that a map draws between two of its
// objects (children, or objects inside its child maps). The map holds its
// connectors by pointer in m_connectors and draws them after
// DrawUnderChildren and before its children, so the children lie over them.
//
// Each end names its object by an id path: the object's id followed by the
// ids of its ancestors up to the root map. The path is looked up whenever
// the line is drawn or hit, so the line follows its objects wherever they
// move, and an end whose object is gone draws nothing.
//
// The visible line runs between the objects' anchor points: where the line
// from one object's centre to the other's leaves each object's rectangle.
// Objects that overlap so that nothing of the line lies outside both show
// no line. While selected, the line is drawn wider in the selection colour
// with a square handle just beside each anchor point.
#pragma once

#include "drawing/drawing_object.h"

class CDrawingObjectMap;

class CDrawingObjectConnector
{
public:
    enum
    {
        // How far from the line a click still hits it, beyond its half width.
        HIT_REACH = 3,
        // Side of the selection's square handles.
        HANDLE_SIZE = 7,
        // Width of the line that the mouse draws before it is a connector.
        LOOSE_WIDTH = 2,
    };
    // The selected line, and the line the mouse draws.
    static constexpr COLORREF SELECTION_COLOUR = 0xCC6600;

    CDrawingObjectConnector(const CArray<int>& fromPath, const CArray<int>& toPath);
    CDrawingObjectConnector(const CDrawingObjectConnector&) = delete;
    CDrawingObjectConnector& operator=(const CDrawingObjectConnector&) = delete;

    // The object's id path: its id, then its ancestors' up to the root.
    static void MakePath(CDrawingObject* pObject, CArray<int>& path);
    // The object that the path names in the tree of maps that pMap belongs
    // to (the first child of each id, from the root down), or null.
    static CDrawingObject* ResolvePath(CDrawingObjectMap* pMap, const CArray<int>& path);
    // The object's drawn rectangle in pMap's own coordinates; FALSE when
    // the object does not lie inside pMap.
    static BOOL RectInMap(CDrawingObjectMap* pMap, CDrawingObject* pObject, CRect& rect);
    // The part of the line between the centres of a and b that lies outside
    // both; b may be an empty rectangle at a point. FALSE when none does.
    static BOOL VisibleLine(const CRect& a, const CRect& b, CPoint& from, CPoint& to);
    // A line with the pen of the width and colour, and with handles.
    static void DrawLine(CDC* pDC, CPoint from, CPoint to, COLORREF colour, int nWidth, BOOL bHandles);
    // The area that DrawLine covers, for invalidation.
    static CRect LineBounds(CPoint from, CPoint to, int nWidth);

    // The objects of the two ends, looked up in pMap's tree.
    CDrawingObject* GetFrom(CDrawingObjectMap* pMap) const;
    CDrawingObject* GetTo(CDrawingObjectMap* pMap) const;
    // The visible line in pMap's coordinates; FALSE when nothing shows.
    BOOL GetLine(CDrawingObjectMap* pMap, CPoint& from, CPoint& to) const;
    // Whether (x, y) of pMap lies on or near the visible line.
    BOOL HitTest(CDrawingObjectMap* pMap, int x, int y) const;
    // The area the connector covers in pMap, empty when nothing shows.
    CRect GetBounds(CDrawingObjectMap* pMap) const;
    void Draw(CDC* pDC, CDrawingObjectMap* pMap) const;
    // Whether an end is the object or lies inside it.
    BOOL Touches(CDrawingObjectMap* pMap, CDrawingObject* pObject) const;
    // Whether the connector joins the two objects, in either direction.
    BOOL Joins(CDrawingObjectMap* pMap, CDrawingObject* pA, CDrawingObject* pB) const;

    CArray<int> m_fromPath;
    CArray<int> m_toPath;
    BOOL m_bSelected;
    COLORREF m_crLine;
    COLORREF m_crSelected;
    int m_nWidth;
};
