// Variables, values and files: the program's own text formatting engine and
// its counterpart, the number and text readers. The variable model, value
// text, INI layer and variable table file join this header as they land; it
// is organised by subject so that each keeps its own section.
//
// Texts are byte strings in code page 1250. Formatting and reading follow the
// calling thread's formatting settings (the locale word of its ThreadContext),
// so every thread that formats or reads must have been started by the runtime.
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
int FormatTimeStamp(int takeLocalTime, int withDate, int precision, CalendarRecord* record,
                    int leadingTabs, char* output);

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
// add lines of its own making. *text is a heap block (or null for an empty
// text) that may be moved; returns the new text length, the old one when the
// block could not grow.
std::ptrdiff_t Ini_SetString(char** text, const char* section, const char* key, const char* value);
std::ptrdiff_t Ini_SetInt(char** text, const char* section, const char* key, int value);

// Reading many keys from a large text: Ini_IndexBuild walks the text once and
// the Ini_Index getters then answer as the plain getters would, without
// scanning the text again; keys asked for in the order of the text are found
// without hashing. The text must stay unchanged while the index is used, and
// an index serves one thread at a time (it remembers the last answer). Without
// memory for the index the getters fall back to scanning.
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
// Ini_SetString). Ini_BuildEnd hands the heap text over (never null unless
// memory ran out) and releases the rest.
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
// record then holds the error and the other calls answer with code 6.
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
// zero-terminated heap text. A file that cannot be opened or read reads as
// empty: no buffer without kLoadSpare. The length goes to *length if asked.
char* File_LoadText(const char* path, unsigned flags, std::size_t maximum, std::size_t* length);
