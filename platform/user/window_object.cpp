#include "platform/user/window_object.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/base/process.h"
#include "platform/user/window_hooks.h"

namespace {

// Handles are even numbers counted up from here; none is ever used twice.
constexpr ULONG_PTR kFirstHandle = 0x10000;

struct CWindowTable {
    std::mutex lock;
    std::unordered_map<ULONG_PTR, std::shared_ptr<CWindowObject>> windows;
    ULONG_PTR next = kFirstHandle;
};

CWindowTable& Windows() {
    static CWindowTable* table = new CWindowTable;  // used by threads still ending at process exit
    return *table;
}

ULONG_PTR Key(HWND hwnd) { return reinterpret_cast<ULONG_PTR>(hwnd); }

void SetState(CWindowObject& window, CWindowObject::State state) {
    std::lock_guard<std::mutex> lock(WaitLock());
    window.m_state = state;
}

void Forget(HWND hwnd) {
    CWindowTable& table = Windows();
    std::lock_guard<std::mutex> lock(table.lock);
    table.windows.erase(Key(hwnd));
}

std::shared_ptr<CWindowObject> LookupOrFail(HWND hwnd) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return window;
}

}  // namespace

std::shared_ptr<CWindowObject> LookupWindow(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    CWindowTable& table = Windows();
    std::lock_guard<std::mutex> lock(table.lock);
    auto found = table.windows.find(Key(hwnd));
    return found == table.windows.end() ? nullptr : found->second;
}

