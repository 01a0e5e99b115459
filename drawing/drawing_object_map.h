// CDrawingObjectMap: a drawing object that holds child objects, in its own
// coordinates, and draws them through a back buffer of its own size. It is
// drawn by its parent map or, at the root, by the window that hosts it
// (CDrawingMapWnd), and it can be zoomed as a whole onto its target.
//
// Draw: the background (the map's colour, or what lies beneath for a
// transparent map), DrawUnderChildren, the children that meet the clip in
// index order, DrawOverChildren, DrawHighlight; then the buffer goes to the
// target, 1:1 or zoomed with the area around it cleared. The back buffer is
// made by the first Draw and dropped by every size change.
//
// Invalidations from the children climb through InvalidateChildRect, which
// shifts them by the map's position. At the root the host window hands the
// posted RECT to InvalidateWindowRect, which zooms it like the drawing and
// deletes it.
//
// Connectors (drawing_object_connector.h) are lines between the map's
// objects, drawn under the children. The mouse draws one from an object to
// another with the Ctrl key held; a click near a line selects it, and the
// Delete key removes the selected one. Derived maps hear of edits through
// hooks: OnChildEdited after a drag changed a child, CanConnect before a
// connector is made (FALSE: none is), OnConnectorAdded, OnConnectorSelected
// and OnConnectorRemoved.
#pragma once

#include "common/base/collection.h"
#include "drawing/drawing_object.h"
#include "drawing/drawing_object_connector.h"
#include "drawing/drawing_objects.h"
#include "drawing/drawing_skin.h"
#include "zip/brisel_file.h"

class CDrawingObjectMap : public CDrawingObject
{
public:
    CDrawingObjectMap(CWnd* pHostWnd, CDrawingObject* pParent, BOOL bDoubleBuffered, BOOL bOwnsChildren,
                      BOOL bTransparent);
    ~CDrawingObjectMap() override;

    // How a press on a child changes it (GetCursorAt sets it, the drag
    // follows it).
    enum
    {
        DRAG_NONE = 0,
        DRAG_MOVE = 1,
        DRAG_TOP = 2,
        DRAG_BOTTOM = 3,
        DRAG_RIGHT = 4,
        DRAG_LEFT = 5,
        DRAG_TOP_RIGHT = 6,
        DRAG_TOP_LEFT = 7,
        DRAG_BOTTOM_RIGHT = 8,
        DRAG_BOTTOM_LEFT = 9,
    };
    // The cursor resources of the drag modes.
    enum
    {
        IDC_DRAG_NWSE = 30983,
        IDC_DRAG_NESW = 30984,
        IDC_DRAG_NS = 30985,
        IDC_DRAG_WE = 30986,
        IDC_DRAG_MOVE = 30987,
    };
    // A resize never makes a child narrower or lower than this.
    enum
    {
        MIN_DRAGGED_SIZE = 30,
    };

    void Draw(CDC* pDC) override;
    // Nothing when the size is already cx by cy; otherwise the back buffer
    // goes, and the children are moved back inside when KeepChildrenInside.
    void SetSize(int cx, int cy, BOOL bRedraw) override;
    // Zooms the whole map as drawn on its target, then the object itself.
    void SetZoom(int nZoomX, int nZoomY, BOOL bCentered) override;

    // Mouse editing (drawing_object_map_edit.cpp). Points come in the
    // coordinates of the map's parent (the host window's client area for
    // the root map). A press on a child whose position is not fixed grabs
    // it, brings it to the top and selects it; moving then drags it, or
    // one of its edges or corners when the cursor showed a resize there and
    // its size is not fixed; the release ends the drag. Without a drag,
    // moves are offered to the children, which show their border while the
    // mouse is over them. A press with MK_CONTROL on an object draws a
    // connector from it instead, which the release over another object
    // makes; a press beside every child selects the connector there.
    int OnMouseMove(UINT nFlags, int x, int y) override;
    int OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDblClk(UINT nFlags, int x, int y) override;
    // To the selected child; VK_DELETE also removes the selected connector.
    void OnKeyDown(UINT nKey) override;
    void OnKeyUp(UINT nKey, UINT nFlags) override;
    // Ends a connector drag without a connector, then goes to the children.
    void OnCancelMode() override;
    // The cursor of GetCursorAt at the mouse position: a cursor resource,
    // the text or the cross cursor; FALSE leaves the window's own cursor.
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;

