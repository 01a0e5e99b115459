// Helpers shared by the files of CDrawEffects: a 32-bit DIB section in its
// own memory DC, a bitmap selected into a memory DC for one call, and the
// colour arithmetic on 0xAARRGGBB pixels.
#pragma once

#include "platform/gdi/gdi.h"

#include <cstdint>

namespace draw_effects
{

// A 32-bit top-down DIB section of cx x cy selected into a memory DC for
// the life of the object. IsValid is false when a side is below 1 or the
// section or DC cannot be made.
class CDib32
{
public:
    CDib32(int cx, int cy);
    ~CDib32();
    CDib32(const CDib32&) = delete;
    CDib32& operator=(const CDib32&) = delete;

    bool IsValid() const { return m_hDC != nullptr; }
    HDC GetDC() const { return m_hDC; }
    HBITMAP GetBitmap() const { return m_hBitmap; }
    int GetWidth() const { return m_cx; }
    int GetHeight() const { return m_cy; }
    uint32_t* Row(int y) const { return m_pBits + static_cast<size_t>(y) * m_cx; }
    uint32_t* Bits() const { return m_pBits; }
    // Deselects the section and hands it to the caller.
    HBITMAP Detach();

private:
    int m_cx;
    int m_cy;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    uint32_t* m_pBits;
};

// A bitmap selected into a memory DC for the life of the object.
class CSelectedBitmap
{
public:
    explicit CSelectedBitmap(HBITMAP hBitmap);
    ~CSelectedBitmap();
    CSelectedBitmap(const CSelectedBitmap&) = delete;
    CSelectedBitmap& operator=(const CSelectedBitmap&) = delete;

    bool IsValid() const { return m_hDC != nullptr && m_hOld != nullptr; }
    HDC GetDC() const { return m_hDC; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Restores a DC's state when it goes out of scope.
class CSavedDC
{
public:
    explicit CSavedDC(HDC hDC) : m_hDC(hDC), m_nSaved(SaveDC(hDC)) {}
    ~CSavedDC()
    {
        if (m_nSaved != 0)
            RestoreDC(m_hDC, m_nSaved);
    }
    CSavedDC(const CSavedDC&) = delete;
    CSavedDC& operator=(const CSavedDC&) = delete;

private:
    HDC m_hDC;
    int m_nSaved;
};

inline uint32_t Red(uint32_t p) { return (p >> 16) & 0xFF; }
inline uint32_t Green(uint32_t p) { return (p >> 8) & 0xFF; }
inline uint32_t Blue(uint32_t p) { return p & 0xFF; }
inline uint32_t Alpha(uint32_t p) { return p >> 24; }
inline uint32_t MakePixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}
inline uint32_t PixelFromColor(COLORREF clr)
{
    return MakePixel(0, GetRValue(clr), GetGValue(clr), GetBValue(clr));
}

// Luminance 0.299 R + 0.587 G + 0.114 B, rounded.
inline uint32_t Grey(uint32_t r, uint32_t g, uint32_t b)
{
    return (299 * r + 587 * g + 114 * b + 500) / 1000;
}

// Each colour channel through f, alpha kept.
template <typename F>
inline uint32_t MapChannels(uint32_t p, F f)
{
    return MakePixel(Alpha(p), f(Red(p)), f(Green(p)), f(Blue(p)));
}

// Copies cxSrc x cySrc from (xSrc, ySrc) of the source DC (or of the
// bitmap, which must not be selected into a DC) into the whole DIB,
// stretched when the sizes differ. Monochrome sources come out black and
// white.
bool CopyFromDC(HDC hSrc, int xSrc, int ySrc, int cxSrc, int cySrc, CDib32& dib);
bool CopyBitmap(HBITMAP hBitmap, int xSrc, int ySrc, int cxSrc, int cySrc, CDib32& dib);

} // namespace draw_effects
