// The variable record: the type, area and view tables, the derived sizes,
// the one block each variable owns, and reading and writing single element
// slots (also through a calendar record for dates and times).
#include <cstring>

#include "res/strings.h"
#include "runtime/runtime.h"
#include "vars/calendar.h"
#include "vars/longtypes.h"
#include "vars/texthelp.h"
#include "vars/varmodel.h"

namespace {

constexpr unsigned V(int view) { return 1u << view; }
constexpr unsigned kIntegerViews = V(VAR_VIEW_BIN) | V(VAR_VIEW_HEX) | V(VAR_VIEW_DEC_SIGNED) | V(VAR_VIEW_DEC);

constexpr VarTypeInfo kTypes[kVarTypeCount] = {
    {1, 4, VAR_VIEW_DEC_SIGNED, 0, 0},  // Bit
    {1, 4, VAR_VIEW_HEX, 1, 0},         // Byte
    {1, 4, VAR_VIEW_DEC_SIGNED, 1, 0},  // Short
    {1, 1, VAR_VIEW_CHAR, 1, 0},        // Char
    {2, 4, VAR_VIEW_HEX, 2, 0},         // Word
    {2, 4, VAR_VIEW_DEC_SIGNED, 2, 0},  // Int
    {4, 4, VAR_VIEW_HEX, 3, 0},         // DWord
    {4, 4, VAR_VIEW_DEC_SIGNED, 3, 0},  // DInt
    {4, 4, VAR_VIEW_TIME, 3, 0},        // Time
    {4, 4, VAR_VIEW_DATE_TIME, 3, 0},   // TOD
    {2, 4, VAR_VIEW_TIME, 2, 0},        // S5Time
    {4, 4, VAR_VIEW_REAL, 3, 0},        // Real
    {8, 8, VAR_VIEW_DATE_TIME, 4, 0},   // Date&Time
    {2, 4, VAR_VIEW_DATE_TIME, 2, 0},   // Date
    {2, 4, VAR_VIEW_TIME, 2, 0},        // Timer
    {2, 4, VAR_VIEW_DEC_SIGNED, 2, 0},  // Counter
    // The newer types are addressed by their first byte, whatever their size,
    // as their data blocks list them.
    {1, 4, VAR_VIEW_DEC, 1, kIntegerViews | V(VAR_VIEW_CHAR)},                    // USInt
    {2, 4, VAR_VIEW_DEC, 2, kIntegerViews},                                       // UInt
    {4, 4, VAR_VIEW_DEC, 3, kIntegerViews},                                       // UDInt
    {8, 8, VAR_VIEW_DEC_SIGNED, 1, kIntegerViews},                                // LInt
    {8, 8, VAR_VIEW_DEC, 1, kIntegerViews},                                       // ULInt
    {8, 8, VAR_VIEW_HEX, 1, kIntegerViews},                                       // LWord
    {8, 8, VAR_VIEW_REAL, 1, V(VAR_VIEW_HEX) | V(VAR_VIEW_REAL)},                 // LReal
    {2, 4, VAR_VIEW_CHAR, 2, V(VAR_VIEW_HEX) | V(VAR_VIEW_DEC) | V(VAR_VIEW_CHAR)},  // WChar
    {0, 0, VAR_VIEW_CHAR, 1, V(VAR_VIEW_CHAR)},                                   // String
    {0, 0, VAR_VIEW_CHAR, 1, V(VAR_VIEW_CHAR)},                                   // WString
    {12, 12, VAR_VIEW_DATE_TIME, 1, V(VAR_VIEW_DATE_TIME)},                       // DTL
    {8, 8, VAR_VIEW_TIME, 1, V(VAR_VIEW_TIME) | V(VAR_VIEW_DEC_SIGNED) | V(VAR_VIEW_HEX)},  // LTime
    {8, 8, VAR_VIEW_DATE_TIME, 1, V(VAR_VIEW_DATE_TIME) | V(VAR_VIEW_DEC) | V(VAR_VIEW_HEX)},  // LTOD
    {8, 8, VAR_VIEW_DATE_TIME, 1, V(VAR_VIEW_DATE_TIME) | V(VAR_VIEW_DEC) | V(VAR_VIEW_HEX)},  // LDT
};

bool IsDuration(int type) { return type == S7_TYPE_S5TIME || type == S7_TYPE_TIMER; }

// Which views a type offers, from the rules: the integer notations for all
// but Bit (binary only) and Date&Time (hexadecimal only), signed decimal never
// for Timer and Counter, Char for the byte types, Real for Real, Time for the
// 4-byte integers and the S5 durations, Date/Time for every 2-, 4- and 8-byte
// type but Timer and Counter.
constexpr bool Admits(int type, int view) {
  if (kTypes[type].views) return view > 0 && view < kVarViewCount && (kTypes[type].views & V(view)) != 0;
  const int wire = kTypes[type].wireSize;
  const bool byteType = type == S7_TYPE_BYTE || type == S7_TYPE_SHORT || type == S7_TYPE_CHAR;
  const bool counting = type == S7_TYPE_TIMER || type == S7_TYPE_COUNTER;
  auto integerView = [&](int v) {
    if (byteType) return true;
    if (type == S7_TYPE_BIT) return v == VAR_VIEW_BIN;
    if (type == S7_TYPE_DATETIME) return v == VAR_VIEW_HEX;
    return true;
  };
  switch (view) {
    case VAR_VIEW_BIN:
    case VAR_VIEW_HEX:
    case VAR_VIEW_DEC:
      return integerView(view);
    case VAR_VIEW_DEC_SIGNED:
      return integerView(view) && !counting;
    case VAR_VIEW_CHAR:
      return byteType;
    case VAR_VIEW_REAL:
      return type == S7_TYPE_REAL;
    case VAR_VIEW_TIME:
      return type == S7_TYPE_DWORD || type == S7_TYPE_DINT || type == S7_TYPE_TIME ||
             type == S7_TYPE_TOD || IsDuration(type);
    case VAR_VIEW_DATE_TIME:
      return wire >= 2 && !counting;
    default:
      return false;
  }
}

bool HasElement(const PlcVariable* var, int index) {
  if (!var || !var->values || index < 0 || index >= var->count) return false;
  if (!Var_TypeInfo(var->type)) return false;
  // The sizes may have been changed behind the block's back: never reach past it.
  const int slot = var->slotSize;
  const std::int64_t end = (static_cast<std::int64_t>(index) + 1) * slot;
  const bool byteString = Var_IsTextType(var->type) || var->type == S7_TYPE_DTL;
  const bool sized = byteString ? slot == var->wireSize && slot >= 4 : (slot == 1 || slot == 4 || slot == 8);
  return sized && end <= var->bufferSize;
}

std::uint8_t* Slot(const PlcVariable* var, int index) {
  return var->values + static_cast<std::size_t>(index) * static_cast<std::size_t>(var->slotSize);
}

std::uint32_t LoadU32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The raw slot bits, unsigned, as wide as the element keeps them.
std::uint64_t RawSlot(const PlcVariable* var, int index) {
  const std::uint8_t* p = Slot(var, index);
  if (var->slotSize == 1) return p[0];
  if (var->type == S7_TYPE_DTL) return static_cast<std::uint64_t>(Var_DtlNanos(p));
  if (var->slotSize == 8) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  const std::uint32_t v = LoadU32(p);
  switch (var->wireSize) {
    case 1: return v & 0xFF;
    case 2: return IsDuration(var->type) ? v : (v & 0xFFFF);
    default: return v;
  }
}

void LocalNow(CalendarRecord* record) {
  PlatCalendar now;
  Plat_LocalTime(&now);
  *record = {now.year, now.month, now.weekday, now.day, now.hour, now.minute, now.second, now.milliseconds};
}

// A record whose date (and, with withTime, time of day) is real.
bool ValidCalendar(const CalendarRecord* c, bool withDate, bool withTime) {
  CalendarRecord probe = *c;
  probe.weekday = 0;
  if (!withDate) probe.year = 2000, probe.month = 1, probe.day = 1;
  if (!withTime) probe.hour = probe.minute = probe.second = probe.milliseconds = 0;
  return S7_CheckDateTime(&probe) == 1;
}

}  // namespace

