#include "common/base/exception_base.h"

#include "common/base/exception_report.h"
#include "platform/base/format_message.h"

namespace {

// The report names the file by its last component; the raiser's path may use
// either separator.
LPCSTR LastPathComponent(LPCSTR path)
{
    LPCSTR last = path;
    for (LPCSTR p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            last = p + 1;
    }
    return last;
}

}  // namespace

CExceptionBase::CExceptionBase(LPCSTR file, DWORD line, LPCSTR date, LPCSTR time, DWORD code, LPCSTR description)
    : m_file(file),
      m_line(line),
      m_date(date),
      m_time(time),
      m_kind(KIND_BASE),
      m_sourceType("BASE"),
      m_code(code),
      m_description(description),
      m_pending(TRUE)
{
}

CString CExceptionBase::GetDescription() const
{
    return m_description;
}

CString CExceptionBase::BuildReport() const
{
    CString report;
    report.Format("CExceptionBase error detected          \n\nCode: %d\nDescription: %s\nSource Type: %s\n\n"
                  "File: %s\nLine: %d\nDate: %s\nTime: %s\n",
                  static_cast<int>(m_code), static_cast<LPCSTR>(m_description), static_cast<LPCSTR>(m_sourceType),
                  LastPathComponent(m_file), static_cast<int>(m_line), static_cast<LPCSTR>(m_date),
                  static_cast<LPCSTR>(m_time));
    return report;
}

void CExceptionBase::GetReport()
{
    if (!m_pending)
        return;
    try {
        m_report = BuildReport();
        m_pending = FALSE;
    } catch (CExceptionBase& e) {
        ReportException(&e);
    } catch (...) {
        ReportException(nullptr);
    }
}

CExceptionSystem::CExceptionSystem(LPCSTR file, DWORD line, LPCSTR date, LPCSTR time, DWORD code,
                                   LPCSTR description)
    : CExceptionBase(file, line, date, time, code, description)
{
    m_kind = KIND_SYSTEM;
    m_sourceType = "SYSTEM";
    LPSTR text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length != 0 && text != nullptr) {
        m_systemText = text;
        LocalFree(text);
    }
}
