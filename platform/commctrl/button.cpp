#include "platform/commctrl/button.h"

#include <string>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"

namespace {

using namespace trelwin::commctrl;

// The check box square and the radio circle's slot, which grow with the
// screen's resolution (13 pixels at 96 dpi), and the gap between the box
// and its text (4 pixels at 96 dpi).
int BoxSize() { return GetSystemMetrics(SM_CXMENUCHECK); }
int TextGap() { return trelwin::user::ScaleToScreen(4); }

struct CButtonState {
    HFONT font = nullptr;
    HANDLE image = nullptr;  // BM_SETIMAGE, kept for BM_GETIMAGE
    UINT check = BST_UNCHECKED;
    bool pushed = false;
    bool focus = false;
    bool tracking = false;  // the mouse button went down on us and we hold the capture
    bool spaceDown = false;
};

DWORD StyleOfButton(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
DWORD KindOf(DWORD style) { return style & BS_TYPEMASK; }

bool IsPush(DWORD kind) { return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_PUSHBOX; }
bool IsCheck(DWORD kind) {
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE;
}
bool IsRadio(DWORD kind) { return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON; }
bool IsThreeState(DWORD kind) { return kind == BS_3STATE || kind == BS_AUTO3STATE; }

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

void SetPushed(HWND hwnd, CButtonState* state, bool pushed) {
    if (state->pushed == pushed) return;
    state->pushed = pushed;
    if (StyleOfButton(hwnd) & BS_NOTIFY) NotifyParent(hwnd, pushed ? BN_HILITE : BN_UNHILITE);
    Redraw(hwnd);
}

void SetCheck(HWND hwnd, CButtonState* state, UINT check) {
    const DWORD kind = KindOf(StyleOfButton(hwnd));
    if (!IsCheck(kind) && !IsRadio(kind)) return;
    if (check > BST_INDETERMINATE) check = BST_CHECKED;
    if (check == BST_INDETERMINATE && !IsThreeState(kind)) check = BST_CHECKED;
    // The checked radio button of a group is the one Tab stops at.
    if (IsRadio(kind)) {
        const DWORD style = StyleOfButton(hwnd);
        const DWORD wanted = check ? (style | WS_TABSTOP) : (style & ~static_cast<DWORD>(WS_TABSTOP));
        if (wanted != style) SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wanted));
    }
    if (state->check == check) return;
    state->check = check;
    Redraw(hwnd);
}

