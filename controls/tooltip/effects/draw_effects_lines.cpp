// Framed rectangles and lines with the border styles of the mark-up.
#include "controls/tooltip/effects/draw_effects.h"

#include "controls/tooltip/effects/draw_effects_internal.h"

#include <algorithm>
#include <cstdlib>

using namespace draw_effects;

namespace
{

enum : int
{
    STYLE_DASHED = 2,
    STYLE_DOTTED = 3,
    STYLE_DASH_DOT = 4,
    STYLE_DASH_DOT_DOT = 5,
    STYLE_DOUBLE = 6,
    MAX_PEN_WIDTH = 32,
};

int PenStyle(int nStyle)
{
    switch (nStyle)
    {
    case STYLE_DASHED:
        return PS_DASH;
    case STYLE_DOTTED:
        return PS_DOT;
    case STYLE_DASH_DOT:
        return PS_DASHDOT;
    case STYLE_DASH_DOT_DOT:
        return PS_DASHDOTDOT;
    default:
        return PS_SOLID;
    }
}

// One-pixel lines (end point excluded) in one pen.
class CPenLines
{
public:
    CPenLines(HDC hDC, int nStyle, COLORREF clr) : m_hDC(hDC), m_hPen(CreatePen(PenStyle(nStyle), 1, clr))
    {
        m_hOld = m_hPen != nullptr ? SelectObject(hDC, m_hPen) : nullptr;
    }
    ~CPenLines()
    {
        if (m_hPen == nullptr)
            return;
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hPen);
    }
    CPenLines(const CPenLines&) = delete;
    CPenLines& operator=(const CPenLines&) = delete;

    void Line(int x1, int y1, int x2, int y2)
    {
        if (m_hPen == nullptr)
            return;
        MoveToEx(m_hDC, x1, y1, nullptr);
        LineTo(m_hDC, x2, y2);
    }

private:
    HDC m_hDC;
    HPEN m_hPen;
    HGDIOBJ m_hOld;
};

// The frame of nWidth one-pixel rings inside rc, starting nInset pixels in.
void Frame(HDC hDC, const RECT& rc, COLORREF clrLight, COLORREF clrDark, int nStyle, int nInset, int nWidth)
{
    for (int i = nInset; i < nInset + nWidth; i++)
    {
        const int left = rc.left + i, top = rc.top + i, right = rc.right - 1 - i, bottom = rc.bottom - 1 - i;
        if (right < left || bottom < top)
            return;
        {
            CPenLines light(hDC, nStyle, clrLight);
            light.Line(left, top, right + 1, top);
            light.Line(left, top, left, bottom + 1);
        }
        CPenLines dark(hDC, nStyle, clrDark);
        dark.Line(left, bottom, right + 1, bottom);
        dark.Line(right, top, right, bottom + 1);
    }
}

} // namespace

void CDrawEffects::DrawRectangle(HDC hDC, const RECT& rc, COLORREF clrLight, COLORREF clrDark, int nStyle, int nWidth)
{
    if (nWidth < 1)
        return;
    nWidth = std::min<int>(nWidth, MAX_PEN_WIDTH);
    CSavedDC saved(hDC);
    SetBkMode(hDC, TRANSPARENT);
    Frame(hDC, rc, clrLight, clrDark, nStyle, 0, nWidth);
    // A double line: a second frame one line width further in.
    if (nStyle == STYLE_DOUBLE)
        Frame(hDC, rc, clrLight, clrDark, nStyle, 2 * nWidth, nWidth);
}

void CDrawEffects::DrawLine(HDC hDC, POINT ptFrom, POINT ptTo, COLORREF clr, int nStyle, int nWidth)
{
    if (nWidth < 1)
        return;
    nWidth = std::min<int>(nWidth, MAX_PEN_WIDTH);
    HPEN hPen = CreatePen(PenStyle(nStyle), nWidth, clr);
    if (hPen == nullptr)
        return;
    {
        CSavedDC saved(hDC);
        SetBkMode(hDC, TRANSPARENT);
        SelectObject(hDC, hPen);
        MoveToEx(hDC, ptFrom.x, ptFrom.y, nullptr);
        LineTo(hDC, ptTo.x, ptTo.y);
        if (nStyle == STYLE_DOUBLE)
        {
            // The second line two widths across the line's direction.
            const bool bFlat = std::abs(ptTo.x - ptFrom.x) >= std::abs(ptTo.y - ptFrom.y);
            const int dx = bFlat ? 0 : 2 * nWidth, dy = bFlat ? 2 * nWidth : 0;
            MoveToEx(hDC, ptFrom.x + dx, ptFrom.y + dy, nullptr);
            LineTo(hDC, ptTo.x + dx, ptTo.y + dy);
        }
    }
    DeleteObject(hPen);
}
