// The cost of reading a 100-entry diagnostic buffer at PDU 240: the library
// (one request per fragment, counted) next to a raw-socket exchange of the
// same frames with the same simulator, and the decoding of the entries into
// records and into the window's lines, which must be small beside the wire.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/szltext.h"
#include "s7lib/s7internal.h"
#include "tests/bench/raw_exchange.h"
#include "tests/bench/sim_bench.h"

namespace {

constexpr int kEntries = 100;
constexpr int kCapacity = 4096;

// The simulator with a buffer of kEntries events, 1.5 s apart, newest first.
SimBench& Shared() {
  static SimBench b;
  static const bool filled = [] {
    std::vector<plcsim::DiagEvent> events;
    for (int i = 0; i < kEntries; ++i)
      events.push_back({static_cast<std::uint16_t>(i % 3 ? 0x4302 : 0x6523), 0xFF, 0x84, 0, 0, 0,
                        plcsim::SimDateTimeFromMs(plcsim::SimDateTimeToMs({2024, 3, 1, 8, 0, 0, 0, 0}) - i * 1500)});
    b.sim.Model().SetDiagnostics(events);
    return true;
  }();
  (void)filled;
  return b;
}

void BM_LibraryDiagBuffer100(benchmark::State& state) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  std::vector<std::uint8_t> records(kCapacity);
  S7SzlList list{};
  const int before = b.sim.RequestCount();
  for (auto _ : state) {
    if (S7_ReadSzl(conn, 0x00A0, 0, records.data(), kCapacity, &list) != S7_OK) state.SkipWithError("read failed");
  }
  state.counters["fragments"] = list.fragments;
  state.counters["requests"] =
      benchmark::Counter(b.sim.RequestCount() - before, benchmark::Counter::kAvgIterations);
  S7_Connection_Done(conn);
}
BENCHMARK(BM_LibraryDiagBuffer100)->UseRealTime()->Unit(benchmark::kMicrosecond);

// One frame in: the TPKT header first, then the rest it announces.
bool ReadFrame(PlatSocket s, std::uint8_t* in) {
  for (int got = 0, need = 4; got < need;) {
    const int n = Plat_SockRecv(s, in + got, need - got);
    if (n <= 0) return false;
    got += n;
    if (got == 4) need = (in[2] << 8) | in[3];
  }
  return true;
}

std::vector<std::uint8_t> Frame(std::vector<std::uint8_t> pdu) {
  pdu.insert(pdu.begin(), {0x03, 0x00, 0x00, 0x00, 0x02, 0xF0, 0x80});
  pdu[2] = static_cast<std::uint8_t>(pdu.size() >> 8);
  pdu[3] = static_cast<std::uint8_t>(pdu.size());
  return pdu;
}

// The same requests and replies with nothing but send and recv, and the
// least a client must read of each reply: "more follows", the sequence
// number and the data unit reference its follow-up repeats.
void BM_RawSocketDiagBuffer100(benchmark::State& state) {
  SimBench& b = Shared();
  PlatSocket s = RawConnect(b.sim.Address());
  if (s == kNoSocket) state.SkipWithError("no CC");
  std::uint8_t in[600];
  const auto setup = Frame({0x32, 0x01, 0, 0, 0, 0, 0x00, 0x08, 0x00, 0x00, 0xF0, 0, 0, 1, 0, 1, 0x02, 0x00});
  if (!RawRoundTrip(s, setup, in, 7 + 20)) state.SkipWithError("no setup");
  const auto first = Frame({0x32, 0x07, 0, 0, 0, 0, 0x00, 0x08, 0x00, 0x08, 0x00, 0x01, 0x12, 0x04, 0x11, 0x44,
                            0x01, 0x00, 0xFF, 0x09, 0x00, 0x04, 0x00, 0xA0, 0x00, 0x00});
  auto followUp = Frame({0x32, 0x07, 0, 0, 0, 0, 0x00, 0x0C, 0x00, 0x04, 0x00, 0x01, 0x12, 0x08, 0x12, 0x44,
                         0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00});
  int fragments = 0;
  for (auto _ : state) {
    fragments = 0;
    bool more = true;
    const std::vector<std::uint8_t>* out = &first;
    while (more) {
      if (Plat_SockSend(s, out->data(), static_cast<int>(out->size())) != static_cast<int>(out->size()) ||
          !ReadFrame(s, in)) {
        state.SkipWithError("exchange failed");
        break;
      }
      ++fragments;
      const std::uint8_t* params = in + 7 + 10;
      followUp[7 + 10 + 7] = params[7];
      followUp[7 + 10 + 8] = params[8];
      more = params[9] != 0;
      out = &followUp;
    }
  }
  state.counters["fragments"] = fragments;
  Plat_SockClose(s);
}
BENCHMARK(BM_RawSocketDiagBuffer100)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The joined list once, then only what the program does with it.
std::vector<std::uint8_t> JoinedList(S7SzlList* list) {
  SimBench& b = Shared();
  S7Connection* conn = S7_Connection_Init(b.iface, "list", 1000, b.sim.Address(), 0, 2, 240);
  std::vector<std::uint8_t> records(kCapacity);
  S7_ReadSzl(conn, 0x00A0, 0, records.data(), kCapacity, list);
  S7_Connection_Done(conn);
  return records;
}

void BM_DecodeDiagEntries100(benchmark::State& state) {
  S7SzlList list{};
  const std::vector<std::uint8_t> records = JoinedList(&list);
  list.records = records.data();
  for (auto _ : state) {
    for (int i = 0; i < list.recordCount; ++i) {
      S7DiagEntry e;
      S7_DecodeDiagEntry(&list, i, &e);
      benchmark::DoNotOptimize(e);
    }
  }
}
BENCHMARK(BM_DecodeDiagEntries100)->Unit(benchmark::kMicrosecond);

void BM_DiagLines100(benchmark::State& state) {
  S7SzlList list{};
  const std::vector<std::uint8_t> records = JoinedList(&list);
  list.records = records.data();
  std::vector<S7DiagEntry> entries(list.recordCount);
  for (int i = 0; i < list.recordCount; ++i) S7_DecodeDiagEntry(&list, i, &entries[static_cast<std::size_t>(i)]);
  char line[kDiagLineMax];
  for (auto _ : state) {
    for (const S7DiagEntry& e : entries) {
      Diag_FormatLine(&e, line, sizeof line);
      benchmark::DoNotOptimize(line);
    }
  }
}
BENCHMARK(BM_DiagLines100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
