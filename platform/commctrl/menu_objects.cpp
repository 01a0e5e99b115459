// HMENU objects: a table of menus behind handles that are never given out
// twice, each a list of items. Items are found by position or, searching
// the pop-ups too, by command id.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/commctrl/menu.h"

namespace trelwin::commctrl {

namespace {

constexpr UINT kPopupId = static_cast<UINT>(-1);
constexpr UINT kStateBits = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;
constexpr UINT kTypeBits = MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RADIOCHECK |
                           MFT_SEPARATOR | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    std::string text;
};

struct Menu {
    std::vector<MenuItem> items;
};

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::map<UINT_PTR, std::unique_ptr<Menu>>& Table() {
    static auto* table = new std::map<UINT_PTR, std::unique_ptr<Menu>>;
    return *table;
}

UINT_PTR g_next = 0x1000;

// Caller holds TableLock.
Menu* Find(HMENU h) {
    auto it = Table().find(reinterpret_cast<UINT_PTR>(h));
    if (it == Table().end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

struct Where {
    Menu* menu = nullptr;
    int index = -1;
};

// By position, or by command searching pop-ups depth first. Caller holds TableLock.
Where Locate(HMENU h, UINT item, bool byPosition, int depth = 0) {
    Menu* menu = Find(h);
    if (menu == nullptr || depth > 32) return {};
    if (byPosition) {
        if (item >= menu->items.size()) return {};
        return {menu, static_cast<int>(item)};
    }
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem& it = menu->items[i];
        if (it.sub == nullptr && it.id == item) return {menu, static_cast<int>(i)};
        if (it.sub != nullptr) {
            Where inner = Locate(it.sub, item, false, depth + 1);
            if (inner.menu != nullptr) return inner;
            if (it.id == item) return {menu, static_cast<int>(i)};
        }
    }
    return {};
}

Where LocateOrFail(HMENU h, UINT item, bool byPosition) {
    Where w = Locate(h, item, byPosition);
    if (w.menu == nullptr && Find(h) != nullptr) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return w;
}

// Caller holds TableLock.
void DestroyLocked(HMENU h, int depth = 0) {
    auto it = Table().find(reinterpret_cast<UINT_PTR>(h));
    if (it == Table().end() || depth > 32) return;
    std::unique_ptr<Menu> menu = std::move(it->second);
    Table().erase(it);
    for (const MenuItem& item : menu->items) {
        if (item.sub != nullptr) DestroyLocked(item.sub, depth + 1);
    }
}

MenuItem ItemFromFlags(UINT flags, UINT_PTR id, LPCSTR text) {
    MenuItem item;
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    item.type = flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
    if (flags & MF_POPUP) {
        item.sub = reinterpret_cast<HMENU>(id);
        item.id = kPopupId;
    } else {
        item.id = (flags & MF_SEPARATOR) ? 0 : static_cast<UINT>(id);
    }
    if ((flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) == 0 && text != nullptr) item.text = text;
    if (flags & MF_OWNERDRAW) item.data = reinterpret_cast<ULONG_PTR>(text);
    return item;
}

HMENU NewMenu() {
    std::lock_guard<std::mutex> guard(TableLock());
    const UINT_PTR handle = g_next++;
    Table()[handle] = std::make_unique<Menu>();
    return reinterpret_cast<HMENU>(handle);
}

// Before the item at a position (at the end for -1 and beyond) or before
// the item of a command. Caller holds TableLock.
bool InsertItem(HMENU h, Menu* menu, UINT position, bool byPosition, MenuItem item) {
    if (byPosition) {
        const size_t at = std::min<size_t>(position, menu->items.size());
        menu->items.insert(menu->items.begin() + static_cast<long>(at), std::move(item));
        return true;
    }
    Where w = LocateOrFail(h, position, false);
    if (w.menu == nullptr) return false;
    w.menu->items.insert(w.menu->items.begin() + w.index, std::move(item));
    return true;
}

bool RemoveItem(HMENU h, UINT position, UINT flags, bool destroy) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(h, position, (flags & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return false;
    HMENU sub = w.menu->items[static_cast<size_t>(w.index)].sub;
    w.menu->items.erase(w.menu->items.begin() + w.index);
    if (destroy && sub != nullptr) DestroyLocked(sub);
    return true;
}

}  // namespace

bool GetMenuItemView(HMENU menu, int position, MenuItemView* view) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = Locate(menu, static_cast<UINT>(position), true);
    if (w.menu == nullptr || position < 0) return false;
    const MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    view->type = item.type;
    view->state = item.state;
    view->id = item.id;
    view->subMenu = item.sub;
    view->text = item.text;
    return true;
}

}  // namespace trelwin::commctrl

