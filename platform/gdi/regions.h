// Regions (sorted rectangle lists), painting them, and clipping.
#pragma once

#include "platform/gdi/gdi_types.h"

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int corner_w, int corner_h);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fill_mode);
// Several polygons, counts[k] points each, as one region (see PolyPolygon).
HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fill_mode);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
int GetRgnBox(HRGN rgn, LPRECT box);
// Size in bytes when data is null or too small, else the bytes written.
DWORD GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data);
// The transform scales and offsets the rectangles (rotation and shear are
// refused); the result is rounded to whole pixels.
HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC hdc, HRGN rgn);
BOOL InvertRgn(HDC hdc, HRGN rgn);

// Clipping. Regions given to the DC are in device coordinates and are
// copied; an empty region clips everything; a null region removes the clip.
int SelectClipRgn(HDC hdc, HRGN rgn);
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
// 1 and a copy of the clip in rgn, 0 when the DC has no clip, -1 on error.
int GetClipRgn(HDC hdc, HRGN rgn);
int GetClipBox(HDC hdc, LPRECT box);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC hdc, int dx, int dy);
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* rect);
