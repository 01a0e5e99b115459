// The window classes of the built-in controls. Each control's source adds
// its class with a static ControlClass entry; the classes are registered
// together, once, the first time any window class is not found (so dialogs
// and programs find them as they always exist) or at InitCommonControls(Ex).
#pragma once

#include "platform/base/win_types.h"

namespace trelwin::commctrl {

// `register_class` calls RegisterClassA for one class and nothing else of
// the class table (it runs inside the first class lookup that missed).
struct ControlClass {
    explicit ControlClass(void (*register_class)());
    ControlClass(const ControlClass&) = delete;
    ControlClass& operator=(const ControlClass&) = delete;

    void (*const m_register)();
    ControlClass* const m_next;
};

// Registers every control class once; later calls do nothing.
void RegisterControlClasses();

}  // namespace trelwin::commctrl

typedef struct tagINITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
#define ICC_UPDOWN_CLASS 0x00000010
#define ICC_PROGRESS_CLASS 0x00000020
#define ICC_HOTKEY_CLASS 0x00000040
#define ICC_ANIMATE_CLASS 0x00000080
#define ICC_WIN95_CLASSES 0x000000FF
#define ICC_DATE_CLASSES 0x00000100
#define ICC_USEREX_CLASSES 0x00000200
#define ICC_COOL_CLASSES 0x00000400
#define ICC_INTERNET_CLASSES 0x00000800
#define ICC_PAGESCROLLER_CLASS 0x00001000
#define ICC_NATIVEFNTCTL_CLASS 0x00002000
#define ICC_STANDARD_CLASSES 0x00004000
#define ICC_LINK_CLASS 0x00008000

void WINAPI InitCommonControls();
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);
