// Bitmaps: device bitmaps (monochrome or 32-bit colour), DIB sections with
// direct pixel access, and conversion between bitmaps and DIB memory.
#pragma once

#include "platform/gdi/gdi_types.h"

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// Supports 1, 4, 8, 16 (5-5-5), 24 and 32 bits per pixel, BI_RGB, and
// BI_BITFIELDS with the standard 32-bit masks; rows are padded to 4 bytes,
// bottom-up for a positive height and top-down for a negative one.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Rows top-down, padded to 2 bytes, at the bitmap's depth.
LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
// IMAGE_BITMAP copies (scaled with the nearest source pixel when cx or cy
// differ from the source size); IMAGE_ICON and IMAGE_CURSOR copy icons.
HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);
BOOL GetBitmapDimensionEx(HBITMAP bitmap, LPSIZE size);

namespace trelwin::gdi {
// The header of a 32-bit BI_RGB DIB of the size, its rows from the top down
// (a negative height) unless bottom_up.
BITMAPINFO dib32_info(int width, int height, bool bottom_up = false);
}  // namespace trelwin::gdi
