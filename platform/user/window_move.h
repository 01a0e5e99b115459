// Moving a top-level window with the mouse, as a press on its caption
// does where no window manager moves it.
#pragma once

#include "platform/user/window_defs.h"

// The window follows the cursor, keeping the point that was pressed
// (screen coordinates) under it, until the left button is up (the press may
// be over already: the window then goes where the cursor went meanwhile).
// Esc puts it back where it was. Sends WM_ENTERSIZEMOVE, WM_MOVING with the
// rectangle about to be taken (which the window may change) and
// WM_EXITSIZEMOVE; other messages are handled meanwhile and other input is
// dropped.
void MoveWindowWithMouse(HWND hwnd, POINT pressed);
