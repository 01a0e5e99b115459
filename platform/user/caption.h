// Where a window's caption and its buttons lie: one layout for drawing
// them, for hit testing and for the part of the caption that a window
// manager may drag.
#pragma once

#include "platform/user/window_defs.h"

struct CCaptionLayout {
    bool present = false;  // the style has a caption
    RECT bar{};            // the caption band, window coordinates
    // The buttons at the caption's right end; empty when the style has none.
    // The minimise and maximise boxes come as a pair (the one that the style
    // lacks is shown greyed).
    RECT close{};
    RECT maximize{};
    RECT minimize{};
};

// The caption of a window of the style and size (window coordinates).
CCaptionLayout LayOutCaption(DWORD style, DWORD exStyle, int width, int height);
