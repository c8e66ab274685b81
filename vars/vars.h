// Variables, values and files: the program's own text formatting engine and
// its counterpart, the number and text readers. The variable model, value
// text, INI layer and variable table file join this header as they land; it
// is organised by subject so that each keeps its own section.
//
// Texts are byte strings in code page 1250. Formatting and reading follow the
// calling thread's formatting settings (the locale word of its ThreadContext),
// so every thread that formats or reads must have been started by the runtime.
//
// Threads and ownership: nothing here takes a lock. Functions that work on a
// record (HeapText, PlcVariable, VariableTable, PlcSettings, IniIndex,
// IniBuilder, FileHandle) serve one thread at a time per record; the others
// may run on any runtime thread at once. Texts come back in the caller's
// buffers, except where a function hands over a runtime heap block: the
// caller then frees it with Rt_Free.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "res/strings.h"   // LoadText and the IDS_… ids that "%s" accepts
#include "s7lib/s7lib.h"   // CalendarRecord
#include "vars/varplan.h"

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

// A text in a runtime heap block that grows as it is appended to, for texts
// whose length nothing bounds (log entries with many detail lines, whole
// files). A growth that fails marks it failed: Take then gives null.
class HeapText {
 public:
  explicit HeapText(std::size_t firstCapacity = 512) : first_(firstCapacity ? firstCapacity : 1) {}
  ~HeapText();
  HeapText(const HeapText&) = delete;
  HeapText& operator=(const HeapText&) = delete;

  void Append(const char* bytes, std::size_t n);
  // Formats one piece, of any length, and appends it.
  void Format(const char* format, ...);
  const char* Text() const { return data_ ? data_ : ""; }
  std::size_t Length() const { return length_; }
  // Hands the zero-terminated block over (Rt_Free it); the text is empty
  // afterwards.
  char* Take(std::size_t* length);

 private:
  bool Reserve(std::size_t size);
  char* data_ = nullptr;
  std::size_t length_ = 0, capacity_ = 0, first_;
  bool failed_ = false;
};

// ---------------------------------------------------------------- number and text reading

// Reading flags of ParseInteger and ParseReal.
inline constexpr unsigned kReadRadixMask = 0x0003;     // 0 decimal, 1 hexadecimal, 2 octal, 3 binary (not decimal: unsigned)
inline constexpr unsigned kReadHex = 0x0001;
inline constexpr unsigned kReadOctal = 0x0002;
inline constexpr unsigned kReadBinary = 0x0003;
inline constexpr unsigned kReadPrefix = 0x0004;        // "0x", "0o", "0b" select the radix
inline constexpr unsigned kReadPoint = 0x0008;         // a decimal point (integers: fixed point with decimals)
inline constexpr unsigned kReadUnsigned = 0x0010;      // no sign accepted
inline constexpr unsigned kReadGroups = 0x0020;        // group separators between digit groups
inline constexpr unsigned kReadRangeMask = 0x7000;     // the result must fit 32 bits
inline constexpr unsigned kReadRange32 = 0x2000;
inline constexpr unsigned kReadLenientGroups = 0x8000; // any number of digits between separators

// Trim flags.
inline constexpr unsigned kTrimLeading = 1;
inline constexpr unsigned kTrimTrailing = 2;
inline constexpr unsigned kTrimBoth = 3;

// The consumed count (if asked) is the number of characters looked at before
// the one that stopped the reading, leading blanks and sign included; it is
// negated when the reading failed. A field is a number when the count equals
// its length. A failed reading returns 0.
std::int64_t ParseInteger(const char* text, unsigned flags, int decimals, int* consumed);
double ParseReal(const char* text, unsigned flags, int* consumed);
// ParseReal for a REAL: the digits rounded once, straight to single
// precision, so that a text just inside the largest single is not pushed past
// it by a rounding to double on the way. A value that rounds beyond the single
// range reads as 0 with *overflow set (a reading all the same); one too small
// for the smallest single reads as 0.
float ParseRealSingle(const char* text, unsigned flags, int* consumed, bool* overflow);

// Only blanks and tabs are white space. A null source copies as empty.
int TrimCopy(char* destination, const char* source, unsigned trimFlags);
int TrimCopyN(char* destination, const char* source, std::size_t size, unsigned trimFlags);
int TrimInPlace(char* text, unsigned trimFlags);

