// A table larger than one request through the commands, against the
// simulated CPU: the one log entry it writes when all went well, when the
// PLC refused a request or an item (with the hint a single request's entry
// would have), when the link went halfway, and when a write went in only in
// part; and that the others keep their values.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/tabletransfer.h"
#include "tests/integration/shell_fixture.h"
#include "tools/plcsim/plcfaults.h"

namespace {

// "változó", "kérés", "beírva" ... in code page 1250.
const std::string kVariables = " v\xe1ltoz\xf3, ";
const std::string kRequests = " k\xe9r\xe9s\r\n";

std::string Hint(int id) { return std::string("\tTipp : ") + LoadText(id) + "\r\n"; }

class TableTransferTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    plcsim::Config config;
    config.model.dataBlocks = {{1, 16384}, {2, 4096}};
    StartSim(config);
    app_->iface = iface_;
    app_->conn = Connect();
    ASSERT_EQ(S7_GetPduSize(app_->conn), 240);
  }
  void Define(const std::string& definition) {
    ASSERT_EQ(Var_ParseDefinition(definition.c_str(), &app_->table.vars[app_->table.count++]), 1) << definition;
  }
  // n words of DB1, kApart bytes apart: too far for one reply to hold two,
  // so none are merged.
  static constexpr int kApart = 300;
  void Words(int n) {
    for (int i = 0; i < n; ++i) Define("DB1.DBW" + std::to_string(kApart * i) + ":1 (Word)");
  }
  // The variables request k (from 0) of the table's plan carries.
  std::vector<int> VariablesOf(Transfer direction, int k) {
    VarPlan plan{};
    EXPECT_TRUE(Table_NeedsPlan(app_, direction, &plan));
    std::vector<int> out;
    const PlanRequest& q = plan.requests[k];
    for (int i = 0; i < q.itemCount; ++i) out.push_back(plan.chunks[plan.items[q.firstItem + i].chunk].variable);
    VarPlan_Free(&plan);
    return out;
  }
  std::string Address(int i) {
    char text[kVarAddressTextMax];
    Var_FormatAddress({.withCount = true, .withType = true}, 0, &app_->table.vars[i], text, nullptr);
    return text;
  }
  // The faulty answer to the nth request from now; the ones before pass.
  void FaultOnRequest(int n, plcsim::Fault fault) {
    for (int i = 1; i < n; ++i) sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [](plcsim::Bytes&) {}});
    sim_.Inject(std::move(fault));
  }
  std::uint32_t Slot(int i) {
    std::uint32_t slot = 0;
    std::memcpy(&slot, app_->table.vars[i].values, 4);
    return slot;
  }
};

TEST_F(TableTransferTest, AllWellIsOneLineWithTheCounts) {
  Words(41);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_OK);
  EXPECT_EQ(TakeLog(), "PLC - S7_MultiRead : OK.\r\n\t41" + kVariables + "3" + kRequests);
  int requests = 0;
  EXPECT_EQ(Cmd_ReadTable(app_, &requests), S7_OK);
  EXPECT_EQ(requests, 3);
  EXPECT_EQ(TakeLog(), "") << "the read window logs only failures";
}

TEST_F(TableTransferTest, ARefusedRequestFailsItsVariablesAndTheOthersAreRead) {
  Words(41);
  sim_.Model().WriteMemory(0x84, 1, kApart * 2, {0x12, 0x34});
  const std::vector<int> refused = VariablesOf(Transfer::Read, 1);
  FaultOnRequest(2, plcsim::ErrorClassFault(0x81, 0x04));
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_ERR_PDU);
  std::string expected = "PLC - S7_MultiRead : PDU hiba. Kieg\xe9sz\xedt\xf5 hibak\xf3" "d : 33028(0x8104).\r\n\t41" +
                         kVariables + "3" + kRequests;
  for (int v : refused) expected += "\t" + Address(v) + " : PDU hiba (0x8104)\r\n";
  EXPECT_EQ(TakeLog(), expected + Hint(IDS_HINT_PUT_GET));
  ASSERT_EQ(std::count(refused.begin(), refused.end(), 2), 0) << "the third word is in another request";
  EXPECT_EQ(Slot(2), 0x1234u);
}

TEST_F(TableTransferTest, ARefusedItemIsNamedWithThePlcsCode) {
  Words(30);
  Define("DB77.DBW0:1 (Word)");
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_ERR_DATA);
  EXPECT_EQ(TakeLog(), "PLC - S7_MultiRead : Adat hiba.\r\n\t31" + kVariables + "2" + kRequests +
                           "\tDB77.DBW0:1 (Word) : Az objektum nem l\xe9tezik\r\n" + Hint(IDS_HINT_ITEM_NO_DB));
}

TEST_F(TableTransferTest, ALostLinkFailsTheRestInOneLine) {
  Words(41);
  const int first = static_cast<int>(VariablesOf(Transfer::Read, 0).size());
  FaultOnRequest(2, {plcsim::FaultKind::CloseMidReply});
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_ERR_SOCKET);
  EXPECT_EQ(TakeLog(), "PLC - S7_MultiRead : Socket hiba. Kieg\xe9sz\xedt\xf5 hibak\xf3" "d : 10054(0x2746).\r\n\t41" + kVariables + "2" + kRequests +
                           "\tA t\xf6" "bbi " + std::to_string(41 - first) + " v\xe1ltoz\xf3 : Socket hiba\r\n");
}

TEST_F(TableTransferTest, NoAnswerHalfwayDisconnectsOnce) {
  Words(41);
  FaultOnRequest(3, {plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_ERR_TIMEOUT);
  const std::string log = TakeLog();
  EXPECT_EQ(log.rfind("PLC - S7_MultiRead : Nem j\xf6tt v\xe1lasz id\xf5" "ben.\r\n", 0), 0u) << log;
  EXPECT_NE(log.find("\tA t\xf6" "bbi "), std::string::npos) << log;
  EXPECT_NE(log.find("\r\nPLC - S7_Disconnect : OK.\r\n"), std::string::npos) << log;
  EXPECT_EQ(S7_IsConnected(app_->conn), 0);
}

TEST_F(TableTransferTest, APartialWriteSaysWhatWentIn) {
  Define("DB2.DBB7:2000 (Byte)");
  Words(3);
  FaultOnRequest(3, plcsim::ErrorClassFault(0x81, 0x04));
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_ERR_PDU);
  EXPECT_EQ(TakeLog(), "PLC - S7_MultiWrite : PDU hiba. Kieg\xe9sz\xedt\xf5 hibak\xf3" "d : 33028(0x8104).\r\n\t4" +
                           kVariables + "10" + kRequests + "\t3 v\xe1ltoz\xf3 be\xedrva, 1 nem\r\n" +
                           "\tDB2.DBB7:2000 (Byte) : PDU hiba, r\xe9szben be\xedrva (9 / 10 r\xe9sz)\r\n" +
                           Hint(IDS_HINT_PUT_GET));
}

}  // namespace
