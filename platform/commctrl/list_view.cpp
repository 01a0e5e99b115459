// The list view's window procedure: its messages, its header's
// notifications, focus, fonts, colours and image lists.
#include <cstring>

#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/control_state.h"
#include "platform/commctrl/list_view_internal.h"

#ifndef DLGC_WANTARROWS
#define DLGC_WANTARROWS 0x0001
#endif
#ifndef DLGC_WANTCHARS
#define DLGC_WANTCHARS 0x0080
#endif

namespace trelwin::commctrl::listview {

State* StateOf(HWND hwnd) { return CheckedState<State>(hwnd); }

DWORD Style(const State& s) { return static_cast<DWORD>(GetWindowLongPtrA(s.hwnd, GWL_STYLE)); }
bool OwnerData(const State& s) { return (Style(s) & LVS_OWNERDATA) != 0; }
bool SingleSel(const State& s) { return (Style(s) & LVS_SINGLESEL) != 0; }

LRESULT Notify(const State& s, UINT code, NMHDR* hdr) {
    HWND parent = GetParent(s.hwnd);
    if (parent == nullptr) return 0;
    hdr->hwndFrom = s.hwnd;
    hdr->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(s.hwnd, GWLP_ID));
    hdr->code = code;
    return SendMessageA(parent, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}

namespace {

DWORD HeaderStyle(const State& s) {
    const DWORD style = Style(s);
    DWORD h = WS_CHILD | HDS_HORZ | HDS_FULLDRAG;
    if (!(style & LVS_NOSORTHEADER)) h |= HDS_BUTTONS;
    if (!(style & LVS_NOCOLUMNHEADER)) h |= WS_VISIBLE;
    if (s.exStyle & LVS_EX_HEADERDRAGDROP) h |= HDS_DRAGDROP;
    return h;
}

LRESULT SetExtendedStyle(State& s, DWORD mask, DWORD style) {
    const DWORD old = s.exStyle;
    if (mask == 0) mask = 0xFFFFFFFF;
    s.exStyle = (old & ~mask) | (style & mask);
    if (s.header != nullptr) {
        const DWORD keep = static_cast<DWORD>(GetWindowLongPtrA(s.header, GWL_STYLE)) & ~HDS_DRAGDROP;
        SetWindowLongPtrA(s.header, GWL_STYLE, keep | (HeaderStyle(s) & HDS_DRAGDROP));
    }
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return old;
}

LRESULT SetImageList(State& s, int which, HIMAGELIST list) {
    HIMAGELIST* slot = which == LVSIL_SMALL ? &s.smallImages
                       : which == LVSIL_STATE ? &s.stateImages
                       : which == LVSIL_NORMAL ? &s.normalImages
                                               : nullptr;
    if (slot == nullptr) return 0;
    HIMAGELIST old = *slot;
    *slot = list;
    UpdateMetrics(s);
    UpdateLayout(s);
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT SetColour(State& s, COLORREF& slot, LPARAM colour) {
    slot = static_cast<COLORREF>(colour);
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return TRUE;
}

void Destroy(State& s) {
    if (!(Style(s) & LVS_SHAREIMAGELISTS)) {
        // The list owns its image lists unless they are shared.
        for (HIMAGELIST list : {s.smallImages, s.stateImages, s.normalImages}) {
            if (list != nullptr) ImageList_Destroy(list);
        }
    }
    s.smallImages = s.stateImages = s.normalImages = nullptr;
}

LRESULT Dispatch(State& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = s.hwnd;
    const int index = static_cast<int>(wParam);
    switch (msg) {
    case WM_CREATE: {
        s.header = CreateWindowExA(0, WC_HEADERA, "", HeaderStyle(s), 0, 0, 0, 0, hwnd, nullptr,
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)), nullptr);
        if (s.header == nullptr) return -1;
        UpdateMetrics(s);
        UpdateLayout(s);
        return 0;
    }
    case WM_DESTROY:
        Destroy(s);
        break;
    case WM_SIZE:
        UpdateLayout(s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_STYLECHANGED:
        if (s.header != nullptr) {
            const DWORD keep = static_cast<DWORD>(GetWindowLongPtrA(s.header, GWL_STYLE)) & ~(HDS_BUTTONS | WS_VISIBLE);
            SetWindowLongPtrA(s.header, GWL_STYLE, keep | (HeaderStyle(s) & (HDS_BUTTONS | WS_VISIBLE)));
        }
        UpdateMetrics(s);
        UpdateLayout(s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETREDRAW:
        DefWindowProcA(hwnd, msg, wParam, lParam);
        s.redraw = wParam != 0;
        if (s.redraw) {
            UpdateLayout(s);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_SETFONT:
        s.font = reinterpret_cast<HFONT>(wParam);
        if (s.header != nullptr) SendMessageA(s.header, WM_SETFONT, wParam, lParam);
        UpdateMetrics(s);
        UpdateLayout(s);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillSolidRect(reinterpret_cast<HDC>(wParam), &client,
                      s.bkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : s.bkColor);
        return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PAINTSTRUCT ps{};
        if (wParam != 0) {
            RECT client;
            GetClientRect(hwnd, &client);
            Paint(s, reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        HDC hdc = BeginPaint(hwnd, &ps);
        Paint(s, hdc, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        s.hasFocus = msg == WM_SETFOCUS;
        NMHDR nm{};
        Notify(s, s.hasFocus ? NM_SETFOCUS : NM_KILLFOCUS, &nm);
        if (StateOf(hwnd) == &s) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        if (OnMouse(s, msg, wParam, lParam) == 0) return 0;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) s.leftDown = false;
        return 0;
    case WM_KEYDOWN:
        return OnKeyDown(s, wParam);
    case WM_VSCROLL:
    case WM_HSCROLL:
        return OnScroll(s, msg, wParam);
    case WM_MOUSEWHEEL:
        return OnWheel(s, wParam);
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr != nullptr && hdr->hwndFrom == s.header && s.header != nullptr) return OnHeaderNotify(s, wParam, hdr);
        break;
    }

    case LVM_GETITEMCOUNT:
        return Count(s);
    case LVM_GETITEMA:
        return GetItem(s, reinterpret_cast<LVITEMA*>(lParam));
    case LVM_SETITEMA:
        return SetItem(s, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_INSERTITEMA:
        return InsertItem(s, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_DELETEITEM:
        return DeleteItem(s, index);
    case LVM_DELETEALLITEMS:
        return DeleteAllItems(s);
    case LVM_SETITEMCOUNT:
        return SetItemCount(s, index);
    case LVM_GETITEMTEXTA: {
        auto* item = reinterpret_cast<LVITEMA*>(lParam);
        if (item == nullptr) return 0;
        LVITEMA copy = *item;
        copy.mask = LVIF_TEXT;
        copy.iItem = index;
        if (!GetItem(s, &copy) || copy.pszText == nullptr || copy.cchTextMax <= 0) return 0;
        return static_cast<LRESULT>(strnlen(copy.pszText, static_cast<size_t>(copy.cchTextMax)));
    }
    case LVM_SETITEMTEXTA: {
        auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (item == nullptr) return FALSE;
        LVITEMA copy = *item;
        copy.mask = LVIF_TEXT;
        copy.iItem = index;
        return SetItem(s, &copy);
    }
    case LVM_GETITEMSTATE:
        return ItemState(s, index) & static_cast<UINT>(lParam);
    case LVM_SETITEMSTATE: {
        auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (item == nullptr) return FALSE;
        return SetState(s, index, item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETCALLBACKMASK:
        return s.callbackMask;
    case LVM_SETCALLBACKMASK:
        s.callbackMask = static_cast<UINT>(wParam);
        return TRUE;
    case LVM_GETNEXTITEM:
        return GetNextItem(s, index, static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT:
        return SelectedCount(s);
    case LVM_GETSELECTIONMARK:
        return s.anchor;
    case LVM_SETSELECTIONMARK: {
        const int old = s.anchor;
        s.anchor = static_cast<int>(lParam) < Count(s) ? static_cast<int>(lParam) : -1;
        return old;
    }
    case LVM_FINDITEMA:
        return FindItem(s, index, reinterpret_cast<const LVFINDINFOA*>(lParam));
    case LVM_SORTITEMS:
        return SortItems(s, static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam));

    case LVM_INSERTCOLUMNA:
        return InsertColumn(s, index, reinterpret_cast<const LVCOLUMNA*>(lParam));
    case LVM_DELETECOLUMN:
        return DeleteColumn(s, index);
    case LVM_GETCOLUMNA:
        return GetColumn(s, index, reinterpret_cast<LVCOLUMNA*>(lParam));
    case LVM_SETCOLUMNA:
        return SetColumn(s, index, reinterpret_cast<const LVCOLUMNA*>(lParam));
    case LVM_GETCOLUMNWIDTH:
        return ColumnWidth(s, index);
    case LVM_SETCOLUMNWIDTH:
        return SetColumnWidth(s, index, static_cast<int>(static_cast<SHORT>(LOWORD(lParam))));
    case LVM_GETCOLUMNORDERARRAY:
        return SendMessageA(s.header, HDM_GETORDERARRAY, wParam, lParam);
    case LVM_SETCOLUMNORDERARRAY: {
        const LRESULT done = SendMessageA(s.header, HDM_SETORDERARRAY, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return done;
    }
    case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(s.header);

    case LVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        return rect != nullptr && GetItemRect(s, index, rect->left, rect) ? TRUE : FALSE;
    }
    case LVM_GETSUBITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        return rect != nullptr && GetSubItemRect(s, index, rect->top, rect->left, rect) ? TRUE : FALSE;
    }
    case LVM_HITTEST:
        return HitTest(s, reinterpret_cast<LVHITTESTINFO*>(lParam), false);
    case LVM_SUBITEMHITTEST:
        return HitTest(s, reinterpret_cast<LVHITTESTINFO*>(lParam), true);
    case LVM_GETVIEWRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr) return FALSE;
        *rect = RECT{-s.scrollX, s.headerHeight - s.top * s.rowHeight, TotalWidth(s) - s.scrollX,
                     s.headerHeight + (Count(s) - s.top) * s.rowHeight};
        return TRUE;
    }
    case LVM_GETSTRINGWIDTHA:
        return lParam != 0 ? TextWidth(s, reinterpret_cast<LPCSTR>(lParam)) : 0;
    case LVM_ENSUREVISIBLE:
        return EnsureVisible(s, index, lParam != 0) ? TRUE : FALSE;
    case LVM_SCROLL: {
        const int dy = static_cast<int>(lParam);
        int rows = dy / s.rowHeight;
        if (rows == 0 && dy != 0) rows = dy > 0 ? 1 : -1;
        if (rows != 0) ScrollTo(s, s.top + rows);
        if (index != 0) ScrollHorizontally(s, s.scrollX + index);
        return TRUE;
    }
    case LVM_REDRAWITEMS:
        InvalidateItems(s, index, static_cast<int>(lParam));
        return TRUE;
    case LVM_UPDATE:
        InvalidateItems(s, index, index);
        return TRUE;
    case LVM_GETTOPINDEX:
        return s.top;
    case LVM_GETCOUNTPERPAGE:
        return CountPerPage(s);

    case LVM_GETBKCOLOR:
        return s.bkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : s.bkColor;
    case LVM_SETBKCOLOR:
        return SetColour(s, s.bkColor, lParam);
    case LVM_GETTEXTCOLOR:
        return s.textColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : s.textColor;
    case LVM_SETTEXTCOLOR:
        return SetColour(s, s.textColor, lParam);
    case LVM_GETTEXTBKCOLOR:
        return s.textBkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : s.textBkColor;
    case LVM_SETTEXTBKCOLOR:
        return SetColour(s, s.textBkColor, lParam);
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(index == LVSIL_SMALL   ? s.smallImages
                                         : index == LVSIL_STATE ? s.stateImages
                                                                : s.normalImages);
    case LVM_SETIMAGELIST:
        return SetImageList(s, index, reinterpret_cast<HIMAGELIST>(lParam));
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return s.exStyle;
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        return SetExtendedStyle(s, static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    State* s = StateForMessage<State>(hwnd, msg);
    if (s == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return Dispatch(*s, msg, wParam, lParam);
}

void RegisterListViewClass() { RegisterStateClass(WC_LISTVIEWA, ListViewProc); }

ControlClass g_listViewClass(&RegisterListViewClass);

}  // namespace

}  // namespace trelwin::commctrl::listview