const VarTypeInfo* Var_TypeInfo(int type) {
  return type >= 0 && type < kVarTypeCount ? &kTypes[type] : nullptr;
}

int Var_IsTextType(int type) { return type == S7_TYPE_STRING || type == S7_TYPE_WSTRING ? 1 : 0; }

int Var_TextMaxLimit(int type) {
  return type == S7_TYPE_STRING ? kVarStringMax : type == S7_TYPE_WSTRING ? kVarWStringMax : 0;
}

int Var_TextWireSize(int type, int textMax) {
  if (textMax < 1 || textMax > Var_TextMaxLimit(type)) return 0;
  return type == S7_TYPE_STRING ? textMax + 2 : 2 * textMax + 4;
}

int Var_WireCount(const PlcVariable* var) {
  if (!var) return 0;
  if (!Var_IsTextType(var->type)) return var->count;
  const std::int64_t bytes = std::int64_t{var->count} * var->wireSize;
  return bytes >= 0 && bytes <= INT32_MAX ? static_cast<int>(bytes) : 0;
}

int Var_MaxCount(int type) {
  const VarTypeInfo* info = Var_TypeInfo(type);
  if (!info) return 0;
  // A run of bits counts whole bytes of 8 bits.
  if (type == S7_TYPE_BIT) return kVarCountLimit / 8 * 8;
  // The shortest text of its kind; a longer maximum allows fewer.
  if (Var_IsTextType(type)) return kVarBytesMax / Var_TextWireSize(type, 1);
  return kVarBytesMax / info->wireSize;
}

