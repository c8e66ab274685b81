// The cost of one PDU exchange through the library next to a raw socket
// exchange of the same bytes with the same simulator, the processor time a
// client spends waiting for a slow reply, and a connect/disconnect cycle.
#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "s7lib/s7internal.h"
#include "tests/bench/raw_exchange.h"
#include "tests/bench/sim_bench.h"

namespace {

SimBench& Shared() {
  static SimBench b;
  return b;
}

void BM_LibraryExchange(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  for (auto _ : state) {
    S7_BeginPdu(conn, 1, 0xF0, 0, 1);
    if (S7_Exchange(conn) != S7_OK) state.SkipWithError("exchange failed");
  }
  S7_Connection_Done(conn);
}
BENCHMARK(BM_LibraryExchange)->UseRealTime();

// The same request frame and reply, with nothing but send and recv.
void BM_RawSocketExchange(benchmark::State& state) {
  SimBench& b = Shared();
  PlatSocket s = RawConnect(b.sim.Address());
  if (s == kNoSocket) state.SkipWithError("no CC");
  std::uint8_t in[600];
  const std::vector<std::uint8_t> request = RawSetupFrame(512);
  for (auto _ : state) {
    if (!RawRoundTrip(s, request, in, 27)) state.SkipWithError("exchange failed");
  }
  Plat_SockClose(s);
}
BENCHMARK(BM_RawSocketExchange)->UseRealTime();

double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Processor time the calling thread uses while the PLC takes a second.
void BM_WaitOneSecondForReply(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "slow", 3000, b.sim.Address(), 0, 2, 240);
  double cpu = 0;
  for (auto _ : state) {
    b.sim.Inject({plcsim::FaultKind::Delay, 0, 1000});
    S7_BeginPdu(conn, 1, 0xF0, 0, 1);
    double before = ThreadCpuMs();
    if (S7_Exchange(conn) != S7_OK) state.SkipWithError("exchange failed");
    cpu += ThreadCpuMs() - before;
  }
  state.counters["cpu_ms_per_wait"] = cpu / static_cast<double>(state.iterations());
  S7_Connection_Done(conn);
}
BENCHMARK(BM_WaitOneSecondForReply)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// TCP connect, CR/CC, setup communication, then DR and close.
void BM_ConnectDisconnect(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "cycle", 1000, b.sim.Address(), 0, 2, 240);
  for (auto _ : state) {
    if (S7_Disconnect(conn) != S7_OK || S7_Connect(conn) != S7_OK) state.SkipWithError("cycle failed");
  }
  S7_Connection_Done(conn);
}
BENCHMARK(BM_ConnectDisconnect)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