// The siblings from the group's first window (WS_GROUP) to the next group.
void UncheckOthersOfGroup(HWND hwnd) {
    HWND start = hwnd;
    while (!(GetWindowLongA(start, GWL_STYLE) & WS_GROUP)) {
        const HWND previous = GetWindow(start, GW_HWNDPREV);
        if (!previous) break;
        start = previous;
    }
    for (HWND w = start; w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != start && (GetWindowLongA(w, GWL_STYLE) & WS_GROUP)) break;
        if (w != hwnd && (SendMessageA(w, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
            SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

// A click: the automatic kinds change their check, then the parent hears
// of it (and may destroy the button, so nothing comes after).
void Click(HWND hwnd, CButtonState* state) {
    switch (KindOf(StyleOfButton(hwnd))) {
    case BS_AUTOCHECKBOX: SetCheck(hwnd, state, state->check ? BST_UNCHECKED : BST_CHECKED); break;
    case BS_AUTO3STATE: SetCheck(hwnd, state, (state->check + 1) % 3); break;
    case BS_AUTORADIOBUTTON:
        SetCheck(hwnd, state, BST_CHECKED);
        UncheckOthersOfGroup(hwnd);
        break;
    default: break;
    }
    NotifyParent(hwnd, BN_CLICKED);
}

UINT AlignFormat(DWORD style, UINT horizontalDefault) {
    UINT format = 0;
    switch (style & BS_CENTER) {
    case BS_LEFT: format |= DT_LEFT; break;
    case BS_RIGHT: format |= DT_RIGHT; break;
    case BS_CENTER: format |= DT_CENTER; break;
    default: format |= horizontalDefault; break;
    }
    return format;
}

// Draws the label in the rectangle by the alignment styles; returns the
// rectangle the text took (for the focus rectangle).
RECT DrawLabel(HWND hwnd, HDC hdc, RECT area, DWORD style, UINT horizontalDefault) {
    const std::string text = WindowTextOf(hwnd);
    UINT format = AlignFormat(style, horizontalDefault);
    RECT measured = area;
    if (style & BS_MULTILINE) {
        format |= DT_WORDBREAK;
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
    } else {
        format |= DT_SINGLELINE;
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
    }
    const int height = measured.bottom - measured.top;
    const int width = measured.right - measured.left;
    RECT place = area;
    switch (style & BS_VCENTER) {
    case BS_TOP: break;
    case BS_BOTTOM: place.top = area.bottom - height; break;
    default: place.top = area.top + (area.bottom - area.top - height) / 2; break;
    }
    place.bottom = place.top + height;
    DrawControlText(hdc, text, place, format | DT_NOCLIP, IsWindowEnabled(hwnd));
    RECT took = place;
    if (format & DT_CENTER) {
        took.left = area.left + (area.right - area.left - width) / 2;
    } else if (format & DT_RIGHT) {
        took.left = area.right - width;
    }
    took.right = took.left + width;
    return took;
}

// The soft raised edge of a push button: white outside at the top left,
// light grey inside; dark outside at the bottom right, shadow inside.
void RaisedButtonEdge(HDC hdc, RECT& rect) {
    auto ring = [&](int topLeft, int bottomRight) {
        if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
        const RECT top{rect.left, rect.top, rect.right - 1, rect.top + 1};
        const RECT left{rect.left, rect.top, rect.left + 1, rect.bottom - 1};
        const RECT bottom{rect.left, rect.bottom - 1, rect.right, rect.bottom};
        const RECT right{rect.right - 1, rect.top, rect.right, rect.bottom - 1};
        FillRect(hdc, &top, GetSysColorBrush(topLeft));
        FillRect(hdc, &left, GetSysColorBrush(topLeft));
        FillRect(hdc, &bottom, GetSysColorBrush(bottomRight));
        FillRect(hdc, &right, GetSysColorBrush(bottomRight));
        InflateRect(&rect, -1, -1);
    };
    ring(COLOR_3DHILIGHT, COLOR_3DDKSHADOW);
    ring(COLOR_3DLIGHT, COLOR_3DSHADOW);
}

void PaintPush(HWND hwnd, HDC hdc, const CButtonState* state, RECT rect, DWORD style) {
    HBRUSH brush = ParentColours(hwnd, hdc, WM_CTLCOLORBTN);
    if (brush) FillRect(hdc, &rect, brush);
    FillRect(hdc, &rect, GetSysColorBrush(COLOR_3DFACE));
    const bool isDefault = KindOf(style) == BS_DEFPUSHBUTTON;
    HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
    if (style & BS_FLAT) {
        FrameRect(hdc, &rect, frame);
        InflateRect(&rect, -1, -1);
        if (isDefault) {
            FrameRect(hdc, &rect, frame);
            InflateRect(&rect, -1, -1);
        }
    } else {
        if (isDefault || state->pushed) {
            FrameRect(hdc, &rect, frame);
            InflateRect(&rect, -1, -1);
        }
        if (state->pushed) {
            FrameRect(hdc, &rect, GetSysColorBrush(COLOR_3DSHADOW));
            InflateRect(&rect, -1, -1);
        } else {
            RaisedButtonEdge(hdc, rect);
        }
    }
    RECT content = rect;
    InflateRect(&content, -1, -1);
    RECT textArea = content;
    if (state->pushed && !(style & BS_FLAT)) OffsetRect(&textArea, 1, 1);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    DrawLabel(hwnd, hdc, textArea, style, DT_CENTER);
    if (state->focus) DrawFocusRect(hdc, &content);
}

// The classic check mark, 7 x 7 at 96 dpi, one string per row.
constexpr const char* kCheckMark[7] = {"......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X...."};

// Each cell of the mark becomes a block of whole pixels, so that it stays
// sharp at any size; the mark fills the box as at 96 dpi (13 pixels).
void PaintCheckBox(HDC hdc, const RECT& box, UINT check, bool greyed) {
    RECT edge = box;
    DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(hdc, &edge, GetSysColorBrush(greyed || check == BST_INDETERMINATE ? COLOR_3DFACE : COLOR_WINDOW));
    if (check == BST_UNCHECKED) return;
    HBRUSH mark = GetSysColorBrush(check == BST_INDETERMINATE || greyed ? COLOR_3DSHADOW : COLOR_WINDOWTEXT);
    const int size = box.right - box.left;
    const auto at = [size](int cell) { return MulDiv(cell, size, 13); };
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            if (kCheckMark[y][x] != 'X') continue;
            const RECT cell{box.left + at(x + 3), box.top + at(y + 3), box.left + at(x + 4), box.top + at(y + 4)};
            FillRect(hdc, &cell, mark);
        }
    }
}

// A circle of 12 x 12 pixels at 96 dpi, drawn at the box's scale: two
// rings lit from the top left, the inside, the dot.
void PaintRadio(HDC hdc, const RECT& box, bool checked, bool greyed) {
    const COLORREF outerLit = GetSysColor(COLOR_3DSHADOW), outerDark = GetSysColor(COLOR_3DHILIGHT);
    const COLORREF innerLit = GetSysColor(COLOR_3DDKSHADOW), innerDark = GetSysColor(COLOR_3DLIGHT);
    const COLORREF inside = GetSysColor(greyed ? COLOR_3DFACE : COLOR_WINDOW);
    const COLORREF dot = GetSysColor(greyed ? COLOR_3DSHADOW : COLOR_WINDOWTEXT);
    const double k = (box.right - box.left) / 13.0;  // pixels for one of 96 dpi
    const int n = static_cast<int>(12 * k);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const double dx = (x + 0.5) / k - 6.0, dy = (y + 0.5) / k - 6.0;
            const double d2 = dx * dx + dy * dy;
            const bool lit = dx + dy < -0.5;  // x + y < 11 at 96 dpi
            COLORREF c;
            if (d2 > 36.0) continue;
            if (d2 > 25.0) c = lit ? outerLit : outerDark;
            else if (d2 > 16.0) c = lit ? innerLit : innerDark;
            else c = checked && d2 <= 4.5 ? dot : inside;
            SetPixelV(hdc, box.left + x, box.top + y, c);
        }
    }
}

