// Fuzzes the newer types' slots from the wire side: any bytes a PLC may hand
// a USInt … LDT, a String[n] or a WString[n] (headers that lie included) are
// shown in every view the type offers without reaching past the slot, go out
// again unchanged, and a text's letters survive their escapes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "vars/longtypes.h"
#include "vars/vars.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  if (size < 3) return 0;
  const int type = kVarClassicTypeCount + data[0] % (kVarTypeCount - kVarClassicTypeCount);
  CurrentThreadContext()->localeWord = kDefaultLocaleWord | (static_cast<std::uint32_t>(data[1] % 3) << 16);
  PlcVariable v{};
  Var_Init(1, type, S7_AREA_DB, 2, &v);
  v.textMax = 1 + data[2] % 40;  // short texts: the headers matter, not the length
  Var_Init(0, -1, -1, 0, &v);
  if (!Var_AllocBlock(&v)) __builtin_trap();
  data += 3, size -= 3;

  // Two elements' wire bytes, the input repeated to fill them.
  const int count = Var_WireCount(&v);
  const auto bytes = static_cast<std::size_t>(S7_WireBytes(static_cast<unsigned>(type), count));
  std::vector<std::uint8_t> wire(bytes);
  for (std::size_t i = 0; i < bytes; ++i) wire[i] = size ? data[i % size] : 0;
  if (S7_DecodeValues(static_cast<unsigned>(type), count, 1, wire.data(), static_cast<int>(bytes), v.values) != S7_OK)
    __builtin_trap();

  for (int view = 0; view < kVarViewCount; ++view) {
    if (view != 0 && !Var_AdmitsView(type, view)) continue;
    for (int e = 0; e < 2; ++e) {
      v.views[e] = static_cast<std::uint8_t>(view);
      char text[kVarValueTextMax];
      const int n = Var_FormatValue({}, e, &v, text);
      if (n < 0 || n >= kVarValueTextMax || text[n] != 0) __builtin_trap();
      const std::string whole = Var_FormatValueString({.bareCharacter = true}, e, &v);
      // A text's letters read back from their escapes, whatever the header said.
      if (Var_IsTextType(type)) {
        std::u16string units;
        if (!Var_UnescapeText(whole.c_str(), S7_TYPE_WSTRING, &units) || units != Var_TextUnits(e, &v))
          __builtin_trap();
      }
    }
  }
  std::vector<std::uint8_t> again(bytes);
  S7_EncodeElements(static_cast<unsigned>(type), count, 1, v.values, again.data());
  if (again != wire) __builtin_trap();
  Var_FreeBlock(&v);
  return 0;
}
