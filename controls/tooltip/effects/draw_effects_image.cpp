// Bitmaps, icons and frames of image strips drawn with image effects, a
// transparent colour or mask, and a shadow.
#include "controls/tooltip/effects/draw_effects.h"

#include "controls/tooltip/effects/draw_effects_internal.h"
#include "controls/tooltip/effects/effect_ids.h"

#include <algorithm>
#include <memory>

using namespace draw_effects;

namespace
{

const COLORREF WHITE = RGB(255, 255, 255);

// The bitmaps of an icon at a given size: the colour image (or, for a
// monochrome icon, its XOR half) and the AND mask, as 32-bit DIBs.
struct CIconParts
{
    CDib32 image;
    CDib32 mask;

    CIconParts(int cx, int cy) : image(cx, cy), mask(cx, cy) {}

    bool Load(HICON hIcon)
    {
        ICONINFO info{};
        if (!image.IsValid() || !mask.IsValid() || !GetIconInfo(hIcon, &info))
            return false;
        const SIZE size = CDrawEffects::GetSizeOfBitmap(info.hbmMask);
        bool bOk;
        if (info.hbmColor != nullptr)
        {
            const SIZE colour = CDrawEffects::GetSizeOfBitmap(info.hbmColor);
            bOk = CopyBitmap(info.hbmColor, 0, 0, colour.cx, colour.cy, image) &&
                  CopyBitmap(info.hbmMask, 0, 0, size.cx, size.cy, mask);
        }
        else
        {
            const int nHalf = size.cy / 2;
            bOk = CopyBitmap(info.hbmMask, 0, 0, size.cx, nHalf, mask) &&
                  CopyBitmap(info.hbmMask, 0, nHalf, size.cx, nHalf, image);
        }
        if (info.hbmMask != nullptr)
            DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr)
            DeleteObject(info.hbmColor);
        return bOk;
    }
};

// Replace by white, then invert: black where the image is, white where it
// is transparent.
const DWORD MASK_EFFECT = IMAGE_EFFECT_REPLACE | IMAGE_EFFECT_INVERT;

bool HasShadowBits(DWORD dwEffect)
{
    return (dwEffect & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_BLURRED_SHADOW)) != 0;
}

} // namespace

HBITMAP CDrawEffects::CreateImageEffect(HBITMAP hImage, int cx, int cy, DWORD dwEffect, BOOL bTransparent,
                                        COLORREF clrTransparent, COLORREF clrReplace)
{
    const SIZE size = GetSizeOfBitmap(hImage);
    CSelectedBitmap source(hImage);
    CDib32 dib(cx, cy);
    if (!source.IsValid() ||
        !ApplyImageEffect(source.GetDC(), size.cx, size.cy, dib, dwEffect, bTransparent, clrTransparent, clrReplace))
        return nullptr;
    return dib.Detach();
}

bool CDrawEffects::ApplyImageEffect(HDC hSrc, int cxSrc, int cySrc, CDib32& dib, DWORD dwEffect, BOOL bTransparent,
                                    COLORREF clrTransparent, COLORREF clrReplace)
{
    if (!CopyFromDC(hSrc, 0, 0, cxSrc, cySrc, dib))
        return false;
    const uint32_t nTransparent = PixelFromColor(clrTransparent);
    const uint32_t nReplace = PixelFromColor(clrReplace);
    uint32_t* p = dib.Bits();
    for (size_t i = 0, n = static_cast<size_t>(dib.GetWidth()) * dib.GetHeight(); i < n; i++)
    {
        uint32_t v = p[i];
        if (Alpha(v) != 0)
            m_bHasAlpha = TRUE;
        if (bTransparent && (v & 0x00FFFFFF) == nTransparent)
        {
            v = 0;
        }
        else
        {
            if (dwEffect & IMAGE_EFFECT_GREY)
            {
                const uint32_t grey = Grey(Red(v), Green(v), Blue(v));
                v = MakePixel(Alpha(v), grey, grey, grey);
            }
            if (dwEffect & IMAGE_EFFECT_DARKER)
                v = MapChannels(v, [](uint32_t c) { return c * 3 / 4; });
            if (dwEffect & IMAGE_EFFECT_LIGHTER)
                v = MapChannels(v, [](uint32_t c) { return std::min<uint32_t>(c * 5 / 4, 255); });
            if (dwEffect & IMAGE_EFFECT_REPLACE)
                v = (v & 0xFF000000) | nReplace;
        }
        if (dwEffect & IMAGE_EFFECT_INVERT)
            v = v ^ 0x00FFFFFF;
        p[i] = v;
    }
    return true;
}

void CDrawEffects::DrawBitmap(HDC hDC, int x, int y, int cx, int cy, HBITMAP hBitmap, BOOL bTransparent,
                              COLORREF clrTransparent, DWORD dwEffect, BOOL bShadow, int nShadowX, int nShadowY,
                              int nBlurX, int nBlurY, COLORREF clrShadow)
{
    m_bHasAlpha = FALSE;
    if (cx <= 0 || cy <= 0)
        return;
    const SIZE size = GetSizeOfBitmap(hBitmap);
    CDib32 copy(cx, cy), mask(cx, cy), image(cx, cy);
    if (!CopyBitmap(hBitmap, 0, 0, size.cx, size.cy, copy) ||
        !ApplyImageEffect(copy.GetDC(), cx, cy, mask, MASK_EFFECT, bTransparent, clrTransparent, WHITE) ||
        !ApplyImageEffect(copy.GetDC(), cx, cy, image, dwEffect, bTransparent, clrTransparent, clrShadow))
        return;
    std::unique_ptr<CDib32> shadow;
    if (bShadow && HasShadowBits(dwEffect))
    {
        // The image's shape in the shadow colour, white around it.
        shadow = std::make_unique<CDib32>(cx, cy);
        if (!ApplyImageEffect(copy.GetDC(), cx, cy, *shadow, MASK_EFFECT, bTransparent, clrTransparent,
                              clrShadow ^ 0x00FFFFFF))
            return;
    }
    DrawMasked(hDC, x, y, cx, cy, image.GetDC(), mask.GetDC(), shadow.get(), dwEffect, bShadow, nShadowX, nShadowY,
               nBlurX, nBlurY);
}

