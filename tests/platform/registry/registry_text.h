// Text values through the registry API, as the program reads and writes its
// settings: "<no key>" and "<no value>" stand for what is missing.
#pragma once

#include <string>

#include "platform/registry/registry.h"

inline std::string ReadText(HKEY root, const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char buf[256] = {};
    DWORD size = sizeof buf - 1;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(buf) : "<no value>";
}

inline LONG WriteText(HKEY root, const char* path, const char* name, const std::string& text) {
    HKEY key;
    LONG rc = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return rc;
}
