// Tables larger than one request against the Snap7 server, at the PDU it
// grants by default (512) and at 240: five hundred variables (neighbours
// merged, others apart) and a 2,000-byte array, written with every byte
// checked in the server's buffers, and read back from bytes this project's
// code never wrote. Plans fill requests and replies to the PDU's last byte,
// which the server takes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/interop/snap7_peer.h"
#include "tests/support/plan_tables.h"
#include "vars/vars.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The server's own area codes, by the library's area number.
constexpr int kSnap7Area[6] = {0, 1, 2, 5, 4, 3};

using plantest::Spec;
using Table = plantest::SpecTable;

// 300 Ints two bytes apart (merged), 130 Words seven bytes apart (merged
// with their gaps), 49 Bytes of the flags, 20 DWords far apart (each its own
// item) and a 2,000-byte array.
std::vector<Spec> FiveHundred() {
  std::vector<Spec> specs;
  for (int i = 0; i < 300; ++i) specs.push_back({S7_TYPE_INT, S7_AREA_DB, 20, 4 * i, 0, 1});
  for (int i = 0; i < 130; ++i) specs.push_back({S7_TYPE_WORD, S7_AREA_DB, 10, 7 * i, 0, 1});
  for (int i = 0; i < 49; ++i) specs.push_back({S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 5 * i, 0, 1});
  for (int i = 0; i < 20; ++i) specs.push_back({S7_TYPE_DWORD, S7_AREA_DB, 1, 24 * i, 0, 1});
  specs.push_back({S7_TYPE_BYTE, S7_AREA_DB, 21, 1000, 0, 2000});
  return specs;
}

std::uint32_t Slot(const PlcVariable& v, int element) {
  std::uint32_t slot = 0;
  std::memcpy(&slot, v.values + 4 * element, 4);
  return slot;
}

// The element's wire bytes as the server keeps them, from its slot.
Bytes Wire(const PlcVariable& v, int element) {
  const std::uint32_t s = Slot(v, element);
  switch (v.wireSize) {
    case 1: return {static_cast<std::uint8_t>(s)};
    case 2: return {static_cast<std::uint8_t>(s >> 8), static_cast<std::uint8_t>(s)};
    default:
      return {static_cast<std::uint8_t>(s >> 24), static_cast<std::uint8_t>(s >> 16), static_cast<std::uint8_t>(s >> 8),
              static_cast<std::uint8_t>(s)};
  }
}

class Snap7PlannerTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(peer_.Start(&why, GetParam())) << why;
    iface_ = S7_Interface_Init(S7_KIND_TCP);
    conn_ = S7_Connection_Init(iface_, "snap7", 2000, peer_.Address(), 0, 2, 240);
    ASSERT_EQ(S7_GetPduSize(conn_), GetParam());
  }
  void TearDown() override {
    iface_ = S7_Interface_Done(iface_);
    peer_.Stop();
  }
  Bytes Buffer(const PlcVariable& v) { return peer_.Area(kSnap7Area[v.area], v.dbNumber); }
  int Run(Table* table, PlanDirection direction, std::vector<VarTransferResult>* results, int* requests) {
    VarPlan plan{};
    EXPECT_EQ(VarPlan_Build(table->v.data(), static_cast<int>(table->v.size()), GetParam(), {direction}, &plan), 1);
    results->assign(table->v.size(), VarTransferResult{});
    VarTransferSummary summary{};
    const int rc = VarPlan_Run(&plan, conn_, table->v.data(), results->data(), &summary);
    *requests = plan.requestCount;
    EXPECT_EQ(summary.requests, plan.requestCount);
    VarPlan_Free(&plan);
    return rc;
  }

  Snap7Peer peer_;
  S7Interface* iface_ = nullptr;
  S7Connection* conn_ = nullptr;
};

TEST_P(Snap7PlannerTest, FiveHundredVariablesAndALongArrayWrittenByteForByte) {
  Table table(FiveHundred());
  std::uint32_t seed = 5;
  for (PlcVariable& v : table.v)
    for (int e = 0; e < v.count; ++e) {
      seed = seed * 1664525u + 1013904223u;
      const std::uint32_t value = seed >> 8;
      std::memcpy(v.values + 4 * e, &value, 4);
    }
  std::vector<VarTransferResult> results;
  int requests = 0;
  ASSERT_EQ(Run(&table, PlanDirection::Write, &results, &requests), S7_OK);
  EXPECT_GT(requests, 1);
  for (std::size_t i = 0; i < table.v.size(); ++i) {
    const PlcVariable& v = table.v[i];
    const Bytes buffer = Buffer(v);
    for (int e = 0; e < v.count; ++e) {
      const Bytes wire = Wire(v, e);
      const std::size_t at = static_cast<std::size_t>(v.start + e * v.wireSize);
      ASSERT_LE(at + wire.size(), buffer.size());
      ASSERT_EQ(Bytes(buffer.begin() + static_cast<std::ptrdiff_t>(at),
                      buffer.begin() + static_cast<std::ptrdiff_t>(at + wire.size())),
                wire)
          << "variable " << i << " element " << e;
    }
  }
}

TEST_P(Snap7PlannerTest, FiveHundredVariablesAndALongArrayRead) {
  // Every buffer the table reads from filled with a pattern of its own.
  const std::pair<int, int> areas[] = {{5, 20}, {5, 10}, {2, 0}, {5, 1}, {5, 21}};
  for (const auto& [area, db] : areas) {
    Bytes bytes = peer_.Area(area, db);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + db + 1);
    peer_.SetArea(area, db, bytes);
  }
  Table table(FiveHundred());
  std::vector<VarTransferResult> results;
  int requests = 0;
  ASSERT_EQ(Run(&table, PlanDirection::Read, &results, &requests), S7_OK);
  for (std::size_t i = 0; i < table.v.size(); ++i) {
    const PlcVariable& v = table.v[i];
    const Bytes buffer = Buffer(v);
    for (int e = 0; e < v.count; ++e) {
      const std::size_t at = static_cast<std::size_t>(v.start + e * v.wireSize);
      std::uint32_t expected = 0;
      for (int k = 0; k < v.wireSize; ++k) expected = expected << 8 | buffer[at + static_cast<std::size_t>(k)];
      if (v.type == S7_TYPE_INT) expected = static_cast<std::uint32_t>(static_cast<std::int16_t>(expected));
      ASSERT_EQ(Slot(v, e), expected) << "variable " << i << " element " << e;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pdu, Snap7PlannerTest, ::testing::Values(512, 240));

}  // namespace
