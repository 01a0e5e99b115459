// Text: fonts realised through FreeType (see internal/font_engine.h), text
// output, extents, metrics, alignment, justification and DrawText.
// Text bytes are UTF-8 where valid, otherwise Windows-1252.
#pragma once

#include "platform/gdi/gdi_types.h"

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define GDI_ERROR 0xFFFFFFFFu

// ExtTextOut options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// DrawText formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_NOFULLWIDTHCHARBREAK 0x00080000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
inline BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int length) { return TextOutA(hdc, x, y, text, length); }
// dx: one advance per byte of the text (a multi-byte character advances by
// the sum of its bytes' entries).
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx);
inline BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                       const INT* dx) {
    return ExtTextOutA(hdc, x, y, options, rect, text, length, dx);
}
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size);
inline BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int length, LPSIZE size) {
    return GetTextExtentPoint32A(hdc, text, length, size);
}
inline BOOL GetTextExtentPointA(HDC hdc, LPCSTR text, int length, LPSIZE size) {
    return GetTextExtentPoint32A(hdc, text, length, size);
}
// fit: how many bytes fit in max_extent; dx: the extent after each byte.
BOOL GetTextExtentExPointA(HDC hdc, LPCSTR text, int length, int max_extent, LPINT fit, LPINT dx, LPSIZE size);
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics);
inline BOOL GetTextMetrics(HDC hdc, LPTEXTMETRICA metrics) { return GetTextMetricsA(hdc, metrics); }
int GetTextFaceA(HDC hdc, int count, LPSTR name);
BOOL GetCharWidth32A(HDC hdc, UINT first, UINT last, LPINT widths);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
BOOL SetTextJustification(HDC hdc, int extra, int count);
int SetTextCharacterExtra(HDC hdc, int extra);
int GetTextCharacterExtra(HDC hdc);

// Returns the height of the text, or with DT_VCENTER / DT_BOTTOM the offset
// from the rectangle's top to the bottom of the drawn text; 0 on failure.
int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);
inline int DrawText(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
    return DrawTextA(hdc, text, length, rect, format);
}
