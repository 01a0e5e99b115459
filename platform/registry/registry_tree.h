// The in-memory form of one registry root: a tree of keys, each holding
// named values. Names compare case-insensitively but keep the case they were
// created with.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace trelwin::registry {

// Compares names as the registry does: ASCII letters fold to upper case,
// every other byte compares by its unsigned value.
int CompareNames(std::string_view a, std::string_view b);
bool SameName(std::string_view a, std::string_view b);

struct RegistryValue {
    std::string name;  // "" is the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Subkeys are kept sorted by CompareNames, so enumeration order does not
// depend on the order of creation and survives a save and reload. Values
// keep the order in which they were first set.
class RegistryKey {
public:
    explicit RegistryKey(std::string name = {}) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }

    const std::vector<std::unique_ptr<RegistryKey>>& Subkeys() const { return subkeys_; }
    RegistryKey* FindSubkey(std::string_view name) const;
    // Returns the existing subkey of that name, or a new one.
    RegistryKey* AddSubkey(std::string_view name, bool* created = nullptr);
    bool RemoveSubkey(std::string_view name);

    const std::vector<RegistryValue>& Values() const { return values_; }
    const RegistryValue* FindValue(std::string_view name) const;
    // Replaces the data of an existing value (keeping its position and the
    // case of its name) or appends a new value.
    void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::string_view name);

    void Clear();

    // Follows a path of names below this key; nullptr when one is missing.
    RegistryKey* Find(const std::vector<std::string>& path);

private:
    std::string name_;
    std::vector<std::unique_ptr<RegistryKey>> subkeys_;
    std::vector<RegistryValue> values_;
};

}  // namespace trelwin::registry