// Case folding: a-z and the accented small letters 0xE0-0xFE lose 0x20.
inline unsigned char UpperCaseChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE) ? static_cast<unsigned char>(c - 0x20) : c;
}
int UpperCaseText(char* text);
int CompareNoCase(const char* a, const char* b);
int CompareBytes(const void* a, const void* b, std::size_t count);

// Positions, or −1 when not found. FindChar looks at most maxLength characters
// of the text (a negative maxLength: up to its end).
int FindText(const char* text, const char* pattern, int start, int ignoreCase);
int FindChar(const char* text, int character, int start, int maxLength, int ignoreCase);

// first then second into destination, zero-terminated; returns the length.
int ConcatText(char* destination, const char* first, const char* second);

// ================================================================ variable model
//
// A variable is a run of elements of one type at one place in one memory area
// of the PLC. Its record owns one zero-filled block: the value slots, a copy
// of them as the read window last showed them, a display-mode byte and a
// 24-byte name per element. The table holds at most kVarTableSize
// variables, in use from index 0 upwards; free entries are all zero.
//
// The block comes from the runtime heap and belongs to the record: a copy of
// a record shares it, so exactly one copy frees it (Var_FreeBlock,
// VarTable_Clear, VarTable_Remove; VarTable_TakeOut hands it to the caller,
// VarTable_Insert to the table). Var_ElementName points into the block;
// Var_TypeName and Var_AreaName give string-table texts, Var_TypeInfo a
// constant row: none of them is the caller's to free.

// Data types (the library's S7_TYPE_… codes), memory areas (S7_AREA_…) and
// display modes ("views"; the display name of view v is string 600 + v).
enum : int {
  VAR_VIEW_DEFAULT = 0,   // the type's own view
  VAR_VIEW_BIN = 1,
  VAR_VIEW_HEX = 2,
  VAR_VIEW_DEC_SIGNED = 3,
  VAR_VIEW_DEC = 4,
  VAR_VIEW_CHAR = 5,
  VAR_VIEW_REAL = 6,
  VAR_VIEW_TIME = 7,
  VAR_VIEW_DATE_TIME = 8,
};
inline constexpr int kVarTypeCount = 16;
inline constexpr int kVarAreaCount = 6;
inline constexpr int kVarViewCount = 9;
// The most variables a table holds. The planner reads any number; beyond
// this many a table is no longer one machine's view: at PDU 240 a thousand
// scattered words take some 55 requests, about a second on a CPU that answers
// in 20 ms, the read window's default interval. The records cost 64 bytes
// each, wherever a table is kept.
inline constexpr int kVarTableSize = 1000;
inline constexpr int kVarNameSize = 24;          // 23 characters and the terminating zero
// The most elements a definition names; Var_MaxCount narrows it by type.
inline constexpr int kVarDefinitionCountMax = 65535;
// The most bytes one variable takes in the PLC.
inline constexpr int kVarBytesMax = 65535;
// The most elements Var_Init stores; more would overflow the sizes.
inline constexpr int kVarCountLimit = 65535;

// Area letters by area code and size letters by size index (bit, 1, 2, 4,
// 8 bytes), as addresses write them.
inline constexpr char kVarAreaLetters[] = "EAMDTZ";
inline constexpr char kVarSizeLetters[] = "XBWDQ";

struct VarTypeInfo {
  int wireSize;     // bytes per element in the PLC
  int slotSize;     // bytes per element in the value buffer
  int defaultView;  // what VAR_VIEW_DEFAULT stands for
};
// The type's row, or null for a code outside 0-15.
const VarTypeInfo* Var_TypeInfo(int type);
// The most elements a variable of the type may have: kVarBytesMax bytes in
// the PLC (a run of bits in whole bytes, at most kVarCountLimit bits); 0
// for a code outside 0-15.
int Var_MaxCount(int type);
// Type and area display names (string table), or null for a bad code.
const char* Var_TypeName(int type);
const char* Var_AreaName(int area);

struct PlcVariable {
  std::int32_t type;        // S7_TYPE_…
  std::int32_t area;        // S7_AREA_…
  std::int32_t dbNumber;    // 1-32767 in area DB, else 0
  std::int32_t start;       // byte address; timer or counter number for Timer and Counter
  std::int32_t bit;         // bit of the first element (Bit only)
  std::int32_t count;       // elements
  std::int32_t wireSize;    // from the type
  std::int32_t slotSize;    // from the type
  std::int32_t bufferSize;  // slotSize × count, one more for Char (a terminated text)
  std::uint8_t* values;     // the block: values, then the last-shown copy,
  std::uint8_t* views;      //   count view bytes (0 = the type's default),
  char* names;              //   count names of kVarNameSize bytes
};

