// The header control: its items, their order, layout and messages.
#include <algorithm>
#include <cstring>

#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/control_state.h"
#include "platform/commctrl/header_internal.h"

namespace trelwin::commctrl::header {

State* StateOf(HWND hwnd) { return CheckedState<State>(hwnd); }

int ItemLeft(const State& s, int index) {
    int x = 0;
    for (int i : s.order) {
        if (i == index) return x;
        x += s.items[i].width;
    }
    return x;
}

RECT ItemRect(const State& s, int index) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    const int left = ItemLeft(s, index);
    return RECT{left, 0, left + s.items[index].width, client.bottom};
}

int HitTest(const State& s, POINT pt, UINT* flags) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    UINT f = 0;
    if (pt.y < client.top) f |= HHT_ABOVE;
    if (pt.y >= client.bottom) f |= HHT_BELOW;
    if (pt.x < client.left) f |= HHT_TOLEFT;
    if (pt.x >= client.right) f |= HHT_TORIGHT;
    if (f != 0) {
        *flags = f;
        return -1;
    }
    // Dividers first: the zone reaches a little into the item left of it
    // and further to the right. Where several dividers meet (columns of
    // width 0), right of the line belongs to the last of them, so a hidden
    // column can be pulled open; left of it to the visible one.
    constexpr int kLeftZone = 5;
    constexpr int kRightZone = 8;
    int x = 0;
    int onDivider = -1;
    int bestDistance = kRightZone + kLeftZone;
    for (int i : s.order) {
        x += s.items[i].width;
        const int d = pt.x - x;
        if (d < -kLeftZone) break;
        if (d >= kRightZone) continue;
        if (d < 0 && s.items[i].width == 0) continue;
        const int distance = d < 0 ? -d : d;
        if (distance < bestDistance || (distance == bestDistance && d >= 0)) {
            bestDistance = distance;
            onDivider = i;
        }
    }
    if (onDivider >= 0) {
        *flags = s.items[onDivider].width == 0 ? HHT_ONDIVOPEN : HHT_ONDIVIDER;
        return onDivider;
    }
    x = 0;
    for (int i : s.order) {
        if (pt.x >= x && pt.x < x + s.items[i].width) {
            *flags = HHT_ONHEADER;
            return i;
        }
        x += s.items[i].width;
    }
    *flags = HHT_NOWHERE;
    return -1;
}

int LayoutHeight(const State& s) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return static_cast<int>(tm.tmHeight) + 3 * GetSystemMetrics(SM_CYEDGE);
}

LRESULT Notify(const State& s, UINT code, int item, int button, HDITEMA* pitem) {
    HWND parent = GetParent(s.hwnd);
    if (parent == nullptr) return 0;
    NMHEADERA nm{};
    nm.hdr.hwndFrom = s.hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(s.hwnd, GWLP_ID));
    nm.hdr.code = code;
    nm.iItem = item;
    nm.iButton = button;
    nm.pitem = pitem;
    return SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

