// Reading a value typed for one element back into its slot: the notation of
// each display mode, the range each element and mode allow, the spinner that
// steps through that range, and plain words for every refusal, so that the
// element edit dialog and the command line judge a text the same way.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "vars/calendar.h"
#include "vars/format.h"
#include "vars/longtypes.h"
#include "vars/readers.h"
#include "vars/texthelp.h"
#include "vars/valuetext.h"
#include "vars/valuetext_internal.h"
#include "vars/varmodel.h"

namespace {

constexpr std::int64_t kS5TimeMax = 9990000;   // 999 × 10 s, the longest S5 duration
constexpr std::int64_t kCounterMax = 999;
constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kUnitMs[5] = {86400000, 3600000, 60000, 1000, 1};  // d h m s ms

// The last day each kind of element can be given as a date, as the date
// pickers allow: the DATE_AND_TIME century, and a day count that 16 bits hold.
constexpr CalendarRecord kDateAndTimeFirst = {1990, 1, 1, 1, 0, 0, 0, 0};
constexpr CalendarRecord kDateAndTimeLast = {2089, 12, 6, 31, 23, 59, 59, 999};
constexpr CalendarRecord kDateLast = {2168, 12, 0, 31, 0, 0, 0, 0};

bool IsDuration(int type) { return type == S7_TYPE_S5TIME || type == S7_TYPE_TIMER; }

bool IsIntegerView(int view) { return view >= VAR_VIEW_BIN && view <= VAR_VIEW_CHAR; }

int ResolveView(int elementIndex, const PlcVariable* var, int view) {
  return view == VAR_VIEW_DEFAULT ? Var_EffectiveView(elementIndex, var) : view;
}

void SetRange(VarValueRange* r, std::int64_t min, std::int64_t max) {
  r->checked = 1;
  r->min = min;
  r->max = max;
}

// The integer modes' limits by element. S5 durations and counters are held
// to what their wire words can carry in every mode: anything beyond would
// reach the PLC as 0.
void IntegerRange(const PlcVariable* var, bool isSigned, VarValueRange* r) {
  const int wire = var->wireSize;
  if (var->type == S7_TYPE_LTOD) return SetRange(r, 0, kNanosPerDay - 1);
  if (var->type == S7_TYPE_LDT) return SetRange(r, 0, INT64_MAX);
  if (wire == 8) return;
  if (var->type == S7_TYPE_BIT) return SetRange(r, 0, 1);
  if (var->type == S7_TYPE_COUNTER) return SetRange(r, 0, kCounterMax);
  if (IsDuration(var->type)) return SetRange(r, 0, kS5TimeMax);
  switch (wire) {
    case 1: return isSigned ? SetRange(r, INT8_MIN, INT8_MAX) : SetRange(r, 0, UINT8_MAX);
    case 2: return isSigned ? SetRange(r, INT16_MIN, INT16_MAX) : SetRange(r, 0, UINT16_MAX);
    default: return isSigned ? SetRange(r, INT32_MIN, INT32_MAX) : SetRange(r, 0, UINT32_MAX);
  }
}

// Only ASCII letters can be part of a valid text once folded (digits, the
// radix letters and the units); other bytes are refused either way.
int ToLower(int c) { return c >= 'A' && c <= 'Z' ? c + 0x20 : c; }

// A whole text as one number: the reader must succeed and stop at the end.
int ReadWhole(const char* s, unsigned flags, std::int64_t* out) {
  int consumed = 0;
  const std::int64_t v = ParseInteger(s, flags, 0, &consumed);
  if (!*s || consumed <= 0 || s[consumed] != 0) return VAR_VALUE_NUMBER;
  *out = v;
  return VAR_VALUE_OK;
}

int CheckRange(const VarValueRange& r, std::int64_t v, bool isSigned) {
  if (!r.checked) return VAR_VALUE_OK;
  if (isSigned) {
    if (v < r.min) return VAR_VALUE_BELOW;
    if (v > r.max) return VAR_VALUE_ABOVE;
  } else if (static_cast<std::uint64_t>(v) > static_cast<std::uint64_t>(r.max)) {
    return VAR_VALUE_ABOVE;
  }
  return VAR_VALUE_OK;
}

// "1d2h3m4s5ms": numbers each followed by its unit, units in falling order
// and each once; a sign only in front; a negative total takes the later parts
// away. Overflow cannot happen within the reader's 32-bit numbers, but the
// sums are checked all the same.
int ReadDuration(const char* s, std::int64_t* out) {
  std::int64_t total = 0;
  int lastUnit = -1;
  bool first = true;
  while (*s) {
    int consumed = 0;
    const std::int64_t n = ParseInteger(s, first ? kReadRange32 : kReadRange32 | kReadUnsigned, 0, &consumed);
    if (consumed <= 0) {
      int i = 0;
      while (s[i] == ' ' || s[i] == '\t') ++i;
      if (!first && (s[i] == '+' || s[i] == '-')) return VAR_VALUE_TIME_SIGN;
      return consumed < 0 ? VAR_VALUE_NUMBER : VAR_VALUE_TIME_NUMBER;
    }
    s += consumed;
    int unit;
    if (s[0] == 'm' && s[1] == 's') unit = 4, s += 2;
    else if (*s == 'd') unit = 0, ++s;
    else if (*s == 'h') unit = 1, ++s;
    else if (*s == 'm') unit = 2, ++s;
    else if (*s == 's') unit = 3, ++s;
    else return VAR_VALUE_TIME_UNIT;
    if (unit <= lastUnit) return VAR_VALUE_TIME_ORDER;
    lastUnit = unit;
    std::int64_t part;
    if (__builtin_mul_overflow(n, kUnitMs[unit], &part)) return VAR_VALUE_NUMBER;
    if (first) total = part;
    else if (total < 0 ? __builtin_sub_overflow(total, part, &total) : __builtin_add_overflow(total, part, &total))
      return VAR_VALUE_NUMBER;
    first = false;
  }
  *out = total;
  return VAR_VALUE_OK;
}

// 1 to maxDigits decimal digits.
bool Digits(const char*& s, int maxDigits, int* value, int* count = nullptr) {
  int n = 0, v = 0;
  while (n < maxDigits && *s >= '0' && *s <= '9') v = v * 10 + (*s++ - '0'), ++n;
  if (n == 0 || (*s >= '0' && *s <= '9')) return false;
  *value = v;
  if (count) *count = n;
  return true;
}

// Year, month and day in the thread's date order, separated by ".".
bool ReadDate(const char*& s, CalendarRecord* c) {
  int fields[3];
  const int order = CurrentNumberSettings().dateOrder;
  const int yearAt = order == 0 ? 0 : 2;
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && *s++ != '.') return false;
    if (!Digits(s, i == yearAt ? 4 : 2, &fields[i])) return false;
  }
  const int month = order == 0 ? fields[1] : order == 1 ? fields[0] : fields[1];
  const int day = order == 0 ? fields[2] : order == 1 ? fields[1] : fields[0];
  *c = {};
  c->year = static_cast<std::uint16_t>(fields[yearAt]);
  c->month = static_cast<std::uint16_t>(month);
  c->day = static_cast<std::uint16_t>(day);
  CalendarRecord probe = *c;
  if (S7_CheckDateTime(&probe) != 1) return false;
  Cal_DateFrom1990(Cal_DaysSince1990(c), c);  // the weekday
  return true;
}

