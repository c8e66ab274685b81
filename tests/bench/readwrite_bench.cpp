// The cost of the read service: a 20-variable multi-read round trip through
// the library next to a raw-socket exchange of the very same request and
// reply bytes with the same simulator, and the element codecs converting a
// full 512-byte PDU of each type in both directions.
#include <benchmark/benchmark.h>

#include <vector>

#include "s7lib/s7internal.h"
#include "tests/bench/raw_exchange.h"
#include "tests/bench/sim_bench.h"

namespace {

constexpr int kVariables = 20;

plcsim::Config Pdu512() {
  plcsim::Config config;
  config.model.pduSize = 512;
  return config;
}

SimBench& Shared() {
  static SimBench b(Pdu512());
  return b;
}

// Twenty variables of mixed types, converted, in DB1 and DB10.
struct Request {
  std::vector<std::vector<std::uint32_t>> slots;
};
constexpr unsigned kTypes[] = {S7_TYPE_BYTE,  S7_TYPE_WORD, S7_TYPE_INT,    S7_TYPE_DWORD, S7_TYPE_REAL,
                               S7_TYPE_DINT,  S7_TYPE_TIME, S7_TYPE_S5TIME, S7_TYPE_DATE,  S7_TYPE_SHORT};

bool BuildRead(S7Connection* conn, Request* r) {
  if (S7_MultiRead_Begin(conn) != S7_OK) return false;
  r->slots.assign(kVariables, std::vector<std::uint32_t>(4));
  for (int i = 0; i < kVariables; ++i) {
    if (S7_AddVar(conn, kTypes[i % 10], S7_AREA_DB, i % 2 ? 10 : 1, 16 * i, 0, 4, 1, r->slots[static_cast<std::size_t>(i)].data()) != S7_OK)
      return false;
  }
  return true;
}

void BM_LibraryMultiRead20(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  Request r;
  if (!BuildRead(conn, &r)) state.SkipWithError("request refused");
  for (auto _ : state) {
    if (S7_MultiRead(conn) != S7_OK) state.SkipWithError("read failed");
  }
  state.counters["reply_bytes"] = S7_GetReplySize(conn);
  S7_Connection_Done(conn);
}
BENCHMARK(BM_LibraryMultiRead20)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same request frame, built once by the library, and its reply, with
// nothing but send and recv: the floor the library is measured against.
void BM_RawSocketMultiRead20(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "template", 1000, b.sim.Address(), 0, 2, 240);
  Request r;
  if (!BuildRead(conn, &r)) state.SkipWithError("request refused");
  const std::vector<std::uint8_t> request = RawRequestFrame(conn);
  const int replyFrame = RawReplyFrameSize(conn);
  S7_Connection_Done(conn);

  PlatSocket s = RawConnect(b.sim.Address());
  if (s == kNoSocket) state.SkipWithError("no CC");
  std::uint8_t in[600];
  for (auto _ : state) {
    if (!RawRoundTrip(s, request, in, replyFrame)) state.SkipWithError("exchange failed");
  }
  Plat_SockClose(s);
}
BENCHMARK(BM_RawSocketMultiRead20)->UseRealTime()->Unit(benchmark::kMicrosecond);

// One full 512-byte PDU's worth of elements of the type.
int ElementsPerPdu(unsigned type) {
  return type == S7_TYPE_BIT ? 512 * 8 : 512 / kTypeInfo[type].elementSize;
}

void BM_Encode(benchmark::State& state) {
  const unsigned type = static_cast<unsigned>(state.range(0));
  const int count = ElementsPerPdu(type);
  std::vector<std::uint32_t> slots(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<std::uint32_t>(i * 2654435761u) % 999;
  std::vector<std::uint8_t> wire(512);
  for (auto _ : state) {
    S7_EncodeElements(type, count, 1, slots.data(), wire.data());
    benchmark::DoNotOptimize(wire.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 512);
}

void BM_Decode(benchmark::State& state) {
  const unsigned type = static_cast<unsigned>(state.range(0));
  const int count = ElementsPerPdu(type);
  std::vector<std::uint8_t> wire(512);
  for (std::size_t i = 0; i < wire.size(); ++i) wire[i] = static_cast<std::uint8_t>((i % 10) * 0x11);
  std::vector<std::uint32_t> slots(static_cast<std::size_t>(count) * 2 + 1);  // room for 8-byte Date&Time
  for (auto _ : state) {
    S7_DecodeElements(type, count, 1, wire.data(), slots.data());
    benchmark::DoNotOptimize(slots.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 512);
}

BENCHMARK(BM_Encode)->DenseRange(0, 15);
BENCHMARK(BM_Decode)->DenseRange(0, 15);

}  // namespace

BENCHMARK_MAIN();
