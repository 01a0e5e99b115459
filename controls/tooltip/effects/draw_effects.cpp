#include "controls/tooltip/effects/draw_effects.h"

#include "controls/tooltip/effects/draw_effects_internal.h"
#include "controls/tooltip/effects/effect_ids.h"

#include <algorithm>

using namespace draw_effects;

namespace
{

enum : int
{
    GRADIENT_BANDS = 64,
    // Below this many tiles MultipleCopy copies the source block by block;
    // above it, it first builds a larger tile from it.
    TILES_COPIED_ONE_BY_ONE = 64,
    LARGE_TILE_SIDE = 256,
};

void FillSolid(HDC hDC, const RECT& rc, COLORREF clr)
{
    HBRUSH hBrush = CreateSolidBrush(clr);
    if (hBrush == nullptr)
        return;
    FillRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

BYTE Band(BYTE start, BYTE end, int k)
{
    return static_cast<BYTE>((start * (GRADIENT_BANDS - k) + end * k) / GRADIENT_BANDS);
}

void TileOneByOne(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, int xSrc, int ySrc, int cxStep, int cyStep)
{
    for (int yy = y; yy < y + cy; yy += cyStep)
    {
        const int h = std::min(cyStep, y + cy - yy);
        for (int xx = x; xx < x + cx; xx += cxStep)
            BitBlt(hDest, xx, yy, std::min(cxStep, x + cx - xx), h, hSrc, xSrc, ySrc, SRCCOPY);
    }
}

// Fills the whole DIB with copies of its own top-left block of cxStep x
// cyStep, doubling the filled area with each copy.
void TileByDoubling(CDib32& tile, int cxStep, int cyStep)
{
    for (int w = cxStep; w < tile.GetWidth(); w *= 2)
        BitBlt(tile.GetDC(), w, 0, std::min(w, tile.GetWidth() - w), cyStep, tile.GetDC(), 0, 0, SRCCOPY);
    for (int h = cyStep; h < tile.GetHeight(); h *= 2)
        BitBlt(tile.GetDC(), 0, h, tile.GetWidth(), std::min(h, tile.GetHeight() - h), tile.GetDC(), 0, 0, SRCCOPY);
}

// A multiple of the step not larger than LARGE_TILE_SIDE (at least one step)
// and not larger than needed.
int LargeTileSide(int nStep, int nNeeded)
{
    const int nLimit = std::min<int>(nNeeded, LARGE_TILE_SIDE);
    return std::max(nStep, nLimit / nStep * nStep);
}

// Reads the source's (0, 0, cx, cy) and the destination's (x, y, cx, cy),
// mixes each colour channel with mix(source, destination, source pixel) and
// writes the result back; the destination keeps its alpha bytes.
template <typename Mix>
void BlendArea(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, Mix mix)
{
    CDib32 source(cx, cy), dest(cx, cy);
    if (!source.IsValid() || !dest.IsValid())
        return;
    BitBlt(source.GetDC(), 0, 0, cx, cy, hSrc, 0, 0, SRCCOPY);
    BitBlt(dest.GetDC(), 0, 0, cx, cy, hDest, x, y, SRCCOPY);
    const uint32_t* s = source.Bits();
    uint32_t* d = dest.Bits();
    for (size_t i = 0, n = static_cast<size_t>(cx) * cy; i < n; i++)
        d[i] = MakePixel(Alpha(d[i]), mix(Red(s[i]), Red(d[i]), s[i]), mix(Green(s[i]), Green(d[i]), s[i]),
                         mix(Blue(s[i]), Blue(d[i]), s[i]));
    BitBlt(hDest, x, y, cx, cy, dest.GetDC(), 0, 0, SRCCOPY);
}

} // namespace

namespace draw_effects
{

CDib32::CDib32(int cx, int cy)
    : m_cx(cx), m_cy(cy), m_hDC(nullptr), m_hBitmap(nullptr), m_hOld(nullptr), m_pBits(nullptr)
{
    if (cx < 1 || cy < 1)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (m_hBitmap == nullptr)
        return;
    m_pBits = static_cast<uint32_t*>(pBits);
    HDC hDC = CreateCompatibleDC(nullptr);
    if (hDC == nullptr)
        return;
    m_hOld = SelectObject(hDC, m_hBitmap);
    m_hDC = hDC;
}

CDib32::~CDib32()
{
    if (m_hDC != nullptr)
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
    }
    if (m_hBitmap != nullptr)
        DeleteObject(m_hBitmap);
}

HBITMAP CDib32::Detach()
{
    if (m_hDC != nullptr)
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
        m_hDC = nullptr;
    }
    HBITMAP hBitmap = m_hBitmap;
    m_hBitmap = nullptr;
    m_pBits = nullptr;
    return hBitmap;
}

