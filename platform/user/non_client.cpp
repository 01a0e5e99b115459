// The classic frame: borders, edges, the caption with its text and its
// minimise, maximise and close boxes, and the space of scroll bars.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/user/caption.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/paint_internal.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_bars.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_tree.h"

namespace {

// The frame's width on each side.
int FrameOf(DWORD style, DWORD exStyle) {
    if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
    return (style & WS_BORDER) ? 1 : 0;
}

void Line(HDC hdc, int x0, int y0, int x1, int y1) {
    MoveToEx(hdc, x0, y0, nullptr);
    LineTo(hdc, x1, y1);
}

enum class Glyph { Close, Maximize, Minimize };

// The glyph drawn in a colour, with its top-left at (x, y) in a box n high;
// its strokes are two pixels wide at 96 dpi and widen with the screen's
// resolution.
void DrawGlyph(HDC hdc, Glyph glyph, int x, int y, int n, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(hdc, pen);
    const int w = std::max(1, trelwin::user::ScaleToScreen(1));  // a line of the 96-dpi glyph
    switch (glyph) {
    case Glyph::Close:
        for (int d = 0; d < 2 * w; ++d) {
            Line(hdc, x + d, y, x + d + n, y + n);
            Line(hdc, x + d + n - 1, y, x + d - 1, y + n);
        }
        break;
    case Glyph::Maximize:  // a window with a thick top edge
        for (int d = 0; d < 2 * w; ++d) Line(hdc, x, y + d, x + n + 1, y + d);
        for (int d = 0; d < w; ++d) {
            Line(hdc, x + d, y, x + d, y + n);
            Line(hdc, x + n - d, y, x + n - d, y + n);
            Line(hdc, x, y + n - 1 - d, x + n + 1, y + n - 1 - d);
        }
        break;
    case Glyph::Minimize:  // a bar at the bottom
        for (int d = 0; d < 2 * w; ++d) Line(hdc, x, y + n - 2 * w + d, x + n - 2, y + n - 2 * w + d);
        break;
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void DrawCaptionButton(HDC hdc, const RECT& box, Glyph glyph, bool enabled) {
    RECT face = box;
    DrawEdge(hdc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    using trelwin::user::ScaleToScreen;
    const int n = box.bottom - box.top - ScaleToScreen(6);
    const int x = box.left + ScaleToScreen(4), y = box.top + ScaleToScreen(3);
    if (enabled) {
        DrawGlyph(hdc, glyph, x, y, n, GetSysColor(COLOR_BTNTEXT));
    } else {
        DrawGlyph(hdc, glyph, x + 1, y + 1, n, GetSysColor(COLOR_3DHILIGHT));
        DrawGlyph(hdc, glyph, x, y, n, GetSysColor(COLOR_GRAYTEXT));
    }
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The icon a captioned window shows at the caption's left: the small one it
// was given (WM_SETICON), else its big one drawn small; none without a
// system menu.
void DrawCaptionIcon(HDC hdc, const RECT& caption, HICON icon, RECT& text) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    const int gap = trelwin::user::ScaleToScreen(2);
    const int left = caption.left + gap;
    const int top = caption.top + (caption.bottom - caption.top - size) / 2;
    DrawIconEx(hdc, left, top, icon, size, size, 0, nullptr, DI_NORMAL);
    text.left = left + size + gap;
}

void DrawCaption(HDC hdc, HWND hwnd, const CCaptionLayout& layout, DWORD style, bool active, HICON icon) {
    const RECT& caption = layout.bar;
    const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    TRIVERTEX v[2] = {{caption.left, caption.top, static_cast<COLOR16>(GetRValue(from) << 8),
                       static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
                      {caption.right, caption.bottom, static_cast<COLOR16>(GetRValue(to) << 8),
                       static_cast<COLOR16>(GetGValue(to) << 8), static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(hdc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
    RECT text = caption;
    text.left += trelwin::user::ScaleToScreen(4);
    if (icon != nullptr && (style & WS_SYSMENU)) DrawCaptionIcon(hdc, caption, icon, text);
    if (!Empty(layout.close)) {
        DrawCaptionButton(hdc, layout.close, Glyph::Close, true);
        text.right = layout.close.left - 2;
    }
    if (!Empty(layout.minimize)) {
        DrawCaptionButton(hdc, layout.maximize, Glyph::Maximize, (style & WS_MAXIMIZEBOX) != 0);
        DrawCaptionButton(hdc, layout.minimize, Glyph::Minimize, (style & WS_MINIMIZEBOX) != 0);
        text.right = layout.minimize.left - 2;
    }
    const std::string title = WindowTextOf(hwnd);
    if (!title.empty()) {
        HFONT font = CreateFontA(-trelwin::user::ScaleToScreen(11), 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "MS Sans Serif");
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

CCaptionLayout LayOutCaption(DWORD style, DWORD exStyle, int width, int height) {
    CCaptionLayout layout;
    if ((style & WS_CAPTION) != WS_CAPTION) return layout;
    layout.present = true;
    const int frame = FrameOf(style, exStyle);
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    const int captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    layout.bar = RECT{frame, frame, width - frame, std::min(frame + captionHeight - 1, height)};
    if (!(style & WS_SYSMENU)) return layout;
    const int gap = trelwin::user::ScaleToScreen(2);
    const int size = layout.bar.bottom - layout.bar.top - 2 * gap;  // a button's height; it is a gap wider
    const int top = layout.bar.top + gap;
    layout.close = RECT{layout.bar.right - gap - (size + gap), top, layout.bar.right - gap, top + size};
    if (!tool && (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
        layout.maximize = RECT{layout.close.left - gap - (size + gap), top, layout.close.left - gap, top + size};
        layout.minimize = RECT{layout.maximize.left - (size + gap), top, layout.maximize.left, top + size};
    }
    return layout;
}

void DrawNonClient(HWND hwnd) {
    RECT window{}, client{};
    HICON icon = nullptr;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        window = RECT{0, 0, node->window.right - node->window.left, node->window.bottom - node->window.top};
        client = node->client;
        icon = node->iconSmall != nullptr ? node->iconSmall : node->iconBig;
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
        const int frame = FrameOf(style, exStyle);
        InflateRect(&r, -frame, -frame);
    } else if (style & WS_BORDER) {
        FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    const CCaptionLayout caption = LayOutCaption(style, exStyle, window.right, window.bottom);
    if (caption.present) {
        DrawCaption(hdc, hwnd, caption, style, GetActiveWindow() == hwnd, icon);
        r.top = caption.bar.bottom + 1;
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
