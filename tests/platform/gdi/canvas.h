// A 32-bit top-down DIB section selected into a memory DC, with direct
// access to its pixels so tests read results without going through the
// functions under test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/gdi/gdi.h"

namespace gdi_test {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kMagenta = RGB(255, 0, 255);

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        clear(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    uint32_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }

    void clear(COLORREF c) {
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = to_pixel(c);
    }
    COLORREF at(int x, int y) const {
        const uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    uint32_t raw(int x, int y) const { return bits_[y * width_ + x]; }
    void put(int x, int y, COLORREF c) { bits_[y * width_ + x] = to_pixel(c); }
    // How many pixels of the rectangle have the colour.
    int count(COLORREF c, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += at(x, y) == c;
        return n;
    }
    int count(COLORREF c) const { return count(c, 0, 0, width_, height_); }
    // One row as a string of characters: '#' for the colour, '.' otherwise.
    std::string row(int y, COLORREF c) const {
        std::string s;
        for (int x = 0; x < width_; ++x) s += at(x, y) == c ? '#' : '.';
        return s;
    }
    std::string column(int x, COLORREF c) const {
        std::string s;
        for (int y = 0; y < height_; ++y) s += at(x, y) == c ? '#' : '.';
        return s;
    }

    static uint32_t to_pixel(COLORREF c) {
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

// The colour of a pixel of a bitmap, read through a memory DC as drawing
// code sees it.
inline COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

// A monochrome device bitmap (rows of WORDs, set bits white) in its own memory DC.
class MonoCanvas {
public:
    MonoCanvas(int width, int height, const WORD* rows) : dc_(CreateCompatibleDC(nullptr)) {
        bitmap_ = CreateBitmap(width, height, 1, 1, rows);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MonoCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MonoCanvas(const MonoCanvas&) = delete;
    MonoCanvas& operator=(const MonoCanvas&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// Selects an object for the lifetime of the guard and deletes it afterwards.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
    ~Selected() {
        SelectObject(dc_, old_);
        DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
};

}  // namespace gdi_test
