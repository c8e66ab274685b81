// Fuzzes the reader of definition texts (the lines of variable table files
// and of the command line): whatever it accepts must write back as a text
// that reads as the same variable, and every element's address and value
// text must fit its buffer.
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

bool SameDefinition(const PlcVariable& a, const PlcVariable& b) {
  return a.type == b.type && a.area == b.area && a.dbNumber == b.dbNumber && a.start == b.start &&
         a.bit == b.bit && a.count == b.count && a.wireSize == b.wireSize && a.slotSize == b.slotSize &&
         a.bufferSize == b.bufferSize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  // The text in a block of its own size, so ASan sees any read past its end.
  std::vector<char> text(data, data + size);
  text.push_back(0);

  PlcVariable v{};
  v.start = -7;
  if (!Var_ParseDefinition(text.data(), &v)) {
    if (v.start != -7 || v.values) __builtin_trap();  // refused: the record is untouched
    return 0;
  }
  if (!v.values || v.count < 0 || v.count > kVarDefinitionCountMax) __builtin_trap();

  char written[kVarAddressTextMax];
  const int n = Var_FormatAddress({.withCount = true, .withType = true}, 0, &v, written, nullptr);
  if (n <= 0 || n >= kVarAddressTextMax || written[n] != 0) __builtin_trap();
  PlcVariable back{};
  if (!Var_ParseDefinition(written, &back) || !SameDefinition(v, back)) __builtin_trap();
  char again[kVarAddressTextMax];
  Var_FormatAddress({.withCount = true, .withType = true}, 0, &back, again, nullptr);
  if (std::strcmp(written, again) != 0) __builtin_trap();

  int width = 0;
  char element[kVarAddressTextMax], value[kVarValueTextMax];
  for (int i = 0; i < v.count; i += (v.count > 16 ? v.count / 16 : 1)) {
    const int a = Var_FormatAddress({.leadingBlank = true}, i, &v, element, &width);
    if (a >= kVarAddressTextMax || a > width) __builtin_trap();
    for (int view = 0; view < kVarViewCount; ++view) {
      v.views[i] = static_cast<std::uint8_t>(view);
      const int t = Var_FormatValue({.trailingBlank = true, .bareCharacter = (view & 1) != 0}, i, &v, value);
      if (t <= 0 || t >= kVarValueTextMax) __builtin_trap();
    }
  }
  Var_FreeBlock(&back);
  Var_FreeBlock(&v);
  return 0;
}