void CDrawEffects::DrawIcon(HDC hDC, int x, int y, int cx, int cy, HICON hIcon, DWORD dwEffect, BOOL bShadow,
                            int nShadowX, int nShadowY, int nBlurX, int nBlurY, COLORREF clrShadow)
{
    m_bHasAlpha = FALSE;
    if (cx <= 0 || cy <= 0 || hIcon == nullptr)
        return;
    const SIZE size = GetSizeOfIcon(hIcon);
    HICON hCopy = nullptr;
    if (size.cx != cx || size.cy != cy)
    {
        hCopy = static_cast<HICON>(CopyImage(hIcon, IMAGE_ICON, cx, cy, 0));
        if (hCopy == nullptr)
            return;
    }
    CIconParts parts(cx, cy);
    const bool bLoaded = parts.Load(hCopy != nullptr ? hCopy : hIcon);
    if (hCopy != nullptr)
        DestroyIcon(hCopy);
    if (!bLoaded)
        return;

    // The icon's mask stands for the transparent colour: white where the
    // icon is transparent. With the replace bit the effect colours the
    // mask's shape instead of the image.
    CDib32 image(cx, cy);
    const bool bOnMask = (dwEffect & IMAGE_EFFECT_REPLACE) != 0;
    if (!(bOnMask ? ApplyImageEffect(parts.mask.GetDC(), cx, cy, image, dwEffect, TRUE, WHITE, clrShadow)
                  : ApplyImageEffect(parts.image.GetDC(), cx, cy, image, dwEffect, FALSE, 0, clrShadow)))
        return;
    const BOOL bImageHasAlpha = m_bHasAlpha;
    std::unique_ptr<CDib32> shadow;
    if (bShadow && HasShadowBits(dwEffect))
    {
        shadow = std::make_unique<CDib32>(cx, cy);
        if (!ApplyImageEffect(parts.mask.GetDC(), cx, cy, *shadow, MASK_EFFECT, TRUE, WHITE, clrShadow ^ 0x00FFFFFF))
            return;
    }
    m_bHasAlpha = bImageHasAlpha;  // the masks made after the image do not count
    CSavedDC saved(hDC);
    SetTextColor(hDC, RGB(0, 0, 0));
    SetBkColor(hDC, WHITE);
    DrawMasked(hDC, x, y, cx, cy, image.GetDC(), parts.mask.GetDC(), shadow.get(), dwEffect, bShadow, nShadowX,
               nShadowY, nBlurX, nBlurY);
}

void CDrawEffects::DrawImageList(HDC hDC, int x, int y, int cx, int cy, HBITMAP hStrip, int nIndex, int cxFrame,
                                 int cyFrame, BOOL bTransparent, COLORREF clrTransparent, DWORD dwEffect,
                                 BOOL bShadow, int nShadowX, int nShadowY, int nBlurX, int nBlurY, COLORREF clrShadow)
{
    if (cxFrame <= 0 || cyFrame <= 0 || nIndex < 0)
        return;
    const SIZE size = GetSizeOfBitmap(hStrip);
    const int nColumns = size.cx / cxFrame;
    const int nRows = size.cy / cyFrame;
    if (nColumns == 0 || nRows == 0 || nIndex >= nColumns * nRows)
        return;
    // The frame in a bitmap of its own, not selected anywhere, for DrawBitmap.
    CDib32 frame(cxFrame, cyFrame);
    if (!CopyBitmap(hStrip, nIndex % nColumns * cxFrame, nIndex / nColumns * cyFrame, cxFrame, cyFrame, frame))
        return;
    HBITMAP hFrame = frame.Detach();
    DrawBitmap(hDC, x, y, cx, cy, hFrame, bTransparent, clrTransparent, dwEffect, bShadow, nShadowX, nShadowY, nBlurX,
               nBlurY, clrShadow);
    DeleteObject(hFrame);
}

void CDrawEffects::DrawMasked(HDC hDC, int x, int y, int cx, int cy, HDC hImage, HDC hMask, CDib32* pShadowMask,
                              DWORD dwEffect, BOOL bShadow, int nShadowX, int nShadowY, int nBlurX, int nBlurY)
{
    if (bShadow)
    {
        if (pShadowMask != nullptr)
            ShadowFromDC(hDC, x + nShadowX, y + nShadowY, cx, cy, pShadowMask->GetDC(), cx, cy,
                         (dwEffect & IMAGE_EFFECT_BLURRED_SHADOW) != 0, nBlurX, nBlurY);
        else if (!HasShadowBits(dwEffect))
        {
            x += nShadowX;
            y += nShadowY;
        }
    }
    if (m_bHasAlpha)
    {
        AlphaChannelBitBlt(hImage, hDC, x, y, cx, cy);
        return;
    }
    BitBlt(hDC, x, y, cx, cy, hMask, 0, 0, SRCAND);
    BitBlt(hDC, x, y, cx, cy, hImage, 0, 0, SRCPAINT);
}
