#include "platform/user/window_tree.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/message_functions.h"
#include "platform/user/paint_internal.h"
#include "platform/user/window_object.h"

namespace {

struct CTree {
    std::recursive_mutex lock;
    std::unordered_map<HWND, std::unique_ptr<CWindowNode>> nodes;
    std::vector<HWND> tops;
};

CTree& Tree() {
    static CTree* tree = new CTree;  // used by threads still ending at process exit
    return *tree;
}

std::atomic<uint64_t> g_generation{1};

std::string PropKey(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return name;
    std::string key(1, '#');
    key.append(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
    return key;
}

CWindowNode* NodeOrFail(HWND hwnd) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return node;
}

// Siblings of a window in z-order: children of its parent, or the top-level
// windows.
const std::vector<HWND>* SiblingsOf(const CWindowNode& node) {
    if (node.messageOnly) return nullptr;
    if (node.parent) {
        CWindowNode* parent = FindNode(node.parent);
        return parent ? &parent->children : nullptr;
    }
    return &TopLevelOrder();
}

void AddInPaintOrder(HWND hwnd, std::vector<HWND>& out) {
    CWindowNode* node = FindNode(hwnd);
    if (!node) return;
    out.push_back(hwnd);
    for (HWND child : node->children) AddInPaintOrder(child, out);
}

}  // namespace

std::recursive_mutex& UserLock() { return Tree().lock; }

CWindowNode* FindNode(HWND hwnd) {
    auto& nodes = Tree().nodes;
    auto found = nodes.find(hwnd);
    return found == nodes.end() ? nullptr : found->second.get();
}

CWindowNode* AddNode(HWND hwnd) {
    auto node = std::make_unique<CWindowNode>();
    node->hwnd = hwnd;
    CWindowNode* raw = node.get();
    Tree().nodes[hwnd] = std::move(node);
    return raw;
}

void RemoveNode(HWND hwnd) { Tree().nodes.erase(hwnd); }

std::vector<HWND>& TopLevelOrder() { return Tree().tops; }

uint64_t WindowGeneration() { return g_generation.load(std::memory_order_acquire); }
void BumpWindowGeneration() { g_generation.fetch_add(1, std::memory_order_acq_rel); }

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }
DWORD ExStyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)); }

void SetStyleBits(HWND hwnd, DWORD set, DWORD clear) {
    const DWORD style = StyleOf(hwnd);
    const DWORD changed = (style & ~clear) | set;
    if (changed != style) {
        SetWindowLongPtrA(hwnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
        BumpWindowGeneration();
    }
}

HWND TopLevelOf(HWND hwnd) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    while (node && node->parent) {
        hwnd = node->parent;
        node = FindNode(hwnd);
    }
    return node ? hwnd : nullptr;
}

std::vector<HWND> WindowsOfThreadInPaintOrder(DWORD threadId) {
    UserGuard guard(UserLock());
    std::vector<HWND> out;
    for (HWND top : TopLevelOrder()) {
        CWindowNode* node = FindNode(top);
        if (node && node->threadId == threadId) AddInPaintOrder(top, out);
    }
    // Children of another thread's windows paint on their own thread.
    for (auto& entry : Tree().nodes) {
        CWindowNode& node = *entry.second;
        if (node.threadId != threadId || !node.parent) continue;
        CWindowNode* parent = FindNode(node.parent);
        if (parent && parent->threadId != threadId && std::find(out.begin(), out.end(), node.hwnd) == out.end()) {
            AddInPaintOrder(node.hwnd, out);
        }
    }
    return out;
}

