// The classic frame: borders, edges, the caption with its text and close
// box, and the space of scroll bars.
#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/paint_internal.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_bars.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_tree.h"

namespace {

void DrawCaption(HDC hdc, HWND hwnd, RECT caption, bool active, bool closeBox) {
    const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    TRIVERTEX v[2] = {{caption.left, caption.top, static_cast<COLOR16>(GetRValue(from) << 8),
                       static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
                      {caption.right, caption.bottom, static_cast<COLOR16>(GetRValue(to) << 8),
                       static_cast<COLOR16>(GetGValue(to) << 8), static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(hdc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
    RECT text = caption;
    text.left += 4;
    if (closeBox) {
        const int size = caption.bottom - caption.top - 4;
        RECT box{caption.right - 2 - (size + 2), caption.top + 2, caption.right - 2, caption.top + 2 + size};
        DrawEdge(hdc, &box, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ old = SelectObject(hdc, pen);
        const int x0 = box.left + 4, y0 = box.top + 3, n = box.bottom - box.top - 6;
        for (int d = 0; d < 2; ++d) {
            MoveToEx(hdc, x0 + d, y0, nullptr);
            LineTo(hdc, x0 + d + n, y0 + n);
            MoveToEx(hdc, x0 + d + n - 1, y0, nullptr);
            LineTo(hdc, x0 + d - 1, y0 + n);
        }
        SelectObject(hdc, old);
        DeleteObject(pen);
        text.right = box.left - 2;
    }
    const std::string title = WindowTextOf(hwnd);
    if (!title.empty()) {
        HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "MS Sans Serif");
        HGDIOBJ old = SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        DrawTextA(hdc, title.c_str(), static_cast<int>(title.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(hdc, old);
        DeleteObject(font);
    }
}

}  // namespace

void DrawNonClient(HWND hwnd) {
    RECT window{}, client{};
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        window = RECT{0, 0, node->window.right - node->window.left, node->window.bottom - node->window.top};
        client = node->client;
    }
    if (client.left == 0 && client.top == 0 && client.right == window.right && client.bottom == window.bottom) return;
    const DWORD style = StyleOf(hwnd);
    const DWORD exStyle = ExStyleOf(hwnd);
    HDC hdc = GetWindowDC(hwnd);
    ExcludeClipRect(hdc, client.left, client.top, client.right, client.bottom);
    FillRect(hdc, &window, GetSysColorBrush(COLOR_3DFACE));
    RECT r = window;
    if ((style & WS_THICKFRAME) || (style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT);
        const int frame = GetSystemMetrics((style & WS_THICKFRAME) ? SM_CXFRAME : SM_CXDLGFRAME);
        InflateRect(&r, -frame, -frame);
    } else if (style & WS_BORDER) {
        FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        const int height = GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
        RECT caption{r.left, r.top, r.right, r.top + height - 1};
        const bool active = GetActiveWindow() == hwnd;
        DrawCaption(hdc, hwnd, caption, active, (style & WS_SYSMENU) != 0);
        r.top += height;
    }
    if (exStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if (exStyle & WS_EX_STATICEDGE) {
        DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (style & (WS_VSCROLL | WS_HSCROLL)) DrawScrollBars(hwnd, hdc);
    ReleaseDC(hwnd, hdc);
}
