// The host display: every top-level window gets an SDL window of its own,
// drawn from the window's surface; host input comes back as events.
//
// SDL runs on a thread of its own. The window system's calls (under its
// lock) only copy what changed into the host's own buffer and wake that
// thread, so no window thread ever waits for the host; the host thread
// hands input to the event sink without holding anything.
//
// Only the host thread talks to the host. The wake is ours (a descriptor
// the host thread watches next to the X connection), not an SDL event:
// pushed from another thread, an SDL event makes SDL send a message to one
// of its windows from that thread, on a connection of its own, where it can
// arrive after the host thread has destroyed that window.
//
// The host windows have no decorations of the host: the frame and caption
// are the program's own. With a window manager, a drag on the caption is
// left to it (it moves the window, snapping and all) and so is minimising;
// without one, the program moves the window itself and cannot minimise it
// (nothing would bring it back). What the host does to a window by itself
// is reported as an event and followed by the window system; what the
// program asks goes to the host once, and the host's report of it is not
// passed on as if the host had done it.
#include <SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "platform/base/process.h"
#include "platform/base/program_end.h"
#include "platform/display/display.h"
#include "platform/display/sdl_keys.h"
#include "platform/display/x11_desktop.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::display {

namespace {

// At most this many positions asked of the host wait for its report.
constexpr size_t kMovesRemembered = 64;

bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
bool Same(bool a, bool b) { return a == b; }

struct HostCopy {
    HostWindow desc;
    std::vector<uint32_t> pixels;  // the window's pixels as last presented
    int width = 0;
    int height = 0;
    RegionData dirty;
    bool changed = true;   // rectangle, title or visibility
    bool removed = false;
    bool shapeChanged = false;
    SDL_Window* window = nullptr;
    // Where the host has the window and whether it has it minimised, as far
    // as the program knows: what the program asked, or followed.
    POINT placed{};
    bool hostMinimized = false;
    // Asked of the host and not reported back yet.
    std::deque<POINT> movesAsked;
    std::deque<bool> minimizeAsked;
    bool minimizeRefused = false;  // told the program once for this request
    HICON iconShown = nullptr;     // the icon the host window was given
};

// An icon or cursor as an ARGB picture for the host: the image's own alpha
// where it has one; else opaque where the mask keeps the image and clear
// where it keeps the screen (the screen inverted, which a picture cannot
// show, comes out black). Null when the handle is no icon.
SDL_Surface* IconPicture(HICON handle) {
    auto icon = gdi::lookup<gdi::IconObject>(handle, gdi::Kind::Icon);
    if (!icon || !icon->mask) return nullptr;
    const int w = icon->width, h = icon->height;
    const gdi::Surface* image = icon->colour ? &icon->colour->surface : nullptr;
    bool alpha = false;
    for (int y = 0; image && image->bpp == 32 && !alpha && y < h; ++y) {
        for (int x = 0; x < w && !alpha; ++x) alpha = (image->get(x, y) >> 24) != 0;
    }
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!picture) return nullptr;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(picture->pixels) + y * picture->pitch);
        for (int x = 0; x < w; ++x) {
            if (alpha) {
                row[x] = image->get(x, y);
                continue;
            }
            const bool andBit = (icon->mask->surface.get(x, y) & 0xFFFFFF) != 0;
            const uint32_t colour = image ? image->get(x, y) & 0xFFFFFF
                                          : ((icon->mask->surface.get(x, y + h) & 0xFFFFFF) ? 0xFFFFFF : 0);
            row[x] = andBit ? (colour ? 0xFF000000u : 0u) : (0xFF000000u | colour);
        }
    }
    return picture;
}

// The SDL video driver for the desktop the environment names: X when
// DISPLAY is set (the X helpers need it), else Wayland.
const char* HostVideoDriver() {
    const char* x = std::getenv("DISPLAY");
    return x && *x ? "x11" : "wayland";
}