struct VariableTable {
  std::int32_t count;
  PlcVariable vars[kVarTableSize];
};

// Sets the derived fields without allocating. reset zeroes the record first
// (a block it held is not freed: free it before). type, area and count are
// stored when they are valid (0-15, 0-5, 1-kVarCountLimit); −1 or 0 keeps the
// record's own. The DB number becomes 1 in area DB when it is 0, and 0 in any
// other area.
void Var_Init(int reset, int type, int area, int count, PlcVariable* var);

// Allocates the zero-filled block for the record's sizes and sets the three
// pointers (a count of 0 still gets a block). 1 on success; 0 when it cannot
// be allocated, leaving the pointers empty. Var_FreeBlock releases it and
// empties the pointers; a record without a block is left alone.
int Var_AllocBlock(PlcVariable* var);
void Var_FreeBlock(PlcVariable* var);
// The read window's copy of the values as it last showed them.
std::uint8_t* Var_ShownValues(const PlcVariable* var);

int Var_DefaultView(const PlcVariable* var);
// 1 when the type offers the view (VAR_VIEW_BIN … VAR_VIEW_DATE_TIME).
int Var_AdmitsView(int type, int view);
// The view an element is shown in: its view byte, or the type's default when
// the byte is 0 or names a view the type does not offer.
int Var_EffectiveView(int elementIndex, const PlcVariable* var);

// Fills list with the string ids (600-608) of the views the type offers, in
// id order, "Default" first as asked, followed by a 0 entry (a menu
// separator) with WithDefaultAndGap. list needs 8 entries. Returns the
// position of the element's current view byte in the list, 0 when absent.
enum class VarViewList { Views, WithDefault, WithDefaultAndGap };
int Var_ListViews(VarViewList form, int elementIndex, const PlcVariable* var, int* count, int* list);

// Reads one element slot. Dec+/- and Time read it signed, the other views
// unsigned (Var_EffectiveView). With a calendar: a 2-byte element gives the
// date that many days after 1990-01-01 (time fields 0), a 4-byte element the
// current local date with its own time of day (00:00:00.000 from 86,400,000
// ms on), Date&Time its decoded 8 bytes. Returns 1, or 0 (value 0) for an
// index outside the variable or a record without a block.
int Var_GetElement(int elementIndex, const PlcVariable* var, std::int64_t* value,
                   CalendarRecord* calendar);

// Writes one element slot from value, or from the calendar when one is given
// (a day count from 1990-01-01, a time of day in ms, or the 8 DATE_AND_TIME
// bytes with the weekday taken from the date). Narrow elements keep the low
// bytes and zero the rest of a 4-byte slot; S5Time and Timer slots take 32
// bits. Returns 1, or 0 with the slot untouched for a bad index, no block, a
// calendar record that is no valid date and time, or a 1-byte element given
// a calendar.
int Var_PutElement(int elementIndex, PlcVariable* var, std::int64_t value, const CalendarRecord* calendar);

// The element's name (empty when it has none, never null), and setting it
// from a text cut to 23 characters with blanks and tabs trimmed.
const char* Var_ElementName(const PlcVariable* var, int elementIndex);
void Var_SetElementName(PlcVariable* var, int elementIndex, const char* text);

// Address texts: "DB1.DBW2", "M10.3", "T5" …, with a leading blank, ":count"
// and " (Type)" as asked. With a width, a longer address (before count and
// type) raises it. text needs kVarAddressTextMax bytes; the length is
// returned.
//   Var_FormatAddress({.withCount = true, .withType = true}, 0, var, text, nullptr);
inline constexpr int kVarAddressTextMax = 96;
struct VarAddressForm {
  bool leadingBlank = false;
  bool withCount = false;
  bool withType = false;
};
int Var_FormatAddress(VarAddressForm form, int elementIndex, const PlcVariable* var, char* text,
                      int* width);

// Reads a definition text («DB1.DBW2:3 (Int)», blanks and case free) into
// the record and allocates its block: 1 on success; 0 when the text is
// refused or the block cannot be allocated, and the record is then left as
// it was. A block the record held before is not freed.
int Var_ParseDefinition(const char* text, PlcVariable* var);

