// Fuzzes reading a variable table file: any text, however its keys, numbers,
// definitions, names and views are mangled, is either taken or refused with
// one log line, and never read or written out of bounds.
#include <cstdlib>
#include <string>

#include "vars/vars.h"
#include "runtime/runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = Rt_Init() == 0;
  if (!ready) std::abort();
  if (size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  PlcSettings plc{};
  VariableTable table{};
  Vat_Read(text.c_str(), &plc, &table, "fuzz.vat");
  VarTable_Clear(&table);
  return 0;
}
