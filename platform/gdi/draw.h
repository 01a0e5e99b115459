// Lines, shapes and fills with the pixel rules of GDI: right and bottom
// edges of rectangles are exclusive, a line does not paint its end point.
#pragma once

#include "platform/gdi/gdi_types.h"

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count);
BOOL Polygon(HDC hdc, const POINT* points, int count);
// The polygons are filled as one shape under the polygon fill mode (a
// polygon inside another makes a hole in ALTERNATE mode), each outlined and
// closed; every polygon needs at least two points.
BOOL PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int corner_w, int corner_h);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC hdc, int x, int y);

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags);
// Fills with a solid colour and leaves it as the background colour, as the
// framework's CDC::FillSolidRect does.
void FillSolidRect(HDC hdc, const RECT* rect, COLORREF colour);
void FillSolidRect(HDC hdc, int x, int y, int cx, int cy, COLORREF colour);

// Rectangle and triangle gradients; colours are 16-bit per channel. A
// rectangle's first and last column (row) take the two end colours exactly.
BOOL GradientFill(HDC hdc, const TRIVERTEX* vertices, ULONG vertex_count, const void* mesh, ULONG mesh_count,
                  ULONG mode);

DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
