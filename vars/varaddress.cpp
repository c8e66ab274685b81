// Address texts of variables and elements («DB1.DBW2», «M10.3:8 (Bit)») and
// their reverse, the definition text that variable table files store and the
// command line takes: «DB1.DBW2:3 (Int)».
#include <cstring>

#include "vars/format.h"
#include "vars/longtypes.h"
#include "vars/readers.h"
#include "vars/texthelp.h"
#include "vars/varaddress.h"
#include "vars/varmodel.h"

namespace {

// The size letter's index in "XBWDQ": the classic types' by their wire
// size (bit, then 1, 2, 4, 8 bytes), the newer ones' from their row.
int SizeIndex(int type, int wireSize) {
  if (type == S7_TYPE_BIT) return 0;
  if (type >= kVarClassicTypeCount && Var_TypeInfo(type)) return Var_TypeInfo(type)->sizeIndex;
  switch (wireSize) {
    case 1: return 1;
    case 2: return 2;
    case 4: return 3;
    case 8: return 4;
    default: return -1;
  }
}

constexpr int kWireOfSize[5] = {0, 1, 2, 4, 8};

// The definition text is read in place, upper-cased on the fly, between a
// cursor and the end left by trimming; the number reader stops by itself at
// the blanks and the ")" that follow a number.
struct Cursor {
  const char* text;
  int pos;
  int end;

