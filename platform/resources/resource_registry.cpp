#include "platform/resources/resource_registry.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>

#include "platform/base/win_errors.h"

namespace trelwin {

namespace {

// A type or a name: an integer id, or a string kept in upper case so that
// lookups ignore case.
struct ResourceKey {
    bool isString = false;
    WORD id = 0;
    std::string name;

    auto operator<=>(const ResourceKey&) const = default;
};

ResourceKey MakeKey(LPCSTR value)
{
    ResourceKey key;
    if (IS_INTRESOURCE(value)) {
        key.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    key.isString = true;
    for (const char* p = value; *p; ++p) {
        char c = *p;
        key.name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

// Empty resources still get a non-null data pointer, so that LoadResource
// can tell them from a failure.
const BYTE kEmpty[1] = {0};

}  // namespace

struct ResourceEntry {
    const BYTE* data;
    size_t size;
};

namespace {

class Registry {
public:
    bool Add(LPCSTR type, LPCSTR name, const void* data, size_t size, int percent = 100)
    {
        if (type == nullptr || (data == nullptr && size != 0) || percent <= 0)
            return false;
        auto entry = std::make_unique<ResourceEntry>();
        entry->data = size ? static_cast<const BYTE*>(data) : kEmpty;
        entry->size = size;
        std::unique_lock lock(mutex_);
        if (percent != 100) {
            auto [it, inserted] = scaled_[MakeKey(type)][MakeKey(name)].try_emplace(percent, nullptr);
            if (!inserted)
                return false;
            it->second = std::move(entry);
            entries_.insert(it->second.get());
            return true;
        }
        auto& names = types_[MakeKey(type)];
        auto [it, inserted] = names.try_emplace(MakeKey(name), nullptr);
        if (!inserted)
            return false;
        it->second = std::move(entry);
        entries_.insert(it->second.get());
        return true;
    }

    const ResourceEntry* Find(LPCSTR type, LPCSTR name, DWORD* error) const
    {
        std::shared_lock lock(mutex_);
        auto t = types_.find(MakeKey(type));
        if (t == types_.end()) {
            if (error)
                *error = ERROR_RESOURCE_TYPE_NOT_FOUND;
            return nullptr;
        }
        auto n = t->second.find(MakeKey(name));
        if (n == t->second.end()) {
            if (error)
                *error = ERROR_RESOURCE_NAME_NOT_FOUND;
            return nullptr;
        }
        return n->second.get();
    }

    // The nearest of the other forms, when one is nearer than 100 %.
    const ResourceEntry* FindScaled(LPCSTR type, LPCSTR name, int percent) const
    {
        std::shared_lock lock(mutex_);
        auto t = scaled_.find(MakeKey(type));
        if (t == scaled_.end())
            return nullptr;
        auto n = t->second.find(MakeKey(name));
        if (n == t->second.end())
            return nullptr;
        const ResourceEntry* best = nullptr;
        int bestScale = 100;
        for (const auto& [scale, entry] : n->second) {
            const int distance = std::abs(scale - percent), bestDistance = std::abs(bestScale - percent);
            if (distance < bestDistance || (distance == bestDistance && scale > bestScale)) {
                best = entry.get();
                bestScale = scale;
            }
        }
        return best;
    }

    bool Contains(const ResourceEntry* entry) const
    {
        std::shared_lock lock(mutex_);
        return entries_.count(entry) != 0;
    }

private:
    mutable std::shared_mutex mutex_;
    std::map<ResourceKey, std::map<ResourceKey, std::unique_ptr<ResourceEntry>>> types_;
    // The forms for other scales, by type, name and percent.
    std::map<ResourceKey, std::map<ResourceKey, std::map<int, std::unique_ptr<ResourceEntry>>>> scaled_;
    std::set<const ResourceEntry*> entries_;
};

// Built on first use and never destroyed: static initialisers of other
// files register into it, and lookups may run during static destruction.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

bool RegisterResource(LPCSTR type, LPCSTR name, const void* data, size_t size)
{
    return TheRegistry().Add(type, name, data, size);
}

bool RegisterScaledResource(LPCSTR type, LPCSTR name, int percent, const void* data, size_t size)
{
    return TheRegistry().Add(type, name, data, size, percent);
}

const ResourceEntry* LookupResource(LPCSTR type, LPCSTR name, DWORD* error)
{
    return TheRegistry().Find(type, name, error);
}

const ResourceEntry* LookupScaledResource(LPCSTR type, LPCSTR name, int percent, DWORD* error)
{
    const ResourceEntry* plain = TheRegistry().Find(type, name, error);
    if (!plain)
        return nullptr;
    const ResourceEntry* scaled = TheRegistry().FindScaled(type, name, percent);
    return scaled ? scaled : plain;
}

bool IsResourceEntry(const ResourceEntry* entry)
{
    return entry != nullptr && TheRegistry().Contains(entry);
}

const BYTE* ResourceData(const ResourceEntry* entry)
{
    return entry->data;
}

size_t ResourceSize(const ResourceEntry* entry)
{
    return entry->size;
}

}  // namespace trelwin
