#include "platform/threading/wait_functions.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/threading/thread_object.h"
#include "platform/threading/waitable.h"

namespace {

// Installed once by the window layer; read by every waiting thread.
std::atomic<PFN_SENT_MESSAGE_WAIT> g_sentMessageWait{nullptr};

std::shared_ptr<CWaitableObject> LookupWaitable(HANDLE handle) {
    if (handle == TRELWIN_CURRENT_THREAD_HANDLE) {
        return CThreadObject::Current();
    }
    return CHandleTable::LookupAs<CWaitableObject>(handle);
}

}  // namespace

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
    return WaitForHandles(nCount, lpHandles, bWaitAll, dwMilliseconds, nullptr);
}

DWORD WaitForHandles(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                     CWaitableObject* pExtra) {
    const DWORD nTotal = nCount + (pExtra != nullptr ? 1 : 0);
    if (nTotal == 0 || nTotal > MAXIMUM_WAIT_OBJECTS || (nCount > 0 && lpHandles == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // The references keep every object alive for the whole wait, even when
    // another thread closes its handle meanwhile.
    std::shared_ptr<CWaitableObject> held[MAXIMUM_WAIT_OBJECTS];
    CWaitableObject* objects[MAXIMUM_WAIT_OBJECTS];
    try {
        // A mutex taken by this wait needs an owner that will end; threads
        // that this layer did not start get their object here.
        CThreadObject::Current();
        for (DWORD i = 0; i < nCount; ++i) {
            held[i] = LookupWaitable(lpHandles[i]);
            if (!held[i]) {
                CHandleTable::SetInvalidHandleError();
                return WAIT_FAILED;
            }
            objects[i] = held[i].get();
        }
        if (pExtra != nullptr) {
            objects[nCount] = pExtra;
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return WAIT_FAILED;
    }
    if (bWaitAll && nTotal > 1) {
        // Waiting for all of a list that names one object twice is refused:
        // the object could not be taken twice in one step.
        CWaitableObject* sorted[MAXIMUM_WAIT_OBJECTS];
        std::copy(objects, objects + nTotal, sorted);
        std::sort(sorted, sorted + nTotal);
        if (std::adjacent_find(sorted, sorted + nTotal) != sorted + nTotal) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
    }
    return WaitForObjects(objects, nTotal, bWaitAll, dwMilliseconds);
}

DWORD WaitForSingleObjectHandlingSent(HANDLE hHandle, DWORD dwMilliseconds) {
    const PFN_SENT_MESSAGE_WAIT wait = g_sentMessageWait.load(std::memory_order_acquire);
    return wait != nullptr ? wait(hHandle, dwMilliseconds) : WaitForSingleObject(hHandle, dwMilliseconds);
}

void SetSentMessageWait(PFN_SENT_MESSAGE_WAIT pfnWait) {
    g_sentMessageWait.store(pfnWait, std::memory_order_release);
}
