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

// WaitForSingleObject for a thread that may own windows: while it waits,
// the messages that other threads send to its windows are handled, as in
// MsgWaitForMultipleObjects, so that a thread blocked in a SendMessage to
// the waiter can go on and end. Posted messages stay queued. On a thread
// without a message queue it is WaitForSingleObject.
DWORD WaitForSingleObjectHandlingSent(HANDLE hHandle, DWORD dwMilliseconds);

// The window layer installs the wait that handles sent messages when it
// makes the first message queue; until then no thread has one to handle.
typedef DWORD (*PFN_SENT_MESSAGE_WAIT)(HANDLE hHandle, DWORD dwMilliseconds);
void SetSentMessageWait(PFN_SENT_MESSAGE_WAIT pfnWait);
