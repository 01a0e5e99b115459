// Copying one key's tree into another in a single walk, for moving a key
// between roots: what would be a lookup from the start for every value and
// a sorted insert for every subkey is a hashed lookup and one merge of two
// sorted lists per key.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/registry/registry_tree.h"

namespace trelwin::registry {

namespace {

bool MergeValues(const RegistryKey& from, RegistryKey& into, bool copyEmptyValues) {
    bool changed = false;
    std::unordered_map<std::string, size_t> held;
    held.reserve(into.Values().size() + from.Values().size());
    for (size_t i = 0; i < into.Values().size(); ++i) held.emplace(FoldedName(into.Values()[i].name), i);
    for (const RegistryValue& value : from.Values()) {
        if (value.data.empty() && !copyEmptyValues) continue;
        auto [at, added] = held.emplace(FoldedName(value.name), into.Values().size());
        if (added) {
            into.AppendValue(value.name, value.type, value.data);
            changed = true;
            continue;
        }
        const RegistryValue& old = into.Values()[at->second];
        if (old.type == value.type && old.data == value.data) continue;
        into.SetValueAt(at->second, value.type, value.data);
        changed = true;
    }
    return changed;
}

// Pairs each subkey of from with the subkey of into of the same name, made
// when missing. Both lists are sorted by name, so one walk pairs them; new
// subkeys go to the end and are sorted in at the end.
bool PairSubkeys(const RegistryKey& from, RegistryKey& into,
                 std::vector<std::pair<const RegistryKey*, RegistryKey*>>& pairs) {
    const size_t sorted = into.Subkeys().size();
    size_t j = 0;
    bool added = false;
    for (const auto& sub : from.Subkeys()) {
        while (j < sorted && CompareNames(into.Subkeys()[j]->Name(), sub->Name()) < 0) ++j;
        RegistryKey* target = nullptr;
        if (j < sorted && SameName(into.Subkeys()[j]->Name(), sub->Name())) {
            target = into.Subkeys()[j].get();
        } else {
            target = into.AppendSubkey(sub->Name());
            added = true;
        }
        pairs.emplace_back(sub.get(), target);
    }
    if (added && sorted > 0) into.SortSubkeys();
    return added;
}

}  // namespace

size_t TreeHeight(const RegistryKey& key) {
    size_t height = 0;
    std::vector<std::pair<const RegistryKey*, size_t>> pending{{&key, 0}};
    while (!pending.empty()) {
        auto [k, depth] = pending.back();
        pending.pop_back();
        if (depth > height) height = depth;
        for (const auto& sub : k->Subkeys()) pending.emplace_back(sub.get(), depth + 1);
    }
    return height;
}

bool MergeTree(const RegistryKey& from, RegistryKey& into, bool copyEmptyValues) {
    bool changed = false;
    std::vector<std::pair<const RegistryKey*, RegistryKey*>> pending{{&from, &into}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        changed |= MergeValues(*source, *target, copyEmptyValues);
        changed |= PairSubkeys(*source, *target, pending);
    }
    return changed;
}

}  // namespace trelwin::registry
