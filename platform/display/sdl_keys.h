// The keys of an SDL host as the virtual keys of the window system.
#pragma once

#include <SDL.h>

#include "platform/base/win_types.h"

namespace trelwin::display {

// The virtual key of an SDL key; 0 for keys the program has no use for.
UINT VirtualKey(SDL_Keycode key);

}  // namespace trelwin::display
