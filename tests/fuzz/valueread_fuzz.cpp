// Fuzzes the reader of typed values (the element edit dialog's field and the
// command line's values) for every type, display mode and date order: a text
// it accepts is stored, and the value text of what was stored reads back into
// the same slot; a refusal always has its words.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  if (size < 3) return 0;
  const int type = data[0] % kVarTypeCount;
  const int view = data[1] % (kVarViewCount + 1);  // one more: a view byte no type offers
  CurrentThreadContext()->localeWord = kDefaultLocaleWord | (static_cast<std::uint32_t>(data[2] % 3) << 16);
  std::vector<char> text(data + 3, data + size);
  text.push_back(0);

  PlcVariable v{};
  Var_Init(1, type, S7_AREA_DB, 2, &v);
  if (!Var_AllocBlock(&v)) __builtin_trap();
  v.views[1] = static_cast<std::uint8_t>(view);
  VarValueRange range;
  Var_ValueRange(1, &v, 0, &range);
  VarSpinner spinner;
  Var_GetSpinner(1, &v, 0, &spinner);

  std::int64_t value = 0;
  CalendarRecord calendar{};
  const int code = Var_ReadValue(1, &v, text.data(), &value, &calendar);
  if (code < 0 || code >= VAR_VALUE_CODE_COUNT) __builtin_trap();
  if (code != VAR_VALUE_OK) {
    char words[128];
    const int n = Var_DescribeValueError(code, 1, &v, text.data(), words, sizeof words);
    if (n <= 0 || n >= static_cast<int>(sizeof words)) __builtin_trap();
    Var_FreeBlock(&v);
    return 0;
  }
  if (range.checked && (value < range.min || value > range.max)) __builtin_trap();
  if (Var_EnterValue(1, &v, text.data()) != VAR_VALUE_OK) __builtin_trap();

  // The whole text: a String's may pass what a list line shows.
  const std::string whole = Var_FormatValueString({.bareCharacter = true}, 1, &v);
  const char* shown = whole.c_str();
  PlcVariable again{};
  Var_Init(1, type, S7_AREA_DB, 2, &again);
  if (!Var_AllocBlock(&again)) __builtin_trap();
  again.views[1] = static_cast<std::uint8_t>(view);
  if (Var_EnterValue(1, &again, shown) != VAR_VALUE_OK) __builtin_trap();
  const bool real = Var_EffectiveView(1, &v) == VAR_VIEW_REAL;  // eight digits need not give the same single
  if (!real && std::memcmp(v.values + v.slotSize, again.values + again.slotSize, static_cast<std::size_t>(v.slotSize)))
    __builtin_trap();
  Var_FreeBlock(&again);
  Var_FreeBlock(&v);
  return 0;
}
