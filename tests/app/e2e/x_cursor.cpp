// Test tool: says which cursor the X server shows now (the one of the
// window under the pointer), as its size and hotspot, "32x32 7,10", so
// that the end-to-end tests can tell the program's cursors apart: each of
// its standard shapes has a hotspot of its own.
//
//   x_cursor        (on the display that DISPLAY names)
#include <cstdio>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

int main() {
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_cursor: no X display\n");
        return 1;
    }
    int event = 0, error = 0;
    XFixesCursorImage* cursor = XFixesQueryExtension(display, &event, &error) ? XFixesGetCursorImage(display) : nullptr;
    if (!cursor) {
        std::fprintf(stderr, "x_cursor: the X server does not show its cursor (no XFIXES)\n");
        XCloseDisplay(display);
        return 1;
    }
    std::printf("%dx%d %d,%d\n", cursor->width, cursor->height, cursor->xhot, cursor->yhot);
    XFree(cursor);
    XCloseDisplay(display);
    return 0;
}
