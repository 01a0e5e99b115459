#include "platform/base/date_time.h"

#include <gtest/gtest.h>

namespace {

TEST(COleDateTimeValue, KnownDatesAndComponents)
{
    EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
    EXPECT_DOUBLE_EQ(COleDateTime(2000, 1, 1, 0, 0, 0).m_dt, 36526.0);
    EXPECT_DOUBLE_EQ(COleDateTime(2000, 1, 1, 18, 0, 0).m_dt, 36526.75);
    // Before day 0 the time of day counts away from zero.
    COleDateTime before(1899, 12, 29, 12, 0, 0);
    EXPECT_DOUBLE_EQ(before.m_dt, -1.5);
    EXPECT_EQ(before.GetDay(), 29);
    EXPECT_EQ(before.GetHour(), 12);

    COleDateTime t(2024, 2, 29, 23, 59, 58);
    EXPECT_EQ(t.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(t.GetYear(), 2024);
    EXPECT_EQ(t.GetMonth(), 2);
    EXPECT_EQ(t.GetDay(), 29);
    EXPECT_EQ(t.GetHour(), 23);
    EXPECT_EQ(t.GetMinute(), 59);
    EXPECT_EQ(t.GetSecond(), 58);
    EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
    EXPECT_EQ(t.GetDayOfYear(), 60);
    EXPECT_EQ(COleDateTime(2000, 1, 1, 0, 0, 0).GetDayOfWeek(), 7);

    COleDateTime bad(2023, 2, 29, 0, 0, 0);
    EXPECT_EQ(bad.GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(bad.GetYear(), -1);
    EXPECT_EQ(bad.Format("%Y"), "");
    EXPECT_EQ(COleDateTime(2020, 1, 1, 24, 0, 0).GetStatus(), COleDateTime::invalid);
}

TEST(COleDateTimeValue, ArithmeticAndSpanRounding)
{
    COleDateTime a(2026, 12, 31, 23, 59, 59);
    COleDateTime b = a + COleDateTimeSpan(0, 0, 0, 2);
    EXPECT_EQ(b.GetYear(), 2027);
    EXPECT_EQ(b.GetSecond(), 1);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b - COleDateTimeSpan(0, 0, 0, 2) == a);

    // Whole seconds, half a second rounding away from zero.
    COleDateTime seen(2026, 1, 1, 12, 0, 0);
    COleDateTimeSpan s34 = COleDateTime(seen.m_dt + 3.4 / 86400) - seen;
    COleDateTimeSpan s36 = COleDateTime(seen.m_dt + 3.6 / 86400) - seen;
    EXPECT_EQ(s34.GetTotalSeconds(), 3.0);
    EXPECT_EQ(s36.GetTotalSeconds(), 4.0);
    EXPECT_EQ((-s36).GetTotalSeconds(), -4.0);
    COleDateTimeSpan span(2, 3, 4, 5);
    EXPECT_EQ(span.GetDays(), 2);
    EXPECT_EQ(span.GetHours(), 3);
    EXPECT_EQ(span.GetMinutes(), 4);
    EXPECT_EQ(span.GetSeconds(), 5);
    EXPECT_EQ(span.GetTotalHours(), 51.0);
}

TEST(COleDateTimeText, FormatAndParseRoundTrip)
{
    COleDateTime t(2026, 3, 7, 14, 5, 9);
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "2026-03-07 14:05:09");
    EXPECT_EQ(t.Format(), "3/7/2026 2:05:09 PM");
    EXPECT_EQ(COleDateTime(2026, 3, 7, 0, 0, 0).Format(), "3/7/2026");
    EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 30, 0).Format(), "12:30:00 AM");

    COleDateTime p;
    ASSERT_TRUE(p.ParseDateTime(t.Format()));
    EXPECT_TRUE(p == t);
    ASSERT_TRUE(p.ParseDateTime("2026-03-07 14:05:09"));
    EXPECT_TRUE(p == t);
    ASSERT_TRUE(p.ParseDateTime(" 2026/3/7T14:05:09 "));
    EXPECT_TRUE(p == t);
    ASSERT_TRUE(p.ParseDateTime("12/31/99 12:00 am"));
    EXPECT_EQ(p.GetYear(), 1999);
    EXPECT_EQ(p.GetHour(), 0);
    ASSERT_TRUE(p.ParseDateTime("7:15"));
    EXPECT_EQ(p.GetYear(), 1899);
    EXPECT_EQ(p.GetMinute(), 15);
    ASSERT_TRUE(p.ParseDateTime("2026-03-07 14:05:09", VAR_DATEVALUEONLY));
    EXPECT_EQ(p.GetHour(), 0);

    for (const char* bad : {"", "abc", "2026-02-30", "13/1/2026", "2026-03-07 25:00", "1:2:3:4", "3/7/2026 x",
                            "99999999999/1/1", "1/1"}) {
        EXPECT_FALSE(p.ParseDateTime(bad)) << bad;
        EXPECT_EQ(p.GetStatus(), COleDateTime::invalid) << bad;
    }
}

TEST(COleDateTimeNow, CurrentTimeMatchesSystemClock)
{
    SYSTEMTIME st;
    COleDateTime now = COleDateTime::GetCurrentTime();
    time_t t = time(nullptr);
    COleDateTime fromTimeT(t);
    double diffSeconds = (fromTimeT - now).m_span * 86400;
    EXPECT_LT(std::abs(diffSeconds), 2.0);
    ASSERT_TRUE(now.GetAsSystemTime(st));
    EXPECT_GE(st.wYear, 2024);
}

}  // namespace