void PaintCheckOrRadio(HWND hwnd, HDC hdc, const CButtonState* state, RECT rect, DWORD style) {
    HBRUSH brush = ParentColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(hdc, &rect, brush);
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int boxSize = BoxSize();
    RECT box{0, 0, boxSize, boxSize};
    const int left = leftText ? rect.right - boxSize : rect.left;
    int top = rect.top + (rect.bottom - rect.top - boxSize) / 2;
    if ((style & BS_VCENTER) == BS_TOP) top = rect.top;
    if ((style & BS_VCENTER) == BS_BOTTOM) top = rect.bottom - boxSize;
    OffsetRect(&box, left, top);
    const bool greyed = state->pushed || !IsWindowEnabled(hwnd);
    if (IsRadio(KindOf(style))) {
        PaintRadio(hdc, box, state->check != BST_UNCHECKED, greyed);
    } else {
        PaintCheckBox(hdc, box, state->check, greyed);
    }
    RECT textArea = rect;
    if (leftText) {
        textArea.right = box.left - TextGap();
    } else {
        textArea.left = box.right + TextGap();
    }
    SetBkMode(hdc, TRANSPARENT);
    const RECT took = DrawLabel(hwnd, hdc, textArea, style, leftText ? DT_RIGHT : DT_LEFT);
    if (state->focus && took.right > took.left) {
        RECT focus = took;
        InflateRect(&focus, 1, 1);
        IntersectRect(&focus, &focus, &rect);
        DrawFocusRect(hdc, &focus);
    }
}

void PaintGroupBox(HWND hwnd, HDC hdc, const CButtonState* state, RECT rect) {
    HBRUSH brush = ParentColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    (void)state;
    TEXTMETRICA tm{};
    GetTextMetricsA(hdc, &tm);
    RECT frame = rect;
    frame.top += tm.tmHeight / 2;
    DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string text = WindowTextOf(hwnd);
    if (text.empty()) return;
    RECT measured{0, 0, 0, 0};
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
    const int width = measured.right - measured.left;
    const DWORD style = StyleOfButton(hwnd);
    int left = rect.left + 8;
    if ((style & BS_CENTER) == BS_CENTER) left = rect.left + (rect.right - rect.left - width) / 2;
    else if ((style & BS_CENTER) == BS_RIGHT) left = rect.right - 8 - width;
    RECT behind{left - 2, rect.top, left + width + 2, rect.top + tm.tmHeight};
    if (brush) FillRect(hdc, &behind, brush);
    RECT place{left, rect.top, left + width, rect.top + tm.tmHeight};
    SetBkMode(hdc, TRANSPARENT);
    DrawControlText(hdc, text, place, DT_SINGLELINE | DT_LEFT | DT_NOCLIP, IsWindowEnabled(hwnd));
}

void Paint(HWND hwnd, HDC hdc, const CButtonState* state) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    const DWORD style = StyleOfButton(hwnd);
    const int saved = SaveDC(hdc);
    SelectObject(hdc, ControlFont(state->font));
    const DWORD kind = KindOf(style);
    if (kind == BS_GROUPBOX) {
        PaintGroupBox(hwnd, hdc, state, rect);
    } else if (IsCheck(kind) || IsRadio(kind)) {
        PaintCheckOrRadio(hwnd, hdc, state, rect, style);
    } else {
        PaintPush(hwnd, hdc, state, rect, style);
    }
    RestoreDC(hdc, saved);
}

