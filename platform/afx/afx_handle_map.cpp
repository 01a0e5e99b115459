#include "platform/afx/afx_handle_map.h"

#include <mutex>
#include <vector>

namespace trelwin::afx {

namespace {

struct Cleaners {
    std::mutex mutex;
    std::vector<void (*)()> list;
};

Cleaners& AllCleaners() {
    static Cleaners* c = new Cleaners;
    return *c;
}

}  // namespace

namespace detail {

void RegisterTemporaryCleaner(void (*cleaner)()) {
    Cleaners& c = AllCleaners();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.list.push_back(cleaner);
}

}  // namespace detail

void FreeTemporaryObjects() {
    std::vector<void (*)()> list;
    {
        Cleaners& c = AllCleaners();
        std::lock_guard<std::mutex> lock(c.mutex);
        list = c.list;
    }
    for (auto cleaner : list) cleaner();
}

}  // namespace trelwin::afx
