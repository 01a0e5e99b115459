#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/base/exception_base.h"
#include "common/base/exception_report.h"
#include "platform/base/process.h"

namespace {

// What the test sink saw, in order.
struct SinkLog {
    BOOL ready = TRUE;
    std::vector<std::string> events;
};

SinkLog g_log;

BOOL TestReady(HANDLE h)
{
    static_cast<SinkLog*>(h)->events.push_back("ready");
    return static_cast<SinkLog*>(h)->ready;
}

void TestWrite(HANDLE h, CString text)
{
    static_cast<SinkLog*>(h)->events.push_back("write:" + std::string(static_cast<LPCSTR>(text)));
}

void TestFinish(HANDLE h)
{
    static_cast<SinkLog*>(h)->events.push_back("finish");
}

// A pause far longer than any delay of a loaded machine, so that a call
// that returns at once is told from one that pauses without timing luck.
constexpr DWORD kLongPause = 20000;

class ExceptionReportTest : public ::testing::Test {
protected:
    // Only the test of the pause itself waits the full second.
    void SetUp() override
    {
        g_log = SinkLog{};
        SetExceptionLogPause(0);
    }
    void TearDown() override
    {
        SetExceptionLogSink(nullptr, nullptr, nullptr, nullptr);
        SetExceptionLogPause(1000);
    }

    static std::chrono::milliseconds TimeOf(CExceptionBase* e)
    {
        auto start = std::chrono::steady_clock::now();
        ReportException(e);
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }

    static std::string Pid() { return std::to_string(static_cast<int>(GetCurrentProcessId())); }
};

TEST_F(ExceptionReportTest, WithoutASinkReturnsAtOnce)
{
    SetExceptionLogPause(kLongPause);
    CExceptionBase e("/a/b.cpp", 1, "", "", 0, "x");
    EXPECT_LT(TimeOf(&e).count(), kLongPause / 2);
    EXPECT_LT(TimeOf(nullptr).count(), kLongPause / 2);

    // A sink missing any of its parts counts as none.
    SetExceptionLogSink(&g_log, &TestReady, nullptr, &TestFinish);
    EXPECT_LT(TimeOf(&e).count(), kLongPause / 2);
    SetExceptionLogSink(nullptr, &TestReady, &TestWrite, &TestFinish);
    EXPECT_LT(TimeOf(&e).count(), kLongPause / 2);
    EXPECT_TRUE(g_log.events.empty());
}

TEST_F(ExceptionReportTest, SinkThatIsNotReadyGetsNothing)
{
    SetExceptionLogPause(kLongPause);
    g_log.ready = FALSE;
    SetExceptionLogSink(&g_log, &TestReady, &TestWrite, &TestFinish);
    EXPECT_LT(TimeOf(nullptr).count(), kLongPause / 2);
    EXPECT_EQ(g_log.events, std::vector<std::string>{"ready"});
}

// The one test that waits: by default the sink gets a second between the
// line and the finishing call.
TEST_F(ExceptionReportTest, WritesTheLineWaitsThenFinishes)
{
    SetExceptionLogPause(1000);
    SetExceptionLogSink(&g_log, &TestReady, &TestWrite, &TestFinish);
    CExceptionSystem e("/work/main/common/thread/thread.h", 123, "Dec  7 2026", "07:35:02", 6,
                       "CThread<T>::WaitForEnd");
    EXPECT_GE(TimeOf(&e).count(), 1000);
    std::vector<std::string> expected = {
        "ready",
        "write:Exception in file: /work/main/common/thread/thread.h, line: 123 PID " + Pid() +
            ", Desc: CThread<T>::WaitForEnd",
        "finish"};
    EXPECT_EQ(g_log.events, expected);
}

TEST_F(ExceptionReportTest, CatchAllLine)
{
    SetExceptionLogSink(&g_log, &TestReady, &TestWrite, &TestFinish);
    ReportException(nullptr);
    ASSERT_EQ(g_log.events.size(), 3u);
    EXPECT_EQ(g_log.events[1], "write:Exception catch all in PID " + Pid());
}

}  // namespace
