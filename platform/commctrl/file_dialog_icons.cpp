// The open-file dialog's small icons, drawn here pixel by pixel: a folder,
// a file page and a page crossed out for a link that points nowhere.
#include "platform/commctrl/file_dialog_icons.h"

#include <algorithm>
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/user/system_metrics.h"

namespace trelwin::commctrl::filedialog {

namespace {

constexpr int kSize = 16;
constexpr int kCount = 3;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

// The icons are drawn on a grid of 16 by 16 squares, each `scale` pixels a
// side: whole pixels at any resolution, never a blurred stretch.
struct Pixels {
    uint32_t* bits;
    int icon;   // which square icon of the row is drawn
    int scale;  // pixels a side of one square of the grid

    void Put(int x, int y, COLORREF c) const {
        if (x < 0 || y < 0 || x >= kSize || y >= kSize) return;
        const int side = kSize * scale, stride = side * kCount;
        const uint32_t pixel = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        for (int dy = 0; dy < scale; ++dy) {
            uint32_t* row = bits + static_cast<size_t>(y * scale + dy) * stride + icon * side + x * scale;
            for (int dx = 0; dx < scale; ++dx) row[dx] = pixel;
        }
    }
    // [x0, x1) x [y0, y1)
    void Fill(int x0, int y0, int x1, int y1, COLORREF c) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Put(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, COLORREF c) const {
        Fill(x0, y0, x1, y0 + 1, c);
        Fill(x0, y1 - 1, x1, y1, c);
        Fill(x0, y0, x0 + 1, y1, c);
        Fill(x1 - 1, y0, x1, y1, c);
    }
};

void DrawFolder(const Pixels& p) {
    const COLORREF edge = RGB(156, 110, 24);
    p.Fill(1, 2, 7, 4, RGB(214, 160, 48));  // the tab
    p.Frame(1, 2, 7, 5, edge);
    p.Fill(1, 4, 15, 14, RGB(244, 200, 86));
    p.Frame(1, 4, 15, 14, edge);
    p.Fill(2, 5, 14, 6, RGB(255, 228, 150));  // light on the front's top edge
}

void DrawPage(const Pixels& p) {
    const COLORREF edge = RGB(112, 112, 112);
    p.Fill(3, 1, 13, 15, RGB(255, 255, 255));
    p.Frame(3, 1, 13, 15, edge);
    // The folded corner: cut away, then its fold.
    for (int i = 0; i < 3; ++i) {
        for (int x = 10 + i; x < 13; ++x) p.Put(x, 1 + i, kTransparent);
        p.Put(9 + i, 1 + i, edge);
    }
    p.Fill(9, 4, 13, 5, edge);
    p.Fill(9, 1, 10, 4, edge);
    for (int y = 6; y <= 12; y += 2) p.Fill(5, y, 11, y + 1, RGB(176, 176, 176));  // lines of text
}

void DrawBrokenLink(const Pixels& p) {
    DrawPage(p);
    const COLORREF red = RGB(204, 32, 32);
    for (int i = 0; i < 7; ++i) {
        p.Fill(5 + i, 6 + i, 7 + i, 7 + i, red);
        p.Fill(10 - i, 6 + i, 12 - i, 7 + i, red);
    }
}

}  // namespace

HIMAGELIST MakeFileIcons() {
    // As many whole squares as the small icons' size holds.
    const int scale = std::max(1, GetSystemMetrics(SM_CXSMICON) / kSize);
    const int side = kSize * scale;
    BITMAPINFO info = trelwin::gdi::dib32_info(side * kCount, side);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < side * side * kCount; ++i) pixels[i] = 0xFF00FF;  // the mask colour
    DrawFolder(Pixels{pixels, kFolderIcon, scale});
    DrawPage(Pixels{pixels, kFileIcon, scale});
    DrawBrokenLink(Pixels{pixels, kBrokenLinkIcon, scale});
    HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, kCount, 0);
    if (list != nullptr && ImageList_AddMasked(list, bitmap, kTransparent) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    DeleteObject(bitmap);
    return list;
}

}  // namespace trelwin::commctrl::filedialog
