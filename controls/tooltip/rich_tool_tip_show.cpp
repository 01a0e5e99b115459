// Showing a tip: the notify window asked for the text, the text measured,
// the tip placed with its anchor so that it stays on the screen, its shape
// and background built, and the window shown without taking activation.
#include "controls/tooltip/rich_tool_tip.h"

#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"

#include <algorithm>

namespace
{

enum : UINT
{
    PLACE_BELOW = 0x00,
    PLACE_ABOVE = 0x10,
    PLACE_RIGHT = 0x20,
    PLACE_LEFT = 0x30,
    ALONG_START = 0,
    ALONG_END = 1,
    ALONG_CENTRE = 2,
};

struct ScreenArea
{
    int left, top, right, bottom;
};

ScreenArea VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return ScreenArea{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The low nibble corrected along one axis: p the cursor, s the tip's size
// along that axis, m the anchor margin, [lo, hi) the screen.
UINT CorrectAlong(int p, int s, int m, int lo, int hi, UINT nAlong)
{
    switch (nAlong)
    {
    case ALONG_START:
        if (p + s - m > hi)
            return p - s + m < lo ? ALONG_CENTRE : ALONG_END;
        return nAlong;
    case ALONG_END:
        if (p + m - s < lo)
            return p - m + s <= hi ? ALONG_START : ALONG_CENTRE;
        return nAlong;
    default:
        if (p - lo <= m)
            return ALONG_START;
        if (hi - p <= m)
            return ALONG_END;
        return ALONG_CENTRE;
    }
}

// Where the anchor lies along the edge, in window coordinates.
int AnchorAlong(int p, int s, int m, int lo, int hi, UINT nAlong)
{
    switch (nAlong)
    {
    case ALONG_START:
        return m;
    case ALONG_END:
        return s - m;
    default:
    {
        int a = s / 2;
        // A centred tip that would pass an edge slides back onto the screen.
        if (p - a < lo)
            a = p - lo;
        else if (p - a + s > hi)
            a = p - hi + s;
        return std::clamp(a, 0, s);
    }
    }
}

} // namespace

void CRichToolTip::CompleteFromDefaults(_TToolInfo& ti) const
{
    if (!(ti.nMask & RTT_MASK_STYLE))
        ti.nStyles = m_nDefaultStyle;
    if (!(ti.nMask & RTT_MASK_EFFECT))
    {
        ti.nEffect = m_nDefaultEffect;
        ti.nGranularity = m_nDefaultGranularity;
    }
    if (!(ti.nMask & RTT_MASK_COLORS))
    {
        ti.crBegin = m_crDefault[0];
        ti.crMid = m_crDefault[1];
        ti.crEnd = m_crDefault[2];
    }
    if (!(ti.nMask & RTT_MASK_DIRECTION))
        ti.nDirection = m_nDefaultDirection;
    if (!(ti.nMask & RTT_MASK_BEHAVIOUR))
        ti.nBehaviour = m_nDefaultBehaviour;
    if (!(ti.nMask & RTT_MASK_TRANSPARENCY))
        ti.nTransparency = m_nDefaultTransparency;
    ti.nTransparency = static_cast<BYTE>(std::min<int>(ti.nTransparency, 100));
}

void CRichToolTip::ShowTip()
{
    CompleteFromDefaults(m_tiNext);
    POINT pt;
    GetCursorPos(&pt);
    if (m_hNotifyWnd != nullptr && ::IsWindow(m_hNotifyWnd))
    {
        NM_RTT_DISPLAY nm{};
        nm.hdr.hwndFrom = m_hWnd;
        nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        nm.hdr.code = MSG_TOOLTIP_DISPLAY;
        nm.hwndTool = m_hNextWnd;
        nm.pt = &pt;
        nm.ti = &m_tiNext;
        ::SendMessageA(m_hNotifyWnd, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    if (m_tiNext.strText.IsEmpty())
    {
        m_nState = STATE_HIDDEN;
        return;
    }

    // The tip is never larger than the screen: lines wrap before its edge,
    // and what does not fit below is cut off.
    const ScreenArea screen = VirtualScreen();
    const bool bVertical = (m_tiNext.nDirection & 0xF0) >= PLACE_RIGHT;
    const int nMaxWidth = (screen.right - screen.left) - 2 * m_nMarginX - m_nShadowX - (bVertical ? m_nAnchorHeight : 0);
    const int nMaxHeight = (screen.bottom - screen.top) - 2 * m_nMarginY - m_nShadowY - (bVertical ? 0 : m_nAnchorHeight);
    SIZE size{0, 0};
    {
        CClientDC dc(this);
        m_drawer.SetMaxWidth(std::max(nMaxWidth, 1));
        m_drawer.PrepareOutput(dc.GetSafeHdc(), m_tiNext.strText, &size);
        m_drawer.SetDC(nullptr);
    }
    if (m_drawer.GetMarkupText().IsEmpty())
    {
        m_nState = STATE_HIDDEN;
        return;
    }
    size.cx = std::clamp<LONG>(size.cx, 1, std::max(nMaxWidth, 1));
    size.cy = std::clamp<LONG>(size.cy, 1, std::max(nMaxHeight, 1));

    m_rcText = CRect(m_nMarginX, m_nMarginY, m_nMarginX + size.cx, m_nMarginY + size.cy);
    CRect rcWindow(0, 0, size.cx + 2 * m_nMarginX, size.cy + 2 * m_nMarginY);
    UINT nPlacement = m_tiNext.nDirection;
    const POINT ptAnchor = Place(pt, nPlacement, rcWindow);
    m_nPlacement = nPlacement;
    m_ptAnchor = ptAnchor;
    switch (nPlacement & 0xF0)
    {
    case PLACE_BELOW:
        m_rcText.OffsetRect(0, m_nAnchorHeight);
        break;
    case PLACE_RIGHT:
        m_rcText.OffsetRect(m_nAnchorHeight, 0);
        break;
    default:
        break;
    }

    m_rcTip = CRect(pt.x - ptAnchor.x, pt.y - ptAnchor.y, pt.x - ptAnchor.x + rcWindow.Width(),
                    pt.y - ptAnchor.y + rcWindow.Height());
    FreeResources();
    BuildRegion(rcWindow, nPlacement, ptAnchor);
    BuildBackground(rcWindow, nPlacement);
    m_nTransparency = m_bFadeIn && m_nFadeInPeriod != 0 ? 100 : m_tiNext.nTransparency;
    const CRect rcWhole(m_rcTip.TopLeft(), WindowSize());
    TakeSnapshot(rcWhole);

    HRGN hWindowRgn = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(hWindowRgn, m_hRgn, nullptr, RGN_COPY);
    if (m_nShadowX != 0 || m_nShadowY != 0)
    {
        HRGN hShadow = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(hShadow, m_hRgn, nullptr, RGN_COPY);
        OffsetRgn(hShadow, m_nShadowX, m_nShadowY);
        CombineRgn(hWindowRgn, hWindowRgn, hShadow, RGN_OR);
        DeleteObject(hShadow);
    }
    ::SetWindowRgn(m_hWnd, hWindowRgn, FALSE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rcWhole.left, rcWhole.top, rcWhole.Width(), rcWhole.Height(),
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

POINT CRichToolTip::Place(POINT pt, UINT& nPlacement, CRect& rcWindow) const
{
    const ScreenArea screen = VirtualScreen();
    UINT nEdge = nPlacement & 0xF0;
    UINT nAlong = nPlacement & 0x0F;
    if (nEdge > PLACE_LEFT)
        nEdge = PLACE_ABOVE;
    if (nAlong > ALONG_CENTRE)
        nAlong = ALONG_START;
    if (nEdge == PLACE_BELOW || nEdge == PLACE_ABOVE)
        rcWindow.bottom += m_nAnchorHeight;
    else
        rcWindow.right += m_nAnchorHeight;
    const int w = rcWindow.Width(), h = rcWindow.Height(), m = m_nAnchorMargin;

    // Along x, then along y.
    if (nEdge == PLACE_BELOW || nEdge == PLACE_ABOVE)
        nAlong = CorrectAlong(pt.x, w, m, screen.left, screen.right, nAlong);
    else if (nEdge == PLACE_RIGHT && pt.x + w > screen.right)
        nEdge = PLACE_LEFT;
    else if (nEdge == PLACE_LEFT && pt.x - w < screen.left)
        nEdge = PLACE_RIGHT;
    if (nEdge == PLACE_BELOW && pt.y + h > screen.bottom)
        nEdge = PLACE_ABOVE;
    else if (nEdge == PLACE_ABOVE && pt.y - h < screen.top)
        nEdge = PLACE_BELOW;
    else if (nEdge == PLACE_RIGHT || nEdge == PLACE_LEFT)
        nAlong = CorrectAlong(pt.y, h, m, screen.top, screen.bottom, nAlong);
    nPlacement = nEdge | nAlong;

    POINT ptAnchor{0, 0};
    switch (nEdge)
    {
    case PLACE_BELOW:
        ptAnchor = POINT{AnchorAlong(pt.x, w, m, screen.left, screen.right, nAlong), 0};
        break;
    case PLACE_ABOVE:
        ptAnchor = POINT{AnchorAlong(pt.x, w, m, screen.left, screen.right, nAlong), h};
        break;
    case PLACE_RIGHT:
        ptAnchor = POINT{0, AnchorAlong(pt.y, h, m, screen.top, screen.bottom, nAlong)};
        break;
    default:
        ptAnchor = POINT{w, AnchorAlong(pt.y, h, m, screen.top, screen.bottom, nAlong)};
        break;
    }
    return ptAnchor;
}

void CRichToolTip::BuildRegion(const CRect& rcWindow, UINT nPlacement, POINT ptAnchor)
{
    CRect rcBody(0, 0, rcWindow.Width(), rcWindow.Height());
    const int ah = m_nAnchorHeight;
    switch (nPlacement & 0xF0)
    {
    case PLACE_BELOW:
        rcBody.top += ah;
        break;
    case PLACE_ABOVE:
        rcBody.bottom -= ah;
        break;
    case PLACE_RIGHT:
        rcBody.left += ah;
        break;
    default:
        rcBody.right -= ah;
        break;
    }
    // A rounded body takes in its right and bottom edge; its anchor keeps it
    // off the cursor. A square one (the rectangle set, no anchor) stops
    // short of them: its corner sits at the cursor, and the pixel under the
    // cursor must stay the tool's, or a click there would land on the tip.
    m_hRgn = m_nRoundX > 0 || m_nRoundY > 0
                 ? CreateRoundRectRgn(rcBody.left, rcBody.top, rcBody.right + 1, rcBody.bottom + 1, m_nRoundX, m_nRoundY)
                 : CreateRectRgn(rcBody.left, rcBody.top, rcBody.right, rcBody.bottom);
    if (m_nAnchorWidth <= 0 || ah <= 0)
        return;
    const UINT nEdge = nPlacement & 0xF0;
    const UINT nAlong = nPlacement & 0x0F;
    const bool bHorizontalEdge = nEdge == PLACE_BELOW || nEdge == PLACE_ABOVE;
    const int nApex = bHorizontalEdge ? ptAnchor.x : ptAnchor.y;
    int nBase = nApex;
    if (nAlong == ALONG_CENTRE)
        nBase = nApex - m_nAnchorWidth / 2;
    else if (nAlong == ALONG_END)
        nBase = nApex - m_nAnchorWidth;
    POINT triangle[3];
    triangle[0] = ptAnchor;
    switch (nEdge)
    {
    case PLACE_BELOW:
        triangle[1] = POINT{nBase, rcBody.top};
        triangle[2] = POINT{nBase + m_nAnchorWidth, rcBody.top};
        break;
    case PLACE_ABOVE:
        triangle[1] = POINT{nBase, rcBody.bottom};
        triangle[2] = POINT{nBase + m_nAnchorWidth, rcBody.bottom};
        break;
    case PLACE_RIGHT:
        triangle[1] = POINT{rcBody.left, nBase};
        triangle[2] = POINT{rcBody.left, nBase + m_nAnchorWidth};
        break;
    default:
        triangle[1] = POINT{rcBody.right, nBase};
        triangle[2] = POINT{rcBody.right, nBase + m_nAnchorWidth};
        break;
    }
    HRGN hAnchor = CreatePolygonRgn(triangle, 3, ALTERNATE);
    CombineRgn(m_hRgn, m_hRgn, hAnchor, RGN_OR);
    DeleteObject(hAnchor);
}

void CRichToolTip::BuildBackground(const CRect& rcWindow, UINT nPlacement)
{
    // As large as what is drawn of the tip (LayerSize).
    const int w = rcWindow.Width() + 1, h = rcWindow.Height() + 1, ah = m_nAnchorHeight;
    CClientDC dcWindow(this);
    m_hBackground = CreateCompatibleBitmap(dcWindow.GetSafeHdc(), w, h);
    HDC hDC = CreateCompatibleDC(dcWindow.GetSafeHdc());
    HGDIOBJ hOld = SelectObject(hDC, m_hBackground);
    RECT rcBody{0, 0, w, h};
    RECT rcStrip{0, 0, 0, 0};
    POINT ptRow{0, 0};
    switch (nPlacement & 0xF0)
    {
    case PLACE_BELOW:
        rcBody.top = ah;
        rcStrip = RECT{0, 0, w, ah};
        ptRow = POINT{0, ah};
        break;
    case PLACE_ABOVE:
        rcBody.bottom = h - ah;
        rcStrip = RECT{0, h - ah, w, h};
        ptRow = POINT{0, h - ah - 1};
        break;
    case PLACE_RIGHT:
        rcBody.left = ah;
        rcStrip = RECT{0, 0, ah, h};
        ptRow = POINT{ah, 0};
        break;
    default:
        rcBody.right = w - ah;
        rcStrip = RECT{w - ah, 0, w, h};
        ptRow = POINT{w - ah - 1, 0};
        break;
    }
    m_drawer.GetDrawManager().FillEffect(hDC, rcBody, m_tiNext.nEffect, m_tiNext.crBegin, m_tiNext.crMid,
                                         m_tiNext.crEnd, m_tiNext.nGranularity, 5);
    if (ah > 0)
    {
        // The anchor takes the body's row (or column) next to it.
        const bool bRows = (nPlacement & 0xF0) < PLACE_RIGHT;
        m_drawer.GetDrawManager().MultipleCopy(hDC, rcStrip.left, rcStrip.top, rcStrip.right - rcStrip.left,
                                               rcStrip.bottom - rcStrip.top, hDC, ptRow.x, ptRow.y, bRows ? w : 1,
                                               bRows ? 1 : h);
    }
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
}

void CRichToolTip::TakeSnapshot(const CRect& rcScreen)
{
    CClientDC dcWindow(this);
    m_hSnapshot = CreateCompatibleBitmap(dcWindow.GetSafeHdc(), rcScreen.Width(), rcScreen.Height());
    HDC hDC = CreateCompatibleDC(dcWindow.GetSafeHdc());
    HGDIOBJ hOld = SelectObject(hDC, m_hSnapshot);
    // What lies beneath the window, without the window itself.
    trelwin::user::CopyScreenBeneath(m_hWnd, hDC, 0, 0, rcScreen);
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
}
