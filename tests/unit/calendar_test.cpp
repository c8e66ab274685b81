// Calendar arithmetic against the standard library's calendar: every "Date"
// value both ways, day numbers across several 400-year cycles, and every
// second of a day as a time of day.
#include <gtest/gtest.h>

#include <chrono>

#include "vars/vars.h"

namespace {

using namespace std::chrono;

// Day number (days from 1 January of year 0) of the standard library's epoch.
constexpr std::int64_t kDayNumberOf1970 = 719528;

year_month_day Reference(std::int64_t dayNumber) {
  return year_month_day{sys_days{days{dayNumber - kDayNumberOf1970}}};
}

void ExpectDate(const CalendarRecord& c, const year_month_day& ymd, std::int64_t what) {
  ASSERT_EQ(c.year, static_cast<int>(ymd.year())) << what;
  ASSERT_EQ(c.month, static_cast<unsigned>(ymd.month())) << what;
  ASSERT_EQ(c.day, static_cast<unsigned>(ymd.day())) << what;
  ASSERT_EQ(c.weekday, weekday{sys_days{ymd}}.c_encoding()) << what;
}

TEST(Calendar, Examples) {
  EXPECT_EQ(Cal_DaysBeforeYear(0), 0);
  EXPECT_EQ(Cal_DaysBeforeYear(1), 366) << "year 0 is a leap year";
  EXPECT_EQ(Cal_DaysBeforeYear(1990), 726833);
  EXPECT_EQ(Cal_IsLeapYear(2000), 1);
  EXPECT_EQ(Cal_IsLeapYear(2024), 1);
  EXPECT_EQ(Cal_IsLeapYear(1900), 0);
  EXPECT_EQ(Cal_IsLeapYear(2023), 0);
  EXPECT_EQ(Cal_IsLeapYear(0), 1);

  CalendarRecord c{};
  Cal_DateFrom1990(0, &c);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 19900101);
  EXPECT_EQ(c.weekday, 1) << "a Monday";
  Cal_DateFrom1990(11384, &c);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 20210303);
  Cal_DateFrom1990(65535, &c);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 21690606);
  Cal_DateFrom1990(3712, &c);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 20000301);
  EXPECT_EQ(c.weekday, 3) << "a Wednesday";
  const CalendarRecord march2000 = {2000, 3, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(Cal_DaysSince1990(&march2000), 3712);
  EXPECT_EQ(Cal_DayNumberFromDate(&march2000), 730545 + 1) << "one more than the day number";

  CalendarRecord untouched = {0, 0, 0, 0, 11, 22, 33, 444};
  Cal_DateFromDayNumber(726833, &untouched);
  EXPECT_EQ(untouched.hour, 11) << "the time fields are left alone";
  EXPECT_EQ(untouched.milliseconds, 444);
}

TEST(Calendar, EveryDateValueRoundTrips) {
  for (std::int64_t days = 0; days <= 65535; ++days) {
    CalendarRecord c{};
    Cal_DateFrom1990(days, &c);
    ExpectDate(c, Reference(days + 726833), days);
    ASSERT_EQ(Cal_DaysSince1990(&c), days);
  }
}

TEST(Calendar, DayNumbersOverSeveralCycles) {
  for (std::int64_t n = 0; n < 3 * 146097 + 400; n += (n < 800 || (n % 146097) < 800 ? 1 : 29)) {
    CalendarRecord c{};
    Cal_DateFromDayNumber(n, &c);
    ExpectDate(c, Reference(n), n);
    ASSERT_EQ(Cal_DayNumberFromDate(&c), n + 1);
  }
}

TEST(Calendar, MonthsOutsideTheYearDoNotReachPastTheTable) {
  const CalendarRecord zero = {2021, 0, 0, 1, 0, 0, 0, 0};
  const CalendarRecord thirteen = {2021, 13, 0, 1, 0, 0, 0, 0};
  const CalendarRecord january = {2021, 1, 0, 1, 0, 0, 0, 0};
  const CalendarRecord december = {2021, 12, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(Cal_DayNumberFromDate(&zero), Cal_DayNumberFromDate(&january));
  EXPECT_EQ(Cal_DayNumberFromDate(&thirteen), Cal_DayNumberFromDate(&december));
}

TEST(Calendar, TimesOfDay) {
  CalendarRecord c{};
  EXPECT_EQ(Cal_TimeFromMs(45296789, &c), 12);
  EXPECT_EQ(c.minute, 34);
  EXPECT_EQ(c.second, 56);
  EXPECT_EQ(c.milliseconds, 789);
  EXPECT_EQ(Cal_TimeFromSeconds(86399, 999, &c), 23);
  EXPECT_EQ(Cal_MsOfDay(0, &c), 86399999);
  EXPECT_EQ(Cal_TimeFromMs(86400000, &c), 0) << "a whole day or more is midnight";
  EXPECT_EQ(c.minute + c.second + c.milliseconds, 0);
  Cal_TimeFromSeconds(1, 0, &c);
  EXPECT_EQ(Cal_MsOfDay(2, &c), 172801000);
  const CalendarRecord huge = {0, 0, 0, 0, 65535, 65535, 65535, 65535};
  EXPECT_EQ(Cal_SecondsOfDay(&huge), 65535LL * 3661);
  EXPECT_EQ(Cal_MsOfDay(0, &huge), 65535LL * 3661 * 1000 + 65535) << "no 32-bit overflow";

  for (std::uint32_t s = 0; s < 86400; ++s) {
    const std::uint32_t ms = s * 7 % 1000;
    const std::uint32_t of = s * 1000 + ms;
    CalendarRecord t{};
    ASSERT_EQ(Cal_TimeFromMs(of, &t), static_cast<int>(s / 3600));
    ASSERT_EQ(t.hour * 3600 + t.minute * 60 + t.second, static_cast<int>(s));
    ASSERT_LT(t.minute, 60);
    ASSERT_LT(t.second, 60);
    ASSERT_EQ(Cal_MsOfDay(0, &t), of);
  }
}

}  // namespace
