#include "platform/threading/handle_table.h"

#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

namespace {

// Handle values are never reused within a process, so a stale handle kept
// by mistake names nothing instead of somebody else's object. They start
// well above 0 and are multiples of 4 like the system's own.
struct Table {
    std::mutex lock;
    std::unordered_map<UINT_PTR, std::shared_ptr<CHandleObject>> objects;
    UINT_PTR next = 0x1000;
};

Table& TheTable() {
    static Table* table = new Table;  // outlives every thread that may close handles at exit
    return *table;
}

}  // namespace

HANDLE CHandleTable::Insert(const std::shared_ptr<CHandleObject>& object) {
    Table& table = TheTable();
    try {
        std::lock_guard<std::mutex> guard(table.lock);
        UINT_PTR key = table.next;
        table.objects.emplace(key, object);
        table.next += 4;
        ++object->m_nHandles;
        return reinterpret_cast<HANDLE>(key);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
}

std::shared_ptr<CHandleObject> CHandleTable::Lookup(HANDLE handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<UINT_PTR>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

BOOL CHandleTable::Close(HANDLE handle) {
    Table& table = TheTable();
    std::shared_ptr<CHandleObject> object;
    bool last = false;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<UINT_PTR>(handle));
        if (it == table.objects.end()) {
            SetInvalidHandleError();
            return FALSE;
        }
        object = std::move(it->second);
        table.objects.erase(it);
        last = --object->m_nHandles == 0;
    }
    // The object may go away here, outside the table's lock, so its
    // destructor is free to close handles of its own.
    if (last) {
        object->OnLastHandleClosed();
    }
    return TRUE;
}

void CHandleTable::SetInvalidHandleError() {
    SetLastError(ERROR_INVALID_HANDLE);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    // The pseudo handles of the own process and thread name no table entry;
    // closing them does nothing.
    if (hObject == TRELWIN_CURRENT_PROCESS_HANDLE || hObject == TRELWIN_CURRENT_THREAD_HANDLE) {
        return TRUE;
    }
    return CHandleTable::Close(hObject);
}

HANDLE WINAPI GetCurrentProcess() {
    return TRELWIN_CURRENT_PROCESS_HANDLE;
}