LRESULT DialogCode(DWORD kind) {
    if (kind == BS_GROUPBOX) return DLGC_STATIC;
    if (kind == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    if (IsPush(kind)) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    if (IsRadio(kind)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
    return DLGC_BUTTON;
}

void StopTracking(HWND hwnd, CButtonState* state) {
    const bool hadCapture = state->tracking;
    state->tracking = false;
    state->spaceDown = false;
    SetPushed(hwnd, state, false);
    if (hadCapture && GetCapture() == hwnd) ReleaseCapture();
}

LRESULT OnMouse(HWND hwnd, CButtonState* state, UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client{};
    GetClientRect(hwnd, &client);
    switch (msg) {
    case WM_LBUTTONDBLCLK:
        if ((StyleOfButton(hwnd) & BS_NOTIFY) && IsRadio(KindOf(StyleOfButton(hwnd)))) {
            NotifyParent(hwnd, BN_DOUBLECLICKED);
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        if (!IsWindow(hwnd)) return 0;
        SetCapture(hwnd);
        state->tracking = true;
        SetPushed(hwnd, state, true);
        return 0;
    case WM_MOUSEMOVE:
        if (state->tracking) SetPushed(hwnd, state, PtInRect(&client, pt) != FALSE);
        return 0;
    case WM_LBUTTONUP: {
        if (!state->tracking) return 0;
        const bool click = state->pushed && PtInRect(&client, pt);
        StopTracking(hwnd, state);
        if (click) Click(hwnd, state);
        return 0;
    }
    default:
        (void)wParam;
        return 0;
    }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CButtonState* state = LiveState<CButtonState>(hwnd, msg);
    if (!state) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintMessage(hwnd, wParam, [&](HDC hdc) { Paint(hwnd, hdc, state); });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcA(hwnd, msg, wParam, lParam);
        if (hit == HTCLIENT && KindOf(StyleOfButton(hwnd)) == BS_GROUPBOX) return HTTRANSPARENT;
        return hit;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (KindOf(StyleOfButton(hwnd)) == BS_GROUPBOX) return 0;
        return OnMouse(hwnd, state, msg, wParam, lParam);
    case WM_CAPTURECHANGED:
        if (state->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            state->tracking = false;
            SetPushed(hwnd, state, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && !state->tracking && !state->spaceDown &&
            KindOf(StyleOfButton(hwnd)) != BS_GROUPBOX) {
            state->spaceDown = true;
            SetPushed(hwnd, state, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && state->spaceDown) {
            const bool click = state->pushed;
            state->spaceDown = false;
            SetPushed(hwnd, state, false);
            if (click) Click(hwnd, state);
        }
        return 0;
    case WM_SETFOCUS:
        state->focus = true;
        Redraw(hwnd);
        if (StyleOfButton(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focus = false;
        StopTracking(hwnd, state);
        Redraw(hwnd);
        if (StyleOfButton(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        if (!wParam) StopTracking(hwnd, state);
        if (!wParam && (StyleOfButton(hwnd) & BS_NOTIFY)) NotifyParent(hwnd, BN_DISABLE);
        Redraw(hwnd);
        return 0;
    case WM_SETTEXT: {
        const LRESULT done = DefWindowProcA(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return done;
    }
    case WM_SETFONT:
        SetControlFont(hwnd, state->font, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return DialogCode(KindOf(StyleOfButton(hwnd)));
    case BM_GETCHECK:
        return state->check;
    case BM_SETCHECK:
        SetCheck(hwnd, state, static_cast<UINT>(wParam));
        return 0;
    case BM_GETSTATE:
        return state->check | (state->pushed ? BST_PUSHED : 0) | (state->focus ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPushed(hwnd, state, wParam != 0);
        return 0;
    case BM_SETSTYLE: {
        // The kind changes (the dialog manager moves the default this way);
        // the other button styles stay.
        const DWORD style = (StyleOfButton(hwnd) & ~static_cast<DWORD>(BS_TYPEMASK)) | (wParam & BS_TYPEMASK);
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(hwnd) && KindOf(StyleOfButton(hwnd)) != BS_GROUPBOX) Click(hwnd, state);
        return 0;
    case BM_GETIMAGE:
        return reinterpret_cast<LRESULT>(state->image);
    case BM_SETIMAGE: {
        HANDLE previous = state->image;
        state->image = reinterpret_cast<HANDLE>(lParam);
        Redraw(hwnd);
        return reinterpret_cast<LRESULT>(previous);
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterButtonClass() { RegisterControl(WC_BUTTONA, ButtonProc, IDC_ARROW); }

trelwin::commctrl::ControlClass g_buttonClass(&RegisterButtonClass);

}  // namespace
