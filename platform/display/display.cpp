#include "platform/display/display.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/internal/dc_state.h"

namespace trelwin::display {

namespace {

std::unique_ptr<Display>& current_slot() {
    static std::unique_ptr<Display>* slot = new std::unique_ptr<Display>;  // used by threads ending at exit
    return *slot;
}

std::mutex& sink_lock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

EventSink& sink() {
    static EventSink* s = new EventSink;
    return *s;
}

// Whether the window is on the screen (a minimised one is only an icon).
bool on_screen(const HostWindow& host) { return host.visible && !host.minimized; }

// The host whose changes the calling thread is applying (FollowingHost).
thread_local uintptr_t t_following = 0;

SIZE host_size(const HostWindow& host) {
    return SIZE{std::max<LONG>(host.rect.right - host.rect.left, 0), std::max<LONG>(host.rect.bottom - host.rect.top, 0)};
}

// Copies the area (window coordinates) from one window-sized surface to
// another, as far as both reach.
void copy_area(const Surface& from, Surface& to, const RegionData& area) {
    const LONG width = std::min(from.width, to.width), height = std::min(from.height, to.height);
    if (!from.bits || !to.bits || width <= 0 || height <= 0) return;
    const RegionData clipped = RegionData::combine(area, RegionData::from_rect(RECT{0, 0, width, height}), RGN_AND);
    for (const RECT& r : clipped.rects()) {
        for (LONG y = r.top; y < r.bottom; ++y) {
            std::memcpy(to.row32(y) + r.left, from.row32(y) + r.left, static_cast<size_t>(r.right - r.left) * 4);
        }
    }
}

RegionData host_area(const HostWindow& host) {
    RegionData area = RegionData::from_rect(RECT{0, 0, host.rect.right - host.rect.left, host.rect.bottom - host.rect.top});
    if (host.shape) area = RegionData::combine(area, *host.shape, RGN_AND);
    area.offset(host.rect.left, host.rect.top);
    return area;
}

}  // namespace

std::unique_ptr<Display> make_headless(int width, int height, int dpi);

Display::Display(SIZE screen, int dpi) : dpi_(dpi) {
    screen_.width = std::max<LONG>(screen.cx, 1);
    screen_.height = std::max<LONG>(screen.cy, 1);
    screen_.stride = static_cast<ptrdiff_t>(screen_.width) * 4;
    gdi::set_screen_size(screen_.width, screen_.height);  // what GetDeviceCaps reports
    gdi::set_screen_dpi(dpi_);
}

const HostWindow* Display::host(uintptr_t id) const {
    for (const auto& h : hosts_) {
        if (h.id == id) return &h;
    }
    return nullptr;
}

void Display::Picture::resize(int width, int height) {
    if (width == surface.width && height == surface.height) return;
    resize_owned_pixels(surface, pixels, width, height);
}

void Display::update_host(const HostWindow& host, const Surface* whole) {
    Picture& picture = pictures_[host.id];
    const SIZE size = host_size(host);
    picture.resize(size.cx, size.cy);
    if (whole) copy_area(*whole, picture.surface, RegionData::from_rect(RECT{0, 0, size.cx, size.cy}));
    RegionData dirty;
    auto it = std::find_if(hosts_.begin(), hosts_.end(), [&](const HostWindow& h) { return h.id == host.id; });
    if (it == hosts_.end()) {
        hosts_.insert(hosts_.begin(), host);
        it = hosts_.begin();
    } else {
        if (on_screen(*it)) dirty = host_area(*it);
        *it = host;
    }
    if (on_screen(host)) dirty = RegionData::combine(dirty, host_area(host), RGN_OR);
    recompose(dirty);
    host_updated(*it, t_following == host.id);
    if (on_screen(host)) host_changed(*it, picture.surface, RegionData::from_rect(RECT{0, 0, size.cx, size.cy}));
}

void Display::remove_host(uintptr_t id) {
    auto it = std::find_if(hosts_.begin(), hosts_.end(), [&](const HostWindow& h) { return h.id == id; });
    if (it == hosts_.end()) return;
    RegionData dirty = on_screen(*it) ? host_area(*it) : RegionData();
    hosts_.erase(it);
    pictures_.erase(id);
    recompose(dirty);
    if (active_ == id) active_ = 0;
    host_removed(id);
}

void Display::restack(const std::vector<uintptr_t>& top_first) {
    std::vector<HostWindow> ordered;
    for (uintptr_t id : top_first) {
        auto it = std::find_if(hosts_.begin(), hosts_.end(), [&](const HostWindow& h) { return h.id == id; });
        if (it != hosts_.end()) ordered.push_back(std::move(*it));
    }
    bool changed = ordered.size() != hosts_.size();
    for (size_t i = 0; !changed && i < ordered.size(); ++i) changed = ordered[i].id != hosts_[i].id;
    if (!changed) {
        hosts_ = std::move(ordered);
        return;
    }
    hosts_ = std::move(ordered);
    RegionData dirty;
    for (const auto& h : hosts_) {
        if (on_screen(h)) dirty = RegionData::combine(dirty, host_area(h), RGN_OR);
    }
    recompose(dirty);
    hosts_restacked();
}

void Display::present(uintptr_t id, const Surface& surface, const RegionData& changed) {
    const HostWindow* h = host(id);
    if (!h) return;
    // A hidden window keeps what it drew for when it shows again.
    Picture& picture = pictures_[id];
    copy_area(surface, picture.surface, changed);
    if (!on_screen(*h)) return;
    RegionData area = changed;
    area.offset(h->rect.left, h->rect.top);
    area = RegionData::combine(area, host_area(*h), RGN_AND);
    for (const RECT& r : area.rects()) presented_pixels_ += static_cast<uint64_t>(r.right - r.left) * (r.bottom - r.top);
    recompose(area);
    host_changed(*h, picture.surface, changed);
}

Surface& Display::screen() {
    if (pixels_.empty()) {
        pixels_.assign(static_cast<size_t>(screen_.width) * screen_.height, kDesktopPixel);
        screen_.bits = reinterpret_cast<uint8_t*>(pixels_.data());
        recompose(RegionData::from_rect(RECT{0, 0, screen_.width, screen_.height}));
    }
    return screen_;
}

void Display::recompose(const RegionData& area) {
    if (pixels_.empty()) return;  // nobody has asked for the screen yet
    const RegionData clipped =
        RegionData::combine(area, RegionData::from_rect(RECT{0, 0, screen_.width, screen_.height}), RGN_AND);
    if (clipped.empty()) return;
    for (const RECT& r : clipped.rects()) {
        for (LONG y = r.top; y < r.bottom; ++y) std::fill_n(screen_.row32(y) + r.left, r.right - r.left, kDesktopPixel);
    }
    for (auto it = hosts_.rbegin(); it != hosts_.rend(); ++it) {
        copy_host(*it, clipped, screen_.row32(0), screen_.stride / 4, POINT{0, 0});
    }
}

void Display::copy_host(const HostWindow& host, const RegionData& area, uint32_t* out, LONG stride,
                        POINT origin) const {
    const auto picture = pictures_.find(host.id);
    if (!on_screen(host) || picture == pictures_.end() || !picture->second.surface.bits) return;
    const RegionData target = RegionData::combine(area, host_area(host), RGN_AND);
    const Surface& s = picture->second.surface;
    for (const RECT& r : target.rects()) {
        for (LONG y = r.top; y < r.bottom; ++y) {
            const LONG sy = y - host.rect.top;
            const LONG sx = r.left - host.rect.left;
            if (sy < 0 || sy >= s.height || sx < 0) continue;
            const LONG n = std::min<LONG>(r.right - r.left, s.width - sx);
            if (n > 0)
                std::memcpy(out + static_cast<size_t>(y - origin.y) * stride + (r.left - origin.x), s.row32(sy) + sx,
                            static_cast<size_t>(n) * 4);
        }
    }
}

void Display::compose_beneath(uintptr_t id, const RECT& area, uint32_t* out) const {
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    std::fill_n(out, static_cast<size_t>(width) * height, kDesktopPixel);
    const RegionData area_region = RegionData::from_rect(area);
    for (auto it = hosts_.rbegin(); it != hosts_.rend() && it->id != id; ++it) {
        copy_host(*it, area_region, out, width, POINT{area.left, area.top});
    }
}

void Display::set_active(uintptr_t id) {
    if (id == active_) return;
    active_ = id;
    host_activated(id, id != 0 && t_following == id);
}

FollowingHost::FollowingHost(uintptr_t id) : previous_(t_following) { t_following = id; }

FollowingHost::~FollowingHost() { t_following = previous_; }

Display& current() {
    auto& slot = current_slot();
    if (!slot) slot = make_headless(1024, 768, 0);
    return *slot;
}

void use_headless(int width, int height, int dpi) { current_slot() = make_headless(width, height, dpi); }

void install_display(std::unique_ptr<Display> display) { current_slot() = std::move(display); }

void shutdown() { current_slot().reset(); }

void set_event_sink(EventSink s) {
    std::lock_guard<std::mutex> lock(sink_lock());
    sink() = std::move(s);
}

void deliver(const HostEvent& event) {
    EventSink s;
    {
        std::lock_guard<std::mutex> lock(sink_lock());
        s = sink();
    }
    if (s) s(event);
}

}  // namespace trelwin::display
