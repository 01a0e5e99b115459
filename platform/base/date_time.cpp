#include "platform/base/date_time.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <time.h>

namespace {

constexpr double kSecondsPerDay = 86400.0;
// DATE of 1 January 100 and of the last second of 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99999;
// DATE of 1 January 1970.
constexpr int64_t kUnixEpochDays = 25569;

// DATE counts the time of day away from zero for days before 1899-12-30
// (-1.25 is 6 a.m. on 29 December); linear days run straight through.
double DateToLinear(DATE dt)
{
    double day = std::trunc(dt);
    return day + std::fabs(dt - day);
}

DATE LinearToDate(double linear)
{
    double day = std::floor(linear);
    double frac = linear - day;
    return day >= 0 ? linear : day - frac;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool ValidFields(int y, int mo, int d, int h, int mi, int s)
{
    return y >= 100 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h >= 0 && h <= 23 &&
           mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

DATE MakeDate(int y, int mo, int d, int h, int mi, double s)
{
    double days = static_cast<double>(DaysFromCivil(y, mo, d) + kUnixEpochDays);
    return LinearToDate(days + (h * 3600 + mi * 60 + s) / kSecondsPerDay);
}

// Rounds a span of days to whole seconds, half a second away from zero.
int64_t RoundedSeconds(double days)
{
    double secs = days * kSecondsPerDay;
    return static_cast<int64_t>(secs < 0 ? secs - 0.5 : secs + 0.5);
}

}  // namespace

// ---- COleDateTimeSpan ----

COleDateTimeSpan::COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
{
    SetDateTimeSpan(lDays, nHours, nMins, nSecs);
}

void COleDateTimeSpan::SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
{
    m_span = lDays + (nHours * 3600.0 + nMins * 60.0 + nSecs) / kSecondsPerDay;
    m_status = valid;
}

double COleDateTimeSpan::GetTotalDays() const
{
    return static_cast<double>(RoundedSeconds(m_span) / 86400);
}

double COleDateTimeSpan::GetTotalHours() const
{
    return static_cast<double>(RoundedSeconds(m_span) / 3600);
}

double COleDateTimeSpan::GetTotalMinutes() const
{
    return static_cast<double>(RoundedSeconds(m_span) / 60);
}

double COleDateTimeSpan::GetTotalSeconds() const
{
    return static_cast<double>(RoundedSeconds(m_span));
}

LONG COleDateTimeSpan::GetDays() const
{
    return static_cast<LONG>(RoundedSeconds(m_span) / 86400);
}

LONG COleDateTimeSpan::GetHours() const
{
    return static_cast<LONG>(RoundedSeconds(m_span) / 3600 % 24);
}

LONG COleDateTimeSpan::GetMinutes() const
{
    return static_cast<LONG>(RoundedSeconds(m_span) / 60 % 60);
}

LONG COleDateTimeSpan::GetSeconds() const
{
    return static_cast<LONG>(RoundedSeconds(m_span) % 60);
}

// ---- COleDateTime ----

struct COleDateTime::Parts {
    int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
};

COleDateTime COleDateTime::GetCurrentTime()
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tmLocal;
    localtime_r(&ts.tv_sec, &tmLocal);
    return COleDateTime(MakeDate(tmLocal.tm_year + 1900, tmLocal.tm_mon + 1, tmLocal.tm_mday, tmLocal.tm_hour,
                                 tmLocal.tm_min, tmLocal.tm_sec + ts.tv_nsec / 1e9));
}

COleDateTime::COleDateTime(time_t timeSrc)
{
    struct tm tmLocal;
    if (!localtime_r(&timeSrc, &tmLocal)) {
        m_status = invalid;
        return;
    }
    SetDateTime(tmLocal.tm_year + 1900, tmLocal.tm_mon + 1, tmLocal.tm_mday, tmLocal.tm_hour, tmLocal.tm_min,
                tmLocal.tm_sec);
}

COleDateTime::COleDateTime(const SYSTEMTIME& st)
{
    if (SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond) == 0 && st.wMilliseconds < 1000)
        m_dt = MakeDate(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond + st.wMilliseconds / 1000.0);
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    if (!ValidFields(nYear, nMonth, nDay, nHour, nMin, nSec)) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    m_dt = MakeDate(nYear, nMonth, nDay, nHour, nMin, nSec);
    m_status = valid;
    return 0;
}

