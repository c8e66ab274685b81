// The calendar arithmetic behind "Date" and "TOD" values and the date and
// time views. Pure functions on the caller's records; any thread may call.
#pragma once

#include <cstdint>

#include "s7lib/s7lib.h"   // CalendarRecord

// ================================================================ calendar
//
// The calendar arithmetic behind "Date" (days from 1990-01-01) and "TOD" (ms
// from midnight) values. Day numbers count from 1 January of year 0 of the
// proleptic Gregorian calendar; 1990-01-01 is day 726,833.

int Cal_IsLeapYear(std::int64_t year);
std::int64_t Cal_DaysBeforeYear(std::int64_t year);
// Year, month, day and weekday (0 = Sunday) of a day number ≥ 0; the other
// fields are left alone. A year beyond 65535 does not fit the record.
void Cal_DateFromDayNumber(std::int64_t dayNumber, CalendarRecord* record);
// One more than the day number of the record's date. Months outside 1-12
// count as the nearest of them.
std::int64_t Cal_DayNumberFromDate(const CalendarRecord* record);
void Cal_DateFrom1990(std::int64_t days, CalendarRecord* record);
std::int64_t Cal_DaysSince1990(const CalendarRecord* record);
// Hour, minute, second and milliseconds; a whole day or more gives
// 00:00:00.000. Returns the hour.
int Cal_TimeFromSeconds(std::uint32_t seconds, std::uint32_t milliseconds, CalendarRecord* record);
int Cal_TimeFromMs(std::uint32_t milliseconds, CalendarRecord* record);
std::int64_t Cal_SecondsOfDay(const CalendarRecord* record);
std::int64_t Cal_MsOfDay(std::int64_t days, const CalendarRecord* record);