class SdlDisplay : public Display {
public:
    SdlDisplay(SIZE screen, int dpi) : Display(screen, dpi) {}
    ~SdlDisplay() override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
        }
        wake();
        if (!thread_.joinable()) return;
        // An end started on the host thread itself cannot wait for it.
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
            return;  // the descriptor stays: the host thread may still look at it
        }
        thread_.join();
        if (wake_fd_ >= 0) close(wake_fd_);
    }

    const char* name() const override { return "sdl"; }

    // Starts the host thread; the screen size or an error. The resolution
    // goes to *resolution.
    static std::unique_ptr<SdlDisplay> open(std::string* error, ScreenResolution* resolution) {
        std::promise<std::pair<bool, SIZE>> started;
        auto result = started.get_future();
        auto thread = std::thread([&started, error, resolution]() mutable {
            // Window surfaces are plain memory: no graphics library is loaded for them.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            // SIGINT and SIGTERM are the program's (trelwin::EndProgramOnSignals).
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            // Held until SDL has its own connection (see ServerConnection).
            std::optional<x11::ServerConnection> held;
            held.emplace();
            ResolutionSources sources = held->resolution_sources();
            sources.override_text = std::getenv("TRELWIN_DPI");
            *resolution = choose_resolution(sources);
            // Only a driver that shows windows on the desktop will do: when it
            // cannot start, SDL would go on with one that shows nothing, and
            // the program would run where nobody can see or end it.
            const char* driver = HostVideoDriver();
            SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
            // A click that gives a window the focus is a click like any other.
            // SDL drops a press that it reads within 10 ms of the window's
            // focus event: on a busy machine, or with a quick hand, the press
            // and the focus are read together and the click is lost.
            SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
            // Before SDL starts: SDL keeps the handlers it finds and puts them
            // back when it quits, while it closes its connections.
            x11::install_error_handlers();
            const bool initialised = SDL_Init(SDL_INIT_VIDEO) == 0;
            held.reset();
            if (!initialised) {
                *error = SDL_GetError();
                SDL_Quit();  // frees what SDL kept (the hints) even when it did not start
                started.set_value({false, SIZE{}});
                return;
            }
            const char* running = SDL_GetCurrentVideoDriver();
            if (!running || std::strcmp(running, driver) != 0) {
                *error = std::string("no ") + driver + " video driver";
                SDL_Quit();
                started.set_value({false, SIZE{}});
                return;
            }
            // SDL put a handler of its own in front, which ends in ours; ours
            // goes back in front, so that nothing on the way can stop the
            // program for a window that is gone.
            x11::install_error_handlers();
            SDL_DisplayMode mode{};
            if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
                *error = SDL_GetError();
                SDL_Quit();
                started.set_value({false, SIZE{}});
                return;
            }
            started.set_value({true, SIZE{mode.w, mode.h}});
            // The display object takes over below; this thread waits for it.
            std::unique_lock<std::mutex> guard(pending_lock());
            pending_ready().wait(guard, [] { return pending_display() != nullptr; });
            SdlDisplay* self = pending_display();
            pending_display() = nullptr;
            guard.unlock();
            self->run();
            SDL_Quit();
        });
        auto [ok, size] = result.get();
        if (!ok) {
            thread.join();
            return nullptr;
        }
        auto display = std::make_unique<SdlDisplay>(size, resolution->dpi);
        display->thread_ = std::move(thread);
        {
            std::lock_guard<std::mutex> guard(pending_lock());
            pending_display() = display.get();
        }
        pending_ready().notify_all();
        return display;
    }

    void set_cursor(HCURSOR cursor) override {
        Display::set_cursor(cursor);
        std::lock_guard<std::mutex> guard(lock_);
        cursor_ = cursor;
        cursor_changed_ = true;
        wake_locked();
    }

    void flush() override {
        std::unique_lock<std::mutex> guard(lock_);
        wake_locked();
        idle_.wait_for(guard, std::chrono::seconds(2), [this] { return work_done_ >= work_asked_; });
    }

