#include "platform/user/message_queue.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/base/system_time.h"
#include "platform/base/process.h"
#include "platform/threading/wait_functions.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_defs.h"
#include "platform/user/window_object.h"

namespace {

// Live queues by thread id; guarded by WaitLock.
std::unordered_map<DWORD, std::weak_ptr<CMessageQueue>>& Registry() {
    static auto* registry = new std::unordered_map<DWORD, std::weak_ptr<CMessageQueue>>;  // outlives ending threads
    return *registry;
}

// Closes the thread's queue and destroys its windows when the thread ends.
struct CQueueHolder {
    std::shared_ptr<CMessageQueue> queue;
    ~CQueueHolder() {
        if (queue) {
            DestroyWindowsOfThread(queue->m_threadId);
            queue->Close();
        }
    }
};

thread_local CQueueHolder t_queue;

bool IsPostedMessageWake(DWORD mask) { return (mask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0; }

// What the messages made on demand may be: paint, timers and hover, and the
// input that the host hands over.
constexpr DWORD kSyntheticKinds = QS_PAINT | QS_TIMER | QS_INPUT;

// Set once, before the first window or timer; read by every thread.
std::atomic<const CSyntheticSource*> g_synthetic{nullptr};

// Waits for the handle while handling what other threads send to this
// thread's windows; a thread without a queue has nothing to handle.
DWORD WaitHandlingSentMessages(HANDLE hHandle, DWORD dwMilliseconds) {
    if (!t_queue.queue) return WaitForSingleObject(hHandle, dwMilliseconds);
    return MsgWaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds, 0);
}

}  // namespace

bool MessagePassesFilter(const MSG& msg, HWND hwnd, UINT min, UINT max) {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd != nullptr) return false;  // thread messages only
    } else if (hwnd != nullptr && msg.hwnd != hwnd) {
        return false;
    }
    if (min == 0 && max == 0) return true;
    return msg.message >= min && msg.message <= max;
}

std::shared_ptr<CMessageQueue> CMessageQueue::Current() {
    if (!t_queue.queue) {
        SetSentMessageWait(&WaitHandlingSentMessages);
        auto queue = std::make_shared<CMessageQueue>(GetCurrentThreadId());
        std::lock_guard<std::mutex> lock(WaitLock());
        Registry()[queue->m_threadId] = queue;
        t_queue.queue = queue;
    }
    return t_queue.queue;
}

std::shared_ptr<CMessageQueue> CMessageQueue::Find(DWORD threadId) {
    std::lock_guard<std::mutex> lock(WaitLock());
    auto found = Registry().find(threadId);
    if (found == Registry().end()) return nullptr;
    std::shared_ptr<CMessageQueue> queue = found->second.lock();
    return queue && !queue->m_closed ? queue : nullptr;
}

bool CMessageQueue::MatchesLocked(const MSG& msg, HWND hwnd, UINT min, UINT max) const {
    return MessagePassesFilter(msg, hwnd, min, max);
}

bool CMessageQueue::WakeLocked() const {
    if (!m_sent.empty()) return true;
    switch (m_wake.kind) {
    case CQueueWake::Reply:
        return m_wake.reply->done;
    case CQueueWake::SentOnly:
        return false;
    case CQueueWake::Messages:
        break;
    }
    if (m_synthetic && (m_wake.mask & kSyntheticKinds)) return true;
    if (!IsPostedMessageWake(m_wake.mask)) return false;
    if (m_quit) return true;
    return std::any_of(m_posted.begin(), m_posted.end(),
                       [this](const MSG& msg) { return MatchesLocked(msg, m_wake.hwnd, m_wake.min, m_wake.max); });
}

bool CMessageQueue::IsSignalledFor(const CWaiter&) const { return WakeLocked(); }

bool CMessageQueue::PostLocked(const MSG& msg) {
    if (m_closed) return false;
    m_posted.push_back(msg);
    NotifyWaiters();
    return true;
}

bool CMessageQueue::SendLocked(const std::shared_ptr<CSentMessage>& sent) {
    if (m_closed) return false;
    m_sent.push_back(sent);
    NotifyWaiters();
    return true;
}