LRESULT CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hwnd);
    if (!window) {
        return 0;
    }
    WNDPROC proc = window->m_pfnWndProc.load();
    return proc != nullptr ? proc(hwnd, msg, wParam, lParam) : 0;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    std::shared_ptr<CWindowClass> windowClass = FindWindowClass(lpClassName);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool messageOnly = hWndParent == HWND_MESSAGE;
    if (!messageOnly && hWndParent != nullptr && !IsWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto window = std::make_shared<CWindowObject>();
    window->m_class = windowClass;
    window->m_queue = CMessageQueue::Current();
    window->m_threadId = GetCurrentThreadId();
    window->m_hWndParent = messageOnly ? nullptr : hWndParent;
    window->m_bMessageOnly = messageOnly;
    window->m_text = lpWindowName != nullptr ? lpWindowName : "";
    window->m_style = dwStyle;
    window->m_exStyle = dwExStyle;
    window->m_hInstance = hInstance;
    window->m_id = reinterpret_cast<LONG_PTR>(hMenu);
    window->m_pfnWndProc = windowClass->m_wc.lpfnWndProc;
    window->m_extra.assign(static_cast<size_t>(windowClass->m_wc.cbWndExtra), 0);
    {
        CWindowTable& table = Windows();
        std::lock_guard<std::mutex> lock(table.lock);
        window->m_hWnd = reinterpret_cast<HWND>(table.next);
        table.next += 2;
        table.windows.emplace(Key(window->m_hWnd), window);
    }
    const HWND hwnd = window->m_hWnd;

    CREATESTRUCTA cs{};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.x = X;
    cs.y = Y;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    WindowAttach(*window, cs);
    if (CallWindowProcedure(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
        SetState(*window, CWindowObject::Destroying);
        CallWindowProcedure(hwnd, WM_NCDESTROY, 0, 0);
        SetState(*window, CWindowObject::Destroyed);
        WindowDetach(hwnd);
        window->m_queue->DropMessagesOf(hwnd);
        Forget(hwnd);
        return nullptr;
    }
    SetState(*window, CWindowObject::Alive);
    WindowNcCreated(hwnd);
    if (CallWindowProcedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    WindowCreated(hwnd, dwStyle);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    std::shared_ptr<CWindowObject> window = LookupOrFail(hWnd);
    if (!window) {
        return FALSE;
    }
    if (window->m_threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        if (window->m_state == CWindowObject::Destroying || window->m_state == CWindowObject::Destroyed) {
            return TRUE;  // already on its way (DestroyWindow from its own WM_DESTROY)
        }
        // From here on posts are refused, so whoever posts a message that
        // carries an object still owns it and frees it. What was posted
        // before is still in the queue while WM_DESTROY runs, for the window
        // to take out and free.
        window->m_state = CWindowObject::Destroying;
    }
    WindowDestroying(hWnd);
    CallWindowProcedure(hWnd, WM_DESTROY, 0, 0);

    std::vector<HWND> children;
    {
        CWindowTable& table = Windows();
        std::lock_guard<std::mutex> lock(table.lock);
        for (const auto& entry : table.windows) {
            if (entry.second->m_hWndParent == hWnd && entry.second->m_threadId == window->m_threadId) {
                children.push_back(entry.second->m_hWnd);
            }
        }
    }
    for (HWND child : children) {
        DestroyWindow(child);
    }

    CallWindowProcedure(hWnd, WM_NCDESTROY, 0, 0);
    SetState(*window, CWindowObject::Destroyed);
    WindowDetach(hWnd);
    // Whatever is still queued for the window is dropped unseen: the queue
    // cannot know what a message carries, so an object that a message
    // carries is lost here. Windows that receive such messages take them out
    // in their WM_DESTROY.
    window->m_queue->DropMessagesOf(hWnd);
    Forget(hWnd);
    return TRUE;
}

void DestroyWindowsOfThread(DWORD threadId) {
    std::vector<std::shared_ptr<CWindowObject>> owned;
    {
        CWindowTable& table = Windows();
        std::lock_guard<std::mutex> lock(table.lock);
        for (auto it = table.windows.begin(); it != table.windows.end();) {
            if (it->second->m_threadId == threadId) {
                owned.push_back(it->second);
                it = table.windows.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& window : owned) {
        SetState(*window, CWindowObject::Destroyed);
        WindowDetach(window->m_hWnd);
    }
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return LookupWindow(hWnd) ? TRUE : FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    std::shared_ptr<CWindowObject> window = LookupOrFail(hWnd);
    if (!window) {
        return 0;
    }
    if (lpdwProcessId != nullptr) {
        *lpdwProcessId = GetCurrentProcessId();
    }
    return window->m_threadId;
}

HWND WINAPI GetParent(HWND hWnd) {
    std::shared_ptr<CWindowObject> window = LookupOrFail(hWnd);
    return window ? window->m_hWndParent : nullptr;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    default:
        return DefWindowProcWindowing(hWnd, Msg, wParam, lParam);
    }
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc != nullptr ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    std::shared_ptr<CWindowObject> window = LookupOrFail(hWnd);
    if (!window) {
        return 0;
    }
    CWindowTable& table = Windows();
    std::lock_guard<std::mutex> lock(table.lock);
    switch (nIndex) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->m_pfnWndProc.load());
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->m_hInstance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->m_hWndParent);
    case GWLP_ID: return window->m_id;
    case GWL_STYLE: return static_cast<LONG_PTR>(window->m_style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(window->m_exStyle);
    case GWLP_USERDATA: return window->m_userData;
    default: break;
    }
    if (nIndex < 0 || static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > window->m_extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR value;
    std::memcpy(&value, window->m_extra.data() + nIndex, sizeof(value));
    return value;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    std::shared_ptr<CWindowObject> window = LookupOrFail(hWnd);
    if (!window) {
        return 0;
    }
    if (nIndex == GWLP_WNDPROC && window->m_threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    CWindowTable& table = Windows();
    std::lock_guard<std::mutex> lock(table.lock);
    LONG_PTR previous = 0;
    switch (nIndex) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->m_pfnWndProc.exchange(reinterpret_cast<WNDPROC>(dwNewLong)));
    case GWLP_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(window->m_hInstance);
        window->m_hInstance = reinterpret_cast<HINSTANCE>(dwNewLong);
        return previous;
    case GWLP_ID:
        previous = window->m_id;
        window->m_id = dwNewLong;
        return previous;
    case GWL_STYLE:
        previous = static_cast<LONG_PTR>(window->m_style);
        window->m_style = static_cast<DWORD>(dwNewLong);
        return previous;
    case GWL_EXSTYLE:
        previous = static_cast<LONG_PTR>(window->m_exStyle);
        window->m_exStyle = static_cast<DWORD>(dwNewLong);
        return previous;
    case GWLP_USERDATA:
        previous = window->m_userData;
        window->m_userData = dwNewLong;
        return previous;
    default:
        break;
    }
    if (nIndex < 0 || static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > window->m_extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    std::memcpy(&previous, window->m_extra.data() + nIndex, sizeof(previous));
    std::memcpy(window->m_extra.data() + nIndex, &dwNewLong, sizeof(dwNewLong));
    return previous;
}