// ---------------------------------------------------------------- element storage and definitions

// Gives the variable a new block for newCount elements (1-kVarCountLimit) of
// its type: values, last-shown copy, views and names each keep their first
// min(old, new) elements, the others start zero. 1 on success, the old block
// freed; 0 when the count is refused or no block can be had, and the record
// is then unchanged. A record without a block gets an empty one.
int Var_Resize(PlcVariable* var, int newCount);

// What the variable definition dialog sets: the fields of the record that
// say where its elements are.
inline constexpr int kVarDbNumberMax = 32767;
inline constexpr int kVarAddressMax = 32767;
struct VarDefinition {
  int type;
  int area;
  int dbNumber;   // raised from 0 to 1 in area DB, made 0 in any other area
  int start;
  int bit;
  int count;
};
void Var_GetDefinition(const PlcVariable* var, VarDefinition* definition);

// Applies a definition to a record. A new record (isNew) gets fresh storage
// (its earlier content is not freed). For an existing one: a new type starts
// every element afresh (value 0, view Default, no name); a new count alone
// keeps the first min(old, new) elements; otherwise the storage is
// untouched. Fresh Date&Time elements hold 1990-01-01 00:00:00.000. A
// definition the library could never take (a count outside 1-Var_MaxCount, a bit on
// a type other than Bit, a bit run not from bit 0 in whole bytes, a field
// out of range) or a block that cannot be had is refused with the record
// unchanged.
enum : int {
  VAR_DEFINITION_REFUSED = -1,
  VAR_DEFINITION_SAME = 0,       // an existing record's definition, unchanged
  VAR_DEFINITION_CHANGED = 1,    // a new record, or one whose definition changed
};
int Var_ApplyDefinition(PlcVariable* var, const VarDefinition* definition, bool isNew);

// ---------------------------------------------------------------- the table

// The entries in use, 0-kVarTableSize whatever the count field says.
int VarTable_Count(const VariableTable* table);
// Frees every block and empties the table.
void VarTable_Clear(VariableTable* table);
// Frees the block of entry index and closes the gap; the last entry becomes
// zero. Nothing happens for an index outside the entries in use.
void VarTable_Remove(VariableTable* table, int index);
// Takes entry index out of the table into *out, block and all (the caller
// now owns it), and closes the gap. 1, or 0 for an index outside the entries
// in use.
int VarTable_TakeOut(VariableTable* table, int index, PlcVariable* out);
// Puts the variable (its block goes to the table) before entry index; an
// index outside 0..count appends. Returns where it went, or −1 when the
// table is full and the caller still owns the block.
int VarTable_Insert(VariableTable* table, int index, const PlcVariable* var);

// Opens a read (write = 0) or write request (write = 1) on the connection and
// adds every variable of the table. A variable the library refuses is logged
// (Vars_Log) as "<definition> : <error text>. Deleted", freed and taken
// out of the table. Returns the library's result for opening the request (0
// when it is open; nothing was added otherwise). Call it on the thread that
// uses the connection. A read request keeps pointers to the variables'
// blocks and fills them on every run: free or remove no variable until the
// next request is opened.
int VarTable_PrepareRequest(VariableTable* table, S7Connection* conn, int write);

// For a table larger than one request, which the planner (vars/varplan.h)
// reads and writes: drops the variables no request could carry
// (VarPlan_Refusal), each logged as VarTable_PrepareRequest logs it, and
// returns how many went. Any thread that owns the table.
int VarTable_DropRefused(VariableTable* table);

// ================================================================ value text and calendar
//
// The text of an element in its display mode, and the calendar arithmetic
// behind "Date" (days from 1990-01-01) and "TOD" (ms from midnight) values.
// Day numbers count from 1 January of year 0 of the proleptic Gregorian
// calendar; 1990-01-01 is day 726,833.

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
  VAR_VALUE_CODE_COUNT
};
inline constexpr int kVarValueInputMax = 255;

// Reads text as the value of an element in its effective view. Bin, Hex,
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

// ================================================================ value and element lines
//
// The lines of the read-variables window, one per element of every variable:
// " DB1.DBW2  = 0x0001 ", or with element names " DB1.DBW2  : speed  = 12 ".
// The window and the command line both print them. The variable list dialog
// shows the same lines for the elements of one variable, with the value
// (write list) or the display mode's name (read list) after the "= ".

