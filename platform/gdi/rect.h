// Rectangle and point helpers and MulDiv.
#pragma once

#include "platform/base/win_types.h"

// (a * b) / c with a 64-bit product, rounded half away from zero; -1 when c
// is 0 or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT r);
BOOL CopyRect(LPRECT dst, const RECT* src);
BOOL OffsetRect(LPRECT r, int dx, int dy);
BOOL InflateRect(LPRECT r, int dx, int dy);
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* r, POINT pt);
BOOL IsRectEmpty(const RECT* r);
BOOL EqualRect(const RECT* a, const RECT* b);