CSelectedBitmap::CSelectedBitmap(HBITMAP hBitmap) : m_hDC(CreateCompatibleDC(nullptr)), m_hOld(nullptr)
{
    if (m_hDC != nullptr && hBitmap != nullptr)
        m_hOld = SelectObject(m_hDC, hBitmap);
}

CSelectedBitmap::~CSelectedBitmap()
{
    if (m_hDC == nullptr)
        return;
    if (m_hOld != nullptr)
        SelectObject(m_hDC, m_hOld);
    DeleteDC(m_hDC);
}

bool CopyFromDC(HDC hSrc, int xSrc, int ySrc, int cxSrc, int cySrc, CDib32& dib)
{
    if (!dib.IsValid() || hSrc == nullptr || cxSrc < 1 || cySrc < 1)
        return false;
    SetTextColor(dib.GetDC(), RGB(0, 0, 0));
    SetBkColor(dib.GetDC(), RGB(255, 255, 255));
    if (cxSrc == dib.GetWidth() && cySrc == dib.GetHeight())
        return BitBlt(dib.GetDC(), 0, 0, cxSrc, cySrc, hSrc, xSrc, ySrc, SRCCOPY) != FALSE;
    SetStretchBltMode(dib.GetDC(), COLORONCOLOR);
    return StretchBlt(dib.GetDC(), 0, 0, dib.GetWidth(), dib.GetHeight(), hSrc, xSrc, ySrc, cxSrc, cySrc,
                      SRCCOPY) != FALSE;
}

bool CopyBitmap(HBITMAP hBitmap, int xSrc, int ySrc, int cxSrc, int cySrc, CDib32& dib)
{
    CSelectedBitmap source(hBitmap);
    return source.IsValid() && CopyFromDC(source.GetDC(), xSrc, ySrc, cxSrc, cySrc, dib);
}

} // namespace draw_effects

CDrawEffects::CDrawEffects() : m_bHasAlpha(FALSE), m_nNoiseSeed(1)
{
}

CDrawEffects::~CDrawEffects()
{
}

void CDrawEffects::FillEffect(HDC hDC, const RECT& rc, int nEffect, COLORREF clr1, COLORREF clr2, COLORREF clr3,
                              BYTE nGranularity, int nBlend)
{
    switch (nEffect)
    {
    case BACK_EFFECT_HGRADIENT:
        DrawGradient(hDC, rc, clr1, clr3, TRUE);
        break;
    case BACK_EFFECT_VGRADIENT:
        DrawGradient(hDC, rc, clr1, clr3, FALSE);
        break;
    case BACK_EFFECT_HCGRADIENT:
        DrawTwoGradients(hDC, rc, TRUE, clr1, clr3, clr1);
        break;
    case BACK_EFFECT_VCGRADIENT:
        DrawTwoGradients(hDC, rc, FALSE, clr1, clr3, clr1);
        break;
    case BACK_EFFECT_3HGRADIENT:
        DrawTwoGradients(hDC, rc, TRUE, clr1, clr2, clr3);
        break;
    case BACK_EFFECT_3VGRADIENT:
        DrawTwoGradients(hDC, rc, FALSE, clr1, clr2, clr3);
        break;
    default:
        if (nEffect >= BACK_EFFECT_NOISE && nEffect <= BACK_EFFECT_METAL)
            FillTexture(hDC, rc, nEffect, clr1, clr2, clr3, nGranularity, nBlend);
        else
            FillSolid(hDC, rc, clr1);
        break;
    }
}

void CDrawEffects::DrawTwoGradients(HDC hDC, const RECT& rc, BOOL bHorizontal, COLORREF clrFrom, COLORREF clrMiddle,
                                    COLORREF clrTo)
{
    RECT first = rc, second = rc;
    if (bHorizontal)
        first.right = second.left = rc.left + (rc.right - rc.left) / 2;
    else
        first.bottom = second.top = rc.top + (rc.bottom - rc.top) / 2;
    DrawGradient(hDC, first, clrFrom, clrMiddle, bHorizontal);
    DrawGradient(hDC, second, clrMiddle, clrTo, bHorizontal);
}