protected:
    void host_updated(const HostWindow& host, bool following) override {
        std::lock_guard<std::mutex> guard(lock_);
        HostCopy& copy = copies_[host.id];
        if (copy.desc.shape != host.shape) copy.shapeChanged = true;
        copy.desc = host;
        copy.changed = true;
        copy.removed = false;
        if (following) {
            copy.placed = POINT{host.rect.left, host.rect.top};
            copy.hostMinimized = host.minimized;
        }
        wake_locked();
    }

    void host_activated(uintptr_t id, bool following) override {
        std::lock_guard<std::mutex> guard(lock_);
        raise_ = following ? 0 : id;
        wake_locked();
    }

    void host_changed(const HostWindow& host, const Surface& s, const RegionData& area) override {
        if (!s.bits) return;
        std::lock_guard<std::mutex> guard(lock_);
        HostCopy& copy = copies_[host.id];
        if (copy.width != s.width || copy.height != s.height) {
            copy.width = s.width;
            copy.height = s.height;
            copy.pixels.assign(static_cast<size_t>(s.width) * s.height, 0);
            copy.dirty = RegionData::from_rect(RECT{0, 0, s.width, s.height});
            for (int y = 0; y < s.height; ++y) {
                std::memcpy(copy.pixels.data() + static_cast<size_t>(y) * s.width, s.row32(y), s.width * 4);
            }
        } else {
            const RegionData clipped = RegionData::combine(area, RegionData::from_rect(RECT{0, 0, s.width, s.height}), RGN_AND);
            for (const RECT& r : clipped.rects()) {
                for (LONG y = r.top; y < r.bottom; ++y) {
                    std::memcpy(copy.pixels.data() + static_cast<size_t>(y) * s.width + r.left, s.row32(y) + r.left,
                                static_cast<size_t>(r.right - r.left) * 4);
                }
            }
            copy.dirty = RegionData::combine(copy.dirty, clipped, RGN_OR);
        }
        wake_locked();
    }

    void host_removed(uintptr_t id) override {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = copies_.find(id);
        if (found != copies_.end()) found->second.removed = true;
        wake_locked();
    }

