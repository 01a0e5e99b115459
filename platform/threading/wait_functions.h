// Waiting for kernel objects by handle.
#pragma once

#include "platform/threading/thread_types.h"

class CWaitableObject;

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);

// WaitForMultipleObjects with one more wake-up source of the caller's own
// (a thread's message queue, say) that counts as if it stood after the last
// handle: it satisfies the wait with WAIT_OBJECT_0 + nCount. nCount may be 0
// when pExtra is given; pExtra null makes it WaitForMultipleObjects.
DWORD WaitForHandles(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                     CWaitableObject* pExtra);
