// The request planner: how many requests its plans take next to the fewest
// the bytes and items allow, what planning costs, and the time of a read of
// 500 variables through the planner next to the same variables read 19 at a
// time, one request after another (what a program without a planner does),
// each beside the physical floor of the same run: the very same request
// bytes exchanged over a plain socket with the same simulator.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "tests/bench/raw_exchange.h"
#include "tests/bench/sim_bench.h"
#include "tests/support/plan_tables.h"
#include "tests/support/separate_transfer.h"
#include "tools/plcsim/plcsim.h"
#include "vars/vars.h"

namespace {

using plantest::Spec;
using Table = plantest::SpecTable;

// The tables: 500 Words at random even addresses of four 4 KB DBs; 500
// Words one after another (a table as engineers write it); 300 single bits
// of the flags; 50 arrays of 40 bytes, 100 bytes apart.
std::vector<Spec> Scattered() { return plantest::ScatteredWords(); }
std::vector<Spec> Contiguous() {
  std::vector<Spec> s;
  for (int i = 0; i < 500; ++i) s.push_back({S7_TYPE_WORD, S7_AREA_DB, 1, 2 * i, 0, 1});
  return s;
}
std::vector<Spec> Bits() {
  std::vector<Spec> s;
  for (int i = 0; i < 300; ++i) s.push_back({S7_TYPE_BIT, S7_AREA_FLAGS, 0, i / 8, i % 8, 1});
  return s;
}
std::vector<Spec> Arrays() {
  std::vector<Spec> s;
  for (int i = 0; i < 50; ++i) s.push_back({S7_TYPE_BYTE, S7_AREA_DB, 2, 100 * i, 0, 40});
  return s;
}

using Maker = std::vector<Spec> (*)();
constexpr Maker kTables[] = {Scattered, Contiguous, Bits, Arrays};

SimBench& Shared() {
  static SimBench b([] {
    plcsim::Config config;
    config.model.flagBytes = 1024;
    config.model.dataBlocks = {{1, 4096}, {2, 4096}, {3, 4096}, {4, 4096}};
    return config;
  }());
  return b;
}

// The requests the reply bytes alone call for: each item's header, data
// and fill byte over the reply room of a PDU, rounded up; the items' count
// is left out.
int ReplyBound(const VarPlan& plan) {
  std::int64_t bytes = 0;
  for (std::int32_t i = 0; i < plan.chunkCount; ++i) {
    const std::int64_t length = static_cast<std::int64_t>(plan.chunks[i].units) * plan.chunks[i].unitBytes;
    bytes += kPlanDataHeader + length + (length & 1);
  }
  const std::int64_t usable = plan.pduSize - kPlanReplyHeader;
  return static_cast<int>((bytes + usable - 1) / usable);
}

// range(0): the table; range(1): the PDU size. Counters: the requests, the
// fewest the plan's items and bytes allow, the fewest its reply bytes alone
// would (as if a request held any number of items), the same for one item
// per variable, and the items.
void BM_Plan(benchmark::State& state) {
  Shared();
  Table table(kTables[state.range(0)]());
  const int pdu = static_cast<int>(state.range(1));
  VarPlan plan{};
  for (auto _ : state) {
    VarPlan_Build(table.v.data(), table.Count(), pdu, {}, &plan);
    benchmark::DoNotOptimize(plan.requestCount);
    VarPlan_Free(&plan);
  }
  VarPlan_Build(table.v.data(), table.Count(), pdu, {}, &plan);
  state.counters["requests"] = plan.requestCount;
  state.counters["lower_bound"] = plantest::LowerBound(plan);
  state.counters["reply_bound"] = ReplyBound(plan);
  state.counters["items"] = plan.itemCount;
  VarPlan_Free(&plan);
  VarPlan_Build(table.v.data(), table.Count(), pdu, {PlanDirection::Read, PlanMerge::Never}, &plan);
  state.counters["separate_reply_bound"] = ReplyBound(plan);
  VarPlan_Free(&plan);
}
BENCHMARK(BM_Plan)->ArgsProduct({{0, 1, 2, 3}, {240, 480}})->Unit(benchmark::kMicrosecond);

// The requests a way of reading sends: frames ready for the raw socket and
// the reply length each brings.
struct Frames {
  std::vector<std::vector<std::uint8_t>> out;
  std::vector<int> replies;
};

void TakeFrame(const S7Connection* conn, Frames* f) {
  f->out.push_back(RawRequestFrame(conn));
  f->replies.push_back(RawReplyFrameSize(conn));
}

// A read through the planner: the plan is made once, as the read window's
// table stays put between its reads.
void BM_PlannedRead(benchmark::State& state) {
  SimBench& b = Shared();
  Table table(kTables[state.range(0)]());
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  VarPlan plan{};
  VarPlan_Build(table.v.data(), table.Count(), S7_GetPduSize(conn), {}, &plan);
  std::vector<VarTransferResult> results(table.v.size());
  VarTransferSummary summary{};
  for (auto _ : state)
    if (VarPlan_Run(&plan, conn, table.v.data(), results.data(), &summary) != S7_OK) state.SkipWithError("read failed");
  state.counters["requests"] = summary.requests;
  VarPlan_Free(&plan);
  S7_Connection_Done(conn);
}
BENCHMARK(BM_PlannedRead)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same variables 19 at a time, one request after another: what a
// program without a planner can do at PDU 240.
constexpr int kPerRequest = 19;

int ReadNineteenAtATime(S7Connection* conn, Table* table, Frames* frames) {
  for (int first = 0; first < table->Count(); first += kPerRequest) {
    if (S7_MultiRead_Begin(conn) != S7_OK) return -1;
    for (int i = first; i < first + kPerRequest && i < table->Count(); ++i) {
      PlcVariable& v = table->v[static_cast<std::size_t>(i)];
      if (S7_AddVar(conn, static_cast<unsigned>(v.type), static_cast<unsigned>(v.area), v.dbNumber, v.start, v.bit,
                    v.count, 1, v.values) != S7_OK)
        return -1;
    }
    if (frames) TakeFrame(conn, frames);
    else if (S7_MultiRead(conn) != S7_OK) return -1;
  }
  return 0;
}

void BM_NineteenAtATime(benchmark::State& state) {
  SimBench& b = Shared();
  Table table(kTables[state.range(0)]());
  S7Connection* conn = S7_Connection_Init(b.iface, "bench", 1000, b.sim.Address(), 0, 2, 240);
  for (auto _ : state)
    if (ReadNineteenAtATime(conn, &table, nullptr) != 0) state.SkipWithError("read failed");
  state.counters["requests"] = (table.Count() + kPerRequest - 1) / kPerRequest;
  S7_Connection_Done(conn);
}
BENCHMARK(BM_NineteenAtATime)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The floor of each way: its request frames, built once by the library,
// and their replies, with nothing but send and recv.
void RawRounds(benchmark::State& state, const Frames& frames) {
  SimBench& b = Shared();
  PlatSocket s = RawConnect(b.sim.Address());
  std::uint8_t in[600];
  // The simulator checks request and reply against the PDU it granted.
  if (s == kNoSocket || !RawRoundTrip(s, RawSetupFrame(240), in, 27)) state.SkipWithError("no connection");
  // Each reply once, checked: the acknowledgement without an error, all of
  // it, nothing after it.
  for (std::size_t i = 0; i < frames.out.size(); ++i) {
    std::uint32_t pending = 0;
    if (!RawRoundTrip(s, frames.out[i], in, frames.replies[i]) || in[8] != 0x03 || in[17] != 0 || in[18] != 0 ||
        Plat_SockWaitReadable(s, 20) != 0 || Plat_SockAvailable(s, &pending) != 0 || pending != 0)
      state.SkipWithError("not the reply the library expects");
  }
  for (auto _ : state)
    for (std::size_t i = 0; i < frames.out.size(); ++i)
      if (!RawRoundTrip(s, frames.out[i], in, frames.replies[i])) state.SkipWithError("exchange failed");
  state.counters["requests"] = static_cast<double>(frames.out.size());
  Plat_SockClose(s);
}

void BM_RawPlanned(benchmark::State& state) {
  SimBench& b = Shared();
  Table table(kTables[state.range(0)]());
  S7Connection* conn = S7_Connection_Init(b.iface, "template", 1000, b.sim.Address(), 0, 2, 240);
  VarPlan plan{};
  VarPlan_Build(table.v.data(), table.Count(), S7_GetPduSize(conn), {}, &plan);
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(plan.scratchBytes) + 1);
  Frames frames;
  for (std::int32_t q = 0; q < plan.requestCount; ++q) {
    S7_MultiRead_Begin(conn);
    for (std::int32_t i = 0; i < plan.requests[q].itemCount; ++i) {
      const PlanItemArgs a = VarPlan_ItemArgs(&plan, plan.requests[q].firstItem + i, table.v.data(), scratch.data());
      S7_AddVar(conn, a.type, a.area, a.dbNumber, a.start, a.bit, a.count, a.convert, a.values);
    }
    TakeFrame(conn, &frames);
  }
  VarPlan_Free(&plan);
  S7_Connection_Done(conn);
  RawRounds(state, frames);
}
BENCHMARK(BM_RawPlanned)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_RawNineteenAtATime(benchmark::State& state) {
  SimBench& b = Shared();
  Table table(kTables[state.range(0)]());
  S7Connection* conn = S7_Connection_Init(b.iface, "template", 1000, b.sim.Address(), 0, 2, 240);
  Frames frames;
  ReadNineteenAtATime(conn, &table, &frames);
  S7_Connection_Done(conn);
  RawRounds(state, frames);
}
BENCHMARK(BM_RawNineteenAtATime)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
