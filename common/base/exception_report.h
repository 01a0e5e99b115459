// The top-level log sink and ReportException, which writes one line about a
// caught exception to it.
//
// The sink is process-wide: a handle and three entry points. Nothing is
// installed by default, and while any part is missing ReportException does
// nothing and returns at once.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

class CExceptionBase;

// Non-zero when the sink can take a line.
typedef BOOL (*PFN_EXCEPTION_LOG_READY)(HANDLE hLog);
typedef void (*PFN_EXCEPTION_LOG_WRITE)(HANDLE hLog, CString text);
typedef void (*PFN_EXCEPTION_LOG_FINISH)(HANDLE hLog);

// Installs the sink; all nulls remove it. Safe from any thread.
void SetExceptionLogSink(HANDLE hLog, PFN_EXCEPTION_LOG_READY pfnReady, PFN_EXCEPTION_LOG_WRITE pfnWrite,
                         PFN_EXCEPTION_LOG_FINISH pfnFinish);

// With a ready sink: writes "Exception in file: <full path>, line: <line>
// PID <pid>, Desc: <description>" (or "Exception catch all in PID <pid>" for
// a null exception), gives the sink a pause to take it (1000 ms), then
// finishes it.
void ReportException(CExceptionBase* pException);

// Sets the pause between the line and the finishing call; tests shorten it.
void SetExceptionLogPause(DWORD dwMilliseconds);
