#include "platform/resources/resource_registry.h"

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
    bool Add(LPCSTR type, LPCSTR name, const void* data, size_t size)
    {
        if (type == nullptr || (data == nullptr && size != 0))
            return false;
        auto entry = std::make_unique<ResourceEntry>();
        entry->data = size ? static_cast<const BYTE*>(data) : kEmpty;
        entry->size = size;
        std::unique_lock lock(mutex_);
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

    bool Contains(const ResourceEntry* entry) const
    {
        std::shared_lock lock(mutex_);
        return entries_.count(entry) != 0;
    }

private:
    mutable std::shared_mutex mutex_;
    std::map<ResourceKey, std::map<ResourceKey, std::unique_ptr<ResourceEntry>>> types_;
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

const ResourceEntry* LookupResource(LPCSTR type, LPCSTR name, DWORD* error)
{
    return TheRegistry().Find(type, name, error);
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
