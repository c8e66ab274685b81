// Building every line of a full read window: twenty variables of mixed types
// whose read reply fills a 480-byte PDU, their padding widths worked out and
// each element's line formatted, as the window does on opening and the
// command line on every read. With and without the name column.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

struct Runtime {
  Runtime() { Rt_Init(); }
};
const Runtime runtime;

constexpr const char* kDefinitions[kVarTableSize] = {
    "DB1.DBW0:10 (Word)",   "DB1.DBW20:10 (Int)",  "DB1.DBD40:5 (DWord)",  "DB1.DBD60:5 (DInt)",
    "DB1.DBD80:5 (Real)",   "DB1.DBD100:5 (Time)", "DB1.DBD120:5 (TOD)",   "DB1.DBW140:5 (S5Time)",
    "DB1.DBQ150:2 (Date&Time)", "DB1.DBW166:5 (Date)", "MB0:32 (Byte)",    "MB32:32 (Short)",
    "MB64:32 (Char)",       "M96.0:16 (Bit)",      "T0:5 (Timer)",         "Z0:5 (Counter)",
    "EW0:18 (Word)",        "AD0:4 (Real)",        "DB2.DBW0:10 (Int)",    "DB2.DBD20:5 (DInt)",
};

// The reply a read of the table asks for: header and parameters, then per
// variable a 4-byte item header and its data, each item starting at an even
// offset.
int ReplySize(const VariableTable& t) {
  int reply = 14;
  for (int i = 0; i < t.count; ++i) {
    const PlcVariable& v = t.vars[i];
    const int bytes = v.type == S7_TYPE_BIT ? (v.count > 1 ? v.count / 8 : 1) : v.count * v.wireSize;
    reply = ((reply + 1) & ~1) + 4 + bytes;
  }
  return reply;
}

struct Window {
  VariableTable table{};
  int lines = 0;

  explicit Window(bool names) {
    for (const char* d : kDefinitions)
      if (!Var_ParseDefinition(d, &table.vars[table.count++])) std::abort();
    unsigned seed = 12345;
    for (int i = 0; i < table.count; ++i) {
      PlcVariable& v = table.vars[i];
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
        if (names && e % 3 == 0) {
          char name[kVarNameSize];
          std::snprintf(name, sizeof name, "sensor %d.%d", i, e);
          Var_SetElementName(&v, e, name);
        }
      }
      lines += v.count;
    }
    if (ReplySize(table) != 480) std::abort();
  }
  ~Window() { VarTable_Clear(&table); }
};

void BM_ReadWindowLines(benchmark::State& state) {
  Window w(state.range(0) != 0);
  char line[kValueLineMax];
  std::size_t bytes = 0;
  for (auto _ : state) {
    ValueLineWidths widths;
    VarTable_ValueLineWidths(&w.table, &widths);
    for (int i = 0; i < w.table.count; ++i) {
      const PlcVariable& v = w.table.vars[i];
      for (int e = 0; e < v.count; ++e) bytes += static_cast<std::size_t>(Var_FormatValueLine(&widths, e, &v, line));
    }
    benchmark::DoNotOptimize(line);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * w.lines);
  state.counters["lines"] = w.lines;
  state.counters["chars/window"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadWindowLines)->Arg(0)->Arg(1)->ArgName("names");

}  // namespace

BENCHMARK_MAIN();
