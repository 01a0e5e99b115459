#include "platform/user/window_class.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/name_atoms.h"

namespace {

struct CClassTable {
    std::mutex lock;
    std::map<ATOM, std::shared_ptr<CWindowClass>> byAtom;
};

CClassTable& Classes() {
    static CClassTable* classes = new CClassTable;  // used by threads still ending at process exit
    return *classes;
}

ATOM AtomOf(LPCSTR name) {
    if (name == nullptr) {
        return 0;
    }
    if (IS_INTRESOURCE(name)) {
        return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    }
    return FindNameAtom(name);
}

}  // namespace

namespace {

std::atomic<void (*)()> g_systemClassProvider{nullptr};
std::once_flag g_systemClassesProvided;

std::shared_ptr<CWindowClass> FindRegisteredClass(LPCSTR lpszClassName) {
    const ATOM atom = AtomOf(lpszClassName);
    if (atom == 0) {
        return nullptr;
    }
    CClassTable& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.lock);
    auto found = classes.byAtom.find(atom);
    return found == classes.byAtom.end() ? nullptr : found->second;
}

}  // namespace

void SetSystemClassProvider(void (*provider)()) { g_systemClassProvider = provider; }

std::shared_ptr<CWindowClass> FindWindowClass(LPCSTR lpszClassName) {
    std::shared_ptr<CWindowClass> found = FindRegisteredClass(lpszClassName);
    void (*provider)() = g_systemClassProvider;
    if (found == nullptr && provider != nullptr) {
        // The built-in controls live above this layer; the first miss lets
        // them register, as they are always there for dialogs and programs.
        std::call_once(g_systemClassesProvided, provider);
        found = FindRegisteredClass(lpszClassName);
    }
    return found;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        lpWndClass->lpfnWndProc == nullptr || lpWndClass->cbWndExtra < 0 || lpWndClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ATOM atom = AddNameAtom(lpWndClass->lpszClassName);
    if (atom == 0) {
        return 0;
    }
    auto windowClass = std::make_shared<CWindowClass>();
    windowClass->m_wc = *lpWndClass;
    windowClass->m_name = lpWndClass->lpszClassName;
    windowClass->m_atom = atom;
    windowClass->m_wc.lpszClassName = windowClass->m_name.c_str();
    windowClass->m_wc.lpszMenuName = nullptr;  // menus by name are not kept; nothing here reads them
    CClassTable& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.lock);
    if (!classes.byAtom.emplace(atom, windowClass).second) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    const ATOM atom = AtomOf(lpClassName);
    CClassTable& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.lock);
    if (atom == 0 || classes.byAtom.erase(atom) == 0) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    // Windows of the class keep their own reference to it.
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
    std::shared_ptr<CWindowClass> windowClass = FindWindowClass(lpClassName);
    if (!windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (lpWndClass != nullptr) {
        *lpWndClass = windowClass->m_wc;
    }
    return TRUE;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    return AddNameAtom(lpString);
}
