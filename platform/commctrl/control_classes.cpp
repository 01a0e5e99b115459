#include "platform/commctrl/control_classes.h"

#include <atomic>
#include <mutex>

#include "platform/user/window_class.h"

namespace trelwin::commctrl {

namespace {

// Entries are linked at static initialisation; a plain pointer that is
// constant-initialised is safe to use from any constructor.
ControlClass* g_first = nullptr;
std::once_flag g_registered;

void RegisterAll() {
    for (ControlClass* entry = g_first; entry != nullptr; entry = entry->m_next) {
        entry->m_register();
    }
}

// Hands the registration to the window classes before main runs.
[[maybe_unused]] const bool g_providerSet = [] {
    SetSystemClassProvider(&RegisterControlClasses);
    return true;
}();

}  // namespace

ControlClass::ControlClass(void (*register_class)()) : m_register(register_class), m_next(g_first) {
    g_first = this;
}

void RegisterControlClasses() { std::call_once(g_registered, RegisterAll); }

}  // namespace trelwin::commctrl

void WINAPI InitCommonControls() { trelwin::commctrl::RegisterControlClasses(); }

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    if (picce == nullptr || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        return FALSE;
    }
    trelwin::commctrl::RegisterControlClasses();
    return TRUE;
}
