// The request planner against the simulated CPU: for each table of the case
// list, a planned read or write must leave exactly the values and codes of
// separate single-variable transfers, in no more requests than the bytes
// and items need, with no request beyond the PDU (the simulator refuses
// those as a CPU does).
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/sim_fixture.h"
#include "tools/plcsim/plcfaults.h"
#include "tests/support/plan_tables.h"
#include "tests/support/separate_transfer.h"
#include "vars/vars.h"

namespace {

using plcsim::Bytes;

using plantest::Spec;
using VarSet = plantest::SpecTable;

using plantest::Next;

// Word variables with gapBytes between them, from byte 0 of DB1.
std::vector<Spec> Spaced(int n, int type, int count, int gapBytes, int db = 1) {
  std::vector<Spec> specs;
  const int wire = Var_TypeInfo(type)->wireSize * count;
  for (int i = 0; i < n; ++i) specs.push_back({type, S7_AREA_DB, db, i * (wire + gapBytes), 0, count});
  return specs;
}

std::vector<Spec> One() { return {{S7_TYPE_WORD, S7_AREA_DB, 1, 4, 0, 3}}; }
// Words too far apart for one reply to hold two of them: never merged.
constexpr int kFarGap = 600;
std::vector<Spec> Words19() { return Spaced(19, S7_TYPE_WORD, 1, kFarGap); }
std::vector<Spec> Words20() { return Spaced(20, S7_TYPE_WORD, 1, kFarGap); }
std::vector<Spec> Words21() { return Spaced(21, S7_TYPE_WORD, 1, kFarGap); }
std::vector<Spec> Words40() { return Spaced(40, S7_TYPE_WORD, 1, kFarGap); }
std::vector<Spec> Words41() { return Spaced(41, S7_TYPE_WORD, 1, kFarGap); }
// Words 30 bytes apart: too far for the byte rule, near enough to bridge
// where that saves a request.
std::vector<Spec> Near20() { return Spaced(20, S7_TYPE_WORD, 1, 30); }
std::vector<Spec> Near41() { return Spaced(41, S7_TYPE_WORD, 1, 30); }

std::vector<Spec> Scattered500() { return plantest::ScatteredWords(); }

std::vector<Spec> Array2000() { return {{S7_TYPE_BYTE, S7_AREA_DB, 2, 7, 0, 2000}}; }
std::vector<Spec> Reals600() { return {{S7_TYPE_REAL, S7_AREA_DB, 3, 100, 0, 600}, {S7_TYPE_WORD, S7_AREA_FLAGS, 0, 8, 0, 3}}; }

std::vector<Spec> Gap(int gap) {
  return {{S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1}, {S7_TYPE_WORD, S7_AREA_DB, 1, 2 + gap, 0, 1}};
}
std::vector<Spec> Gap0() { return Gap(0); }
std::vector<Spec> Gap1() { return Gap(1); }
std::vector<Spec> Gap10() { return Gap(10); }
std::vector<Spec> Gap30() { return Gap(30); }

// Bits inside the bytes of a merged run, and one beside it.
std::vector<Spec> Bits() {
  return {{S7_TYPE_BIT, S7_AREA_FLAGS, 0, 10, 0, 1}, {S7_TYPE_BIT, S7_AREA_FLAGS, 0, 10, 3, 1},
          {S7_TYPE_BIT, S7_AREA_FLAGS, 0, 11, 7, 1}, {S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 10, 0, 2},
          {S7_TYPE_BIT, S7_AREA_FLAGS, 0, 12, 0, 16}, {S7_TYPE_BIT, S7_AREA_FLAGS, 0, 15, 5, 1}};
}

// 300 single bits of the flags, every third one.
std::vector<Spec> Bits300() {
  std::vector<Spec> specs;
  for (int i = 0; i < 300; ++i) specs.push_back({S7_TYPE_BIT, S7_AREA_FLAGS, 0, 3 * i / 8, 3 * i % 8, 1});
  return specs;
}

// Every area, several DBs and every type, interleaved in the table.
std::vector<Spec> Mixed() {
  std::vector<Spec> specs;
  for (int i = 0; i < 8; ++i) {
    specs.push_back({S7_TYPE_BYTE, S7_AREA_INPUTS, 0, 4 * i, 0, 3});
    specs.push_back({S7_TYPE_WORD, S7_AREA_OUTPUTS, 0, 6 * i, 0, 2});
    specs.push_back({S7_TYPE_INT, S7_AREA_DB, 1 + i % 3, 10 * i, 0, 2});
    specs.push_back({S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 2 * i, 0, 2});
    specs.push_back({S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 3 * i, 0, 1});
    specs.push_back({i, S7_AREA_DB, 4, 40 * i, 0, 1 + (i == 0 ? 0 : i % 3)});
    if (8 + i <= static_cast<int>(S7_TYPE_DATE)) specs.push_back({8 + i, S7_AREA_DB, 4, 400 + 40 * i, 0, 1 + i % 3});
    specs.push_back({S7_TYPE_CHAR, S7_AREA_FLAGS, 0, 7 * i, 0, 5});
  }
  return specs;
}

// Byte arrays of odd lengths close together: every request has fill bytes.
std::vector<Spec> OddLengths() {
  std::vector<Spec> specs;
  for (int i = 0; i < 60; ++i) specs.push_back({S7_TYPE_BYTE, S7_AREA_DB, 1, 40 * i, 0, 1 + 2 * (i % 9)});
  return specs;
}

struct PlanCase {
  const char* name;
  int pdu;
  std::vector<Spec> (*make)();
  PlanDirection direction;
  PlanMerge merge;
  int chunks;    // after merging; −1: not checked
  int requests;  // −1: the lower bound
};

constexpr PlanDirection kRead = PlanDirection::Read;
constexpr PlanDirection kWrite = PlanDirection::Write;
constexpr PlanMerge kDefault = PlanMerge::WhenSeveral;

const PlanCase kCases[] = {
    {"one small variable", 240, One, kRead, kDefault, 1, 1},
    {"19 Words at 240: one request, as always", 240, Words19, kRead, kDefault, 19, 1},
    {"20 Words at 240", 240, Words20, kRead, kDefault, 20, 2},
    {"21 Words at 240", 240, Words21, kRead, kDefault, 21, 2},
    {"20 Words at 480", 480, Words20, kRead, kDefault, 20, 1},
    {"21 Words at 480", 480, Words21, kRead, kDefault, 21, 2},
    {"40 Words at 480", 480, Words40, kRead, kDefault, 40, 2},
    {"41 Words at 480", 480, Words41, kRead, kDefault, 41, 3},
    {"20 near Words at 240: a gap bridged, one request", 240, Near20, kRead, kDefault, 19, 1},
    {"41 near Words at 240: three gaps bridged, two requests", 240, Near41, kRead, kDefault, 38, 2},
    {"41 near Words at 480: one gap bridged, two requests", 480, Near41, kRead, kDefault, 40, 2},
    {"20 near Words written: never bridged", 240, Near20, kWrite, kDefault, 20, 2},
    {"500 scattered Words at 240", 240, Scattered500, kRead, kDefault, -1, -1},
    {"500 scattered Words at 480", 480, Scattered500, kRead, kDefault, -1, -1},
    {"2000-byte array at 240", 240, Array2000, kRead, kDefault, 1, 10},
    {"2000-byte array at 480", 480, Array2000, kRead, kDefault, 1, 5},
    {"600 Reals and a neighbour", 240, Reals600, kRead, kDefault, 2, -1},
    {"gap 0 merges", 240, Gap0, kRead, PlanMerge::Always, 1, 1},
    {"gap 1 merges", 240, Gap1, kRead, PlanMerge::Always, 1, 1},
    {"gap 10 merges", 240, Gap10, kRead, PlanMerge::Always, 1, 1},
    {"gap 30 stays apart", 240, Gap30, kRead, PlanMerge::Always, 2, 1},
    {"gap 0 apart in one request as always", 240, Gap0, kRead, kDefault, 2, 1},
    {"bits inside merged bytes", 240, Bits, kRead, PlanMerge::Always, 1, 1},
    {"300 bits", 240, Bits300, kRead, kDefault, 1, 1},
    {"mixed areas, DBs and types", 240, Mixed, kRead, kDefault, -1, -1},
    {"mixed, never merged", 240, Mixed, kRead, PlanMerge::Never, 62, -1},
    {"odd lengths and fill bytes", 240, OddLengths, kRead, kDefault, -1, -1},
    {"writes are never merged", 240, Gap0, kWrite, PlanMerge::Always, 2, 1},
    {"21 Words written at 240", 240, Words21, kWrite, kDefault, 21, 2},
    {"2000-byte write at 240", 240, Array2000, kWrite, kDefault, 1, 10},
    {"mixed writes", 240, Mixed, kWrite, kDefault, 62, -1},
    {"odd-length writes", 480, OddLengths, kWrite, kDefault, 60, -1},
};

class PlanSimTest : public SimTest {
 protected:
  void SetUp() override {}

