// Reconnection against the simulator going away, on the monitor's ticks
// given by the test (the attempts are real, the pauses are not waited for):
// one loss line and one recovery line per outage, whatever the attempts in
// between, and reading again afterwards.
#include "app/commands.h"
#include "app/monitor.h"
#include "app/reconnect.h"
#include "tests/integration/shell_fixture.h"

namespace {

class ReconnectTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    iface_ = S7_Interface_Done(iface_);
    app_->plc.address = sim_.Address();
    Cmd_OpenInterface(app_);
    Cmd_OpenConnection(app_, ConnectionOpen::New);
    ASSERT_EQ(Var_ParseDefinition("MW0:1 (Word)", &app_->table.vars[0]), 1);
    app_->table.count = 1;
    Reconnect_Reset(&r_);
    TakeLog();
  }
  static int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
  Reconnect r_{};
};

TEST_F(ReconnectTest, OneLossAndOneRecoveryPerOutage) {
  struct Case {
    plcsim::Outage how;
    const char* failedRead;  // the entry of the read that met the outage
  } cases[] = {
      {plcsim::Outage::Refuse, "S7_SimpleRead : Socket hiba."},
      {plcsim::Outage::Silent, "S7_SimpleRead : Socket hiba."},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Cmd_ReadTable(app_), S7_OK);
    sim_.GoAway(600000, c.how);
    const int rc = Cmd_ReadTable(app_);
    EXPECT_TRUE(Reconnect_AfterFailure(&r_, app_, rc, 0)) << rc;
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 500), ReconnectTick::Down) << "the first pause is 1 s";
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 1000), ReconnectTick::Down) << "still away";
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 1500), ReconnectTick::Down);
    sim_.GoAway(0);
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 2000), ReconnectTick::Down) << "the second pause is 2 s";
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 6000), ReconnectTick::Back);
    EXPECT_EQ(Reconnect_Tick(&r_, app_, 6100), ReconnectTick::Up);
    EXPECT_EQ(Cmd_ReadTable(app_), S7_OK) << "reading again";
    const std::string log = TakeLog();
    EXPECT_EQ(log.find(c.failedRead), 0u) << log;
    EXPECT_EQ(Count(log, "PLC - "), 0) << "no name, no dash";
    EXPECT_EQ(Count(log, "A kapcsolat megszakadt, \xFAjrakapcsol\xF3" "d\xE1s folyamatban.\r\n"), 1) << log;
    EXPECT_EQ(Count(log, "A kapcsolat helyre\xE1llt, kies\xE9s : "), 1) << log;
    EXPECT_EQ(Count(log, "S7_Connect :"), 0) << "attempts are not logged: " << log;
  }
}

// The monitor step with reconnection on: the failed read is Lost, not
// Failed, the outage's ticks are Down, and the tick that finds the
// connection back reads at once.
TEST_F(ReconnectTest, MonitorStepGoesOnAfterAnOutage) {
  struct NoLines : LineSink {
    void Clear() override {}
    void Line(int, const char*, int) override {}
  } sink;
  MonitorRun run{};
  run.cyclic = true;
  run.reconnect = &r_;
  Monitor_Restart(&run.schedule, 100, 0);
  EXPECT_EQ(Monitor_Step(&run, app_, 0, &sink), MonitorStepResult::Read);
  sim_.GoAway(600000);
  EXPECT_EQ(Monitor_Step(&run, app_, 100, &sink), MonitorStepResult::Lost);
  EXPECT_TRUE(run.cyclic) << "reading is not switched off";
  EXPECT_EQ(Monitor_Step(&run, app_, 200, &sink), MonitorStepResult::Down) << "no read while the link is down";
  EXPECT_EQ(Monitor_Step(&run, app_, 1100, &sink), MonitorStepResult::Down) << "the attempt failed";
  sim_.GoAway(0);
  EXPECT_EQ(Monitor_Step(&run, app_, 3200, &sink), MonitorStepResult::Read) << "back, and read at once";
  EXPECT_EQ(Monitor_Step(&run, app_, 3250, &sink), MonitorStepResult::NotDue);
  EXPECT_EQ(Monitor_Step(&run, app_, 3300, &sink), MonitorStepResult::Read);

  run.reconnect = nullptr;
  sim_.GoAway(600000);
  EXPECT_EQ(Monitor_Step(&run, app_, 3400, &sink), MonitorStepResult::Failed) << "without it, as always";
  EXPECT_FALSE(run.cyclic);
}

TEST_F(ReconnectTest, RefusalsThatReconnectingWouldNotMend) {
  AppState_ClearVariables(app_);
  ASSERT_EQ(Var_ParseDefinition("DB99.DBW0:1 (Word)", &app_->table.vars[0]), 1);
  app_->table.count = 1;
  const int rc = Cmd_ReadTable(app_);
  EXPECT_EQ(rc, S7_ERR_DATA);
  EXPECT_FALSE(Reconnect_AfterFailure(&r_, app_, rc, 0));
  EXPECT_EQ(Reconnect_Tick(&r_, app_, 5000), ReconnectTick::Up);
  EXPECT_EQ(Count(TakeLog(), "A kapcsolat"), 0);
}

TEST_F(ReconnectTest, TheOutageLinesCarryTheConnectionsName) {
  Cmd_CloseConnection(app_);
  Rt_StrCopyN(app_->plc.name, "Press 1", sizeof app_->plc.name);
  Cmd_OpenConnection(app_, ConnectionOpen::New);
  TakeLog();
  sim_.GoAway(600000);
  EXPECT_TRUE(Reconnect_AfterFailure(&r_, app_, Cmd_ReadTable(app_), 100));
  sim_.GoAway(0);
  EXPECT_EQ(Reconnect_Tick(&r_, app_, 5300), ReconnectTick::Back);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("Press 1 - A kapcsolat megszakadt"), std::string::npos) << log;
  EXPECT_NE(log.find("Press 1 - A kapcsolat helyre\xE1llt, kies\xE9s : 5.2 mp.\r\n"), std::string::npos) << log;
}

}  // namespace
