// The value texts of the newer types where the classic notations do not
// reach: LReal as the shortest text that reads back to the same double,
// LTime with its digits below the millisecond, DTL, LDT and LTOD with
// nanoseconds, WChar, String and WString characters.
#include <charconv>
#include <cmath>
#include <cstring>

#include "res/codepage.h"
#include "vars/calendar.h"
#include "vars/format.h"
#include "vars/longtypes.h"
#include "vars/valuetext_internal.h"

namespace {

std::size_t Append(char* out, std::size_t n, std::size_t size, const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length && n + 1 < size; ++i) out[n++] = text[i];
  return n;
}

// The fraction of a second after ".", three digits always and up to nine
// where they are not zero.
int PutFraction(char* out, std::int64_t nanos) {
  int digits = 3;
  std::int64_t v = nanos;
  if (nanos % kNanosPerMs != 0) {
    digits = 9;
    while (v % 10 == 0) v /= 10, --digits;
  } else {
    v = nanos / kNanosPerMs;
  }
  out[0] = '.';
  for (int i = digits; i > 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
  return digits + 1;
}

int PutTimeOfDay(char* out, std::size_t size, std::int64_t nanosOfDay) {
  CalendarRecord c = {};
  Cal_TimeFromMs(static_cast<std::uint32_t>(nanosOfDay / kNanosPerMs), &c);
  int n = FormatTextN(out, size, "%T", &c);
  char fraction[12];
  const int f = PutFraction(fraction, nanosOfDay % 1000000000);
  return static_cast<int>(Append(out, static_cast<std::size_t>(n), size, fraction, static_cast<std::size_t>(f)));
}

}  // namespace

int FormatLongReal(char* out, std::size_t size, std::uint64_t bits) {
  double x;
  std::memcpy(&x, &bits, 8);
  if (std::isnan(x)) return FormatTextN(out, size, "???");
  if (std::isinf(x)) return FormatTextN(out, size, "%s", x < 0 ? "-oo" : "+oo");
  // The shortest digits that read back to the same double.
  char sci[40];
  const auto r = std::to_chars(sci, sci + sizeof sci, x, std::chars_format::scientific);
  const char* p = sci;
  const char* end = r.ptr;
  char text[64];
  int n = 0;
  if (*p == '-') text[n++] = *p++;
  char digits[20];
  int count = 0;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') digits[count++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
  const char point = CurrentNumberSettings().point;
  if (exponent < -6 || exponent >= 16) {
    text[n++] = digits[0];
    if (count > 1) {
      text[n++] = point;
      for (int i = 1; i < count; ++i) text[n++] = digits[i];
    }
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "e%c%02d", exponent < 0 ? '-' : '+',
                       exponent < 0 ? -exponent : exponent);
  } else if (exponent < 0) {
    text[n++] = '0';
    text[n++] = point;
    for (int i = -1; i > exponent; --i) text[n++] = '0';
    for (int i = 0; i < count; ++i) text[n++] = digits[i];
  } else {
    for (int i = 0; i <= exponent; ++i) text[n++] = i < count ? digits[i] : '0';
    text[n++] = point;
    if (count > exponent + 1) {
      for (int i = exponent + 1; i < count; ++i) text[n++] = digits[i];
    } else {
      text[n++] = '0';  // a whole number still reads as a real
    }
  }
  const std::size_t length = Append(out, 0, size, text, static_cast<std::size_t>(n));
  if (size) out[length] = 0;
  return static_cast<int>(length);
}

int FormatLongDuration(char* out, std::size_t size, std::int64_t nanos) {
  const std::uint64_t magnitude = nanos < 0 ? 0 - static_cast<std::uint64_t>(nanos) : static_cast<std::uint64_t>(nanos);
  const auto perMs = static_cast<std::uint64_t>(kNanosPerMs);
  return FormatDurationParts(out, size, nanos < 0, magnitude / perMs, static_cast<std::uint32_t>(magnitude % perMs));
}

int FormatLongDateTime(char* out, std::size_t size, int type, std::int64_t nanos) {
  if (type == S7_TYPE_LTOD) {
    // A count past the day still shows: as the time it reaches modulo a day.
    const std::int64_t ofDay = ((nanos % kNanosPerDay) + kNanosPerDay) % kNanosPerDay;
    return PutTimeOfDay(out, size, ofDay);
  }
  CalendarRecord c;
  Var_CalendarFromNanos(nanos, &c);
  const int n = FormatTextN(out, size, "%D.", &c);
  const std::int64_t ofDay = ((nanos % kNanosPerDay) + kNanosPerDay) % kNanosPerDay;
  return n + PutTimeOfDay(out + n, size - static_cast<std::size_t>(n), ofDay);
}

int FormatDtlText(char* out, std::size_t size, const std::uint8_t* w) {
  // The fields as they stand: a DTL the PLC holds need not be a real date.
  const CalendarRecord c = {static_cast<std::uint16_t>(w[0] << 8 | w[1]), w[2], 0, w[3], w[5], w[6], w[7], 0};
  const std::uint32_t nanos = static_cast<std::uint32_t>(w[8]) << 24 | static_cast<std::uint32_t>(w[9]) << 16 |
                              static_cast<std::uint32_t>(w[10]) << 8 | w[11];
  const int n = FormatTextN(out, size, "%D.%T", &c, &c);
  if (nanos > 999999999) return n + FormatTextN(out + n, size - static_cast<std::size_t>(n), ".%u", nanos);
  char fraction[12];
  const int f = PutFraction(fraction, nanos);
  return static_cast<int>(Append(out, static_cast<std::size_t>(n), size, fraction, static_cast<std::size_t>(f)));
}

int FormatWideChar(char* out, std::size_t size, char16_t unit, bool bare) {
  const std::string text = Var_EscapeText(std::u16string(1, unit));
  if (bare) return FormatTextN(out, size, "%s", text.c_str());
  return FormatTextN(out, size, "'%s' (#%d)", text.c_str(), static_cast<int>(unit));
}
