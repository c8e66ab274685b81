// An element's value as text in its display mode, and the reading of such a
// text back (with the range and the spinner of each mode). Texts follow the
// calling thread's formatting settings and stay in the caller's buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "s7lib/s7lib.h"   // CalendarRecord
#include "vars/varmodel.h"

// ================================================================ value text
//
// The text of an element in its display mode.

// The value text of one element; trailingBlank appends one blank,
// bareCharacter writes a character in the Char view without quotes and code
// (the edit field's form). text needs kVarValueTextMax bytes; returns the
// length.
inline constexpr int kVarValueTextMax = 96;
struct VarValueForm {
  bool trailingBlank = false;
  bool bareCharacter = false;
};
int Var_FormatValue(VarValueForm form, int elementIndex, const PlcVariable* var, char* text);
// The same whole: a String or WString may need more than kVarValueTextMax
// (Var_FormatValue cuts it there). In the display form a text is quoted,
// 'like this'; bare in the edit field's form. The caller owns the string.
std::string Var_FormatValueString(VarValueForm form, int elementIndex, const PlcVariable* var);

// ================================================================ reading typed values
//
// What the element edit dialog and the command line accept as the value of
// an element in its display mode, the range each mode allows and the
// spinner that steps through it.

// Results of reading a value text.
enum : int {
  VAR_VALUE_OK = 0,
  VAR_VALUE_NO_ELEMENT,     // no such element, or a record without a block
  VAR_VALUE_EMPTY,          // nothing typed
  VAR_VALUE_TOO_LONG,       // more than kVarValueInputMax characters
  VAR_VALUE_PREFIX,         // the 0b or 0x prefix is missing
  VAR_VALUE_NUMBER,         // not a number of the mode (bad digit, groups, more than 64 bits)
  VAR_VALUE_BELOW,          // below the range (Var_ValueRange)
  VAR_VALUE_ABOVE,          // above the range
  VAR_VALUE_CHAR,           // neither one character nor # and a code
  VAR_VALUE_REAL,           // not a real number
  VAR_VALUE_REAL_RANGE,     // beyond what a REAL holds
  VAR_VALUE_TIME_NUMBER,    // a time part without its number
  VAR_VALUE_TIME_UNIT,      // a number without a unit (d, h, m, s, ms)
  VAR_VALUE_TIME_ORDER,     // a unit out of order or repeated
  VAR_VALUE_TIME_SIGN,      // a sign on a later part
  VAR_VALUE_DATE,           // not a valid date
  VAR_VALUE_TIME_OF_DAY,    // not a valid time of day
  VAR_VALUE_TEXT_LONG,      // more characters than the String's or WString's maximum
  VAR_VALUE_ESCAPE,         // a "\" not followed by "\" or uXXXX, or a letter a String cannot hold
  VAR_VALUE_LREAL_RANGE,    // beyond what an LREAL holds
  VAR_VALUE_CODE_COUNT
};
inline constexpr int kVarValueInputMax = 255;

// Reads text as the value of an element in its effective view. A String or
// WString takes its text as it stands (blanks too), "\\" and "\uXXXX"
// escaped, *value then being its length in characters; the 64-bit types
// read exact in the integer views, an LReal to the nearest double, LTime a
// duration whose milliseconds may have six decimals, LTOD, LDT and DTL
// nanoseconds (up to nine decimals of the second, LDT and DTL from
// 1970-01-01), *value then being nanoseconds. Bin, Hex,
// Dec+/-, Dec and Char (each with its own notation) give integers; Real its
// 32 bits; Time "1h30m"-style milliseconds; Date/Time "YYYY.MM.DD" for a
// 2-byte element, "hh:mm:ss[.mmm]" for a 4-byte one, both joined by "." for
// Date&Time (the date in the thread's date order), which also fill calendar
// when it is given. On success *value is what the slot is to hold (for a
// Date/Time text the day count, the ms of the day or the 8 bytes as a
// little-endian number). Returns VAR_VALUE_OK or the code of the rule that
// refused the text; *value is then untouched.
int Var_ReadValue(int elementIndex, const PlcVariable* var, const char* text, std::int64_t* value,
                  CalendarRecord* calendar);
// Reads and, when valid, stores the value (Var_PutElement, through the
// calendar for Date/Time). Returns the reading's code.
int Var_EnterValue(int elementIndex, PlcVariable* var, const char* text);

// The values an element may take in a view (VAR_VIEW_DEFAULT: its effective
// view). checked 0 means any value the notation can write; for Date/Time
// the limits are slot values (days, ms of the day); Date&Time has none here
// and is limited to 1990-2089 by the reader.
struct VarValueRange {
  int checked;
  std::int64_t min;
  std::int64_t max;
};
void Var_ValueRange(int elementIndex, const PlcVariable* var, int view, VarValueRange* range);

// The spinner of the value field: used in Bin, Hex, Dec+/-, Dec and Char on
// elements of up to 4 bytes. Its position is a signed 32-bit number, the
// value minus offset (2^31 for the range 0-4294967295, else 0); the steps
// grow after the given seconds of holding an arrow (accelCount 0: the
// control's own).
struct VarSpinner {
  int used;
  std::int32_t low, high;
  std::int64_t offset;
  int accelCount;
  struct Accel {
    int seconds;
    int step;
  } accel[3];
  VarValueRange range;
};
void Var_GetSpinner(int elementIndex, const PlcVariable* var, int view, VarSpinner* spinner);
std::int32_t Var_SpinnerPosition(const VarSpinner* spinner, std::int64_t value);
// The value after a step of delta from position, clamped to the range.
std::int64_t Var_SpinnerStep(const VarSpinner* spinner, std::int32_t position, int delta);

// A short English text for a reading code ("below the minimum"), and the
// whole complaint about a refused text as the command line prints it after
// the element's name: "-32769 is below -32768", "30s1m: time units out of
// order (d h m s ms, each once)". Returns the length.
const char* Var_ValueErrorText(int code);
int Var_DescribeValueError(int code, int elementIndex, const PlcVariable* var, const char* text,
                           char* out, std::size_t size);
