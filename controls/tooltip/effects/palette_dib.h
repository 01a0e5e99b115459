// CPaletteDib: an 8-bit image with its own 256-colour palette, in which the
// texture effects of CDrawEffects compute one palette index per pixel; the
// colours of an effect then cost one pass over the palette, not one over
// the pixels.
//
// One block holds the BITMAPINFOHEADER, the palette and the pixel rows,
// bottom-up (row 0 of the block is the bottom row of the picture), each row
// padded to 4 bytes. Draw turns the block into a DIB section (made once,
// with the palette as it is then) and copies it onto a DC.
#pragma once

#include "platform/gdi/gdi_types.h"

class CPaletteDib
{
public:
    enum : int
    {
        PALETTE_COLORS = 256,
        MAX_SIDE = 32767,
    };

    CPaletteDib();
    virtual ~CPaletteDib();
    CPaletteDib(const CPaletteDib&) = delete;
    CPaletteDib& operator=(const CPaletteDib&) = delete;

    // Frees what was there and allocates a width x height image; the block,
    // or null when a side is below 1 or above MAX_SIDE or memory runs out.
    BYTE* Create(int nWidth, int nHeight);
    // Deletes the memory DC, the DIB section and the block.
    void Free();
    // Moves every palette entry towards the colour: (entry * (100 - p) +
    // colour * p) / 100 per channel, p clamped to 0-100.
    void BlendPalette(COLORREF clr, int nPercent);
    // Copies the image onto the DC with its top-left corner at (x, y).
    void Draw(HDC hDC, int x, int y);

    int GetWidth() const { return m_header.biWidth; }
    int GetHeight() const { return m_header.biHeight; }
    // Bytes per row: ((width * 8 + 31) / 32) * 4.
    int GetLineWidth() const { return m_nLineWidth; }
    RGBQUAD* GetPalette();
    // Row y of the block (0 is the bottom row of the picture).
    BYTE* GetRow(int y);

private:
    BYTE* m_pBuffer;
    BITMAPINFOHEADER m_header;
    int m_nLineWidth;
    WORD m_wColors;
    HBITMAP m_hSection;
    HDC m_hMemDC;
    void* m_pSectionBits;
    HGDIOBJ m_hOldBitmap;
};