bool COleDateTime::Split(Parts& p) const
{
    if (m_status != valid || !(m_dt >= kMinDate && m_dt <= kMaxDate))
        return false;
    int64_t secs = RoundedSeconds(DateToLinear(m_dt));
    int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    int64_t secOfDay = secs - days * 86400;
    CivilFromDays(days - kUnixEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(secOfDay / 3600);
    p.minute = static_cast<int>(secOfDay / 60 % 60);
    p.second = static_cast<int>(secOfDay % 60);
    // 1899-12-30 was a Saturday.
    p.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
    p.dayOfYear = static_cast<int>(DaysFromCivil(p.year, p.month, p.day) - DaysFromCivil(p.year, 1, 1)) + 1;
    return true;
}

// One field of the broken-down date; -1 for an invalid date.
int COleDateTime::Part(int Parts::*field) const
{
    Parts p;
    return Split(p) ? p.*field : -1;
}

int COleDateTime::GetYear() const
{
    return Part(&Parts::year);
}

int COleDateTime::GetMonth() const
{
    return Part(&Parts::month);
}

int COleDateTime::GetDay() const
{
    return Part(&Parts::day);
}

int COleDateTime::GetHour() const
{
    return Part(&Parts::hour);
}

int COleDateTime::GetMinute() const
{
    return Part(&Parts::minute);
}

int COleDateTime::GetSecond() const
{
    return Part(&Parts::second);
}

int COleDateTime::GetDayOfWeek() const
{
    return Part(&Parts::dayOfWeek);
}

int COleDateTime::GetDayOfYear() const
{
    return Part(&Parts::dayOfYear);
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    Parts p;
    if (!Split(p))
        return false;
    st.wYear = static_cast<WORD>(p.year);
    st.wMonth = static_cast<WORD>(p.month);
    st.wDayOfWeek = static_cast<WORD>(p.dayOfWeek - 1);
    st.wDay = static_cast<WORD>(p.day);
    st.wHour = static_cast<WORD>(p.hour);
    st.wMinute = static_cast<WORD>(p.minute);
    st.wSecond = static_cast<WORD>(p.second);
    st.wMilliseconds = 0;
    return true;
}

CString COleDateTime::Format(LPCTSTR lpszFormat) const
{
    Parts p;
    if (!lpszFormat || !*lpszFormat || !Split(p))
        return CString();
    struct tm t = {};
    t.tm_year = p.year - 1900;
    t.tm_mon = p.month - 1;
    t.tm_mday = p.day;
    t.tm_hour = p.hour;
    t.tm_min = p.minute;
    t.tm_sec = p.second;
    t.tm_wday = p.dayOfWeek - 1;
    t.tm_yday = p.dayOfYear - 1;
    t.tm_isdst = -1;
    // strftime gives 0 both for "did not fit" and for an empty result.
    for (size_t size = 256; size <= 65536; size *= 4) {
        CString out;
        char* buf = out.GetBuffer(static_cast<int>(size));
        size_t n = strftime(buf, size, lpszFormat, &t);
        if (n > 0 || size == 65536) {
            out.ReleaseBuffer(static_cast<int>(n));
            return out;
        }
    }
    return CString();
}

CString COleDateTime::Format(DWORD dwFlags, LCID) const
{
    Parts p;
    if (!Split(p))
        return CString();
    bool hasDate = !(p.year == 1899 && p.month == 12 && p.day == 30);
    bool hasTime = p.hour || p.minute || p.second;
    bool showDate = !(dwFlags & VAR_TIMEVALUEONLY) && (hasDate || !hasTime || (dwFlags & VAR_DATEVALUEONLY));
    bool showTime = !(dwFlags & VAR_DATEVALUEONLY) && (hasTime || !showDate);
    CString out;
    if (showDate)
        out.Format("%d/%d/%d", p.month, p.day, p.year);
    if (showTime) {
        int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        out.AppendFormat("%s%d:%02d:%02d %s", showDate ? " " : "", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
    }
    return out;
}

namespace {

struct Scanner {
    const char* p;

    void SkipSpace()
    {
        while (std::isspace(static_cast<unsigned char>(*p)))
            ++p;
    }
    // Reads an unsigned number of up to 9 digits; digits counts them.
    bool Number(int& value, int& digits)
    {
        SkipSpace();
        value = 0;
        digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p)) && digits < 9) {
            value = value * 10 + (*p++ - '0');
            ++digits;
        }
        return digits > 0 && !std::isdigit(static_cast<unsigned char>(*p));
    }
    bool Char(char c)
    {
        SkipSpace();
        if (*p != c)
            return false;
        ++p;
        return true;
    }
    bool Word(const char* w)
    {
        SkipSpace();
        size_t n = strlen(w);
        if (strncasecmp(p, w, n) != 0 || std::isalnum(static_cast<unsigned char>(p[n])))
            return false;
        p += n;
        return true;
    }
};

