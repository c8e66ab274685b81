// The text of an element value in its display mode: binary, hexadecimal and
// decimal notations, characters, reals with at most eight significant digits,
// durations such as «1d1h1m1s1ms», dates and times of day.
#include <cmath>
#include <cstring>

#include "vars/calendar.h"
#include "vars/format.h"
#include "vars/longtypes.h"
#include "vars/valuetext.h"
#include "vars/valuetext_internal.h"
#include "vars/varmodel.h"

namespace {

constexpr std::uint64_t kMsPerDay = 86400000;

// One integer after an optional prefix; the prefix is 2 characters, the
// integer at most kIntegerTextMax.
int PutInteger(char* out, const char* prefix, std::int64_t value, unsigned flags, int digits) {
  int n = 0;
  if (prefix) {
    std::memcpy(out, prefix, 2);
    n = 2;
  }
  const auto bits = static_cast<std::uint64_t>(value);
  return n + FormatInteger(out + n, static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32),
                           flags, digits, 0);
}

// A REAL with at most eight significant digits: exponent form outside
// 0.000001 … 10,000,000, else fixed with the decimals the integer part
// leaves, grouped, trailing zeros dropped but one kept.
int PutReal(char* out, std::uint32_t bits) {
  float single;
  std::memcpy(&single, &bits, 4);
  const double x = single;
  const double magnitude = std::fabs(x);
  if (magnitude >= 1e7 || (x != 0 && magnitude < 1e-6))
    return FormatReal(out, x, kFmtExponent | kFmtGroup, 6, 0);
  char whole[kRealTextMax];
  const int m = FormatReal(whole, magnitude, 0, 0, 0);
  int precision = 8 - m;
  if (precision > 6) precision = 6;
  if (precision < 0) precision = 0;
  return FormatReal(out, x, kFmtGroup | kFmtTrimZeros | kFmtKeepOneDecimal, precision, 0);
}

}  // namespace

int FormatDurationParts(char* out, std::size_t size, bool negative, std::uint64_t milliseconds,
                        std::uint32_t belowMs) {
  if (!out || size == 0) return 0;
  int n = 0;
  auto put = [&](const char* format, unsigned long long part) {
    n += FormatTextN(out + n, size - static_cast<std::size_t>(n), format, part);
  };
  std::uint64_t rest = milliseconds;
  out[0] = 0;
  if (negative) n += FormatTextN(out, size, "-");
  const int before = n;
  if (const std::uint64_t days = rest / kMsPerDay) put("%llud", days);
  rest %= kMsPerDay;
  if (const std::uint64_t h = rest / 3600000) put("%lluh", h);
  if (const std::uint64_t m = rest / 60000 % 60) put("%llum", m);
  if (const std::uint64_t s = rest / 1000 % 60) put("%llus", s);
  if (belowMs != 0) {
    // Six digits below the millisecond at most, trailing zeros dropped.
    char fraction[8];
    int digits = 6;
    while (belowMs % 10 == 0) belowMs /= 10, --digits;
    fraction[digits] = 0;
    for (int i = digits - 1; i >= 0; --i, belowMs /= 10) fraction[i] = static_cast<char>('0' + belowMs % 10);
    put("%llu.", rest % 1000);
    n += FormatTextN(out + n, size - static_cast<std::size_t>(n), "%sms", fraction);
  } else if (rest % 1000 != 0 || n == before) {
    put("%llums", rest % 1000);
  }
  return n;
}

int FormatDurationText(char* out, std::size_t size, std::int64_t milliseconds) {
  // The magnitude also of the most negative value.
  const std::uint64_t magnitude =
      milliseconds < 0 ? 0 - static_cast<std::uint64_t>(milliseconds) : static_cast<std::uint64_t>(milliseconds);
  return FormatDurationParts(out, size, milliseconds < 0, magnitude, 0);
}

std::string Var_FormatValueString(VarValueForm form, int elementIndex, const PlcVariable* var) {
  if (!var || !Var_IsTextType(var->type)) {
    char text[kVarValueTextMax];
    const int n = Var_FormatValue(form, elementIndex, var, text);
    return std::string(text, static_cast<std::size_t>(n));
  }
  std::int64_t ignored;
  if (!Var_GetElement(elementIndex, var, &ignored, nullptr)) return {};
  std::string text = Var_EscapeText(Var_TextUnits(elementIndex, var));
  if (!form.bareCharacter) text = "'" + text + "'";
  if (form.trailingBlank) text += ' ';
  return text;
}

