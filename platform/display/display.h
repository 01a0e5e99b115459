// The screen that top-level windows appear on. The window system keeps one
// surface per top-level window; a display shows those surfaces: the headless
// display composes them onto a virtual screen in memory, a host display gives
// each one a window of its own. Either way the display keeps a composed copy
// of the whole screen, which is what a DC of the screen reads and draws on.
//
// A window's surface belongs to the threads that draw on it, which take no
// lock while they draw. The display therefore never reads a surface by
// itself: it keeps its own copy of each window's pixels, and takes pixels
// from a surface only when it is handed them by the thread that has just
// drawn them (present) or written them all (update_host with a surface, on
// a new size). Composing and the host read only those copies.
//
// The window system calls a display only under its own lock, so a display
// sees one call at a time. Input that a display receives from its host goes
// to the event sink that the window system installs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/gdi/internal/region_data.h"
#include "platform/gdi/internal/surface.h"

namespace trelwin::display {

using gdi::RegionData;
using gdi::Surface;

// A top-level window as the display sees it.
struct HostWindow {
    uintptr_t id = 0;       // the window's handle value
    RECT rect{};            // screen coordinates
    bool visible = false;
    bool minimized = false;  // visible, but shown only as the host's icon of it
    bool in_taskbar = false;  // a window of the program's own (not a dialog's helper or a popup)
    bool no_activate = false;  // never takes the keyboard focus (menus, lists, tips)
    std::string title;
    HICON icon = nullptr;    // for the host's task bar: the big icon given (WM_SETICON), else the small one
    std::optional<RegionData> shape;  // window coordinates; none: the whole rectangle
    RECT caption{};         // window coordinates: where the host may drag the window
};

// Input and host events for the window system, in screen coordinates.
// Moved, Minimized, Restored and Activate report what the host (a window
// manager, a person at the task bar) did to a window by itself.
struct HostEvent {
    enum Kind {
        MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Text, Close, Activate, Moved, Resized, Minimized,
        Restored, Quit
    };
    Kind kind = MouseMove;
    uintptr_t id = 0;   // host window concerned, when there is one
    POINT pt{};         // mouse position; Moved: new position
    int button = 0;     // 0 left, 1 right, 2 middle
    int delta = 0;      // wheel: multiples of 120 per notch
    UINT vk = 0;        // key events: virtual key
    std::string text;   // Text: the typed characters (one byte each)
    SIZE size{};        // Resized: new size
};

class Display {
public:
    virtual ~Display() = default;
    virtual const char* name() const = 0;

    SIZE screen_size() const { return SIZE{screen_.width, screen_.height}; }
    // Dots per inch (see screen_resolution.h); GetDeviceCaps reports it.
    int dpi() const { return dpi_; }
    // The composed screen (drawn on by a DC of the screen). Composed when
    // first asked for and kept up to date from then on: a program that
    // never reads or draws on the screen keeps no copy of it.
    Surface& screen();

    // Creates the host window or changes it (rectangle, visibility, shape,
    // title); the whole window is shown again. A window of a new size keeps
    // the pixels it showed where they still fit, and is white elsewhere,
    // unless `whole` gives all its pixels: the window's surface, from the
    // thread that has just written every pixel of it (made or resized it).
    void update_host(const HostWindow& host, const Surface* whole = nullptr);
    void remove_host(uintptr_t id);
    // Stacking of the hosts, topmost first.
    void restack(const std::vector<uintptr_t>& top_first);
    // Shows what changed in a window's surface (window coordinates), from
    // the thread that drew it, right after drawing: only that area of the
    // surface is read.
    void present(uintptr_t id, const Surface& surface, const RegionData& changed);
    // The window that has the keyboard focus now (0: none of ours); a host
    // display gives it the host's focus.
    void set_active(uintptr_t id);
    uintptr_t active() const { return active_; }
    virtual void set_cursor(HCURSOR cursor) { cursor_ = cursor; }
    HCURSOR cursor() const { return cursor_; }
    // Waits (a bounded time) until what was presented is on the host.
    virtual void flush() {}

