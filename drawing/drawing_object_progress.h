// CDrawingObjectProgress: a gauge made of two pictures of one size, an
// empty gauge (child id 0) and a full one (child id 1) drawn over it, the
// full one cut off where the value reaches. It is a map of two bitmap
// objects, hosted by a CDrawingObjectProgressWnd (drawing_progress_wnd.h).
//
// SetPercent changes the value and posts the gauge's area to the window;
// the extent of the fill is worked out from the value at every paint, in
// DrawProgress, so a value set while the window is hidden shows at the
// next paint. The extent is (value - minimum) times the picture's width
// divided by the range, the quotient taken in single precision: a gauge
// 729 pixels wide shows 364 columns at 50 and 728 at 100.
//
// The fill can glide towards its extent in halving steps and a peak line
// can hold the highest extent for a second; both are off, as are the
// vertical orientation and any range other than 0 to 100, and the worker
// thread is never started.
//
// Window thread only.
#pragma once

#include "common/thread/thread.h"
#include "drawing/drawing_object_bitmap.h"
#include "drawing/drawing_object_map.h"

class CDrawingObjectProgress : public CDrawingObjectMap
{
public:
    enum
    {
        BACKGROUND_ID = 0,
        FILL_ID = 1,
    };

    CDrawingObjectProgress(CWnd* pHostWnd, CDrawingObject* pParent);
    ~CDrawingObjectProgress() override;

    // Loads both pictures and sizes the gauge (in a window: the window) to
    // them; a picture that cannot be loaded leaves its child empty.
    void LoadBitmaps(UINT nBackgroundId, UINT nFillId);
    // The value, kept within the range; with bRedraw the gauge repaints.
    void SetPercent(int nValue, BOOL bRedraw);
    int GetPercent() const
    {
        return m_nValue;
    }
    // Works out the filled extents and clips the fill to them; run by Draw
    // before the children.
    void DrawProgress(CDC* pDC, RECT* pClip);
    // The peak line; run by Draw after the children.
    void AnimateStep(CDC* pDC, RECT* pClip);

    void DrawUnderChildren(CDC* pDC, RECT* pClip) override;
    void DrawOverChildren(CDC* pDC, RECT* pClip) override;

    // TRUE: the fill grows from the left; FALSE: from the bottom.
    BOOL m_bHorizontal;
    int m_nMinimum;
    int m_nMaximum;
    int m_nValue;
    BOOL m_bGlide;
    int m_nShownExtent;
    CThread<CDrawingObjectProgress> m_worker;
    CEvent m_stopEvent;
    BOOL m_bPeakLine;
    COLORREF m_crPeakLine;
    // How far above the bottom edge the peak line is, in pixels.
    int m_nPeakOffset;
    DWORD m_dwPeakTime;
    int m_nFilledExtentX;
    int m_nFilledExtentY;

protected:
    // The clock of the peak line (GetTickCount); tests give their own.
    virtual DWORD Now() const;

private:
    // The extent that the value fills of a length.
    int FilledExtent(int nLength) const;
    // Sizes the gauge, or its window, to a child's size.
    void SizeTo(CDrawingObject* pChild);
};
