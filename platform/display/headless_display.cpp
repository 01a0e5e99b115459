// The display of tests and of runs without a screen: the virtual screen is
// all there is, and input comes only from what a test injects.
#include <cstdio>
#include <cstdlib>

#include "platform/display/display.h"

namespace trelwin::display {

namespace {

class HeadlessDisplay : public Display {
public:
    explicit HeadlessDisplay(SIZE size) : Display(size) {}
    const char* name() const override { return "headless"; }
};

}  // namespace

std::unique_ptr<Display> make_headless(int width, int height) {
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
    return std::make_unique<HeadlessDisplay>(SIZE{width, height});
}


}  // namespace trelwin::display
