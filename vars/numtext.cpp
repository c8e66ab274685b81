// Writing one number: the digits of an integer in its radix or of a real, and
// the common writer that adds sign, grouping, decimal point, trimmed fraction
// and exponent. FormatInteger and FormatReal are the public faces; the
// directive engine calls the composers directly.
#include <cmath>
#include <cstring>

#include "runtime/threadctx.h"
#include "vars/format.h"
#include "vars/format_internal.h"

namespace {

constexpr int kGroupSize[4] = {3, 4, 3, 8};
constexpr int kMaxIntegerDigits = 64;

// The common writer. digits[0..count) are the significant digits, the first
// of weight 10^exponent (in the radix); positions outside them are zeros.
int ComposeNumber(char* buf, const char* digits, int count, int exponent, bool negative,
                  bool zero, unsigned flags, int precision, int group, const NumberSettings& ns) {
  char* p = buf;
  if (negative) *p++ = '-';
  else if ((flags & kFmtPlus) && !zero) *p++ = '+';
  else if (flags & kFmtBlank) *p++ = ' ';

  const bool grouping = (flags & kFmtGroup) != 0;
  const bool exponentForm = (flags & kFmtExponent) != 0;
  auto digitAt = [&](int i) { return i >= 0 && i < count ? digits[i] : '0'; };

  int fractionBase;  // index of the first fraction digit, less one
  if (exponentForm) {
    *p++ = digitAt(0);
    fractionBase = 0;
  } else {
    if (exponent < 0) {
      *p++ = '0';
    } else if (!grouping && exponent < count) {
      std::memcpy(p, digits, static_cast<std::size_t>(exponent + 1));
      p += exponent + 1;
    } else {
      // Groups are counted from the point, so the first one may be short.
      const int total = exponent + 1;
      int run = grouping ? (total - 1) % group + 1 : total;
      for (int i = 0; i < total; run = group) {
        if (i) *p++ = ns.separator;
        for (int end = i + run; i < end; ++i) *p++ = digitAt(i);
      }
    }
    fractionBase = exponent;
  }

  if (precision > 0) {
    *p++ = ns.point;
    char* fraction = p;
    for (int j = 1; j <= precision; ++j) {
      *p++ = digitAt(fractionBase + j);
      if (grouping && j % group == 0 && j < precision) *p++ = ns.separator;
    }
    if (flags & kFmtTrimZeros) {
      while (p > fraction && (p[-1] == '0' || (grouping && p[-1] == ns.separator))) --p;
      if (p == fraction) {
        if (flags & kFmtKeepOneDecimal) *p++ = '0';
        else --p;
      }
    }
  }

  if (exponentForm) {
    *p++ = (flags & kFmtUpper) ? 'E' : 'e';
    int e = exponent;
    *p++ = e < 0 ? '-' : '+';
    if (e < 0) e = -e;
    if (e >= 100) {
      *p++ = static_cast<char>('0' + e / 100);
      e %= 100;
    }
    *p++ = kDigitPairs[2 * e];
    *p++ = kDigitPairs[2 * e + 1];
  }
  return static_cast<int>(p - buf);
}

}  // namespace

NumberSettings CurrentNumberSettings() {
  std::uint32_t word = CurrentThreadContext()->localeWord;
  return {LocaleDecimalPoint(word), LocaleGroupSeparator(word), LocaleDateOrder(word)};
}

int DecimalDigits(std::uint64_t value, char* out) {
  char tmp[20];
  char* start = DecimalDigitsBackward(value, tmp + 20);
  int n = static_cast<int>(tmp + 20 - start);
  std::memcpy(out, start, static_cast<std::size_t>(n));
  return n;
}

