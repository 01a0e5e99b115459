#include "platform/user/window_surface.h"

#include <algorithm>
#include <cstring>

#include "platform/display/display.h"
#include "platform/user/caption.h"
#include "platform/user/geometry.h"
#include "platform/user/paint_internal.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

using trelwin::gdi::RegionData;

namespace {

RegionData WindowArea(HWND hwnd) {
    CWindowNode* node = FindNode(hwnd);
    const RECT r = WindowRectInTop(hwnd);
    RegionData area = RegionData::from_rect(r);
    if (node && node->shape) {
        RegionData shape = *node->shape;
        shape.offset(r.left, r.top);
        area = RegionData::combine(area, shape, RGN_AND);
    }
    return area;
}

RegionData Without(const RegionData& area, HWND other) {
    if (!(StyleOf(other) & WS_VISIBLE)) return area;
    return RegionData::combine(area, WindowArea(other), RGN_DIFF);
}

}  // namespace

bool CTopSurface::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == surface.width && height == surface.height && (surface.bits || width == 0 || height == 0)) return false;
    trelwin::gdi::resize_owned_pixels(surface, pixels, width, height);
    return true;
}

RegionData VisibleRegionInTop(HWND hwnd, bool client) {
    CWindowNode* node = FindNode(hwnd);
    if (!node || node->messageOnly || !IsShownChain(hwnd)) return RegionData();
    RegionData area = RegionData::from_rect(client ? ClientRectInTop(hwnd) : WindowRectInTop(hwnd));
    area = RegionData::combine(area, WindowArea(hwnd), RGN_AND);
    if (StyleOf(hwnd) & WS_CLIPCHILDREN) {
        for (HWND child : node->children) area = Without(area, child);
    }
    HWND current = hwnd;
    for (CWindowNode* at = node; at && at->parent; at = FindNode(at->parent)) {
        CWindowNode* parent = FindNode(at->parent);
        if (!parent) break;
        area = RegionData::combine(area, RegionData::from_rect(ClientRectInTop(at->parent)), RGN_AND);
        area = RegionData::combine(area, WindowArea(at->parent), RGN_AND);
        if (StyleOf(current) & WS_CLIPSIBLINGS) {
            for (HWND sibling : parent->children) {
                if (sibling == current) break;  // only the siblings above clip
                area = Without(area, sibling);
            }
        }
        current = at->parent;
    }
    return area;
}

void CWindowDrawTarget::Refresh() {
    const uint64_t generation = WindowGeneration();
    if (generation == m_generation && (m_top || m_topWindow == nullptr)) return;
    m_generation = generation;
    m_top.reset();
    m_topWindow = TopLevelOf(m_hwnd);
    CWindowNode* top = FindNode(m_topWindow);
    if (!top || !top->surface) {
        m_visible = RegionData();
        m_origin = POINT{0, 0};
        return;
    }
    m_top = top->surface;
    const RECT r = m_client ? ClientRectInTop(m_hwnd) : WindowRectInTop(m_hwnd);
    m_origin = POINT{r.left, r.top};
    m_visible = VisibleRegionInTop(m_hwnd, m_client);
    if (m_paintArea) {
        RegionData paint = *m_paintArea;
        paint.offset(m_origin.x, m_origin.y);
        m_visible = RegionData::combine(m_visible, paint, RGN_AND);
    }
}

trelwin::gdi::Surface* CWindowDrawTarget::surface() {
    UserGuard guard(UserLock());
    Refresh();
    return m_top ? &m_top->surface : &m_empty;
}

POINT CWindowDrawTarget::origin() {
    UserGuard guard(UserLock());
    Refresh();
    return m_origin;
}

const RegionData* CWindowDrawTarget::visible_region() {
    UserGuard guard(UserLock());
    Refresh();
    return &m_visible;
}

uint64_t CWindowDrawTarget::generation() { return WindowGeneration(); }

RegionData CWindowDrawTarget::ReachedArea() {
    UserGuard guard(UserLock());
    Refresh();
    return m_visible;
}

HWND CWindowDrawTarget::TopWindow() {
    UserGuard guard(UserLock());
    Refresh();
    return m_topWindow;
}

trelwin::gdi::Surface* CScreenDrawTarget::surface() {
    UserGuard guard(UserLock());
    return &trelwin::display::current().screen();
}

void SyncTopLevelHost(HWND top) {
    UserGuard guard(UserLock());
    CWindowNode* node = FindNode(top);
    if (!node || node->parent || node->messageOnly) return;
    if (!node->surface) node->surface = std::make_shared<CTopSurface>();
    // The display reads a surface only from the thread that wrote it: here,
    // when it was made anew for a size.
    const bool remade =
        node->surface->Resize(node->window.right - node->window.left, node->window.bottom - node->window.top);
    const DWORD style = StyleOf(top);
    const DWORD exStyle = ExStyleOf(top);
    trelwin::display::HostWindow host;
    host.id = reinterpret_cast<uintptr_t>(top);
    host.rect = node->window;
    host.visible = (style & WS_VISIBLE) != 0;
    host.minimized = (style & WS_MINIMIZE) != 0;
    // As on a task bar of the system the program was written for: unowned
    // windows and those that ask for it, but no tool windows.
    host.in_taskbar = !(exStyle & WS_EX_TOOLWINDOW) && (!node->owner || (exStyle & WS_EX_APPWINDOW));
    // A top-most tool-window popup (a tip) is shown without activation and
    // never takes the focus from the window the user works in.
    host.no_activate = (exStyle & WS_EX_NOACTIVATE) != 0 ||
                       ((style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW) && (exStyle & WS_EX_TOPMOST));
    host.title = WindowTextOf(top);
    host.icon = node->iconBig != nullptr ? node->iconBig : node->iconSmall;
    host.shape = node->shape;
    const CCaptionLayout caption = LayOutCaption(style, exStyle, node->window.right - node->window.left,
                                                 node->window.bottom - node->window.top);
    if (caption.present) {
        // The caption up to its buttons, which stay the window's own.
        host.caption = caption.bar;
        host.caption.bottom += 1;
        for (const RECT* box : {&caption.minimize, &caption.close}) {
            if (box->right > box->left) host.caption.right = std::min(host.caption.right, box->left - 2);
        }
    }
    trelwin::display::current().update_host(host, remade ? &node->surface->surface : nullptr);
}

void RemoveTopLevelHost(HWND top) {
    UserGuard guard(UserLock());
    trelwin::display::current().remove_host(reinterpret_cast<uintptr_t>(top));
}

void RestackHosts() {
    UserGuard guard(UserLock());
    std::vector<uintptr_t> ids;
    for (HWND top : TopLevelOrder()) ids.push_back(reinterpret_cast<uintptr_t>(top));
    trelwin::display::current().restack(ids);
}
