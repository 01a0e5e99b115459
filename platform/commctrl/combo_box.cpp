// The drop-down list combo box. Its items live in a list box that is a
// pop-up window of its own (top-most, never active), shown below the face
// while dropped. While it is dropped the combo box holds the mouse capture
// and the focus, so it follows the mouse over the list and takes the keys;
// a choice, Enter, Esc, a click outside or the loss of focus closes it.
#include "platform/commctrl/combo_box.h"

#include <algorithm>
#include <string>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/item_control_support.h"
#include "platform/commctrl/list_box.h"

namespace trelwin::commctrl {

namespace {

struct ComboState {
    HWND list = nullptr;
    HFONT font = nullptr;
    bool dropped = false;
    bool focused = false;
    bool pressedOnFace = false;  // the press that dropped the list is still held
    bool scrolling = false;      // the list's scroll bar has the mouse for a while
    int committed = -1;          // the selection the parent last heard of
    int dropHeight = 0;          // face and list together, as the control was sized
    int droppedWidth = 0;
};

ComboState* State(HWND hwnd) { return items::StateOf<ComboState>(hwnd); }

LRESULT ToList(const ComboState& s, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return s.list != nullptr ? SendMessageA(s.list, msg, wParam, lParam) : CB_ERR;
}

int Current(const ComboState& s) { return static_cast<int>(ToList(s, LB_GETCURSEL)); }
int Count(const ComboState& s) { return static_cast<int>(ToList(s, LB_GETCOUNT)); }

int FaceHeight(const ComboState& s) { return items::FontLineHeight(s.font) + 8; }

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

std::string CurrentText(const ComboState& s) {
    const int cur = Current(s);
    if (cur < 0) return {};
    std::string text(static_cast<size_t>(std::max<LRESULT>(0, ToList(s, LB_GETTEXTLEN, cur))) + 1, '\0');
    const LRESULT n = ToList(s, LB_GETTEXT, cur, reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

// A selection made by the user: shown, and announced when it differs from
// what the parent knows.
void SelectByUser(HWND hwnd, ComboState& s, int index) {
    const int n = Count(s);
    if (n <= 0) return;
    index = std::clamp(index, 0, n - 1);
    ToList(s, LB_SETCURSEL, index);
    Redraw(hwnd);
    if (index != s.committed) {
        s.committed = index;
        items::SendCommand(hwnd, CBN_SELCHANGE);
    }
}

void Drop(HWND hwnd, ComboState& s) {
    if (s.dropped || s.list == nullptr) return;
    items::SendCommand(hwnd, CBN_DROPDOWN);  // the parent may fill the list now
    if (!IsWindow(hwnd)) return;
    RECT face;
    GetWindowRect(hwnd, &face);
    const int itemHeight = static_cast<int>(ToList(s, LB_GETITEMHEIGHT));
    const int n = std::max(1, Count(s));
    const int room = std::max(itemHeight, s.dropHeight - (face.bottom - face.top) - 2);
    const int rows = std::clamp(room / itemHeight, 1, n);
    const int width = std::max(static_cast<int>(face.right - face.left), s.droppedWidth);
    const int height = rows * itemHeight + 2;
    int top = face.bottom;
    if (top + height > GetSystemMetrics(SM_CYSCREEN) && face.top - height >= 0) top = face.top - height;
    s.dropped = true;
    SetWindowPos(s.list, HWND_TOPMOST, face.left, top, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const int cur = Current(s);
    if (cur >= 0) ToList(s, LB_SETCURSEL, cur);  // scrolled into view at its new size
    SetCapture(hwnd);
    Redraw(hwnd);
}

void CloseUp(HWND hwnd, ComboState& s, bool accept) {
    if (!s.dropped) return;
    s.dropped = false;
    s.pressedOnFace = false;
    ShowWindow(s.list, SW_HIDE);
    if (GetCapture() == hwnd) ReleaseCapture();
    if (!accept) ToList(s, LB_SETCURSEL, s.committed);  // what the mouse only pointed at is forgotten
    items::SendCommand(hwnd, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    items::SendCommand(hwnd, CBN_CLOSEUP);
    Redraw(hwnd);
    const int cur = Current(s);
    if (accept && cur != s.committed) {
        s.committed = cur;
        items::SendCommand(hwnd, CBN_SELCHANGE);
    }
}

RECT ButtonRect(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    InflateRect(&rc, -2, -2);
    rc.left = std::max(rc.left, rc.right - GetSystemMetrics(SM_CXVSCROLL));
    return rc;
}

void Paint(HWND hwnd, ComboState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    RECT inner = client;
    InflateRect(&inner, -2, -2);
    const RECT button = ButtonRect(hwnd);
    RECT field{inner.left, inner.top, button.left, inner.bottom};
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    FillRect(dc, &field, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, s.font != nullptr ? s.font : items::DefaultFont());
    SetBkMode(dc, TRANSPARENT);
    RECT mark = field;
    InflateRect(&mark, -1, -1);
    const bool highlight = s.focused && !s.dropped && enabled;
    if (highlight) FillSolidRect(dc, &mark, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : highlight ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string text = CurrentText(s);
    RECT textRect = mark;
    textRect.left += 2;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (highlight) DrawFocusRect(dc, &mark);
    RECT face = button;
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    RECT buttonEdge = button;
    DrawEdge(dc, &buttonEdge, s.dropped && s.pressedOnFace ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT arrow = button;
    InflateRect(&arrow, -3, -4);
    if (s.dropped && s.pressedOnFace) OffsetRect(&arrow, 1, 1);
    items::DrawArrow(dc, arrow, items::Arrow::Down, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

// The list's client point under a point of the combo box's client area,
// and whether it is inside the list's client area.
bool OverList(HWND hwnd, const ComboState& s, LPARAM lParam, POINT* listPoint) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(hwnd, s.list, &pt, 1);
    *listPoint = pt;
    RECT rc;
    GetClientRect(s.list, &rc);
    return PtInRect(&rc, pt) != FALSE;
}

int ItemAt(const ComboState& s, POINT listPoint) {
    const LRESULT hit = ToList(s, LB_ITEMFROMPOINT, 0, MAKELPARAM(listPoint.x, listPoint.y));
    return HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
}

void OnMouse(HWND hwnd, ComboState& s, UINT msg, LPARAM lParam) {
    if (!s.dropped) {
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
            if (GetFocus() != hwnd) SetFocus(hwnd);
            Drop(hwnd, s);
            s.pressedOnFace = s.dropped;
            Redraw(hwnd);
        }
        return;
    }
    if (s.scrolling) {
        // A release that reaches the combo box (queued before the bar took
        // the capture) is handed on to the list, where it ends the tracking.
        if (msg == WM_LBUTTONUP) {
            POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(hwnd, s.list, &pt, 1);
            PostMessageA(s.list, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        }
        return;
    }
    POINT listPoint;
    const bool overList = OverList(hwnd, s, lParam, &listPoint);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (overList) {
            const int item = ItemAt(s, listPoint);
            if (item >= 0 && item != Current(s)) ToList(s, LB_SETCURSEL, item);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!overList) {
            RECT listWindow;
            GetWindowRect(s.list, &listWindow);
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &screen);
            // The list's own scroll bar scrolls it (taking the capture until
            // the button is released); anything else closes it.
            if (!PtInRect(&listWindow, screen)) {
                CloseUp(hwnd, s, false);
            } else {
                s.scrolling = true;
                TrackScrollBar(s.list, HTVSCROLL, screen);
                s.scrolling = false;
                if (s.dropped && IsWindow(hwnd)) SetCapture(hwnd);
            }
        }
        break;
    case WM_LBUTTONUP:
        if (overList && ItemAt(s, listPoint) >= 0) {
            ToList(s, LB_SETCURSEL, ItemAt(s, listPoint));
            CloseUp(hwnd, s, true);
        } else if (s.pressedOnFace) {
            s.pressedOnFace = false;  // released on the face: the list stays down
            Redraw(hwnd);
        }
        break;
    default: break;
    }
}

void OnKey(HWND hwnd, ComboState& s, UINT vk) {
    const int cur = Current(s);
    const int page = s.dropped ? std::max(1, [&] {
        RECT rc;
        GetClientRect(s.list, &rc);
        return static_cast<int>(rc.bottom / std::max<LRESULT>(1, ToList(s, LB_GETITEMHEIGHT)));
    }() - 1) : 1;
    switch (vk) {
    case VK_UP: SelectByUser(hwnd, s, cur < 0 ? 0 : cur - 1); break;
    case VK_DOWN: SelectByUser(hwnd, s, cur + 1); break;
    case VK_PRIOR: SelectByUser(hwnd, s, std::max(0, cur) - page); break;
    case VK_NEXT: SelectByUser(hwnd, s, std::max(0, cur) + page); break;
    case VK_HOME: SelectByUser(hwnd, s, 0); break;
    case VK_END: SelectByUser(hwnd, s, Count(s) - 1); break;
    case VK_F4:
        if (s.dropped) {
            CloseUp(hwnd, s, true);
        } else {
            Drop(hwnd, s);
        }
        break;
    case VK_RETURN: CloseUp(hwnd, s, true); break;
    case VK_ESCAPE: CloseUp(hwnd, s, false); break;
    default: break;
    }
}

HWND CreateList(HWND hwnd, const CREATESTRUCTA* cs) {
    DWORD style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_COMBOBOX;
    if (cs->style & CBS_SORT) style |= LBS_SORT;
    return CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, WC_LISTBOXA, "", style, 0, 0,
                           std::max(1, cs->cx), 20, hwnd, nullptr, cs->hInstance, nullptr);
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        items::SetState(hwnd, new ComboState);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    ComboState* s = State(hwnd);
    if (s == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        s->list = CreateList(hwnd, cs);
        if (s->list == nullptr) return -1;
        s->dropHeight = cs->cy;
        SetWindowPos(hwnd, nullptr, 0, 0, cs->cx, FaceHeight(*s), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        // The face keeps its height; a taller size is the room for the list.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_NOSIZE) == 0 && pos->cy != FaceHeight(*s)) {
            if (pos->cy > FaceHeight(*s)) s->dropHeight = pos->cy;
            pos->cy = FaceHeight(*s);
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_DESTROY:
        if (s->dropped && GetCapture() == hwnd) ReleaseCapture();
        if (s->list != nullptr) DestroyWindow(s->list);
        s->list = nullptr;
        return 0;
    case WM_NCDESTROY:
        items::SetState<ComboState>(hwnd, nullptr);
        delete s;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(hwnd, *s); return 0;
    case WM_ENABLE: Redraw(hwnd); return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        ToList(*s, WM_SETFONT, wParam, 0);
        {
            RECT rc;
            GetWindowRect(hwnd, &rc);
            SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, FaceHeight(*s),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (LOWORD(lParam)) Redraw(hwnd);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (s->dropped ? DLGC_WANTMESSAGE : 0);
    case WM_SETFOCUS:
        s->focused = true;
        Redraw(hwnd);
        items::SendCommand(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        CloseUp(hwnd, *s, false);
        s->focused = false;
        Redraw(hwnd);
        items::SendCommand(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_CAPTURECHANGED:
        if (s->dropped && !s->scrolling && reinterpret_cast<HWND>(lParam) != hwnd) CloseUp(hwnd, *s, false);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP: OnMouse(hwnd, *s, msg, lParam); return 0;
    case WM_MOUSEWHEEL:
        if (s->dropped) {
            ToList(*s, WM_MOUSEWHEEL, wParam, lParam);
        } else {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (notches != 0) SelectByUser(hwnd, *s, std::max(0, Current(*s)) - notches);
        }
        return 0;
    case WM_KEYDOWN: OnKey(hwnd, *s, static_cast<UINT>(wParam)); return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_DOWN || wParam == VK_UP) {  // Alt with an arrow
            if (s->dropped) {
                CloseUp(hwnd, *s, true);
            } else {
                Drop(hwnd, *s);
            }
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CHAR: {
        const char c = static_cast<char>(wParam);
        if (static_cast<unsigned char>(c) < ' ') return 0;
        const char prefix[2] = {c, '\0'};
        const LRESULT found = ToList(*s, LB_FINDSTRING, static_cast<WPARAM>(Current(*s)), reinterpret_cast<LPARAM>(prefix));
        if (found >= 0) SelectByUser(hwnd, *s, static_cast<int>(found));
        return 0;
    }
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0) return 0;
        const std::string text = CurrentText(*s);
        const size_t n = std::min(text.size(), static_cast<size_t>(wParam) - 1);
        text.copy(reinterpret_cast<char*>(lParam), n);
        reinterpret_cast<char*>(lParam)[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(CurrentText(*s).size());
    case WM_SETTEXT: {
        const LRESULT found = ToList(*s, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
        if (found < 0) return CB_ERR;
        ToList(*s, LB_SETCURSEL, static_cast<WPARAM>(found));
        s->committed = static_cast<int>(found);
        Redraw(hwnd);
        return TRUE;
    }

    case CB_ADDSTRING: return ToList(*s, LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING: return ToList(*s, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
        const LRESULT result = ToList(*s, LB_DELETESTRING, wParam, 0);
        s->committed = Current(*s);
        Redraw(hwnd);
        return result;
    }
    case CB_RESETCONTENT:
        ToList(*s, LB_RESETCONTENT);
        s->committed = -1;
        Redraw(hwnd);
        return CB_OKAY;
    case CB_GETCOUNT: return ToList(*s, LB_GETCOUNT);
    case CB_GETCURSEL: return ToList(*s, LB_GETCURSEL);
    case CB_SETCURSEL: {
        const LRESULT result = ToList(*s, LB_SETCURSEL, wParam, 0);
        s->committed = Current(*s);
        Redraw(hwnd);
        return result;
    }
    case CB_GETLBTEXT: return ToList(*s, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return ToList(*s, LB_GETTEXTLEN, wParam, 0);
    case CB_SETITEMDATA: return ToList(*s, LB_SETITEMDATA, wParam, lParam);
    case CB_GETITEMDATA: return ToList(*s, LB_GETITEMDATA, wParam, 0);
    case CB_FINDSTRING: return ToList(*s, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return ToList(*s, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
        const LRESULT result = ToList(*s, LB_SELECTSTRING, wParam, lParam);
        s->committed = Current(*s);
        Redraw(hwnd);
        return result;
    }
    case CB_SHOWDROPDOWN:
        if (wParam) {
            Drop(hwnd, *s);
        } else {
            CloseUp(hwnd, *s, false);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return s->dropped ? TRUE : FALSE;
    case CB_SETDROPPEDWIDTH:
        s->droppedWidth = static_cast<int>(wParam);
        [[fallthrough]];
    case CB_GETDROPPEDWIDTH: {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        return std::max(static_cast<int>(rc.right - rc.left), s->droppedWidth);
    }
    case CB_GETDROPPEDCONTROLRECT: {
        if (lParam == 0) return CB_ERR;
        RECT rc;
        GetWindowRect(hwnd, &rc);
        rc.bottom = rc.top + s->dropHeight;
        rc.right = rc.left + std::max(static_cast<int>(rc.right - rc.left), s->droppedWidth);
        *reinterpret_cast<RECT*>(lParam) = rc;
        return TRUE;
    }
    case CB_GETITEMHEIGHT:
        return static_cast<int>(wParam) == -1 ? FaceHeight(*s) - 6 : ToList(*s, LB_GETITEMHEIGHT);
    case CB_GETTOPINDEX: return ToList(*s, LB_GETTOPINDEX);
    case CB_SETTOPINDEX: return ToList(*s, LB_SETTOPINDEX, wParam, 0);
    case CB_GETEXTENDEDUI: return FALSE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterComboClass() { RegisterControl(WC_COMBOBOXA, ComboProc, IDC_ARROW); }

ControlClass g_comboClass(&RegisterComboClass);

}  // namespace

}  // namespace trelwin::commctrl
