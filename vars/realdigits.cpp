// The exact decimal digits of a double, rounded half up at the last digit the
// text shows. Every double is m · 2^q exactly, so floor(|x| · 10^u) is integer
// arithmetic: one 128-bit multiply and shift for the values a program meets,
// a small big-number path for the far ends of the range. Asking for one digit
// more than is shown makes the rounding exact: that digit is 5 or more exactly
// when the dropped part is at least half a unit.
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "vars/format_internal.h"

namespace {

using u128 = unsigned __int128;

constexpr std::uint64_t kPow10[20] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
    100000000ull, 1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull,
    10000000000000ull, 100000000000000ull, 1000000000000000ull, 10000000000000000ull,
    100000000000000000ull, 1000000000000000000ull, 10000000000000000000ull};

// ---------------------------------------------------------------- big numbers

// m · 10^345 (the smallest denormal in exponent form with 18 decimals) needs
// 1200 bits; m · 10^19 · 2^971 (the largest double in fixed form) 1088.
constexpr int kLimbs = 42;

struct Big {
  std::uint32_t limb[kLimbs];  // little-endian
  int n;                       // limbs in use; 0 is the value zero
};

void BigSet(Big& b, std::uint64_t v) {
  b.n = 0;
  while (v) {
    b.limb[b.n++] = static_cast<std::uint32_t>(v);
    v >>= 32;
  }
}

