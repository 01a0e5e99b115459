#include "platform/afx/afx_scroll_view.h"

IMPLEMENT_DYNAMIC(CScrollView, CWnd)

CPoint CScrollView::GetScrollPosition() const {
    return CPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT));
}
