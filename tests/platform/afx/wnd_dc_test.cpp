// The DCs of windows: painting through CPaintDC validates what it painted,
// CClientDC draws at once.
#include "tests/platform/afx/afx_wnd_test_util.h"

using afx_test::AfxWindowTest;

namespace {

class CPaintingWnd : public CWnd {
public:
    COLORREF colour = RGB(255, 0, 0);
    int paints = 0;
    CRect painted;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        painted = dc.m_ps.rcPaint;
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, colour);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, APaintDCPaintsTheUpdateAreaAndValidatesIt) {
    CPaintingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "paint", WS_POPUP | WS_VISIBLE, 20, 20, 60, 40, nullptr, nullptr));
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_EQ(trelwin::user::GetClientPixel(wnd.m_hWnd, 30, 20), RGB(255, 0, 0));
    CRect pending;
    EXPECT_FALSE(wnd.GetUpdateRect(&pending));

    wnd.colour = RGB(0, 0, 255);
    CRect part(0, 0, 10, 10);
    wnd.InvalidateRect(&part, FALSE);
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.paints, 2);
    EXPECT_EQ(wnd.painted, part);
    EXPECT_EQ(trelwin::user::GetClientPixel(wnd.m_hWnd, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(trelwin::user::GetClientPixel(wnd.m_hWnd, 30, 20), RGB(255, 0, 0));  // clipped to the update area
}

TEST_F(AfxWindowTest, AClientDCDrawsAtOnceAndIsGivenBack) {
    CPaintingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "client", WS_POPUP | WS_VISIBLE, 20, 20, 60, 40, nullptr, nullptr));
    wnd.UpdateWindow();
    {
        CClientDC dc(&wnd);
        dc.FillSolidRect(0, 0, 5, 5, RGB(0, 255, 0));
    }
    EXPECT_EQ(trelwin::user::GetClientPixel(wnd.m_hWnd, 2, 2), RGB(0, 255, 0));
    EXPECT_EQ(trelwin::user::GetClientPixel(wnd.m_hWnd, 10, 10), RGB(255, 0, 0));
}

}  // namespace
