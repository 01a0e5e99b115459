// Soft shadows: the destination darkened by a mask whose blue byte says how
// much of each pixel stays (255 all of it, 0 none), optionally blurred.
#include "controls/tooltip/effects/draw_effects.h"

#include "controls/tooltip/effects/draw_effects_internal.h"

#include <algorithm>
#include <vector>

using namespace draw_effects;

namespace
{

enum : int
{
    MAX_BLUR = 63,
};

// An odd blur size that leaves at least one pixel of the shrunk mask.
int BlurSize(int nBlur, int nSide)
{
    int n = std::clamp(nBlur, 1, static_cast<int>(MAX_BLUR));
    if (n % 2 == 0)
        n++;
    int nFit = nSide - 1;
    if (nFit % 2 == 0)
        nFit--;
    return std::max(1, std::min(n, nFit));
}

// Sums of the blue bytes over a window of w x h around each pixel, pixels
// outside the image counting as 255.
std::vector<uint32_t> BoxSums(const CDib32& dib, int w, int h)
{
    const int cx = dib.GetWidth(), cy = dib.GetHeight();
    const int rx = w / 2, ry = h / 2;
    std::vector<uint32_t> rows(static_cast<size_t>(cx) * cy);
    std::vector<uint32_t> prefix(static_cast<size_t>(cx) + 1);
    for (int y = 0; y < cy; y++)
    {
        const uint32_t* p = dib.Row(y);
        prefix[0] = 0;
        for (int x = 0; x < cx; x++)
            prefix[x + 1] = prefix[x] + Blue(p[x]);
        for (int x = 0; x < cx; x++)
        {
            const int from = x - rx, to = x + rx + 1;
            const int inFrom = std::max(from, 0), inTo = std::min(to, cx);
            const uint32_t outside = static_cast<uint32_t>((inFrom - from) + (to - inTo)) * 255;
            rows[static_cast<size_t>(y) * cx + x] = prefix[inTo] - prefix[inFrom] + outside;
        }
    }
    std::vector<uint32_t> sums(rows.size());
    const uint32_t outsideRow = static_cast<uint32_t>(w) * 255;
    for (int x = 0; x < cx; x++)
    {
        uint32_t window = 0;
        for (int y = -ry; y <= ry; y++)
            window += y >= 0 && y < cy ? rows[static_cast<size_t>(y) * cx + x] : outsideRow;
        for (int y = 0; y < cy; y++)
        {
            sums[static_cast<size_t>(y) * cx + x] = window;
            const int leaving = y - ry, entering = y + ry + 1;
            window -= leaving >= 0 ? rows[static_cast<size_t>(leaving) * cx + x] : outsideRow;
            window += entering < cy ? rows[static_cast<size_t>(entering) * cx + x] : outsideRow;
        }
    }
    return sums;
}

} // namespace

void CDrawEffects::DrawShadow(HDC hDC, int x, int y, int cx, int cy, HBITMAP hMask, BOOL bBlur, int nBlurX,
                              int nBlurY)
{
    const SIZE size = GetSizeOfBitmap(hMask);
    CSelectedBitmap mask(hMask);
    if (mask.IsValid())
        ShadowFromDC(hDC, x, y, cx, cy, mask.GetDC(), size.cx, size.cy, bBlur != FALSE, nBlurX, nBlurY);
}

void CDrawEffects::ShadowFromDC(HDC hDC, int x, int y, int cx, int cy, HDC hMask, int cxMask, int cyMask, bool bBlur,
                                int nBlurX, int nBlurY)
{
    CDib32 factors(cx, cy), dest(cx, cy);
    if (!factors.IsValid() || !dest.IsValid())
        return;
    int w = 1, h = 1;
    if (bBlur && cx >= 2 && cy >= 2)
    {
        // The mask shrunk by the blur sizes, so that the blurred edge stays
        // inside the area.
        w = BlurSize(nBlurX, cx);
        h = BlurSize(nBlurY, cy);
        RECT all{0, 0, cx, cy};
        FillRect(factors.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetStretchBltMode(factors.GetDC(), COLORONCOLOR);
        StretchBlt(factors.GetDC(), w / 2, h / 2, cx - w, cy - h, hMask, 0, 0, cxMask, cyMask, SRCCOPY);
    }
    else if (!CopyFromDC(hMask, 0, 0, cxMask, cyMask, factors))
    {
        return;
    }
    const std::vector<uint32_t> sums =
        w > 1 || h > 1 ? BoxSums(factors, w, h) : std::vector<uint32_t>();
    const uint32_t nFull = static_cast<uint32_t>(w) * h * 255;

    BitBlt(dest.GetDC(), 0, 0, cx, cy, hDC, x, y, SRCCOPY);
    uint32_t* d = dest.Bits();
    const uint32_t* m = factors.Bits();
    for (size_t i = 0, n = static_cast<size_t>(cx) * cy; i < n; i++)
    {
        const uint32_t nSum = sums.empty() ? Blue(m[i]) : sums[i];
        if (nSum >= nFull)
            continue;
        d[i] = MapChannels(d[i], [nSum, nFull](uint32_t c) { return (c * nSum + nFull / 2) / nFull; });
    }
    BitBlt(hDC, x, y, cx, cy, dest.GetDC(), 0, 0, SRCCOPY);
}
