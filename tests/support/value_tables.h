// Variable tables whose read fills a PDU, for measuring the read window's
// lines: twenty variables of mixed types for a 480-byte PDU and nineteen for
// a 240-byte one (a twentieth item no longer fits that request), the size of
// the reply a table asks for, and element values drawn as a PLC might send
// them. The native benchmark and the Windows timing program share them.
#pragma once

#include <cstdint>

#include "vars/vars.h"

namespace valuetables {

inline constexpr const char* kMixed480[] = {
    "DB1.DBW0:10 (Word)",   "DB1.DBW20:10 (Int)",  "DB1.DBD40:5 (DWord)",  "DB1.DBD60:5 (DInt)",
    "DB1.DBD80:5 (Real)",   "DB1.DBD100:5 (Time)", "DB1.DBD120:5 (TOD)",   "DB1.DBW140:5 (S5Time)",
    "DB1.DBQ150:2 (Date&Time)", "DB1.DBW166:5 (Date)", "MB0:32 (Byte)",    "MB32:32 (Short)",
    "MB64:32 (Char)",       "M96.0:16 (Bit)",      "T0:5 (Timer)",         "Z0:5 (Counter)",
    "EW0:18 (Word)",        "AD0:4 (Real)",        "DB2.DBW0:10 (Int)",    "DB2.DBD20:5 (DInt)",
};

inline constexpr const char* kMixed240[] = {
    "DB1.DBW0:5 (Word)",  "DB1.DBW10:5 (Int)",  "DB1.DBD20:2 (DWord)",     "DB1.DBD28:2 (DInt)",
    "DB1.DBD36:2 (Real)", "DB1.DBD44:2 (Time)", "DB1.DBD52:2 (TOD)",       "DB1.DBW60:3 (S5Time)",
    "DB1.DBQ66:1 (Date&Time)", "DB1.DBW74:3 (Date)", "MB0:8 (Byte)",       "MB8:8 (Short)",
    "MB16:8 (Char)",      "M24.0:16 (Bit)",     "T0:3 (Timer)",            "Z0:3 (Counter)",
    "EW0:4 (Word)",       "AD0:2 (Real)",       "DB2.DBW0:8 (Int)",
};

// The reply a read of the table asks for: header and parameters, then per
// variable a 4-byte item header and its data, each item starting at an even
// offset.
inline int ReplySize(const VariableTable& t) {
  int reply = 14;
  for (int i = 0; i < t.count; ++i) {
    const PlcVariable& v = t.vars[i];
    const int bytes = v.type == S7_TYPE_BIT ? (v.count > 1 ? v.count / 8 : 1) : v.count * v.wireSize;
    reply = ((reply + 1) & ~1) + 4 + bytes;
  }
  return reply;
}

// Every element gets a value drawn from seed that its type can hold.
inline void FillValues(VariableTable* table, unsigned seed) {
  for (int i = 0; i < table->count; ++i) {
    PlcVariable& v = table->vars[i];
    for (int e = 0; e < v.count; ++e) {
      seed = seed * 1103515245 + 12345;
      const std::int64_t value = v.type == S7_TYPE_CHAR ? 'A' + seed % 26
                               : v.type == S7_TYPE_TOD ? seed % 86400000
                               : v.type == S7_TYPE_S5TIME || v.type == S7_TYPE_TIMER ? seed % 9990000
                               : v.type == S7_TYPE_COUNTER ? seed % 1000
                               : v.type == S7_TYPE_BIT ? seed >> 31
                               : static_cast<std::int32_t>(seed);
      if (v.type == S7_TYPE_DATETIME) {
        const CalendarRecord c = {2021, 6, 0, 15, 10, 20, 30, static_cast<std::uint16_t>(seed % 1000)};
        Var_PutElement(e, &v, 0, &c);
      } else {
        Var_PutElement(e, &v, value, nullptr);
      }
    }
  }
}

}  // namespace valuetables
