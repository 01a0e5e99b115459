// Clip selection shared by SelectObject and the clipping functions.
#pragma once

#include "platform/base/win_types.h"

namespace trelwin::gdi {

// ExtSelectClipRgn: combines (or replaces, RGN_COPY) the DC's clip region
// with a copy of the region; a null region with RGN_COPY removes the clip.
// Returns the new clip's region type or ERROR.
int select_clip_region(HDC hdc, HRGN rgn, int mode);

}  // namespace trelwin::gdi