    const HostWindow* host(uintptr_t id) const;
    // What the screen shows in the area (screen coordinates) beneath the
    // window: the desktop and the windows stacked below it, as if it were
    // not there (all windows when it is not shown). Pixels row by row into
    // out, which holds the area's width times its height.
    void compose_beneath(uintptr_t id, const RECT& area, uint32_t* out) const;
    // Pixels presented so far (tests check that only what changed is shown).
    uint64_t presented_pixels() const { return presented_pixels_; }

protected:
    Display(SIZE screen, int dpi);
    // The window's pixels changed in the area (window coordinates); host
    // displays push it on. `shown` is the display's own copy of the window.
    virtual void host_changed(const HostWindow&, const Surface& /*shown*/, const RegionData&) {}
    // following: the change only follows what the host did (see FollowingHost).
    virtual void host_updated(const HostWindow&, bool /*following*/) {}
    virtual void host_activated(uintptr_t /*id*/, bool /*following*/) {}
    virtual void host_removed(uintptr_t) {}
    // The stacking changed (hosts_ holds the new order, topmost first).
    virtual void hosts_restacked() {}

    std::vector<HostWindow> hosts_;  // topmost first

private:
    // What a window showed last: its pixels as presented.
    struct Picture {
        std::vector<uint32_t> pixels;
        Surface surface;
        // Keeps what overlaps the old size; the rest starts white, as a new
        // window surface does.
        void resize(int width, int height);
    };

    void recompose(const RegionData& area);
    // Copies the part of the area (screen coordinates) that the host shows
    // into out, whose pixel (0, 0) is the screen's origin point.
    void copy_host(const HostWindow& host, const RegionData& area, uint32_t* out, LONG stride, POINT origin) const;

    std::unordered_map<uintptr_t, Picture> pictures_;  // by host id
    std::vector<uint32_t> pixels_;  // the composed screen; empty until asked for
    Surface screen_;
    int dpi_;
    HCURSOR cursor_ = nullptr;
    uintptr_t active_ = 0;
    uint64_t presented_pixels_ = 0;
};

// While one lives, the calling thread's changes to the window only follow
// what the host reported of it (moved, minimised, restored, activated):
// they must not go back to the host, which may be further along already (a
// window manager still moving the window).
class FollowingHost {
public:
    explicit FollowingHost(uintptr_t id);
    ~FollowingHost();
    FollowingHost(const FollowingHost&) = delete;
    FollowingHost& operator=(const FollowingHost&) = delete;

private:
    uintptr_t previous_;
};

// The display in use: the headless one unless a host display was opened.
Display& current();
// Replaces the display with a headless one of the given size (tests), at
// the given resolution; 0: as TRELWIN_DPI says, else 96.
void use_headless(int width, int height, int dpi = 0);
// Puts a display in place: a host display, or a test's own that watches
// what the window system asks of a host.
void install_display(std::unique_ptr<Display> display);
// Opens the SDL2 display when the environment has one; on failure says why
// on standard error and keeps the headless display. True when it opened.
bool use_host_display();
// What a program does at start: the host display, or the virtual screen
// when TRELWIN_DISPLAY=headless asks for it. False, with a clear word on
// standard error, when there is no display to show windows on (a program
// would run invisibly). SIGINT and SIGTERM end the program from then on, as
// a lost host display does: one line on standard error and a non-zero
// status (trelwin::EndProgram).
bool choose_for_program();
// Closes the display in use (a host display's thread and windows); a
// virtual screen takes over if anything asks afterwards. A host display is
// closed this way at exit by itself, before the process tears down.
void shutdown();

using EventSink = std::function<void(const HostEvent&)>;
void set_event_sink(EventSink sink);
void deliver(const HostEvent& event);

// The screen colour where no window is.
constexpr uint32_t kDesktopPixel = 0x3A6EA5;

}  // namespace trelwin::display
