#include "platform/user/images.h"

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/image/icon_resource.h"
#include "platform/resources/resource_api.h"
#include "platform/user/system_metrics.h"

namespace {

struct CSharedImages {
    std::mutex lock;
    std::map<std::string, HANDLE> images;  // by kind, name and size
};

CSharedImages& Shared() {
    static auto* shared = new CSharedImages;
    return *shared;
}

std::string Key(UINT type, LPCSTR name, int cx, int cy) {
    std::string key = std::to_string(type);
    key.push_back(':');
    if (IS_INTRESOURCE(name)) {
        key.push_back('#');
        key.append(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
    } else {
        for (const char* c = name; *c; ++c) key.push_back(static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 32 : *c));
    }
    key.push_back(':');
    key.append(std::to_string(trelwin::user::ScreenDpi()));  // the pictures drawn for it
    key.push_back(':');
    key.append(std::to_string(cx));
    key.push_back('x');
    key.append(std::to_string(cy));
    return key;
}

bool ReadFile(LPCSTR path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The data of a resource; null with the last error set when there is none.
// A bitmap comes in the form drawn for the screen's resolution, when the
// program has one.
const uint8_t* ResourceBytes(HINSTANCE module, LPCSTR name, LPCSTR type, DWORD* size) {
    HRSRC found = type == RT_BITMAP ? trelwin::user::FindScreenBitmap(module, name) : FindResourceA(module, name, type);
    if (!found) return nullptr;
    *size = SizeofResource(module, found);
    return static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
}

HANDLE LoadBitmapImage(HINSTANCE module, LPCSTR name, int cx, int cy, UINT flags) {
    std::vector<uint8_t> file;
    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (flags & LR_LOADFROMFILE) {
        if (!ReadFile(name, file)) return nullptr;
        data = file.data();
        size = static_cast<DWORD>(file.size());
    } else if (!(data = ResourceBytes(module, name, RT_BITMAP, &size))) {
        return nullptr;
    }
    std::string error;
    HBITMAP bitmap = trelwin::gdi::decode_bmp(data, size, &error);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    if (cx > 0 || cy > 0) {
        BITMAP info{};
        GetObjectA(bitmap, sizeof(info), &info);
        const int width = cx > 0 ? cx : info.bmWidth, height = cy > 0 ? cy : info.bmHeight;
        if (width != info.bmWidth || height != info.bmHeight) {
            return CopyImage(bitmap, IMAGE_BITMAP, width, height, LR_COPYDELETEORG | (flags & LR_CREATEDIBSECTION));
        }
    }
    return bitmap;
}

HANDLE LoadIconImage(HINSTANCE module, LPCSTR name, bool icon, int cx, int cy, UINT flags) {
    if (flags & LR_DEFAULTSIZE) {
        if (cx == 0) cx = GetSystemMetrics(icon ? SM_CXICON : SM_CXCURSOR);
        if (cy == 0) cy = GetSystemMetrics(icon ? SM_CYICON : SM_CYCURSOR);
    }
    std::string error;
    if (flags & LR_LOADFROMFILE) {
        std::vector<uint8_t> file;
        if (!ReadFile(name, file)) return nullptr;
        HICON loaded = trelwin::gdi::decode_icon_file(file.data(), file.size(), cx, cy, &error);
        if (!loaded) SetLastError(ERROR_INVALID_DATA);
        return loaded;
    }
    DWORD size = 0;
    const uint8_t* directory = ResourceBytes(module, name, icon ? RT_GROUP_ICON : RT_GROUP_CURSOR, &size);
    if (!directory) return nullptr;
    const int id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(directory), icon ? TRUE : FALSE,
                                               cx ? cx : GetSystemMetrics(SM_CXICON), cy ? cy : GetSystemMetrics(SM_CYICON), 0);
    const uint8_t* bits = id ? ResourceBytes(module, MAKEINTRESOURCEA(id), icon ? RT_ICON : RT_CURSOR, &size) : nullptr;
    if (!bits) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HICON loaded = CreateIconFromResourceEx(const_cast<PBYTE>(bits), size, icon ? TRUE : FALSE, 0x00030000, cx, cy, 0);
    if (!loaded) SetLastError(ERROR_INVALID_DATA);
    return loaded;
}

}  // namespace

HRSRC trelwin::user::FindScreenBitmap(HINSTANCE module, LPCSTR name) {
    return trelwin::FindScaledResource(module, name, RT_BITMAP, MulDiv(ScreenDpi(), 100, 96));
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!name || (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR) ||
        ((fuLoad & LR_LOADFROMFILE) && IS_INTRESOURCE(name))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool shared = (fuLoad & LR_SHARED) && !(fuLoad & LR_LOADFROMFILE);
    const std::string key = Key(type, name, cx, cy);
    if (shared) {
        std::lock_guard<std::mutex> guard(Shared().lock);
        auto found = Shared().images.find(key);
        if (found != Shared().images.end()) return found->second;
    }
    HANDLE loaded = type == IMAGE_BITMAP ? LoadBitmapImage(hInst, name, cx, cy, fuLoad)
                                         : LoadIconImage(hInst, name, type == IMAGE_ICON, cx, cy, fuLoad);
    if (!loaded || !shared) return loaded;
    std::lock_guard<std::mutex> guard(Shared().lock);
    auto [at, added] = Shared().images.emplace(key, loaded);
    if (!added) {
        // Another thread loaded it first; keep one.
        if (type == IMAGE_BITMAP) DeleteObject(loaded); else DestroyIcon(static_cast<HICON>(loaded));
    }
    return at->second;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    return static_cast<HBITMAP>(LoadImageA(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0));
}
