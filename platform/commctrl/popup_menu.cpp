// Pop-up menus: TrackPopupMenu shows a menu as a top-most tool window that
// does not take activation, then runs its own message loop. The first
// pop-up holds the mouse capture, so every mouse message arrives here and
// is placed by its screen position on whichever open pop-up lies there;
// keys go to the deepest open pop-up. Other messages are dispatched as
// usual, so the program keeps painting and its timers keep running.
#include <algorithm>
#include <cctype>
#include <climits>
#include <string>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/item_control_support.h"
#include "platform/commctrl/menu.h"
#include "platform/user/system_metrics.h"

namespace trelwin::commctrl {

namespace {

// Spacing, in pixels at 96 dpi: the menus grow with the screen's resolution.
int Frame() { return user::ScaleToScreen(3); }         // raised edge and a pixel of space
int CheckColumn() { return user::ScaleToScreen(18); }  // check marks left of the text
int ArrowColumn() { return user::ScaleToScreen(18); }  // sub-menu arrows right of it
int SeparatorHeight() { return user::ScaleToScreen(9); }
int AcceleratorGap() { return user::ScaleToScreen(12); }

struct Level {
    HMENU menu = nullptr;
    HWND wnd = nullptr;
    int hot = -1;
    std::vector<MenuItemView> items;
    std::vector<RECT> rects;  // client coordinates
};

struct Tracker {
    HWND owner = nullptr;
    UINT flags = 0;
    std::vector<Level> levels;
    bool done = false;
    UINT chosen = 0;
    bool captureLost = false;
    bool armed = false;  // a button went down or the mouse moved since the menu came up
    POINT start{};
};

thread_local Tracker* t_active = nullptr;

bool Notifies(const Tracker& t) { return (t.flags & TPM_NONOTIFY) == 0; }

bool IsSeparator(const MenuItemView& item) { return (item.type & MFT_SEPARATOR) != 0; }
bool IsGrayed(const MenuItemView& item) { return (item.state & MFS_GRAYED) != 0; }

HFONT MenuFont() { return items::DefaultFont(); }

int ItemHeight() {
    return std::max(GetSystemMetrics(SM_CYMENU) - 1, items::FontLineHeight(MenuFont()) + 4);
}

std::string Label(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string Accelerator(const std::string& text) {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

int TextWidth(HDC dc, const std::string& text) {
    if (text.empty()) return 0;
    RECT rc{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_SINGLELINE | DT_CALCRECT);
    return rc.right - rc.left;
}

// Reads the items and lays them out; the size of the window.
SIZE Layout(Level& level) {
    level.items.clear();
    level.rects.clear();
    const int count = std::max(0, GetMenuItemCount(level.menu));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int labelWidth = 0;
    int accelWidth = 0;
    for (int i = 0; i < count; ++i) {
        MenuItemView item;
        GetMenuItemView(level.menu, i, &item);
        if (!IsSeparator(item)) {
            labelWidth = std::max(labelWidth, TextWidth(dc, Label(item.text)));
            accelWidth = std::max(accelWidth, TextWidth(dc, Accelerator(item.text)));
        }
        level.items.push_back(std::move(item));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int width = CheckColumn() + labelWidth + (accelWidth > 0 ? AcceleratorGap() + accelWidth : 0) + ArrowColumn();
    int y = Frame();
    const int height = ItemHeight();
    for (const MenuItemView& item : level.items) {
        const int h = IsSeparator(item) ? SeparatorHeight() : height;
        level.rects.push_back({Frame(), y, Frame() + width, y + h});
        y += h;
    }
    return {width + 2 * Frame(), std::max(y, Frame() + 1) + Frame()};
}

// Drawn in blocks of whole pixels, one for each pixel of the 96-dpi mark.
void DrawCheck(HDC dc, const RECT& column, COLORREF colour, bool radio) {
    const int f = std::max(1, user::ScaleToScreen(1));
    const int cx = (column.left + column.right) / 2 - 3 * f;
    const int cy = (column.top + column.bottom) / 2;
    HBRUSH brush = CreateSolidBrush(colour);
    if (radio) {
        RECT dot{cx + f, cy - 2 * f, cx + 6 * f, cy + 3 * f};
        FillRect(dc, &dot, brush);
    } else {
        static const int kTops[7] = {2, 3, 4, 3, 2, 1, 0};  // a tick seven pixels wide, three thick
        for (int dx = 0; dx < 7; ++dx) {
            RECT column3{cx + dx * f, cy + (kTops[dx] - 3) * f, cx + (dx + 1) * f, cy + kTops[dx] * f};
            FillRect(dc, &column3, brush);
        }
    }
    DeleteObject(brush);
}

void DrawItemText(HDC dc, const MenuItemView& item, RECT rc, COLORREF colour) {
    SetTextColor(dc, colour);
    const std::string label = Label(item.text);
    const std::string accel = Accelerator(item.text);
    RECT textRect{rc.left + CheckColumn(), rc.top, rc.right - ArrowColumn(), rc.bottom};
    DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!accel.empty()) {
        DrawTextA(dc, accel.c_str(), static_cast<int>(accel.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    if (item.state & MFS_CHECKED) {
        DrawCheck(dc, {rc.left, rc.top, rc.left + CheckColumn(), rc.bottom}, colour, (item.type & MFT_RADIOCHECK) != 0);
    }
    if (item.subMenu != nullptr) {
        const int inset = user::ScaleToScreen(4);
        RECT arrow{rc.right - ArrowColumn() + inset, rc.top + inset / 2, rc.right - inset, rc.bottom - inset / 2};
        items::DrawArrow(dc, arrow, items::Arrow::Right, colour);
    }
}

void PaintLevel(HWND hwnd, const Level& level) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < level.items.size(); ++i) {
        const MenuItemView& item = level.items[i];
        RECT rc = level.rects[i];
        if (IsSeparator(item)) {
            RECT line{rc.left, (rc.top + rc.bottom) / 2 - 1, rc.right, (rc.top + rc.bottom) / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        const bool hot = static_cast<int>(i) == level.hot;
        if (hot) FillSolidRect(dc, &rc, GetSysColor(COLOR_HIGHLIGHT));
        if (IsGrayed(item)) {
            if (!hot) {
                // The classic engraved look: a light copy one pixel down and right.
                RECT shifted = rc;
                OffsetRect(&shifted, 1, 1);
                DrawItemText(dc, item, shifted, GetSysColor(COLOR_3DHILIGHT));
            }
            DrawItemText(dc, item, rc, GetSysColor(hot ? COLOR_GRAYTEXT : COLOR_3DSHADOW));
        } else {
            DrawItemText(dc, item, rc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        }
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

int LevelOf(const Tracker& t, HWND hwnd) {
    for (size_t i = 0; i < t.levels.size(); ++i) {
        if (t.levels[i].wnd == hwnd) return static_cast<int>(i);
    }
    return -1;
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Tracker* t = t_active;
    switch (msg) {
    case WM_PAINT: {
        const int level = t != nullptr ? LevelOf(*t, hwnd) : -1;
        if (level < 0) break;
        PaintLevel(hwnd, t->levels[static_cast<size_t>(level)]);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_CAPTURECHANGED:
        if (t != nullptr && LevelOf(*t, reinterpret_cast<HWND>(lParam)) < 0) t->captureLost = true;
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterMenuClass() {
    WNDCLASSA wc{};
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = MenuWindowProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = MENU_POPUP_CLASSA;
    RegisterClassA(&wc);
}

ControlClass g_menuClass(&RegisterMenuClass);

void InvalidateItem(const Level& level, int index) {
    if (index < 0 || index >= static_cast<int>(level.rects.size())) return;
    InvalidateRect(level.wnd, &level.rects[static_cast<size_t>(index)], TRUE);
}

void SetHot(Tracker& t, size_t levelIndex, int index) {
    Level& level = t.levels[levelIndex];
    if (index == level.hot) return;
    InvalidateItem(level, level.hot);
    level.hot = index;
    InvalidateItem(level, level.hot);
    if (Notifies(t) && index >= 0) {
        const MenuItemView& item = level.items[static_cast<size_t>(index)];
        UINT flags = item.state & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
        if (item.subMenu != nullptr) flags |= MF_POPUP;
        if (IsSeparator(item)) flags |= MF_SEPARATOR;
        const UINT key = item.subMenu != nullptr ? static_cast<UINT>(index) : item.id;
        SendMessageA(t.owner, WM_MENUSELECT, MAKEWPARAM(key, flags | MF_HILITE),
                     reinterpret_cast<LPARAM>(level.menu));
    }
}

void CloseFrom(Tracker& t, size_t first) {
    while (t.levels.size() > first && t.levels.size() > 1) {
        DestroyWindow(t.levels.back().wnd);
        t.levels.pop_back();
    }
}

// Opens a pop-up level with its corner at (x, y) as the flags align it,
// kept on the screen; a sub-menu that does not fit on the right of its
// parent goes to the left (`leftOf`).
bool OpenLevel(Tracker& t, HMENU menu, int x, int y, UINT align, int index, int leftOf) {
    if (Notifies(t)) {
        SendMessageA(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(index, FALSE));
    }
    if (!IsMenu(menu)) return false;
    Level level;
    level.menu = menu;
    const SIZE size = Layout(level);
    int left = x;
    int top = y;
    if (align & TPM_RIGHTALIGN) {
        left = x - size.cx;
    } else if (align & TPM_CENTERALIGN) {
        left = x - size.cx / 2;
    }
    if (align & TPM_BOTTOMALIGN) {
        top = y - size.cy;
    } else if (align & TPM_VCENTERALIGN) {
        top = y - size.cy / 2;
    }
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    if (left + size.cx > screenW) left = leftOf != INT_MIN ? leftOf - size.cx : x - size.cx;
    if (left + size.cx > screenW) left = screenW - size.cx;
    if (left < 0) left = 0;
    if (top + size.cy > screenH) top = std::max(0, screenH - size.cy);
    if (top < 0) top = 0;
    HWND root = GetAncestor(t.owner, GA_ROOT);
    level.wnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, MENU_POPUP_CLASSA, "", WS_POPUP,
                                left, top, size.cx, size.cy, root != nullptr ? root : t.owner, nullptr, nullptr,
                                nullptr);
    if (level.wnd == nullptr) return false;
    t.levels.push_back(std::move(level));
    SetWindowPos(t.levels.back().wnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return true;
}

void OpenSub(Tracker& t, size_t levelIndex) {
    Level& level = t.levels[levelIndex];
    if (level.hot < 0) return;
    const MenuItemView item = level.items[static_cast<size_t>(level.hot)];
    if (item.subMenu == nullptr || IsGrayed(item)) return;
    if (t.levels.size() > levelIndex + 1 && t.levels[levelIndex + 1].menu == item.subMenu) return;
    CloseFrom(t, levelIndex + 1);
    RECT window;
    GetWindowRect(level.wnd, &window);
    const RECT& rc = level.rects[static_cast<size_t>(level.hot)];
    OpenLevel(t, item.subMenu, window.right - Frame(), window.top + rc.top - Frame(), TPM_LEFTALIGN, level.hot,
              window.left + Frame());
}

int FirstSelectable(const Level& level, int from, int step) {
    const int n = static_cast<int>(level.items.size());
    for (int k = 0; k < n; ++k) {
        const int i = ((from + step * k) % n + n) % n;
        if (!IsSeparator(level.items[static_cast<size_t>(i)])) return i;
    }
    return -1;
}

void Choose(Tracker& t, UINT id) {
    t.done = true;
    t.chosen = id;
}

// Enter, a mnemonic or a button release on an item.
void Activate(Tracker& t, size_t levelIndex, int index) {
    Level& level = t.levels[levelIndex];
    if (index < 0) return;
    const MenuItemView& item = level.items[static_cast<size_t>(index)];
    if (IsSeparator(item) || IsGrayed(item)) return;
    if (item.subMenu != nullptr) {
        SetHot(t, levelIndex, index);
        OpenSub(t, levelIndex);
        if (t.levels.size() > levelIndex + 1) SetHot(t, levelIndex + 1, FirstSelectable(t.levels[levelIndex + 1], 0, 1));
        return;
    }
    Choose(t, item.id);
}

void OnKey(Tracker& t, UINT vk) {
    const size_t deepest = t.levels.size() - 1;
    Level& level = t.levels[deepest];
    const int n = static_cast<int>(level.items.size());
    switch (vk) {
    case VK_DOWN:
        if (n > 0) SetHot(t, deepest, FirstSelectable(level, level.hot < 0 ? 0 : level.hot + 1, 1));
        break;
    case VK_UP:
        if (n > 0) SetHot(t, deepest, FirstSelectable(level, level.hot < 0 ? n - 1 : level.hot - 1, -1));
        break;
    case VK_RIGHT:
        if (level.hot >= 0 && level.items[static_cast<size_t>(level.hot)].subMenu != nullptr) {
            Activate(t, deepest, level.hot);
        }
        break;
    case VK_LEFT:
        if (deepest > 0) CloseFrom(t, deepest);
        break;
    case VK_ESCAPE:
        if (deepest > 0) {
            CloseFrom(t, deepest);
        } else {
            t.done = true;
        }
        break;
    case VK_RETURN: Activate(t, deepest, level.hot); break;
    case VK_MENU:
    case VK_F10: t.done = true; break;
    default: break;
    }
}

// A typed character chooses the item whose mnemonic ('&' before it) it is.
void OnChar(Tracker& t, char c) {
    const size_t deepest = t.levels.size() - 1;
    const Level& level = t.levels[deepest];
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < level.items.size(); ++i) {
        const std::string& text = level.items[i].text;
        for (size_t k = 0; k + 1 < text.size(); ++k) {
            if (text[k] != '&') continue;
            if (text[k + 1] == '&') {
                ++k;
                continue;
            }
            if (std::tolower(static_cast<unsigned char>(text[k + 1])) == wanted) {
                SetHot(t, deepest, static_cast<int>(i));
                Activate(t, deepest, static_cast<int>(i));
                return;
            }
            break;
        }
    }
}

// The open level and item under a screen point (deepest first); item -1 on
// a level's frame, level -1 outside every level.
std::pair<int, int> HitTest(const Tracker& t, POINT screen) {
    for (int l = static_cast<int>(t.levels.size()) - 1; l >= 0; --l) {
        const Level& level = t.levels[static_cast<size_t>(l)];
        RECT window;
        GetWindowRect(level.wnd, &window);
        if (!PtInRect(&window, screen)) continue;
        POINT client = screen;
        ScreenToClient(level.wnd, &client);
        for (size_t i = 0; i < level.rects.size(); ++i) {
            if (PtInRect(&level.rects[i], client)) return {l, static_cast<int>(i)};
        }
        return {l, -1};
    }
    return {-1, -1};
}

void OnMouse(Tracker& t, const MSG& msg) {
    POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    const bool nonClient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
    if (!nonClient) ClientToScreen(msg.hwnd, &screen);
    const auto [l, i] = HitTest(t, screen);
    UINT kind = msg.message;
    if (nonClient) kind = kind - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    switch (kind) {
    case WM_MOUSEMOVE:
        if (screen.x != t.start.x || screen.y != t.start.y) t.armed = true;
        if (l >= 0 && i >= 0) {
            const size_t level = static_cast<size_t>(l);
            SetHot(t, level, i);
            const MenuItemView& item = t.levels[level].items[static_cast<size_t>(i)];
            if (t.levels.size() > level + 1 && t.levels[level + 1].menu != item.subMenu) CloseFrom(t, level + 1);
            if (item.subMenu != nullptr) OpenSub(t, level);
        } else if (l < 0 || i < 0) {
            const size_t deepest = t.levels.size() - 1;
            SetHot(t, deepest, -1);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (l < 0) {
            t.done = true;  // a click outside dismisses the menu
            break;
        }
        t.armed = true;
        if (i >= 0 && t.levels[static_cast<size_t>(l)].items[static_cast<size_t>(i)].subMenu != nullptr) {
            Activate(t, static_cast<size_t>(l), i);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (kind == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON) == 0) break;
        if (!t.armed || l < 0 || i < 0) break;
        if (t.levels[static_cast<size_t>(l)].items[static_cast<size_t>(i)].subMenu == nullptr) {
            Activate(t, static_cast<size_t>(l), i);
        }
        break;
    default: break;
    }
}

bool IsMouseMessage(UINT m) {
    return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

UINT Track(HMENU menu, UINT flags, int x, int y, HWND owner) {
    Tracker t;
    t.owner = owner;
    t.flags = flags;
    GetCursorPos(&t.start);
    t_active = &t;
    SendMessageA(owner, WM_ENTERMENULOOP, TRUE, 0);
    if (Notifies(t)) SendMessageA(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    if (!OpenLevel(t, menu, x, y, flags, 0, INT_MIN)) {
        t_active = nullptr;
        SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
        return 0;
    }
    SetCapture(t.levels[0].wnd);
    MSG msg;
    while (!t.done && !t.captureLost && IsWindow(owner)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (got < 0) break;
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: OnKey(t, static_cast<UINT>(msg.wParam)); continue;
        case WM_CHAR:
        case WM_SYSCHAR: OnChar(t, static_cast<char>(msg.wParam)); continue;
        case WM_KEYUP:
        case WM_SYSKEYUP: continue;
        default: break;
        }
        if (IsMouseMessage(msg.message)) {
            OnMouse(t, msg);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    HWND first = t.levels[0].wnd;
    CloseFrom(t, 1);
    if (GetCapture() == first) ReleaseCapture();
    DestroyWindow(first);
    t.levels.clear();
    t_active = nullptr;
    if (Notifies(t) && IsWindow(owner)) {
        SendMessageA(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    }
    if (IsWindow(owner)) SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
    return t.chosen;
}

}  // namespace

}  // namespace trelwin::commctrl

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS) {
    using namespace trelwin::commctrl;
    if (!IsMenu(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (t_active != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);  // one pop-up menu at a time per thread
        return FALSE;
    }
    const UINT chosen = Track(hMenu, uFlags, x, y, hwnd);
    if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen != 0 && (uFlags & TPM_NONOTIFY) == 0) PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

BOOL WINAPI EndMenu() {
    using namespace trelwin::commctrl;
    if (t_active == nullptr || t_active->levels.empty()) return FALSE;
    t_active->done = true;
    PostMessageA(t_active->levels[0].wnd, WM_NULL, 0, 0);  // wakes the loop
    return TRUE;
}
