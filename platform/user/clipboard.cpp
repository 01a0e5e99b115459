#include "platform/user/clipboard.h"

#include <map>
#include <mutex>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/base/process.h"
#include "platform/user/global_memory.h"

namespace {

struct CClipboard {
    std::mutex lock;
    bool open = false;
    DWORD openThread = 0;
    HWND openWindow = nullptr;
    HWND owner = nullptr;
    std::map<UINT, HANDLE> data;
};

CClipboard& Clipboard() {
    static CClipboard* clipboard = new CClipboard;  // outlives the windows that use it at exit
    return *clipboard;
}

// The caller holds the lock. Only the thread that opened it works on it.
bool OpenedByCaller(const CClipboard& c) {
    if (c.open && c.openThread == GetCurrentThreadId()) return true;
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return false;
}

}  // namespace

BOOL WINAPI OpenClipboard(HWND hWndNewOwner) {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.open && (c.openThread != GetCurrentThreadId() || c.openWindow != hWndNewOwner)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    c.open = true;
    c.openThread = GetCurrentThreadId();
    c.openWindow = hWndNewOwner;
    return TRUE;
}

BOOL WINAPI CloseClipboard() {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!OpenedByCaller(c)) return FALSE;
    c.open = false;
    c.openThread = 0;
    c.openWindow = nullptr;
    return TRUE;
}

BOOL WINAPI EmptyClipboard() {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!OpenedByCaller(c)) return FALSE;
    for (auto& entry : c.data) GlobalFree(entry.second);
    c.data.clear();
    c.owner = c.openWindow;
    return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!OpenedByCaller(c)) return nullptr;
    if (!hMem || GlobalSize(hMem) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE& slot = c.data[uFormat];
    if (slot && slot != hMem) GlobalFree(slot);
    slot = hMem;
    return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!OpenedByCaller(c)) return nullptr;
    auto it = c.data.find(uFormat);
    // Text is text whichever of the 8-bit formats it was set as.
    if (it == c.data.end() && (uFormat == CF_TEXT || uFormat == CF_OEMTEXT)) {
        it = c.data.find(uFormat == CF_TEXT ? CF_OEMTEXT : CF_TEXT);
    }
    return it == c.data.end() ? nullptr : it->second;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.data.count(format)) return TRUE;
    if (format == CF_TEXT) return c.data.count(CF_OEMTEXT) != 0;
    if (format == CF_OEMTEXT) return c.data.count(CF_TEXT) != 0;
    return FALSE;
}

HWND WINAPI GetClipboardOwner() {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.owner;
}

HWND WINAPI GetOpenClipboardWindow() {
    CClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.open ? c.openWindow : nullptr;
}
