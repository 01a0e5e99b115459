#include "platform/gdi/internal/object_table.h"

#include <mutex>
#include <vector>

namespace trelwin::gdi {
namespace {

// Handle layout (64 bits): generation (24) | slot (32) | tag (8). The tag
// byte is a fixed marker, so small integers and ordinary pointers (whose low
// byte is rarely 0xA5 together with a matching slot and generation) fail.
constexpr uintptr_t kTag = 0xA5;

struct Slot {
    std::shared_ptr<GdiObject> object;
    uint32_t generation = 1;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<uint32_t> free_slots;
    size_t live = 0;
};

Table& table() {
    static Table* instance = new Table;  // outlives static destructors that delete objects
    return *instance;
}

HANDLE encode(uint32_t slot, uint32_t generation) {
    uintptr_t value = (static_cast<uintptr_t>(generation & 0xFFFFFF) << 40) |
                      (static_cast<uintptr_t>(slot) << 8) | kTag;
    return reinterpret_cast<HANDLE>(value);
}

bool decode(HANDLE handle, uint32_t& slot, uint32_t& generation) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & 0xFF) != kTag) {
        return false;
    }
    slot = static_cast<uint32_t>((value >> 8) & 0xFFFFFFFFu);
    generation = static_cast<uint32_t>(value >> 40);
    return true;
}

}  // namespace

HANDLE register_object(std::shared_ptr<GdiObject> object) {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uint32_t slot;
    if (!t.free_slots.empty()) {
        slot = t.free_slots.back();
        t.free_slots.pop_back();
    } else {
        slot = static_cast<uint32_t>(t.slots.size());
        t.slots.emplace_back();
    }
    t.slots[slot].object = std::move(object);
    ++t.live;
    return encode(slot, t.slots[slot].generation);
}

std::shared_ptr<GdiObject> lookup_object(HANDLE handle) {
    uint32_t slot, generation;
    if (!decode(handle, slot, generation)) {
        return nullptr;
    }
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (slot >= t.slots.size() || (t.slots[slot].generation & 0xFFFFFF) != generation) {
        return nullptr;
    }
    return t.slots[slot].object;
}

bool unregister_object(HANDLE handle) {
    uint32_t slot, generation;
    if (!decode(handle, slot, generation)) {
        return false;
    }
    std::shared_ptr<GdiObject> doomed;  // released after the lock
    Table& t = table();
    {
        std::lock_guard<std::mutex> lock(t.mutex);
        if (slot >= t.slots.size() || (t.slots[slot].generation & 0xFFFFFF) != generation ||
            !t.slots[slot].object) {
            return false;
        }
        doomed = std::move(t.slots[slot].object);
        t.slots[slot].generation = (t.slots[slot].generation + 1) & 0xFFFFFF;
        if (t.slots[slot].generation == 0) {
            t.slots[slot].generation = 1;
        }
        t.free_slots.push_back(slot);
        --t.live;
    }
    return true;
}

size_t live_object_count() {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.live;
}

}  // namespace trelwin::gdi