std::string WindowTextOf(HWND hwnd) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hwnd);
    if (!window) return std::string();
    UserGuard guard(UserLock());
    return window->m_text;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    UserGuard guard(UserLock());
    CWindowNode* node = NodeOrFail(hWnd);
    if (!node) return nullptr;
    if (uCmd == GW_CHILD) return node->children.empty() ? nullptr : node->children.front();
    if (uCmd == GW_OWNER) return node->owner;
    if (uCmd == GW_ENABLEDPOPUP) {
        for (HWND top : TopLevelOrder()) {
            CWindowNode* other = FindNode(top);
            if (other && other->owner == hWnd && (StyleOf(top) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE) return top;
        }
        return nullptr;
    }
    const std::vector<HWND>* siblings = SiblingsOf(*node);
    if (!siblings || siblings->empty()) return nullptr;
    auto at = std::find(siblings->begin(), siblings->end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST: return siblings->front();
    case GW_HWNDLAST: return siblings->back();
    case GW_HWNDNEXT: return (at == siblings->end() || at + 1 == siblings->end()) ? nullptr : *(at + 1);
    case GW_HWNDPREV: return (at == siblings->end() || at == siblings->begin()) ? nullptr : *(at - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND WINAPI GetTopWindow(HWND hWnd) {
    if (hWnd == nullptr) {
        UserGuard guard(UserLock());
        return TopLevelOrder().empty() ? nullptr : TopLevelOrder().front();
    }
    return GetWindow(hWnd, GW_CHILD);
}

HWND WINAPI GetNextWindow(HWND hWnd, UINT wCmd) { return GetWindow(hWnd, wCmd); }

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
    UserGuard guard(UserLock());
    CWindowNode* node = NodeOrFail(hwnd);
    if (!node) return nullptr;
    switch (gaFlags) {
    case GA_PARENT: return node->parent ? node->parent : GetDesktopWindow();
    case GA_ROOT: return TopLevelOf(hwnd);
    case GA_ROOTOWNER: {
        HWND root = TopLevelOf(hwnd);
        for (CWindowNode* top = FindNode(root); top && top->owner; top = FindNode(root)) root = top->owner;
        return root;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND WINAPI GetDesktopWindow() {
    // The screen stands for the desktop: the handle is known to the
    // functions that take a window and mean the whole screen.
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10));
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    UserGuard guard(UserLock());
    for (CWindowNode* node = FindNode(hWnd); node && node->parent; node = FindNode(node->parent)) {
        if (node->parent == hWndParent) return TRUE;
    }
    return FALSE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    UserGuard guard(UserLock());
    CWindowNode* node = NodeOrFail(hDlg);
    if (!node) return nullptr;
    for (HWND child : node->children) {
        if (static_cast<int>(GetWindowLongPtrA(child, GWLP_ID)) == nIDDlgItem) return child;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    UserGuard guard(UserLock());
    CWindowNode* node = NodeOrFail(hWnd);
    if (!node || !node->parent) return 0;  // top-level windows have a menu, not an id
    return static_cast<int>(GetWindowLongPtrA(hWnd, GWLP_ID));
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) return FALSE;
    std::vector<HWND> all;
    {
        UserGuard guard(UserLock());
        if (hWndParent == nullptr || hWndParent == GetDesktopWindow()) {
            for (HWND top : TopLevelOrder()) AddInPaintOrder(top, all);
        } else {
            CWindowNode* node = NodeOrFail(hWndParent);
            if (!node) return FALSE;
            for (HWND child : node->children) AddInPaintOrder(child, all);
        }
    }
    // A window destroyed by an earlier call is skipped.
    for (HWND hwnd : all) {
        if (IsWindow(hwnd) && !lpEnumFunc(hwnd, lParam)) break;
    }
    return TRUE;
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) return FALSE;
    std::vector<HWND> tops;
    {
        UserGuard guard(UserLock());
        tops = TopLevelOrder();
    }
    for (HWND hwnd : tops) {
        if (IsWindow(hwnd) && !lpEnumFunc(hwnd, lParam)) break;
    }
    return TRUE;
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
    if (!lpfn) return FALSE;
    std::vector<HWND> tops;
    {
        UserGuard guard(UserLock());
        for (HWND top : TopLevelOrder()) {
            CWindowNode* node = FindNode(top);
            if (node && node->threadId == dwThreadId) tops.push_back(top);
        }
    }
    for (HWND hwnd : tops) {
        if (IsWindow(hwnd) && !lpfn(hwnd, lParam)) break;
    }
    return tops.empty() ? FALSE : TRUE;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString == nullptr || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
    if (!window || !lpClassName || nMaxCount <= 0) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::string& name = window->m_class->m_name;
    const size_t n = std::min(name.size(), static_cast<size_t>(nMaxCount - 1));
    std::memcpy(lpClassName, name.data(), n);
    lpClassName[n] = '\0';
    return static_cast<int>(n);
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    UserGuard guard(UserLock());
    const WNDCLASSA& wc = window->m_class->m_wc;
    switch (nIndex) {
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(wc.hCursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(wc.hIcon);
    case GCL_STYLE: return wc.style;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    UserGuard guard(UserLock());
    WNDCLASSA& wc = window->m_class->m_wc;
    ULONG_PTR previous = 0;
    switch (nIndex) {
    case GCLP_HBRBACKGROUND:
        previous = reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(dwNewLong);
        return previous;
    case GCLP_HCURSOR:
        previous = reinterpret_cast<ULONG_PTR>(wc.hCursor);
        wc.hCursor = reinterpret_cast<HCURSOR>(dwNewLong);
        return previous;
    case GCLP_HICON:
        previous = reinterpret_cast<ULONG_PTR>(wc.hIcon);
        wc.hIcon = reinterpret_cast<HICON>(dwNewLong);
        return previous;
    case GCL_STYLE:
        previous = wc.style;
        wc.style = static_cast<UINT>(dwNewLong);
        return previous;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) { return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex)); }

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    if (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE) {
        // Style bits are unsigned: keep the high bit without sign extension.
        return static_cast<LONG>(
            SetWindowLongPtrA(hWnd, nIndex, static_cast<LONG_PTR>(static_cast<DWORD>(dwNewLong))));
    }
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
    if (!lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    UserGuard guard(UserLock());
    CWindowNode* node = NodeOrFail(hWnd);
    if (!node) return FALSE;
    node->props[PropKey(lpString)] = hData;
    return TRUE;
}

namespace {

// The data of a property; taken off the window when remove is set.
HANDLE FindProp(HWND hWnd, LPCSTR lpString, bool remove) {
    if (!lpString) return nullptr;
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hWnd);
    if (!node) return nullptr;
    auto found = node->props.find(PropKey(lpString));
    if (found == node->props.end()) return nullptr;
    HANDLE data = found->second;
    if (remove) node->props.erase(found);
    return data;
}

}  // namespace

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) { return FindProp(hWnd, lpString, false); }

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) { return FindProp(hWnd, lpString, true); }

