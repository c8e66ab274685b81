// Calendar arithmetic for "Date" values (days from 1990-01-01) and "TOD"
// values (milliseconds from midnight): day numbers of the proleptic Gregorian
// calendar counted from 1 January of year 0, and times of day.
#include "vars/calendar.h"

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::int64_t kDaysPer400Years = 146097;
constexpr std::uint32_t kSecondsPerDay = 86400;

int MonthLength(int monthIndex, std::int64_t year) {
  return kMonthDays[monthIndex] + (monthIndex == 1 && Cal_IsLeapYear(year) ? 1 : 0);
}

}  // namespace

int Cal_IsLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 1 : 0;
}

std::int64_t Cal_DaysBeforeYear(std::int64_t year) {
  if (year == 0) return 0;
  const std::int64_t y = year - 1;
  return 365 * year + y / 4 - y / 100 + y / 400 + 1;
}

void Cal_DateFromDayNumber(std::int64_t dayNumber, CalendarRecord* record) {
  if (!record) return;
  if (dayNumber < 0) dayNumber = 0;
  record->weekday = static_cast<std::uint16_t>((dayNumber + 6) % 7);
  const std::int64_t r = dayNumber % kDaysPer400Years;
  std::int64_t y = r / 365;
  if (r < Cal_DaysBeforeYear(y)) --y;
  record->year = static_cast<std::uint16_t>(y + 400 * (dayNumber / kDaysPer400Years));
  std::int64_t d = r - Cal_DaysBeforeYear(y);
  int month = 0;
  while (month < 11 && d >= MonthLength(month, y)) d -= MonthLength(month++, y);
  record->month = static_cast<std::uint16_t>(month + 1);
  record->day = static_cast<std::uint16_t>(d + 1);
}

std::int64_t Cal_DayNumberFromDate(const CalendarRecord* record) {
  if (!record) return 0;
  int month = record->month < 1 ? 1 : record->month > 12 ? 12 : record->month;
  std::int64_t n = Cal_DaysBeforeYear(record->year);
  for (int m = 0; m + 1 < month; ++m) n += kMonthDays[m];
  if (month > 2 && Cal_IsLeapYear(record->year)) ++n;
  return n + record->day;
}

void Cal_DateFrom1990(std::int64_t days, CalendarRecord* record) {
  Cal_DateFromDayNumber(days + Cal_DaysBeforeYear(1990), record);
}

std::int64_t Cal_DaysSince1990(const CalendarRecord* record) {
  return Cal_DayNumberFromDate(record) - Cal_DaysBeforeYear(1990) - 1;
}

int Cal_TimeFromSeconds(std::uint32_t seconds, std::uint32_t milliseconds, CalendarRecord* record) {
  if (!record) return 0;
  if (seconds < kSecondsPerDay) {
    record->hour = static_cast<std::uint16_t>(seconds / 3600);
    record->minute = static_cast<std::uint16_t>(seconds / 60 % 60);
    record->second = static_cast<std::uint16_t>(seconds % 60);
    record->milliseconds = static_cast<std::uint16_t>(milliseconds);
  } else {
    record->hour = record->minute = record->second = record->milliseconds = 0;
  }
  return record->hour;
}

int Cal_TimeFromMs(std::uint32_t milliseconds, CalendarRecord* record) {
  return Cal_TimeFromSeconds(milliseconds / 1000, milliseconds % 1000, record);
}

std::int64_t Cal_SecondsOfDay(const CalendarRecord* record) {
  if (!record) return 0;
  return std::int64_t{record->hour} * 3600 + std::int64_t{record->minute} * 60 + record->second;
}

std::int64_t Cal_MsOfDay(std::int64_t days, const CalendarRecord* record) {
  if (!record) return 0;
  return Cal_SecondsOfDay(record) * 1000 + record->milliseconds + days * 86400000;
}