// hh:mm:ss with an optional fraction of a second of up to three digits, or
// nine where the nanoseconds are asked for.
bool ReadTimeOfDay(const char*& s, CalendarRecord* c, std::int64_t* nanos = nullptr) {
  int h, m, sec, ms = 0, digits = 0;
  if (!Digits(s, 2, &h) || *s++ != ':' || !Digits(s, 2, &m) || *s++ != ':' || !Digits(s, 2, &sec)) return false;
  const int most = nanos ? 9 : 3;
  int fraction = 0;
  if (*s == '.') {
    ++s;
    if (!Digits(s, most, &fraction, &digits)) return false;
    while (digits++ < most) fraction *= 10;
  }
  if (nanos) {
    *nanos = fraction;
    ms = fraction / 1000000;
  } else {
    ms = fraction;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  c->hour = static_cast<std::uint16_t>(h);
  c->minute = static_cast<std::uint16_t>(m);
  c->second = static_cast<std::uint16_t>(sec);
  c->milliseconds = static_cast<std::uint16_t>(ms);
  return true;
}

std::int64_t CalendarOrder(const CalendarRecord& c) {
  return Cal_DaysSince1990(&c) * kMsPerDay + Cal_MsOfDay(0, &c);
}

int ReadDateTimeText(const char* s, int wire, std::int64_t* value, CalendarRecord* calendar) {
  CalendarRecord c = {1990, 1, 1, 1, 0, 0, 0, 0};
  if (wire == 2 || wire == 8) {
    if (!ReadDate(s, &c)) return VAR_VALUE_DATE;
    if (wire == 8 && *s++ != '.') return VAR_VALUE_DATE;
  }
  if (wire == 4 || wire == 8) {
    if (!ReadTimeOfDay(s, &c)) return VAR_VALUE_TIME_OF_DAY;
  }
  if (*s) return wire == 2 ? VAR_VALUE_DATE : VAR_VALUE_TIME_OF_DAY;
  std::int64_t v;
  if (wire == 2) {
    v = Cal_DaysSince1990(&c);
    if (v < 0) return VAR_VALUE_BELOW;
    if (v > Cal_DaysSince1990(&kDateLast)) return VAR_VALUE_ABOVE;
  } else if (wire == 4) {
    v = Cal_MsOfDay(0, &c);
  } else {
    if (CalendarOrder(c) < CalendarOrder(kDateAndTimeFirst)) return VAR_VALUE_BELOW;
    if (CalendarOrder(c) > CalendarOrder(kDateAndTimeLast)) return VAR_VALUE_ABOVE;
    std::uint8_t bytes[8] = {};
    if (S7_EncodeDateTime(&c, bytes) != 0) return VAR_VALUE_DATE;
    std::uint64_t u;
    std::memcpy(&u, bytes, 8);
    v = static_cast<std::int64_t>(u);
  }
  *value = v;
  if (calendar) *calendar = c;
  return VAR_VALUE_OK;
}

// A real typed for a REAL: what rounds beyond the largest single would
// reach the PLC as infinity.
int ReadRealText(const char* s, std::int64_t* value) {
  int consumed = 0;
  bool overflow = false;
  const float single = ParseRealSingle(s, kReadGroups, &consumed, &overflow);
  if (consumed <= 0 || s[consumed] != 0) return VAR_VALUE_REAL;
  if (overflow) return VAR_VALUE_REAL_RANGE;
  std::uint32_t bits;
  std::memcpy(&bits, &single, 4);
  *value = bits;
  return VAR_VALUE_OK;
}


// LTime: "1d2h3m4s5.123456ms", the parts as Time has them, 64 bits of
// nanoseconds; the milliseconds may carry up to six decimals.
int ReadLongDuration(const char* s, std::int64_t* out) {
  static constexpr std::int64_t kUnitNs[5] = {kNanosPerDay, 3600 * std::int64_t{1000000000},
                                              60 * std::int64_t{1000000000}, 1000000000, kNanosPerMs};
  std::int64_t total = 0;
  int lastUnit = -1;
  bool first = true;
  bool negative = false;
  while (*s) {
    int consumed = 0;
    const std::int64_t n = ParseInteger(s, first ? 0 : kReadUnsigned, 0, &consumed);
    if (consumed <= 0) {
      int i = 0;
      while (s[i] == ' ' || s[i] == '\t') ++i;
      if (!first && (s[i] == '+' || s[i] == '-')) return VAR_VALUE_TIME_SIGN;
      return consumed < 0 ? VAR_VALUE_NUMBER : VAR_VALUE_TIME_NUMBER;
    }
    if (first) {
      int i = 0;
      while (s[i] == ' ' || s[i] == '\t') ++i;
      negative = s[i] == '-';
    }
    s += consumed;
    std::int64_t below = 0;  // nanoseconds of a fraction of a millisecond
    if (*s == '.') {
      ++s;
      int value = 0, digits = 0;
      if (!Digits(s, 6, &value, &digits)) return VAR_VALUE_NUMBER;
      while (digits++ < 6) value *= 10;
      below = value;
      if (s[0] != 'm' || s[1] != 's') return VAR_VALUE_TIME_UNIT;
    }
    int unit;
    if (s[0] == 'm' && s[1] == 's') unit = 4, s += 2;
    else if (*s == 'd') unit = 0, ++s;
    else if (*s == 'h') unit = 1, ++s;
    else if (*s == 'm') unit = 2, ++s;
    else if (*s == 's') unit = 3, ++s;
    else return VAR_VALUE_TIME_UNIT;
    if (unit <= lastUnit) return VAR_VALUE_TIME_ORDER;
    lastUnit = unit;
    std::int64_t part;
    if (__builtin_mul_overflow(n, kUnitNs[unit], &part)) return VAR_VALUE_NUMBER;
    // Later parts are magnitudes taken away from a negative total.
    if (__builtin_add_overflow(part, first && negative ? -below : below, &part)) return VAR_VALUE_NUMBER;
    if (first) total = part;
    else if (negative ? __builtin_sub_overflow(total, part, &total) : __builtin_add_overflow(total, part, &total))
      return VAR_VALUE_NUMBER;
    first = false;
  }
  *out = total;
  return VAR_VALUE_OK;
}

// LTOD "hh:mm:ss[.fffffffff]"; LDT and DTL the date before it, joined by ".".
int ReadLongDateTime(const char* s, int type, std::int64_t* value) {
  CalendarRecord c = {1970, 1, 4, 1, 0, 0, 0, 0};
  const bool withDate = type != S7_TYPE_LTOD;
  if (withDate) {
    if (!ReadDate(s, &c)) return VAR_VALUE_DATE;
    if (*s++ != '.') return VAR_VALUE_DATE;
  }
  std::int64_t fraction = 0;
  if (!ReadTimeOfDay(s, &c, &fraction)) return VAR_VALUE_TIME_OF_DAY;
  if (*s) return VAR_VALUE_TIME_OF_DAY;
  const std::int64_t ofDay = Cal_SecondsOfDay(&c) * 1000000000 + fraction;
  if (!withDate) {
    *value = ofDay;
    return VAR_VALUE_OK;
  }
  if (c.year < 1970) return VAR_VALUE_BELOW;
  const std::int64_t days = Var_DaysSince1970(&c);
  std::int64_t v;
  if (c.year > 2262 || __builtin_mul_overflow(days, kNanosPerDay, &v) || __builtin_add_overflow(v, ofDay, &v))
    return VAR_VALUE_ABOVE;
  *value = v;
  return VAR_VALUE_OK;
}

// An LReal: the digits rounded once, straight to the nearest double.
int ReadLongRealText(const char* s, std::int64_t* value) {
  int consumed = 0;
  bool overflow = false;
  const double x = ParseRealDouble(s, kReadGroups, &consumed, &overflow);
  if (consumed <= 0 || s[consumed] != 0) return VAR_VALUE_REAL;
  if (overflow) return VAR_VALUE_LREAL_RANGE;
  std::uint64_t bits;
  std::memcpy(&bits, &x, 8);
  *value = static_cast<std::int64_t>(bits);
  return VAR_VALUE_OK;
}

// A WChar: one letter, "#" and its code, or an escape.
int ReadWideChar(const char* s, std::int64_t* value) {
  std::u16string units;
  if (s[0] == '#' && s[1]) return ReadWhole(s + 1, kReadUnsigned, value) == VAR_VALUE_OK ? VAR_VALUE_OK : VAR_VALUE_CHAR;
  if (!Var_UnescapeText(s, S7_TYPE_WSTRING, &units) || units.size() != 1) return VAR_VALUE_CHAR;
  *value = units[0];
  return VAR_VALUE_OK;
}

int ReadText(const PlcVariable* var, const char* text, std::int64_t* value) {
  std::u16string units;
  if (!Var_UnescapeText(text, var->type, &units)) return VAR_VALUE_ESCAPE;
  if (units.size() > static_cast<std::size_t>(var->textMax)) return VAR_VALUE_TEXT_LONG;
  *value = static_cast<std::int64_t>(units.size());
  return VAR_VALUE_OK;
}

}  // namespace