const char* Var_TypeName(int type) {
  if (type < 0 || type >= kVarTypeCount) return nullptr;
  return LoadText(type < kVarClassicTypeCount ? IDS_TYPE_BIT + type : IDS_TYPE_USINT + type - kVarClassicTypeCount);
}

const char* Var_AreaName(int area) {
  return area >= 0 && area < kVarAreaCount ? LoadText(IDS_AREA_INPUTS + area) : nullptr;
}

void Var_Init(int reset, int type, int area, int count, PlcVariable* var) {
  if (!var) return;
  if (reset) std::memset(var, 0, sizeof *var);
  if (type >= 0 && type < kVarTypeCount) var->type = type;
  if (area >= 0 && area < kVarAreaCount) var->area = area;
  if (count > 0 && count <= kVarCountLimit) var->count = count;
  if (var->area == S7_AREA_DB) {
    if (var->dbNumber == 0) var->dbNumber = 1;
  } else {
    var->dbNumber = 0;
  }
  const VarTypeInfo* info = Var_TypeInfo(var->type);
  const int count32 = var->count >= 0 && var->count <= kVarCountLimit ? var->count : 0;
  var->wireSize = info ? info->wireSize : 0;
  var->slotSize = info ? info->slotSize : 0;
  if (Var_IsTextType(var->type)) {
    if (!Var_TextWireSize(var->type, var->textMax)) var->textMax = kVarTextMaxDefault;
    var->wireSize = var->slotSize = Var_TextWireSize(var->type, var->textMax);
  } else {
    var->textMax = 0;
  }
  // Sizes are worked out wide: a long text run must not wrap.
  const std::int64_t buffer = std::int64_t{var->slotSize} * count32 + (var->type == S7_TYPE_CHAR ? 1 : 0);
  var->bufferSize = buffer <= INT32_MAX ? static_cast<std::int32_t>(buffer) : 0;
}

