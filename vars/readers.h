// The counterpart of the formatting engine: reading integers and reals from
// code page 1250 texts in the calling thread's formatting settings (a thread
// started by the runtime). No locks; any runtime thread may call.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------- number reading

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
// The same for an LREAL: straight to the nearest double, *overflow set
// beyond its range.
double ParseRealDouble(const char* text, unsigned flags, int* consumed, bool* overflow);
