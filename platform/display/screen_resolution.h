// The screen's resolution in dots per inch, which GetDeviceCaps reports as
// LOGPIXELSX and LOGPIXELSY and from which fonts given in points, dialog
// units, the sizes of window parts and the artwork follow.
//
// Where it comes from, first found first: the TRELWIN_DPI environment
// variable (for a desktop that publishes no resolution, and for tests), the
// "Xft.dpi" X resource that desktops publish in the root window's resource
// database, the screen's physical size when the X server reports a
// plausible one, else 96. Pure functions: the host display reads the X
// server and hands the text and sizes over.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace trelwin::display {

constexpr int kDefaultDpi = 96;
// The range the program is laid out for: below 96 text would be smaller
// than the dialogs were drawn for, above 480 a dialog no longer fits any
// screen.
constexpr int kMinimumDpi = 96;
constexpr int kMaximumDpi = 480;

struct ResolutionSources {
    const char* override_text = nullptr;  // TRELWIN_DPI, when set
    std::optional<std::string> resources;  // the X resource database, when there is one
    SIZE pixels{};                         // the screen's size in pixels
    SIZE millimetres{};                    // and as the X server measures it (0: unknown)
};

struct ScreenResolution {
    int dpi = kDefaultDpi;
    const char* source = "default";  // "TRELWIN_DPI", "Xft.dpi", "physical size" or "default"
    std::string complaint;           // a value that was set but unusable, for standard error
};

// The last "Xft.dpi" entry of a resource database, rounded; nothing when
// there is none or its value is not a number of dots per inch.
std::optional<int> dpi_from_resources(std::string_view database);
// The resolution of a screen of that size, to the nearest quarter of 96 (a
// measured size is rough); nothing when the size is unknown or not
// believable (a size that is an aspect ratio, pixels that are not square).
std::optional<int> dpi_from_physical_size(SIZE pixels, SIZE millimetres);
// A number of dots per inch as TRELWIN_DPI gives it (a fraction is
// rounded); nothing when the text is not one.
std::optional<int> dpi_from_text(std::string_view text);

// The first source that gives a resolution, brought within kMinimumDpi to
// kMaximumDpi. An override that is not a number, or out of that range, is
// named in the complaint.
ScreenResolution choose_resolution(const ResolutionSources& sources);

}  // namespace trelwin::display