void Var_ValueRange(int elementIndex, const PlcVariable* var, int view, VarValueRange* range) {
  if (!range) return;
  *range = {0, INT64_MIN, INT64_MAX};
  if (!var || !Var_TypeInfo(var->type)) return;
  view = ResolveView(elementIndex, var, view);
  if (Var_IsTextType(var->type)) return;  // a text has a length, not a range
  if (IsIntegerView(view)) return IntegerRange(var, view == VAR_VIEW_DEC_SIGNED, range);
  if (view == VAR_VIEW_TIME) {
    if (var->type == S7_TYPE_LTIME) return;
    if (IsDuration(var->type)) return SetRange(range, 0, kS5TimeMax);
    return SetRange(range, INT32_MIN, INT32_MAX);
  }
  if (view == VAR_VIEW_DATE_TIME) {
    if (var->type == S7_TYPE_LTOD) return SetRange(range, 0, kNanosPerDay - 1);
    if (var->type == S7_TYPE_LDT || var->type == S7_TYPE_DTL) return SetRange(range, 0, INT64_MAX);
    if (var->wireSize == 2) return SetRange(range, 0, Cal_DaysSince1990(&kDateLast));
    if (var->wireSize == 4) return SetRange(range, 0, kMsPerDay - 1);
  }
}

