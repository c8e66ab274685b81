// The CPU and session services against the simulated CPU: operating state,
// start and stop, the clock, login and logout, and what each does on a
// connection that is not connected or with a reply that does not fit.
#include "tests/integration/rw_fixture.h"

namespace {

using plcsim::Bytes;
using plcsim::FaultKind;
using CpuTest = RwTest;

TEST_F(CpuTest, StateStartAndStop) {
  int state = -1;
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);
  const Bytes query = sim_.LastRequestPdu();
  ASSERT_EQ(query.size(), 26u);
  EXPECT_EQ(Bytes(query.begin() + 6, query.end()),
            (Bytes{0x00, 0x08, 0x00, 0x08, 0x00, 0x01, 0x12, 0x04, 0x11, 0x44, 0x01, 0x00, 0xFF, 0x09, 0x00, 0x04,
                   0x04, 0x24, 0x00, 0x00}));
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  EXPECT_EQ(sim_.LastRequestPdu().size(), 26u);
  EXPECT_FALSE(Model().Running());
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_STOP);

  ASSERT_TRUE(Model().WriteMemory(plcsim::kAreaFlags, 0, 0, {0x77}));
  ASSERT_EQ(S7_CpuStart(conn_, 0), S7_OK);
  EXPECT_EQ(sim_.LastRequestPdu().size(), 30u) << "warm restart: 20 parameter bytes";
  EXPECT_TRUE(Model().Running());
  EXPECT_EQ(Model().LastRestart(), 0);
  EXPECT_EQ(Model().ReadMemory(plcsim::kAreaFlags, 0, 0, 1), Bytes{0x77}) << "a warm restart keeps the flags";
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  ASSERT_EQ(S7_CpuStart(conn_, 5), S7_OK);
  EXPECT_EQ(sim_.LastRequestPdu().size(), 32u) << "cold restart: 22 parameter bytes";
  EXPECT_EQ(Model().LastRestart(), 1);
  EXPECT_EQ(Model().ReadMemory(plcsim::kAreaFlags, 0, 0, 1), Bytes{0x00});
  ASSERT_EQ(S7_GetCpuState(conn_, nullptr), S7_OK) << "the state pointer may be null";

  // The status byte as a CPU may report it.
  struct Case {
    std::uint8_t status;
    int state;
  } cases[] = {{0x04, S7_CPU_STOP}, {0x08, S7_CPU_RUN}, {0x00, S7_CPU_UNKNOWN}, {0x03, S7_CPU_STOP}};
  for (const Case& c : cases) {
    sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { p[22 + 15] = c.status; }});
    ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
    EXPECT_EQ(state, c.state) << int(c.status);
  }
  // A failed exchange leaves the state unknown.
  state = -1;
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p.pop_back(); p[9] -= 1; }});
  EXPECT_EQ(S7_GetCpuState(conn_, &state), S7_ERR_REPLY_SIZE);
  EXPECT_EQ(state, S7_CPU_UNKNOWN);
  // A CPU that refuses a stop.
  sim_.Inject(plcsim::ErrorClassFault(0xD2, 0x04));
  std::int32_t ext = 0;
  EXPECT_EQ(S7_CpuStop(conn_), S7_ERR_PDU);
  EXPECT_EQ(LastError(&ext), S7_ERR_PDU);
  EXPECT_EQ(ext, 0xD204);
}

