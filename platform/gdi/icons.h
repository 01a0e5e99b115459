// Icons and cursors as a colour image and an AND mask.
#pragma once

#include "platform/gdi/gdi_types.h"

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008

// The bitmaps are copied; the caller keeps its own. Without a colour bitmap
// the mask holds the AND mask on top of the XOR mask (twice the height).
HICON CreateIconIndirect(const ICONINFO* info);
// Fills in new copies of the mask and colour bitmaps, which the caller deletes.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
inline BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }
// The screen becomes (screen AND mask) XOR image; a 32-bit image with alpha
// values is blended by them instead. cx, cy of 0 draw at the icon's size.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker_free, UINT flags);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
