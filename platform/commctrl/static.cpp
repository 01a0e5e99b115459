#include "platform/commctrl/static.h"

#include <cstdlib>
#include <string>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"

namespace {

using namespace trelwin::commctrl;

struct CStaticState {
    HFONT font = nullptr;
    HANDLE image = nullptr;  // the icon or bitmap shown (not owned)
};

DWORD TypeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & SS_TYPEMASK; }

bool IsTextType(DWORD type) {
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

SIZE ImageSize(HANDLE image, DWORD type) {
    SIZE size{0, 0};
    if (!image) return size;
    BITMAP bm{};
    if (type == SS_BITMAP) {
        if (GetObjectA(image, sizeof(bm), &bm)) size = SIZE{bm.bmWidth, bm.bmHeight};
        return size;
    }
    ICONINFO info{};
    if (!GetIconInfo(static_cast<HICON>(image), &info)) return size;
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof(bm), &bm)) {
        size = SIZE{bm.bmWidth, bm.bmHeight};
    } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof(bm), &bm)) {
        size = SIZE{bm.bmWidth, bm.bmHeight / 2};
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

// An icon control takes its icon's size unless it centres the image.
void FitToImage(HWND hwnd, HANDLE image, DWORD type) {
    const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    if (!image || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
    const SIZE size = ImageSize(image, type);
    if (size.cx > 0 && size.cy > 0) {
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HANDLE SetImage(HWND hwnd, CStaticState* state, UINT kind, HANDLE image) {
    const DWORD type = TypeOf(hwnd);
    const bool fits = (type == SS_ICON && (kind == IMAGE_ICON || kind == IMAGE_CURSOR)) ||
                      (type == SS_BITMAP && kind == IMAGE_BITMAP);
    if (!fits) return nullptr;
    HANDLE previous = state->image;
    state->image = image;
    FitToImage(hwnd, image, type);
    InvalidateRect(hwnd, nullptr, TRUE);
    return previous;
}

// The window text of an icon or bitmap control names its resource.
void LoadNamedImage(HWND hwnd, CStaticState* state, const CREATESTRUCTA* cs) {
    const DWORD type = static_cast<DWORD>(cs->style) & SS_TYPEMASK;
    if ((type != SS_ICON && type != SS_BITMAP) || !cs->lpszName) return;
    LPCSTR name = cs->lpszName;
    if (!IS_INTRESOURCE(name) && name[0] == '#') name = MAKEINTRESOURCEA(std::atoi(name + 1));
    if (!IS_INTRESOURCE(name) && name[0] == '\0') return;
    state->image = type == SS_ICON ? static_cast<HANDLE>(LoadIconA(cs->hInstance, name))
                                   : static_cast<HANDLE>(LoadBitmapA(cs->hInstance, name));
    FitToImage(hwnd, state->image, type);
}

UINT TextFormat(DWORD style) {
    UINT format = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFT: format |= DT_LEFT | DT_WORDBREAK; break;
    case SS_SIMPLE: format = DT_LEFT | DT_SINGLELINE; break;
    default: break;  // SS_LEFTNOWORDWRAP
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    const DWORD ellipsis = style & SS_ELLIPSISMASK;
    if (ellipsis) {
        format &= ~DT_WORDBREAK;
        format |= DT_SINGLELINE | (ellipsis == SS_ENDELLIPSIS    ? DT_END_ELLIPSIS
                                   : ellipsis == SS_PATHELLIPSIS ? DT_PATH_ELLIPSIS
                                                                 : DT_WORD_ELLIPSIS);
    }
    return format;
}

void FillWith(HDC hdc, const RECT& rect, int colour) {
    HBRUSH brush = GetSysColorBrush(colour);
    FillRect(hdc, &rect, brush);
}

void FrameWith(HDC hdc, const RECT& rect, int colour) {
    HBRUSH brush = GetSysColorBrush(colour);
    FrameRect(hdc, &rect, brush);
}

void PaintImage(HWND hwnd, HDC hdc, const CStaticState* state, const RECT& client, DWORD type) {
    HBRUSH brush = ParentColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(hdc, &client, brush);
    if (!state->image) return;
    const SIZE size = ImageSize(state->image, type);
    int x = 0, y = 0;
    if (GetWindowLongA(hwnd, GWL_STYLE) & SS_CENTERIMAGE) {
        x = (client.right - size.cx) / 2;
        y = (client.bottom - size.cy) / 2;
    }
    if (type == SS_ICON) {
        DrawIconEx(hdc, x, y, static_cast<HICON>(state->image), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, state->image);
    BitBlt(hdc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void Paint(HWND hwnd, HDC hdc, const CStaticState* state) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    const DWORD type = style & SS_TYPEMASK;
    switch (type) {
    case SS_BLACKRECT: FillWith(hdc, client, COLOR_WINDOWFRAME); return;
    case SS_GRAYRECT: FillWith(hdc, client, COLOR_3DSHADOW); return;
    case SS_WHITERECT: FillWith(hdc, client, COLOR_3DHILIGHT); return;
    case SS_BLACKFRAME: FrameWith(hdc, client, COLOR_WINDOWFRAME); return;
    case SS_GRAYFRAME: FrameWith(hdc, client, COLOR_3DSHADOW); return;
    case SS_WHITEFRAME: FrameWith(hdc, client, COLOR_3DHILIGHT); return;
    case SS_ETCHEDFRAME: DrawEdge(hdc, &client, EDGE_ETCHED, BF_RECT); return;
    case SS_ETCHEDHORZ: DrawEdge(hdc, &client, EDGE_ETCHED, BF_TOP); return;
    case SS_ETCHEDVERT: DrawEdge(hdc, &client, EDGE_ETCHED, BF_LEFT); return;
    case SS_ICON:
    case SS_BITMAP: PaintImage(hwnd, hdc, state, client, type); return;
    default: break;
    }
    if (!IsTextType(type)) return;
    HGDIOBJ oldFont = SelectObject(hdc, ControlFont(state->font));
    HBRUSH brush = ParentColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(hdc, &client, brush);
    const std::string text = WindowTextOf(hwnd);
    DrawControlText(hdc, text, client, TextFormat(style), IsWindowEnabled(hwnd));
    SelectObject(hdc, oldFont);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CStaticState* state = LiveState<CStaticState>(hwnd, msg);
    if (!state) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        // A sunken static is drawn by the window frame: a static edge.
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs->style & SS_SUNKEN) SetWindowLongA(hwnd, GWL_EXSTYLE, cs->dwExStyle | WS_EX_STATICEDGE);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_CREATE:
        LoadNamedImage(hwnd, state, reinterpret_cast<CREATESTRUCTA*>(lParam));
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintMessage(hwnd, wParam, [&](HDC hdc) { Paint(hwnd, hdc, state); });
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcA(hwnd, msg, wParam, lParam);
        if (hit == HTCLIENT && !(GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
        return hit;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY) {
            NotifyParent(hwnd, msg == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
        }
        return 0;
    case WM_ENABLE:
        if (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY) NotifyParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETTEXT: {
        const LRESULT done = DefWindowProcA(hwnd, msg, wParam, lParam);
        if (IsTextType(TypeOf(hwnd))) InvalidateRect(hwnd, nullptr, TRUE);
        return done;
    }
    case WM_SETFONT:
        SetControlFont(hwnd, state->font, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON:
        return reinterpret_cast<LRESULT>(SetImage(hwnd, state, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam)));
    case STM_GETICON:
        return TypeOf(hwnd) == SS_ICON ? reinterpret_cast<LRESULT>(state->image) : 0;
    case STM_SETIMAGE:
        return reinterpret_cast<LRESULT>(SetImage(hwnd, state, static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam)));
    case STM_GETIMAGE: {
        const DWORD type = TypeOf(hwnd);
        const bool asked = (type == SS_ICON && (wParam == IMAGE_ICON || wParam == IMAGE_CURSOR)) ||
                           (type == SS_BITMAP && wParam == IMAGE_BITMAP);
        return asked ? reinterpret_cast<LRESULT>(state->image) : 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterStaticClass() { RegisterControl(WC_STATICA, StaticProc, IDC_ARROW); }

trelwin::commctrl::ControlClass g_staticClass(&RegisterStaticClass);

}  // namespace