  void Start(int pdu) {
    plcsim::Config config;
    config.model.pduSize = pdu;
    config.model.inputBytes = config.model.outputBytes = 512;
    config.model.flagBytes = 1024;
    config.model.dataBlocks = {{1, 32768}, {2, 4096}, {3, 4096}, {4, 4096}, {5, 100}};
    StartSim(config);
    conn_ = Connect();
    ASSERT_EQ(S7_GetPduSize(conn_), pdu);
  }

  struct AreaRef {
    std::uint8_t code;
    int db, size;
  };
  static constexpr AreaRef kAreas[] = {{0x81, 0, 512}, {0x82, 0, 512}, {0x83, 0, 1024}, {0x1D, 0, 512},
                                       {0x1C, 0, 512}, {0x84, 1, 32768}, {0x84, 2, 4096}, {0x84, 3, 4096},
                                       {0x84, 4, 4096}, {0x84, 5, 100}};

  void FillMemory(std::uint32_t seed) {
    for (const AreaRef& a : kAreas) {
      Bytes bytes(static_cast<std::size_t>(a.size));
      for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(Next(&seed));
      ASSERT_TRUE(sim_.Model().WriteMemory(a.code, a.db, 0, bytes));
    }
  }
  std::vector<Bytes> Memory() {
    std::vector<Bytes> all;
    for (const AreaRef& a : kAreas) all.push_back(sim_.Model().ReadMemory(a.code, a.db, 0, a.size));
    return all;
  }
  static void FillValues(VarSet* set, std::uint32_t seed) {
    for (PlcVariable& v : set->v)
      for (int i = 0; i < v.bufferSize; ++i) v.values[i] = static_cast<std::uint8_t>(Next(&seed));
  }

