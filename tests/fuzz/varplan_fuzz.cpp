// Fuzzes the request planner with random tables against the simulator's CPU
// in this process: a planned read or write must leave the values, codes and
// PLC memory that separate single-variable transfers leave, in requests
// that keep the library's limits and no fewer than the bytes and items need.
// Input: byte 0 the PDU (bits 0-1), write (bit 2) and merging (bits 3-4);
// byte 1 a seed for memory and values; then 6 bytes per variable.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "runtime/runtime.h"
#include "tests/support/plan_tables.h"
#include "tests/support/separate_transfer.h"
#include "tools/plcsim/plcsim.h"
#include "vars/vars.h"

namespace {

constexpr int kPdus[4] = {128, 240, 480, 512};
constexpr int kMaxVariables = 48;

struct AreaRef {
  std::uint8_t code;
  int db, size;
};
constexpr AreaRef kAreas[] = {{0x81, 0, 512},  {0x82, 0, 512},  {0x83, 0, 1024}, {0x1D, 0, 512},
                              {0x1C, 0, 512},  {0x84, 1, 4096}, {0x84, 2, 4096}, {0x84, 3, 600},
                              {0x84, 4, 64},   {0x84, 5, 1}};

struct Plc {
  plcsim::Simulator sim;
  S7Connection* conn = nullptr;
};

struct Setup {
  S7Interface* iface = nullptr;
  std::unique_ptr<Plc> plcs[4];
  Setup() {
    Rt_Init();
    iface = S7_Interface_Init(S7_KIND_TCP);
    for (int i = 0; i < 4; ++i) {
      plcs[i] = std::make_unique<Plc>();
      plcsim::Config config;
      config.model.pduSize = kPdus[i];
      config.model.inputBytes = config.model.outputBytes = 512;
      config.model.flagBytes = 1024;
      config.model.dataBlocks = {{1, 4096}, {2, 4096}, {3, 600}, {4, 64}, {5, 1}};
      if (!plcs[i]->sim.Start(config)) std::abort();
      plcs[i]->conn = S7_Connection_Init(iface, "fuzz", 1000, plcs[i]->sim.Address(), 0, 2, 240);
      if (S7_GetPduSize(plcs[i]->conn) != kPdus[i]) std::abort();
    }
  }
};

using plantest::Next;

void FillMemory(plcsim::PlcModel& model, std::uint32_t seed) {
  for (const AreaRef& a : kAreas) {
    plcsim::Bytes bytes(static_cast<std::size_t>(a.size));
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(Next(&seed));
    model.WriteMemory(a.code, a.db, 0, bytes);
  }
}

std::vector<plcsim::Bytes> Memory(plcsim::PlcModel& model) {
  std::vector<plcsim::Bytes> all;
  for (const AreaRef& a : kAreas) all.push_back(model.ReadMemory(a.code, a.db, 0, a.size));
  return all;
}

// Zeroes the bytes the variable covers in a copy of the memory.
void Blank(const PlcVariable& v, std::vector<plcsim::Bytes>* memory) {
  static constexpr std::uint8_t kCodes[6] = {0x81, 0x82, 0x83, 0x84, 0x1D, 0x1C};
  const bool timerLike = v.type == S7_TYPE_TIMER || v.type == S7_TYPE_COUNTER;
  const std::int64_t first = timerLike ? 2 * std::int64_t{v.start} : v.start;
  const std::int64_t length = timerLike ? 2 * std::int64_t{v.count}
                              : v.type == S7_TYPE_BIT ? (v.count > 1 ? v.count / 8 : 1)
                                                      : std::int64_t{v.count} * v.wireSize;
  for (std::size_t a = 0; a < std::size(kAreas); ++a) {
    if (kAreas[a].code != kCodes[v.area] || (v.area == S7_AREA_DB && kAreas[a].db != v.dbNumber)) continue;
    plcsim::Bytes& bytes = (*memory)[a];
    for (std::int64_t b = first; b < first + length && b < static_cast<std::int64_t>(bytes.size()); ++b)
      bytes[static_cast<std::size_t>(b)] = 0;
  }
}

// Six bytes into a variable: any type in any area (mismatches included, the
// PLC refuses them), addresses up to a little past each area, counts up to
// a few requests' worth.
void MakeVariable(const std::uint8_t* b, PlcVariable* v) {
  const int type = b[0] & 15;
  const int area = (b[0] >> 4) % 6;
  int count = 1 + b[5];
  if (type == S7_TYPE_BIT) count = b[5] & 1 ? 1 : 8 * (1 + (b[5] >> 1) % 32);
  if (b[4] & 0x80) count *= 6;
  Var_Init(1, type, area, count, v);
  v->dbNumber = area == S7_AREA_DB ? 1 + b[1] % 6 : 0;
  const int limit = area == S7_AREA_DB ? 4200 : area >= static_cast<int>(S7_AREA_TIMERS) ? 300 : 1100;
  v->start = ((b[2] << 8) | b[3]) % limit;
  // Now and then a bit where the library takes none, or a run of bits
  // that does not start at bit 0: refused alike both ways.
  v->bit = type == S7_TYPE_BIT ? (count == 1 || (b[4] & 0x40) ? b[4] & 7 : 0) : ((b[4] & 0x78) == 0x78 ? 1 : 0);
}

// A mismatch ends the run with what differed, for whoever replays the input.
void Check(bool condition, const char* what, int variable = -1, int planned = 0, int separate = 0) {
  if (condition) return;
  std::fprintf(stderr, "varplan_fuzz: %s (variable %d: planned %d, separate %d)\n", what, variable, planned, separate);
  std::abort();
}

struct Table {
  std::vector<PlcVariable> v;
  ~Table() {
    for (PlcVariable& var : v) Var_FreeBlock(&var);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  if (size < 2) return 0;
  Plc& plc = *setup.plcs[data[0] & 3];
  const int pdu = kPdus[data[0] & 3];
  const PlanDirection direction = data[0] & 4 ? PlanDirection::Write : PlanDirection::Read;
  constexpr PlanMerge kMerges[4] = {PlanMerge::WhenSeveral, PlanMerge::Always, PlanMerge::Never,
                                    PlanMerge::WhenSeveral};
  const PlanMerge merge = kMerges[(data[0] >> 3) & 3];
  std::uint32_t seed = data[1];

  Table planned, separate;
  for (std::size_t at = 2; at + 6 <= size && planned.v.size() < kMaxVariables; at += 6) {
    PlcVariable a{}, b{};
    MakeVariable(data + at, &a);
    MakeVariable(data + at, &b);
    if (!Var_AllocBlock(&a) || !Var_AllocBlock(&b)) std::abort();
    for (int i = 0; i < a.bufferSize; ++i) a.values[i] = b.values[i] = static_cast<std::uint8_t>(Next(&seed));
    planned.v.push_back(a);
    separate.v.push_back(b);
  }
  const int n = static_cast<int>(planned.v.size());

  VarPlan plan{};
  Check(VarPlan_Build(planned.v.data(), n, pdu, {direction, merge}, &plan) == 1, "no plan");
  Check(plan.requestCount >= plantest::LowerBound(plan), "fewer requests than possible", -1, plan.requestCount,
        plantest::LowerBound(plan));
  for (std::int32_t i = 0; i < plan.requestCount; ++i) {
    Check(plan.requests[i].itemCount >= 1 && plan.requests[i].itemCount <= kPlanMaxItems, "items", i);
    Check(plan.requests[i].requestBytes <= pdu && plan.requests[i].replyBytes <= pdu, "beyond the PDU", i);
  }
  if (direction == PlanDirection::Write) Check(!plan.merged, "a merged write");

  FillMemory(plc.sim.Model(), seed);
  std::vector<VarTransferResult> results(static_cast<std::size_t>(n));
  VarTransferSummary summary{};
  VarPlan_Run(&plan, plc.conn, planned.v.data(), results.data(), &summary);
  Check(summary.lostLink == 0, "lost link", -1, summary.lostLink);
  const std::vector<plcsim::Bytes> afterPlan = Memory(plc.sim.Model());

  FillMemory(plc.sim.Model(), seed);
  for (int i = 0; i < n; ++i) {
    const plantest::SeparateResult s = plantest::SeparateTransfer(plc.conn, &separate.v[i], pdu, direction);
    Check(results[i].error == s.error, "error", i, results[i].error, s.error);
    Check(results[i].itemCode == s.itemCode, "item code", i, results[i].itemCode, s.itemCode);
    if (direction == PlanDirection::Read && s.error == S7_OK)
      Check(std::memcmp(planned.v[i].values, separate.v[i].values,
                        static_cast<std::size_t>(planned.v[i].slotSize) * planned.v[i].count) == 0,
            "values", i);
  }
  if (direction == PlanDirection::Write) {
    // Where a variable failed, its pieces that went in depend on where it
    // was cut: only the bytes of no failed variable must agree.
    std::vector<plcsim::Bytes> afterSeparate = Memory(plc.sim.Model());
    std::vector<plcsim::Bytes> plannedMemory = afterPlan;
    for (int i = 0; i < n; ++i)
      if (results[i].error != S7_OK) {
        Blank(planned.v[i], &plannedMemory);
        Blank(planned.v[i], &afterSeparate);
      }
    for (std::size_t a = 0; a < plannedMemory.size(); ++a)
      for (std::size_t b = 0; b < plannedMemory[a].size(); ++b)
        Check(plannedMemory[a][b] == afterSeparate[a][b], "memory after the write (area, byte)", static_cast<int>(a),
              static_cast<int>(b), 0);
  }
  VarPlan_Free(&plan);
  return 0;
}
