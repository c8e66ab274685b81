// The hint lines after refusals, against the simulator refusing for real:
// each of its fault modes, the command a user runs, and the entry in the log
// followed by the hint that explains it (and no other).
#include <functional>

#include "app/commands.h"
#include "tests/integration/shell_fixture.h"
#include "tools/plcsim/plcfaults.h"

namespace {

class LogHintsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    iface_ = S7_Interface_Done(iface_);  // the commands open their own
  }
  // A simulator as configured, the program's interface and connection to it
  // and the table of definitions, with the log emptied afterwards.
  void Open(const plcsim::Config& config, std::initializer_list<const char*> definitions) {
    StartSim(config);
    iface_ = S7_Interface_Done(iface_);
    app_->plc.address = sim_.Address();
    app_->plc.slot = config.slot;
    Cmd_OpenInterface(app_);
    Cmd_OpenConnection(app_, ConnectionOpen::New);
    AppState_ClearVariables(app_);
    for (const char* d : definitions) ASSERT_EQ(Var_ParseDefinition(d, &app_->table.vars[app_->table.count++]), 1) << d;
    TakeLog();
  }
  // The hint lines of a log text, in order.
  static std::vector<std::string> HintLines(const std::string& log) {
    std::vector<std::string> lines;
    for (std::size_t at = log.find("\tTipp : "); at != std::string::npos; at = log.find("\tTipp : ", at + 1))
      lines.push_back(log.substr(at, log.find("\r\n", at) + 2 - at));
    return lines;
  }
};

plcsim::Config WithBlocks(plcsim::Config config) {
  config.model.dataBlocks = {{1, 64}, {2, 64, plcsim::DbAccess::Optimized}, {3, 64, plcsim::DbAccess::Protected}};
  return config;
}

plcsim::Config WithoutPutGet() {
  plcsim::Config config = plcsim::FamilyConfig(plcsim::Family::S7_300);
  config.pgConnections = 0;
  config.model.putGet = false;
  return config;
}

plcsim::Config WithPassword() {
  plcsim::Config config;
  config.model.password = "secret";
  return config;
}

// The next read reply's first item carries `code` instead of its own.
plcsim::Fault ItemCode(std::uint8_t code) {
  return {plcsim::FaultKind::RewriteReply, 0, 0, 0, [code](plcsim::Bytes& pdu) {
            std::vector<plcsim::ReplyItem> items;
            if (!plcsim::ParseReadReply(pdu, &items) || items.empty()) return;
            items[0] = {code, 0x00, {}};
            plcsim::RebuildReadReply(&pdu, items);
          }};
}