int Var_AllocBlock(PlcVariable* var) {
  if (!var) return 0;
  var->values = nullptr;
  var->views = nullptr;
  var->names = nullptr;
  if (var->count < 0 || var->count > kVarCountLimit || var->bufferSize < 0) return 0;
  const std::size_t count = static_cast<std::size_t>(var->count);
  const std::size_t buffer = static_cast<std::size_t>(var->bufferSize);
  auto* block = static_cast<std::uint8_t*>(
      Rt_Alloc(kRtZero | kRtAllowEmpty, 2 * buffer + (1 + kVarNameSize) * count));
  if (!block) return 0;
  var->values = block;
  var->views = block + 2 * buffer;
  var->names = reinterpret_cast<char*>(var->views + count);
  return 1;
}

void Var_FreeBlock(PlcVariable* var) {
  if (!var || !var->values) return;
  Rt_Free(var->values);
  var->values = nullptr;
  var->views = nullptr;
  var->names = nullptr;
}

std::uint8_t* Var_ShownValues(const PlcVariable* var) {
  return var && var->values ? var->values + var->bufferSize : nullptr;
}

int Var_DefaultView(const PlcVariable* var) {
  const VarTypeInfo* info = var ? Var_TypeInfo(var->type) : nullptr;
  return info ? info->defaultView : VAR_VIEW_DEC;
}

int Var_AdmitsView(int type, int view) {
  return type >= 0 && type < kVarTypeCount && Admits(type, view) ? 1 : 0;
}

int Var_EffectiveView(int elementIndex, const PlcVariable* var) {
  int view = 0;
  if (var && var->views && elementIndex >= 0 && elementIndex < var->count) view = var->views[elementIndex];
  return view != VAR_VIEW_DEFAULT && var && Var_AdmitsView(var->type, view) ? view : Var_DefaultView(var);
}

int Var_ListViews(VarViewList form, int elementIndex, const PlcVariable* var, int* count, int* list) {
  int n = 0;
  if (form != VarViewList::Views) list[n++] = IDS_VIEW_DEFAULT;
  if (form == VarViewList::WithDefaultAndGap) list[n++] = 0;
  const int type = var ? var->type : -1;
  for (int view = VAR_VIEW_BIN; view < kVarViewCount; ++view)
    if (Var_AdmitsView(type, view)) list[n++] = IDS_VIEW_DEFAULT + view;
  if (count) *count = n;
  if (!var || !var->views || elementIndex < 0 || elementIndex >= var->count) return 0;
  const int current = IDS_VIEW_DEFAULT + var->views[elementIndex];
  for (int i = 0; i < n; ++i)
    if (list[i] == current) return i;
  return 0;
}

int Var_GetElement(int elementIndex, const PlcVariable* var, std::int64_t* value, CalendarRecord* calendar) {
  if (value) *value = 0;
  if (!HasElement(var, elementIndex)) return 0;
  const std::uint64_t raw = RawSlot(var, elementIndex);
  const int view = Var_EffectiveView(elementIndex, var);
  std::int64_t v = static_cast<std::int64_t>(raw);
  if (view == VAR_VIEW_DEC_SIGNED || view == VAR_VIEW_TIME) {
    switch (var->wireSize) {
      case 1: v = static_cast<std::int8_t>(raw); break;
      case 2: v = IsDuration(var->type) ? static_cast<std::int32_t>(raw) : static_cast<std::int16_t>(raw); break;
      case 4: v = static_cast<std::int32_t>(raw); break;
      default: break;  // 64 bits as they are
    }
  }
  if (value) *value = v;
  if (calendar && var->type >= kVarClassicTypeCount) {
    // Nanosecond stamps: the date of LDT and DTL, today with the time of an LTOD.
    *calendar = {};
    if (var->type == S7_TYPE_LDT || var->type == S7_TYPE_DTL) {
      Var_CalendarFromNanos(v, calendar);
    } else if (var->type == S7_TYPE_LTOD) {
      LocalNow(calendar);
      Cal_TimeFromMs(static_cast<std::uint32_t>(raw % static_cast<std::uint64_t>(kNanosPerDay) / kNanosPerMs),
                     calendar);
    }
  } else if (calendar) {
    // The calendar follows the slot's bits, whatever the view reads.
    switch (var->wireSize) {
      case 2:
        *calendar = {};
        Cal_DateFrom1990(static_cast<std::int64_t>(raw), calendar);
        break;
      case 4:
        LocalNow(calendar);
        Cal_TimeFromMs(static_cast<std::uint32_t>(raw), calendar);
        break;
      case 8:
        S7_DecodeDateTime(Slot(var, elementIndex), calendar);
        break;
      default:
        *calendar = {};
        break;
    }
  }
  return 1;
}

