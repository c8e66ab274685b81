// Processor time a client spends while the access point takes a second to
// answer: its receive never blocks, so the exchange polls it.
#include <benchmark/benchmark.h>

#include <ctime>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"

namespace {

double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void BM_ScpWaitOneSecondForAnswer(benchmark::State& state) {
  Rt_Init();
  PlatLibrary lib = Plat_LibLoad(kScpLibraryName);
  auto control = reinterpret_cast<int (*)(const char*)>(Plat_LibSymbol(lib, "scpstandin_control"));
  S7Interface* iface = S7_Interface_Init(S7_KIND_S7ONLINE);
  S7Connection* conn = S7_Connection_Init(iface, "mpi", 3000, 2, 0, 0, 240);
  if (!control || S7_IsConnected(conn) != 1) state.SkipWithError("stand-in access point not found");
  double cpu = 0;
  for (auto _ : state) {
    S7_BeginPdu(conn, 1, 0xF0, 0, 1);
    control("service 7");
    control("delay 1000");
    double before = ThreadCpuMs();
    if (S7_Exchange(conn) != S7_OK) state.SkipWithError("exchange failed");
    cpu += ThreadCpuMs() - before;
  }
  state.counters["cpu_ms_per_wait"] = cpu / static_cast<double>(state.iterations());
  S7_Interface_Done(iface);
  Plat_LibFree(lib);
}
BENCHMARK(BM_ScpWaitOneSecondForAnswer)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// One PDU exchange over the stand-in: the cost of the block protocol itself.
void BM_ScpExchange(benchmark::State& state) {
  S7Interface* iface = S7_Interface_Init(S7_KIND_S7ONLINE);
  S7Connection* conn = S7_Connection_Init(iface, "mpi", 1000, 2, 0, 0, 240);
  for (auto _ : state) {
    S7_BeginPdu(conn, 1, 0xF0, 0, 1);
    if (S7_Exchange(conn) != S7_OK) state.SkipWithError("exchange failed");
  }
  S7_Interface_Done(iface);
}
BENCHMARK(BM_ScpExchange);

}  // namespace

BENCHMARK_MAIN();
