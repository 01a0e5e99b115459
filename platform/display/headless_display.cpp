// The display of tests and of runs without a screen: the virtual screen is
// all there is, and input comes only from what a test injects.
#include <cstdio>
#include <cstdlib>

#include "platform/display/display.h"
#include "platform/display/screen_resolution.h"

namespace trelwin::display {

namespace {

class HeadlessDisplay : public Display {
public:
    HeadlessDisplay(SIZE size, int dpi) : Display(size, dpi) {}
    const char* name() const override { return "headless"; }
};

// The virtual screen has no resolution of its own: 96 unless TRELWIN_DPI
// sets one.
int headless_dpi() {
    ResolutionSources sources;
    sources.override_text = std::getenv("TRELWIN_DPI");
    const ScreenResolution chosen = choose_resolution(sources);
    if (!chosen.complaint.empty()) std::fprintf(stderr, "%s\n", chosen.complaint.c_str());
    return chosen.dpi;
}

}  // namespace

std::unique_ptr<Display> make_headless(int width, int height, int dpi) {
    // TRELWIN_SCREEN_SIZE ("1280x1024") overrides the size a program starts with.
    if (const char* size = std::getenv("TRELWIN_SCREEN_SIZE")) {
        int w = 0, h = 0;
        if (std::sscanf(size, "%dx%d", &w, &h) == 2 && w > 0 && h > 0 && w <= 16384 && h <= 16384) {
            width = w;
            height = h;
        } else {
            std::fprintf(stderr, "TRELWIN_SCREEN_SIZE \"%s\" is not WIDTHxHEIGHT; using %dx%d\n", size, width, height);
        }
    }
    return std::make_unique<HeadlessDisplay>(SIZE{width, height}, dpi > 0 ? dpi : headless_dpi());
}


}  // namespace trelwin::display
