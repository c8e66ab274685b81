// What the pieces of the formatting engine share: the output sink that keeps
// every write inside the caller's buffer, the thread's number settings, the
// number composer and the exact decimal digits of a real. Also an entry that
// takes its arguments from an array, for the tests and the fuzzer, which need
// to build argument lists at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vars/format.h"

// ---------------------------------------------------------------- output sink

// Writes stop at limit (the buffer size less one for the terminating zero);
// the position never passes it, so a section that is rolled back to a
// position inside the buffer continues exactly where the unbounded text
// would.
struct FormatSink {
  char* out;
  std::size_t pos;
  std::size_t limit;
};

inline void SinkPut(FormatSink& s, char c) {
  if (s.pos < s.limit) s.out[s.pos++] = c;
}

inline void SinkPutN(FormatSink& s, const char* text, std::size_t n) {
  std::size_t room = s.limit - s.pos;
  if (n > room) n = room;
  std::memcpy(s.out + s.pos, text, n);
  s.pos += n;
}

inline void SinkRepeat(FormatSink& s, char c, std::size_t n) {
  std::size_t room = s.limit - s.pos;
  if (n > room) n = room;
  std::memset(s.out + s.pos, c, n);
  s.pos += n;
}

// ---------------------------------------------------------------- numbers

struct NumberSettings {
  char point;
  char separator;
  int dateOrder;
};

// The calling thread's settings, from its ThreadContext.
NumberSettings CurrentNumberSettings();

// Longest texts the composers write (before width padding): an integer of 64
// binary digits with its separators, or 65 decimal digits with a point; a
// fixed real as large as the largest double, grouped, with 18 decimals.
inline constexpr int kIntegerTextMax = 160;
inline constexpr int kRealTextMax = 512;

// Compose one number into buf without width padding; return the length.
int ComposeInteger(char* buf, std::uint64_t value, unsigned flags, int precision,
                   const NumberSettings& ns);
int ComposeReal(char* buf, double value, unsigned flags, int precision, const NumberSettings& ns);

// Right-aligns text in width and sends it to the sink.
inline void SinkAligned(FormatSink& s, const char* text, int length, int width) {
  if (width > length) SinkRepeat(s, ' ', static_cast<std::size_t>(width - length));
  SinkPutN(s, text, static_cast<std::size_t>(length));
}

// Decimal digits of u64 values, two at a time: written backwards ending just
// before end (returns where they start), or forwards into out (returns the
// count).
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline char* DecimalDigitsBackward(std::uint64_t value, char* end) {
  while (value >= 100) {
    unsigned r = static_cast<unsigned>(value % 100);
    value /= 100;
    end -= 2;
    end[0] = kDigitPairs[2 * r];
    end[1] = kDigitPairs[2 * r + 1];
  }
  if (value >= 10) {
    end -= 2;
    end[0] = kDigitPairs[2 * value];
    end[1] = kDigitPairs[2 * value + 1];
  } else {
    *--end = static_cast<char>('0' + value);
  }
  return end;
}

int DecimalDigits(std::uint64_t value, char* out);

// ---------------------------------------------------------------- exact digits of a real

// The largest double has 309 integer digits; with 19 more below the point
// that is 328 digits for the fixed form, and the exponent form needs 20.
inline constexpr int kRealDigitsMax = 340;

struct RealDigitString {
  char digits[kRealDigitsMax + 2];
  int count;     // no leading zeros, "0" for a zero result
  int exponent;  // decimal position of the first digit: weight 10^exponent
};

// |value| (finite, above zero) rounded half up to precision decimals.
void RealFixedDigits(double value, int precision, RealDigitString* out);
// |value| (finite, above zero) rounded half up to precision + 1 significant digits.
void RealExponentDigits(double value, int precision, RealDigitString* out);

// ---------------------------------------------------------------- arguments from an array

enum class FormatArgKind : std::uint8_t { Int, Int64, Real, Text, Pointer, Calendar };

struct FormatArg {
  FormatArgKind kind;
  union {
    int i;
    long long ll;
    double d;
    const char* text;
    const void* pointer;
    const CalendarRecord* calendar;
  };
};

// The engine takes the arguments in order; one of another kind than it asks
// for, or one more than there are, sets mismatch and reads as zero.
struct FormatArgList {
  const FormatArg* args;
  int count;
  int next;
  bool mismatch;
};

// FormatTextN with its arguments from the list.
int FormatTextArgs(char* output, std::size_t size, const char* format, FormatArgList* list);
