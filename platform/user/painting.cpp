#include "platform/user/painting.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/base/win_errors.h"
#include "platform/display/display.h"
#include "platform/display/png_file.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/objects.h"
#include "platform/user/caret.h"
#include "platform/user/geometry.h"
#include "platform/user/message_functions.h"
#include "platform/user/message_queue.h"
#include "platform/user/paint_internal.h"
#include "platform/user/window_object.h"
#include "platform/user/window_surface.h"
#include "platform/user/window_tree.h"

using trelwin::gdi::RegionData;

namespace {

struct CDcRecord {
    HWND hwnd = nullptr;
    std::shared_ptr<trelwin::gdi::DrawTarget> target;
    CWindowDrawTarget* window = nullptr;  // null for the screen
    DWORD thread = 0;                     // the thread that got it, which draws with it
};

// DCs handed out for windows and the screen; guarded by UserLock.
std::unordered_map<HDC, CDcRecord>& Dcs() {
    static auto* dcs = new std::unordered_map<HDC, CDcRecord>;
    return *dcs;
}

// Windows that wait for WM_PAINT; guarded by UserLock.
std::unordered_set<HWND>& Pending() {
    static auto* pending = new std::unordered_set<HWND>;
    return *pending;
}

bool NeedsPaint(const CWindowNode& node) { return !node.update.empty() || node.internalPaint || node.ncPaint; }

void NotePending(CWindowNode& node) {
    if (NeedsPaint(node)) {
        Pending().insert(node.hwnd);
    } else {
        Pending().erase(node.hwnd);
    }
}

RECT ClientBounds(const CWindowNode& node) {
    return RECT{0, 0, node.client.right - node.client.left, node.client.bottom - node.client.top};
}

bool HasFrame(const CWindowNode& node) {
    return node.client.left > 0 || node.client.top > 0 || node.client.right < node.window.right - node.window.left ||
           node.client.bottom < node.window.bottom - node.window.top;
}

HDC MakeDc(HWND hwnd, std::shared_ptr<trelwin::gdi::DrawTarget> target, CWindowDrawTarget* window) {
    using namespace trelwin::gdi;
    auto dc = std::make_shared<DeviceContext>(false);
    auto& s = dc->state;
    s.pen_handle = static_cast<HPEN>(stock_object(BLACK_PEN));
    s.pen = lookup<PenObject>(s.pen_handle, Kind::Pen);
    s.brush_handle = static_cast<HBRUSH>(stock_object(WHITE_BRUSH));
    s.brush = lookup<BrushObject>(s.brush_handle, Kind::Brush);
    s.font_handle = static_cast<HFONT>(stock_object(SYSTEM_FONT));
    s.font = lookup<FontObject>(s.font_handle, Kind::Font);
    dc->target = target;
    HDC hdc = static_cast<HDC>(register_object(dc));
    UserGuard guard(UserLock());
    Dcs()[hdc] = CDcRecord{hwnd, std::move(target), window, GetCurrentThreadId()};
    return hdc;
}

// Shows on the display what a window DC may have changed so far (caller
// holds UserLock).
void Present(const CDcRecord& record) {
    if (!record.window) return;
    const HWND top = record.window->TopWindow();
    const RegionData reached = record.window->ReachedArea();
    const CWindowNode* node = FindNode(top);
    if (node && node->surface && !reached.empty()) {
        trelwin::display::current().present(reinterpret_cast<uintptr_t>(top), node->surface->surface, reached);
    }
}

// What the calling thread drew with the window DCs it still holds goes to
// the display before the thread looks at the screen: it sees its own
// drawing there, as the screen of the system the program was written for
// shows a DC's drawing at once. Other threads' DCs are theirs to present.
void PresentOwnDcs() {
    UserGuard guard(UserLock());
    const DWORD self = GetCurrentThreadId();
    for (const auto& [hdc, record] : Dcs()) {
        if (record.thread == self) Present(record);
    }
}

HDC MakeWindowDc(HWND hwnd, bool client, std::optional<RegionData> paintArea) {
    auto target = std::make_shared<CWindowDrawTarget>(hwnd, client, std::move(paintArea));
    CWindowDrawTarget* raw = target.get();
    return MakeDc(hwnd, std::move(target), raw);
}

// Shows on the display what a DC may have changed, and forgets the DC.
bool FinishDc(HDC hdc) {
    CDcRecord record;
    {
        UserGuard guard(UserLock());
        auto found = Dcs().find(hdc);
        if (found == Dcs().end()) return false;
        record = found->second;
        Dcs().erase(found);
        Present(record);
    }
    trelwin::gdi::unregister_object(hdc);
    return true;
}

std::optional<RegionData> RegionOf(HRGN hrgn) {
    auto region = trelwin::gdi::lookup<trelwin::gdi::RegionObject>(hrgn, trelwin::gdi::Kind::Region);
    if (!region) return std::nullopt;
    return region->data;
}

void ApplyRedraw(HWND hwnd, const RegionData* area, UINT flags) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(hwnd);
    if (!node || node->messageOnly || !IsShownChain(hwnd)) return;
    const RegionData bounds = RegionData::from_rect(ClientBounds(*node));
    const RegionData part = area ? RegionData::combine(*area, bounds, RGN_AND) : bounds;
    if (flags & RDW_INVALIDATE) {
        if (!node->redrawOff) {
            if (!part.empty()) {
                node->update = RegionData::combine(node->update, part, RGN_OR);
                if (flags & RDW_ERASE) node->erase = true;
            }
            if ((flags & RDW_FRAME) && HasFrame(*node)) node->ncPaint = true;
            if (flags & RDW_INTERNALPAINT) node->internalPaint = true;
        }
    } else if (flags & RDW_VALIDATE) {
        node->update = RegionData::combine(node->update, part, RGN_DIFF);
        if (node->update.empty() || (flags & RDW_NOERASE)) node->erase = false;
        if (flags & RDW_NOFRAME) node->ncPaint = false;
        if (flags & RDW_NOINTERNALPAINT) node->internalPaint = false;
    }
    NotePending(*node);
    const bool children = (flags & RDW_ALLCHILDREN) ||
                          (!(flags & RDW_NOCHILDREN) && !(StyleOf(hwnd) & WS_CLIPCHILDREN));
    if (children) {
        const std::vector<HWND> list = node->children;
        for (HWND child : list) {
            CWindowNode* c = FindNode(child);
            if (!c || !(StyleOf(child) & WS_VISIBLE) || !part.intersects(c->window)) continue;
            RegionData inner = RegionData::combine(part, RegionData::from_rect(c->window), RGN_AND);
            inner.offset(-(c->window.left + c->client.left), -(c->window.top + c->client.top));
            // The child's frame lies in the area too.
            ApplyRedraw(child, &inner, (flags & RDW_INVALIDATE) ? (flags | RDW_FRAME) : flags);
        }
    }
    WakeWindowThread(node->threadId);
}