  S7Connection* conn_ = nullptr;
};

class VarPlanTest : public PlanSimTest, public ::testing::WithParamInterface<PlanCase> {};

std::string Values(const PlcVariable& v) {
  return std::string(reinterpret_cast<const char*>(v.values), static_cast<std::size_t>(v.slotSize) * v.count);
}

TEST_P(VarPlanTest, LeavesWhatSeparateTransfersLeaveInTheFewestRequests) {
  const PlanCase& c = GetParam();
  Start(c.pdu);
  const std::vector<Spec> specs = c.make();
  VarSet planned(specs), separate(specs);
  VarPlan plan{};
  ASSERT_EQ(VarPlan_Build(planned.v.data(), static_cast<int>(specs.size()), c.pdu, {c.direction, c.merge}, &plan), 1);
  if (c.chunks >= 0) {
    EXPECT_EQ(plan.chunkCount, c.chunks);
  }
  if (c.direction == kWrite) {
    EXPECT_EQ(plan.merged, 0);
  }
  const int bound = plantest::LowerBound(plan);
  EXPECT_EQ(plan.requestCount, c.requests >= 0 ? c.requests : bound) << "lower bound " << bound;
  for (std::int32_t i = 0; i < plan.requestCount; ++i) {
    EXPECT_LE(plan.requests[i].requestBytes, c.pdu);
    EXPECT_LE(plan.requests[i].replyBytes, c.pdu);
  }

  FillMemory(7);
  FillValues(&planned, 99);
  FillValues(&separate, 99);
  std::vector<VarTransferResult> results(specs.size());
  VarTransferSummary summary{};
  const int before = sim_.RequestCount();
  EXPECT_EQ(VarPlan_Run(&plan, conn_, planned.v.data(), results.data(), &summary), S7_OK);
  EXPECT_EQ(summary.requests, plan.requestCount);
  EXPECT_TRUE(Eventually([&] { return sim_.RequestCount() - before == plan.requestCount; }));
  const std::vector<Bytes> afterPlan = Memory();

  FillMemory(7);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const plantest::SeparateResult s = plantest::SeparateTransfer(conn_, &separate.v[i], c.pdu, c.direction);
    EXPECT_EQ(results[i].error, s.error) << "variable " << i;
    EXPECT_EQ(results[i].itemCode, s.itemCode) << "variable " << i;
    EXPECT_EQ(results[i].piecesDone, results[i].pieces) << "variable " << i;
    if (c.direction == kRead) {
      EXPECT_EQ(Values(planned.v[i]), Values(separate.v[i])) << "variable " << i;
    }
  }
  if (c.direction == kWrite) {
    EXPECT_TRUE(afterPlan == Memory()) << "the PLC's memory differs";
  }
  VarPlan_Free(&plan);
}

