// The header's look: raised buttons with their titles, the pressed one
// pushed in, the item being dragged floating over the others.
#include "platform/commctrl/header_internal.h"

namespace trelwin::commctrl::header {

namespace {

// Between the text and the item's edges: 6 pixels at 96 dpi.
int TextMargin() { return user::ScaleToScreen(6); }

UINT AlignOf(int format) {
    switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT:
        return DT_RIGHT;
    case HDF_CENTER:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

// A filled triangle `half` pixels wide either side of centreX, pointing up
// for an ascending order.
void DrawSortMark(HDC hdc, int centreX, int centreY, int half, bool up) {
    HBRUSH brush = GetSysColorBrush(COLOR_BTNSHADOW);
    const int rows = half;
    for (int i = 0; i < rows; ++i) {
        const int w = up ? i : rows - 1 - i;
        RECT line{centreX - w, centreY - rows / 2 + i, centreX + w + 1, centreY - rows / 2 + i + 1};
        FillRect(hdc, &line, brush);
    }
}

void DrawItemFace(State& s, HDC hdc, int index, RECT r, bool pressed) {
    const Item& item = s.items[index];
    if (item.format & HDF_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_HEADER;
        dis.CtlID = static_cast<UINT>(GetWindowLongPtrA(s.hwnd, GWLP_ID));
        dis.itemID = static_cast<UINT>(index);
        dis.itemAction = 0x0001;  // draw the whole item
        dis.itemState = pressed ? 0x0001 : 0;
        dis.hwndItem = s.hwnd;
        dis.hDC = hdc;
        dis.rcItem = r;
        dis.itemData = static_cast<ULONG_PTR>(item.lParam);
        if (HWND parent = GetParent(s.hwnd)) {
            SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        }
        return;
    }
    FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = r;
    if (pressed) {
        FrameRect(hdc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT);
    }
    RECT text = r;
    InflateRect(&text, -TextMargin(), 0);
    if (pressed) OffsetRect(&text, 1, 1);
    if ((item.format & HDF_IMAGE) && s.images != nullptr && item.image >= 0) {
        int cx = 0;
        int cy = 0;
        ImageList_GetIconSize(s.images, &cx, &cy);
        if (text.right - text.left >= cx) {
            ImageList_Draw(s.images, item.image, hdc, text.left, (text.top + text.bottom - cy) / 2, ILD_NORMAL);
            text.left += cx + TextMargin();
        }
    }
    if (item.format & (HDF_SORTUP | HDF_SORTDOWN)) {
        // The sort mark sits at the right end and the title keeps clear of it.
        const int half = user::ScaleToScreen(4);
        const int right = static_cast<int>(text.right);
        if (right - text.left >= 3 * half) {
            DrawSortMark(hdc, right - half, (text.top + text.bottom) / 2, half, (item.format & HDF_SORTUP) != 0);
            text.right = right - 2 * half - TextMargin();
        }
    }
    if (text.right <= text.left || item.text.empty()) return;
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(hdc, TRANSPARENT);
    DrawTextA(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
              AlignOf(item.format) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

void Paint(State& s, HDC hdc) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    RECT clip;
    GetClipBox(hdc, &clip);
    const int saved = SaveDC(hdc);
    SelectObject(hdc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    int x = 0;
    for (int index : s.order) {
        const int w = s.items[index].width;
        RECT r{x, client.top, x + w, client.bottom};
        x += w;
        if (w <= 0 || r.right <= clip.left || r.left >= clip.right) continue;
        const bool dragged = s.mode == Mode::Dragging && index == s.active;
        if (dragged) {
            FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
            continue;
        }
        DrawItemFace(s, hdc, index, r, s.pressed && index == s.active);
    }
    if (x < client.right) {
        RECT rest{x, client.top, client.right, client.bottom};
        FillRect(hdc, &rest, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(hdc, &rest, EDGE_RAISED, BF_RECT);
    }
    if (s.mode == Mode::Dragging && s.active >= 0) {
        // The dragged item follows the cursor; a bar marks where it lands.
        const int w = s.items[s.active].width;
        const int left = s.dragX - (s.down.x - ItemLeft(s, s.active));
        DrawItemFace(s, hdc, s.active, RECT{left, client.top, left + w, client.bottom}, true);
        int current = 0;
        while (current < static_cast<int>(s.order.size()) && s.order[current] != s.active) ++current;
        if (s.dropOrder >= 0 && s.dropOrder != current) {
            const int gap = s.dropOrder > current ? s.dropOrder + 1 : s.dropOrder;
            int mark = 0;
            for (int p = 0; p < gap && p < static_cast<int>(s.order.size()); ++p) mark += s.items[s.order[p]].width;
            RECT bar{mark - 1, client.top, mark + 1, client.bottom};
            FillRect(hdc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
    }
    RestoreDC(hdc, saved);
}

}  // namespace trelwin::commctrl::header