TEST_F(CpuTest, Clock) {
  const plcsim::SimDateTime set = {2021, 6, 15, 10, 20, 30, 456, 2};
  Model().SetClock(set);
  CalendarRecord clock{};
  ASSERT_EQ(S7_GetCpuClock(conn_, &clock), S7_OK);
  EXPECT_EQ(clock.year, 2021);
  EXPECT_EQ(clock.month, 6);
  EXPECT_EQ(clock.day, 15);
  EXPECT_EQ(clock.weekday, 2);
  EXPECT_EQ(clock.hour, 10);
  EXPECT_EQ(clock.minute, 20);
  EXPECT_LE(clock.second, 31) << "the clock runs, but not that fast";

  const CalendarRecord leap = {2024, 2, 4, 29, 23, 59, 58, 120};
  ASSERT_EQ(S7_SetCpuClock(conn_, &leap), S7_OK);
  const Bytes setRequest = sim_.LastRequestPdu();
  EXPECT_EQ(Bytes(setRequest.end() - 14, setRequest.end()),
            (Bytes{0xFF, 0x09, 0x00, 0x0A, 0x00, 0x19, 0x24, 0x02, 0x29, 0x23, 0x59, 0x58, 0x12, 0x05}));
  const plcsim::SimDateTime now = Model().Clock();
  EXPECT_EQ(now.year, 2024);
  EXPECT_EQ(now.month, 2);
  EXPECT_EQ(now.day, 29);
  ASSERT_EQ(S7_GetCpuClock(conn_, &clock), S7_OK);
  EXPECT_EQ(clock.weekday, 4) << "the CPU works the weekday out itself: a Thursday";

  // An invalid record is not sent; the connection stays usable.
  const int requests = sim_.RequestCount();
  const CalendarRecord month13 = {2024, 13, 1, 1, 0, 0, 0, 0};
  EXPECT_EQ(S7_SetCpuClock(conn_, &month13), S7_ERR_BAD_DATE);
  EXPECT_EQ(LastError(), S7_ERR_BAD_DATE);
  EXPECT_EQ(S7_SetCpuClock(conn_, nullptr), S7_ERR_BAD_DATE);
  EXPECT_EQ(sim_.RequestCount(), requests);
  EXPECT_EQ(S7_GetCpuClock(conn_, &clock), S7_OK);

  // A clock reply that does not decode.
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p[22 + 13] &= 0xF0; }});
  EXPECT_EQ(S7_GetCpuClock(conn_, &clock), S7_ERR_BAD_DATE);
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p[22 + 7] = 0x1A; }});
  EXPECT_EQ(S7_GetCpuClock(conn_, &clock), S7_ERR_BAD_DATE);
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p[21] = 0x0A; }});  // userdata error code
  std::int32_t ext = 0;
  EXPECT_EQ(S7_GetCpuClock(conn_, &clock), S7_ERR_PARAMETER);
  EXPECT_EQ(LastError(&ext), S7_ERR_PARAMETER);
  EXPECT_EQ(ext, 0x000A);
}

TEST_F(CpuTest, LoginScramblesThePassword) {
  struct Case {
    const char* password;
    Bytes wire;
  } cases[] = {
      {"abc", {0x34, 0x37, 0x02, 0x42, 0x77, 0x37, 0x02, 0x42}},
      {"", {0x75, 0x75, 0x00, 0x00, 0x75, 0x75, 0x00, 0x00}},
      {"abcdefghijkl", {0x34, 0x37, 0x02, 0x06, 0x32, 0x35, 0x00, 0x08}},
      {nullptr, {0x75, 0x75, 0x00, 0x00, 0x75, 0x75, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(S7_SessionLogin(conn_, c.password), S7_OK) << (c.password ? c.password : "null");
    const Bytes pdu = sim_.LastRequestPdu();
    ASSERT_EQ(pdu.size(), 30u);
    EXPECT_EQ(Bytes(pdu.begin() + 18, pdu.begin() + 22), (Bytes{0xFF, 0x09, 0x00, 0x08}));
    EXPECT_EQ(Bytes(pdu.begin() + 22, pdu.end()), c.wire) << (c.password ? c.password : "null");
  }
  ASSERT_EQ(S7_SessionLogout(conn_), S7_OK);
  const Bytes logout = sim_.LastRequestPdu();
  EXPECT_EQ(Bytes(logout.end() - 4, logout.end()), (Bytes{0x0A, 0x00, 0x00, 0x00}));
}

TEST_F(CpuTest, NothingIsSentWithoutAConnection) {
  ASSERT_EQ(S7_Disconnect(conn_), S7_OK);
  const int requests = sim_.RequestCount();
  int state = 7;
  CalendarRecord clock{};
  const CalendarRecord valid = {2024, 1, 1, 1, 0, 0, 0, 0};
  EXPECT_EQ(S7_GetCpuState(conn_, &state), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(state, 7) << "nothing is stored when the request could not be begun";
  EXPECT_EQ(S7_CpuStart(conn_, 0), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_CpuStop(conn_), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_GetCpuClock(conn_, &clock), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_SetCpuClock(conn_, &valid), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_SessionLogin(conn_, "x"), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_SessionLogout(conn_), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(LastError(), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(sim_.RequestCount(), requests);
  EXPECT_EQ(S7_CpuStop(nullptr), S7_ERR_BAD_CONNECTION);
}

}  // namespace
