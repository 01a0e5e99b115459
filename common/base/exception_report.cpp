#include "common/base/exception_report.h"

#include <atomic>
#include <mutex>

#include "common/base/exception_base.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"

namespace {

struct LogSink {
    HANDLE handle = nullptr;
    PFN_EXCEPTION_LOG_READY ready = nullptr;
    PFN_EXCEPTION_LOG_WRITE write = nullptr;
    PFN_EXCEPTION_LOG_FINISH finish = nullptr;
};

std::mutex g_sinkMutex;
LogSink g_sink;
std::atomic<DWORD> g_pauseMs{1000};

LogSink CurrentSink()
{
    std::lock_guard lock(g_sinkMutex);
    return g_sink;
}

}  // namespace

void SetExceptionLogSink(HANDLE hLog, PFN_EXCEPTION_LOG_READY pfnReady, PFN_EXCEPTION_LOG_WRITE pfnWrite,
                         PFN_EXCEPTION_LOG_FINISH pfnFinish)
{
    std::lock_guard lock(g_sinkMutex);
    g_sink = LogSink{hLog, pfnReady, pfnWrite, pfnFinish};
}

void SetExceptionLogPause(DWORD dwMilliseconds)
{
    g_pauseMs.store(dwMilliseconds);
}

void ReportException(CExceptionBase* pException)
{
    LogSink sink = CurrentSink();
    if (!sink.handle || !sink.ready || !sink.write || !sink.finish)
        return;
    if (!sink.ready(sink.handle))
        return;
    CString text;
    if (pException) {
        text.Format("Exception in file: %s, line: %d PID %d, Desc: %s", pException->GetFile(),
                    static_cast<int>(pException->GetLine()), static_cast<int>(GetCurrentProcessId()),
                    pException->GetDescription());
    } else {
        text.Format("Exception catch all in PID %d", static_cast<int>(GetCurrentProcessId()));
    }
    sink.write(sink.handle, text);
    // The sink may hand the line to another thread or process; give it time
    // to take it before it is finished.
    Sleep(g_pauseMs.load());
    sink.finish(sink.handle);
}
