// The Reg* functions: open keys are entries of a handle table that name a
// root and a path; every call looks its key up again in the root's current
// tree, so a key deleted here or by another process fails cleanly.
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry/registry_file.h"
#include "platform/registry/registry_move.h"
#include "platform/registry/registry_tree.h"
#include "platform/registry/win_registry.h"

namespace {

using trelwin::registry::RegistryFile;
using trelwin::registry::RegistryKey;
using trelwin::registry::RegistryValue;
using trelwin::registry::SameName;

using Path = std::vector<std::string>;

enum class Root { CurrentUser, LocalMachine, Empty };

struct OpenKey {
    Root root = Root::Empty;
    Path path;  // names as stored, from the root down
    REGSAM access = 0;
    bool deleted = false;
};

struct Registry {
    std::mutex mutex;
    RegistryFile currentUser{"HKEY_CURRENT_USER"};
    RegistryFile localMachine{"HKEY_LOCAL_MACHINE"};
    std::unordered_map<uintptr_t, OpenKey> handles;
    uintptr_t nextHandle = 0x1000;
};

// Never destroyed: handles may be closed by other static destructors.
Registry& State() {
    static Registry* registry = new Registry;
    return *registry;
}

bool IsPredefined(HKEY h) {
    return h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE || h == HKEY_USERS ||
           h == HKEY_CURRENT_CONFIG;
}

REGSAM Granted(REGSAM sam) {
    if (sam & (MAXIMUM_ALLOWED | GENERIC_ALL)) sam |= KEY_ALL_ACCESS;
    if (sam & (GENERIC_READ | GENERIC_EXECUTE)) sam |= KEY_READ;
    if (sam & GENERIC_WRITE) sam |= KEY_WRITE;
    return sam & KEY_ALL_ACCESS;
}

LONG Lookup(Registry& r, HKEY h, OpenKey& out) {
    if (h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE) {
        out = OpenKey{h == HKEY_CURRENT_USER ? Root::CurrentUser : Root::LocalMachine, {}, KEY_ALL_ACCESS, false};
        return ERROR_SUCCESS;
    }
    if (IsPredefined(h)) {
        out = OpenKey{Root::Empty, {}, KEY_READ, false};
        return ERROR_SUCCESS;
    }
    auto it = r.handles.find(reinterpret_cast<uintptr_t>(h));
    if (it == r.handles.end()) return ERROR_INVALID_HANDLE;
    if (it->second.deleted) return ERROR_KEY_DELETED;
    out = it->second;
    return ERROR_SUCCESS;
}

HKEY AddHandle(Registry& r, OpenKey key) {
    uintptr_t id = r.nextHandle++;
    r.handles.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

bool ValidName(std::string_view name, size_t maxLength) {
    return name.size() <= maxLength && name.find_first_of("\r\n") == std::string_view::npos;
}

// Splits "A\B\C"; empty parts (doubled or trailing backslashes) are skipped.
LONG SplitPath(LPCSTR text, Path& out) {
    out.clear();
    if (!text) return ERROR_SUCCESS;
    std::string_view s(text);
    while (!s.empty()) {
        size_t cut = s.find('\\');
        std::string_view part = s.substr(0, cut);
        if (!part.empty()) {
            if (!ValidName(part, MAX_REG_KEY_NAME)) return ERROR_INVALID_PARAMETER;
            out.emplace_back(part);
        }
        if (cut == std::string_view::npos) break;
        s.remove_prefix(cut + 1);
    }
    return ERROR_SUCCESS;
}

// Runs op on the key of an open handle with the root's file locked and up
// to date. The handle needs every right in `needs`.
LONG WithKey(HKEY h, REGSAM needs, bool write, const std::function<LONG(RegistryKey&, bool&)>& op) {
    Registry& r = State();
    std::lock_guard<std::mutex> guard(r.mutex);
    OpenKey key;
    LONG rc = Lookup(r, h, key);
    if (rc != ERROR_SUCCESS) return rc;
    if ((key.access & needs) != needs) return ERROR_ACCESS_DENIED;
    if (key.root == Root::Empty) {
        RegistryKey empty;
        bool changed = false;
        return op(empty, changed);
    }
    RegistryFile& file = key.root == Root::CurrentUser ? r.currentUser : r.localMachine;
    return file.Access(write, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* k = root.Find(key.path);
        return k ? op(*k, changed) : ERROR_KEY_DELETED;
    });
}

// Opens or creates the subkey `sub` of `parent`; fills the new handle's path.
LONG OpenPath(Registry& r, const OpenKey& parent, const Path& sub, bool create, OpenKey& out, bool& created) {
    created = false;
    out = OpenKey{parent.root, parent.path, 0, false};
    if (parent.root == Root::Empty) {
        if (sub.empty()) return ERROR_SUCCESS;
        return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    }
    // Keys deeper than a settings file may hold are not made.
    if (create && parent.path.size() + sub.size() > trelwin::registry::kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    RegistryFile& file = parent.root == Root::CurrentUser ? r.currentUser : r.localMachine;
    return file.Access(create, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* k = root.Find(parent.path);
        if (!k) return ERROR_KEY_DELETED;
        for (const std::string& name : sub) {
            RegistryKey* next = k->FindSubkey(name);
            if (!next) {
                if (!create) return ERROR_FILE_NOT_FOUND;
                if (!(parent.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
                next = k->AddSubkey(name);
                created = changed = true;
            }
            k = next;
            out.path.push_back(k->Name());
        }
        return ERROR_SUCCESS;
    });
}

// Runs op with the registry locked, on the key of hKey and the path
// lpSubKey below it.
LONG WithSubkeyPath(HKEY hKey, LPCSTR lpSubKey,
                    const std::function<LONG(Registry&, const OpenKey& parent, const Path& sub)>& op) {
    Path sub;
    LONG rc = SplitPath(lpSubKey, sub);
    if (rc != ERROR_SUCCESS) return rc;
    Registry& r = State();
    std::lock_guard<std::mutex> guard(r.mutex);
    OpenKey parent;
    rc = Lookup(r, hKey, parent);
    return rc == ERROR_SUCCESS ? op(r, parent, sub) : rc;
}

LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, REGSAM sam, bool create, PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return WithSubkeyPath(hKey, lpSubKey, [&](Registry& r, const OpenKey& parent, const Path& sub) -> LONG {
        OpenKey opened;
        bool created = false;
        LONG rc = OpenPath(r, parent, sub, create, opened, created);
        if (rc != ERROR_SUCCESS) return rc;
        opened.access = Granted(sam);
        if (parent.root == Root::Empty) opened.access &= KEY_READ;
        *result = AddHandle(r, std::move(opened));
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

bool HasPrefix(const Path& path, const Path& prefix) {
    if (path.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (!SameName(path[i], prefix[i])) return false;
    return true;
}

void MarkDeleted(Registry& r, Root root, const Path& path) {
    for (auto& [id, key] : r.handles)
        if (key.root == root && HasPrefix(key.path, path)) key.deleted = true;
}

Path Joined(const Path& base, const Path& sub) {
    Path path = base;
    path.insert(path.end(), sub.begin(), sub.end());
    return path;
}

// The key at path below root, made with the keys above it where missing.
RegistryKey* MakePath(RegistryKey& root, const Path& path, bool& changed) {
    RegistryKey* key = &root;
    for (const std::string& name : path) {
        bool created = false;
        key = key->AddSubkey(name, &created);
        changed |= created;
    }
    return key;
}

// Copies the key at `from` in source to `to` in dest, then takes it out of
// source (the root itself stays). The caller has checked that the two do
// not overlap.
LONG MoveWithin(RegistryKey& source, const Path& from, bool& sourceChanged, RegistryKey& dest, const Path& to,
                bool& destChanged, bool copyEmpty, bool& found) {
    RegistryKey* key = source.Find(from);
    if (!key) return ERROR_FILE_NOT_FOUND;
    found = true;
    if (to.size() + trelwin::registry::TreeHeight(*key) > trelwin::registry::kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    RegistryKey* target = MakePath(dest, to, destChanged);
    destChanged |= trelwin::registry::MergeTree(*key, *target, copyEmpty);
    if (from.empty()) return ERROR_ACCESS_DENIED;
    source.Find(Path(from.begin(), from.end() - 1))->RemoveSubkey(from.back());
    sourceChanged = true;
    return ERROR_SUCCESS;
}

// Copies `size` bytes to a caller's buffer of *capacity bytes, the way the
// query functions do: the needed size is always reported back.
LONG CopyOut(const BYTE* data, DWORD size, LPBYTE buffer, LPDWORD capacity) {
    if (buffer) {
        if (*capacity < size) {
            *capacity = size;
            return ERROR_MORE_DATA;
        }
        if (size) std::memcpy(buffer, data, size);
    }
    if (capacity) *capacity = size;
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                     const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    return OpenOrCreate(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LONG RegCloseKey(HKEY hKey) {
    if (IsPredefined(hKey)) return ERROR_SUCCESS;
    Registry& r = State();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.handles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    std::string_view name = lpValueName ? lpValueName : "";
    return WithKey(hKey, KEY_QUERY_VALUE, false, [&](RegistryKey& key, bool&) -> LONG {
        const RegistryValue* v = key.FindValue(name);
        if (!v) return ERROR_FILE_NOT_FOUND;
        if (lpType) *lpType = v->type;
        return CopyOut(v->data.data(), static_cast<DWORD>(v->data.size()), lpData, lpcbData);
    });
}

LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    HKEY key = hKey;
    if (lpSubKey && *lpSubKey) {
        LONG rc = RegOpenKeyExA(hKey, lpSubKey, 0, KEY_QUERY_VALUE, &key);
        if (rc != ERROR_SUCCESS) return rc;
    }
    DWORD size = lpcbData ? static_cast<DWORD>(*lpcbData) : 0;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(lpData),
                               lpcbData ? &size : nullptr);
    if (rc == ERROR_FILE_NOT_FOUND) {
        static const BYTE empty[1] = {0};
        size = lpcbData ? static_cast<DWORD>(*lpcbData) : 0;
        rc = CopyOut(empty, 1, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &size : nullptr);
    }
    if (lpcbData && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA)) *lpcbData = static_cast<LONG>(size);
    if (key != hKey) RegCloseKey(key);
    return rc;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    if (!lpData && cbData) return ERROR_NOACCESS;
    std::string_view name = lpValueName ? lpValueName : "";
    if (!ValidName(name, MAX_REG_VALUE_NAME)) return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> data(lpData, lpData + cbData);
    return WithKey(hKey, KEY_SET_VALUE, true, [&](RegistryKey& key, bool& changed) -> LONG {
        const RegistryValue* old = key.FindValue(name);
        // Rewriting the same data leaves the file alone.
        if (old && old->type == dwType && old->data == data) return ERROR_SUCCESS;
        key.SetValue(name, dwType, std::move(data));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
    return WithKey(hKey, KEY_ENUMERATE_SUB_KEYS, false, [&](RegistryKey& key, bool&) -> LONG {
        if (dwIndex >= key.Subkeys().size()) return ERROR_NO_MORE_ITEMS;
        const std::string& name = key.Subkeys()[dwIndex]->Name();
        if (name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
        std::memcpy(lpName, name.c_str(), name.size() + 1);
        *lpcchName = static_cast<DWORD>(name.size());
        if (lpClass && lpcchClass && *lpcchClass) *lpClass = 0;
        if (lpcchClass) *lpcchClass = 0;
        if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    return WithKey(hKey, KEY_QUERY_VALUE, false, [&](RegistryKey& key, bool&) -> LONG {
        if (dwIndex >= key.Values().size()) return ERROR_NO_MORE_ITEMS;
        const RegistryValue& v = key.Values()[dwIndex];
        if (v.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
        std::memcpy(lpValueName, v.name.c_str(), v.name.size() + 1);
        *lpcchValueName = static_cast<DWORD>(v.name.size());
        if (lpType) *lpType = v.type;
        return CopyOut(v.data.data(), static_cast<DWORD>(v.data.size()), lpData, lpcbData);
    });
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    return WithSubkeyPath(hKey, lpSubKey, [&](Registry& r, const OpenKey& parent, const Path& sub) -> LONG {
        if (parent.root == Root::Empty) return sub.empty() ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        Path target = parent.path;
        target.insert(target.end(), sub.begin(), sub.end());
        if (target.empty()) return ERROR_ACCESS_DENIED;  // a root cannot be deleted

        RegistryFile& file = parent.root == Root::CurrentUser ? r.currentUser : r.localMachine;
        LONG rc = file.Access(true, [&](RegistryKey& root, bool& changed) -> LONG {
            if (!root.Find(parent.path)) return ERROR_KEY_DELETED;
            Path above(target.begin(), target.end() - 1);
            RegistryKey* holder = root.Find(above);
            if (!holder || !holder->RemoveSubkey(target.back())) return ERROR_FILE_NOT_FOUND;
            changed = true;
            return ERROR_SUCCESS;
        });
        if (rc == ERROR_SUCCESS) MarkDeleted(r, parent.root, target);
        return rc;
    });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::string_view name = lpValueName ? lpValueName : "";
    return WithKey(hKey, KEY_SET_VALUE, true, [&](RegistryKey& key, bool& changed) -> LONG {
        if (!key.RemoveValue(name)) return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG trelwin::registry::MoveKeyTree(HKEY sourceRoot, HKEY destRoot, LPCSTR path, EmptyValues empty, bool* found) {
    bool sourceFound = false;
    LONG rc = WithSubkeyPath(sourceRoot, path, [&](Registry& r, const OpenKey& source, const Path& sub) -> LONG {
        const Path from = Joined(source.path, sub);
        RegistryFile* sourceFile = source.root == Root::CurrentUser   ? &r.currentUser
                                   : source.root == Root::LocalMachine ? &r.localMachine
                                                                      : nullptr;
        // Says whether the source is there, for a move that cannot start.
        auto stays = [&](LONG why) -> LONG {
            if (sourceFile) {
                sourceFile->Access(false, [&](RegistryKey& root, bool&) -> LONG {
                    sourceFound = root.Find(from) != nullptr;
                    return ERROR_SUCCESS;
                });
            } else {
                sourceFound = from.empty();
            }
            return sourceFound ? why : ERROR_FILE_NOT_FOUND;
        };
        OpenKey dest;
        LONG opened = Lookup(r, destRoot, dest);
        if (opened != ERROR_SUCCESS) return stays(opened);
        if (!sourceFile || dest.root == Root::Empty ||
            (dest.access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
            return stays(ERROR_ACCESS_DENIED);
        const Path to = Joined(dest.path, sub);
        const bool copyEmpty = empty == EmptyValues::Copy;
        bool ran = false;
        LONG result;
        if (dest.root == source.root) {
            // One file: a key moved into its own tree, or over a key above
            // it, would take itself along when it is deleted.
            if (HasPrefix(from, to) || HasPrefix(to, from)) return stays(ERROR_INVALID_PARAMETER);
            result = sourceFile->Access(true, [&](RegistryKey& root, bool& changed) -> LONG {
                ran = true;
                return MoveWithin(root, from, changed, root, to, changed, copyEmpty, sourceFound);
            });
        } else {
            RegistryFile& destFile = dest.root == Root::CurrentUser ? r.currentUser : r.localMachine;
            // The destination first: the source goes only once its copy is saved.
            result = RegistryFile::AccessTogether(
                destFile, *sourceFile,
                [&](RegistryKey& destTree, bool& destChanged, RegistryKey& sourceTree, bool& sourceChanged) -> LONG {
                    ran = true;
                    return MoveWithin(sourceTree, from, sourceChanged, destTree, to, destChanged, copyEmpty,
                                      sourceFound);
                });
        }
        if (!ran) return stays(result);
        if (result == ERROR_SUCCESS) MarkDeleted(r, source.root, from);
        return result;
    });
    if (found) *found = sourceFound;
    return rc;
}