namespace {

void Unlink(CWindowNode& node) {
    if (node.parent) {
        if (CWindowNode* parent = FindNode(node.parent)) {
            auto& list = parent->children;
            list.erase(std::remove(list.begin(), list.end(), node.hwnd), list.end());
        }
    } else if (!node.messageOnly) {
        auto& tops = TopLevelOrder();
        tops.erase(std::remove(tops.begin(), tops.end(), node.hwnd), tops.end());
    }
}

}  // namespace

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
    if (hWndNewParent == GetDesktopWindow()) hWndNewParent = nullptr;
    std::shared_ptr<CWindowObject> window = LookupWindow(hWndChild);
    if (!window || (hWndNewParent && !IsWindow(hWndNewParent))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hWndNewParent == hWndChild || (hWndNewParent && IsChild(hWndChild, hWndNewParent))) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a window cannot live inside itself
        return nullptr;
    }
    HWND previous = nullptr;
    RECT oldRect{};
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWndChild);
        if (!node || node->messageOnly) return nullptr;
        previous = node->parent;
        oldRect = node->window;
        Unlink(*node);
        if (!previous) RemoveTopLevelHost(hWndChild);
        node->parent = hWndNewParent;
        node->owner = nullptr;
        window->m_hWndParent = hWndNewParent;
        if (hWndNewParent) {
            FindNode(hWndNewParent)->children.insert(FindNode(hWndNewParent)->children.begin(), hWndChild);
            node->surface.reset();
        } else {
            TopLevelOrder().insert(TopLevelOrder().begin(), hWndChild);
            SyncTopLevelHost(hWndChild);
            RestackHosts();
        }
        BumpWindowGeneration();
    }
    if (previous && (StyleOf(hWndChild) & WS_VISIBLE)) InvalidateInParent(previous, oldRect);
    InvalidateWindowArea(hWndChild, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return previous ? previous : GetDesktopWindow();
}
