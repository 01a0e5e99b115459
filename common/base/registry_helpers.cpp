#include "common/base/registry_helpers.h"

#include <cstring>
#include <vector>

#include "platform/registry/registry_move.h"

namespace {

const REGSAM kReadWrite = KEY_READ | KEY_WRITE;

CString JoinKeyPath(const CString& parent, const CString& name) {
    CString path = parent;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '\\') path += '\\';
    return path + name + "\\";
}

// Reads value `index` of `key` with its data; the value may change size
// between the size query and the read (another process), so retry a few
// times.
LONG ReadValueAt(HKEY key, DWORD index, std::vector<char>& name, DWORD& type, std::vector<BYTE>& data) {
    LONG rc = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = 0;
        rc = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize);
        if (rc != ERROR_SUCCESS) return rc;
        data.resize(dataSize);
        nameSize = static_cast<DWORD>(name.size());
        rc = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (rc == ERROR_SUCCESS) data.resize(dataSize);
    }
    return rc;
}

}  // namespace

int MoveRegistryKey(HKEY sourceRoot, HKEY destRoot, const CString& parentPath, const CString& keyName) {
    // The whole tree moves in one read and one write of each root: copied
    // value by value, every value would rewrite the destination's file.
    bool found = false;
    trelwin::registry::MoveKeyTree(sourceRoot, destRoot, JoinKeyPath(parentPath, keyName),
                                   trelwin::registry::EmptyValues::Skip, &found);
    return found ? 1 : 0;
}

BOOL CopyRegistryValues(HKEY source, const CString& path, HKEY destRoot) {
    HKEY dest = nullptr;
    if (RegCreateKeyExA(destRoot, path, 0, nullptr, 0, kReadWrite, nullptr, &dest, nullptr) != ERROR_SUCCESS)
        return FALSE;
    std::vector<char> name(MAX_REG_VALUE_NAME + 1);
    std::vector<BYTE> data;
    BOOL complete = FALSE;
    for (DWORD index = 0;; ++index) {
        DWORD type = 0;
        LONG rc = ReadValueAt(source, index, name, type, data);
        if (rc == ERROR_NO_MORE_ITEMS) {
            complete = TRUE;
            break;
        }
        if (rc != ERROR_SUCCESS) break;
        if (data.empty()) continue;  // a value without data is not copied
        if (RegSetValueExA(dest, name.data(), 0, type, data.data(), static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(dest);
    return complete;
}

LONG CopyRegistrySubkeys(HKEY source, const CString& path, HKEY destRoot, char* name) {
    for (DWORD index = 0;; ++index) {
        std::memset(name, 0, MAX_REG_KEY_NAME + 1);
        DWORD size = MAX_REG_KEY_NAME + 1;
        LONG rc = RegEnumKeyExA(source, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) return rc;

        CString subkey(name);
        HKEY child = nullptr;
        rc = RegOpenKeyExA(source, subkey, 0, KEY_READ, &child);
        if (rc != ERROR_SUCCESS) return rc;
        CString childPath = path + subkey + "\\";
        BOOL values = CopyRegistryValues(child, childPath, destRoot);
        rc = CopyRegistrySubkeys(child, childPath, destRoot, name);
        RegCloseKey(child);
        if (!values) return ERROR_CANTWRITE;
        if (rc != ERROR_NO_MORE_ITEMS) return rc;
    }
}