void CDrawEffects::DrawGradient(HDC hDC, const RECT& rc, COLORREF clrStart, COLORREF clrEnd, BOOL bHorizontal)
{
    const int nFrom = bHorizontal ? rc.left : rc.top;
    const int nLength = bHorizontal ? rc.right - rc.left : rc.bottom - rc.top;
    if (nLength <= 0 || rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    for (int k = 0; k < GRADIENT_BANDS; k++)
    {
        const int nBandFrom = nFrom + static_cast<int>(static_cast<int64_t>(k) * nLength / GRADIENT_BANDS);
        const int nBandTo = nFrom + static_cast<int>(static_cast<int64_t>(k + 1) * nLength / GRADIENT_BANDS);
        if (nBandTo <= nBandFrom)
            continue;
        const COLORREF clr = RGB(Band(GetRValue(clrStart), GetRValue(clrEnd), k),
                                 Band(GetGValue(clrStart), GetGValue(clrEnd), k),
                                 Band(GetBValue(clrStart), GetBValue(clrEnd), k));
        if (bHorizontal)
            FillSolid(hDC, RECT{nBandFrom, rc.top, nBandTo, rc.bottom}, clr);
        else
            FillSolid(hDC, RECT{rc.left, nBandFrom, rc.right, nBandTo}, clr);
    }
}

void CDrawEffects::MultipleCopy(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, int xSrc, int ySrc, int cxStep,
                                int cyStep)
{
    if (cx <= 0 || cy <= 0 || cxStep <= 0 || cyStep <= 0)
        return;
    const int64_t nTiles = (static_cast<int64_t>(cx) + cxStep - 1) / cxStep * ((cy + cyStep - 1) / cyStep);
    if (nTiles <= TILES_COPIED_ONE_BY_ONE)
    {
        TileOneByOne(hDest, x, y, cx, cy, hSrc, xSrc, ySrc, cxStep, cyStep);
        return;
    }
    // Many small tiles: copy them into one larger tile first, so the
    // destination takes few copies whatever the size of the source block.
    CDib32 tile(LargeTileSide(cxStep, cx), LargeTileSide(cyStep, cy));
    if (!tile.IsValid() || !BitBlt(tile.GetDC(), 0, 0, cxStep, cyStep, hSrc, xSrc, ySrc, SRCCOPY))
    {
        TileOneByOne(hDest, x, y, cx, cy, hSrc, xSrc, ySrc, cxStep, cyStep);
        return;
    }
    TileByDoubling(tile, cxStep, cyStep);
    TileOneByOne(hDest, x, y, cx, cy, tile.GetDC(), 0, 0, tile.GetWidth(), tile.GetHeight());
}

void CDrawEffects::AlphaBitBlt(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, int nOpacity)
{
    if (nOpacity >= 100)
    {
        BitBlt(hDest, x, y, cx, cy, hSrc, 0, 0, SRCCOPY);
        return;
    }
    const uint32_t p = static_cast<uint32_t>(std::max(nOpacity, 0));
    BlendArea(hDest, x, y, cx, cy, hSrc,
              [p](uint32_t src, uint32_t dst, uint32_t) { return (src * p + dst * (100 - p) + 50) / 100; });
}

void CDrawEffects::AlphaChannelBitBlt(HDC hSrc, HDC hDest, int x, int y, int cx, int cy)
{
    BlendArea(hDest, x, y, cx, cy, hSrc, [](uint32_t src, uint32_t dst, uint32_t nSourcePixel) {
        const uint32_t a = Alpha(nSourcePixel);
        return (src * a + dst * (255 - a) + 127) / 255;
    });
}

SIZE CDrawEffects::GetSizeOfIcon(HICON hIcon)
{
    // The size of the icon's own bitmaps (twice the hot spot is the size of
    // an icon only when its hot spot is its centre).
    ICONINFO info{};
    SIZE size{0, 0};
    if (hIcon == nullptr || !GetIconInfo(hIcon, &info))
        return size;
    if (info.hbmColor != nullptr)
    {
        size = GetSizeOfBitmap(info.hbmColor);
    }
    else
    {
        size = GetSizeOfBitmap(info.hbmMask);
        size.cy /= 2;
    }
    if (info.hbmMask != nullptr)
        DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    return size;
}

SIZE CDrawEffects::GetSizeOfBitmap(HBITMAP hBitmap)
{
    BITMAP bm{};
    if (hBitmap == nullptr || GetObjectA(hBitmap, sizeof(bm), &bm) == 0)
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}