using namespace trelwin::commctrl;

HMENU WINAPI CreateMenu() { return NewMenu(); }

HMENU WINAPI CreatePopupMenu() { return NewMenu(); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    std::lock_guard<std::mutex> guard(TableLock());
    if (Find(hMenu) == nullptr) return FALSE;
    DestroyLocked(hMenu);
    return TRUE;
}

BOOL WINAPI IsMenu(HMENU hMenu) {
    std::lock_guard<std::mutex> guard(TableLock());
    return Table().count(reinterpret_cast<UINT_PTR>(hMenu)) != 0 ? TRUE : FALSE;
}

BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    std::lock_guard<std::mutex> guard(TableLock());
    Menu* menu = Find(hMenu);
    if (menu == nullptr) return FALSE;
    if ((uFlags & MF_POPUP) && Find(reinterpret_cast<HMENU>(uIDNewItem)) == nullptr) return FALSE;
    MenuItem item = ItemFromFlags(uFlags, uIDNewItem, lpNewItem);
    return InsertItem(hMenu, menu, uPosition, (uFlags & MF_BYPOSITION) != 0, std::move(item)) ? TRUE : FALSE;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return InsertMenuA(hMenu, static_cast<UINT>(-1), (uFlags & ~MF_BYCOMMAND) | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hMnu, uPosition, (uFlags & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return FALSE;
    if ((uFlags & MF_POPUP) && Find(reinterpret_cast<HMENU>(uIDNewItem)) == nullptr) return FALSE;
    MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    MenuItem next = ItemFromFlags(uFlags, uIDNewItem, lpNewItem);
    // A pop-up that is replaced by something else goes with its item.
    if (item.sub != nullptr && item.sub != next.sub) DestroyLocked(item.sub);
    next.data = item.data;
    item = std::move(next);
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    return RemoveItem(hMenu, uPosition, uFlags, true) ? TRUE : FALSE;
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    return RemoveItem(hMenu, uPosition, uFlags, false) ? TRUE : FALSE;
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return static_cast<DWORD>(-1);
    MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    const DWORD previous = item.state & MF_CHECKED;
    item.state = (item.state & ~MF_CHECKED) | (uCheck & MF_CHECKED);
    return previous;
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hMenu, uIDEnableItem, (uEnable & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return -1;
    MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    const UINT previous = item.state & (MF_GRAYED | MF_DISABLED);
    item.state = (item.state & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    std::lock_guard<std::mutex> guard(TableLock());
    Menu* menu = Find(hMenu);
    return menu == nullptr ? -1 : static_cast<int>(menu->items.size());
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = Locate(hMenu, static_cast<UINT>(nPos), true);
    if (w.menu == nullptr || nPos < 0) return kPopupId;
    const MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    return item.sub != nullptr ? kPopupId : item.id;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hMenu, uIDItem, (flags & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return 0;
    const std::string& text = w.menu->items[static_cast<size_t>(w.index)].text;
    if (lpString == nullptr || cchMax <= 0) return static_cast<int>(text.size());
    const size_t n = std::min(text.size(), static_cast<size_t>(cchMax - 1));
    std::memcpy(lpString, text.data(), n);
    lpString[n] = '\0';
    return static_cast<int>(n);
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = Locate(hMenu, static_cast<UINT>(nPos), true);
    if (w.menu == nullptr || nPos < 0) return nullptr;
    return w.menu->items[static_cast<size_t>(w.index)].sub;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
    if (w.menu == nullptr) return static_cast<UINT>(-1);
    const MenuItem& item = w.menu->items[static_cast<size_t>(w.index)];
    const UINT flags = (item.state & kStateBits) | (item.type & kTypeBits);
    if (item.sub != nullptr) {
        Menu* sub = Find(item.sub);
        const UINT count = sub != nullptr ? static_cast<UINT>(sub->items.size()) : 0;
        return MF_POPUP | (flags & 0xFF) | ((count & 0xFF) << 8);
    }
    return flags;
}

namespace {

bool ApplyInfo(MenuItem& item, LPCMENUITEMINFOA mii) {
    if (mii->fMask & MIIM_SUBMENU) {
        if (mii->hSubMenu != nullptr && Find(mii->hSubMenu) == nullptr) return false;
        item.sub = mii->hSubMenu;
        if (item.sub != nullptr) item.id = kPopupId;
    }
    if (mii->fMask & MIIM_TYPE) {
        item.type = mii->fType & kTypeBits;
        if ((mii->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0) {
            item.text = mii->dwTypeData != nullptr ? mii->dwTypeData : "";
        }
    }
    if (mii->fMask & MIIM_FTYPE) item.type = mii->fType & kTypeBits;
    if (mii->fMask & MIIM_STRING) item.text = mii->dwTypeData != nullptr ? mii->dwTypeData : "";
    if (mii->fMask & MIIM_STATE) item.state = mii->fState & kStateBits;
    if (mii->fMask & MIIM_ID) item.id = mii->wID;
    if (mii->fMask & MIIM_DATA) item.data = mii->dwItemData;
    return true;
}

}  // namespace

BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOA lpmii) {
    if (lpmii == nullptr || lpmii->cbSize < sizeof(UINT) * 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hmenu, item, fByPositon != FALSE);
    if (w.menu == nullptr) return FALSE;
    return ApplyInfo(w.menu->items[static_cast<size_t>(w.index)], lpmii) ? TRUE : FALSE;
}

BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmi) {
    if (lpmi == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(TableLock());
    Menu* menu = Find(hmenu);
    if (menu == nullptr) return FALSE;
    MenuItem next;
    if (!ApplyInfo(next, lpmi)) return FALSE;
    return InsertItem(hmenu, menu, item, fByPosition != FALSE, std::move(next)) ? TRUE : FALSE;
}

BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii) {
    if (lpmii == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(TableLock());
    Where w = LocateOrFail(hmenu, item, fByPosition != FALSE);
    if (w.menu == nullptr) return FALSE;
    const MenuItem& it = w.menu->items[static_cast<size_t>(w.index)];
    if (lpmii->fMask & (MIIM_TYPE | MIIM_FTYPE)) lpmii->fType = it.type;
    if (lpmii->fMask & MIIM_STATE) lpmii->fState = it.state;
    if (lpmii->fMask & MIIM_ID) lpmii->wID = it.id;
    if (lpmii->fMask & MIIM_SUBMENU) lpmii->hSubMenu = it.sub;
    if (lpmii->fMask & MIIM_DATA) lpmii->dwItemData = it.data;
    if (lpmii->fMask & (MIIM_STRING | MIIM_TYPE)) {
        if (lpmii->dwTypeData != nullptr && lpmii->cch > 0) {
            const size_t n = std::min<size_t>(it.text.size(), lpmii->cch - 1);
            std::memcpy(lpmii->dwTypeData, it.text.data(), n);
            lpmii->dwTypeData[n] = '\0';
            lpmii->cch = static_cast<UINT>(n);
        } else {
            lpmii->cch = static_cast<UINT>(it.text.size());
        }
    }
    return TRUE;
}

BOOL WINAPI CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
    std::lock_guard<std::mutex> guard(TableLock());
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    Where target = LocateOrFail(hmenu, check, byPosition);
    if (target.menu == nullptr) return FALSE;
    for (size_t i = 0; i < target.menu->items.size(); ++i) {
        MenuItem& item = target.menu->items[i];
        const UINT key = byPosition ? static_cast<UINT>(i) : item.id;
        if (key < first || key > last || item.sub != nullptr) continue;
        if (static_cast<int>(i) == target.index) {
            item.state |= MF_CHECKED;
            item.type |= MFT_RADIOCHECK;
        } else {
            item.state &= ~MF_CHECKED;
        }
    }
    return TRUE;
}
