// Helpers of the tooltip tests: a drawer whose link areas and animations a
// test can set, and a grey palette ramp that turns a texture's palette
// indexes back into colours the test can read.
#pragma once

#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "tests/platform/gdi/canvas.h"

namespace tooltip_test {

using gdi_test::Canvas;

// The drawer with the records that the drawing pass fills made reachable.
class CDrawerProbe : public CMarkupDrawer
{
public:
    std::vector<HotArea>& HotAreas() { return m_arrHotAreas; }
    std::vector<ImageListAnimation>& Animations() { return m_arrAnimations; }
};

// The texture palette for colours 1 white, 2 mid grey, 3 black: entries
// 0-127 are the grey level of the index itself, entries 128-255 climb from
// 128 to 255 as 128 + 127 * (index - 127) / 128.
inline COLORREF GreyOfIndex(int index)
{
    const int level = index < 128 ? index : 128 + 127 * (index - 127) / 128;
    return RGB(level, level, level);
}

inline const COLORREF kRampWhite = RGB(255, 255, 255);
inline const COLORREF kRampMid = RGB(128, 128, 128);
inline const COLORREF kRampBlack = RGB(0, 0, 0);

}  // namespace tooltip_test