  int Peek() const { return pos < end ? UpperCaseChar(static_cast<unsigned char>(text[pos])) : 0; }
  bool Take(char c) {
    if (Peek() != static_cast<unsigned char>(c)) return false;
    ++pos;
    return true;
  }
  void SkipBlanks() {
    while (pos < end && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  }
  // An unsigned decimal within [low, high]; blanks before the digits are skipped.
  bool Number(std::int64_t low, std::int64_t high, std::int32_t* out) {
    int consumed = 0;
    const std::int64_t v = ParseInteger(text + pos, kReadUnsigned, 0, &consumed);
    if (consumed <= 0 || pos + consumed > end || v < low || v > high) return false;
    pos += consumed;
    *out = static_cast<std::int32_t>(v);
    return true;
  }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int TypeNamed(const char* text, int begin, int end);

// The type named between the parentheses, or −1; a String or WString
// takes its maximum from "[n]" after the name (none: kVarTextMaxDefault).
int TypeFromName(const char* text, int begin, int end, int* textMax) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  *textMax = 0;
  int nameEnd = end;
  if (end > begin && text[end - 1] == ']') {
    int open = end - 1;
    while (open > begin && text[open] != '[') --open;
    if (text[open] != '[') return -1;
    Cursor c{text, open + 1, end - 1};
    std::int32_t n = 0;
    c.SkipBlanks();
    if (!c.Number(1, kVarWStringMax, &n)) return -1;
    c.SkipBlanks();
    if (c.pos != c.end) return -1;
    *textMax = n;
    nameEnd = open;
    while (nameEnd > begin && IsBlank(text[nameEnd - 1])) --nameEnd;
  }
  const int type = TypeNamed(text, begin, nameEnd);
  if (type < 0) return -1;
  if (*textMax != 0 && !Var_TextWireSize(type, *textMax)) return -1;
  if (Var_IsTextType(type) && *textMax == 0) *textMax = kVarTextMaxDefault;
  return type;
}

int TypeNamed(const char* text, int begin, int end) {
  const int length = end - begin;
  for (int type = 0; type < kVarTypeCount; ++type) {
    const char* name = Var_TypeName(type);
    if (!name || static_cast<int>(std::strlen(name)) != length) continue;
    int i = 0;
    while (i < length && UpperCaseChar(static_cast<unsigned char>(text[begin + i])) ==
                             UpperCaseChar(static_cast<unsigned char>(name[i])))
      ++i;
    if (i == length) return type;
  }
  return -1;
}

}  // namespace

int Var_FormatAddress(VarAddressForm form, int elementIndex, const PlcVariable* var, char* text,
                      int* width) {
  if (!text) return 0;
  text[0] = 0;
  if (!var) return 0;
  const bool isBit = var->type == S7_TYPE_BIT;
  // Addresses are worked out in 64 bits: an element index or start beyond
  // what the PLC has must still give a text, not an overflow.
  std::int64_t address;
  std::int64_t bit = 0;
  if (isBit) {
    const std::int64_t n = std::int64_t{elementIndex} + var->bit;
    address = var->start + n / 8;
    bit = n % 8;
  } else if (var->type == S7_TYPE_TIMER || var->type == S7_TYPE_COUNTER) {
    address = std::int64_t{var->start} + elementIndex;
  } else {
    address = var->start + std::int64_t{elementIndex} * var->wireSize;
  }
  const int sizeIndex = SizeIndex(var->type, var->wireSize);
  const int sizeLetter = sizeIndex >= 0 ? kVarSizeLetters[sizeIndex] : '?';

  char* out = text;
  std::size_t room = kVarAddressTextMax;
  int n = 0;
  auto advance = [&](int written) {
    n += written;
    out = text + n;
    room = kVarAddressTextMax - static_cast<std::size_t>(n);
  };
  if (form.leadingBlank) advance(FormatTextN(out, room, " "));
  int letter;
  if (var->area == S7_AREA_DB) {
    advance(FormatTextN(out, room, "DB%d.DB", var->dbNumber));
    letter = sizeLetter;
  } else {
    const int areaLetter = var->area >= 0 && var->area < kVarAreaCount ? kVarAreaLetters[var->area] : '?';
    advance(FormatTextN(out, room, "%c", areaLetter));
    letter = isBit || var->area == S7_AREA_TIMERS || var->area == S7_AREA_COUNTERS ? 0 : sizeLetter;
  }
  advance(FormatTextN(out, room, "%[%c%]%lld%[.%lld%]", letter, letter, static_cast<long long>(address),
                      static_cast<long long>(bit), isBit ? 1 : 0));
  if (width && *width < n) *width = n;
  if (form.withCount) advance(FormatTextN(out, room, ":%d", var->count));
  if (form.withType) {
    const char* name = Var_TypeName(var->type);
    if (Var_IsTextType(var->type)) advance(FormatTextN(out, room, " (%s[%d])", name, var->textMax));
    else advance(FormatTextN(out, room, " (%s)", name ? name : "?"));
  }
  return n;
}

int Var_ParseDefinition(const char* text, PlcVariable* var) {
  if (!text || !var) return 0;
  Cursor c{text, 0, static_cast<int>(std::strlen(text))};
  while (c.pos < c.end && IsBlank(text[c.pos])) ++c.pos;
  while (c.end > c.pos && IsBlank(text[c.end - 1])) --c.end;
  if (c.pos == c.end) return 0;

  const char* areaAt = std::strchr(kVarAreaLetters, c.Peek());
  if (!c.Peek() || !areaAt) return 0;
  const int area = static_cast<int>(areaAt - kVarAreaLetters);
  ++c.pos;

  std::int32_t db = 0, address = 0, bit = 0, count = 0;
  int sizeIndex;
  if (area == S7_AREA_DB) {
    if (!c.Take('B') || !c.Number(1, kVarDbNumberMax, &db)) return 0;
    if (!c.Take('.') || !c.Take('D') || !c.Take('B')) return 0;
    const char* at = c.Peek() ? std::strchr(kVarSizeLetters, c.Peek()) : nullptr;
    if (!at) return 0;
    sizeIndex = static_cast<int>(at - kVarSizeLetters);
    ++c.pos;
  } else if (area == S7_AREA_TIMERS || area == S7_AREA_COUNTERS) {
    sizeIndex = 2;
  } else {
    const int next = c.Peek();
    const char* at = next && next != 'X' ? std::strchr(kVarSizeLetters, next) : nullptr;
    if (at) {
      sizeIndex = static_cast<int>(at - kVarSizeLetters);
      ++c.pos;
    } else if (next >= '0' && next <= '9') {
      sizeIndex = 0;
    } else {
      return 0;
    }
  }
  if (!c.Number(0, kVarAddressMax, &address)) return 0;
  if (sizeIndex == 0) {
    if (!c.Take('.')) return 0;
    const int digit = c.Peek();
    if (digit < '0' || digit > '7') return 0;
    bit = digit - '0';
    ++c.pos;
  }
  c.SkipBlanks();
  if (!c.Take(':') || !c.Number(0, kVarDefinitionCountMax, &count)) return 0;
  c.SkipBlanks();
  if (c.end - c.pos < 2 || text[c.pos] != '(' || text[c.end - 1] != ')') return 0;
  int textMax = 0;
  const int type = TypeFromName(text, c.pos + 1, c.end - 1, &textMax);
  if (type < 0 || count > Var_MaxCount(type)) return 0;
  if (textMax && std::int64_t{count} * Var_TextWireSize(type, textMax) > kVarBytesMax) return 0;

  PlcVariable parsed;
  Var_Init(1, type, area, count, &parsed);
  parsed.textMax = textMax;
  Var_Init(0, -1, -1, 0, &parsed);
  if (type >= kVarClassicTypeCount ? sizeIndex != SizeIndex(type, parsed.wireSize)
      : sizeIndex == 0 ? type != S7_TYPE_BIT : parsed.wireSize != kWireOfSize[sizeIndex])
    return 0;
  if (type == S7_TYPE_BIT && count > 1 && (bit != 0 || count % 8 != 0)) return 0;
  parsed.dbNumber = db;
  parsed.start = address;
  parsed.bit = bit;
  if (!Var_AllocBlock(&parsed)) return 0;
  // A DTL starts as 1970-01-01, a text empty with its maximum: what the
  // definition dialog gives them too, and bytes a PLC would take.
  for (int i = 0; i < count && type == S7_TYPE_DTL; ++i) Var_PutElement(i, &parsed, 0, nullptr);
  for (int i = 0; i < count && Var_IsTextType(type); ++i) Var_PutTextUnits(i, &parsed, u"");
  *var = parsed;
  return 1;
}