void Var_GetSpinner(int elementIndex, const PlcVariable* var, int view, VarSpinner* spinner) {
  if (!spinner) return;
  *spinner = {};
  Var_ValueRange(elementIndex, var, view, &spinner->range);
  view = ResolveView(elementIndex, var, view);
  if (!var || !IsIntegerView(view) || var->wireSize == 8 || !spinner->range.checked) return;
  spinner->used = 1;
  const VarValueRange& r = spinner->range;
  if (r.min == 0 && r.max == UINT32_MAX) {
    spinner->low = INT32_MIN;
    spinner->high = INT32_MAX;
    spinner->offset = std::int64_t{1} << 31;
  } else {
    spinner->low = static_cast<std::int32_t>(r.min);
    spinner->high = static_cast<std::int32_t>(r.max);
  }
  using A = VarSpinner::Accel;
  auto set = [&](std::initializer_list<A> steps) {
    for (const A& a : steps) spinner->accel[spinner->accelCount++] = a;
  };
  if (var->type == S7_TYPE_BIT) return;
  if (IsDuration(var->type)) return set({{0, 1}, {2, 1000}, {10, 100000}});
  switch (var->wireSize) {
    case 1: return set({{0, 1}});
    case 2: return set({{0, 1}, {2, 100}});
    default: return set({{0, 1}, {2, 1000}, {10, 1000000}});
  }
}

