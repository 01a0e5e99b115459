// The window tree: parents, children in z-order, owners, top-level stacking,
// geometry and the per-window state of painting, kept beside the window
// objects and guarded by one lock of the window system (UserLock).
//
// Rules of the lock: it is taken for short looks and changes only; nothing
// sends a message or calls a window procedure while holding it (a procedure
// may run on another thread that needs the lock), posting is allowed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/internal/region_data.h"
#include "platform/user/window_defs.h"

struct CTopSurface;

struct CWindowNode {
    HWND hwnd = nullptr;
    HWND parent = nullptr;  // null for top-level and message-only windows
    HWND owner = nullptr;   // top-level windows only
    DWORD threadId = 0;
    bool messageOnly = false;
    std::vector<HWND> children;  // z-order, topmost first
    RECT window{};  // in the parent's client coordinates; screen coordinates for top-level windows
    RECT client{};  // in window coordinates
    std::optional<trelwin::gdi::RegionData> shape;  // window coordinates (SetWindowRgn)
    HRGN shapeHandle = nullptr;                     // owned by the window system

    // Painting, in client coordinates.
    trelwin::gdi::RegionData update;
    bool erase = false;
    bool ncPaint = false;
    bool internalPaint = false;
    bool redrawOff = false;  // WM_SETREDRAW FALSE

    std::map<std::string, HANDLE> props;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    std::shared_ptr<CTopSurface> surface;  // top-level windows
};

std::recursive_mutex& UserLock();
using UserGuard = std::lock_guard<std::recursive_mutex>;

// The node of a live window, or null. Caller holds UserLock.
CWindowNode* FindNode(HWND hwnd);
// Top-level windows (not message-only), topmost first. Caller holds UserLock.
std::vector<HWND>& TopLevelOrder();
// Changes whenever geometry, stacking, visibility or shapes change; DCs
// recompute their clipping when it does.
uint64_t WindowGeneration();
void BumpWindowGeneration();

DWORD StyleOf(HWND hwnd);
DWORD ExStyleOf(HWND hwnd);
void SetStyleBits(HWND hwnd, DWORD set, DWORD clear);
// The top-level window that holds the window (itself for a top-level one).
HWND TopLevelOf(HWND hwnd);
// Every window of the thread that can paint, top-level windows first in
// stacking order, each followed by its descendants in z-order.
std::vector<HWND> WindowsOfThreadInPaintOrder(DWORD threadId);
// The text as stored, without messages.
std::string WindowTextOf(HWND hwnd);

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd);
HWND WINAPI GetTopWindow(HWND hWnd);
HWND WINAPI GetNextWindow(HWND hWnd, UINT wCmd);
HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags);
HWND WINAPI GetDesktopWindow();
BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd);
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
int WINAPI GetDlgCtrlID(HWND hWnd);
BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam);
HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent);

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
int WINAPI GetWindowTextLengthA(HWND hWnd);
int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount);
ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex);
ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex);
LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData);
HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString);
HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString);

#define GWL_WNDPROC GWLP_WNDPROC
#define GWL_HINSTANCE GWLP_HINSTANCE
#define GWL_HWNDPARENT GWLP_HWNDPARENT
#define GWL_ID GWLP_ID
#define GWL_USERDATA GWLP_USERDATA

#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA
#define GetClassName GetClassNameA
#define GetClassLongPtr GetClassLongPtrA
#define SetClassLongPtr SetClassLongPtrA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define SetProp SetPropA
#define GetProp GetPropA
#define RemoveProp RemovePropA