private:
    static std::mutex& pending_lock() {
        static std::mutex m;
        return m;
    }
    static std::condition_variable& pending_ready() {
        static std::condition_variable c;
        return c;
    }
    static SdlDisplay*& pending_display() {
        static SdlDisplay* d = nullptr;
        return d;
    }

    void wake() {
        std::lock_guard<std::mutex> guard(lock_);
        wake_locked();
    }
    void wake_locked() {
        ++work_asked_;
        const uint64_t one = 1;
        if (wake_fd_ >= 0) (void)!write(wake_fd_, &one, sizeof one);
    }

    // Until the window system or the host has something for the host
    // thread, or a short while has passed (SDL keeps timers of its own).
    void wait_for_work() {
        if (host_fd_ < 0) host_fd_ = x11::connection_fd(any_window());
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {host_fd_, POLLIN, 0}};
        const int watched = fds[1].fd >= 0 ? 2 : 1;
        // Without a connection to watch, host input is looked for often.
        if (poll(fds, watched, watched == 2 ? 50 : 10) > 0 && (fds[0].revents & POLLIN)) {
            uint64_t count = 0;
            (void)!read(wake_fd_, &count, sizeof count);
        }
    }

    // Any host window, or null (host thread).
    SDL_Window* any_window() {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& [id, copy] : copies_) {
            if (copy.window) return copy.window;
        }
        return nullptr;
    }

    // The caption is the window manager's to drag where there is one that
    // moves windows; otherwise the press goes to the window, which moves
    // itself.
    static SDL_HitTestResult hit_test(SDL_Window* window, const SDL_Point* pt, void* data) {
        auto* self = static_cast<SdlDisplay*>(data);
        bool onCaption = false;
        {
            std::lock_guard<std::mutex> guard(self->lock_);
            for (auto& [id, copy] : self->copies_) {
                if (copy.window != window) continue;
                const RECT& c = copy.desc.caption;
                onCaption = pt->x >= c.left && pt->x < c.right && pt->y >= c.top && pt->y < c.bottom;
            }
        }
        return onCaption && x11::window_manager_moves(window) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
    }

    SDL_Window* create(HostCopy& copy, int w, int h) {
        const RECT& r = copy.desc.rect;
        Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
        // A window that never takes the focus is one the window manager
        // leaves alone; a helper window of the program stays off the task bar.
        if (copy.desc.no_activate) flags |= SDL_WINDOW_TOOLTIP;
        else if (!copy.desc.in_taskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
        SDL_Window* window = SDL_CreateWindow(copy.desc.title.c_str(), r.left, r.top, w, h, flags);
        if (!window) return nullptr;
        // The window's surface may make SDL build the host window anew:
        // before anything is set on it.
        SDL_GetWindowSurface(window);
        x11::use_screen_colormap(window);
        SDL_SetWindowHitTest(window, hit_test, this);
        copy.placed = POINT{r.left, r.top};
        copy.hostMinimized = false;
        copy.iconShown = nullptr;
        copy.dirty = RegionData::from_rect(RECT{0, 0, w, h});
        copy.shapeChanged = copy.desc.shape.has_value();
        return window;
    }

    // Shows the window; one that must not take the focus gives back what
    // SDL gave it.
    void show(HostCopy& copy) {
        const unsigned long focus = copy.desc.no_activate ? x11::focus_window(copy.window) : 0;
        SDL_ShowWindow(copy.window);
        if (copy.desc.no_activate) x11::keep_focus_off(copy.window, focus);
    }

    // Brings the host's minimised state to the program's. Without a window
    // manager nothing would bring a minimised window back: the request is
    // refused and the program told so.
    void minimize(uintptr_t id, HostCopy& copy, std::vector<HostEvent>& refusals) {
        if (!copy.desc.minimized) copy.minimizeRefused = false;
        if (copy.desc.minimized == copy.hostMinimized) return;
        if (copy.desc.minimized && !x11::window_manager_runs(copy.window)) {
            if (copy.minimizeRefused) return;
            copy.minimizeRefused = true;
            HostEvent refused;
            refused.kind = HostEvent::Restored;
            refused.id = id;
            refusals.push_back(refused);
            return;
        }
        if (copy.desc.minimized) {
            SDL_MinimizeWindow(copy.window);
        } else {
            SDL_RestoreWindow(copy.window);
        }
        copy.hostMinimized = copy.desc.minimized;
        copy.minimizeAsked.push_back(copy.desc.minimized);
    }

    void place(HostCopy& copy, int w, int h) {
        const RECT& r = copy.desc.rect;
        if (!Same(copy.placed, POINT{r.left, r.top})) {
            SDL_SetWindowPosition(copy.window, r.left, r.top);
            copy.placed = POINT{r.left, r.top};
            copy.movesAsked.push_back(copy.placed);
            if (copy.movesAsked.size() > kMovesRemembered) copy.movesAsked.pop_front();
        }
        int cw = 0, ch = 0;
        SDL_GetWindowSize(copy.window, &cw, &ch);
        if (cw != w || ch != h) {
            SDL_SetWindowSize(copy.window, w, h);
            copy.dirty = RegionData::from_rect(RECT{0, 0, w, h});
            copy.shapeChanged = copy.desc.shape.has_value();
        }
    }

    // Brings the SDL windows up to date; runs on the host thread.
    void apply() {
        std::vector<std::pair<SDL_Window*, std::vector<SDL_Rect>>> updates;
        std::vector<HostEvent> refusals;
        std::unique_lock<std::mutex> guard(lock_);
        const uint64_t asked = work_asked_;
        for (auto it = copies_.begin(); it != copies_.end();) {
            HostCopy& copy = it->second;
            if (copy.removed) {
                if (copy.window) SDL_DestroyWindow(copy.window);
                it = copies_.erase(it);
                continue;
            }
            const RECT& r = copy.desc.rect;
            const int w = std::max<int>(r.right - r.left, 1), h = std::max<int>(r.bottom - r.top, 1);
            if (copy.changed) {
                copy.changed = false;
                if (!copy.window && copy.desc.visible) {
                    copy.window = create(copy, w, h);
                    // Asked again on the next pass (at most 50 ms later)
                    // rather than never shown.
                    if (!copy.window) copy.changed = true;
                }
                if (copy.window) {
                    SDL_SetWindowTitle(copy.window, copy.desc.title.c_str());
                    if (copy.desc.icon != copy.iconShown) show_icon(copy);
                    place(copy, w, h);
                    if (copy.shapeChanged) {
                        x11::apply_shape(copy.window, copy.desc.shape, w, h);
                        copy.shapeChanged = false;
                    }
                    const bool shown = (SDL_GetWindowFlags(copy.window) & SDL_WINDOW_SHOWN) != 0;
                    if (copy.desc.visible && !shown) show(copy);
                    if (!copy.desc.visible && shown) SDL_HideWindow(copy.window);
                    if (copy.desc.visible) minimize(it->first, copy, refusals);
                }
            }
            if (copy.window && copy.desc.visible && !copy.dirty.empty() && !copy.pixels.empty()) {
                SDL_Surface* target = SDL_GetWindowSurface(copy.window);
                if (target) {
                    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
                        copy.pixels.data(), copy.width, copy.height, 32, copy.width * 4, SDL_PIXELFORMAT_XRGB8888);
                    std::vector<SDL_Rect> rects;
                    for (const RECT& d : copy.dirty.rects()) {
                        SDL_Rect sr{d.left, d.top, d.right - d.left, d.bottom - d.top};
                        SDL_Rect dr = sr;
                        if (source) SDL_BlitSurface(source, &sr, target, &dr);
                        rects.push_back(sr);
                    }
                    if (source) SDL_FreeSurface(source);
                    updates.emplace_back(copy.window, std::move(rects));
                }
                copy.dirty = RegionData();
            }
            ++it;
        }
        raise_active();
        if (cursor_changed_) {
            cursor_changed_ = false;
            apply_cursor();
        }
        guard.unlock();
        for (auto& [window, rects] : updates) {
            SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
        }
        for (const HostEvent& refused : refusals) deliver(refused);
        guard.lock();
        work_done_ = asked;
        idle_.notify_all();
    }

    // The window that the program activated takes the host's focus once it
    // is on the screen (lock held).
    void raise_active() {
        if (raise_ == 0) return;
        auto found = copies_.find(raise_);
        if (found == copies_.end()) {
            raise_ = 0;
            return;
        }
        const HostCopy& copy = found->second;
        if (!copy.window || !copy.desc.visible || copy.desc.minimized || copy.desc.no_activate) return;
        SDL_RaiseWindow(copy.window);
        // Without a window manager nobody else gives the focus (a window that
        // took it, a message box, may have gone with it).
        if (!x11::window_manager_runs(copy.window)) SDL_SetWindowInputFocus(copy.window);
        raise_ = 0;
    }

    // The window's icon, for the task bar and the window manager (lock held).
    static void show_icon(HostCopy& copy) {
        copy.iconShown = copy.desc.icon;
        if (SDL_Surface* picture = IconPicture(copy.desc.icon)) {
            SDL_SetWindowIcon(copy.window, picture);
            SDL_FreeSurface(picture);
        }
    }

    // The cursor's image as an SDL colour cursor (lock held).
    void apply_cursor() {
        auto icon = gdi::lookup<gdi::IconObject>(cursor_, gdi::Kind::Icon);
        SDL_Surface* image = icon ? IconPicture(cursor_) : nullptr;
        if (!image) {
            SDL_ShowCursor(cursor_ ? SDL_ENABLE : SDL_DISABLE);
            return;
        }
        SDL_Cursor* next = SDL_CreateColorCursor(image, static_cast<int>(icon->hotspot_x), static_cast<int>(icon->hotspot_y));
        SDL_FreeSurface(image);
        if (next) {
            SDL_SetCursor(next);
            if (sdl_cursor_) SDL_FreeCursor(sdl_cursor_);
            sdl_cursor_ = next;
        }
        SDL_ShowCursor(SDL_ENABLE);
    }

    // The host window's id, and the copy (lock held).
    uintptr_t host_of(Uint32 windowId, HostCopy** found = nullptr) {
        SDL_Window* window = SDL_GetWindowFromID(windowId);
        for (auto& [id, copy] : copies_) {
            if (copy.window == window && window) {
                if (found) *found = &copy;
                return id;
            }
        }
        return 0;
    }

    // A mouse event's screen position: the X event's own, or else SDL's
    // window position (which may be behind a window being moved).
    POINT screen_point(Uint32 windowId, int x, int y) {
        if (root_) {
            const POINT pt{root_->x, root_->y};
            root_.reset();
            return pt;
        }
        int wx = 0, wy = 0;
        if (SDL_Window* window = SDL_GetWindowFromID(windowId)) SDL_GetWindowPosition(window, &wx, &wy);
        return POINT{wx + x, wy + y};
    }

    // Whether the host's report is the answer to what the program asked
    // (lock held); the answer and what was asked before it are done with.
    template <typename T>
    static bool answers(std::deque<T>& asked, const T& reported) {
        auto found = std::find_if(asked.begin(), asked.end(), [&](const T& a) { return Same(a, reported); });
        if (found == asked.end()) {
            asked.clear();  // the host went its own way; older requests are past
            return false;
        }
        asked.erase(asked.begin(), found + 1);
        return true;
    }

    // A window event as what the host did by itself, or nothing (false).
    bool window_event(const SDL_WindowEvent& e, HostEvent& out) {
        std::lock_guard<std::mutex> guard(lock_);
        HostCopy* copy = nullptr;
        out.id = host_of(e.windowID, &copy);
        if (out.id == 0) return false;
        switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE: out.kind = HostEvent::Close; return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = HostEvent::Activate; return true;
        case SDL_WINDOWEVENT_MOVED: {
            out.kind = HostEvent::Moved;
            out.pt = POINT{e.data1, e.data2};
            if (answers(copy->movesAsked, out.pt)) return false;
            // SDL reports a move it waited for in vain as where the window
            // was: the server says where it is, and where the program put
            // it is no news.
            if (const auto now = x11::position(copy->window)) out.pt = POINT{now->x, now->y};
            return !Same(out.pt, copy->placed);
        }
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED: {
            const bool minimized = e.event == SDL_WINDOWEVENT_MINIMIZED;
            out.kind = minimized ? HostEvent::Minimized : HostEvent::Restored;
            return !answers(copy->minimizeAsked, minimized);
        }
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.kind = HostEvent::Resized;
            out.size = SIZE{e.data1, e.data2};
            return true;
        case SDL_WINDOWEVENT_EXPOSED:
            copy->dirty = RegionData::from_rect(RECT{0, 0, copy->width, copy->height});
            return false;
        default: return false;
        }
    }

    void translate(const SDL_Event& e) {
        HostEvent out;
        switch (e.type) {
        case SDL_SYSWMEVENT:
            if (auto root = x11::root_position(e)) root_ = root;
            return;
        case SDL_MOUSEMOTION: {
            out.kind = HostEvent::MouseMove;
            out.pt = screen_point(e.motion.windowID, e.motion.x, e.motion.y);
            std::lock_guard<std::mutex> guard(lock_);
            out.id = host_of(e.motion.windowID);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            out.kind = e.type == SDL_MOUSEBUTTONDOWN ? HostEvent::ButtonDown : HostEvent::ButtonUp;
            out.pt = screen_point(e.button.windowID, e.button.x, e.button.y);
            out.button = e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
            std::lock_guard<std::mutex> guard(lock_);
            out.id = host_of(e.button.windowID);
            break;
        }
        case SDL_MOUSEWHEEL: {
            out.kind = HostEvent::Wheel;
            out.delta = e.wheel.y * 120;
            std::lock_guard<std::mutex> guard(lock_);
            out.id = host_of(e.wheel.windowID);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            out.kind = e.type == SDL_KEYDOWN ? HostEvent::KeyDown : HostEvent::KeyUp;
            out.vk = VirtualKey(e.key.keysym.sym);
            if (out.vk == 0) return;
            std::lock_guard<std::mutex> guard(lock_);
            out.id = host_of(e.key.windowID);
            break;
        }
        case SDL_WINDOWEVENT:
            if (!window_event(e.window, out)) return;
            break;
        default:
            return;
        }
        deliver(out);
    }

    void run() {
        // The X events behind the mouse events carry their screen position.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_) break;
            }
            apply();
            // Every event the host has sent so far: nothing is left in the
            // connection's buffers when the wait below starts.
            SDL_Event e;
            while (SDL_PollEvent(&e)) translate(e);
            wait_for_work();
        }
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& [id, copy] : copies_) {
            if (copy.window) SDL_DestroyWindow(copy.window);
        }
        copies_.clear();
        if (sdl_cursor_) SDL_FreeCursor(sdl_cursor_);
    }

    std::thread thread_;
    std::mutex lock_;
    std::condition_variable idle_;
    std::map<uintptr_t, HostCopy> copies_;
    uint64_t work_asked_ = 0;
    uint64_t work_done_ = 0;
    bool stop_ = false;
    const int wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);  // written to wake the host thread
    int host_fd_ = -1;  // host thread only: the X connection, once a window showed it
    HCURSOR cursor_ = nullptr;
    bool cursor_changed_ = false;
    uintptr_t raise_ = 0;  // activated by the program, to be given the host's focus
    SDL_Cursor* sdl_cursor_ = nullptr;
    std::optional<SDL_Point> root_;  // host thread only: the last pointer event's screen position
};

}  // namespace

