// Pictures that windows show, from the program's resources or from files:
// bitmaps, icons and cursors.
#pragma once

#include "platform/user/window_defs.h"

// IMAGE_BITMAP, IMAGE_ICON or IMAGE_CURSOR by resource name or id (hInst
// NULL or the program's module), or from a file with LR_LOADFROMFILE.
// Icons and cursors come in cx x cy (0: the image's own size, or the
// standard size with LR_DEFAULTSIZE); bitmaps are scaled when a size is
// given. With LR_SHARED the same handle comes back for the same request and
// is never to be destroyed. NULL with the last error set on failure.
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);

#define LoadImage LoadImageA
#define LoadBitmap LoadBitmapA

namespace trelwin::user {
// The bitmap resource in the form drawn for the screen's resolution (the
// program's artwork comes in several, see RegisterScaledResource), as
// FindResourceA reports it.
HRSRC FindScreenBitmap(HINSTANCE module, LPCSTR name);
}  // namespace trelwin::user