TEST_F(LogHintsTest, EachRefusalOfTheSimulatorIsExplained) {
  using Action = std::function<void(AppState*, plcsim::Simulator&)>;
  const Action connect = []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { Cmd_OpenConnection(app, ConnectionOpen::Replace); };
  const Action read = []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { Cmd_Transfer(app, Transfer::Read); };
  const Action write = []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { Cmd_Transfer(app, Transfer::Write); };
  struct Case {
    const char* what;
    plcsim::Config config;
    std::initializer_list<const char*> table;
    Action arrange;
    Action act;
    std::string entry;  // the start of the entry the hint follows
    int hint;
  } cases[] = {
      {"nobody listens", {}, {}, []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { sim.Stop(); }, connect,
       "S7_Connection_Init : Socket hiba", IDS_HINT_NO_LISTENER},
      {"request unanswered", {}, {},
       []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { sim.InjectOnConnect({plcsim::FaultKind::NoAnswer}); }, connect,
       "S7_Connection_Init : Nem j\xF6tt v\xE1lasz", IDS_HINT_NO_ANSWER},
      {"wrong slot", {}, {}, []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { app->plc.slot = 3; }, connect,
       "S7_Connection_Init : Visszautas\xEDtott", IDS_HINT_REFUSED},
      // A second connection beside the first, which keeps the PG slot.
      {"the one PG connection is taken", plcsim::FamilyConfig(plcsim::Family::S7_300), {}, nullptr,
       [](AppState* app, plcsim::Simulator&) { Cmd_OpenConnection(app, ConnectionOpen::New); },
       "S7_Connection_Init : Visszautas\xEDtott", IDS_HINT_REFUSED},
      {"PUT/GET off, read", WithoutPutGet(), {"MW0:1 (Word)"}, nullptr, read, "S7_SimpleRead : PDU hiba",
       IDS_HINT_PUT_GET},
      {"PUT/GET off, write", WithoutPutGet(), {"MW0:1 (Word)", "MW2:1 (Word)"}, nullptr, write,
       "S7_MultiWrite : PDU hiba", IDS_HINT_PUT_GET},
      {"protected DB", WithBlocks({}), {"DB3.DBW0:1 (Word)"}, nullptr, read, "S7_SimpleRead : Adat hiba",
       IDS_HINT_ITEM_ACCESS},
      {"write before login", WithPassword(), {"MB0:1 (Byte)"}, nullptr, write, "S7_SimpleWrite : Adat hiba",
       IDS_HINT_ITEM_ACCESS},
      {"optimized DB", WithBlocks({}), {"DB2.DBW0:1 (Word)"}, nullptr, read, "S7_SimpleRead : Adat hiba",
       IDS_HINT_ITEM_ADDRESS},
      {"beyond the DB", WithBlocks({}), {"DB1.DBW64:1 (Word)"}, nullptr, read, "S7_SimpleRead : Adat hiba",
       IDS_HINT_ITEM_ADDRESS},
      {"a timer in a DB", {}, {"DB1.DBW0:1 (Timer)"}, nullptr, read, "S7_SimpleRead : Adat hiba",
       IDS_HINT_ITEM_TYPE},
      {"type inconsistent", {}, {"MW0:1 (Word)"}, []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { sim.Inject(ItemCode(0x07)); }, read,
       "S7_SimpleRead : Adat hiba", IDS_HINT_ITEM_TYPE},
      {"missing DB", {}, {"DB99.DBW0:1 (Word)"}, nullptr, read, "S7_SimpleRead : Adat hiba", IDS_HINT_ITEM_NO_DB},
      {"write refused in the header", {}, {"MW0:1 (Word)"},
       []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { sim.Inject(plcsim::ErrorClassFault(0x83, 0x04)); }, write,
       "S7_SimpleWrite : PDU hiba", IDS_HINT_WRITE_REFUSED},
      {"CPU stop at a protection level", {}, {},
       []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { sim.Inject(plcsim::ErrorClassFault(0xD0, 0xA1)); },
       []([[maybe_unused]] AppState* app, [[maybe_unused]] plcsim::Simulator& sim) { Cmd_CpuStop(app); }, "S7_CpuStop : PDU hiba", IDS_HINT_PROTECTION_LEVEL},
  };
  for (const Case& c : cases) {
    Open(c.config, c.table);
    if (c.arrange) c.arrange(app_, sim_);
    c.act(app_, sim_);
    const std::string log = TakeLog();
    const std::size_t entry = log.find(c.entry);
    ASSERT_NE(entry, std::string::npos) << c.what << ": " << log;
    const std::string hint = HintLine(c.hint);
    EXPECT_EQ(HintLines(log), std::vector<std::string>{hint}) << c.what << ": " << log;
    EXPECT_GT(log.find(hint), entry) << c.what << ": the hint follows its entry";
    Cmd_CloseInterface(app_);
    TakeLog();
    AppState_ClearVariables(app_);
    AppState_Reset(app_);
  }
}

TEST_F(LogHintsTest, SuccessAndUnexplainedFailuresHaveNone) {
  Open({}, {"MW0:1 (Word)"});
  Cmd_Transfer(app_, Transfer::Read);
  sim_.Inject(plcsim::ErrorClassFault(0x85, 0x00));
  Cmd_Transfer(app_, Transfer::Read);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("S7_SimpleRead : PDU hiba"), std::string::npos) << log;
  EXPECT_EQ(HintLines(log), std::vector<std::string>{});
}

}  // namespace
