// The texture effects: one 8-bit palette index per pixel, computed from the
// pixel's place and a little noise, coloured through a palette that runs
// from colour 3 over colour 2 to colour 1.
#include "controls/tooltip/draw_effects.h"

#include "controls/tooltip/markup_types.h"

#include <algorithm>
#include <cstdint>

namespace
{

enum : int
{
    RANDOM_MAX = 32767,
    METAL_STROKES = 200,
    METAL_STROKE_INDEX_DIVISOR = 819, // stroke indexes 0-40
    METAL_SHADE_RESERVE = 40,
    BEVEL_MAX_WIDTH = 16,
};

// c(t) = t^3 / 128 / 128, rounded toward zero: -125 for t = -127, 128 for 128.
int Cube(int t)
{
    return t * t * t / 128 / 128;
}

BYTE Channel(BYTE from, BYTE to, int k, int steps)
{
    return static_cast<BYTE>((from * (steps - k) + to * k) / steps);
}

RGBQUAD Entry(COLORREF from, COLORREF to, int k)
{
    RGBQUAD q;
    q.rgbRed = Channel(GetRValue(from), GetRValue(to), k, 128);
    q.rgbGreen = Channel(GetGValue(from), GetGValue(to), k, 128);
    q.rgbBlue = Channel(GetBValue(from), GetBValue(to), k, 128);
    q.rgbReserved = 0;
    return q;
}

// The place-dependent part of a pixel's index, before noise, for the
// effects that compute one; W, H the texture's size, x from the left, y from
// the bottom row.
struct CTextureShape
{
    int nEffect;
    int W;
    int H;
    int g;

    int Low() const { return g; }
    int High() const { return 255 - g; }

    int At(int x, int y) const
    {
        const int nRange = High() - Low();
        switch (nEffect)
        {
        case BACK_EFFECT_DIAGSHADE:
            return Diagonal(x, y, nRange / 2) + g;
        case BACK_EFFECT_HSHADE:
            return static_cast<int>(int64_t(y) * nRange / H) + g;
        case BACK_EFFECT_VSHADE:
            return static_cast<int>(int64_t(W - x) * nRange / W) + g;
        case BACK_EFFECT_HBUMP:
            return 128 + Cube(AlongY(y)) * (128 - g) / 128;
        case BACK_EFFECT_VBUMP:
            return 128 + Cube(AlongX(x)) * (128 - g) / 128;
        case BACK_EFFECT_SOFTBUMP:
            return std::clamp(128 + (Cube(AlongX(x)) + Cube(AlongY(y))) * (128 - g) / 128, Low(), High());
        case BACK_EFFECT_HARDBUMP:
            return 128 + Cube(AlongY(y)) * (64 - g) * 2 / 128;
        default:
            return 128;
        }
    }

    int Diagonal(int x, int y, int k) const
    {
        return static_cast<int>(int64_t(k) * (W - x) / W + int64_t(k) * y / H);
    }
    int AlongX(int x) const { return static_cast<int>(int64_t(W - x) * 255 / W) - 127; }
    int AlongY(int y) const { return static_cast<int>(int64_t(y) * 255 / H) - 127; }
};

} // namespace

int CDrawEffects::Random()
{
    m_nNoiseSeed = m_nNoiseSeed * 214013u + 2531011u;
    return static_cast<int>((m_nNoiseSeed >> 16) & RANDOM_MAX);
}

void CDrawEffects::FillTexture(HDC hDC, const RECT& rc, int nEffect, COLORREF clr1, COLORREF clr2, COLORREF clr3,
                               int nGranularity, int nBlend)
{
    const int W = rc.right - rc.left;
    const int H = rc.bottom - rc.top;
    if (W <= 0 || H <= 0 || m_dib.Create(W, H) == nullptr)
        return;
    RGBQUAD* pPalette = m_dib.GetPalette();
    for (int k = 0; k < 128; k++)
        pPalette[k] = Entry(clr3, clr2, k);
    for (int k = 1; k <= 128; k++)
        pPalette[127 + k] = Entry(clr2, clr1, k);
    m_dib.BlendPalette(clr1, nBlend);
    ComputeTexture(nEffect, nGranularity);
    m_dib.Draw(hDC, rc.left, rc.top);
}

void CDrawEffects::ComputeTexture(int nEffect, int g)
{
    const int W = m_dib.GetWidth();
    const int H = m_dib.GetHeight();
    const int nDivisor = RANDOM_MAX / (g > 0 ? 2 * g : 1);
    const CTextureShape shape{nEffect, W, H, g};

    if (nEffect == BACK_EFFECT_METAL)
    {
        for (int y = 0; y < H; y++)
            std::fill_n(m_dib.GetRow(y), W, BYTE(0));
        // Random positions and lengths; Random() / (RANDOM_MAX / n) can reach
        // n itself, so they are kept inside.
        const int nHalf = std::min(W, H) / 2;
        for (int i = 0; i < METAL_STROKES; i++)
        {
            const int x0 = std::min(Random() / (RANDOM_MAX / W), W - 1);
            const int y0 = std::min(Random() / (RANDOM_MAX / H), H - 1);
            const int nLength = nHalf > 0 ? std::min(Random() / (RANDOM_MAX / nHalf), nHalf) : 0;
            const BYTE nIndex = static_cast<BYTE>(Random() / METAL_STROKE_INDEX_DIVISOR);
            for (int d = -nLength; d <= nLength; d++)
            {
                const int x = x0 + d, y = y0 + d;
                if (x >= 0 && x < W && y >= 0 && y < H)
                    m_dib.GetRow(y)[x] = nIndex;
            }
        }
        const int k = (shape.High() - shape.Low() - METAL_SHADE_RESERVE) / 2;
        for (int y = 0; y < H; y++)
        {
            BYTE* pRow = m_dib.GetRow(y);
            for (int x = 0; x < W; x++)
                pRow[x] = static_cast<BYTE>(pRow[x] + shape.Diagonal(x, y, k) + Random() / nDivisor);
        }
        return;
    }

    for (int y = 0; y < H; y++)
    {
        BYTE* pRow = m_dib.GetRow(y);
        for (int x = 0; x < W; x++)
            pRow[x] = static_cast<BYTE>(shape.At(x, y) + Random() / nDivisor - g);
    }

    if (nEffect != BACK_EFFECT_HARDBUMP)
        return;
    // The bevel along the left and right edges: a parabola from the middle
    // row, s pixels wide at the top and bottom.
    const int s = std::min<int>(BEVEL_MAX_WIDTH, W / 6);
    const int64_t nQuarterSquare = int64_t(H) * H / 4;
    if (s == 0 || nQuarterSquare == 0)
        return;
    for (int y = 0; y < H; y++)
    {
        const int64_t j = y - H / 2;
        const int64_t b = s * j * j / nQuarterSquare + W / 2 - s;
        BYTE* pRow = m_dib.GetRow(y);
        for (int x = 0; x < W; x++)
        {
            const int64_t nFromMiddle = x - W / 2;
            if (nFromMiddle > b)
                pRow[x] = static_cast<BYTE>(128 * (W - x) / s + g + Random() / nDivisor - g);
            else if (nFromMiddle < -b)
                pRow[x] = static_cast<BYTE>(shape.High() - 128 * x / s + Random() / nDivisor - g);
        }
    }
}