std::int32_t Var_SpinnerPosition(const VarSpinner* spinner, std::int64_t value) {
  if (!spinner) return 0;
  std::int64_t p = value - spinner->offset;
  if (p < spinner->low) p = spinner->low;
  if (p > spinner->high) p = spinner->high;
  return static_cast<std::int32_t>(p);
}

std::int64_t Var_SpinnerStep(const VarSpinner* spinner, std::int32_t position, int delta) {
  if (!spinner) return 0;
  std::int64_t v = std::int64_t{position} + spinner->offset + delta;
  if (spinner->range.checked) {
    if (v < spinner->range.min) v = spinner->range.min;
    if (v > spinner->range.max) v = spinner->range.max;
  }
  return v;
}

int Var_ReadValue(int elementIndex, const PlcVariable* var, const char* text, std::int64_t* value,
                  CalendarRecord* calendar) {
  std::int64_t current;
  if (!Var_GetElement(elementIndex, var, &current, nullptr)) return VAR_VALUE_NO_ELEMENT;
  if (!text) text = "";
  if (Var_IsTextType(var->type)) {
    // A text is taken as typed: its blanks are characters, and an empty one is a value.
    std::int64_t length = 0;
    const int rc = ReadText(var, text, &length);
    if (rc == VAR_VALUE_OK && value) *value = length;
    return rc;
  }
  const std::size_t length = std::strlen(text);
  if (length > static_cast<std::size_t>(kVarValueInputMax)) return VAR_VALUE_TOO_LONG;
  char buf[kVarValueInputMax + 1];
  std::memcpy(buf, text, length + 1);
  const int view = Var_EffectiveView(elementIndex, var);
  if (view != VAR_VIEW_CHAR) {
    TrimInPlace(buf, kTrimBoth);
    for (char* p = buf; *p; ++p) *p = static_cast<char>(ToLower(static_cast<unsigned char>(*p)));
  }
  if (!buf[0]) return VAR_VALUE_EMPTY;

  VarValueRange range;
  Var_ValueRange(elementIndex, var, view, &range);
  std::int64_t v = 0;
  int rc = VAR_VALUE_OK;
  bool isSigned = true;
  switch (view) {
    case VAR_VIEW_BIN:
      isSigned = false;
      if (var->type == S7_TYPE_BIT) {
        rc = ReadWhole(buf, kReadLenientGroups | kReadGroups | kReadBinary, &v);
      } else if (buf[0] != '0' || buf[1] != 'b') {
        rc = VAR_VALUE_PREFIX;
      } else {
        // After the prefix the digits must start at once: no blank, no sign.
        const auto next = static_cast<unsigned char>(buf[2]);
        rc = next < '0' ? VAR_VALUE_NUMBER : ReadWhole(buf + 2, kReadLenientGroups | kReadGroups | kReadBinary, &v);
      }
      break;
    case VAR_VIEW_HEX:
      isSigned = false;
      if (buf[0] != '0' || buf[1] != 'x') rc = VAR_VALUE_PREFIX;
      else rc = ReadWhole(buf + 2, kReadLenientGroups | kReadGroups | kReadHex, &v);
      break;
    case VAR_VIEW_DEC_SIGNED:
      if (var->wireSize == 8 && buf[0] == '-') {
        // The reader stops short of -2^63, the least 64-bit number: read
        // the magnitude and take it away.
        std::int64_t magnitude = 0;
        rc = ReadWhole(buf + 1, kReadLenientGroups | kReadGroups | kReadUnsigned, &magnitude);
        const auto m = static_cast<std::uint64_t>(magnitude);
        if (rc == VAR_VALUE_OK && m > (std::uint64_t{1} << 63)) rc = VAR_VALUE_BELOW;
        if (rc == VAR_VALUE_OK) v = static_cast<std::int64_t>(0 - m);
        break;
      }
      rc = ReadWhole(buf, kReadLenientGroups | kReadGroups, &v);
      // The reader hands a positive number of 2^63 or more back wrapped.
      if (rc == VAR_VALUE_OK && v < 0 && buf[0] != '-') rc = VAR_VALUE_ABOVE;
      break;
    case VAR_VIEW_DEC:
      isSigned = false;
      rc = ReadWhole(buf, kReadLenientGroups | kReadGroups | kReadUnsigned, &v);
      break;
    case VAR_VIEW_CHAR:
      isSigned = false;
      if (var->type == S7_TYPE_WCHAR) rc = ReadWideChar(buf, &v);
      else if (buf[1] == 0) v = static_cast<unsigned char>(buf[0]);
      else if (buf[0] != '#' || ReadWhole(buf + 1, kReadUnsigned, &v) != VAR_VALUE_OK) rc = VAR_VALUE_CHAR;
      break;
    case VAR_VIEW_REAL:
      rc = var->type == S7_TYPE_LREAL ? ReadLongRealText(buf, &v) : ReadRealText(buf, &v);
      break;
    case VAR_VIEW_TIME:
      rc = var->type == S7_TYPE_LTIME ? ReadLongDuration(buf, &v) : ReadDuration(buf, &v);
      break;
    case VAR_VIEW_DATE_TIME:
      if (var->type >= kVarClassicTypeCount) rc = ReadLongDateTime(buf, var->type, &v);
      else rc = ReadDateTimeText(buf, var->wireSize, &v, calendar);
      break;
    default:
      rc = VAR_VALUE_NUMBER;
      break;
  }
  if (rc == VAR_VALUE_OK) rc = CheckRange(range, v, isSigned);
  if (rc == VAR_VALUE_OK && value) *value = v;
  return rc;
}

