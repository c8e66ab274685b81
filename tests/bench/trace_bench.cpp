// What the wire trace costs a read: the round trip of a read through the
// library with tracing off and on (into a file), next to a raw-socket
// exchange of the very same request and reply bytes with the same simulator.
// Run with --benchmark_repetitions=10 --benchmark_enable_random_interleaving
// so that the machine's load falls on all three alike.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "tests/bench/raw_exchange.h"
#include "tools/plcsim/plcsim.h"

namespace {

struct Bench {
  plcsim::Simulator sim;
  S7Interface* iface = nullptr;
  std::string tracePath;
  Bench() {
    Rt_Init();
    sim.Start(plcsim::Config{});
    iface = S7_Interface_Init(S7_KIND_TCP);
    tracePath = (std::filesystem::temp_directory_path() / "tolvane-trace-bench.pcap").string();
  }
  ~Bench() {
    S7_Interface_Done(iface);
    std::error_code ignored;
    std::filesystem::remove(tracePath, ignored);
  }
};

Bench& Shared() {
  static Bench b;
  return b;
}

// Ten Ints of DB1, as a read window line of a small table reads them.
int ReadOnce(S7Connection* conn, std::int32_t* values) {
  return S7_SimpleRead(conn, S7_TYPE_INT, S7_AREA_DB, 1, 0, 0, 10, 1, values);
}

void BM_Read(benchmark::State& state) {
  Bench& b = Shared();
  const bool traced = state.range(0) != 0;
  if (traced && S7_Trace_Start(b.tracePath.c_str(), {}) != 0) state.SkipWithError("no trace file");
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  std::int32_t values[10];
  for (auto _ : state) {
    if (ReadOnce(conn, values) != S7_OK) state.SkipWithError("read failed");
  }
  S7_Connection_Done(conn);
  if (traced && S7_Trace_Stop() != 0) state.SkipWithError("trace failed");
  state.SetLabel(traced ? "tracing on" : "tracing off");
}
BENCHMARK(BM_Read)->Arg(0)->Arg(1)->UseRealTime();

// The read's own request frame and reply, with nothing but send and recv.
void BM_RawRead(benchmark::State& state) {
  Bench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "probe", 1000, b.sim.Address(), 0, 2, 240);
  std::int32_t values[10];
  ReadOnce(conn, values);
  const plcsim::Bytes pdu = b.sim.LastRequestPdu();
  const int replyFrame = 7 + 14 + 4 + 20;
  S7_Connection_Done(conn);

  PlatSocket s = RawConnect(b.sim.Address());
  if (s == kNoSocket) {
    state.SkipWithError("no CC");
    return;
  }
  std::uint8_t in[600];
  std::vector<std::uint8_t> frame = {0x03, 0x00, 0x00, static_cast<std::uint8_t>(7 + pdu.size()), 0x02, 0xF0, 0x80};
  frame.insert(frame.end(), pdu.begin(), pdu.end());
  for (auto _ : state) {
    if (!RawRoundTrip(s, frame, in, replyFrame)) state.SkipWithError("exchange failed");
  }
  Plat_SockClose(s);
}
BENCHMARK(BM_RawRead)->UseRealTime();

// The hooks alone, without a socket: what tracing adds to each of the two
// frames of a round trip, however loaded the machine is.
void BM_TraceHooks(benchmark::State& state) {
  Bench& b = Shared();
  if (S7_Trace_Start(b.tracePath.c_str(), {}) != 0) state.SkipWithError("no trace file");
  S7Connection conn{};
  conn.address = b.sim.Address();
  conn.sock.socket = kNoSocket;
  std::uint8_t request[27] = {0x03, 0x00, 0x00, 27, 0x02, 0xF0, 0x80, 0x32, 0x01};
  std::uint8_t reply[45] = {0x03, 0x00, 0x00, 45, 0x02, 0xF0, 0x80, 0x32, 0x03};
  for (auto _ : state) {
    S7Trace_TcpBytes(&conn, TraceSide::Client, request, sizeof request);
    S7Trace_TcpBytes(&conn, TraceSide::Plc, reply, sizeof reply);
  }
  if (S7_Trace_Stop() != 0) state.SkipWithError("trace failed");
}
BENCHMARK(BM_TraceHooks);

}  // namespace

BENCHMARK_MAIN();