namespace {

void Apply(Item& item, const HDITEMA& in) {
    if (in.mask & HDI_WIDTH) item.width = std::max(0, in.cxy);
    if (in.mask & HDI_TEXT) item.text = in.pszText != nullptr && in.pszText != LPSTR_TEXTCALLBACKA ? in.pszText : "";
    if (in.mask & HDI_FORMAT) item.format = in.fmt;
    if (in.mask & HDI_LPARAM) item.lParam = in.lParam;
    if (in.mask & HDI_IMAGE) item.image = in.iImage;
    if (in.mask & HDI_BITMAP) item.bitmap = in.hbm;
}

void Fill(const State& s, int index, HDITEMA& out) {
    const Item& item = s.items[index];
    if (out.mask & HDI_WIDTH) out.cxy = item.width;
    if ((out.mask & HDI_TEXT) && out.pszText != nullptr && out.cchTextMax > 0) {
        const size_t n = std::min(item.text.size(), static_cast<size_t>(out.cchTextMax - 1));
        std::memcpy(out.pszText, item.text.data(), n);
        out.pszText[n] = '\0';
    }
    if (out.mask & HDI_FORMAT) out.fmt = item.format;
    if (out.mask & HDI_LPARAM) out.lParam = item.lParam;
    if (out.mask & HDI_IMAGE) out.iImage = item.image;
    if (out.mask & HDI_BITMAP) out.hbm = item.bitmap;
    if (out.mask & HDI_ORDER) {
        out.iOrder = static_cast<int>(std::find(s.order.begin(), s.order.end(), index) - s.order.begin());
    }
}

// Items right of a change move too: the parent (a list view) lays its
// columns out from the header, so it is redrawn with it.
void Redraw(State& s) {
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

LRESULT InsertItem(State& s, int index, const HDITEMA* in) {
    if (in == nullptr) return -1;
    const int count = static_cast<int>(s.items.size());
    index = std::clamp(index, 0, count);
    Item item;
    Apply(item, *in);
    s.items.insert(s.items.begin() + index, item);
    for (int& o : s.order) {
        if (o >= index) ++o;
    }
    int position = index;
    if (in->mask & HDI_ORDER) position = in->iOrder;
    position = std::clamp(position, 0, count);
    s.order.insert(s.order.begin() + position, index);
    Redraw(s);
    return index;
}

LRESULT DeleteItem(State& s, int index) {
    if (index < 0 || index >= static_cast<int>(s.items.size())) return FALSE;
    CancelMode(s);
    s.items.erase(s.items.begin() + index);
    s.order.erase(std::find(s.order.begin(), s.order.end(), index));
    for (int& o : s.order) {
        if (o > index) --o;
    }
    Redraw(s);
    return TRUE;
}

LRESULT SetOrder(State& s, int count, const int* order) {
    const int n = static_cast<int>(s.items.size());
    if (order == nullptr || count != n) return FALSE;
    std::vector<bool> seen(n, false);
    for (int i = 0; i < n; ++i) {
        if (order[i] < 0 || order[i] >= n || seen[order[i]]) return FALSE;
        seen[order[i]] = true;
    }
    s.order.assign(order, order + n);
    Redraw(s);
    if (HWND parent = GetParent(s.hwnd)) InvalidateRect(parent, nullptr, TRUE);
    return TRUE;
}

LRESULT Layout(State& s, HDLAYOUT* layout) {
    if (layout == nullptr || layout->prc == nullptr || layout->pwpos == nullptr) return FALSE;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(s.hwnd, GWL_STYLE));
    const int height = (style & HDS_HIDDEN) ? 0 : LayoutHeight(s);
    RECT& r = *layout->prc;
    WINDOWPOS& wp = *layout->pwpos;
    wp.hwnd = s.hwnd;
    wp.hwndInsertAfter = nullptr;
    wp.x = r.left;
    wp.y = r.top;
    wp.cx = r.right - r.left;
    wp.cy = height;
    wp.flags = (style & HDS_HIDDEN) ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
    r.top += height;
    return TRUE;
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    State* s = StateForMessage<State>(hwnd, msg);
    if (s == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    const int count = static_cast<int>(s->items.size());
    const int index = static_cast<int>(wParam);
    switch (msg) {
    case HDM_GETITEMCOUNT:
        return count;
    case HDM_INSERTITEMA:
        return InsertItem(*s, index, reinterpret_cast<const HDITEMA*>(lParam));
    case HDM_DELETEITEM:
        return DeleteItem(*s, index);
    case HDM_GETITEMA: {
        auto* item = reinterpret_cast<HDITEMA*>(lParam);
        if (item == nullptr || index < 0 || index >= count) return FALSE;
        Fill(*s, index, *item);
        return TRUE;
    }
    case HDM_SETITEMA: {
        auto* item = reinterpret_cast<const HDITEMA*>(lParam);
        if (item == nullptr || index < 0 || index >= count) return FALSE;
        return ChangeItem(*s, index, *item) ? TRUE : FALSE;
    }
    case HDM_LAYOUT:
        return Layout(*s, reinterpret_cast<HDLAYOUT*>(lParam));
    case HDM_HITTEST: {
        auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
        if (info == nullptr) return -1;
        info->iItem = HitTest(*s, info->pt, &info->flags);
        return info->iItem;
    }
    case HDM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr || index < 0 || index >= count) return FALSE;
        *rect = ItemRect(*s, index);
        return TRUE;
    }
    case HDM_SETIMAGELIST: {
        HIMAGELIST old = s->images;
        s->images = reinterpret_cast<HIMAGELIST>(lParam);
        Redraw(*s);
        return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(s->images);
    case HDM_ORDERTOINDEX:
        return index >= 0 && index < count ? s->order[index] : index;
    case HDM_GETORDERARRAY: {
        auto* out = reinterpret_cast<int*>(lParam);
        if (out == nullptr || index < count) return FALSE;
        std::copy(s->order.begin(), s->order.end(), out);
        return TRUE;
    }
    case HDM_SETORDERARRAY:
        return SetOrder(*s, index, reinterpret_cast<const int*>(lParam));
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Redraw(*s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PAINTSTRUCT ps{};
        HDC hdc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
        Paint(*s, hdc);
        if (wParam == 0) EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_RBUTTONUP:
        return OnMouse(*s, msg, wParam, lParam);
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT && OnSetCursor(*s)) return TRUE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && s->mode != Mode::None) {
            CancelMode(*s);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) CancelMode(*s);
        return 0;
    case WM_CANCELMODE:
        CancelMode(*s);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterHeaderClass() { RegisterStateClass(WC_HEADERA, HeaderProc); }

ControlClass g_headerClass(&RegisterHeaderClass);

}  // namespace

bool ChangeItem(State& s, int index, const HDITEMA& change) {
    HDITEMA copy = change;
    if (Notify(s, HDN_ITEMCHANGINGA, index, 0, &copy) != 0) return false;
    // The parent may have destroyed the header or deleted the item.
    if (StateOf(s.hwnd) != &s || index >= static_cast<int>(s.items.size())) return false;
    Apply(s.items[index], change);
    if (change.mask & HDI_ORDER) MoveToOrder(s, index, change.iOrder);
    Redraw(s);
    copy = change;
    Notify(s, HDN_ITEMCHANGEDA, index, 0, &copy);
    return true;
}

void MoveToOrder(State& s, int index, int position) {
    auto at = std::find(s.order.begin(), s.order.end(), index);
    if (at == s.order.end()) return;
    s.order.erase(at);
    position = std::clamp(position, 0, static_cast<int>(s.order.size()));
    s.order.insert(s.order.begin() + position, index);
    Redraw(s);
    if (HWND parent = GetParent(s.hwnd)) InvalidateRect(parent, nullptr, TRUE);
}

}  // namespace trelwin::commctrl::header