int Var_PutElement(int elementIndex, PlcVariable* var, std::int64_t value, const CalendarRecord* calendar) {
  if (!HasElement(var, elementIndex)) return 0;
  if (Var_IsTextType(var->type)) return 0;  // texts go in through Var_PutTextUnits
  std::uint64_t v = static_cast<std::uint64_t>(value);
  if (calendar && var->type >= kVarClassicTypeCount) {
    switch (var->type) {
      case S7_TYPE_LDT:
      case S7_TYPE_DTL:
        if (!ValidCalendar(calendar, true, true) || calendar->year < 1970) return 0;
        if (Var_NanosFromCalendar(calendar) < 0) return 0;  // past what 64 bits of nanoseconds reach
        v = static_cast<std::uint64_t>(Var_NanosFromCalendar(calendar));
        break;
      case S7_TYPE_LTOD:
        if (!ValidCalendar(calendar, false, true)) return 0;
        v = static_cast<std::uint64_t>(Cal_MsOfDay(0, calendar) * kNanosPerMs);
        break;
      default:
        return 0;
    }
  } else if (calendar) {
    switch (var->wireSize) {
      case 2:
        if (!ValidCalendar(calendar, true, false)) return 0;
        v = static_cast<std::uint64_t>(Cal_DaysSince1990(calendar));
        break;
      case 4:
        if (!ValidCalendar(calendar, false, true)) return 0;
        v = static_cast<std::uint64_t>(Cal_MsOfDay(0, calendar));
        break;
      case 8: {
        if (!ValidCalendar(calendar, true, true)) return 0;
        // The PLC keeps a weekday beside the date; it must be the date's own.
        CalendarRecord c = *calendar;
        Cal_DateFrom1990(Cal_DaysSince1990(&c), &c);
        std::uint8_t wire[8] = {};
        if (S7_EncodeDateTime(&c, wire) != 0) return 0;
        std::memcpy(&v, wire, 8);
        break;
      }
      default:
        return 0;
    }
  }
  std::uint8_t* p = Slot(var, elementIndex);
  // The weekday comes from the date: the PLC keeps it beside.
  if (var->type == S7_TYPE_DTL) return Var_DtlFromNanos(static_cast<std::int64_t>(v), p);
  if (var->slotSize == 1) {
    p[0] = static_cast<std::uint8_t>(v);
    return 1;
  }
  if (var->slotSize == 8) {
    std::memcpy(p, &v, 8);
    return 1;
  }
  std::uint32_t slot;
  switch (var->wireSize) {
    case 1: slot = static_cast<std::uint32_t>(v & 0xFF); break;
    case 2: slot = IsDuration(var->type) ? static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v & 0xFFFF); break;
    default: slot = static_cast<std::uint32_t>(v); break;
  }
  std::memcpy(p, &slot, 4);
  return 1;
}

const char* Var_ElementName(const PlcVariable* var, int elementIndex) {
  if (!var || !var->names || elementIndex < 0 || elementIndex >= var->count) return "";
  return var->names + static_cast<std::size_t>(elementIndex) * kVarNameSize;
}

void Var_SetElementName(PlcVariable* var, int elementIndex, const char* text) {
  if (!var || !var->names || elementIndex < 0 || elementIndex >= var->count) return;
  char* name = var->names + static_cast<std::size_t>(elementIndex) * kVarNameSize;
  TrimCopyN(name, text, kVarNameSize, kTrimBoth);
}