int Var_FormatValue(VarValueForm form, int elementIndex, const PlcVariable* var, char* text) {
  if (!text) return 0;
  text[0] = 0;
  if (var && Var_IsTextType(var->type)) {
    // A list line shows what fits; the whole text is Var_FormatValueString's.
    const std::string whole = Var_FormatValueString(form, elementIndex, var);
    const std::size_t n = whole.size() < kVarValueTextMax - 1 ? whole.size() : kVarValueTextMax - 1;
    std::memcpy(text, whole.data(), n);
    text[n] = 0;
    return static_cast<int>(n);
  }
  std::int64_t value = 0;
  if (!Var_GetElement(elementIndex, var, &value, nullptr)) return 0;
  const int view = Var_EffectiveView(elementIndex, var);
  const int wire = var->wireSize;
  const auto raw = static_cast<std::uint64_t>(value);

  char buf[2 * kRealTextMax];
  int n = 0;
  if (var->type == S7_TYPE_BIT && view >= VAR_VIEW_BIN && view <= VAR_VIEW_DEC) {
    n = PutInteger(buf, nullptr, value, 0, 0);
  } else {
    switch (view) {
      case VAR_VIEW_BIN:
        n = PutInteger(buf, "0b", value, kFmtBinary | kFmtZeroPad | kFmtGroup, 8 * wire);
        break;
      case VAR_VIEW_HEX:
        n = PutInteger(buf, "0x", value, kFmtHex | kFmtZeroPad | kFmtGroup, 2 * wire);
        break;
      case VAR_VIEW_DEC_SIGNED:
        n = PutInteger(buf, nullptr, value, kFmtGroup, 0);
        break;
      case VAR_VIEW_DEC:
        n = PutInteger(buf, nullptr, value, kFmtGroup | kFmtUnsigned, 0);
        break;
      case VAR_VIEW_CHAR: {
        if (var->type == S7_TYPE_WCHAR) {
          n = FormatWideChar(buf, sizeof buf, static_cast<char16_t>(raw), form.bareCharacter);
          break;
        }
        const int c = static_cast<int>(raw & 0xFF);
        if (c < 32) n = FormatTextN(buf, sizeof buf, "#%d", c);
        else if (form.bareCharacter) n = FormatTextN(buf, sizeof buf, "%c", c);
        else n = FormatTextN(buf, sizeof buf, "'%c' (#%d)", c, c);
        break;
      }
      case VAR_VIEW_REAL:
        if (var->type == S7_TYPE_LREAL) n = FormatLongReal(buf, sizeof buf, raw);
        else n = PutReal(buf, static_cast<std::uint32_t>(raw));
        break;
      case VAR_VIEW_TIME:
        if (var->type == S7_TYPE_LTIME) n = FormatLongDuration(buf, sizeof buf, value);
        else n = FormatDurationText(buf, sizeof buf, value);
        break;
      case VAR_VIEW_DATE_TIME: {
        CalendarRecord c = {};
        if (var->type == S7_TYPE_DTL) {
          n = FormatDtlText(buf, sizeof buf, var->values + static_cast<std::size_t>(elementIndex) * 12);
        } else if (var->type >= kVarClassicTypeCount) {
          n = FormatLongDateTime(buf, sizeof buf, var->type, value);
        } else if (wire == 2) {
          Cal_DateFrom1990(static_cast<std::int64_t>(raw), &c);
          n = FormatTextN(buf, sizeof buf, "%D", &c);
        } else if (wire == 4) {
          Cal_TimeFromMs(static_cast<std::uint32_t>(raw), &c);
          n = FormatTextN(buf, sizeof buf, "%.3T", &c);
        } else {
          Var_GetElement(elementIndex, var, nullptr, &c);
          n = FormatTextN(buf, sizeof buf, "%D.%.3T", &c, &c);
        }
        break;
      }
      default:
        break;
    }
  }
  if (form.trailingBlank) buf[n++] = ' ';
  if (n > kVarValueTextMax - 1) n = kVarValueTextMax - 1;
  std::memcpy(text, buf, static_cast<std::size_t>(n));
  text[n] = 0;
  return n;
}
