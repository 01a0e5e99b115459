// Handle maps: from a handle to the C++ object that wraps it.
//
// A permanent entry is made by an object that attaches a handle it owns
// (Attach, the Create functions) and removed when it lets the handle go, so
// FromHandle of that handle gives back the very object, from any thread.
//
// A handle that no object owns gets a temporary wrapper from FromHandle. It
// does not own the handle and never deletes it. Temporary wrappers belong to
// the thread that asked for them: the same handle gives the same wrapper on
// that thread until the thread frees its temporaries (FreeTemporaryObjects,
// which the application calls when its message loop falls idle) or ends. A
// pointer from FromHandle is therefore good for the current message, as in
// the framework it stands in for; keep the handle, not the pointer.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace trelwin::afx {

// Frees the temporary wrappers of every kind made on the calling thread.
void FreeTemporaryObjects();

namespace detail {

// Every kind of handle map registers its per-thread cleaner here, so that
// FreeTemporaryObjects reaches them all.
void RegisterTemporaryCleaner(void (*cleaner)());

}  // namespace detail

// Object: the wrapper's base class. Forget: clears the wrapper's handle
// fields, so that deleting a temporary wrapper leaves the handle alone.
template <typename Object, void (*Forget)(Object*)>
class HandleMap {
public:
    using Factory = std::unique_ptr<Object> (*)(void* handle);

    // The owner of the handle, else this thread's temporary wrapper, made by
    // the factory when there is none yet. Null for a null handle.
    static Object* FromHandle(void* handle, Factory factory) {
        if (!handle) return nullptr;
        if (Object* owner = LookupPermanent(handle)) return owner;
        Temporaries& temps = ThreadTemporaries();
        auto it = temps.map.find(handle);
        if (it != temps.map.end()) return it->second.get();
        std::unique_ptr<Object> made = factory(handle);
        Object* raw = made.get();
        temps.map.emplace(handle, std::move(made));
        return raw;
    }

    // Shared handles (stock objects, system colour brushes) can be attached
    // to several objects at once: the latest one still holding it answers.
    static Object* LookupPermanent(void* handle) {
        Permanent& p = Shared();
        std::lock_guard<std::mutex> lock(p.mutex);
        auto it = p.map.find(handle);
        return it == p.map.end() ? nullptr : it->second.back();
    }

    static void SetPermanent(void* handle, Object* owner) {
        if (!handle) return;
        Permanent& p = Shared();
        std::lock_guard<std::mutex> lock(p.mutex);
        p.map[handle].push_back(owner);
    }

    static void RemovePermanent(void* handle, Object* owner) {
        if (!handle) return;
        Permanent& p = Shared();
        std::lock_guard<std::mutex> lock(p.mutex);
        auto it = p.map.find(handle);
        if (it == p.map.end()) return;
        auto& owners = it->second;
        for (auto o = owners.end(); o != owners.begin();) {
            if (*--o == owner) {
                owners.erase(o);
                break;
            }
        }
        if (owners.empty()) p.map.erase(it);
    }

    // Takes a handle into an owner's handle field and records the owner;
    // false for a null handle or a field that holds one already.
    template <typename Handle>
    static bool Attach(Object* owner, Handle& field, Handle handle) {
        if (!handle || field) return false;
        field = handle;
        SetPermanent(handle, owner);
        return true;
    }

    // Empties the field and forgets the owner; returns what the field held.
    template <typename Handle>
    static Handle Detach(Object* owner, Handle& field) {
        Handle handle = field;
        field = nullptr;
        if (handle) RemovePermanent(handle, owner);
        return handle;
    }

    static void FreeTemporaries() { ThreadTemporaries().Clear(); }

private:
    struct Permanent {
        std::mutex mutex;
        std::unordered_map<void*, std::vector<Object*>> map;
    };

    struct Temporaries {
        std::unordered_map<void*, std::unique_ptr<Object>> map;

        Temporaries() {
            static std::once_flag registered;
            std::call_once(registered, [] { detail::RegisterTemporaryCleaner(&HandleMap::FreeTemporaries); });
        }
        ~Temporaries() { Clear(); }
        void Clear() {
            // Taken out first: a wrapper's destructor may look at the maps.
            auto doomed = std::move(map);
            map.clear();
            for (auto& entry : doomed) Forget(entry.second.get());
            doomed.clear();
        }
    };

    // Never destroyed: objects with static lifetime may still detach from it
    // while the process ends.
    static Permanent& Shared() {
        static Permanent* p = new Permanent;
        return *p;
    }

    static Temporaries& ThreadTemporaries() {
        thread_local Temporaries temps;
        return temps;
    }
};

}  // namespace trelwin::afx
