// What geometry and input need from painting and the window surfaces.
#pragma once

#include "platform/gdi/internal/region_data.h"
#include "platform/user/window_defs.h"

// Adds to the window's update region (client coordinates; null: all of it)
// by the RDW_ flags of RedrawWindow (invalidation only) and wakes the
// window's thread. Caller may hold UserLock.
void InvalidateWindowArea(HWND hwnd, const trelwin::gdi::RegionData* clientArea, UINT flags);
// The parent's area (its client coordinates) to be painted again, and its
// children's parts of it, after a child left or changed it.
void InvalidateInParent(HWND parent, const RECT& area);
// Brings the host of a top-level window up to date: surface size,
// rectangle, visibility, shape, title, stacking. Caller may hold UserLock.
void SyncTopLevelHost(HWND top);
void RemoveTopLevelHost(HWND top);
void RestackHosts();
// Wakes the thread that owns the window to look for paint and timer work.
void WakeWindowThread(DWORD threadId);

// Forgetting a window that is gone (no messages are sent).
void ForgetWindowPainting(HWND hwnd);
void KillTimersOfWindow(HWND hwnd);
void InputForgetWindow(HWND hwnd);
// Installs the makers of WM_PAINT, WM_TIMER and WM_MOUSEHOVER in the
// message queues (once).
void EnsureSyntheticSource();
// Hover tracking: whether WM_MOUSEHOVER is due for the calling thread, and
// when it will be.
bool PeekHoverMessage(MSG& msg, HWND filter, bool remove);
DWORD HoverDueIn(HWND filter);
// The key state of GetKeyState follows the input messages taken.
void InputMessageRetrieved(const MSG& msg);
// Host display events become input and window changes, applied by the
// thread that owns the windows when it looks for messages: whether some
// may be applied now, and applying them (true when any was).
void InstallHostInput();
bool HostEventsPending();
bool ApplyHostEvents();
// The non-client parts drawn by the default WM_NCPAINT.
void DrawNonClient(HWND hwnd);