struct ValueLineWidths {
  int address;  // longest address text
  int name;     // longest element name
  int anyName;  // whether any element has a name
};
void VarTable_ValueLineWidths(const VariableTable* table, ValueLineWidths* widths);
// Widens the widths by the elements of one variable; from zeroed widths they
// are that variable's own, as the variable list's element lines use them.
void Var_AddLineWidths(const PlcVariable* var, ValueLineWidths* widths);
// Lines in the table (elements of all variables in use), and which element
// a line shows (0 when the line is outside the table).
int VarTable_LineCount(const VariableTable* table);
int VarTable_FindLine(const VariableTable* table, int line, int* varIndex, int* elementIndex);
// One line: " address", blanks up to the widest address and one more, then
// ": name" padded the same way when any element has a name, then "= " and
// the value text with a trailing blank (VarLineEnd::Value) or the name of
// the element's display mode and a blank (VarLineEnd::ViewName: "Default"
// unless the element has a mode of its own that its type offers). text
// needs kValueLineMax bytes; returns the length.
inline constexpr int kValueLineMax = kVarAddressTextMax + kVarNameSize + kVarValueTextMax + 16;
enum class VarLineEnd { Value, ViewName };
int Var_FormatElementLine(VarLineEnd end, const ValueLineWidths* widths, int elementIndex, const PlcVariable* var,
                          char* text);
// The read window's line: Var_FormatElementLine with the value.
int Var_FormatValueLine(const ValueLineWidths* widths, int elementIndex, const PlcVariable* var,
                        char* text);
// The variable list's line of a variable: " MW10:1 (Word)". text needs
// kVarAddressTextMax bytes; returns the length.
int Var_FormatVariableLine(const PlcVariable* var, char* text);

// ---------------------------------------------------------------- INI-style text
// The variable table file is an INI-style text edited in memory: lines end
// with CR LF (a lone LF does not end a line, and a last line without CR LF is
// not seen), each line is trimmed and cut to 2047 characters, "[name]" opens a
// section, ";" starts a comment, "key = value" is a key line. Names are
// trimmed, cut to 127 characters and compared with UpperCaseChar's folding.
// A section may occur more than once; the last matching key line wins.

inline constexpr std::ptrdiff_t kIniNone = -1;
inline constexpr std::size_t kIniNameSize = 128;   // 127 characters and the zero
inline constexpr std::size_t kIniValueSize = 2048; // 2047 characters and the zero

// What Ini_Find learnt about one section and key. Positions are offsets into
// the text; line ends are just past the line's LF.
struct IniPosition {
  std::ptrdiff_t textEnd;          // the terminating zero
  std::ptrdiff_t sectionHeader;    // the header line (of the last occurrence), kIniNone if missing
  std::ptrdiff_t sectionBody;      // the line after that header
  std::ptrdiff_t sectionEnd;       // the next header line after the section, or textEnd
  std::ptrdiff_t keyLineStart;     // the winning key line, kIniNone if missing
  std::ptrdiff_t keyLineEnd;
  std::ptrdiff_t commentStart;     // the comment block directly above that key line, or kIniNone
  std::ptrdiff_t commentEnd;
  std::ptrdiff_t insertionPoint;   // where Ini_SetString changed the text
  std::ptrdiff_t removedLength;    // and how much it took out there
  int sectionNameLength;
  int keyNameLength;
  int valueLength;
  std::ptrdiff_t textLength;
  char sectionName[kIniNameSize];  // the trimmed names asked for
  char keyName[kIniNameSize];
  char value[kIniValueSize];       // the value found, or the line Ini_SetString wrote
};

// A null text reads as empty.
void Ini_Find(const char* text, const char* section, const char* key, IniPosition* out);

// The key's value (an empty value included) or else the default (null: empty
// text), cut to size − 1 characters; returns the number of characters copied.
std::ptrdiff_t Ini_GetString(const char* text, const char* section, const char* key, char* buffer,
                             std::size_t size, const char* defaultText);
// A missing or empty value, or one that is not wholly a signed decimal
// integer, gives the default; the default itself is returned as it is; any
// other number is clamped to minimum..maximum.
int Ini_GetInt(const char* text, const char* section, const char* key, int minimum, int maximum,
               int defaultValue);
// "a.b.c.d" with a in the lowest byte (network order in memory); anything
// else gives the default.
std::uint32_t Ini_GetIPv4(const char* text, const char* section, const char* key,
                          std::uint32_t defaultValue);