void BigMulSmall(Big& b, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (int i = 0; i < b.n; ++i) {
    std::uint64_t t = static_cast<std::uint64_t>(b.limb[i]) * factor + carry;
    b.limb[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  if (carry) {
    assert(b.n < kLimbs);
    b.limb[b.n++] = static_cast<std::uint32_t>(carry);
  }
}

std::uint32_t BigDivSmall(Big& b, std::uint32_t divisor) {
  std::uint64_t rem = 0;
  for (int i = b.n - 1; i >= 0; --i) {
    std::uint64_t cur = (rem << 32) | b.limb[i];
    b.limb[i] = static_cast<std::uint32_t>(cur / divisor);
    rem = cur % divisor;
  }
  while (b.n > 0 && b.limb[b.n - 1] == 0) --b.n;
  return static_cast<std::uint32_t>(rem);
}

void BigMulPow10(Big& b, int e) {
  for (; e >= 9; e -= 9) BigMulSmall(b, 1000000000u);
  if (e > 0) BigMulSmall(b, static_cast<std::uint32_t>(kPow10[e]));
}

void BigDivPow10(Big& b, int e) {
  for (; e >= 9 && b.n > 0; e -= 9) BigDivSmall(b, 1000000000u);
  if (e > 0 && b.n > 0) BigDivSmall(b, static_cast<std::uint32_t>(kPow10[e]));
}

void BigShiftLeft(Big& b, int bits) {
  if (b.n == 0) return;
  int words = bits / 32, rest = bits % 32;
  assert(b.n + words + 1 <= kLimbs);
  b.limb[b.n] = 0;
  for (int i = b.n; i >= 0; --i) {
    std::uint32_t hi = b.limb[i] << rest;
    std::uint32_t lo = (rest && i > 0) ? b.limb[i - 1] >> (32 - rest) : 0;
    b.limb[i + words] = hi | lo;
  }
  for (int i = 0; i < words; ++i) b.limb[i] = 0;
  b.n += words + 1;
  while (b.n > 0 && b.limb[b.n - 1] == 0) --b.n;
}

void BigShiftRight(Big& b, int bits) {
  int words = bits / 32, rest = bits % 32;
  if (words >= b.n) {
    b.n = 0;
    return;
  }
  int n = b.n - words;
  for (int i = 0; i < n; ++i) {
    std::uint32_t lo = b.limb[i + words] >> rest;
    std::uint32_t hi = (rest && i + words + 1 < b.n) ? b.limb[i + words + 1] << (32 - rest) : 0;
    b.limb[i] = lo | hi;
  }
  b.n = n;
  while (b.n > 0 && b.limb[b.n - 1] == 0) --b.n;
}

// Destroys b. Writes at least one digit.
int BigDigits(Big& b, char* out) {
  char chunk[kRealDigitsMax + 16];
  int end = sizeof chunk, at = end;
  while (b.n > 0) {
    std::uint32_t r = BigDivSmall(b, 1000000000u);
    for (int k = 0; k < 9; ++k) {
      assert(at > 0);
      chunk[--at] = static_cast<char>('0' + r % 10);
      r /= 10;
    }
  }
  while (at < end - 1 && chunk[at] == '0') ++at;
  if (at == end) chunk[--at] = '0';
  std::memcpy(out, chunk + at, static_cast<std::size_t>(end - at));
  return end - at;
}

int U128Digits(u128 v, char* out) {
  if ((v >> 64) == 0) return DecimalDigits(static_cast<std::uint64_t>(v), out);
  std::uint64_t hi = static_cast<std::uint64_t>(v / kPow10[19]);
  std::uint64_t lo = static_cast<std::uint64_t>(v % kPow10[19]);
  int n = DecimalDigits(hi, out);
  char low[20];
  int k = DecimalDigits(lo, low);
  std::memset(out + n, '0', static_cast<std::size_t>(19 - k));
  std::memcpy(out + n + 19 - k, low, static_cast<std::size_t>(k));
  return n + 19;
}

int BitLength(u128 v) {
  std::uint64_t hi = static_cast<std::uint64_t>(v >> 64);
  return hi ? 128 - std::countl_zero(hi) : 64 - std::countl_zero(static_cast<std::uint64_t>(v));
}

// The decimal digits of floor(m · 2^q · 10^u), m > 0.
int FloorDigits(std::uint64_t m, int q, int u, char* out) {
  if (u >= 0 && u <= 19) {
    u128 p = static_cast<u128>(m) * kPow10[u];
    if (q <= 0) return U128Digits(-q >= 128 ? 0 : p >> -q, out);
    if (BitLength(p) + q <= 127) return U128Digits(p << q, out);
  } else if (u < 0) {
    int j = -u;
    if (q <= 0) {
      std::uint64_t whole = -q >= 64 ? 0 : m >> -q;
      return DecimalDigits(j > 19 ? 0 : whole / kPow10[j], out);
    }
    if (BitLength(m) + q <= 127) {
      u128 n = static_cast<u128>(m) << q;
      if (j <= 19) return U128Digits(n / kPow10[j], out);
      if (j <= 38) return U128Digits(n / kPow10[19] / kPow10[j - 19], out);
      return DecimalDigits(0, out);
    }
  }
  // Far ends of the range: the same arithmetic on a big number. Multiplying
  // before shifting right and shifting before dividing keeps every step exact
  // or a floor, and floors compose.
  Big b;
  BigSet(b, m);
  if (u > 0) BigMulPow10(b, u);
  if (q > 0) BigShiftLeft(b, q);
  else if (q < 0) BigShiftRight(b, -q);
  if (u < 0) BigDivPow10(b, -u);
  return BigDigits(b, out);
}

void Decompose(double value, std::uint64_t* m, int* q) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t fraction = bits & ((1ull << 52) - 1);
  if (biased == 0) {
    *m = fraction;
    *q = -1074;
  } else {
    *m = fraction | (1ull << 52);
    *q = biased - 1075;
  }
  // Fewer significant bits keep more values on the 128-bit path.
  int zeros = std::countr_zero(*m);
  *m >>= zeros;
  *q += zeros;
}

// Adds one unit to the last of count digits; true when it carried out of the
// first one (the digits are then all "0").
bool IncrementDigits(char* digits, int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

}  // namespace

void RealFixedDigits(double value, int precision, RealDigitString* out) {
  std::uint64_t m;
  int q;
  Decompose(value, &m, &q);
  // One place more than shown; that last digit decides the rounding. Room is
  // left in front for a carry.
  char* d = out->digits + 1;
  int n = FloorDigits(m, q, precision + 1, d);
  assert(n <= kRealDigitsMax);
  char last = d[n - 1];
  int kept = n - 1;
  if (kept == 0) {
    d[0] = '0';
    kept = 1;
  }
  if (last >= '5' && IncrementDigits(d, kept)) {
    --d;
    d[0] = '1';
    ++kept;
  }
  if (d != out->digits) std::memmove(out->digits, d, static_cast<std::size_t>(kept));
  out->count = kept;
  out->exponent = kept - 1 - precision;
}

void RealExponentDigits(double value, int precision, RealDigitString* out) {
  std::uint64_t m;
  int q;
  Decompose(value, &m, &q);
  int binaryExponent = 63 - std::countl_zero(m) + q;
  // floor(e · log10 2) within one; the digit count shows which way it erred.
  int e10 = static_cast<int>((static_cast<std::int64_t>(binaryExponent) * 78913) >> 18);
  int want = precision + 2;  // shown digits and the rounding digit
  int n = 0;
  for (int tries = 0;; ++tries) {
    assert(tries < 4);
    n = FloorDigits(m, q, precision - e10 + 1, out->digits);
    if (n >= want) break;
    e10 -= want - n;
  }
  // Extra digits mean the estimate was low: the leading ones are still the
  // floor at the coarser place.
  out->exponent = e10 + n - want;
  char last = out->digits[want - 1];
  out->count = precision + 1;
  if (last >= '5' && IncrementDigits(out->digits, out->count)) {
    out->digits[0] = '1';
    ++out->exponent;
  }
}
