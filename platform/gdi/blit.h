// Block transfers between DCs with raster operations, stretching, alpha
// blending and colour-keyed copies.
#pragma once

#include "platform/gdi/gdi_types.h"

// Monochrome device bitmaps convert through the DCs' colours: as a source
// into a colour DC, black takes the destination's text colour and white its
// background colour; a colour source into a monochrome DC gives white where
// the source pixel equals the source DC's background colour, black elsewhere.
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
// COLORONCOLOR takes source pixel floor(i * src_w / dst_w); HALFTONE
// averages the covered source area; a negative width or height mirrors.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop);
// Channels are combined as round(s * k / 255 + d * (255 - a) / 255), with
// k the constant alpha and a the premultiplied source alpha (AC_SRC_ALPHA,
// 32-bit sources only) or the constant alpha.
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, BLENDFUNCTION blend);
inline BOOL GdiAlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                          BLENDFUNCTION blend) {
    return AlphaBlend(dst, x, y, w, h, src, xs, ys, ws, hs, blend);
}
// Copies every source pixel except those of the transparent colour.
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, UINT transparent);
inline BOOL GdiTransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                              UINT transparent) {
    return TransparentBlt(dst, x, y, w, h, src, xs, ys, ws, hs, transparent);
}
