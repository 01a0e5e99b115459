#include "platform/display/x11_desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/process.h"
#include "platform/base/program_end.h"

namespace trelwin::display::x11 {

namespace {

struct Handle {
    ::Display* display = nullptr;
    Window window = 0;
};

bool handle_of(SDL_Window* window, Handle* out) {
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    out->display = info.info.x11.display;
    out->window = info.info.x11.window;
    return true;
}

// The 32-bit items of a property (at most `most`), empty when it is missing
// or of another type (or the window is gone).
std::vector<unsigned long> property(::Display* display, Window of, Atom name, Atom type, long most) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, of, name, 0, most, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (actual == type && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        XFree(data);
    }
    return items;
}

// One window-valued property, or 0.
Window window_property(::Display* display, Window of, Atom name) {
    const std::vector<unsigned long> items = property(display, of, name, XA_WINDOW, 1);
    return items.size() == 1 ? items[0] : 0;
}

bool root_lists(::Display* display, Atom list, Atom wanted) {
    const std::vector<unsigned long> atoms = property(display, DefaultRootWindow(display), list, XA_ATOM, 4096);
    return std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
}

struct ManagerState {
    std::chrono::steady_clock::time_point checked{};
    bool runs = false;
    bool moves = false;
};

// A window manager of today names a window of its own on the root window
// and names it again on that window (a stale name outlives a manager that
// died); what it can do it lists on the root window.
const ManagerState& manager_state(SDL_Window* window) {
    static ManagerState state;
    const auto now = std::chrono::steady_clock::now();
    const bool fresh = state.checked != std::chrono::steady_clock::time_point{} &&
                       now - state.checked < std::chrono::milliseconds(500);
    if (fresh) return state;
    state = ManagerState();
    state.checked = now;
    Handle h;
    if (!handle_of(window, &h)) return state;
    const Atom check = XInternAtom(h.display, "_NET_SUPPORTING_WM_CHECK", False);
    const Window named = window_property(h.display, DefaultRootWindow(h.display), check);
    state.runs = named != 0 && window_property(h.display, named, check) == named;
    state.moves = state.runs && root_lists(h.display, XInternAtom(h.display, "_NET_SUPPORTED", False),
                                           XInternAtom(h.display, "_NET_WM_MOVERESIZE", False));
    return state;
}

// Whether SDL was asked for windows of the screen's visual (host thread).
bool& screen_visual_asked() {
    static bool asked = false;
    return asked;
}

// A protocol error (a window gone meanwhile, say) does not stop the
// program; the debug output names it, with the request and the resource,
// since none is expected of the program's own requests. Only local tables
// are read here: an error handler may not talk to the server.
int pass_over_errors(::Display* display, XErrorEvent* error) {
    char name[128] = {};
    XGetErrorText(display, error->error_code, name, sizeof name);
    char code[16] = {};
    std::snprintf(code, sizeof code, "%d", error->request_code);
    char request[128] = {};
    XGetErrorDatabaseText(display, "XRequest", code, code, request, sizeof request);
    char line[400] = {};
    std::snprintf(line, sizeof line, "X error: %s, request %s (%d.%d), resource 0x%lx\n", name, request,
                  error->request_code, error->minor_code, error->resourceid);
    OutputDebugStringA(line);
    return 0;
}

[[noreturn]] void end_on_lost_connection() {
    const char* name = std::getenv("DISPLAY");
    EndProgram(1, std::string("trelwin: lost the connection to the display ") + (name && *name ? name : "") +
                      "; ending");
}

int on_lost_connection(::Display*) { end_on_lost_connection(); }

}  // namespace

ServerConnection::ServerConnection() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    // About two seconds in all: far longer than a server takes to start over.
    constexpr int kTries = 40;
    constexpr auto kPause = std::chrono::milliseconds(50);
    ::Display* display = nullptr;
    for (int i = 0; i < kTries && !display; ++i) {
        if (i > 0) std::this_thread::sleep_for(kPause);
        display = XOpenDisplay(name);
    }
    if (!display) return;  // SDL says why when it cannot reach the server either
    display_ = display;
    const int screen = DefaultScreen(display);
    const VisualID visual = XVisualIDFromVisual(DefaultVisual(display, screen));
    // The root window's RESOURCE_MANAGER, as the connection read it on opening.
    if (const char* database = XResourceManagerString(display)) sources_.resources = database;
    sources_.pixels = SIZE{DisplayWidth(display, screen), DisplayHeight(display, screen)};
    sources_.millimetres = SIZE{DisplayWidthMM(display, screen), DisplayHeightMM(display, screen)};
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, std::to_string(visual).c_str());
    screen_visual_asked() = true;
}

ServerConnection::~ServerConnection() {
    if (display_) XCloseDisplay(static_cast<::Display*>(display_));
}

void use_screen_colormap(SDL_Window* window) {
    Handle h;
    if (!screen_visual_asked() || !handle_of(window, &h)) return;
    // No question to the server: a window SDL made of another visual after
    // all refuses the colormap with an error, which is passed over.
    XSetWindowColormap(h.display, h.window, DefaultColormap(h.display, DefaultScreen(h.display)));
}

void apply_shape(SDL_Window* window, const std::optional<gdi::RegionData>& shape, int width, int height) {
    Handle h;
    if (!handle_of(window, &h)) return;
    std::vector<XRectangle> rects;
    const gdi::RegionData area = shape ? *shape : gdi::RegionData::from_rect(RECT{0, 0, width, height});
    for (const RECT& r : area.rects()) {
        rects.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                   static_cast<unsigned short>(r.right - r.left),
                                   static_cast<unsigned short>(r.bottom - r.top)});
    }
    XShapeCombineRectangles(h.display, h.window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                            ShapeSet, YXBanded);
    XFlush(h.display);
}

bool window_manager_runs(SDL_Window* window) { return manager_state(window).runs; }

bool window_manager_moves(SDL_Window* window) { return manager_state(window).moves; }

void install_error_handlers() {
    XSetErrorHandler(pass_over_errors);
    XSetIOErrorHandler(on_lost_connection);
}

int connection_fd(SDL_Window* window) {
    Handle h;
    return handle_of(window, &h) ? ConnectionNumber(h.display) : -1;
}

unsigned long focus_window(SDL_Window* any) {
    Handle h;
    if (!handle_of(any, &h)) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(h.display, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

void keep_focus_off(SDL_Window* shown, unsigned long previous) {
    Handle h;
    if (!handle_of(shown, &h)) return;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(h.display, &focus, &revert);
    if (focus != h.window) return;
    XSetInputFocus(h.display, previous ? previous : PointerRoot, RevertToPointerRoot, CurrentTime);
    XFlush(h.display);
}

std::optional<SDL_Point> position(SDL_Window* window) {
    Handle h;
    if (!handle_of(window, &h)) return std::nullopt;
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(h.display, h.window, DefaultRootWindow(h.display), 0, 0, &x, &y, &child)) {
        return std::nullopt;
    }
    return SDL_Point{x, y};
}

std::optional<SDL_Point> root_position(const SDL_Event& system_event) {
    if (system_event.type != SDL_SYSWMEVENT || !system_event.syswm.msg ||
        system_event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return std::nullopt;
    }
    const XEvent& x = system_event.syswm.msg->msg.x11.event;
    switch (x.type) {
    case MotionNotify: return SDL_Point{x.xmotion.x_root, x.xmotion.y_root};
    case ButtonPress:
    case ButtonRelease: return SDL_Point{x.xbutton.x_root, x.xbutton.y_root};
    default: return std::nullopt;
    }
}

}  // namespace trelwin::display::x11