int Var_EnterValue(int elementIndex, PlcVariable* var, const char* text) {
  std::int64_t value = 0;
  CalendarRecord calendar;
  const int rc = Var_ReadValue(elementIndex, var, text, &value, &calendar);
  if (rc != VAR_VALUE_OK) return rc;
  if (Var_IsTextType(var->type)) {
    std::u16string units;
    Var_UnescapeText(text, var->type, &units);
    Var_PutTextUnits(elementIndex, var, units);
    return rc;
  }
  // The newer stamps read to the nanosecond, which no calendar record holds.
  const bool viaCalendar =
      Var_EffectiveView(elementIndex, var) == VAR_VIEW_DATE_TIME && var->type < kVarClassicTypeCount;
  Var_PutElement(elementIndex, var, value, viaCalendar ? &calendar : nullptr);
  return rc;
}

const char* Var_ValueErrorText(int code) {
  static constexpr const char* kTexts[VAR_VALUE_CODE_COUNT] = {
      "valid",
      "no such element",
      "no value given",
      "longer than 255 characters",
      "the prefix is missing",
      "not a number",
      "below the minimum",
      "above the maximum",
      "neither one character nor # and a code",
      "not a real number",
      "beyond the range of a REAL",
      "a time part without its number",
      "a number without a unit",
      "time units out of order",
      "a sign on a later time part",
      "not a valid date",
      "not a valid time of day",
      "longer than the text's maximum length",
      "a bad escape or a letter the text cannot hold",
      "beyond the range of an LREAL",
  };
  return code >= 0 && code < VAR_VALUE_CODE_COUNT ? kTexts[code] : "unknown refusal";
}

