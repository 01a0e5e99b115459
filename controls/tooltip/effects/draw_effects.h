// CDrawEffects: the drawing primitives under the rich-text tooltip and its
// mark-up: background effect fills (solid, gradients and textures), tiled
// and transparent copies, soft shadows, bitmaps and icons drawn with image
// effects and shadows, frames of image strips, and framed lines and
// rectangles with pen styles.
//
// Colours are COLORREF values; rectangles are left, top, right, bottom. Every
// operation cleans up what it creates and draws nothing when a DC, bitmap or
// DIB section cannot be made; empty and one-pixel sizes are safe.
//
// Files: draw_effects.cpp (fills, gradients, copies, sizes),
// draw_effects_texture.cpp, draw_effects_image.cpp, draw_effects_shadow.cpp,
// draw_effects_lines.cpp.
#pragma once

#include "controls/tooltip/effects/palette_dib.h"
#include "platform/gdi/gdi_types.h"

namespace draw_effects
{
class CDib32;
}

class CDrawEffects
{
public:
    CDrawEffects();
    virtual ~CDrawEffects();
    CDrawEffects(const CDrawEffects&) = delete;
    CDrawEffects& operator=(const CDrawEffects&) = delete;

    // Fills the rectangle with a background effect (_eBackEffect): 1-6
    // gradients between the colours, 7-15 textures of the granularity
    // (0-255, the strength of the noise) blended nBlend percent towards
    // colour 1, anything else solid colour 1.
    void FillEffect(HDC hDC, const RECT& rc, int nEffect, COLORREF clr1, COLORREF clr2, COLORREF clr3,
                    BYTE nGranularity, int nBlend);
    // 64 bands from the start colour towards the end colour, left to right
    // (bHorizontal) or top to bottom.
    void DrawGradient(HDC hDC, const RECT& rc, COLORREF clrStart, COLORREF clrEnd, BOOL bHorizontal);
    // Tiles (x, y, cx, cy) with copies of the source block (xSrc, ySrc,
    // cxStep, cyStep); the last row and column are clipped.
    void MultipleCopy(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, int xSrc, int ySrc, int cxStep,
                      int cyStep);
    // Copies the source's (0, 0, cx, cy) onto (x, y, cx, cy) of the
    // destination with nOpacity percent: round(src * p / 100 + dst * (1 -
    // p / 100)) per channel; 100 or more is a plain copy.
    void AlphaBitBlt(HDC hDest, int x, int y, int cx, int cy, HDC hSrc, int nOpacity);
    // Blends the 32-bit image of the source DC, (0, 0, cx, cy), onto (x, y)
    // of the destination by each pixel's own alpha byte (not premultiplied).
    void AlphaChannelBitBlt(HDC hSrc, HDC hDest, int x, int y, int cx, int cy);
    // Darkens (x, y, cx, cy) of the DC by the mask bitmap: each destination
    // pixel is multiplied by the mask pixel's blue byte / 255, after a box
    // blur of nBlurX x nBlurY when bBlur is set.
    void DrawShadow(HDC hDC, int x, int y, int cx, int cy, HBITMAP hMask, BOOL bBlur, int nBlurX, int nBlurY);
    // A new 32-bit DIB section (the caller deletes it) holding the image at
    // cx x cy with the effect bits applied pixel by pixel: transparent
    // pixels become 0, then grey, darker, lighter, replaced by clrReplace,
    // and finally every pixel inverted. Null on failure.
    HBITMAP CreateImageEffect(HBITMAP hImage, int cx, int cy, DWORD dwEffect, BOOL bTransparent,
                              COLORREF clrTransparent, COLORREF clrReplace);
    // Draws the bitmap at (x, y) in cx x cy with the effect bits, without
    // the pixels of the transparent colour, and with a shadow (effect bits
    // 0x100, 0x200 blurred) of the colour, moved by the shadow offsets.
    void DrawBitmap(HDC hDC, int x, int y, int cx, int cy, HBITMAP hBitmap, BOOL bTransparent,
                    COLORREF clrTransparent, DWORD dwEffect, BOOL bShadow, int nShadowX, int nShadowY, int nBlurX,
                    int nBlurY, COLORREF clrShadow);
    // As DrawBitmap, with the icon's own mask for transparency and shadow.
    void DrawIcon(HDC hDC, int x, int y, int cx, int cy, HICON hIcon, DWORD dwEffect, BOOL bShadow, int nShadowX,
                  int nShadowY, int nBlurX, int nBlurY, COLORREF clrShadow);
    // Frame nIndex (row by row) of a strip of cxFrame x cyFrame frames,
    // drawn as DrawBitmap; nothing for an index outside the strip.
    void DrawImageList(HDC hDC, int x, int y, int cx, int cy, HBITMAP hStrip, int nIndex, int cxFrame,
                       int cyFrame, BOOL bTransparent, COLORREF clrTransparent, DWORD dwEffect, BOOL bShadow,
                       int nShadowX, int nShadowY, int nBlurX, int nBlurY, COLORREF clrShadow);
    // A framed rectangle: top and left edge light, bottom and right edge
    // dark. Pen styles: 2 dashed, 3 dotted, 4 dash-dot, 5 dash-dot-dot, 6
    // double, anything else solid; nothing for a width below 1.
    void DrawRectangle(HDC hDC, const RECT& rc, COLORREF clrLight, COLORREF clrDark, int nStyle, int nWidth);
    void DrawLine(HDC hDC, POINT ptFrom, POINT ptTo, COLORREF clr, int nStyle, int nWidth);

    static SIZE GetSizeOfIcon(HICON hIcon);
    static SIZE GetSizeOfBitmap(HBITMAP hBitmap);

    // Seeds the noise of the textures (the same seed draws the same texture).
    void SeedNoise(unsigned int nSeed) { m_nNoiseSeed = nSeed; }

private:
    // The first half from clrFrom to clrMiddle, the second on to clrTo.
    void DrawTwoGradients(HDC hDC, const RECT& rc, BOOL bHorizontal, COLORREF clrFrom, COLORREF clrMiddle,
                          COLORREF clrTo);
    void FillTexture(HDC hDC, const RECT& rc, int nEffect, COLORREF clr1, COLORREF clr2, COLORREF clr3,
                     int nGranularity, int nBlend);
    void ComputeTexture(int nEffect, int nGranularity);
    // The next noise value, 0-32767.
    int Random();
    // The source (cxSrc x cySrc from the DC) at the DIB's size with the
    // effect bits applied; sets the has-alpha flag when a pixel has alpha.
    bool ApplyImageEffect(HDC hSrc, int cxSrc, int cySrc, draw_effects::CDib32& dib, DWORD dwEffect,
                          BOOL bTransparent, COLORREF clrTransparent, COLORREF clrReplace);
    // Shadow, then the image through its mask (or by its alpha).
    void DrawMasked(HDC hDC, int x, int y, int cx, int cy, HDC hImage, HDC hMask, draw_effects::CDib32* pShadowMask,
                    DWORD dwEffect, BOOL bShadow, int nShadowX, int nShadowY, int nBlurX, int nBlurY);
    void ShadowFromDC(HDC hDC, int x, int y, int cx, int cy, HDC hMask, int cxMask, int cyMask, bool bBlur,
                      int nBlurX, int nBlurY);

    CPaletteDib m_dib;
    BOOL m_bHasAlpha;
    unsigned int m_nNoiseSeed;
};
