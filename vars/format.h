// The program's own text formatting engine: printf-like texts in code page
// 1250 that follow the calling thread's locale word (so the thread must have
// been started by the runtime), numbers, reals and time stamps. No locks; the
// texts go into the caller's buffers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "res/strings.h"   // LoadText and the IDS_… ids that "%s" accepts
#include "s7lib/s7lib.h"   // CalendarRecord

// ---------------------------------------------------------------- formatting settings

// The locale word: low byte the decimal point, next byte the digit-group
// separator, next byte the date order (0 year-month-day, 1 month-day-year,
// 2 day-month-year).
inline char LocaleDecimalPoint(std::uint32_t word) { return static_cast<char>(word & 0xFF); }
inline char LocaleGroupSeparator(std::uint32_t word) { return static_cast<char>((word >> 8) & 0xFF); }
inline int LocaleDateOrder(std::uint32_t word) { return static_cast<int>((word >> 16) & 0xFF); }

// ---------------------------------------------------------------- formatting engine

// Number flags of FormatInteger and FormatReal (the directive parser sets the
// same bits from a format's flags and conversion).
inline constexpr unsigned kFmtRadixMask = 0x0003;      // 0 decimal, 1 hexadecimal, 2 octal, 3 binary
inline constexpr unsigned kFmtHex = 0x0001;
inline constexpr unsigned kFmtOctal = 0x0002;
inline constexpr unsigned kFmtBinary = 0x0003;
inline constexpr unsigned kFmtZeroPad = 0x0004;        // zeros in front up to the precision (integers)
inline constexpr unsigned kFmtFixedPoint = 0x0008;     // integers: precision digits after an inserted point
inline constexpr unsigned kFmtUnsigned = 0x0010;
inline constexpr unsigned kFmtGroup = 0x0020;          // groups of 3 decimal, 4 hex, 3 octal, 8 binary digits
inline constexpr unsigned kFmtTrimZeros = 0x0040;      // drop trailing fraction zeros (and the point)
inline constexpr unsigned kFmtKeepOneDecimal = 0x0080; // with kFmtTrimZeros: keep ".0"
inline constexpr unsigned kFmtUpper = 0x0100;          // hexadecimal letters and the exponent letter
inline constexpr unsigned kFmtPlus = 0x0200;           // "+" before a positive number
inline constexpr unsigned kFmtBlank = 0x0400;          // a blank before a positive number
inline constexpr unsigned kFmtExponent = 0x0800;       // exponent form (reals)

// A string-table id where a "%s" expects a text. The engine takes a
// pointer-sized argument there and treats the values 1-65535 as ids, so an id
// must travel pointer-sized: FormatText(out, "%s", TextId(IDS_ERR_OK + code)).
inline const char* TextId(int id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}

// Formats into output and returns the number of characters written (without
// the terminating zero). The output has no size: use it where the length is
// bounded by construction, FormatTextN everywhere else. A null output gives
// 0; a null format gives an empty text. Arguments are int (32-bit), long long
// after "ll" or "I64", double for reals, a pointer or TextId for "%s", a
// pointer for "%m" and a const CalendarRecord* (or null) for "%D" and "%T".
int FormatText(char* output, const char* format, ...);
int FormatTextV(char* output, const char* format, va_list args);

// The bounded form: writes at most size − 1 characters and a terminating zero
// (nothing when size is 0) and returns the number of characters written. The
// text is the unbounded form's, cut to fit.
int FormatTextN(char* output, std::size_t size, const char* format, ...);
int FormatTextNV(char* output, std::size_t size, const char* format, va_list args);

// One integer (low and high 32-bit words of a 64-bit value): flags as above,
// precision (minimum digits with kFmtZeroPad, decimals with kFmtFixedPoint;
// at most 64 either way), width (right-aligned). Returns the length. The
// output needs room for 160 characters or the width.
int FormatInteger(char* output, std::uint32_t low, std::uint32_t high, unsigned flags,
                  int precision, int width);

// One real with 0-18 decimals (fixed) or significant digits after the first
// (kFmtExponent), correctly rounded, exact ties rounded up. Infinity is
// "+oo"/"-oo", a NaN "???". Returns the length; the output needs room for
// 512 characters or the width.
int FormatReal(char* output, double value, unsigned flags, int precision, int width);

// count copies of the character and a terminating zero; returns count.
int FillText(char* output, int character, int count);

// base raised to an integer power (negative powers give the reciprocal).
double PowerOf(double base, int exponent);

// "%*c%D%*c%.*T": leadingTabs tabs, the date and a blank if withDate, the time
// of day with 0-3 digits of milliseconds. With no record the current local
// time is used; with a record and takeLocalTime set, the current local time
// is first stored into it. Returns the length.
//   FormatTimeStamp({.withDate = true, .precision = 3}, nullptr, stamp);
struct TimeStampForm {
  bool takeLocalTime = false;
  bool withDate = false;
  int precision = 0;
  int leadingTabs = 0;
};
int FormatTimeStamp(TimeStampForm form, CalendarRecord* record, char* output);