// Paints the window and then its children now, each only when it waits for it.
void PaintNow(HWND hwnd, bool children) {
    bool needs = false;
    std::vector<HWND> list;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hwnd);
        if (!node) return;
        needs = NeedsPaint(*node) && IsShownChain(hwnd);
        if (children) list = node->children;
    }
    if (needs) SendMessageA(hwnd, WM_PAINT, 0, 0);
    for (HWND child : list) PaintNow(child, true);
}

}  // namespace

void WakeWindowThread(DWORD threadId) {
    if (threadId == GetCurrentThreadId()) return;  // the thread is not waiting: it is here
    std::shared_ptr<CMessageQueue> queue = CMessageQueue::Find(threadId);
    if (queue) queue->SignalSynthetic();
}

void InvalidateWindowArea(HWND hwnd, const RegionData* clientArea, UINT flags) {
    ApplyRedraw(hwnd, clientArea, flags & ~RDW_VALIDATE);
}

void InvalidateInParent(HWND parent, const RECT& area) {
    const RegionData region = RegionData::from_rect(area);
    ApplyRedraw(parent, &region, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void ForgetWindowPainting(HWND hwnd) {
    UserGuard guard(UserLock());
    Pending().erase(hwnd);
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
    std::vector<HWND> targets;
    if (hWnd == nullptr || hWnd == GetDesktopWindow()) {
        UserGuard guard(UserLock());
        targets = TopLevelOrder();
        flags |= RDW_ALLCHILDREN | RDW_FRAME;
    } else {
        if (!IsWindow(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        targets.push_back(hWnd);
    }
    std::optional<RegionData> area;
    if (hrgnUpdate) {
        area = RegionOf(hrgnUpdate);
        if (!area) return FALSE;
    } else if (lprcUpdate) {
        area = RegionData::from_rect(*lprcUpdate);
    }
    for (HWND target : targets) {
        if (flags & (RDW_INVALIDATE | RDW_VALIDATE)) ApplyRedraw(target, area ? &*area : nullptr, flags);
        if (flags & RDW_UPDATENOW) {
            PaintNow(target, !(flags & RDW_NOCHILDREN));
        } else if (flags & RDW_ERASENOW) {
            // Erasing alone: the background is drawn now, the rest waits for WM_PAINT.
            std::optional<RegionData> erase;
            {
                UserGuard guard(UserLock());
                CWindowNode* node = FindNode(target);
                if (node && node->erase && !node->update.empty()) {
                    erase = node->update;
                    node->erase = false;
                }
            }
            if (erase) {
                HDC hdc = MakeWindowDc(target, true, erase);
                SendMessageA(target, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
                FinishDc(hdc);
            }
        }
    }
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

BOOL WINAPI InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
    return RedrawWindow(hWnd, nullptr, hRgn, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI ValidateRgn(HWND hWnd, HRGN hRgn) {
    return RedrawWindow(hWnd, nullptr, hRgn, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    RECT box{};
    bool erase = false;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        box = node->update.box();
        erase = bErase && node->erase;
    }
    if (lpRect) *lpRect = box;
    if (erase) RedrawWindow(hWnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
    return box.right > box.left && box.bottom > box.top ? TRUE : FALSE;
}

int WINAPI GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
    auto region = trelwin::gdi::lookup<trelwin::gdi::RegionObject>(hRgn, trelwin::gdi::Kind::Region);
    if (!region) return ERROR;
    bool erase = false;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) return ERROR;
        region->data = node->update;
        erase = bErase && node->erase;
    }
    if (erase) RedrawWindow(hWnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
    return region->data.type();
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PaintNow(hWnd, true);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!lpPaint) return nullptr;
    RegionData area;
    bool erase = false, ncPaint = false;
    {
        UserGuard guard(UserLock());
        CWindowNode* node = FindNode(hWnd);
        if (!node) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        area = RegionData::combine(node->update, RegionData::from_rect(ClientBounds(*node)), RGN_AND);
        erase = node->erase;
        ncPaint = node->ncPaint;
        node->update = RegionData();
        node->erase = false;
        node->ncPaint = false;
        node->internalPaint = false;
        NotePending(*node);
    }
    CaretBeforePaint(hWnd);
    if (ncPaint) SendMessageA(hWnd, WM_NCPAINT, 1, 0);
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = MakeWindowDc(hWnd, true, area);
    lpPaint->rcPaint = area.box();
    lpPaint->fErase = TRUE;
    if (erase && !area.empty()) {
        lpPaint->fErase = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(lpPaint->hdc), 0) ? FALSE : TRUE;
    }
    return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint) return FALSE;
    FinishDc(lpPaint->hdc);
    CaretAfterPaint(hWnd);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd == nullptr || hWnd == GetDesktopWindow()) {
        return MakeDc(nullptr, std::make_shared<CScreenDrawTarget>(), nullptr);
    }
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeWindowDc(hWnd, true, std::nullopt);
}

HDC WINAPI GetWindowDC(HWND hWnd) {
    if (hWnd == nullptr || hWnd == GetDesktopWindow()) return GetDC(nullptr);
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeWindowDc(hWnd, false, std::nullopt);
}

int WINAPI ReleaseDC(HWND, HDC hDC) { return FinishDc(hDC) ? 1 : 0; }

HWND WINAPI WindowFromDC(HDC hDC) {
    UserGuard guard(UserLock());
    auto found = Dcs().find(hDC);
    return found == Dcs().end() ? nullptr : found->second.hwnd;
}

bool PeekPaintMessage(MSG& msg, HWND filter, bool) {
    const DWORD thread = GetCurrentThreadId();
    HWND found = nullptr;
    {
        UserGuard guard(UserLock());
        bool any = false;
        for (HWND hwnd : Pending()) {
            CWindowNode* node = FindNode(hwnd);
            if (node && node->threadId == thread) {
                any = true;
                break;
            }
        }
        if (!any) return false;
        for (HWND hwnd : WindowsOfThreadInPaintOrder(thread)) {
            if (filter && filter != reinterpret_cast<HWND>(-1) && hwnd != filter) continue;
            if (filter == reinterpret_cast<HWND>(-1)) break;  // thread messages only
            CWindowNode* node = FindNode(hwnd);
            if (node && NeedsPaint(*node) && IsShownChain(hwnd)) {
                found = hwnd;
                break;
            }
        }
    }
    if (!found) return false;
    msg = MSG{};
    msg.hwnd = found;
    msg.message = WM_PAINT;
    msg.time = GetTickCount();
    return true;
}

namespace trelwin::user {

bool ThreadHasPaintPending() {
    MSG msg;
    return PeekPaintMessage(msg, nullptr, false);
}

bool SaveWindowPng(HWND hwnd, const std::string& path, std::string* error) {
    UserGuard guard(UserLock());
    HWND top = TopLevelOf(hwnd);
    CWindowNode* node = FindNode(top);
    if (!node || !node->surface) {
        if (error) *error = "not a window with a surface";
        return false;
    }
    return trelwin::display::save_png(node->surface->surface, WindowRectInTop(hwnd), path, error);
}

bool SaveScreenPng(const std::string& path, std::string* error) {
    PresentOwnDcs();
    UserGuard guard(UserLock());
    trelwin::gdi::Surface& screen = trelwin::display::current().screen();
    return trelwin::display::save_png(screen, RECT{0, 0, screen.width, screen.height}, path, error);
}

bool CopyScreenBeneath(HWND hwnd, HDC hdc, int x, int y, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = trelwin::gdi::dib32_info(width, height);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) return false;
    PresentOwnDcs();
    {
        UserGuard guard(UserLock());
        trelwin::display::current().compose_beneath(reinterpret_cast<uintptr_t>(TopLevelOf(hwnd)), area,
                                                    static_cast<uint32_t*>(bits));
    }
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, section);
    const BOOL copied = BitBlt(hdc, x, y, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(section);
    return copied != FALSE;
}

COLORREF GetClientPixel(HWND hwnd, int x, int y) {
    UserGuard guard(UserLock());
    HWND top = TopLevelOf(hwnd);
    CWindowNode* node = FindNode(top);
    if (!node || !node->surface) return CLR_INVALID;
    const RECT client = ClientRectInTop(hwnd);
    const int sx = client.left + x, sy = client.top + y;
    const trelwin::gdi::Surface& s = node->surface->surface;
    if (sx < 0 || sy < 0 || sx >= s.width || sy >= s.height) return CLR_INVALID;
    return trelwin::gdi::pixel_to_colorref(s.get(sx, sy));
}

}  // namespace trelwin::user
