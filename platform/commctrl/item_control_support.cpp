#include "platform/commctrl/item_control_support.h"

#include <algorithm>
#include <cctype>

namespace trelwin::commctrl::items {

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int ca = std::tolower(static_cast<unsigned char>(*a));
        const int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0) return ca - cb;
    }
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix))) {
            return false;
        }
    }
    return true;
}

void DrawArrow(HDC dc, const RECT& rect, Arrow direction, COLORREF colour) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const bool vertical = direction == Arrow::Up || direction == Arrow::Down;
    // The arrow's long side: an odd number of pixels so the tip is centred.
    int base = std::max(1, (vertical ? std::min(w, h * 2) : std::min(h, w * 2)) / 2);
    if (base % 2 == 0) --base;
    const int depth = (base + 1) / 2;
    const int cx = rect.left + w / 2;
    const int cy = rect.top + h / 2;
    HBRUSH brush = CreateSolidBrush(colour);
    for (int i = 0; i < depth; ++i) {
        const int half = depth - 1 - i;  // the row nearest the base is the widest
        RECT line{};
        switch (direction) {
        case Arrow::Up:
            line = {cx - (depth - 1 - half), cy - depth / 2 + i, cx + (depth - 1 - half) + 1, cy - depth / 2 + i + 1};
            break;
        case Arrow::Down:
            line = {cx - half, cy - depth / 2 + i, cx + half + 1, cy - depth / 2 + i + 1};
            break;
        case Arrow::Left:
            line = {cx - depth / 2 + i, cy - (depth - 1 - half), cx - depth / 2 + i + 1, cy + (depth - 1 - half) + 1};
            break;
        case Arrow::Right:
            line = {cx - depth / 2 + i, cy - half, cx - depth / 2 + i + 1, cy + half + 1};
            break;
        }
        FillRect(dc, &line, brush);
    }
    DeleteObject(brush);
}

}  // namespace trelwin::commctrl::items