    virtual void OnRButtonDown(UINT nFlags, int x, int y);
    virtual void OnCommand(BOOL bFromMenuOrAccelerator, UINT nId);
    virtual void OnMouseWheel(UINT nFlags, short zDelta, int x, int y);
    // What a press at the point would do: sets the drag mode and answers
    // the cursor resource id for it, 0 when a press would do nothing, -3
    // while a connector is being drawn.
    virtual int GetCursorAt(int x, int y);
    // The host window's size becomes the map's.
    virtual void OnSize(UINT nType, int cx, int cy);
    // A new map with this map's host window and this map as parent; the
    // caller adds it to the children (or deletes it).
    virtual CDrawingObjectMap* CreateChildMap();
    // Hook: a drag of the mouse has moved or resized the child (called at
    // the release, once per drag that changed the child's rectangle).
    virtual void OnChildEdited(CDrawingObject* pChild);
    // Called by the host window when it is destroyed. No object of this
    // program keeps anything of the window, so there is nothing to let go.
    virtual void OnWindowDestroy();
    // Shifts the child's rectangle by this map's position and sends it on.
    virtual void InvalidateChildRect(RECT rect);
    // -1 when the child is not a child of this map; otherwise its index,
    // after the connectors that end on the child (or inside it) were
    // removed, the child was unselected when selected, deleted when bDelete
    // and removed, and the selected, dragged and captured indexes fixed up.
    virtual int RemoveChild(CDrawingObject* pChild, BOOL bDelete);
    // Query: may a connector join the two objects? FALSE: none is made.
    virtual BOOL CanConnect(CDrawingObject* pFrom, CDrawingObject* pTo);
    // Hooks: a connector was added to m_connectors; the selected connector
    // changed (null: none is selected now); a connector is about to be
    // removed and deleted.
    virtual void OnConnectorAdded(CDrawingObjectConnector* pConnector);
    virtual void OnConnectorSelected(CDrawingObjectConnector* pConnector);
    virtual void OnConnectorRemoved(CDrawingObjectConnector* pConnector);
    // Hooks of derived maps around the children; clip in map coordinates.
    virtual void DrawUnderChildren(CDC* pDC, RECT* pClip);
    virtual void DrawOverChildren(CDC* pDC, RECT* pClip);
    // A dark red veil over the highlight rectangle, when it is not empty.
    virtual void DrawHighlight(CDC* pDC);
    virtual BOOL KeepChildrenInside();

    // Map coordinates to window coordinates by the map zoom, and back.
    CRect ZoomRect(RECT rect) const;
    CRect UnzoomRect(RECT rect) const;
    // The host window's road for a posted invalidation: the rectangle is
    // zoomed like the drawing and invalidated without erasing; the RECT is
    // deleted in every case.
    void InvalidateWindowRect(RECT* pRect);
    // Null empties the highlight; both the old and the new area repaint.
    void SetHighlightRect(RECT* pRect);
    // Moves the child to (x, y), kept inside the map, with redraw.
    void MoveChild(CDrawingObject* pChild, int x, int y);
    // Makes a child the selected one (by id, or by index); nothing while
    // the mouse is captured, and nothing for the selected one unless bForce.
    void SelectChild(int nIdOrIndex, BOOL bById, BOOL bForce);
    // Draws the children whose rectangles meet the region, in index order.
    void DrawChildren(CDC* pDC, CRgn* pRegion);
    // Whether the map zoom differs from 100 % in either direction.
    BOOL IsMapZoomed() const;
    // The innermost visible object at the point, looking into child maps;
    // bRelative: the point is in the parent's coordinates.
    CDrawingObject* DeepestObjectAt(int x, int y, BOOL bRelative);
    // The child being dragged in a child map (depth first, from the last
    // child), or null.
    CDrawingObject* GetDraggedObject();
    // The map's archive holder.
    CBriselFile* GetFile() { return &m_file; }
    // A new connector between two different objects of this map's tree
    // whose id paths name them, added to m_connectors; null when an object
    // is missing or cannot be named by its path, the two are already
    // joined, or CanConnect refuses.
    CDrawingObjectConnector* Connect(CDrawingObject* pFrom, CDrawingObject* pTo);
    // The last connector whose line passes at (x, y) of the map, or -1.
    int ConnectorAt(int x, int y);
    // Selects the connector at the index alone; -1 selects none.
    void SelectConnector(int nIndex);
    // The index of the selected connector, or -1.
    int GetSelectedConnector();
    // Removes and deletes the connector; FALSE for a bad index.
    BOOL RemoveConnector(int nIndex);

