// The commands both front ends run: each one's log entries and what it tells
// the front end (menu states for handles that exist, never for a failed
// open), the table's transfer with the simple or the multi service, and the
// monitor step both front ends run on their tick.
#include "app/commands.h"
#include "app/dialogrules.h"
#include "app/monitor.h"
#include "tests/integration/shell_fixture.h"

namespace {

class CommandsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    iface_ = S7_Interface_Done(iface_);  // the commands open their own
    app_->plc.address = sim_.Address();
  }
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> calls;
    calls.swap(frontEnd_.calls);
    return calls;
  }
  using Calls = std::vector<std::string>;
};

TEST_F(CommandsTest, OpenAndCloseTellTheMenuWhatExists) {
  app_->plc.kind = S7_KIND_CP_L2_1;  // no access point library here
  EXPECT_NE(Cmd_OpenInterface(app_), S7_OK);
  EXPECT_EQ(app_->iface, nullptr);
  EXPECT_EQ(TakeCalls(), (Calls{"menu 0 2", "status"})) << "a failed open is not shown as open";
  TakeLog();

  app_->plc.kind = S7_KIND_TCP;
  EXPECT_EQ(Cmd_OpenInterface(app_), S7_OK);
  EXPECT_EQ(TakeCalls(), (Calls{"menu 1 2", "status"}));
  Rt_StrCopyN(app_->plc.name, "Press 1", sizeof app_->plc.name);
  EXPECT_EQ(Cmd_OpenConnection(app_, ConnectionOpen::New), S7_OK);
  EXPECT_EQ(TakeCalls(), (Calls{"menu 2 1", "status"}));
  EXPECT_EQ(TakeLog(), "S7_Interface_Init : OK.\r\nPress 1 - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n");

  Rt_StrCopyN(app_->plc.name, "Press 2", sizeof app_->plc.name);
  EXPECT_EQ(Cmd_OpenConnection(app_, ConnectionOpen::Replace), S7_OK);
  EXPECT_EQ(TakeLog(), "S7_Connection_Done : OK.\r\nPress 2 - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n")
      << "modify closes the old connection first";
  TakeCalls();

  EXPECT_EQ(Cmd_CloseInterface(app_), S7_OK);
  EXPECT_EQ(TakeLog(), "S7_Connection_Done : OK.\r\nS7_Interface_Done : OK.\r\n");
  EXPECT_EQ(TakeCalls(), (Calls{"menu 2 0", "menu 0 2", "status"}));
  EXPECT_EQ(app_->conn, nullptr);
}

// What the interface dialog's OK runs says what the library said: a kind
// whose access point cannot be opened is a failure, never reported as done,
// and the settings take the kind with its address either way.
TEST_F(CommandsTest, OpeningTheChosenKindReturnsWhatHappened) {
  EXPECT_NE(Cmd_OpenInterfaceOfKind(app_, S7_KIND_CP_L2_2), S7_OK);  // no access point library here
  EXPECT_EQ(app_->iface, nullptr);
  EXPECT_EQ(app_->plc.kind, static_cast<std::int32_t>(S7_KIND_CP_L2_2));
  EXPECT_EQ(app_->plc.address, kDefaultStationAddress) << "leaving TCP gives station 2";
  EXPECT_EQ(Cmd_OpenInterfaceOfKind(app_, S7_KIND_TCP), S7_OK);
  EXPECT_EQ(app_->plc.address, Plc_DefaultIpAddress());
  TakeLog();
}

TEST_F(CommandsTest, ConnectAndDisconnectRefreshOnlyOnSuccess) {
  Cmd_OpenInterface(app_);
  Cmd_OpenConnection(app_, ConnectionOpen::New);
  TakeCalls();
  TakeLog();
  EXPECT_EQ(Cmd_Disconnect(app_), S7_OK);
  EXPECT_EQ(TakeCalls(), (Calls{"menu 2 1"}));
  sim_.Stop();
  EXPECT_NE(Cmd_Connect(app_), S7_OK);
  EXPECT_EQ(TakeCalls(), Calls{});
  EXPECT_EQ(TakeLog(), "S7_Disconnect : OK.\r\nS7_Connect : Socket hiba. Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d : "
                       "10061(0x274d).\r\n" + HintLine(IDS_HINT_NO_LISTENER));
}

