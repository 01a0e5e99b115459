// The up-down control: a step asks the parent first (UDN_DELTAPOS, which
// may refuse it), then moves the position within the range (clamped, or
// wrapped with UDS_WRAP), shows it in the buddy and reports it with
// WM_VSCROLL / WM_HSCROLL. Holding a button repeats the step by timer.
#include "platform/commctrl/up_down.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/item_control_support.h"

namespace trelwin::commctrl {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 100;
// Sent by a subclassed buddy for its arrow keys: wParam +1 up, -1 down.
constexpr UINT kBuddyStep = WM_USER + 0x1F0;
const char kBuddyProcProp[] = "TrelwinUpDownBuddyProc";
const char kBuddyOwnerProp[] = "TrelwinUpDownOwner";

enum Part { None, UpPart, DownPart };

struct UpDownState {
    int lower = 100;  // the classic default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    int base = 10;
    HWND buddy = nullptr;
    Part pressed = None;
    bool overPressed = false;
    bool repeating = false;
};

UpDownState* State(HWND hwnd) { return items::StateOf<UpDownState>(hwnd); }

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }

int Low(const UpDownState& s) { return std::min(s.lower, s.upper); }
int High(const UpDownState& s) { return std::max(s.lower, s.upper); }

std::string FormatPos(HWND hwnd, const UpDownState& s) {
    char digits[32];
    if (s.base == 16) {
        std::snprintf(digits, sizeof digits, "0x%X", static_cast<unsigned>(s.pos));
        return digits;
    }
    std::snprintf(digits, sizeof digits, "%d", s.pos < 0 ? -s.pos : s.pos);
    std::string plain = digits;
    std::string out;
    if ((Style(hwnd) & UDS_NOTHOUSANDS) != 0) {
        out = plain;
    } else {
        for (size_t i = 0; i < plain.size(); ++i) {
            if (i > 0 && (plain.size() - i) % 3 == 0) out += ',';
            out += plain[i];
        }
    }
    return s.pos < 0 ? "-" + out : out;
}

void ShowInBuddy(HWND hwnd, const UpDownState& s) {
    if (s.buddy != nullptr && (Style(hwnd) & UDS_SETBUDDYINT) != 0) SetWindowTextA(s.buddy, FormatPos(hwnd, s).c_str());
}

// Reads the buddy's number back (the user may have typed one); false when
// its text is not a number within the range.
bool ReadBuddy(HWND hwnd, UpDownState& s) {
    if (s.buddy == nullptr || (Style(hwnd) & UDS_SETBUDDYINT) == 0) return true;
    char text[64] = {};
    GetWindowTextA(s.buddy, text, sizeof text);
    std::string digits;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != ',' && *p != ' ') digits += *p;
    }
    if (digits.empty()) return false;
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, s.base == 16 ? 16 : 10);
    if (end == nullptr || *end != '\0' || value < Low(s) || value > High(s)) return false;
    s.pos = static_cast<int>(value);
    return true;
}

int Clamp(const UpDownState& s, int pos) { return std::clamp(pos, Low(s), High(s)); }

void Step(HWND hwnd, UpDownState& s, int direction) {
    ReadBuddy(hwnd, s);
    NMUPDOWN nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = s.pos;
    nm.iDelta = s.upper >= s.lower ? direction : -direction;  // "up" always moves toward the upper end
    HWND parent = items::NotifyTarget(hwnd);
    if (parent != nullptr &&
        SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)) != 0) {
        return;
    }
    if (!IsWindow(hwnd)) return;
    long next = static_cast<long>(s.pos) + nm.iDelta;
    if (next > High(s)) {
        next = (Style(hwnd) & UDS_WRAP) ? Low(s) : High(s);
    } else if (next < Low(s)) {
        next = (Style(hwnd) & UDS_WRAP) ? High(s) : Low(s);
    }
    if (next != s.pos) {
        s.pos = static_cast<int>(next);
        ShowInBuddy(hwnd, s);
    }
    if (parent != nullptr) {
        const UINT scroll = (Style(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        SendMessageA(parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, s.pos & 0xFFFF), reinterpret_cast<LPARAM>(hwnd));
    }
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kBuddyProcProp));
    HWND owner = static_cast<HWND>(GetPropA(hwnd, kBuddyOwnerProp));
    if (old == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) && IsWindow(owner)) {
        SendMessageA(owner, kBuddyStep, wParam == VK_UP ? 1 : static_cast<WPARAM>(-1), 0);
        return 0;
    }
    if (msg == WM_GETDLGCODE) return CallWindowProcA(old, hwnd, msg, wParam, lParam) | DLGC_WANTARROWS;
    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, kBuddyProcProp);
        RemovePropA(hwnd, kBuddyOwnerProp);
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    return CallWindowProcA(old, hwnd, msg, wParam, lParam);
}

