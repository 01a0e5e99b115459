// The process's table of kernel-object handles. Every HANDLE that names a
// kernel object (thread, event, mutex, and whatever later modules register)
// is a key into this table; the object behind it is reference-counted, so a
// handle closed on one thread while another thread still uses the object
// (waits on it, runs it) leaves the object alive until its last user goes.
#pragma once

#include <memory>

#include "platform/base/win_types.h"

// Pseudo handles that name the caller's own process and thread.
#define TRELWIN_CURRENT_PROCESS_HANDLE ((HANDLE)(LONG_PTR)-1)
#define TRELWIN_CURRENT_THREAD_HANDLE ((HANDLE)(LONG_PTR)-2)

class CHandleObject : public std::enable_shared_from_this<CHandleObject> {
public:
    virtual ~CHandleObject() = default;

    // Called (outside every table lock) when the last handle to the object
    // has been closed; other users may still hold the object.
    virtual void OnLastHandleClosed() {}

protected:
    CHandleObject() = default;

private:
    friend class CHandleTable;
    long m_nHandles = 0;
};

class CHandleTable {
public:
    // A new handle for the object; NULL (last error set) when out of memory.
    static HANDLE Insert(const std::shared_ptr<CHandleObject>& object);

    // The object behind a handle, or null for an unknown or closed handle.
    // Pseudo handles are not resolved here.
    static std::shared_ptr<CHandleObject> Lookup(HANDLE handle);

    // The object behind a handle when it is of class T; else null with
    // ERROR_INVALID_HANDLE as the last error.
    template <class T>
    static std::shared_ptr<T> LookupAs(HANDLE handle) {
        std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(Lookup(handle));
        if (!object) {
            SetInvalidHandleError();
        }
        return object;
    }

    // Removes the handle; FALSE (ERROR_INVALID_HANDLE) when it names nothing.
    static BOOL Close(HANDLE handle);

    static void SetInvalidHandleError();
};

BOOL WINAPI CloseHandle(HANDLE hObject);
HANDLE WINAPI GetCurrentProcess();
