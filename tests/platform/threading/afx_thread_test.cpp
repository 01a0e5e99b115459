#include <atomic>

#include <gtest/gtest.h>

#include "platform/threading/threading.h"
#include "thread_test_util.h"

using threading_test::kPatience;
using threading_test::Eventually;
using threading_test::ExpectEndsWith;

namespace {

struct Job {
    std::atomic<int> runs{0};
    UINT result = 0;
    HANDLE hGo = nullptr;  // waited for before returning, when set
};

UINT AFX_CDECL Returning(LPVOID pParam) {
    Job* job = static_cast<Job*>(pParam);
    ++job->runs;
    if (job->hGo != nullptr) {
        WaitForSingleObject(job->hGo, kPatience);
    }
    return job->result;
}

UINT AFX_CDECL LeavingThroughEndthreadex(LPVOID pParam) {
    ++static_cast<Job*>(pParam)->runs;
    _endthreadex(4);
}

UINT AFX_CDECL LeavingThroughAfxEndThread(LPVOID pParam) {
    ++static_cast<Job*>(pParam)->runs;
    AfxEndThread(6);
}

// True once the handle no longer names anything (its CWinThread is gone).
bool HandleClosed(HANDLE hThread) {
    DWORD code;
    return Eventually([&] { return !GetExitCodeThread(hThread, &code); });
}

}  // namespace

TEST(AfxThreadTest, ThreadWithoutAutoDeleteKeepsItsObjectAndExitCode) {
    Job job;
    job.result = 42;
    CWinThread* thread = AfxBeginThread(&Returning, &job, THREAD_PRIORITY_HIGHEST, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_HIGHEST);
    EXPECT_NE(thread->m_nThreadID, 0u);
    EXPECT_EQ(WaitForSingleObject(*thread, 20), WAIT_TIMEOUT);
    EXPECT_EQ(job.runs, 0);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, kPatience), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(job.runs, 1);
    delete thread;
}

TEST(AfxThreadTest, AutoDeleteThreadGoesWithItsHandleWhenTheFunctionReturns) {
    Job job;
    job.hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CWinThread* thread = AfxBeginThread(&Returning, &job);
    ASSERT_NE(thread, nullptr);
    HANDLE hThread = thread->m_hThread;  // read while the thread still waits for hGo
    SetEvent(job.hGo);
    EXPECT_TRUE(HandleClosed(hThread));
    EXPECT_EQ(job.runs, 1);
    CloseHandle(job.hGo);
}

TEST(AfxThreadTest, AfxEndThreadDeletesAnAutoDeleteThread) {
    Job job;
    CWinThread* thread = AfxBeginThread(&LeavingThroughAfxEndThread, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    HANDLE hThread = thread->m_hThread;
    thread->ResumeThread();
    EXPECT_TRUE(HandleClosed(hThread));
    EXPECT_EQ(job.runs, 1);
}

// Leaving through the runtime's thread exit skips the framework's end of
// thread: the object and its handle stay until their owner deletes them.
TEST(AfxThreadTest, EndthreadexLeavesTheAutoDeleteObjectAndHandle) {
    Job job;
    CWinThread* thread = AfxBeginThread(&LeavingThroughEndthreadex, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    HANDLE hThread = thread->m_hThread;
    thread->ResumeThread();
    ExpectEndsWith(hThread, 4);
    EXPECT_EQ(WaitForSingleObject(hThread, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(thread->m_bAutoDelete);
    delete thread;
    EXPECT_FALSE(GetExitCodeThread(hThread, &code));
}

TEST(AfxThreadTest, NullControllingFunctionIsReported) {
    EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
    CWinThread idle;
    EXPECT_FALSE(idle.CreateThread());
    EXPECT_EQ(static_cast<HANDLE>(idle), nullptr);
}