int Var_DescribeValueError(int code, int elementIndex, const PlcVariable* var, const char* text, char* out,
                           std::size_t size) {
  if (!out || size == 0) return 0;
  if (!text) text = "";
  const int view = var ? Var_EffectiveView(elementIndex, var) : VAR_VIEW_DEC;
  const int wire = var ? var->wireSize : 0;
  switch (code) {
    case VAR_VALUE_PREFIX:
      return FormatTextN(out, size, "%40s: a %s value starts with %s", text,
                         view == VAR_VIEW_BIN ? "binary" : "hexadecimal", view == VAR_VIEW_BIN ? "0b" : "0x");
    case VAR_VALUE_NUMBER: {
      const char* noun = view == VAR_VIEW_BIN   ? "binary number"
                         : view == VAR_VIEW_HEX ? "hexadecimal number"
                         : view == VAR_VIEW_DEC ? "decimal number without a sign"
                         : view == VAR_VIEW_TIME ? "duration that fits 32 bits"
                                                 : "decimal number";
      return FormatTextN(out, size, "%40s is not a %s", text, noun);
    }
    case VAR_VALUE_BELOW:
    case VAR_VALUE_ABOVE: {
      VarValueRange r;
      Var_ValueRange(elementIndex, var, view, &r);
      const std::int64_t bound = code == VAR_VALUE_BELOW ? r.min : r.max;
      char limit[kVarValueTextMax];
      if (view == VAR_VIEW_HEX) {
        FormatTextN(limit, sizeof limit, "0x%llx", static_cast<long long>(bound));
      } else if (view == VAR_VIEW_BIN && var && var->type != S7_TYPE_BIT) {
        FormatTextN(limit, sizeof limit, "0b%llb", static_cast<long long>(bound));
      } else if (view == VAR_VIEW_TIME) {
        FormatDurationText(limit, sizeof limit, bound);
      } else if (view == VAR_VIEW_DATE_TIME && var && var->type >= kVarClassicTypeCount) {
        FormatLongDateTime(limit, sizeof limit, var->type, bound);
      } else if (view == VAR_VIEW_DATE_TIME) {
        CalendarRecord c = code == VAR_VALUE_BELOW ? kDateAndTimeFirst : kDateAndTimeLast;
        if (wire == 2) {
          Cal_DateFrom1990(bound, &c);
          FormatTextN(limit, sizeof limit, "%D", &c);
        } else if (wire == 4) {
          Cal_TimeFromMs(static_cast<std::uint32_t>(bound), &c);
          FormatTextN(limit, sizeof limit, "%.3T", &c);
        } else {
          FormatTextN(limit, sizeof limit, "%D.%.3T", &c, &c);
        }
      } else {
        FormatTextN(limit, sizeof limit, "%lld", static_cast<long long>(bound));
      }
      return FormatTextN(out, size, "%40s is %s %s", text, code == VAR_VALUE_BELOW ? "below" : "above", limit);
    }
    case VAR_VALUE_TEXT_LONG:
      return FormatTextN(out, size, "%40s is longer than %d characters", text, var ? var->textMax : 0);
    case VAR_VALUE_ESCAPE:
      return FormatTextN(out, size, "%40s: \\ stands before \\ or uXXXX, and a String holds code page 1250 letters only", text);
    case VAR_VALUE_LREAL_RANGE:
      return FormatTextN(out, size, "%40s is beyond the range of an LREAL (-1.7976931348623157e+308 to 1.7976931348623157e+308)", text);
    case VAR_VALUE_REAL_RANGE:
      return FormatTextN(out, size, "%40s is beyond the range of a REAL (-3.402823e+38 to 3.402823e+38)", text);
    case VAR_VALUE_TIME_UNIT:
      return FormatTextN(out, size, "%40s: a number without a unit (d, h, m, s, ms)", text);
    case VAR_VALUE_TIME_ORDER:
      return FormatTextN(out, size, "%40s: time units out of order (d h m s ms, each once)", text);
    case VAR_VALUE_DATE: {
      const int order = CurrentNumberSettings().dateOrder;
      const char* date = order == 0 ? "YYYY.MM.DD" : order == 1 ? "MM.DD.YYYY" : "DD.MM.YYYY";
      return FormatTextN(out, size, "%40s is not a date %s%s", text, date,
                         wire == 8 ? ".hh:mm:ss[.mmm]" : "");
    }
    case VAR_VALUE_TIME_OF_DAY:
      return FormatTextN(out, size, "%40s is not a time of day hh:mm:ss[.mmm]", text);
    case VAR_VALUE_NO_ELEMENT:
    case VAR_VALUE_EMPTY:
    case VAR_VALUE_TOO_LONG:
      return FormatTextN(out, size, "%s", Var_ValueErrorText(code));
    default:
      return FormatTextN(out, size, "%40s: %s", text, Var_ValueErrorText(code));
  }
}
