#include "app/registry_settings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/registry/registry.h"

namespace {

const char kSettingsKey[] = "Software\\Brisel\\BriselTrelwin";

// The settings key, created when missing; nullptr when that fails.
HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The settings key when it exists; nullptr otherwise.
HKEY OpenExistingSettingsKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

// Reads a value as text: texts up to their first zero, a REG_DWORD as its
// decimal number. Returns the registry's result code.
LONG ReadText(HKEY key, LPCTSTR name, CString& text) {
    text.Empty();
    std::vector<BYTE> data;
    DWORD type = 0;
    LONG rc = ERROR_MORE_DATA;
    // The value may grow between the size query and the read.
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
        DWORD size = 0;
        rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return rc;
        data.resize(size);
        rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    if (rc != ERROR_SUCCESS) return rc;
    if (type == REG_DWORD && data.size() == 4) {
        DWORD number;
        std::memcpy(&number, data.data(), 4);
        text.Format("%u", number);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        auto end = std::find(data.begin(), data.end(), BYTE(0));
        text = CString(reinterpret_cast<const char*>(data.data()), static_cast<int>(end - data.begin()));
    }
    return ERROR_SUCCESS;
}

LONG WriteText(HKEY key, LPCTSTR name, LPCTSTR text) {
    if (!text) text = "";
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
}

// The leading decimal integer of a text, as atoi reads it, without its
// undefined overflow: out-of-range numbers stop at the int limits.
int LeadingInteger(const char* s) {
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\f' || *s == '\v') ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    long long value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        value = value * 10 + (*s - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

int ReadRegistryInt(LPCTSTR name, int defaultValue) {
    HKEY key = OpenSettingsKey();
    if (!key) return defaultValue;
    CString text;
    LONG rc = ReadText(key, name, text);
    int result = defaultValue;
    if (rc == ERROR_FILE_NOT_FOUND) {
        text.Format("%d", defaultValue);
        WriteText(key, name, text);
    } else if (rc == ERROR_SUCCESS) {
        result = LeadingInteger(text);
    }
    RegCloseKey(key);
    return result;
}

int PeekRegistryInt(LPCTSTR name, int defaultValue) {
    HKEY key = OpenExistingSettingsKey();
    if (!key) return defaultValue;
    CString text;
    const LONG rc = ReadText(key, name, text);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? LeadingInteger(text) : defaultValue;
}

CString ReadRegistryString(LPCTSTR name) {
    CString text;
    HKEY key = OpenSettingsKey();
    if (!key) return text;
    if (ReadText(key, name, text) != ERROR_SUCCESS) text.Empty();
    RegCloseKey(key);
    return text;
}

void WriteRegistryString(LPCTSTR text, LPCTSTR name) {
    HKEY key = OpenSettingsKey();
    if (!key) return;
    WriteText(key, name, text);
    RegCloseKey(key);
}
