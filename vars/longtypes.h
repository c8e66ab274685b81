// The newer types' values in their slots: DTL time stamps and the nanosecond
// counts of LDT, LTOD and LTime against the calendar, and the texts of
// String and WString slots with the escapes that keep every character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "s7lib/s7lib.h"   // CalendarRecord
#include "vars/varmodel.h"

inline constexpr std::int64_t kNanosPerMs = 1000000;
inline constexpr std::int64_t kNanosPerDay = 86400 * std::int64_t{1000000000};

// A DTL's 12 bytes and nanoseconds since 1970-01-01 (what an int64 holds
// reaches 2262-04-11 23:47:16.854775807, as far as a DTL goes). The reading
// takes the fields as they stand, checked or not; the writing fills in the
// weekday (1 = Sunday) and refuses (0) a count below 0. Any thread.
std::int64_t Var_DtlNanos(const std::uint8_t* wire12);
int Var_DtlFromNanos(std::int64_t nanos, std::uint8_t* wire12);
// 1 when the 12 bytes are a real date and time (weekday not looked at).
int Var_DtlValid(const std::uint8_t* wire12);

// Nanoseconds since 1970 as a calendar record (to the millisecond, weekday
// 0 = Sunday) and back; the record must hold a real date and time, and one
// whose count an int64 cannot hold (past 2262-04-11) gives −1, as one
// before 1970 gives a negative count.
void Var_CalendarFromNanos(std::int64_t nanos, CalendarRecord* record);
std::int64_t Var_NanosFromCalendar(const CalendarRecord* record);
std::int64_t Var_DaysSince1970(const CalendarRecord* record);

// The characters of a String or WString element as UTF-16 units: the
// current length as the slot's header says, held to the slot's maximum and
// to its own room. Empty for anything else.
std::u16string Var_TextUnits(int elementIndex, const PlcVariable* var);
// The display text of such units: code page 1250 letters, "\\" for a
// backslash and "\uXXXX" for a control character or one that the code page
// lacks. Reading it back gives the same units, or false for a bad escape or
// a character the String cannot hold (*units then partly filled).
std::string Var_EscapeText(const std::u16string& units);
bool Var_UnescapeText(const char* text, int type, std::u16string* units);
// Writes the units as the element's text: the current length and the
// characters; the maximum-length field is kept once it was read (set to the
// variable's maximum while it is 0), the bytes after the text are left alone.
// 0 for more units than the maximum allows, or a unit a String cannot hold.
int Var_PutTextUnits(int elementIndex, PlcVariable* var, const std::u16string& units);
