// CScrollView: a window that shows content larger than its client area,
// scrolled by the window's own scroll bars. Code that maps a point of the
// client area to the content (a tooltip looking up its tools) asks it where
// the content is scrolled to; nothing else of the framework's view is here.
#pragma once

#include "platform/afx/afx_wnd.h"

class CScrollView : public CWnd {
    DECLARE_DYNAMIC(CScrollView)

public:
    CScrollView() = default;

    // The content point shown at the client area's top-left corner: the
    // positions of the horizontal and vertical scroll bars, in pixels
    // (0 along a bar the window does not have).
    CPoint GetScrollPosition() const;
};
