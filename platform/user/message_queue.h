// One message queue per thread: the messages posted to the thread and its
// windows, the messages other threads send to its windows, and its quit
// request.
//
// Every queue's state is guarded by the wait machinery's lock (WaitLock), and
// a queue is itself a waitable object: the thread that owns it waits on it
// (alone in GetMessage and SendMessage, next to other objects in
// MsgWaitForMultipleObjects) with the condition that the wait needs, which
// the owner stores in the queue before it waits. Only the owner thread ever
// waits on its queue.
//
// A message sent from another thread is a record that the sender keeps and
// waits on; the owner handles it whenever it waits in GetMessage,
// PeekMessage, SendMessage or MsgWaitForMultipleObjects, stores the result
// and wakes the sender. When the owner thread ends, every message still to
// be handled is answered with 0, and later sends return 0 at once.
#pragma once

#include <deque>
#include <memory>

#include "platform/threading/waitable.h"
#include "platform/user/user_types.h"

class CMessageQueue;

// One cross-thread SendMessage in flight.
struct CSentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;                       // under WaitLock
    std::shared_ptr<CMessageQueue> sender;  // woken when done
};

// What a waiting owner thread needs to wake up for, besides sent messages.
struct CQueueWake {
    enum Kind { Messages, Reply, SentOnly };
    Kind kind = Messages;
    HWND hwnd = nullptr;  // Messages: filter of GetMessage (NULL, (HWND)-1 or a window)
    UINT min = 0, max = 0;
    DWORD mask = QS_ALLINPUT;                  // MsgWaitForMultipleObjects' wake mask
    const CSentMessage* reply = nullptr;       // Reply: the send the owner waits for
};

// Messages that a thread makes on demand when nothing is posted for it
// (WM_PAINT, WM_TIMER, WM_MOUSEHOVER); the window system installs them.
// Each works for the calling thread.
struct CSyntheticSource {
    // Takes (or, without remove, copies) such a message that passes the filter.
    bool (*peek)(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove) = nullptr;
    // Milliseconds until one that passes the filter falls due; INFINITE for none.
    DWORD (*due_in)(HWND hwnd, UINT min, UINT max) = nullptr;
    // Whether one of the QS_PAINT or QS_TIMER kinds in the mask is there.
    bool (*pending)(DWORD mask) = nullptr;
    // A posted message was taken out of the queue (the key state that
    // GetKeyState reports follows the input messages taken so far).
    void (*retrieved)(const MSG& msg) = nullptr;
    // Turns the input that a host display reported for the calling thread
    // into posted messages, as far as it may go now; true when it did any.
    bool (*host_input)() = nullptr;
};
void SetSyntheticSource(const CSyntheticSource& source);
// The installed source (null before the first window or timer).
const CSyntheticSource* CurrentSyntheticSource();
// Tells the installed source that a posted message was taken.
void NoteRetrieved(const MSG& msg);
// The installed source's host input for the calling thread.
bool TakeHostInput();

class CMessageQueue : public CWaitableObject {
public:
    explicit CMessageQueue(DWORD threadId) : m_threadId(threadId) {}

    bool IsSignalledFor(const CWaiter& waiter) const override;
    bool Acquire(CWaiter&) override { return false; }

    // The queue of the calling thread, made on first use.
    static std::shared_ptr<CMessageQueue> Current();
    // The queue of a live thread, or null. Takes WaitLock.
    static std::shared_ptr<CMessageQueue> Find(DWORD threadId);

    // Queues a posted message; FALSE when the thread has ended. Caller holds
    // WaitLock.
    bool PostLocked(const MSG& msg);
    // Queues a sent message; FALSE when the thread has ended. Caller holds
    // WaitLock.
    bool SendLocked(const std::shared_ptr<CSentMessage>& sent);

    // Owner thread only. Handles every message sent to this thread so far;
    // true when it handled any.
    bool HandleSentMessages();
    // Takes (or, without remove, copies) the first posted message that
    // passes the filter; WM_QUIT comes after the other messages that pass.
    bool PeekPosted(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove);
    // Waits for the handles and for the wake condition (handling nothing)
    // until the time runs out. The queue counts as if it stood after the
    // last handle: WAIT_OBJECT_0 + nCount when it woke the wait.
    DWORD Wait(const CQueueWake& wake, DWORD nCount, const HANDLE* handles, BOOL waitAll, DWORD ms);

    // Whether a wait with the mask would end for the queue now: posted
    // messages or the quit request (QS_POSTMESSAGE, QS_ALLPOSTMESSAGE), sent
    // messages (QS_SENDMESSAGE).
    bool HasInput(DWORD mask);

    // Whether keyboard or mouse messages wait among the posted ones.
    bool HasPostedInput();

    // Drops the posted messages of a window that is being destroyed.
    void DropMessagesOf(HWND hwnd);

    // Owner thread's end: answers the sent messages, drops the posted ones,
    // refuses everything from now on.
    void Close();

    void PostQuit(int exitCode);

    // Wakes the owner to look for messages made on demand (another thread
    // invalidated one of its windows, say).
    void SignalSynthetic();
    // Owner thread only: forgets the signals so far. A look for messages
    // starts with it, before it looks at anything that a signal announces
    // (the host's events, paint, timers): a signal that comes during the
    // look then ends the wait that follows it instead of being lost.
    void ClearSyntheticSignal();
    // Owner thread only: a message made on demand that passes the filter.
    bool PeekSynthetic(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove);

    const DWORD m_threadId;

private:
    bool MatchesLocked(const MSG& msg, HWND hwnd, UINT min, UINT max) const;
    bool WakeLocked() const;

    // Guarded by WaitLock.
    std::deque<MSG> m_posted;
    std::deque<std::shared_ptr<CSentMessage>> m_sent;
    bool m_quit = false;
    int m_exitCode = 0;
    bool m_closed = false;
    CQueueWake m_wake;
    bool m_synthetic = false;
};

// Whether a message passes a PeekMessage / GetMessage filter.
bool MessagePassesFilter(const MSG& msg, HWND hwnd, UINT min, UINT max);
