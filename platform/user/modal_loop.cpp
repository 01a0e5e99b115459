#include "platform/user/modal_loop.h"

#include <map>

#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace trelwin::user {

namespace {

struct CModalState {
    bool ending = false;
    INT_PTR result = -1;
};

// Loops by window; guarded by UserLock.
std::map<HWND, CModalState>& Loops() {
    static auto* loops = new std::map<HWND, CModalState>;
    return *loops;
}

}  // namespace

INT_PTR RunModalLoop(HWND window, HWND owner, const std::function<bool(MSG&)>& preTranslate) {
    if (!IsWindow(window)) return -1;
    {
        UserGuard guard(UserLock());
        if (Loops().count(window)) return -1;  // one loop per window
        Loops()[window] = CModalState();
    }
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    INT_PTR result = -1;
    for (;;) {
        {
            UserGuard guard(UserLock());
            auto found = Loops().find(window);
            if (found->second.ending) {
                result = found->second.result;
                break;
            }
        }
        if (!IsWindow(window)) break;
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (got == -1) break;
        if (preTranslate && preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    {
        UserGuard guard(UserLock());
        Loops().erase(window);
    }
    if (ownerWasEnabled && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        if (GetActiveWindow() == nullptr || GetActiveWindow() == window || !IsWindow(GetActiveWindow())) {
            SetActiveWindow(owner);
        }
    }
    return result;
}

bool EndModalLoop(HWND window, INT_PTR result) {
    UserGuard guard(UserLock());
    auto found = Loops().find(window);
    if (found == Loops().end()) return false;
    found->second.ending = true;
    found->second.result = result;
    // The loop may be waiting for a message: this one wakes it.
    PostMessageA(window, WM_NULL, 0, 0);
    return true;
}

bool InModalLoop(HWND window) {
    UserGuard guard(UserLock());
    return Loops().count(window) != 0;
}

}  // namespace trelwin::user
