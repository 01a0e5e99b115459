// Helpers of the drawing tests: a fixture with a fresh virtual screen and a
// host window, the invalidations a window has been posted (taken out of its
// queue and freed), an object that fills its rectangle with one colour, and
// pixel rows as strings of colour letters.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "drawing/drawing_messages.h"
#include "drawing/drawing_object_map.h"
#include "tests/drawing/solid_object.h"
#include "platform/afx/afx.h"
#include "platform/afx/afx_handle_map.h"
#include "platform/base/process.h"
#include "platform/display/display.h"
#include "tests/platform/afx/afx_canvas.h"
#include "tests/platform/user/user_test_util.h"

namespace drawing_test {

using afx_test::kBlack;
using afx_test::kBlue;
using afx_test::kGreen;
using afx_test::kRed;
using afx_test::kWhite;

using user_test::DestroyThreadWindows;
using user_test::Pump;

// The rectangles of the invalidations queued for the window, in order; the
// messages are removed and their RECTs deleted.
inline std::vector<CRect> TakeInvalidations(HWND hWnd)
{
    std::vector<CRect> rects;
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, hWnd, MSG_DRAWING_OBJECT_INVALIDATE_RECT,
                                            MSG_DRAWING_OBJECT_INVALIDATE_RECT, PM_REMOVE); ++i)
    {
        RECT* pRect = reinterpret_cast<RECT*>(msg.wParam);
        rects.push_back(CRect(*pRect));
        delete pRect;
    }
    return rects;
}

// A virtual screen and a plain framework window to host the objects; every
// window of the test is destroyed at the end.
class DrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        trelwin::display::use_headless(800, 600);
        ASSERT_TRUE(m_host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
    }
    void TearDown() override
    {
        TakeInvalidations(m_host.m_hWnd);
        DestroyThreadWindows();
        trelwin::afx::FreeTemporaryObjects();
    }

    CWnd m_host;
};

// A row of the canvas as letters: each colour of the legend its letter,
// any other colour '?'.
inline std::string Row(const gdi_test::Canvas& canvas, int y, const std::map<COLORREF, char>& legend)
{
    std::string row;
    for (int x = 0; x < canvas.width(); ++x)
    {
        auto found = legend.find(canvas.at(x, y));
        row += found != legend.end() ? found->second : '?';
    }
    return row;
}

inline const std::map<COLORREF, char>& Colours()
{
    static const std::map<COLORREF, char> legend = {
        {kWhite, '.'}, {kBlack, 'K'}, {kRed, 'R'}, {kGreen, 'G'}, {kBlue, 'B'}};
    return legend;
}

}  // namespace drawing_test

namespace drawing_test {

// A pixel of the virtual screen as a COLORREF.
inline COLORREF ScreenAt(int x, int y)
{
    const uint32_t p = trelwin::display::current().screen().get(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// A row of the virtual screen from x, n pixels, as letters (see Row).
inline std::string ScreenRow(int x, int y, int n, const std::map<COLORREF, char>& legend = Colours())
{
    std::string row;
    for (int i = 0; i < n; ++i)
    {
        auto found = legend.find(ScreenAt(x + i, y));
        row += found != legend.end() ? found->second : '?';
    }
    return row;
}

}  // namespace drawing_test
