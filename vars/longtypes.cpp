// DTL fields, nanosecond time stamps and the texts of String and WString
// slots: the slot arithmetic of the newer types, kept apart from the value
// texts that show them so that the write path and the tests share one copy.
#include <cstring>

#include "res/codepage.h"
#include "vars/calendar.h"
#include "vars/longtypes.h"

namespace {

// 1970-01-01 counted from 1990-01-01.
constexpr std::int64_t kDays1970To1990 = 7305;

std::uint16_t GetBE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
void PutBE16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

// Floor division: times before a day's start belong to the day before.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

bool HasTextSlot(int elementIndex, const PlcVariable* var) {
  if (!var || !var->values || !Var_IsTextType(var->type) || elementIndex < 0 || elementIndex >= var->count) return false;
  const std::int64_t end = (std::int64_t{elementIndex} + 1) * var->slotSize;
  return var->slotSize == var->wireSize && var->slotSize >= 4 && end <= var->bufferSize;
}

std::uint8_t* TextSlot(int elementIndex, const PlcVariable* var) {
  return var->values + static_cast<std::size_t>(elementIndex) * static_cast<std::size_t>(var->slotSize);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::int64_t Var_DtlNanos(const std::uint8_t* w) {
  CalendarRecord c = {};
  c.year = GetBE16(w);
  c.month = w[2];
  c.day = w[3];
  const std::int64_t days = Cal_DaysSince1990(&c) + kDays1970To1990;
  const std::int64_t seconds = std::int64_t{w[5]} * 3600 + std::int64_t{w[6]} * 60 + w[7];
  const std::uint32_t nanos = static_cast<std::uint32_t>(w[8]) << 24 | static_cast<std::uint32_t>(w[9]) << 16 |
                              static_cast<std::uint32_t>(w[10]) << 8 | w[11];
  // Wrapping arithmetic: fields past what a DTL allows still give a number.
  const std::uint64_t total = static_cast<std::uint64_t>(days) * static_cast<std::uint64_t>(kNanosPerDay) +
                              static_cast<std::uint64_t>(seconds) * 1000000000u + nanos;
  return static_cast<std::int64_t>(total);
}

int Var_DtlFromNanos(std::int64_t nanos, std::uint8_t* w) {
  if (nanos < 0 || !w) return 0;
  CalendarRecord c = {};
  Cal_DateFrom1990(nanos / kNanosPerDay - kDays1970To1990, &c);
  const std::int64_t ofDay = nanos % kNanosPerDay;
  const std::int64_t seconds = ofDay / 1000000000;
  const auto fraction = static_cast<std::uint32_t>(ofDay % 1000000000);
  PutBE16(w, c.year);
  w[2] = static_cast<std::uint8_t>(c.month);
  w[3] = static_cast<std::uint8_t>(c.day);
  w[4] = static_cast<std::uint8_t>(c.weekday + 1);
  w[5] = static_cast<std::uint8_t>(seconds / 3600);
  w[6] = static_cast<std::uint8_t>(seconds / 60 % 60);
  w[7] = static_cast<std::uint8_t>(seconds % 60);
  w[8] = static_cast<std::uint8_t>(fraction >> 24);
  w[9] = static_cast<std::uint8_t>(fraction >> 16);
  w[10] = static_cast<std::uint8_t>(fraction >> 8);
  w[11] = static_cast<std::uint8_t>(fraction);
  return 1;
}

int Var_DtlValid(const std::uint8_t* w) {
  CalendarRecord c = {GetBE16(w), w[2], 0, w[3], w[5], w[6], w[7], 0};
  const std::uint32_t nanos = static_cast<std::uint32_t>(w[8]) << 24 | static_cast<std::uint32_t>(w[9]) << 16 |
                              static_cast<std::uint32_t>(w[10]) << 8 | w[11];
  if (c.year < 1970 || c.year > 2262 || nanos > 999999999) return 0;
  if (S7_CheckDateTime(&c) != 1) return 0;
  // 2262-04-11 23:47:16.854775807 is the last one.
  return Var_DtlNanos(w) >= 0 ? 1 : 0;
}

void Var_CalendarFromNanos(std::int64_t nanos, CalendarRecord* record) {
  *record = {};
  const std::int64_t days = FloorDiv(nanos, kNanosPerDay);
  const std::int64_t ofDay = (nanos % kNanosPerDay + kNanosPerDay) % kNanosPerDay;
  Cal_DateFrom1990(days - kDays1970To1990, record);
  Cal_TimeFromMs(static_cast<std::uint32_t>(ofDay / kNanosPerMs), record);
}

std::int64_t Var_DaysSince1970(const CalendarRecord* record) { return Cal_DaysSince1990(record) + kDays1970To1990; }

std::int64_t Var_NanosFromCalendar(const CalendarRecord* record) {
  std::int64_t v;
  if (__builtin_mul_overflow(Var_DaysSince1970(record), kNanosPerDay, &v) ||
      __builtin_add_overflow(v, Cal_MsOfDay(0, record) * kNanosPerMs, &v))
    return -1;
  return v;
}

std::u16string Var_TextUnits(int elementIndex, const PlcVariable* var) {
  std::u16string units;
  if (!HasTextSlot(elementIndex, var)) return units;
  const std::uint8_t* p = TextSlot(elementIndex, var);
  // Neither header field is trusted beyond the slot the variable declares.
  if (var->type == S7_TYPE_STRING) {
    int length = p[1];
    if (length > p[0]) length = p[0];
    if (length > var->textMax) length = var->textMax;
    for (int i = 0; i < length; ++i) units.push_back(Cp1250ToUnicode(p[2 + i]));
  } else {
    int length = GetBE16(p + 2);
    if (length > GetBE16(p)) length = GetBE16(p);
    if (length > var->textMax) length = var->textMax;
    for (int i = 0; i < length; ++i) units.push_back(static_cast<char16_t>(GetBE16(p + 4 + 2 * i)));
  }
  return units;
}

std::string Var_EscapeText(const std::u16string& units) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(units.size());
  for (const char16_t u : units) {
    const std::uint8_t byte = u >= 32 && u != '\\' ? Cp1250FromUnicode(u) : 0;
    if (u == '\\') {
      text += "\\\\";
    } else if (byte) {
      text += static_cast<char>(byte);
    } else {
      const char escape[6] = {'\\', 'u', kHex[u >> 12], kHex[(u >> 8) & 15], kHex[(u >> 4) & 15], kHex[u & 15]};
      text.append(escape, 6);
    }
  }
  return text;
}

bool Var_UnescapeText(const char* text, int type, std::u16string* units) {
  units->clear();
  if (!text) return true;
  for (const char* s = text; *s;) {
    char16_t u;
    if (*s != '\\') {
      u = static_cast<char16_t>(Cp1250ToUnicode(static_cast<std::uint8_t>(*s++)));
    } else if (s[1] == '\\') {
      u = '\\';
      s += 2;
    } else if (s[1] == 'u' || s[1] == 'U') {
      unsigned v = 0;
      for (int i = 2; i < 6; ++i) {
        const int d = HexDigit(s[i]);  // stops at the terminating zero too
        if (d < 0) return false;
        v = v << 4 | static_cast<unsigned>(d);
      }
      u = static_cast<char16_t>(v);
      s += 6;
    } else {
      return false;
    }
    // A String holds code page bytes: what has none is refused, not turned into '?'.
    if (type == S7_TYPE_STRING && u != 0 && Cp1250FromUnicode(u) == 0) return false;
    units->push_back(u);
  }
  return true;
}

int Var_PutTextUnits(int elementIndex, PlcVariable* var, const std::u16string& units) {
  if (!HasTextSlot(elementIndex, var)) return 0;
  const auto length = static_cast<int>(units.size());
  if (length > var->textMax) return 0;
  std::uint8_t* p = TextSlot(elementIndex, var);
  if (var->type == S7_TYPE_STRING) {
    for (const char16_t u : units)
      if (u != 0 && Cp1250FromUnicode(u) == 0) return 0;
    if (p[0] == 0) p[0] = static_cast<std::uint8_t>(var->textMax);
    p[1] = static_cast<std::uint8_t>(length);
    for (int i = 0; i < length; ++i) p[2 + i] = units[i] ? Cp1250FromUnicode(units[i]) : 0;
  } else {
    if (GetBE16(p) == 0) PutBE16(p, static_cast<unsigned>(var->textMax));
    PutBE16(p + 2, static_cast<unsigned>(length));
    for (int i = 0; i < length; ++i) PutBE16(p + 4 + 2 * i, units[i]);
  }
  return 1;
}
