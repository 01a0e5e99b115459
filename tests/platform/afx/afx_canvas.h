// A 32-bit top-down DIB section held by a CBitmap and selected into a memory
// CDC, with direct access to its pixels so tests read results without going
// through the functions under test.
#pragma once

#include <cstdint>
#include <string>

#include "platform/afx/afx_gdi.h"
#include "platform/gdi/internal/object_table.h"

namespace afx_test {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);

// Live graphics handles, counted after the shared stock objects and system
// colour brushes exist, so that their first use does not count.
inline size_t LiveHandles() {
    GetStockObject(WHITE_BRUSH);
    GetSysColorBrush(COLOR_WINDOW);
    return trelwin::gdi::live_object_count();
}

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = kWhite) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc.CreateCompatibleDC(nullptr);
        bitmap.Attach(CreateDIBSection(dc.m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = ::SelectObject(dc.m_hDC, bitmap.m_hObject);
        Clear(fill);
    }
    ~Canvas() { ::SelectObject(dc.m_hDC, old_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Clear(COLORREF c) {
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = ToPixel(c);
    }
    COLORREF At(int x, int y) const {
        const uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF c, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += At(x, y) == c;
        return n;
    }
    int Count(COLORREF c) const { return Count(c, 0, 0, width_, height_); }
    // One row as characters: '#' for the colour, '.' otherwise.
    std::string Row(int y, COLORREF c) const {
        std::string s;
        for (int x = 0; x < width_; ++x) s += At(x, y) == c ? '#' : '.';
        return s;
    }
    std::string Column(int x, COLORREF c) const {
        std::string s;
        for (int y = 0; y < height_; ++y) s += At(x, y) == c ? '#' : '.';
        return s;
    }
    static uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

    // The destructor selects the bitmap out first, so that deleting it works.
    CDC dc;
    CBitmap bitmap;

private:
    int width_;
    int height_;
    uint32_t* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace afx_test