TEST_F(CommandsTest, TransferUsesTheSimpleServiceForOneVariable) {
  Cmd_OpenInterface(app_);
  Cmd_OpenConnection(app_, ConnectionOpen::New);
  TakeLog();
  ASSERT_EQ(Var_ParseDefinition("MW0:1 (Word)", &app_->table.vars[0]), 1);
  app_->table.count = 1;
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_OK);
  EXPECT_EQ(TakeLog(), "S7_SimpleWrite : OK.\r\nS7_SimpleRead : OK.\r\n");

  ASSERT_EQ(Var_ParseDefinition("MD2:1 (Real)", &app_->table.vars[1]), 1);
  // More than a 240-byte PDU holds: read in as many requests as it takes.
  ASSERT_EQ(Var_ParseDefinition("DB1.DBB0:300 (Byte)", &app_->table.vars[2]), 1);
  app_->table.count = 3;
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_OK);
  EXPECT_EQ(TakeLog(), "S7_MultiRead : OK.\r\n\t3 v\xe1ltoz\xf3, 2 k\xe9r\xe9s\r\n");
  EXPECT_EQ(app_->table.count, 3);

  EXPECT_EQ(Cmd_ReadTable(app_), S7_OK);
  EXPECT_EQ(TakeLog(), "") << "the read window's read logs only failures";
  sim_.Stop();
  EXPECT_NE(Cmd_ReadTable(app_), S7_OK);
  EXPECT_EQ(TakeLog().rfind("S7_MultiRead : ", 0), 0u);
}

// The tick both front ends run: nothing before the interval has passed, no
// read while not reading cyclically, the changed lines after a read, and a
// failed read (logged once by the command) that ends cyclic reading.
TEST_F(CommandsTest, MonitorStep) {
  struct Lines : LineSink {
    std::vector<std::string> written;
    void Clear() override { written.push_back("clear"); }
    void Line(int index, const char* text, int length) override {
      written.push_back(std::to_string(index) + ":" + std::string(text, static_cast<std::size_t>(length)));
    }
  } sink;
  Cmd_OpenInterface(app_);
  Cmd_OpenConnection(app_, ConnectionOpen::New);
  ASSERT_EQ(Var_ParseDefinition("MW0:1 (Word)", &app_->table.vars[0]), 1);
  ASSERT_EQ(Var_ParseDefinition("MW2:1 (Word)", &app_->table.vars[1]), 1);
  app_->table.count = 2;
  TakeLog();

  MonitorRun run{};
  Monitor_BuildLines(&run.lines, &app_->table, &sink);
  sink.written.clear();
  Monitor_Restart(&run.schedule, 100, 1000);
  EXPECT_EQ(Monitor_Step(&run, app_, 1000, &sink), MonitorStepResult::Due) << "due at once, but not reading";
  run.cyclic = true;
  EXPECT_EQ(Monitor_Step(&run, app_, 1050, &sink), MonitorStepResult::NotDue);
  const int before = sim_.RequestCount();
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaFlags, 0, 2, {0x12, 0x34}));
  EXPECT_EQ(Monitor_Step(&run, app_, 1100, &sink), MonitorStepResult::Read);
  EXPECT_EQ(sim_.RequestCount(), before + 1);
  ASSERT_EQ(sink.written.size(), 1u) << "only the line whose value changed";
  EXPECT_EQ(sink.written[0].rfind("1:", 0), 0u) << sink.written[0];
  EXPECT_EQ(TakeLog(), "") << "a good read logs nothing";
  char text[64];
  Monitor_RequestsText(&run, text, sizeof text);
  EXPECT_STREQ(text, "1 k\xe9r\xe9s ciklusonk\xe9nt");

  // Forty words 20 bytes apart take two requests at PDU 240: forty items
  // would take three, two gaps bridged leave 38.
  for (int i = 2; i < 40; ++i) {
    const std::string d = "DB10.DBW" + std::to_string(20 * i) + ":1 (Word)";
    ASSERT_EQ(Var_ParseDefinition(d.c_str(), &app_->table.vars[i]), 1);
  }
  app_->table.count = 40;
  Monitor_BuildLines(&run.lines, &app_->table, &sink);
  EXPECT_EQ(Monitor_Step(&run, app_, 1200, &sink), MonitorStepResult::Read);
  EXPECT_EQ(run.requests, 2);
  EXPECT_EQ(TakeLog(), "");

  sim_.Stop();
  EXPECT_EQ(Monitor_Step(&run, app_, 1300, &sink), MonitorStepResult::Failed);
  EXPECT_FALSE(run.cyclic);
  EXPECT_EQ(TakeLog().rfind("S7_MultiRead : ", 0), 0u);
  EXPECT_EQ(Monitor_Step(&run, app_, 1400, &sink), MonitorStepResult::Due) << "no more reads after a failure";
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
