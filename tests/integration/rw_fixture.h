// A connected connection to the simulator, and the variables of every type
// that the read and write tests share: what the host slots hold, the wire
// bytes they become in the CPU's memory, and what reading those bytes gives.
#pragma once

#include <cstring>
#include <vector>

#include "tests/integration/sim_fixture.h"
#include "tools/plcsim/plcfaults.h"

namespace rwtest {

using plcsim::Bytes;
using Slots = std::vector<std::uint32_t>;

inline constexpr std::uint8_t kWireArea[6] = {plcsim::kAreaInputs, plcsim::kAreaOutputs, plcsim::kAreaFlags,
                                              plcsim::kAreaDataBlock, plcsim::kAreaTimers, plcsim::kAreaCounters};

struct Var {
  const char* what;
  unsigned type;
  unsigned area;
  int db, start, bit, count;
  Slots slots;  // host slots written (empty for Char and Date&Time: the wire bytes are the values)
  Bytes wire;   // the CPU's memory afterwards
  Slots back;   // host slots read back from those bytes

  bool raw() const { return type == S7_TYPE_CHAR || type == S7_TYPE_DATETIME; }
  // The value buffer the library takes and fills.
  Bytes Values() const {
    if (raw()) return wire;
    Bytes b(slots.size() * 4);
    std::memcpy(b.data(), slots.data(), b.size());
    return b;
  }
  Bytes Expected() const {
    if (raw()) return wire;
    Bytes b(back.size() * 4);
    std::memcpy(b.data(), back.data(), b.size());
    return b;
  }
  int Offset() const { return area >= S7_AREA_TIMERS ? start * 2 : start; }
};

// One variable of every type, at distinct addresses of flags, DB1, timers
// and counters, so that they can also go in one request together.
inline std::vector<Var> AllTypes() {
  return {
      {"Bit", S7_TYPE_BIT, S7_AREA_DB, 1, 2, 3, 1, {7}, {0x08}, {1}},
      {"packed Bit", S7_TYPE_BIT, S7_AREA_FLAGS, 0, 4, 0, 16,
       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, {0x01, 0xC0},
       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}},
      {"Byte", S7_TYPE_BYTE, S7_AREA_DB, 1, 10, 0, 3, {0x180, 0x7F, 0}, {0x80, 0x7F, 0x00}, {128, 127, 0}},
      {"Short", S7_TYPE_SHORT, S7_AREA_DB, 1, 13, 0, 2, {0xFFFFFF80u, 5}, {0x80, 0x05}, {0xFFFFFF80u, 5}},
      {"Char", S7_TYPE_CHAR, S7_AREA_DB, 1, 15, 0, 5, {}, {'H', 'e', 'l', 'l', 'o'}, {}},
      {"Word", S7_TYPE_WORD, S7_AREA_DB, 1, 20, 0, 2, {0x1FFFE, 0x1234}, {0xFF, 0xFE, 0x12, 0x34}, {65534, 0x1234}},
      {"Int", S7_TYPE_INT, S7_AREA_DB, 1, 24, 0, 1, {0xFFFFFFFEu}, {0xFF, 0xFE}, {0xFFFFFFFEu}},
      {"DWord", S7_TYPE_DWORD, S7_AREA_DB, 1, 26, 0, 1, {0xDEADBEEF}, {0xDE, 0xAD, 0xBE, 0xEF}, {0xDEADBEEF}},
      {"DInt", S7_TYPE_DINT, S7_AREA_DB, 1, 30, 0, 1, {0xFFFFFFFFu}, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFFFFFFFFu}},
      {"Time", S7_TYPE_TIME, S7_AREA_DB, 1, 34, 0, 1, {0xFFFFFC18u}, {0xFF, 0xFF, 0xFC, 0x18}, {0xFFFFFC18u}},
      {"TOD", S7_TYPE_TOD, S7_AREA_DB, 1, 38, 0, 1, {86399999}, {0x05, 0x26, 0x5B, 0xFF}, {86399999}},
      {"S5Time", S7_TYPE_S5TIME, S7_AREA_DB, 1, 42, 0, 2, {12345, 127000}, {0x11, 0x23, 0x21, 0x27},
       {12300, 127000}},
      {"Real", S7_TYPE_REAL, S7_AREA_DB, 1, 46, 0, 1, {0x3FC00000}, {0x3F, 0xC0, 0x00, 0x00}, {0x3FC00000}},
      {"Date&Time", S7_TYPE_DATETIME, S7_AREA_DB, 1, 50, 0, 1, {},
       {0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}, {}},
      {"Date", S7_TYPE_DATE, S7_AREA_DB, 1, 58, 0, 1, {0x2345}, {0x23, 0x45}, {0x2345}},
      {"Timer", S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 3, 0, 2, {9990, 20000000}, {0x09, 0x99, 0x00, 0x00},
       {9990, 0}},
      {"Counter", S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 5, 0, 2, {42, 999}, {0x00, 0x42, 0x09, 0x99},
       {42, 999}},
  };
}

}  // namespace rwtest

class RwTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    conn_ = Connect();
    ASSERT_EQ(S7_IsConnected(conn_), 1);
  }

  // A simulator that grants 512 bytes, and a connection to it.
  void UseBigPdu() {
    plcsim::Config config;
    config.model.pduSize = 512;
    StartSim(config);
    conn_ = Connect("big");
    ASSERT_EQ(S7_GetPduSize(conn_), 512);
  }

  plcsim::PlcModel& Model() { return sim_.Model(); }
  plcsim::Bytes Memory(const rwtest::Var& v) {
    return Model().ReadMemory(rwtest::kWireArea[v.area], v.db, v.Offset(), static_cast<int>(v.wire.size()));
  }
  void SetMemory(const rwtest::Var& v) {
    ASSERT_TRUE(Model().WriteMemory(rwtest::kWireArea[v.area], v.db, v.Offset(), v.wire)) << v.what;
  }
  static int Add(S7Connection* conn, const rwtest::Var& v, void* values, int convert = 1) {
    return S7_AddVar(conn, v.type, v.area, v.db, v.start, v.bit, v.count, convert, values);
  }

  S7Connection* conn_ = nullptr;
};