    CDrawingObjects m_children;
    // The child that receives the keys; -1 when none.
    int m_nSelectedChild;
    // Mouse editing: the child being dragged (-1: none), how, and where it
    // was grabbed.
    int m_nDraggedChild;
    int m_nDragMode;
    int m_nGrabOffsetX;
    int m_nGrabOffsetY;
    BOOL m_bDoubleBuffered;
    // Of the map's size; made by the first Draw, dropped by SetSize.
    CBitmap* m_pBackBuffer;
    BOOL m_bMapColorAdjustAllowed;
    COLORADJUSTMENT m_mapColorAdjust;
    BOOL m_bMapColorAdjustActive;
    CArray<_TSkinElement> m_skinElements;
    BOOL m_bCapture;
    CDrawingObject* m_pCapturedObject;
    CRect m_rectHighlight;
    // The object sizes its host window instead of itself.
    BOOL m_bInWindow;
    // The map's area shows what lies beneath instead of its colour.
    BOOL m_bShowBeneath;
    COLORREF m_crBackground;
    int m_nCapturedChild;
    int m_nMapZoomOffsetX;
    int m_nMapZoomOffsetY;
    int m_nMapZoomX;
    int m_nMapZoomY;
    BOOL m_bMapZoomCentered;
    // Made and destroyed with the map; its archive stays closed.
    CBriselFile m_file;
    // The connector being drawn by the mouse (at most one).
    CCollection<_tActiveConnector> m_activeConnectors;
    // Owned; drawn in index order, hit from the last to the first.
    CArray<CDrawingObjectConnector*> m_connectors;
    // Keeps an exclusive-hit test from asking its parent again.
    BOOL m_bHitTestGuard;
    BOOL m_bTransparent;

protected:
    // The parent's point in this map's coordinates, unzoomed.
    CPoint ConvertPoint(int x, int y) const;
    // Whether a connector is being drawn (an active connector exists).
    BOOL IsConnectorDragActive();
    // Ends the drawing of a connector: connects to pTarget when it is not
    // null, then the loose line goes.
    void EndConnectorDrag(CDrawingObject* pTarget);

private:
    // The child at the index moved to the end of the children, the indexes
    // that point at children kept on them; returns its new index.
    int BringChildToTop(int nIndex);
    // Follows a drag of the dragged child to the point (map coordinates).
    void DragTo(int x, int y);
    // Border and colour adjustment on while the point is over the child.
    static void ShowHover(CDrawingObject* pChild, BOOL bOver);
    // The index of the child a press or a cursor query at the point concerns.
    int ChildIndexAt(int x, int y);
    // Starts drawing a connector from the object at the point (map
    // coordinates); FALSE when there is none that a path can name.
    BOOL StartConnectorDrag(CPoint point);
    void FollowConnectorDrag(CPoint point);
    // The loose line from the start object to the mouse; FALSE when
    // nothing of it shows.
    BOOL GetConnectorDragLine(CPoint& from, CPoint& to);
    void InvalidateConnectorDrag();
    // Repaints the lines of the connectors, of this map and its ancestors,
    // that end on the object or inside it.
    void InvalidateConnectorsOf(CDrawingObject* pObject);
    void DrawConnectors(CDC* pDC);

    // Where the connector being drawn starts.
    CArray<int> m_connectorStartPath;
    // The dragged child's rectangle at the press.
    CRect m_rectBeforeDrag;

    // A drag handed down from an ancestor: the point is the root's.
    BOOL m_bNestedMove;

    // The back buffer, made again when the map's size changed under it.
    CBitmap* BackBuffer(CDC* pCompatible, int width, int height);
    // Background, children and hooks on a DC in the map's own coordinates;
    // pBeneath is the target that a buffered transparent map copies from.
    void DrawContent(CDC* pDC, CDC* pBeneath, CRgn* pRegion, CRect clip);
    void CopyToTarget(CDC* pTarget, CDC* pBuffer);

    CSize m_sizeBackBuffer;
};
