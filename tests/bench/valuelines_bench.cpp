// Building every line of a full read window: twenty variables of mixed types
// whose read reply fills a 480-byte PDU, their padding widths worked out and
// each element's line formatted, as the window does on opening and the
// command line on every read. With and without the name column.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/runtime.h"
#include "tests/support/value_tables.h"
#include "vars/vars.h"

namespace {

struct Runtime {
  Runtime() { Rt_Init(); }
};
const Runtime runtime;

struct Window {
  VariableTable table{};
  int lines = 0;

  explicit Window(bool names) {
    for (const char* d : valuetables::kMixed480)
      if (!Var_ParseDefinition(d, &table.vars[table.count++])) std::abort();
    valuetables::FillValues(&table, 12345);
    for (int i = 0; i < table.count; ++i) {
      PlcVariable& v = table.vars[i];
      for (int e = 0; names && e < v.count; e += 3) {
        char name[kVarNameSize];
        std::snprintf(name, sizeof name, "sensor %d.%d", i, e);
        Var_SetElementName(&v, e, name);
      }
      lines += v.count;
    }
    if (valuetables::ReplySize(table) != 480) std::abort();
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
