// Drawing the tip: the background with the text and the border as one
// layer, the shadow darkening the snapshot of what lies beneath, and the
// layer blended onto the snapshot by the transparency of the moment.
#include "controls/tooltip/rich_tool_tip.h"

#include <algorithm>

namespace
{

// A memory DC with a bitmap selected, released with it.
class CMemoryLayer
{
public:
    CMemoryLayer(HDC hRef, int cx, int cy, HBITMAP hExisting = nullptr)
        : m_hDC(CreateCompatibleDC(hRef)), m_hBitmap(hExisting != nullptr ? nullptr : CreateCompatibleBitmap(hRef, cx, cy)),
          m_hOld(SelectObject(m_hDC, hExisting != nullptr ? hExisting : m_hBitmap))
    {
    }
    ~CMemoryLayer()
    {
        SelectObject(m_hDC, m_hOld);
        if (m_hBitmap != nullptr)
            DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    CMemoryLayer(const CMemoryLayer&) = delete;
    CMemoryLayer& operator=(const CMemoryLayer&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

} // namespace

void CRichToolTip::Redraw(CDC* pDC)
{
    if (pDC == nullptr || m_hBackground == nullptr || m_hSnapshot == nullptr || m_hRgn == nullptr)
        return;
    const int t = std::clamp(m_nTransparency, 0, 100);
    const int w = LayerSize().cx, h = LayerSize().cy;
    const int cxAll = WindowSize().cx, cyAll = WindowSize().cy;
    HDC hRef = pDC->GetSafeHdc();

    // The tip itself: background, text, border.
    CMemoryLayer layer(hRef, w, h);
    {
        CMemoryLayer background(hRef, w, h, m_hBackground);
        BitBlt(layer.Get(), 0, 0, w, h, background.Get(), 0, 0, SRCCOPY);
    }
    m_drawer.SetDC(layer.Get());
    m_drawer.SetPrepareFlag(0);
    SIZE drawn{0, 0};
    m_drawer.DrawHtml(&drawn, &m_rcText);
    m_drawer.SetDC(nullptr);
    if (m_hBorderBrush != nullptr && m_nBorderWidth > 0 && m_nBorderHeight > 0)
    {
        CDC* pLayer = CDC::FromHandle(layer.Get());
        OnDrawBorder(pLayer, CRgn::FromHandle(m_hRgn));
    }

    // What lies beneath, darkened by the shadow.
    CMemoryLayer result(hRef, cxAll, cyAll);
    {
        CMemoryLayer snapshot(hRef, cxAll, cyAll, m_hSnapshot);
        BitBlt(result.Get(), 0, 0, cxAll, cyAll, snapshot.Get(), 0, 0, SRCCOPY);
    }
    if (m_nShadowX != 0 || m_nShadowY != 0)
    {
        const int nLevel = 255 * (100 - m_nShadowDarkness) / 100;
        const int nGrey = nLevel + (255 - nLevel) * t / 100;
        const RECT rcAll{0, 0, cxAll, cyAll};
        HBITMAP hMask = CreateCompatibleBitmap(hRef, cxAll, cyAll);
        {
            CMemoryLayer mask(hRef, cxAll, cyAll, hMask);
            HBRUSH hWhite = CreateSolidBrush(RGB(255, 255, 255));
            HBRUSH hGrey = CreateSolidBrush(RGB(nGrey, nGrey, nGrey));
            FillRect(mask.Get(), &rcAll, hWhite);
            HRGN hShadow = CreateRectRgn(0, 0, 0, 0);
            CombineRgn(hShadow, m_hRgn, nullptr, RGN_COPY);
            OffsetRgn(hShadow, m_nShadowX, m_nShadowY);
            FillRgn(mask.Get(), hShadow, hGrey);
            DeleteObject(hShadow);
            DeleteObject(hWhite);
            DeleteObject(hGrey);
        }
        m_drawer.GetDrawManager().DrawShadow(result.Get(), 0, 0, cxAll, cyAll, hMask, m_bShadowGradient,
                                             m_nShadowBlurX, m_nShadowBlurY);
        DeleteObject(hMask);
    }

    // The tip over it, only inside its shape, by its opacity.
    SelectClipRgn(result.Get(), m_hRgn);
    m_drawer.GetDrawManager().AlphaBitBlt(result.Get(), 0, 0, std::min(w, cxAll), std::min(h, cyAll), layer.Get(),
                                          100 - t);
    SelectClipRgn(result.Get(), nullptr);
    BitBlt(hRef, 0, 0, cxAll, cyAll, result.Get(), 0, 0, SRCCOPY);
}
