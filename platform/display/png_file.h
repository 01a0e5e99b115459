// Saving pixels as PNG files.
#pragma once

#include <string>

#include "platform/base/win_types.h"
#include "platform/gdi/internal/surface.h"

namespace trelwin::display {

// Writes the area of the surface (clipped to it) as an 8-bit RGB PNG.
// False with a message in error when the file cannot be written.
bool save_png(const gdi::Surface& surface, RECT area, const std::string& path, std::string* error);

}  // namespace trelwin::display
