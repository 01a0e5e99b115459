// The host display: every top-level window gets an SDL window of its own,
// drawn from the window's surface; host input comes back as events.
//
// SDL runs on a thread of its own. The window system's calls (under its
// lock) only copy what changed into the host's own buffer and wake that
// thread, so no window thread ever waits for the host; the host thread
// hands input to the event sink without holding anything.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "platform/display/display.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/internal/objects.h"

namespace trelwin::display {

namespace {

struct HostCopy {
    HostWindow desc;            // surface pointer unused here
    std::vector<uint32_t> pixels;  // the window's pixels as last presented
    int width = 0;
    int height = 0;
    RegionData dirty;
    bool changed = true;   // rectangle, title or visibility
    bool removed = false;
    bool shapeChanged = false;
    SDL_Window* window = nullptr;
};

// The window's region (or none: the whole rectangle) as the X window's
// shape. Other kinds of host display show the whole rectangle.
void ApplyShape(SDL_Window* window, const std::optional<RegionData>& shape, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    std::vector<XRectangle> rects;
    const RegionData area = shape ? *shape : RegionData::from_rect(RECT{0, 0, width, height});
    for (const RECT& r : area.rects()) {
        rects.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                   static_cast<unsigned short>(r.right - r.left),
                                   static_cast<unsigned short>(r.bottom - r.top)});
    }
    XShapeCombineRectangles(info.info.x11.display, info.info.x11.window, ShapeBounding, 0, 0, rects.data(),
                            static_cast<int>(rects.size()), ShapeSet, YXBanded);
    XFlush(info.info.x11.display);
}

UINT VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
    }
}

