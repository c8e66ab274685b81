// Reading and writing variables and the CPU and session services over
// MPI/PROFIBUS: the same services as over TCP, carried in SCP blocks to a CPU
// station of the stand-in's bus.
#include <cstring>

#include "tests/rw_vars.h"
#include "tests/scp/scp_fixture.h"

namespace {

class ScpServicesTest : public ScpTest {
 protected:
  void SetUp() override {
    ScpTest::SetUp();
    iface_ = Open(S7_KIND_CP_L2_1);
    ASSERT_NE(iface_, nullptr);
    conn_ = S7_Connection_Init(iface_, "mpi", 1000, 2, 0, 0, 240);
    ASSERT_EQ(S7_IsConnected(conn_), 1) << LastError();
  }
  S7Interface* iface_ = nullptr;
  S7Connection* conn_ = nullptr;
};

TEST_F(ScpServicesTest, EveryTypeWrittenAndReadBack) {
  for (const rwtest::Var& v : rwtest::AllTypes()) {
    rwtest::Bytes values = v.Values();
    ASSERT_EQ(S7_SimpleWrite(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, values.data()), S7_OK)
        << v.what;
    rwtest::Bytes back(values.size(), 0xEE);
    ASSERT_EQ(S7_SimpleRead(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, back.data()), S7_OK)
        << v.what;
    EXPECT_EQ(back, v.Expected()) << v.what;
  }
}

TEST_F(ScpServicesTest, AllTypesInOneRead) {
  std::vector<rwtest::Var> vars = rwtest::AllTypes();
  for (const rwtest::Var& v : vars) {
    rwtest::Bytes values = v.Values();
    ASSERT_EQ(S7_SimpleWrite(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, values.data()), S7_OK);
  }
  std::vector<rwtest::Bytes> back;
  for (const rwtest::Var& v : vars) back.emplace_back(v.Values().size(), 0xEE);
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const rwtest::Var& v = vars[i];
    ASSERT_EQ(S7_AddVar(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, back[i].data()), S7_OK)
        << v.what;
  }
  ASSERT_EQ(S7_MultiRead(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCount(conn_), static_cast<int>(vars.size()));
  for (std::size_t i = 0; i < vars.size(); ++i) EXPECT_EQ(back[i], vars[i].Expected()) << vars[i].what;
}

TEST_F(ScpServicesTest, FailedItemKeepsTheOthers) {
  std::uint32_t good[2] = {0, 0}, missing = 0;
  std::uint32_t written = 0xBEEF;
  ASSERT_EQ(S7_SimpleWrite(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 100, 0, 1, 1, &written), S7_OK);
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 100, 0, 1, 1, &good[0]), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 77, 0, 0, 1, 1, &missing), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 100, 0, 1, 1, &good[1]), S7_OK);
  std::int32_t ext = 0;
  EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_DATA);
  S7_GetLastError(&ext);
  EXPECT_EQ(ext, 2);
  int code = 0;
  EXPECT_EQ(S7_GetVarResult(conn_, 1, &code), S7_OK);
  EXPECT_EQ(code, 0x0A);
  EXPECT_EQ(good[0], 0xBEEFu);
  EXPECT_EQ(good[1], 0xBEEFu);
}

TEST_F(ScpServicesTest, CpuStateStopStartAndClock) {
  int state = 0;
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_STOP);
  ASSERT_EQ(S7_CpuStart(conn_, 1), S7_OK);
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);

  const CalendarRecord set{2031, 7, 2, 15, 8, 9, 10, 500};
  ASSERT_EQ(S7_SetCpuClock(conn_, &set), S7_OK);
  CalendarRecord read{};
  ASSERT_EQ(S7_GetCpuClock(conn_, &read), S7_OK);
  EXPECT_EQ(read.year, 2031);
  EXPECT_EQ(read.month, 7);
  EXPECT_EQ(read.day, 15);
  EXPECT_EQ(read.hour, 8);
}

TEST_F(ScpServicesTest, PasswordGatesWritesUntilLogin) {
  ASSERT_EQ(Control("config password secret"), 0);
  S7_Connection_Done(conn_);
  conn_ = S7_Connection_Init(iface_, "mpi", 1000, 2, 0, 0, 240);
  ASSERT_EQ(S7_IsConnected(conn_), 1);
  std::uint32_t value = 7;
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 9, 0, 1, 1, &value), S7_ERR_DATA);
  int code = 0;
  S7_GetVarResult(conn_, 0, &code);
  EXPECT_EQ(code, 0x03);
  EXPECT_EQ(S7_SessionLogin(conn_, "secret"), S7_OK);
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 9, 0, 1, 1, &value), S7_OK);
  EXPECT_EQ(S7_SessionLogout(conn_), S7_OK);
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 9, 0, 1, 1, &value), S7_ERR_DATA);
}

}  // namespace
