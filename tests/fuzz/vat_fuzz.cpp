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
  if (Vat_Read(text.c_str(), &plc, &table, "fuzz.vat")) {
    // What was taken is written so that it reads back the same: the
    // connection keys included, whatever their values.
    std::ptrdiff_t length = 0;
    char* again = Vat_BuildText(&plc, &table, &length);
    PlcSettings back{};
    VariableTable backTable{};
    if (again && (!Vat_Read(again, &back, &backTable, "fuzz.vat") || back.family != plc.family ||
                  Plc_Tsaps(&back).local != Plc_Tsaps(&plc).local || Plc_Tsaps(&back).remote != Plc_Tsaps(&plc).remote))
      std::abort();
    VarTable_Clear(&backTable);
    Rt_Free(again);
  }
  VarTable_Clear(&table);
  return 0;
}
