// What the host display needs of an X server beyond what SDL gives: window
// shapes, whether a window manager runs (it moves and minimises windows;
// without one the program does both itself or not at all), what becomes of
// the program when the server goes away, and keeping the keyboard focus off
// windows that must not take it.
//
// Host thread only: the X connection is SDL's and SDL is used from there.
#pragma once

#include <SDL.h>

#include <optional>

#include "platform/display/screen_resolution.h"
#include "platform/gdi/internal/region_data.h"

namespace trelwin::display::x11 {

// A connection of the program's own to the X server that DISPLAY names,
// held while SDL makes its own. An X server that was started to reset when
// its last client leaves does so when this connection closes: closed before
// SDL connected, it would leave SDL to find the server starting over, and
// SDL then goes on with a video driver that shows nothing, without a word.
// Held, the server stays up until SDL is connected.
//
// Host windows of the screen's own visual and colormap: where a window has
// a colormap of its own (SDL makes one for every window, of a direct-colour
// visual when the server has one), the X server shows black outside the
// window's shape instead of what lies beneath. Once connected, tells SDL
// the visual of the X server's screen.
class ServerConnection {
public:
    // Tries for a short while: a server that is starting over (another
    // client left it) takes new clients again within moments.
    ServerConnection();
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // What the server tells of the screen's resolution: the resource
    // database that the desktop set and the screen's size (empty sources
    // when there is no X server).
    const ResolutionSources& resolution_sources() const { return sources_; }

private:
    void* display_ = nullptr;  // the Xlib connection
    ResolutionSources sources_;
};

// Gives the window the screen's colormap when SDL was told that visual.
void use_screen_colormap(SDL_Window* window);

// The window's region (or none: the whole rectangle) as its X shape; other
// kinds of host show the whole rectangle.
void apply_shape(SDL_Window* window, const std::optional<gdi::RegionData>& shape, int width, int height);

// Whether a window manager runs on the window's X server now, and whether
// it moves windows on request (the caption drag). Checked at most every
// half second; false on other kinds of host.
bool window_manager_runs(SDL_Window* window);
bool window_manager_moves(SDL_Window* window);

// Protocol errors (a window gone meanwhile) are passed over and named in the
// debug output ("X error: ..."); a lost connection ends the program with
// one line on standard error. For every
// X connection of the process, SDL's included.
void install_error_handlers();

// The descriptor of the X connection the window is on (-1: not X), which
// is readable when the server has sent something.
int connection_fd(SDL_Window* window);

// The X window that has the keyboard focus (0: none or not X).
unsigned long focus_window(SDL_Window* any);
// Gives the focus back to `previous` (or the pointer's window when none)
// when `shown` took it; without a window manager SDL focuses every window
// it shows, even one that must not take the focus.
void keep_focus_off(SDL_Window* shown, unsigned long previous);

// Where the window is on the screen now, as the X server has it (SDL's own
// reports of moves may be late or stale); nothing when not X.
std::optional<SDL_Point> position(SDL_Window* window);

// The pointer's screen position that the X event behind a mouse event of
// SDL carried, when the SDL event is the X event of a pointer.
std::optional<SDL_Point> root_position(const SDL_Event& system_event);

}  // namespace trelwin::display::x11