INSTANTIATE_TEST_SUITE_P(Tables, VarPlanTest, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

}  // namespace

namespace {

// A plan run with the nth request (from 1) answered with the fault; the
// requests before it pass unchanged.
struct Planned {
  VarSet vars;
  VarPlan plan{};
  std::vector<VarTransferResult> results;
  VarTransferSummary summary{};
  Planned(const std::vector<Spec>& specs, int pdu, PlanOptions options) : vars(specs), results(specs.size()) {
    EXPECT_EQ(VarPlan_Build(vars.v.data(), static_cast<int>(specs.size()), pdu, options, &plan), 1);
  }
  ~Planned() { VarPlan_Free(&plan); }
  int Run(S7Connection* conn) { return VarPlan_Run(&plan, conn, vars.v.data(), results.data(), &summary); }
  // The variables the request carries.
  std::vector<int> VariablesOf(int request) const {
    std::vector<int> out;
    const PlanRequest& q = plan.requests[request];
    for (int i = 0; i < q.itemCount; ++i) out.push_back(plan.chunks[plan.items[q.firstItem + i].chunk].variable);
    return out;
  }
};

class PlanFaultTest : public PlanSimTest {
 protected:
  void FaultOnRequest(int n, plcsim::Fault fault) {
    for (int i = 1; i < n; ++i) sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [](Bytes&) {}});
    sim_.Inject(std::move(fault));
  }
};

