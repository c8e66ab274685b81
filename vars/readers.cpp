// The readers of numbers typed by the user or found in files: integers with
// radix, prefix, digit groups and fixed decimals, and reals. Both honour the
// thread's decimal point and group separator and report how far they read,
// so that a caller can insist that a field holds the number and nothing else.
#include <charconv>
#include <cstdint>
#include <system_error>

#include "vars/format_internal.h"

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
  while (IsBlank(text[i])) ++i;
  bool negative = false, signGiven = false;
  if (!isUnsigned && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    signGiven = true;
    ++i;
  }
  if ((flags & kReadPrefix) && !signGiven && text[i] == '0') {
    char letter = static_cast<char>(UpperCaseChar(static_cast<unsigned char>(text[i + 1])));
    unsigned chosen = letter == 'X' ? 1 : letter == 'O' ? 2 : letter == 'B' ? 3 : 0;
    if (chosen) {
      radixCode = chosen;
      isUnsigned = true;
      i += 2;
    }
  }
  const int radix = kRadix[radixCode];
  Groups groups{kGroupSize[radixCode], (flags & kReadLenientGroups) != 0};

  std::uint64_t value = 0;
  int digits = 0, fractionDigits = 0, roundDigit = -1;
  bool afterPoint = false, beyondHalf = false, failed = false;
  for (;; ++i) {
    const char c = text[i];
    if ((flags & kReadGroups) && c == ns.separator) {
      if (!groups.Separator()) {
        failed = true;
        break;
      }
      continue;
    }
    if ((flags & kReadPoint) && c == ns.point) {
      if (afterPoint) {
        failed = true;
        break;
      }
      afterPoint = true;
      groups.Point();
      continue;
    }
    const int d = DigitValue(c, radix);
    if (d < 0) break;
    ++digits;
    groups.Digit();
    if (!afterPoint || fractionDigits < decimals) {
      if (value > (UINT64_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(radix)) {
        failed = true;
        break;
      }
      value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
      if (afterPoint) ++fractionDigits;
    } else if (roundDigit < 0) {
      roundDigit = d;
    } else if (d != 0) {
      beyondHalf = true;
    }
  }
  if (!failed && digits == 0) failed = true;

  if (!failed && (flags & kReadPoint)) {
    if (value == 0) fractionDigits = decimals;  // zero stays zero, however many places
    for (; fractionDigits < decimals && !failed; ++fractionDigits) {
      if (value > UINT64_MAX / static_cast<unsigned>(radix)) failed = true;
      else value *= static_cast<unsigned>(radix);
    }
    const int half = radix / 2;
    bool up = roundDigit > half || (roundDigit == half && (beyondHalf || (value & 1)));
    if (!failed && up) {
      if (value == UINT64_MAX) failed = true;
      else ++value;
    }
  }
  std::int64_t result = static_cast<std::int64_t>(value);
  if (!failed && negative) {
    if (value >= (1ull << 63)) failed = true;
    else result = -static_cast<std::int64_t>(value);
  }
  if (!failed && (flags & kReadRangeMask)) {
    std::uint32_t high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(result) >> 32);
    if (!(high == 0 || (!isUnsigned && high == 0xFFFFFFFFu))) failed = true;
  }
  Report(consumed, i, !failed);
  return failed ? 0 : result;
}

double ParseReal(const char* text, unsigned flags, int* consumed) {
  if (!text) {
    Report(consumed, 0, false);
    return 0;
  }
  const NumberSettings ns = CurrentNumberSettings();
  int i = 0;
  while (IsBlank(text[i])) ++i;
  bool negative = false;
  if (!(flags & kReadUnsigned) && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // The significant digits go to the converter as "digits e exponent". More
  // than 800 of them cannot change a double's rounding except through a
  // non-zero tail, which one extra digit stands for.
  constexpr int kKeep = 800;
  char mantissa[kKeep + 32];
  int kept = 0, digits = 0;
  long long scale = 0;  // power of ten of the last kept digit
  bool tail = false, afterPoint = false, failed = false;
  int written = 0;
  Groups groups{3, (flags & kReadLenientGroups) != 0};
  for (;; ++i) {
    const char c = text[i];
    if ((flags & kReadGroups) && c == ns.separator) {
      if (!groups.Separator()) {
        failed = true;
        break;
      }
      continue;
    }
    if (c == ns.point) {
      if (afterPoint) {
        failed = true;
        break;
      }
      afterPoint = true;
      groups.Point();
      continue;
    }
    if (c >= '0' && c <= '9') {
      ++digits;
      groups.Digit();
      if (kept == 0 && c == '0') {
        if (afterPoint) --scale;
      } else if (kept < kKeep) {
        mantissa[kept++] = c;
        if (afterPoint) --scale;
      } else {
        if (!afterPoint) ++scale;
        if (c != '0') tail = true;
      }
      continue;
    }
    if (c == 'E' || c == 'e') {
      ++i;
      if (text[i] != '+' && text[i] != '-') {
        failed = true;
        break;
      }
      const bool minus = text[i] == '-';
      ++i;
      int expDigits = 0;
      for (; text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits)
        if (written <= 4999) written = written * 10 + (text[i] - '0');
      if (expDigits == 0 || written > 4999) failed = true;
      if (minus) written = -written;
      break;  // the exponent ends the reading
    }
    break;
  }
  if (!failed && digits == 0) failed = true;
  Report(consumed, i, !failed);
  if (failed) return 0;
  if (kept == 0) return negative ? -0.0 : 0.0;
  if (tail) {
    mantissa[kept++] = '1';
    --scale;
  }
  char* end = mantissa + kept;
  *end++ = 'e';
  end = std::to_chars(end, mantissa + sizeof mantissa, scale + written).ptr;
  double value = 0;
  auto result = std::from_chars(mantissa, end, value, std::chars_format::scientific);
  // Beyond the range of a double the value is 0 (still a successful reading).
  if (result.ec != std::errc()) value = 0;
  return negative ? -value : value;
}