// Sets the key to the trimmed value in place (keeping its comment), adds it at
// the end of its section (a missing section is appended to the text), or,
// with an empty value, removes the key line with the comment block directly
// above it. An empty key removes the section's last occurrence with all it
// holds; an empty section name changes nothing. A value is taken only up to
// its first CR LF, and names holding CR LF are refused, so that no call can
// add lines of its own making. *text is a runtime heap block (or null for an
// empty text) that may be moved; returns the new text length, the old one when the
// block could not grow.
std::ptrdiff_t Ini_SetString(char** text, const char* section, const char* key, const char* value);
std::ptrdiff_t Ini_SetInt(char** text, const char* section, const char* key, int value);

// Reading many keys from a large text: Ini_IndexBuild walks the text once and
// the Ini_Index getters then answer as the plain getters would, without
// scanning the text again; keys asked for in the order of the text are found
// without hashing. The text must stay unchanged while the index is used, and
// an index serves one thread at a time (it remembers the last answer). Without
// memory for the index the getters fall back to scanning. The tables are the
// index's (runtime heap) until Ini_IndexFree; the text stays the caller's.
struct IniIndexSlot;
struct IniIndexSection;
struct IniIndexEntry;
struct IniIndex {
  const char* text;
  std::size_t length;
  std::size_t indexed;            // complete lines before this offset are in the tables
  bool scanning;                  // no memory for the tables: the getters scan the text
  IniIndexSlot* sectionSlots;     // section names to section numbers
  std::uint32_t sectionMask;      // slot count − 1
  IniIndexSection* sections;      // by number, each with a table of its keys
  std::uint32_t sectionCount;
  std::uint32_t sectionCapacity;
  IniIndexEntry* entries;         // the keys in the order of the text
  std::uint32_t entryCount;
  std::uint32_t entryCapacity;
  std::int32_t currentSection;    // of the last header line, −1 before the first
  std::int32_t lastSection;       // the last section asked for, −1: none
  std::uint32_t next;             // the entry after the last key found
  char lastSectionName[kIniNameSize];
};
void Ini_IndexBuild(IniIndex* index, const char* text);
void Ini_IndexFree(IniIndex* index);
std::ptrdiff_t Ini_IndexGetString(IniIndex* index, const char* section, const char* key, char* buffer,
                                  std::size_t size, const char* defaultText);
int Ini_IndexGetInt(IniIndex* index, const char* section, const char* key, int minimum, int maximum,
                    int defaultValue);
std::uint32_t Ini_IndexGetIPv4(IniIndex* index, const char* section, const char* key,
                               std::uint32_t defaultValue);

// Writing a whole text from empty: Ini_BuildString gives byte for byte the
// text that Ini_SetString calls in the same order would give, in linear time
// when keys come section by section (anything else is handed to
// Ini_SetString). Ini_BuildEnd hands the heap text over (Rt_Free it; never
// null unless memory ran out) and releases the rest.
struct IniBuilder {
  char* text;
  std::size_t length;
  std::size_t capacity;
  IniIndex index;
  bool failed;                  // a growth failed; that call changed nothing
};
void Ini_BuildBegin(IniBuilder* builder);
std::ptrdiff_t Ini_BuildString(IniBuilder* builder, const char* section, const char* key,
                               const char* value);
std::ptrdiff_t Ini_BuildInt(IniBuilder* builder, const char* section, const char* key, int value);
char* Ini_BuildEnd(IniBuilder* builder, std::ptrdiff_t* length);

// ---------------------------------------------------------------- files
// A small file layer over the platform seam. Error codes are Windows codes on
// both builds; the first one met stays in the record, and every error is also
// raised in the calling thread's runtime error flags as kRtErrFile | code.

// File_Open modes: bits 0-1 the access, bit 2 the sharing.
inline constexpr unsigned kFileOpenRead = 0;      // read; must exist; shared read+write with kFileShared
inline constexpr unsigned kFileOpenModify = 1;    // read+write; created if missing; shared read
inline constexpr unsigned kFileOpenCreate = 2;    // read+write; truncated or created; shared read
inline constexpr unsigned kFileShared = 4;

inline constexpr std::uint32_t kFileErrNotOpen = 6;     // an operation on a file that failed to open
inline constexpr std::uint32_t kFileErrShortWrite = 29;
inline constexpr std::uint32_t kFileErrShortRead = 30;