namespace {

// Opens and installs the SDL display; the reason when it cannot. Says what
// was wrong with a resolution asked for, and which one is used.
bool open_host_display(std::string* error) {
    ScreenResolution resolution;
    std::unique_ptr<SdlDisplay> display = SdlDisplay::open(error, &resolution);
    if (!resolution.complaint.empty()) std::fprintf(stderr, "trelwin: %s\n", resolution.complaint.c_str());
    if (!display) return false;
    install_display(std::move(display));
    OutputDebugStringA(("screen resolution " + std::to_string(resolution.dpi) + " dpi (" + resolution.source +
                        ")\n").c_str());
    // The host thread must end before the libraries it uses go away.
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(shutdown); });
    return true;
}

}  // namespace

bool use_host_display() {
    std::string error;
    if (open_host_display(&error)) return true;
    std::fprintf(stderr, "trelwin: cannot open the display (%s); windows stay on the virtual screen only\n",
                 error.c_str());
    return false;
}

bool choose_for_program() {
    EndProgramOnSignals();
    const char* wanted = std::getenv("TRELWIN_DISPLAY");
    if (wanted && std::strcmp(wanted, "headless") == 0) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x || !*x) && (!wayland || !*wayland)) {
        std::fprintf(stderr,
                     "trelwin: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): the program cannot show "
                     "its windows (TRELWIN_DISPLAY=headless runs it on a virtual screen)\n");
        return false;
    }
    std::string error;
    if (open_host_display(&error)) return true;
    std::fprintf(stderr, "trelwin: cannot open the display %s (%s): the program cannot show its windows\n",
                 x && *x ? x : wayland, error.c_str());
    return false;
}

}  // namespace trelwin::display
