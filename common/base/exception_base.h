// Exceptions that the base components throw by value when the operating
// system fails them: CExceptionBase, and CExceptionSystem, which adds the
// system's text for a Win32 error code. A catcher turns one into its report
// text once (GetReport) and hands a one-line summary to the log sink
// (ReportException, exception_report.h).
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

// The source position and compile stamp of the throw, for the first four
// constructor arguments:
//   throw CExceptionSystem(EXCEPTION_ORIGIN, GetLastError(), "What failed");
#define EXCEPTION_ORIGIN __FILE__, __LINE__, __DATE__, __TIME__

class CExceptionBase {
public:
    enum { KIND_BASE = 0, KIND_SYSTEM = 2 };

    // Null texts are taken as empty.
    CExceptionBase(LPCSTR file, DWORD line, LPCSTR date, LPCSTR time, DWORD code, LPCSTR description);
    CExceptionBase(const CExceptionBase&) = default;
    CExceptionBase& operator=(const CExceptionBase&) = default;
    ~CExceptionBase() = default;

    virtual CString GetDescription() const;

    // Builds the report text the first time it is asked for; later calls,
    // and calls on copies made after it, leave the text as it is.
    void GetReport();

    LPCSTR GetFile() const { return m_file; }
    DWORD GetLine() const { return m_line; }
    LPCSTR GetDate() const { return m_date; }
    LPCSTR GetTime() const { return m_time; }
    INT GetKind() const { return m_kind; }
    LPCSTR GetSourceType() const { return m_sourceType; }
    DWORD GetCode() const { return m_code; }
    BOOL IsPending() const { return m_pending; }
    // Empty until GetReport has run.
    LPCSTR GetReportText() const { return m_report; }

protected:
    CString m_file;
    DWORD m_line;
    CString m_date;
    CString m_time;
    INT m_kind;
    CString m_sourceType;
    DWORD m_code;
    CString m_description;
    BOOL m_pending;
    CString m_report;

private:
    CString BuildReport() const;
};

class CExceptionSystem : public CExceptionBase {
public:
    // code is a Win32 error code; its system text is looked up here.
    CExceptionSystem(LPCSTR file, DWORD line, LPCSTR date, LPCSTR time, DWORD code, LPCSTR description);
    CExceptionSystem(const CExceptionSystem&) = default;
    CExceptionSystem& operator=(const CExceptionSystem&) = default;
    ~CExceptionSystem() = default;

    // Empty when the system has no text for the code.
    LPCSTR GetSystemText() const { return m_systemText; }

protected:
    CString m_systemText;
};
