// LoadMenuA: builds a menu from a table of MENUTEMPLATEITEM registered as an
// RT_MENU resource.
#include <cstddef>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/commctrl/menu.h"
#include "platform/resources/resource_api.h"

namespace {

constexpr int kMaxDepth = 16;

// Appends the items of one level, starting at `next`, to the menu; true when
// the level ended with an MF_END item inside the table.
bool ReadLevel(const MENUTEMPLATEITEM* items, size_t count, size_t& next, HMENU menu, int depth) {
    if (depth > kMaxDepth) return false;
    while (next < count) {
        const MENUTEMPLATEITEM& item = items[next++];
        const bool last = (item.flags & MF_END) != 0;
        const UINT flags = (item.flags & ~MF_END) | MF_BYPOSITION;
        if (item.flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            if (!ReadLevel(items, count, next, sub, depth + 1)) {
                DestroyMenu(sub);
                return false;
            }
            AppendMenuA(menu, flags, reinterpret_cast<UINT_PTR>(sub), item.text);
        } else {
            AppendMenuA(menu, flags, item.id, (item.flags & MF_SEPARATOR) ? nullptr : item.text);
        }
        if (last) return true;
    }
    return false;
}

}  // namespace

HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
    HRSRC found = FindResourceA(reinterpret_cast<HMODULE>(hInstance), lpMenuName, RT_MENU);
    if (found == nullptr) return nullptr;  // the last error says why
    HGLOBAL data = LoadResource(reinterpret_cast<HMODULE>(hInstance), found);
    const DWORD size = SizeofResource(reinterpret_cast<HMODULE>(hInstance), found);
    const auto* items = static_cast<const MENUTEMPLATEITEM*>(LockResource(data));
    if (items == nullptr || size == 0 || size % sizeof(MENUTEMPLATEITEM) != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const size_t count = size / sizeof(MENUTEMPLATEITEM);
    HMENU menu = CreateMenu();
    size_t next = 0;
    // The top level ends with its MF_END item, which must be the table's last.
    if (!ReadLevel(items, count, next, menu, 0) || next != count) {
        DestroyMenu(menu);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return menu;
}
