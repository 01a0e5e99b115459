// Modal loops: the owner is disabled while a window runs its own message
// loop, which ends when asked to. Messages sent from other threads are
// handled while the loop waits, as in any loop.
#pragma once

#include <functional>

#include "platform/user/window_defs.h"

namespace trelwin::user {

// Runs the loop for the window until EndModalLoop is called for it, the
// window is destroyed or WM_QUIT arrives (which is posted again for the
// outer loop). The owner (when given) is disabled during the loop and
// enabled and activated afterwards. preTranslate may take a message before
// it is translated and dispatched (true: taken). Returns the result given
// to EndModalLoop, or -1 when the loop ended otherwise.
INT_PTR RunModalLoop(HWND window, HWND owner, const std::function<bool(MSG&)>& preTranslate = {});
// Asks the loop of the window to end with the result; false when the window
// runs no loop.
bool EndModalLoop(HWND window, INT_PTR result);
// Whether a modal loop of the window is running.
bool InModalLoop(HWND window);

}  // namespace trelwin::user
