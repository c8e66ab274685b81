// A connected connection to the simulator for the read, write and CPU tests.
#pragma once

#include "tests/integration/sim_fixture.h"
#include "tests/rw_vars.h"
#include "tools/plcsim/plcfaults.h"

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
