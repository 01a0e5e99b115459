// The screen that top-level windows appear on. The window system keeps one
// surface per top-level window; a display shows those surfaces: the headless
// display composes them onto a virtual screen in memory, a host display gives
// each one a window of its own. Either way the display keeps a composed copy
// of the whole screen, which is what a DC of the screen reads and draws on.
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
    bool popup = false;     // shown without host decorations
    bool no_activate = false;
    std::string title;
    std::optional<RegionData> shape;  // window coordinates; none: the whole rectangle
    RECT caption{};         // window coordinates: where the host may drag the window
    const Surface* surface = nullptr;  // window-sized, kept alive by the window system
};

// Input and host events for the window system, in screen coordinates.
struct HostEvent {
    enum Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Text, Close, Activate, Moved, Resized, Quit };
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
    // The composed screen (drawn on by a DC of the screen).
    Surface& screen() { return screen_; }

    // Creates the host window or changes it (rectangle, visibility, shape,
    // title, surface); the whole window is shown again.
    void update_host(const HostWindow& host);
    void remove_host(uintptr_t id);
    // Stacking of the hosts, topmost first.
    void restack(const std::vector<uintptr_t>& top_first);
    // Shows what changed in a window's surface (window coordinates).
    void present(uintptr_t id, const RegionData& changed);
    virtual void set_cursor(HCURSOR cursor) { cursor_ = cursor; }
    HCURSOR cursor() const { return cursor_; }
    // Waits (a bounded time) until what was presented is on the host.
    virtual void flush() {}

    const HostWindow* host(uintptr_t id) const;
    // Pixels presented so far (tests check that only what changed is shown).
    uint64_t presented_pixels() const { return presented_pixels_; }

protected:
    explicit Display(SIZE screen);
    // The screen area changed (screen coordinates); host displays push it on.
    virtual void host_changed(const HostWindow&, const RegionData&) {}
    virtual void host_updated(const HostWindow&) {}
    virtual void host_removed(uintptr_t) {}
    // The stacking changed (hosts_ holds the new order, topmost first).
    virtual void hosts_restacked() {}

    std::vector<HostWindow> hosts_;  // topmost first

private:
    void recompose(const RegionData& area);

    std::vector<uint32_t> pixels_;
    Surface screen_;
    HCURSOR cursor_ = nullptr;
    uint64_t presented_pixels_ = 0;
};

// The display in use: the headless one unless a host display was opened.
Display& current();
// Replaces the display with a headless one of the given size (tests).
void use_headless(int width, int height);
// Opens the SDL2 display when the environment has one; on failure says why
// on standard error and keeps the headless display. True when it opened.
bool use_host_display();
// What a program does at start: the host display, or the virtual screen
// when TRELWIN_DISPLAY=headless asks for it. False, with a clear word on
// standard error, when there is no display to show windows on (a program
// would run invisibly).
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