void Unsubclass(HWND buddy) {
    if (buddy == nullptr || !IsWindow(buddy)) return;
    auto old = reinterpret_cast<WNDPROC>(GetPropA(buddy, kBuddyProcProp));
    if (old == nullptr) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(buddy, GWLP_WNDPROC)) == &BuddyProc) {
        SetWindowLongPtrA(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(buddy, kBuddyProcProp);
        RemovePropA(buddy, kBuddyOwnerProp);
    }
}

// Places the control on the buddy's side, the buddy giving up that width.
void Align(HWND hwnd, HWND buddy) {
    const DWORD style = Style(hwnd);
    if ((style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) == 0 || GetParent(hwnd) != GetParent(buddy)) return;
    RECT own;
    GetWindowRect(hwnd, &own);
    int width = own.right - own.left;
    if (width <= 0) width = GetSystemMetrics(SM_CXVSCROLL);
    RECT rc;
    GetWindowRect(buddy, &rc);
    MapWindowPoints(nullptr, GetParent(buddy), reinterpret_cast<POINT*>(&rc), 2);
    const int buddyWidth = std::max(0, static_cast<int>(rc.right - rc.left) - width);
    const int height = rc.bottom - rc.top;
    if (style & UDS_ALIGNRIGHT) {
        SetWindowPos(buddy, nullptr, 0, 0, buddyWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd, nullptr, rc.left + buddyWidth, rc.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(buddy, nullptr, rc.left + width, rc.top, buddyWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd, nullptr, rc.left, rc.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND SetBuddy(HWND hwnd, UpDownState& s, HWND buddy) {
    HWND old = s.buddy;
    Unsubclass(old);
    s.buddy = IsWindow(buddy) ? buddy : nullptr;
    if (s.buddy == nullptr) return old;
    Align(hwnd, s.buddy);
    if ((Style(hwnd) & UDS_ARROWKEYS) != 0 && GetPropA(s.buddy, kBuddyProcProp) == nullptr) {
        SetPropA(s.buddy, kBuddyOwnerProp, hwnd);
        SetPropA(s.buddy, kBuddyProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(s.buddy, GWLP_WNDPROC)));
        SetWindowLongPtrA(s.buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BuddyProc));
    }
    ShowInBuddy(hwnd, s);
    return old;
}

RECT PartRect(HWND hwnd, Part part) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (Style(hwnd) & UDS_HORZ) {
        const int mid = rc.left + (rc.right - rc.left) / 2;
        if (part == UpPart) rc.left = mid; else rc.right = mid;
    } else {
        const int mid = rc.top + (rc.bottom - rc.top) / 2;
        if (part == UpPart) rc.bottom = mid; else rc.top = mid;
    }
    return rc;
}

Part PartAt(HWND hwnd, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    for (Part part : {UpPart, DownPart}) {
        RECT rc = PartRect(hwnd, part);
        if (PtInRect(&rc, pt)) return part;
    }
    return None;
}

void Paint(HWND hwnd, const UpDownState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const bool horizontal = (Style(hwnd) & UDS_HORZ) != 0;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    for (Part part : {UpPart, DownPart}) {
        RECT rc = PartRect(hwnd, part);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        const bool down = s.pressed == part && s.overPressed;
        RECT edge = rc;
        DrawEdge(dc, &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        RECT arrow = rc;
        InflateRect(&arrow, -2, -2);
        if (down) OffsetRect(&arrow, 1, 1);
        const items::Arrow direction = horizontal ? (part == UpPart ? items::Arrow::Right : items::Arrow::Left)
                                                  : (part == UpPart ? items::Arrow::Up : items::Arrow::Down);
        items::DrawArrow(dc, arrow, direction, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    }
    EndPaint(hwnd, &ps);
}

void EndPress(HWND hwnd, UpDownState& s, bool report) {
    if (s.pressed == None) return;
    s.pressed = None;
    KillTimer(hwnd, kRepeatTimer);
    if (GetCapture() == hwnd) ReleaseCapture();
    InvalidateRect(hwnd, nullptr, FALSE);
    HWND parent = items::NotifyTarget(hwnd);
    if (report && parent != nullptr) {
        const UINT scroll = (Style(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        SendMessageA(parent, scroll, MAKEWPARAM(SB_ENDSCROLL, s.pos & 0xFFFF), reinterpret_cast<LPARAM>(hwnd));
    }
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        items::SetState(hwnd, new UpDownState);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    UpDownState* s = State(hwnd);
    if (s == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE:
        if (Style(hwnd) & UDS_AUTOBUDDY) SetBuddy(hwnd, *s, GetWindow(hwnd, GW_HWNDPREV));
        return 0;
    case WM_DESTROY:
        Unsubclass(s->buddy);
        KillTimer(hwnd, kRepeatTimer);
        return 0;
    case WM_NCDESTROY:
        items::SetState<UpDownState>(hwnd, nullptr);
        delete s;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT: Paint(hwnd, *s); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const Part part = PartAt(hwnd, lParam);
        if (part == None || !IsWindowEnabled(hwnd)) return 0;
        s->pressed = part;
        s->overPressed = true;
        s->repeating = false;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
        Step(hwnd, *s, part == UpPart ? 1 : -1);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s->pressed != None) {
            const bool over = PartAt(hwnd, lParam) == s->pressed;
            if (over != s->overPressed) {
                s->overPressed = over;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        return 0;
    case WM_TIMER:
        if (wParam != kRepeatTimer) return 0;
        if (s->pressed == None) {
            KillTimer(hwnd, kRepeatTimer);
            return 0;
        }
        if (!s->repeating) {
            s->repeating = true;
            SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        }
        if (s->overPressed) Step(hwnd, *s, s->pressed == UpPart ? 1 : -1);
        return 0;
    case WM_LBUTTONUP: EndPress(hwnd, *s, true); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) EndPress(hwnd, *s, true);
        return 0;
    case kBuddyStep: Step(hwnd, *s, static_cast<int>(wParam)); return 0;

    case UDM_SETRANGE:
        s->upper = static_cast<short>(LOWORD(lParam));
        s->lower = static_cast<short>(HIWORD(lParam));
        return 0;
    case UDM_GETRANGE: return MAKELONG(static_cast<WORD>(s->upper), static_cast<WORD>(s->lower));
    case UDM_SETRANGE32:
        s->lower = static_cast<int>(wParam);
        s->upper = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam != 0) *reinterpret_cast<int*>(wParam) = s->lower;
        if (lParam != 0) *reinterpret_cast<int*>(lParam) = s->upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        ReadBuddy(hwnd, *s);
        const int old = s->pos;
        s->pos = Clamp(*s, msg == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam));
        ShowInBuddy(hwnd, *s);
        return msg == UDM_SETPOS ? static_cast<LRESULT>(static_cast<short>(old)) : old;
    }
    case UDM_GETPOS: {
        const bool ok = ReadBuddy(hwnd, *s);
        return MAKELONG(static_cast<WORD>(s->pos), ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
        const bool ok = ReadBuddy(hwnd, *s);
        if (lParam != 0) *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
        return s->pos;
    }
    case UDM_SETBUDDY: return reinterpret_cast<LRESULT>(SetBuddy(hwnd, *s, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(s->buddy);
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16) return 0;
        const int old = s->base;
        s->base = static_cast<int>(wParam);
        ShowInBuddy(hwnd, *s);
        return old;
    }
    case UDM_GETBASE: return s->base;
    case UDM_SETACCEL:
    case UDM_GETACCEL: return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void RegisterUpDownClass() { RegisterControl(UPDOWN_CLASSA, UpDownProc, IDC_ARROW); }

ControlClass g_upDownClass(&RegisterUpDownClass);

}  // namespace

}  // namespace trelwin::commctrl