int ComposeInteger(char* buf, std::uint64_t value, unsigned flags, int precision,
                   const NumberSettings& ns) {
  const unsigned radix = flags & kFmtRadixMask;
  bool negative = false;
  if (radix == 0 && !(flags & kFmtUnsigned) && static_cast<std::int64_t>(value) < 0) {
    negative = true;
    value = 0 - value;  // also right for the most negative value
  }

  // Room in front for the zeros of the minimum digit count or fixed point.
  char space[2 * kMaxIntegerDigits + 2];
  char* end = space + sizeof space;
  char* d = end;
  if (radix == 0) {
    d = DecimalDigitsBackward(value, end);
  } else {
    static constexpr int kBits[4] = {0, 4, 3, 1};
    const char* letters = (flags & kFmtUpper) ? "0123456789ABCDEF" : "0123456789abcdef";
    const int bits = kBits[radix];
    const std::uint64_t mask = (1u << bits) - 1;
    do {
      *--d = letters[value & mask];
      value >>= bits;
    } while (value);
  }

  if (precision < 0) precision = 0;
  if (precision > kMaxIntegerDigits) precision = kMaxIntegerDigits;
  int count = static_cast<int>(end - d);
  bool zero = count == 1 && d[0] == '0';
  if (flags & kFmtFixedPoint) {
    int exponent = count - 1 - precision;
    return ComposeNumber(buf, d, count, exponent, negative, zero, flags & ~kFmtExponent,
                         precision, kGroupSize[radix], ns);
  }
  if (flags & kFmtZeroPad) {
    while (count < precision) {
      *--d = '0';
      ++count;
    }
  }
  if (!(flags & (kFmtGroup | kFmtPlus | kFmtBlank)) && !negative) {
    std::memcpy(buf, d, static_cast<std::size_t>(count));
    return count;
  }
  return ComposeNumber(buf, d, count, count - 1, negative, zero, flags & ~kFmtExponent, 0,
                       kGroupSize[radix], ns);
}

int ComposeReal(char* buf, double value, unsigned flags, int precision, const NumberSettings& ns) {
  if (std::isnan(value)) {
    std::memcpy(buf, "???", 3);
    return 3;
  }
  const bool negative = std::signbit(value);
  if (std::isinf(value)) {
    std::memcpy(buf, negative ? "-oo" : "+oo", 3);
    return 3;
  }
  if (precision < 0) precision = 0;
  if (precision > 18) precision = 18;
  const double magnitude = std::fabs(value);
  RealDigitString rd;
  if (magnitude == 0) {
    rd.digits[0] = '0';
    rd.count = 1;
    rd.exponent = 0;
  } else if (flags & kFmtExponent) {
    RealExponentDigits(magnitude, precision, &rd);
  } else {
    RealFixedDigits(magnitude, precision, &rd);
  }
  return ComposeNumber(buf, rd.digits, rd.count, rd.exponent, negative, magnitude == 0, flags,
                       precision, 3, ns);
}

int FormatInteger(char* output, std::uint32_t low, std::uint32_t high, unsigned flags,
                  int precision, int width) {
  if (!output) return 0;
  char text[kIntegerTextMax];
  int n = ComposeInteger(text, (static_cast<std::uint64_t>(high) << 32) | low, flags, precision,
                         CurrentNumberSettings());
  FormatSink sink{output, 0, static_cast<std::size_t>(-1) - 1};
  SinkAligned(sink, text, n, width);
  output[sink.pos] = 0;
  return static_cast<int>(sink.pos);
}

int FormatReal(char* output, double value, unsigned flags, int precision, int width) {
  if (!output) return 0;
  char text[kRealTextMax];
  int n = ComposeReal(text, value, flags, precision, CurrentNumberSettings());
  FormatSink sink{output, 0, static_cast<std::size_t>(-1) - 1};
  SinkAligned(sink, text, n, width);
  output[sink.pos] = 0;
  return static_cast<int>(sink.pos);
}

int FillText(char* output, int character, int count) {
  if (!output) return 0;
  if (count < 0) count = 0;
  std::memset(output, character, static_cast<std::size_t>(count));
  output[count] = 0;
  return count;
}

double PowerOf(double base, int exponent) {
  bool reciprocal = exponent < 0;
  unsigned e = reciprocal ? 0u - static_cast<unsigned>(exponent) : static_cast<unsigned>(exponent);
  double result = 1.0;
  for (double b = base; e; e >>= 1, b *= b) {
    if (e & 1) result *= b;
  }
  return reciprocal ? 1.0 / result : result;
}
