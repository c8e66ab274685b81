// The readers of numbers typed by the user or found in files: integers with
// radix, prefix, digit groups and fixed decimals, and reals (double, or
// rounded once straight to single precision for a REAL). All honour the
// thread's decimal point and group separator and report how far they read,
// so that a caller can insist that a field holds the number and nothing else.
#include <charconv>
#include <cstdint>
#include <system_error>

#include "vars/format_internal.h"
#include "vars/readers.h"
#include "vars/texthelp.h"

namespace {

constexpr int kRadix[4] = {10, 16, 8, 2};
constexpr int kGroupSize[4] = {3, 4, 3, 8};

int DigitValue(char c, int radix) {
  int v;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  else return -1;
  return v < radix ? v : -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The group rule: a separator needs digits before it since the start, the
// last separator or the point; the first group of the whole part may be short,
// later ones must be full; lenient groups take any positive count. The digits
// after the last separator are not checked.
struct Groups {
  int size;
  bool lenient;
  int digits = 0;         // since the start, the last separator or the point
  bool inFraction = false;
  bool separatorSeen = false;

  void Digit() { ++digits; }
  bool Separator() {
    bool ok = digits > 0 &&
              (lenient || (separatorSeen || inFraction ? digits == size : digits <= size));
    separatorSeen = true;
    digits = 0;
    return ok;
  }
  void Point() {
    inFraction = true;
    separatorSeen = false;
    digits = 0;
  }
};

void Report(int* consumed, int count, bool ok) {
  if (consumed) *consumed = ok ? count : -count;
}

// Blanks and tabs, then one sign where one is allowed. Returns whether the
// sign was a minus; *signGiven tells whether there was a sign at all.
bool ReadSign(const char* text, int& i, bool allowSign, bool* signGiven) {
  while (IsBlank(text[i])) ++i;
  if (!allowSign || (text[i] != '+' && text[i] != '-')) return false;
  *signGiven = true;
  return text[i++] == '-';
}

// "0x", "0o" or "0b" in either case select the radix and make the reading
// unsigned; a "0" before anything else is an ordinary digit.
void ReadPrefix(const char* text, int& i, unsigned* radixCode, bool* isUnsigned) {
  if (text[i] != '0') return;
  const char letter = static_cast<char>(UpperCaseChar(static_cast<unsigned char>(text[i + 1])));
  const unsigned chosen = letter == 'X' ? 1 : letter == 'O' ? 2 : letter == 'B' ? 3 : 0;
  if (!chosen) return;
  *radixCode = chosen;
  *isUnsigned = true;
  i += 2;
}

// What the digits of an integer gave: the value with the decimals asked for,
// and the first decimal beyond them, which rounds.
struct IntegerDigits {
  std::uint64_t value = 0;
  int digits = 0;
  int fractionDigits = 0;
  int roundDigit = -1;
  bool beyondHalf = false;  // a non-zero decimal after the rounding one
  bool failed = false;
};

// Reads digits, separators and the point from i until a character fits none
// of them; returns where it stopped.
int ReadIntegerDigits(const char* text, int i, unsigned flags, unsigned radixCode, int decimals,
                      const NumberSettings& ns, IntegerDigits* r) {
  const int radix = kRadix[radixCode];
  Groups groups{kGroupSize[radixCode], (flags & kReadLenientGroups) != 0};
  bool afterPoint = false;
  for (;; ++i) {
    const char c = text[i];
    if ((flags & kReadGroups) && c == ns.separator) {
      if (!groups.Separator()) break;
      continue;
    }
    if ((flags & kReadPoint) && c == ns.point) {
      if (afterPoint) break;
      afterPoint = true;
      groups.Point();
      continue;
    }
    const int d = DigitValue(c, radix);
    if (d < 0) return i;
    ++r->digits;
    groups.Digit();
    if (!afterPoint || r->fractionDigits < decimals) {
      if (r->value > (UINT64_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(radix)) break;
      r->value = r->value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
      if (afterPoint) ++r->fractionDigits;
    } else if (r->roundDigit < 0) {
      r->roundDigit = d;
    } else if (d != 0) {
      r->beyondHalf = true;
    }
  }
  r->failed = true;  // every break above is a failure
  return i;
}

// Fixed point: missing decimals become zeros, then the first dropped decimal
// rounds half to even. False when the value no longer fits 64 bits.
bool ScaleFixedPoint(IntegerDigits* r, int radix, int decimals) {
  const auto base = static_cast<unsigned>(radix);
  if (r->value == 0) r->fractionDigits = decimals;  // zero stays zero, however many places
  for (; r->fractionDigits < decimals; ++r->fractionDigits) {
    if (r->value > UINT64_MAX / base) return false;
    r->value *= base;
  }
  const int half = radix / 2;
  const bool up = r->roundDigit > half || (r->roundDigit == half && (r->beyondHalf || (r->value & 1)));
  if (!up) return true;
  if (r->value == UINT64_MAX) return false;
  ++r->value;
  return true;
}

// The significant digits of a real as the converter takes them, "digits e
// exponent". More than kKeepDigits of them cannot change a double's rounding
// except through a non-zero tail, which one extra digit stands for.
constexpr int kKeepDigits = 800;
struct RealDigits {
  char mantissa[kKeepDigits + 32];
  int kept = 0;
  int digits = 0;
  long long scale = 0;  // power of ten of the last kept digit
  bool tail = false;
  int written = 0;      // the exponent after "E"
};

// At the exponent letter: a sign and at least one digit must follow, with a
// magnitude of at most 4999. i ends after the digits (or where the sign was
// missing).
bool ReadExponent(const char* text, int& i, int* written) {
  ++i;
  if (text[i] != '+' && text[i] != '-') return false;
  const bool minus = text[i] == '-';
  ++i;
  int value = 0, count = 0;
  for (; text[i] >= '0' && text[i] <= '9'; ++i, ++count)
    if (value <= 4999) value = value * 10 + (text[i] - '0');
  *written = minus ? -value : value;
  return count > 0 && value <= 4999;
}

// Digits, separators and the point from i; an exponent ends the reading.
// False when the reading failed; i ends where it stopped.
bool ReadRealDigits(const char* text, int& i, unsigned flags, const NumberSettings& ns, RealDigits* r) {
  Groups groups{3, (flags & kReadLenientGroups) != 0};
  bool afterPoint = false;
  for (;; ++i) {
    const char c = text[i];
    if ((flags & kReadGroups) && c == ns.separator) {
      if (!groups.Separator()) return false;
      continue;
    }
    if (c == ns.point) {
      if (afterPoint) return false;
      afterPoint = true;
      groups.Point();
      continue;
    }
    if (c >= '0' && c <= '9') {
      ++r->digits;
      groups.Digit();
      if (r->kept == 0 && c == '0') {
        if (afterPoint) --r->scale;
      } else if (r->kept < kKeepDigits) {
        r->mantissa[r->kept++] = c;
        if (afterPoint) --r->scale;
      } else {
        if (!afterPoint) ++r->scale;
        if (c != '0') r->tail = true;
      }
      continue;
    }
    if (c == 'E' || c == 'e') return ReadExponent(text, i, &r->written) && r->digits > 0;
    return r->digits > 0;
  }
}

// Sign and digits of a real, reported as the readers report. False when the
// reading failed.
bool ScanReal(const char* text, unsigned flags, int* consumed, RealDigits* r, bool* negative) {
  *negative = false;
  if (!text) {
    Report(consumed, 0, false);
    return false;
  }
  const NumberSettings ns = CurrentNumberSettings();
  int i = 0;
  bool signGiven = false;
  *negative = ReadSign(text, i, !(flags & kReadUnsigned), &signGiven);
  const bool ok = ReadRealDigits(text, i, flags, ns, r);
  Report(consumed, i, ok);
  return ok;
}

// The kept digits (at least one) rounded once to T. Beyond T's range the
// converter reports result_out_of_range and value keeps 0.
template <class T>
std::errc ConvertReal(RealDigits* r, T* value) {
  if (r->tail) {
    r->mantissa[r->kept++] = '1';
    --r->scale;
    r->tail = false;
  }
  char* end = r->mantissa + r->kept;
  *end++ = 'e';
  end = std::to_chars(end, r->mantissa + sizeof r->mantissa, r->scale + r->written).ptr;
  *value = 0;
  return std::from_chars(r->mantissa, end, *value, std::chars_format::scientific).ec;
}

}  // namespace

std::int64_t ParseInteger(const char* text, unsigned flags, int decimals, int* consumed) {
  if (!text) {
    Report(consumed, 0, false);
    return 0;
  }
  const NumberSettings ns = CurrentNumberSettings();
  unsigned radixCode = flags & kReadRadixMask;
  bool isUnsigned = (flags & kReadUnsigned) || radixCode != 0;
  if (decimals < 0) decimals = 0;

  int i = 0;
  bool signGiven = false;
  const bool negative = ReadSign(text, i, !isUnsigned, &signGiven);
  if ((flags & kReadPrefix) && !signGiven) ReadPrefix(text, i, &radixCode, &isUnsigned);
  IntegerDigits r;
  i = ReadIntegerDigits(text, i, flags, radixCode, decimals, ns, &r);
  bool failed = r.failed || r.digits == 0;
  if (!failed && (flags & kReadPoint)) failed = !ScaleFixedPoint(&r, kRadix[radixCode], decimals);

  std::int64_t result = static_cast<std::int64_t>(r.value);
  if (!failed && negative) {
    if (r.value >= (1ull << 63)) failed = true;
    else result = -static_cast<std::int64_t>(r.value);
  }
  if (!failed && (flags & kReadRangeMask)) {
    std::uint32_t high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(result) >> 32);
    if (!(high == 0 || (!isUnsigned && high == 0xFFFFFFFFu))) failed = true;
  }
  Report(consumed, i, !failed);
  return failed ? 0 : result;
}

double ParseReal(const char* text, unsigned flags, int* consumed) {
  RealDigits r;
  bool negative;
  if (!ScanReal(text, flags, consumed, &r, &negative)) return 0;
  double value = 0;
  // Beyond the range of a double the value is 0 (still a successful reading).
  if (r.kept > 0 && ConvertReal(&r, &value) != std::errc()) value = 0;
  return negative ? -value : value;
}

namespace {

// The digits rounded once, straight to T; out of T's range the value is 0
// with *overflow set when it was too large.
template <typename T>
T ParseRealAs(const char* text, unsigned flags, int* consumed, bool* overflow) {
  if (overflow) *overflow = false;
  RealDigits r;
  bool negative;
  if (!ScanReal(text, flags, consumed, &r, &negative)) return 0;
  T value = 0;
  if (r.kept > 0 && ConvertReal(&r, &value) != std::errc()) {
    // Out of range either way: too large when the first digit stands above
    // the units (a single ends near 3.4e38 and starts near 1.4e-45).
    value = 0;
    if (overflow && r.scale + r.written + r.kept - 1 > 0) *overflow = true;
  }
  return negative ? -value : value;
}

}  // namespace

float ParseRealSingle(const char* text, unsigned flags, int* consumed, bool* overflow) {
  return ParseRealAs<float>(text, flags, consumed, overflow);
}

double ParseRealDouble(const char* text, unsigned flags, int* consumed, bool* overflow) {
  return ParseRealAs<double>(text, flags, consumed, overflow);
}