bool CMessageQueue::HandleSentMessages() {
    bool handled = false;
    for (;;) {
        std::shared_ptr<CSentMessage> sent;
        {
            std::lock_guard<std::mutex> lock(WaitLock());
            if (m_sent.empty()) return handled;
            sent = m_sent.front();
            m_sent.pop_front();
        }
        const LRESULT result = CallWindowProcedure(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        handled = true;
        std::lock_guard<std::mutex> lock(WaitLock());
        sent->result = result;
        sent->done = true;
        sent->sender->NotifyWaiters();
    }
}

bool CMessageQueue::PeekPosted(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove) {
    std::lock_guard<std::mutex> lock(WaitLock());
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
        if (MatchesLocked(*it, hwnd, min, max)) {
            msg = *it;
            if (remove) m_posted.erase(it);
            return true;
        }
    }
    // The quit request comes after everything else; it is a thread message.
    if (m_quit && (hwnd == nullptr || hwnd == reinterpret_cast<HWND>(-1)) &&
        ((min == 0 && max == 0) || (min <= WM_QUIT && WM_QUIT <= max))) {
        msg = MSG{};
        msg.message = WM_QUIT;
        msg.wParam = static_cast<WPARAM>(m_exitCode);
        msg.time = GetTickCount();
        if (remove) m_quit = false;
        return true;
    }
    return false;
}

DWORD CMessageQueue::Wait(const CQueueWake& wake, DWORD nCount, const HANDLE* handles, BOOL waitAll, DWORD ms) {
    // A timer that falls due ends the wait as a posted message would.
    DWORD due = INFINITE;
    const CSyntheticSource* source = g_synthetic.load();
    if (wake.kind == CQueueWake::Messages && (wake.mask & QS_TIMER) && source && source->due_in) {
        due = source->due_in(wake.hwnd, wake.min, wake.max);
    }
    const bool timerFirst = due < ms;
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        m_wake = wake;
    }
    DWORD result = WaitForHandles(nCount, handles, waitAll, timerFirst ? due : ms, this);
    if (timerFirst && result == WAIT_TIMEOUT) result = WAIT_OBJECT_0 + nCount;
    std::lock_guard<std::mutex> lock(WaitLock());
    m_wake = CQueueWake();
    m_wake.kind = CQueueWake::SentOnly;
    return result;
}

bool CMessageQueue::HasInput(DWORD mask) {
    const CSyntheticSource* source = g_synthetic.load();
    if ((mask & kSyntheticKinds) && source && source->pending && source->pending(mask)) return true;
    std::lock_guard<std::mutex> lock(WaitLock());
    if ((mask & QS_SENDMESSAGE) != 0 && !m_sent.empty()) return true;
    return IsPostedMessageWake(mask) && (m_quit || !m_posted.empty());
}

bool CMessageQueue::HasPostedInput() {
    std::lock_guard<std::mutex> lock(WaitLock());
    return std::any_of(m_posted.begin(), m_posted.end(), [](const MSG& msg) {
        return (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
               (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
               (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
    });
}

void CMessageQueue::DropMessagesOf(HWND hwnd) {
    std::lock_guard<std::mutex> lock(WaitLock());
    m_posted.erase(std::remove_if(m_posted.begin(), m_posted.end(), [hwnd](const MSG& msg) { return msg.hwnd == hwnd; }),
                   m_posted.end());
}

void CMessageQueue::Close() {
    std::lock_guard<std::mutex> lock(WaitLock());
    m_closed = true;
    for (auto& sent : m_sent) {
        sent->result = 0;
        sent->done = true;
        sent->sender->NotifyWaiters();
    }
    m_sent.clear();
    m_posted.clear();
    auto found = Registry().find(m_threadId);
    if (found != Registry().end() && found->second.lock().get() == this) {
        Registry().erase(found);
    }
}

void CMessageQueue::PostQuit(int exitCode) {
    std::lock_guard<std::mutex> lock(WaitLock());
    m_quit = true;
    m_exitCode = exitCode;
    NotifyWaiters();
}

void CMessageQueue::SignalSynthetic() {
    std::lock_guard<std::mutex> lock(WaitLock());
    m_synthetic = true;
    NotifyWaiters();
}

void CMessageQueue::ClearSyntheticSignal() {
    std::lock_guard<std::mutex> lock(WaitLock());
    m_synthetic = false;
}

bool CMessageQueue::PeekSynthetic(MSG& msg, HWND hwnd, UINT min, UINT max, bool remove) {
    const CSyntheticSource* source = g_synthetic.load();
    return source && source->peek && source->peek(msg, hwnd, min, max, remove);
}

void NoteRetrieved(const MSG& msg) {
    const CSyntheticSource* source = g_synthetic.load();
    if (source && source->retrieved) source->retrieved(msg);
}

bool TakeHostInput() {
    const CSyntheticSource* source = g_synthetic.load();
    return source && source->host_input && source->host_input();
}

void SetSyntheticSource(const CSyntheticSource& source) {
    // Each source stays: a thread may still be reading the one it replaces.
    static std::mutex lock;
    static auto* installed = new std::vector<std::unique_ptr<CSyntheticSource>>;
    std::lock_guard<std::mutex> guard(lock);
    installed->push_back(std::make_unique<CSyntheticSource>(source));
    g_synthetic = installed->back().get();
}

const CSyntheticSource* CurrentSyntheticSource() { return g_synthetic.load(); }
