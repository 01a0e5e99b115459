#include "platform/user/message_functions.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/base/last_error.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/base/win_errors.h"
#include "platform/threading/thread_types.h"
#include "platform/user/message_queue.h"
#include "platform/user/window_hooks.h"
#include "platform/user/window_object.h"

namespace {

// How often a wait for all of several objects looks at sent messages: that
// wait cannot be woken by a message alone.
constexpr DWORD kWaitAllSliceMs = 20;

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    return msg;
}

bool IsWindowFilter(HWND hwnd) { return hwnd != nullptr && hwnd != reinterpret_cast<HWND>(-1); }

}  // namespace

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == nullptr) {
        return PostThreadMessageA(GetCurrentThreadId(), Msg, wParam, lParam);
    }
    std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
    bool posted = false;
    if (window) {
        const MSG msg = MakeMessage(hWnd, Msg, wParam, lParam);
        std::lock_guard<std::mutex> lock(WaitLock());
        posted = (window->m_state == CWindowObject::Creating || window->m_state == CWindowObject::Alive) &&
                 window->m_queue->PostLocked(msg);
    }
    if (!posted) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<CMessageQueue> queue = CMessageQueue::Find(idThread);
    bool posted = false;
    if (queue) {
        const MSG msg = MakeMessage(nullptr, Msg, wParam, lParam);
        std::lock_guard<std::mutex> lock(WaitLock());
        posted = queue->PostLocked(msg);
    }
    if (!posted) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<CWindowObject> window = LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->m_threadId == GetCurrentThreadId()) {
        return CallWindowProcedure(hWnd, Msg, wParam, lParam);
    }
    std::shared_ptr<CMessageQueue> self = CMessageQueue::Current();
    auto sent = std::make_shared<CSentMessage>();
    sent->hwnd = hWnd;
    sent->message = Msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        if (!window->m_queue->SendLocked(sent)) {
            return 0;  // the window's thread has ended
        }
    }
    CQueueWake wake;
    wake.kind = CQueueWake::Reply;
    wake.reply = sent.get();
    for (;;) {
        self->HandleSentMessages();
        {
            std::lock_guard<std::mutex> lock(WaitLock());
            if (sent->done) {
                return sent->result;
            }
        }
        // Ends when the receiver answers (or its thread ends) or a message
        // is sent to this thread.
        self->Wait(wake, 0, nullptr, FALSE, INFINITE);
    }
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (IsWindowFilter(hWnd) && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::shared_ptr<CMessageQueue> queue = CMessageQueue::Current();
    queue->ClearSyntheticSignal();
    queue->HandleSentMessages();
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    // Input from the host comes after the messages posted before it.
    do {
        if (queue->PeekPosted(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) {
            if (remove) NoteRetrieved(*lpMsg);
            return TRUE;
        }
    } while (TakeHostInput());
    return queue->PeekSynthetic(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (IsWindowFilter(hWnd) && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    std::shared_ptr<CMessageQueue> queue = CMessageQueue::Current();
    CQueueWake wake;
    wake.hwnd = hWnd;
    wake.min = wMsgFilterMin;
    wake.max = wMsgFilterMax;
    for (;;) {
        queue->ClearSyntheticSignal();
        queue->HandleSentMessages();
        bool posted = queue->PeekPosted(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true);
        // Input from the host comes after the messages posted before it.
        while (!posted && TakeHostInput()) posted = queue->PeekPosted(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true);
        if (posted) NoteRetrieved(*lpMsg);
        if (posted || queue->PeekSynthetic(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
            return lpMsg->message != WM_QUIT ? TRUE : FALSE;
        }
        queue->Wait(wake, 0, nullptr, FALSE, INFINITE);
    }
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    return lpMsg != nullptr ? TranslateKeyMessage(*lpMsg) : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    LRESULT timerResult = 0;
    if (lpMsg != nullptr && DispatchTimerProcedure(*lpMsg, &timerResult)) {
        return timerResult;
    }
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr) {
        return 0;  // thread messages have no window to go to
    }
    std::shared_ptr<CWindowObject> window = LookupWindow(lpMsg->hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->m_threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    return CallWindowProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
    CMessageQueue::Current()->PostQuit(nExitCode);
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(dwMilliseconds);
    std::shared_ptr<CMessageQueue> queue = CMessageQueue::Current();
    CQueueWake wake;
    wake.mask = dwWakeMask;
    for (;;) {
        if ((dwWakeMask & QS_SENDMESSAGE) == 0) {
            queue->HandleSentMessages();
        }
        DWORD slice = dwMilliseconds;
        if (dwMilliseconds != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            slice = static_cast<DWORD>(std::max<long long>(left, 0));
        }
        if (fWaitAll) {
            slice = std::min(slice, kWaitAllSliceMs);
        }
        const DWORD result = queue->Wait(wake, nCount, pHandles, fWaitAll, slice);
        if (result == WAIT_OBJECT_0 + nCount && !fWaitAll && !queue->HasInput(dwWakeMask)) {
            // Woken by a sent message (handled at the top), or by a signal
            // for something that is gone again: the signal is done with, and
            // what comes after it wakes the next wait.
            queue->ClearSyntheticSignal();
            if (!queue->HasInput(dwWakeMask)) continue;
        }
        if (result == WAIT_TIMEOUT && fWaitAll && (dwMilliseconds == INFINITE || Clock::now() < deadline)) {
            continue;
        }
        return result;
    }
}
