// A drawing object for the tests and the demo: it fills its rectangle (the
// zoomed one while zoomed) with one colour, then draws what every object
// draws (its border while hovered), and counts its paints.
#pragma once

#include "drawing/drawing_object.h"

namespace drawing_test {

class CSolidObject : public CDrawingObject
{
public:
    CSolidObject(CWnd* pHost, CDrawingObject* pParent, COLORREF colour, CRect rect)
        : CDrawingObject(pHost, pParent, TRUE), m_colour(colour)
    {
        m_rect = rect;
        m_rectZoomed = rect;
    }
    void Draw(CDC* pDC) override
    {
        ++m_nPaints;
        const CRect area = GetDrawnRect();
        pDC->FillSolidRect(&area, m_colour);
        CDrawingObject::Draw(pDC);
    }
    COLORREF m_colour;
    int m_nPaints = 0;
};

}  // namespace drawing_test
