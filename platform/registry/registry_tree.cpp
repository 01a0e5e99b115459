#include "platform/registry/registry_tree.h"

#include <algorithm>

namespace trelwin::registry {

namespace {

unsigned char Fold(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Fold(a[i]);
        unsigned char y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(Fold(c));
    return folded;
}

RegistryKey::~RegistryKey() { Clear(); }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Clear();
        name_ = std::move(other.name_);
        implied_ = other.implied_;
        subkeys_ = std::move(other.subkeys_);
        values_ = std::move(other.values_);
    }
    return *this;
}

RegistryKey* RegistryKey::FindSubkey(std::string_view name) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                               [](const std::unique_ptr<RegistryKey>& k, std::string_view n) {
                                   return CompareNames(k->name_, n) < 0;
                               });
    if (it != subkeys_.end() && SameName((*it)->name_, name)) return it->get();
    return nullptr;
}

RegistryKey* RegistryKey::AddSubkey(std::string_view name, bool* created) {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                               [](const std::unique_ptr<RegistryKey>& k, std::string_view n) {
                                   return CompareNames(k->name_, n) < 0;
                               });
    if (it != subkeys_.end() && SameName((*it)->name_, name)) {
        if (created) *created = false;
        return it->get();
    }
    if (created) *created = true;
    it = subkeys_.insert(it, std::make_unique<RegistryKey>(std::string(name)));
    return it->get();
}

bool RegistryKey::RemoveSubkey(std::string_view name) {
    for (auto it = subkeys_.begin(); it != subkeys_.end(); ++it) {
        if (SameName((*it)->name_, name)) {
            subkeys_.erase(it);
            return true;
        }
    }
    return false;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
    for (const RegistryValue& v : values_)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

RegistryKey* RegistryKey::AppendSubkey(std::string_view name) {
    subkeys_.push_back(std::make_unique<RegistryKey>(std::string(name)));
    return subkeys_.back().get();
}

void RegistryKey::SortSubkeys() {
    std::sort(subkeys_.begin(), subkeys_.end(),
              [](const std::unique_ptr<RegistryKey>& a, const std::unique_ptr<RegistryKey>& b) {
                  return CompareNames(a->name_, b->name_) < 0;
              });
}

void RegistryKey::SetValue(std::string_view name, DWORD type, std::vector<BYTE> data) {
    for (RegistryValue& v : values_) {
        if (SameName(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

void RegistryKey::SetValueAt(size_t index, DWORD type, std::vector<BYTE> data) {
    values_[index].type = type;
    values_[index].data = std::move(data);
}

void RegistryKey::AppendValue(std::string_view name, DWORD type, std::vector<BYTE> data) {
    values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

bool RegistryKey::RemoveValue(std::string_view name) {
    for (auto it = values_.begin(); it != values_.end(); ++it) {
        if (SameName(it->name, name)) {
            values_.erase(it);
            return true;
        }
    }
    return false;
}

// A tree as deep as memory allows is taken apart level by level: the
// subkeys' own subkeys move to a list of keys still to empty, so no key is
// destroyed while it still holds any.
void RegistryKey::Clear() {
    std::vector<std::unique_ptr<RegistryKey>> pending = std::move(subkeys_);
    subkeys_.clear();
    while (!pending.empty()) {
        std::unique_ptr<RegistryKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto& sub : key->subkeys_) pending.push_back(std::move(sub));
        key->subkeys_.clear();
    }
    values_.clear();
}

RegistryKey* RegistryKey::Find(const std::vector<std::string>& path) {
    RegistryKey* key = this;
    for (const std::string& part : path) {
        key = key->FindSubkey(part);
        if (!key) return nullptr;
    }
    return key;
}

}  // namespace trelwin::registry
