// The texture effects: one 8-bit palette index per pixel, computed from the
// pixel's place and a little noise, coloured through a palette that runs
// from colour 3 over colour 2 to colour 1.
#include "controls/tooltip/effects/draw_effects.h"

#include "controls/tooltip/effects/effect_ids.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

// The place-dependent part of a pixel's index, before noise: a term of the
// column plus a term of the row, each computed once (the soft bump adds its
// two curves before it scales and clamps them). W, H the texture's size, x
// from the left, y from the bottom row.
class CTextureShape
{
public:
    CTextureShape(int nEffect, int W, int H, int g)
        : m_arrColumns(static_cast<size_t>(W), 0), m_arrRows(static_cast<size_t>(H), 0),
          m_bSoftBump(nEffect == BACK_EFFECT_SOFTBUMP), m_g(g)
    {
        const int nRange = 255 - 2 * g;
        for (int x = 0; x < W; x++)
            m_arrColumns[static_cast<size_t>(x)] = Column(nEffect, x, W, nRange);
        for (int y = 0; y < H; y++)
            m_arrRows[static_cast<size_t>(y)] = Row(nEffect, y, H, nRange);
    }

    int At(int x, int y) const
    {
        const int v = m_arrColumns[static_cast<size_t>(x)] + m_arrRows[static_cast<size_t>(y)];
        return m_bSoftBump ? std::clamp(128 + v * (128 - m_g) / 128, m_g, 255 - m_g) : v;
    }

private:
    int Column(int nEffect, int x, int W, int nRange) const
    {
        const int nFromRight = static_cast<int>(int64_t(W - x) * 255 / W) - 127;
        switch (nEffect)
        {
        case BACK_EFFECT_DIAGSHADE:
            return static_cast<int>(int64_t(nRange / 2) * (W - x) / W);
        case BACK_EFFECT_METAL:
            return static_cast<int>(int64_t((nRange - METAL_SHADE_RESERVE) / 2) * (W - x) / W);
        case BACK_EFFECT_VSHADE:
            return static_cast<int>(int64_t(W - x) * nRange / W) + m_g;
        case BACK_EFFECT_VBUMP:
            return 128 + Cube(nFromRight) * (128 - m_g) / 128;
        case BACK_EFFECT_SOFTBUMP:
            return Cube(nFromRight);
        default:
            return 0;
        }
    }

    int Row(int nEffect, int y, int H, int nRange) const
    {
        const int nFromBottom = static_cast<int>(int64_t(y) * 255 / H) - 127;
        switch (nEffect)
        {
        case BACK_EFFECT_DIAGSHADE:
            return static_cast<int>(int64_t(nRange / 2) * y / H) + m_g;
        case BACK_EFFECT_METAL:
            return static_cast<int>(int64_t((nRange - METAL_SHADE_RESERVE) / 2) * y / H);
        case BACK_EFFECT_HSHADE:
            return static_cast<int>(int64_t(y) * nRange / H) + m_g;
        case BACK_EFFECT_HBUMP:
            return 128 + Cube(nFromBottom) * (128 - m_g) / 128;
        case BACK_EFFECT_SOFTBUMP:
            return Cube(nFromBottom);
        case BACK_EFFECT_HARDBUMP:
            return 128 + Cube(nFromBottom) * (64 - m_g) * 2 / 128;
        case BACK_EFFECT_VSHADE:
        case BACK_EFFECT_VBUMP:
            return 0;
        default:
            return 128;
        }
    }

    std::vector<int> m_arrColumns;
    std::vector<int> m_arrRows;
    bool m_bSoftBump;
    int m_g;
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
        const CTextureShape shade(BACK_EFFECT_METAL, W, H, g);
        for (int y = 0; y < H; y++)
        {
            BYTE* pRow = m_dib.GetRow(y);
            for (int x = 0; x < W; x++)
                pRow[x] = static_cast<BYTE>(pRow[x] + shade.At(x, y) + Random() / nDivisor);
        }
        return;
    }

    const CTextureShape shape(nEffect, W, H, g);
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
                pRow[x] = static_cast<BYTE>(255 - g - 128 * x / s + Random() / nDivisor - g);
        }
    }
}