// "h:mm[:ss] [AM|PM]" or "h AM|PM".
bool ParseTime(Scanner& s, int& h, int& mi, int& sec)
{
    int digits;
    mi = sec = 0;
    if (!s.Number(h, digits) || digits > 2)
        return false;
    bool hasColon = s.Char(':');
    if (hasColon) {
        if (!s.Number(mi, digits) || digits > 2)
            return false;
        if (s.Char(':') && (!s.Number(sec, digits) || digits > 2))
            return false;
    }
    bool am = s.Word("AM") || s.Word("A.M.");
    bool pm = !am && (s.Word("PM") || s.Word("P.M."));
    if (!hasColon && !am && !pm)
        return false;
    if (am || pm) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    return h <= 23 && mi <= 59 && sec <= 59;
}

// "YYYY-MM-DD", "YYYY/MM/DD" or "M/D/YYYY" (also "M-D-YYYY", two-digit
// years meaning 1930-2029).
bool ParseDate(Scanner& s, int& y, int& mo, int& d)
{
    int a, b, c, da, db, dc;
    if (!s.Number(a, da))
        return false;
    char sep = *s.p;
    if (sep != '/' && sep != '-')
        return false;
    ++s.p;
    if (!s.Number(b, db) || *s.p != sep)
        return false;
    ++s.p;
    if (!s.Number(c, dc))
        return false;
    if (da == 4) {
        y = a;
        mo = b;
        d = c;
        return db <= 2 && dc <= 2;
    }
    if (da > 2 || db > 2 || (dc != 2 && dc != 4))
        return false;
    mo = a;
    d = b;
    y = dc == 2 ? (c < 30 ? 2000 + c : 1900 + c) : c;
    return true;
}

}  // namespace

bool COleDateTime::ParseDateTime(LPCTSTR lpszDate, DWORD dwFlags, LCID)
{
    m_dt = 0;
    m_status = invalid;
    if (!lpszDate)
        return false;
    Scanner s{lpszDate};
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, sec = 0;

    Scanner probe = s;
    int ty, tmo, td;
    bool hasDate = ParseDate(probe, ty, tmo, td);
    if (hasDate) {
        s = probe;
        y = ty;
        mo = tmo;
        d = td;
        s.SkipSpace();
        if (*s.p == 'T' || *s.p == 't')
            ++s.p;
        s.SkipSpace();
        if (*s.p && !ParseTime(s, h, mi, sec))
            return false;
    } else if (!ParseTime(s, h, mi, sec)) {
        return false;
    }
    s.SkipSpace();
    if (*s.p)
        return false;
    if (dwFlags & VAR_DATEVALUEONLY)
        h = mi = sec = 0;
    if (dwFlags & VAR_TIMEVALUEONLY) {
        y = 1899;
        mo = 12;
        d = 30;
    }
    return SetDateTime(y, mo, d, h, mi, sec) == 0;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& o) const
{
    COleDateTimeSpan span(DateToLinear(m_dt) - DateToLinear(o.m_dt));
    if (m_status != valid || o.m_status != valid)
        span.m_status = COleDateTimeSpan::invalid;
    return span;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const
{
    COleDateTime r(LinearToDate(DateToLinear(m_dt) + span.m_span));
    if (m_status != valid || span.m_status != COleDateTimeSpan::valid)
        r.m_status = invalid;
    return r;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const
{
    return *this + COleDateTimeSpan(-span.m_span);
}

bool COleDateTime::operator==(const COleDateTime& o) const
{
    return m_status == o.m_status && m_dt == o.m_dt;
}

bool COleDateTime::operator<(const COleDateTime& o) const
{
    return DateToLinear(m_dt) < DateToLinear(o.m_dt);
}
