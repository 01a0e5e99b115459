// CDrawingObjectProgressWnd: the window of a progress graphic. A page
// places it over a frame control of its dialog and drives the gauge:
//
//   m_progressWnd.CreateMapObject();
//   CRect frame;  // the frame control's rectangle in the page's client area
//   m_progressWnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, frame, this, 13);
//   m_progressWnd.GetProgress()->LoadBitmaps(136, 137);  // sizes the window
//   ...
//   m_progressWnd.GetProgress()->SetPercent(nPercent, TRUE);
//
// The window takes double clicks, erases nothing (the gauge paints every
// pixel) and deletes the gauge when it is destroyed.
#pragma once

#include "drawing/drawing_map_wnd.h"
#include "drawing/drawing_object_progress.h"

class CDrawingObjectProgressWnd : public CDrawingMapWnd
{
public:
    CDrawingObjectProgressWnd();
    ~CDrawingObjectProgressWnd() override;

    // A new gauge, which sizes this window to its pictures.
    CDrawingObjectMap* CreateMapObject() override;
    // The gauge, or null before CreateMapObject.
    CDrawingObjectProgress* GetProgress() const;
};
