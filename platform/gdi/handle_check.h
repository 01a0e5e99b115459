// Handles that arrive as numbers from outside the program, for example in
// the text of a tip, are checked against the object table before anything
// uses them: a value that does not name a live object of the kind asked for
// (stale, foreign, another kind, or no handle at all) gives null and is
// never dereferenced.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi_types.h"

namespace trelwin::gdi {

HBITMAP bitmap_from_number(uint64_t value);
HICON icon_from_number(uint64_t value);

}  // namespace trelwin::gdi
