// COleDateTime and COleDateTimeSpan: a point in time as a DATE (days since
// 30 December 1899, the fraction being the time of day) and a span in days.
// Times are local times; components are rounded to the nearest second.
#pragma once

#include "platform/base/cstring.h"

#include <ctime>

typedef double DATE;
typedef DWORD LCID;

#define LANG_USER_DEFAULT 0x0400
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_NOUSEROVERRIDE 0x80000000u
#define VAR_TIMEVALUEONLY 0x00000001u
#define VAR_DATEVALUEONLY 0x00000002u

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTimeSpan() = default;
    COleDateTimeSpan(double dblSpanSrc) : m_span(dblSpanSrc) {}
    COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs);
    void SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs);

    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    // Totals are whole units of the span rounded to the nearest second
    // (half a second is added away from zero, then the part below the unit
    // is dropped).
    double GetTotalDays() const;
    double GetTotalHours() const;
    double GetTotalMinutes() const;
    double GetTotalSeconds() const;
    // Components of the rounded span: days, then 0-23, 0-59, 0-59.
    LONG GetDays() const;
    LONG GetHours() const;
    LONG GetMinutes() const;
    LONG GetSeconds() const;

    operator double() const { return m_span; }

    COleDateTimeSpan operator+(const COleDateTimeSpan& o) const { return COleDateTimeSpan(m_span + o.m_span); }
    COleDateTimeSpan operator-(const COleDateTimeSpan& o) const { return COleDateTimeSpan(m_span - o.m_span); }
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& o) { m_span += o.m_span; return *this; }
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& o) { m_span -= o.m_span; return *this; }
    COleDateTimeSpan operator-() const { return COleDateTimeSpan(-m_span); }
    bool operator==(const COleDateTimeSpan& o) const { return m_span == o.m_span; }
    bool operator!=(const COleDateTimeSpan& o) const { return m_span != o.m_span; }
    bool operator<(const COleDateTimeSpan& o) const { return m_span < o.m_span; }
    bool operator>(const COleDateTimeSpan& o) const { return m_span > o.m_span; }
    bool operator<=(const COleDateTimeSpan& o) const { return m_span <= o.m_span; }
    bool operator>=(const COleDateTimeSpan& o) const { return m_span >= o.m_span; }

    double m_span = 0;
    DateTimeSpanStatus m_status = valid;
};

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    // The current local time, to the millisecond.
    static COleDateTime GetCurrentTime();

    COleDateTime() = default;
    COleDateTime(DATE dtSrc) : m_dt(dtSrc) {}
    COleDateTime(time_t timeSrc);
    COleDateTime(const SYSTEMTIME& systimeSrc);
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    // 0 on success; invalid fields (years 100-9999) make the value invalid
    // and return 1.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
    int SetTime(int nHour, int nMin, int nSec) { return SetDateTime(1899, 12, 30, nHour, nMin, nSec); }

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    // -1 for the components of a value that is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;  // 1 = 1 January
    bool GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime codes; without a format the locale's default short form:
    // "M/D/YYYY h:mm:ss AM" (date alone at midnight, time alone on day 0).
    CString Format(LPCTSTR lpszFormat) const;
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;

    // Reads a date and/or time: "YYYY-MM-DD", "YYYY/MM/DD", "M/D/YYYY", then
    // optionally "h:mm[:ss]" with "AM"/"PM"; or a time alone. FALSE (and
    // the value invalid) when the text is not one.
    bool ParseDateTime(LPCTSTR lpszDate, DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT);

    operator DATE() const { return m_dt; }

    COleDateTimeSpan operator-(const COleDateTime& o) const;
    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span) { return *this = *this + span; }
    COleDateTime& operator-=(const COleDateTimeSpan& span) { return *this = *this - span; }
    bool operator==(const COleDateTime& o) const;
    bool operator!=(const COleDateTime& o) const { return !(*this == o); }
    bool operator<(const COleDateTime& o) const;
    bool operator>(const COleDateTime& o) const { return o < *this; }
    bool operator<=(const COleDateTime& o) const { return !(o < *this); }
    bool operator>=(const COleDateTime& o) const { return !(*this < o); }

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;

private:
    struct Parts;
    bool Split(Parts& p) const;
    int Part(int Parts::*field) const;
};