class SdlDisplay : public Display {
public:
    explicit SdlDisplay(SIZE screen) : Display(screen) {}
    ~SdlDisplay() override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
        }
        wake();
        if (thread_.joinable()) thread_.join();
    }

    const char* name() const override { return "sdl"; }

    // Starts the host thread; the screen size or an error.
    static std::unique_ptr<SdlDisplay> open(std::string* error) {
        std::promise<std::pair<bool, SIZE>> started;
        auto result = started.get_future();
        auto thread = std::thread([&started, error]() mutable {
            // Window surfaces are plain memory: no graphics library is loaded for them.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            if (SDL_Init(SDL_INIT_VIDEO) != 0) {
                *error = SDL_GetError();
                started.set_value({false, SIZE{}});
                return;
            }
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
        auto display = std::make_unique<SdlDisplay>(size);
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
    void host_updated(const HostWindow& host) override {
        std::lock_guard<std::mutex> guard(lock_);
        HostCopy& copy = copies_[host.id];
        if (copy.desc.shape != host.shape) copy.shapeChanged = true;
        copy.desc = host;
        copy.desc.surface = nullptr;
        copy.changed = true;
        copy.removed = false;
        wake_locked();
    }

    void host_changed(const HostWindow& host, const RegionData& area) override {
        if (!host.surface || !host.surface->bits) return;
        const Surface& s = *host.surface;
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

    void hosts_restacked() override {
        std::lock_guard<std::mutex> guard(lock_);
        stacking_.clear();
        for (const HostWindow& h : Display::hosts_) stacking_.push_back(h.id);
        restack_ = true;
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
        if (wake_event_ != static_cast<Uint32>(-1)) {
            SDL_Event e{};
            e.type = wake_event_;
            SDL_PushEvent(&e);
        }
    }

    static SDL_HitTestResult hit_test(SDL_Window* window, const SDL_Point* pt, void* data) {
        auto* self = static_cast<SdlDisplay*>(data);
        std::lock_guard<std::mutex> guard(self->lock_);
        for (auto& [id, copy] : self->copies_) {
            if (copy.window != window) continue;
            const RECT& c = copy.desc.caption;
            if (pt->x >= c.left && pt->x < c.right && pt->y >= c.top && pt->y < c.bottom) return SDL_HITTEST_DRAGGABLE;
        }
        return SDL_HITTEST_NORMAL;
    }

    // Brings the SDL windows up to date; runs on the host thread.
    void apply() {
        std::vector<std::pair<SDL_Window*, std::vector<SDL_Rect>>> updates;
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
                    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
                    if (copy.desc.no_activate) flags |= SDL_WINDOW_TOOLTIP;
                    else if (copy.desc.popup) flags |= SDL_WINDOW_SKIP_TASKBAR;
                    copy.window = SDL_CreateWindow(copy.desc.title.c_str(), r.left, r.top, w, h, flags);
                    if (copy.window) {
                        // The window's surface may make SDL build the host window
                        // anew: before anything is set on it.
                        SDL_GetWindowSurface(copy.window);
                        SDL_SetWindowHitTest(copy.window, hit_test, this);
                    }
                    copy.dirty = RegionData::from_rect(RECT{0, 0, w, h});
                    copy.shapeChanged = copy.desc.shape.has_value();
                }
                if (copy.window) {
                    SDL_SetWindowTitle(copy.window, copy.desc.title.c_str());
                    int x = 0, y = 0, cw = 0, ch = 0;
                    SDL_GetWindowPosition(copy.window, &x, &y);
                    SDL_GetWindowSize(copy.window, &cw, &ch);
                    if (x != r.left || y != r.top) SDL_SetWindowPosition(copy.window, r.left, r.top);
                    if (cw != w || ch != h) {
                        SDL_SetWindowSize(copy.window, w, h);
                        copy.dirty = RegionData::from_rect(RECT{0, 0, w, h});
                        copy.shapeChanged = copy.desc.shape.has_value();
                    }
                    if (copy.shapeChanged) {
                        ApplyShape(copy.window, copy.desc.shape, w, h);
                        copy.shapeChanged = false;
                    }
                    const bool shown = (SDL_GetWindowFlags(copy.window) & SDL_WINDOW_SHOWN) != 0;
                    if (copy.desc.visible && !shown) SDL_ShowWindow(copy.window);
                    if (!copy.desc.visible && shown) SDL_HideWindow(copy.window);
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
        if (restack_) {
            // Only the topmost window that may take activation is raised, once:
            // a host that hands activation back on a raise must not start a
            // contest between two windows.
            restack_ = false;
            for (uintptr_t id : stacking_) {
                auto found = copies_.find(id);
                if (found == copies_.end() || !found->second.window || !found->second.desc.visible ||
                    found->second.desc.no_activate) {
                    continue;
                }
                if (id != raised_) SDL_RaiseWindow(found->second.window);
                raised_ = id;
                break;
            }
        }
        if (cursor_changed_) {
            cursor_changed_ = false;
            apply_cursor();
        }
        guard.unlock();
        for (auto& [window, rects] : updates) {
            SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
        }
        guard.lock();
        work_done_ = asked;
        idle_.notify_all();
    }

    // The cursor's image as an SDL colour cursor (lock held).
    void apply_cursor() {
        auto icon = gdi::lookup<gdi::IconObject>(cursor_, gdi::Kind::Icon);
        if (!icon || !icon->mask) {
            SDL_ShowCursor(cursor_ ? SDL_ENABLE : SDL_DISABLE);
            return;
        }
        const int w = icon->width, h = icon->height;
        SDL_Surface* image = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!image) return;
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image->pixels) + y * image->pitch);
            for (int x = 0; x < w; ++x) {
                const bool andBit = (icon->mask->surface.get(x, y) & 0xFFFFFF) != 0;
                uint32_t colour = icon->colour ? icon->colour->surface.get(x, y) & 0xFFFFFF
                                               : ((icon->mask->surface.get(x, y + h) & 0xFFFFFF) ? 0xFFFFFF : 0);
                // Transparent where the mask keeps the screen; the screen
                // inverted (rare) shows as black.
                row[x] = andBit ? (colour ? 0xFF000000u : 0u) : (0xFF000000u | colour);
            }
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

    uintptr_t host_of(Uint32 windowId, POINT* origin) {
        std::lock_guard<std::mutex> guard(lock_);
        SDL_Window* window = SDL_GetWindowFromID(windowId);
        for (auto& [id, copy] : copies_) {
            if (copy.window == window && window) {
                if (origin) *origin = POINT{copy.desc.rect.left, copy.desc.rect.top};
                return id;
            }
        }
        return 0;
    }

    void translate(const SDL_Event& e) {
        HostEvent out;
        POINT origin{};
        switch (e.type) {
        case SDL_MOUSEMOTION:
            out.kind = HostEvent::MouseMove;
            out.id = host_of(e.motion.windowID, &origin);
            out.pt = POINT{origin.x + e.motion.x, origin.y + e.motion.y};
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            out.kind = e.type == SDL_MOUSEBUTTONDOWN ? HostEvent::ButtonDown : HostEvent::ButtonUp;
            out.id = host_of(e.button.windowID, &origin);
            out.pt = POINT{origin.x + e.button.x, origin.y + e.button.y};
            out.button = e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
            break;
        case SDL_MOUSEWHEEL:
            out.kind = HostEvent::Wheel;
            out.id = host_of(e.wheel.windowID, nullptr);
            out.delta = e.wheel.y * 120;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            out.kind = e.type == SDL_KEYDOWN ? HostEvent::KeyDown : HostEvent::KeyUp;
            out.id = host_of(e.key.windowID, nullptr);
            out.vk = VirtualKey(e.key.keysym.sym);
            if (out.vk == 0) return;
            break;
        case SDL_WINDOWEVENT:
            out.id = host_of(e.window.windowID, nullptr);
            if (out.id == 0) return;
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: out.kind = HostEvent::Close; break;
            case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = HostEvent::Activate; break;
            case SDL_WINDOWEVENT_MOVED:
                out.kind = HostEvent::Moved;
                out.pt = POINT{e.window.data1, e.window.data2};
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                out.kind = HostEvent::Resized;
                out.size = SIZE{e.window.data1, e.window.data2};
                break;
            case SDL_WINDOWEVENT_EXPOSED: {
                std::lock_guard<std::mutex> guard(lock_);
                for (auto& [id, copy] : copies_) {
                    if (id == out.id) copy.dirty = RegionData::from_rect(RECT{0, 0, copy.width, copy.height});
                }
                return;
            }
            default: return;
            }
            break;
        default:
            return;
        }
        deliver(out);
    }

    void run() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            wake_event_ = SDL_RegisterEvents(1);
        }
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_) break;
            }
            apply();
            SDL_Event e;
            if (SDL_WaitEventTimeout(&e, 50)) {
                do {
                    if (e.type != wake_event_) translate(e);
                } while (SDL_PollEvent(&e));
            }
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
    Uint32 wake_event_ = static_cast<Uint32>(-1);
    HCURSOR cursor_ = nullptr;
    bool cursor_changed_ = false;
    std::vector<uintptr_t> stacking_;  // topmost first
    bool restack_ = false;
    uintptr_t raised_ = 0;
    SDL_Cursor* sdl_cursor_ = nullptr;
};

}  // namespace

void install_display(std::unique_ptr<Display> display);

bool use_host_display() {
    std::string error;
    std::unique_ptr<SdlDisplay> display = SdlDisplay::open(&error);
    if (!display) {
        std::fprintf(stderr, "trelwin: cannot open the display (%s); windows stay on the virtual screen only\n",
                     error.c_str());
        return false;
    }
    install_display(std::move(display));
    // The host thread must end before the libraries it uses go away.
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(shutdown); });
    return true;
}

bool choose_for_program() {
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
    return use_host_display();
}

}  // namespace trelwin::display
