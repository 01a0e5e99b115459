// Pens, brushes, fonts as objects, stock objects and the object functions
// that work on every kind (GetObject, DeleteObject, GetObjectType).
#pragma once

#include "platform/gdi/gdi_types.h"

HPEN CreatePen(int style, int width, COLORREF colour);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH CreateHatchBrush(int hatch, COLORREF colour);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HFONT CreateFontIndirectA(const LOGFONTA* font);
inline HFONT CreateFontIndirect(const LOGFONTA* font) { return CreateFontIndirectA(font); }
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strike_out, DWORD charset, DWORD out_precision, DWORD clip_precision,
                  DWORD quality, DWORD pitch_and_family, LPCSTR face);
inline HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strike_out, DWORD charset, DWORD out_precision,
                        DWORD clip_precision, DWORD quality, DWORD pitch_and_family, LPCSTR face) {
    return CreateFontA(height, width, escapement, orientation, weight, italic, underline, strike_out, charset,
                       out_precision, clip_precision, quality, pitch_and_family, face);
}

HGDIOBJ GetStockObject(int index);
BOOL DeleteObject(HGDIOBJ h);
int GetObjectA(HANDLE h, int size, LPVOID out);
inline int GetObject(HANDLE h, int size, LPVOID out) { return GetObjectA(h, size, out); }
DWORD GetObjectType(HGDIOBJ h);

// Font weights and the LOGFONT fields the drawing code sets.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