TEST_F(PlanFaultTest, AMergedRunWithOneBadAddressIsReadAgainSplitUp) {
  Start(240);
  FillMemory(3);
  // DB5 has 100 bytes: the last variable reaches past its end.
  Planned p({{S7_TYPE_WORD, S7_AREA_DB, 5, 90, 0, 1}, {S7_TYPE_WORD, S7_AREA_DB, 5, 96, 0, 1},
             {S7_TYPE_BYTE, S7_AREA_DB, 5, 98, 0, 4}, {S7_TYPE_INT, S7_AREA_DB, 5, 0, 0, 2}},
            240, {PlanDirection::Read, PlanMerge::Always});
  ASSERT_EQ(p.plan.chunkCount, 2);
  EXPECT_EQ(p.Run(conn_), S7_ERR_DATA);
  EXPECT_EQ(p.summary.requests, 2) << "the run, then its three variables on their own";
  EXPECT_EQ(p.summary.failed, 1);
  const Bytes db5 = sim_.Model().ReadMemory(0x84, 5, 0, 100);
  auto word = [&](int at) { return static_cast<std::uint32_t>(db5[at] << 8 | db5[at + 1]); };
  std::uint32_t slot = 0;
  std::memcpy(&slot, p.vars.v[0].values, 4);
  EXPECT_EQ(slot, word(90));
  std::memcpy(&slot, p.vars.v[1].values, 4);
  EXPECT_EQ(slot, word(96));
  EXPECT_EQ(p.results[2].error, S7_ERR_DATA);
  EXPECT_EQ(p.results[2].itemCode, 0x05);
  EXPECT_EQ(p.results[3].error, S7_OK);
}

TEST_F(PlanFaultTest, ARequestRefusedAsAWholeFailsItsVariablesOnly) {
  Start(240);
  FillMemory(4);
  Planned p(Words41(), 240, {});
  ASSERT_EQ(p.plan.requestCount, 3);
  FaultOnRequest(2, plcsim::ErrorClassFault(0x81, 0x04));
  EXPECT_EQ(p.Run(conn_), S7_ERR_PDU);
  EXPECT_EQ(p.summary.ext, 0x8104);
  EXPECT_EQ(p.summary.requests, 3);
  EXPECT_EQ(p.summary.lostLink, 0);
  const std::vector<int> refused = p.VariablesOf(1);
  EXPECT_EQ(p.summary.failed, static_cast<int>(refused.size()));
  for (int v : refused) {
    EXPECT_EQ(p.results[v].error, S7_ERR_PDU) << v;
    EXPECT_EQ(p.results[v].ext, 0x8104) << v;
  }
  constexpr int kApart = 2 + kFarGap;
  const Bytes db1 = sim_.Model().ReadMemory(0x84, 1, 0, 41 * kApart);
  for (int v : p.VariablesOf(2)) {
    std::uint32_t slot = 0;
    std::memcpy(&slot, p.vars.v[v].values, 4);
    EXPECT_EQ(slot, static_cast<std::uint32_t>(db1[kApart * v] << 8 | db1[kApart * v + 1])) << v;
  }
}

TEST_F(PlanFaultTest, ALostLinkFailsTheRestWithItsCode) {
  Start(240);
  Planned p(Words41(), 240, {});
  ASSERT_EQ(p.plan.requestCount, 3);
  FaultOnRequest(2, {plcsim::FaultKind::CloseMidReply});
  const int rc = p.Run(conn_);
  EXPECT_EQ(rc, S7_ERR_SOCKET);
  EXPECT_EQ(p.summary.lostLink, rc);
  EXPECT_EQ(p.summary.requests, 2) << "nothing is sent after the link is gone";
  const int done = static_cast<int>(p.VariablesOf(0).size());
  EXPECT_EQ(p.summary.failed, 41 - done);
  EXPECT_EQ(p.summary.lostVariables, 41 - done);
  for (int v : p.VariablesOf(0)) EXPECT_EQ(p.results[v].error, S7_OK) << v;
  for (int v : p.VariablesOf(2)) {
    EXPECT_EQ(p.results[v].error, rc) << v;
    EXPECT_EQ(p.results[v].lost, 1) << v;
  }
}