struct FileHandle {
  std::intptr_t system;         // PlatFile; −1 when the open failed
  std::uint32_t error;          // the first error met, 0 if none
  std::uint64_t size;           // raised when a write goes past it
  std::uint64_t position;       // advanced by reads and writes
  char* path;                   // a copy
};

// Always a record (null only without memory), also when the open failed: the
// record then holds the error and the other calls answer with code 6. The
// record is the caller's until File_Close, which every record needs.
FileHandle* File_Open(const char* path, unsigned mode);
// Closes and releases the record; returns its first error, else the close error.
std::uint32_t File_Close(FileHandle* file);
// Bytes transferred; fewer than asked is an error (30 reading, 29 writing).
std::size_t File_Read(FileHandle* file, void* buffer, std::size_t count);
std::size_t File_Write(FileHandle* file, const void* buffer, std::size_t count);
// origin 0 start, 1 current, 2 end; the new position, or −1.
std::int64_t File_Seek(FileHandle* file, std::int64_t offset, int origin);
std::uint64_t File_Size(FileHandle* file);

inline constexpr unsigned kLoadEnsureLineEnd = 0x01; // a last line gets its CR LF
inline constexpr unsigned kLoadSpare = 0x10;         // 1024 spare bytes; an empty text still gives a buffer
inline constexpr std::size_t kLoadTextCap = 100000000;

// Reads the whole file, up to maximum bytes (at most kLoadTextCap), into a
// zero-terminated runtime heap text (Rt_Free it). A file that cannot be opened or read reads as
// empty: no buffer without kLoadSpare. The length goes to *length if asked.
char* File_LoadText(const char* path, unsigned flags, std::size_t maximum, std::size_t* length);

// ================================================================ the core's log lines
//
// A few things here write a line to the program's log: a variable the
// library refuses while a request is prepared, a refused key of a variable
// table file, a file that cannot be read or written. The application decides
// where such lines go by installing a sink (its main log); without one they
// are dropped. Lines may come from any thread, so the sink must take them
// from any thread; the text stays the caller's.
using VarsLogSink = void (*)(const char* text, std::size_t length);
void Vars_SetLogSink(VarsLogSink sink);
void Vars_Log(const char* text, std::size_t length);

// ================================================================ variable table files
//
// A *.vat file holds the PLC description and the variables with their element
// names and display modes (an INI-style text in code page 1250). Paths are
// code page 1250 texts too. What a load does to the open interface and
// connection is the application's (app/vatload.h).

// The description of the PLC that the program keeps and a file stores.
struct PlcSettings {
  std::int32_t kind;        // 0 TCP, 1 S7ONLINE, 2 CP_L2_1, 3 CP_L2_2
  std::uint32_t address;    // TCP: IPv4 in network byte order; else the station address 0-127
  std::int32_t timeoutMs;   // 100-30000
  std::int32_t rack;        // 0-31
  std::int32_t slot;        // 0-18
  char name[24];            // at most 23 characters
};

// The names of the interface kinds, as the user interface and the files use
// them ("TCP", "S7ONLINE", "CP_L2_1", "CP_L2_2"); null outside 0-3.
const char* InterfaceKindName(int kind);
// The PLC's address as the files and the user interface write it: dotted
// IPv4 for TCP, else the station number. Returns the length.
int Plc_AddressText(int kind, std::uint32_t address, char* out, std::size_t size);

// The file's text for a PLC and its table, built in linear time; a heap
// block the caller releases (Rt_Free), or null without memory.
char* Vat_BuildText(const PlcSettings* plc, const VariableTable* table, std::ptrdiff_t* length);
// Writes the file: 1 on success, else 0 with a "can't save" log line. A
// table without variables is not written (no reader could load the file).
int Vat_Write(const char* path, const PlcSettings* plc, const VariableTable* table);
// Loads a file's text for Vat_Read: a heap text (Rt_Free), empty for a file
// that does not exist; null, after a "can't load" log line, without memory.
char* Vat_LoadText(const char* path);
// Parses a loaded text into a zeroed PLC record and an empty table: 1 on
// success (the table then owns the variables' blocks), else 0 after the log
// line of the refused key, with what was parsed so far still in the table
// (VarTable_Clear releases it).
int Vat_Read(const char* text, PlcSettings* plc, VariableTable* table, const char* path);
// Logs "Invalid/Missing line in FILE at section S\r\nKEY = VALUE\r\n".
void Vat_ReportKey(const char* text, const char* section, const char* key, const char* path);
