// Appending to the main log as it fills and trims: the cost per entry must
// not grow with the log (the pane cuts a quarter at a time, never line by
// line).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "app/logpane.h"
#include "runtime/runtime.h"
#include "tests/support/string_view_text.h"

namespace {

const std::string kEntry =
    "PLC 1 - S7_MultiRead : OK.\r\n\tDB10.DBW4 : Sikeres\r\n\tDB10.DBD8 : Sikeres\r\n";

// 10,000 entries through a fresh main log; the counters compare the first
// thousand appends with the last thousand.
void BM_LogAppend10000(benchmark::State& state) {
  Rt_Init();
  double first = 0, last = 0;
  for (auto _ : state) {
    StringTextView view;
    LogPane* pane = LogPane_Create(nullptr, &view, kMainLogCharLimit, kMainLogLineLimit);
    for (int i = 0; i < 10000; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      LogWrite(pane, kEntry.c_str(), kEntry.size(), LogOwnership::CallerKeeps);
      double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
      if (i < 1000) first += ns;
      if (i >= 9000) last += ns;
    }
    LogPane_Destroy(pane);
  }
  const double runs = static_cast<double>(state.iterations()) * 1000;
  state.counters["first_1000_ns_per_entry"] = first / runs;
  state.counters["last_1000_ns_per_entry"] = last / runs;
}
BENCHMARK(BM_LogAppend10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
