#include "platform/user/dialog_template.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resource_api.h"

namespace trelwin::user {

LPCSTR DialogItemClassName(LPCSTR className) {
    if (!IS_INTRESOURCE(className)) return className;
    switch (reinterpret_cast<ULONG_PTR>(className)) {
    case 0x0080: return "BUTTON";
    case 0x0081: return "EDIT";
    case 0x0082: return "STATIC";
    case 0x0083: return "LISTBOX";
    case 0x0084: return "SCROLLBAR";
    case 0x0085: return "COMBOBOX";
    default: return className;
    }
}

const DialogTemplate* FindDialogTemplate(HINSTANCE hInstance, LPCSTR name) {
    HRSRC found = FindResourceA(hInstance, name, RT_DIALOG);
    if (!found) return nullptr;
    // Every RT_DIALOG resource is a table registered by
    // DialogTemplateRegistration; anything else under the type is refused.
    if (SizeofResource(hInstance, found) != sizeof(DialogTemplate)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return static_cast<const DialogTemplate*>(LockResource(LoadResource(hInstance, found)));
}

}  // namespace trelwin::user