TEST_F(PlanFaultTest, AWriteRefusedInOneRequestSaysWhichPartsWentIn) {
  Start(240);
  FillMemory(5);
  const Bytes before = sim_.Model().ReadMemory(0x84, 2, 0, 4096);
  Planned p(Array2000(), 240, {PlanDirection::Write});
  ASSERT_EQ(p.plan.requestCount, 10);
  for (int i = 0; i < 2000; ++i) p.vars.v[0].values[4 * i] = static_cast<std::uint8_t>(i * 7 + 1);
  FaultOnRequest(3, plcsim::ErrorClassFault(0x81, 0x04));
  // The fault only rewrites the answer, so the third request's bytes are in
  // the PLC all the same: they are left out of the comparison.
  EXPECT_EQ(p.Run(conn_), S7_ERR_PDU);
  EXPECT_EQ(p.results[0].error, S7_ERR_PDU);
  EXPECT_EQ(p.results[0].pieces, 10);
  EXPECT_EQ(p.results[0].piecesDone, 9);
  EXPECT_EQ(p.summary.requests, 10) << "the other requests still go";
  const Bytes after = sim_.Model().ReadMemory(0x84, 2, 0, 4096);
  const PlanItem& third = p.plan.items[p.plan.requests[2].firstItem];
  for (int i = 0; i < 2000; ++i) {
    if (i >= third.first && i < third.first + third.units) continue;
    ASSERT_EQ(after[7 + i], static_cast<std::uint8_t>(i * 7 + 1)) << "byte " << i;
  }
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 7), Bytes(before.begin(), before.begin() + 7));
}

TEST_F(PlanFaultTest, WritesKeepTheTablesOrder) {
  Start(240);
  // The first and the last of 30 write the same word, several requests apart.
  std::vector<Spec> specs = Spaced(30, S7_TYPE_WORD, 1, 4);
  specs.back() = specs.front();
  Planned p(specs, 240, {PlanDirection::Write});
  ASSERT_GE(p.plan.requestCount, 2);
  std::uint32_t first = 0x1111, last = 0x2222;
  std::memcpy(p.vars.v.front().values, &first, 4);
  std::memcpy(p.vars.v.back().values, &last, 4);
  EXPECT_EQ(p.Run(conn_), S7_OK);
  EXPECT_EQ(sim_.Model().ReadMemory(0x84, 1, 0, 2), (Bytes{0x22, 0x22}));
}

}  // namespace

namespace {

// What keeps the planner's tests honest: the simulator refuses, as a CPU
// does, a job larger than the PDU it granted or one whose reply would be.
TEST(PlanSimulator, RefusesJobsAndRepliesBeyondTheGrantedPdu) {
  plcsim::PlcModel model(plcsim::ModelConfig{});
  plcsim::SessionState session;
  Bytes reply;
  ASSERT_TRUE(model.Handle({0x32, 1, 0, 0, 0, 0, 0, 8, 0, 0, 0xF0, 0, 0, 1, 0, 1, 0x00, 0xF0}, &reply, &session));
  ASSERT_EQ(session.pduSize, 240);
  struct Case {
    int items, bytes;
    bool refused;
  } cases[] = {{1, 222, false}, {1, 223, true}, {19, 2, false}, {20, 2, true}};
  for (const Case& c : cases) {
    Bytes request = {0x32, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x04, static_cast<std::uint8_t>(c.items)};
    for (int i = 0; i < c.items; ++i)
      request.insert(request.end(), {0x12, 0x0A, 0x10, 0x02, 0x00, static_cast<std::uint8_t>(c.bytes), 0x00, 0x01,
                                     0x84, 0x00, 0x00, static_cast<std::uint8_t>(8 * i)});
    request[7] = static_cast<std::uint8_t>(2 + 12 * c.items);
    ASSERT_TRUE(model.Handle(request, &reply, &session));
    ASSERT_GE(reply.size(), 12u);
    EXPECT_EQ(reply[1] == 2 && reply[10] == 0x85 && reply[11] == 0x00, c.refused) << c.items << " x " << c.bytes;
  }
}

}  // namespace
