// The in-memory form of one registry root: a tree of keys, each holding
// named values. Names compare case-insensitively but keep the case they were
// created with.
//
// Nothing here recurses over the tree's depth: destruction and the file's
// reader and writer walk it with stacks of their own. Keys may still be
// nested at most kMaxKeyDepth levels below the root (checked where keys are
// made from outside: the file's reader and RegCreateKeyEx).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace trelwin::registry {

// Deepest key below a root, in levels (a key directly under the root is at 1).
inline constexpr size_t kMaxKeyDepth = 512;

// Compares names as the registry does: ASCII letters fold to upper case,
// every other byte compares by its unsigned value.
int CompareNames(std::string_view a, std::string_view b);
bool SameName(std::string_view a, std::string_view b);
// The name with ASCII letters folded to upper case: equal for SameName names.
std::string FoldedName(std::string_view name);

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
    ~RegistryKey();
    RegistryKey(RegistryKey&& other) noexcept = default;
    // The tree this key held is destroyed without recursion.
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    const std::string& Name() const { return name_; }

    const std::vector<std::unique_ptr<RegistryKey>>& Subkeys() const { return subkeys_; }
    RegistryKey* FindSubkey(std::string_view name) const;
    // Returns the existing subkey of that name, or a new one.
    RegistryKey* AddSubkey(std::string_view name, bool* created = nullptr);
    bool RemoveSubkey(std::string_view name);

    // For a reader that finds names with an index of its own: appends a new
    // subkey without keeping the order; SortSubkeys restores it.
    RegistryKey* AppendSubkey(std::string_view name);
    void SortSubkeys();

    // A key that a file only named as part of a deeper key's path, and never
    // by itself. The writer leaves such a key out while it has no values and
    // its subkeys name it, so that a file is written back about as long as
    // it was read. Keys made through the API are never implied.
    bool Implied() const { return implied_; }
    void SetImplied(bool implied) { implied_ = implied; }

    const std::vector<RegistryValue>& Values() const { return values_; }
    const RegistryValue* FindValue(std::string_view name) const;
    // Replaces the data of an existing value (keeping its position and the
    // case of its name) or appends a new value.
    void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    // Replaces the data of the value at index (of Values()).
    void SetValueAt(size_t index, DWORD type, std::vector<BYTE> data);
    // Appends a value without looking for one of the same name.
    void AppendValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::string_view name);

    void Clear();

    // Follows a path of names below this key; nullptr when one is missing.
    RegistryKey* Find(const std::vector<std::string>& path);

private:
    std::string name_;
    bool implied_ = false;
    std::vector<std::unique_ptr<RegistryKey>> subkeys_;
    std::vector<RegistryValue> values_;
};

// Levels of keys below key (0 for a key without subkeys).
size_t TreeHeight(const RegistryKey& key);

// Merges the values and subkeys of from, at every depth, into into: a value
// of a name into already holds takes the new type and data, and a subkey of
// a name it holds is merged in turn; both keep the case of the name they
// had. New values are appended in from's order, new subkeys made. Values
// without data are left out unless copyEmptyValues. Returns whether into
// changed. Takes time linear in the size of both trees. The trees must not
// overlap.
bool MergeTree(const RegistryKey& from, RegistryKey& into, bool copyEmptyValues);

}  // namespace trelwin::registry
