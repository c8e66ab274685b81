// Log entries of library operations, byte for byte (code page 1250), and the
// disconnection that follows a time-out.
#include <cstring>

#include "tests/integration/shell_fixture.h"
#include "tools/plcsim/plcfaults.h"

namespace {

using LogOperationTest = ShellTest;

constexpr int Op(int number) { return kLogOperationBase + number; }

TEST_F(LogOperationTest, ConnectEntriesWithAndWithoutName) {
  app_->conn = Connect("Press 1");
  LogOperation(Op(S7_OP_CONNECTION_INIT), 0, nullptr);
  EXPECT_EQ(TakeLog(), "Press 1 - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n");

  app_->conn = Connect("");
  S7_Disconnect(app_->conn);
  S7_Connect(app_->conn);
  LogOperation(Op(S7_OP_CONNECT), 0, nullptr);
  EXPECT_EQ(TakeLog(), "S7_Connect : OK.\r\n\tPDU m\xE9ret : 240\r\n") << "no name, no dash";

  app_->conn = Connect("\xC1gens");  // a name starting with an accented letter
  S7_Disconnect(app_->conn);
  LogOperation(Op(S7_OP_DISCONNECT), 0, nullptr);
  EXPECT_EQ(TakeLog(), "\xC1gens - S7_Disconnect : OK.\r\n");

  app_->conn = S7_Connection_Done(app_->conn);
  LogOperation(Op(S7_OP_CONNECTION_DONE), 0, nullptr);
  EXPECT_EQ(TakeLog(), "S7_Connection_Done : OK.\r\n") << "the handle is null by then";
}

TEST_F(LogOperationTest, ExtendedCodeInDecimalAndHex) {
  sim_.Stop();
  app_->conn = Connect("Press 1");
  LogOperation(Op(S7_OP_CONNECTION_INIT), 0, nullptr);
  EXPECT_EQ(TakeLog(),
            "Press 1 - S7_Connection_Init : Socket hiba. Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d : 10061(0x274d).\r\n" +
                HintLine(IDS_HINT_NO_LISTENER));
}

TEST_F(LogOperationTest, InterfaceEntriesCarryNoName) {
  app_->conn = Connect("Press 1");
  S7_SetError(S7_ERR_INTERFACE_IN_USE, 0);
  LogOperation(Op(S7_OP_INTERFACE_INIT), 0, nullptr);
  EXPECT_EQ(TakeLog(), "S7_Interface_Init : Az illeszt\xF5 m\xE1r haszn\xE1latban van.\r\n");
  LogOperation(1999, 0, nullptr);
  LogOperation(2019, 0, nullptr);
  EXPECT_EQ(TakeLog(), "") << "ids outside the operations write nothing";
}

TEST_F(LogOperationTest, PartnerLines) {
  const std::uint8_t list[4] = {0x30, 0x10, 0x00, 0x20};
  S7_SetError(S7_OK, 0);
  LogOperation(Op(S7_OP_ONLINE_PARTNERS), 4, list);
  EXPECT_EQ(TakeLog(), "S7_OnLine_Partners : OK.\r\n\t  0 : active\r\n\t  2 : passive\r\n\t  3 : active ready\r\n");

  S7_SetError(S7_ERR_TIMEOUT, 0);
  LogOperation(Op(S7_OP_ONLINE_PARTNERS), 4, list);
  EXPECT_EQ(TakeLog(), "S7_OnLine_Partners : Nem j\xF6tt v\xE1lasz id\xF5" "ben.\r\n") << "no lines after a failure";
}

TEST_F(LogOperationTest, LongPartnerListIsWhole) {
  std::uint8_t list[255];
  std::memset(list, 0x30, sizeof list);
  S7_SetError(S7_OK, 0);
  LogOperation(Op(S7_OP_ONLINE_PARTNERS), 255, list);
  const std::string log = TakeLog();
  EXPECT_EQ(log.size(), std::strlen("S7_OnLine_Partners : OK.\r\n") + 255 * std::strlen("\t  0 : active\r\n"));
  EXPECT_NE(log.find("\t254 : active\r\n"), std::string::npos) << "no station line is lost";
}

TEST_F(LogOperationTest, BusParameterBlock) {
  std::uint8_t r[242] = {};
  r[0] = 31;
  r[1] = 0;
  r[2] = 1;
  r[4] = 9;  // baud code: 12M
  r[8] = 3;
  r[10] = 2;
  r[11] = 4;
  r[12] = 0x9F;
  r[13] = 0x01;  // Tsl 415
  r[22] = 0x00;
  r[23] = 0x27;  // Ttr 9984
  r[26] = 10;
  r[27] = 0xFE;
  r[28] = 0xFF;  // In ring -2
  std::memcpy(r + 43, "MPI line", 9);
  S7_SetError(S7_OK, 0);
  LogOperation(Op(S7_OP_ONLINE_BUSPARS), 0, r);
  EXPECT_EQ(TakeLog(),
            "S7_OnLine_BusPars : OK.\r\n"
            "\tHSA\t\t: 31\r\n\tTS\t\t: 0\r\n\tType\t\t: 1\r\n\tBaud\t\t: 12M\r\n\tRedundant\t: 0\r\n"
            "\tRetryCtr\t: 3\r\n\tDefault SAP\t: 2\r\n\tTotal SAP\t: 4\r\n\tTsl\t\t: 415\r\n"
            "\tTqui\t\t: 0\r\n\tTSet\t\t: 0\r\n\tMin Tsdr\t: 0\r\n\tMax Tsdr\t: 0\r\n"
            "\tTtr\t\t: 9984\r\n\tGap\t\t: 10\r\n\tIn ring\t\t: -2\r\n\tLayer\t\t: 0\r\n\tIdent\t\t: MPI line\r\n");
  struct Baud {
    unsigned code;
    const char* text;
  } bauds[] = {{0, "9.6K"}, {5, "375K"}, {9, "12M"}, {10, "???"}, {11, "45.45K"}, {12, "???"}, {0xFFFF, "???"}};
  for (const Baud& b : bauds) EXPECT_STREQ(BaudText(b.code), b.text) << b.code;

  std::memset(r + 43, 'x', 242 - 43);  // an ident without its terminating zero
  S7_SetError(S7_OK, 0);
  LogOperation(Op(S7_OP_ONLINE_BUSPARS), 0, r);
  EXPECT_NE(TakeLog().find("\tIdent\t\t: " + std::string(199, 'x') + "\r\n"), std::string::npos);
}

TEST_F(LogOperationTest, CpuStateStopStartAndClock) {
  app_->conn = Connect("CPU");
  int state = 0;
  S7_GetCpuState(app_->conn, &state);
  LogOperation(Op(S7_OP_GET_CPU_STATE), state, nullptr);
  EXPECT_EQ(TakeLog(), "CPU - S7_GetCpuState : OK.\r\n\tCPU : Run\r\n");
  S7_CpuStop(app_->conn);
  LogOperation(Op(S7_OP_CPU_STOP), 0, nullptr);
  EXPECT_EQ(TakeLog(), "CPU - S7_CpuStop : OK.\r\n\tCPU : Stop\r\n");
  S7_CpuStart(app_->conn, 0);
  LogOperation(Op(S7_OP_CPU_START), 0, nullptr);
  EXPECT_EQ(TakeLog(), "CPU - S7_CpuStart : OK.\r\n\tCPU : Run\r\n");

  CalendarRecord clock{2024, 3, 5, 1, 13, 45, 7, 250};
  S7_SetError(S7_OK, 0);
  LogOperation(Op(S7_OP_GET_CPU_CLOCK), 0, &clock);
  EXPECT_EQ(TakeLog(), "CPU - S7_GetCpuClock : OK.\r\n\tCPU : 2024.03.01 13:45:07\r\n");

  ASSERT_EQ(S7_SetCpuClock(app_->conn, &clock), S7_OK);
  LogOperation(Op(S7_OP_SET_CPU_CLOCK), 0, nullptr);
  const std::string log = TakeLog();
  EXPECT_EQ(log.rfind("CPU - S7_SetCpuClock : OK.\r\n\tCPU : 2024.03.01 13:45:0", 0), 0u) << log;
  EXPECT_NE(log.find(" PC : "), std::string::npos);
}

TEST_F(LogOperationTest, TimeoutOfAReadDisconnects) {
  app_->conn = Connect("PLC");
  std::uint32_t value = 0;
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(S7_SimpleRead(app_->conn, S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 0, 1, 1, &value), S7_ERR_TIMEOUT);
  LogOperation(Op(S7_OP_SIMPLE_READ), 0, nullptr);
  EXPECT_EQ(TakeLog(), "PLC - S7_SimpleRead : Nem j\xF6tt v\xE1lasz id\xF5" "ben.\r\nPLC - S7_Disconnect : OK.\r\n");
  EXPECT_EQ(S7_IsConnected(app_->conn), 0);
  ASSERT_EQ(frontEnd_.calls.size(), 1u);
  EXPECT_EQ(frontEnd_.calls[0], "menu 2 1");

  // A clock read that times out logs only itself.
  ASSERT_EQ(S7_Connect(app_->conn), S7_OK);
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  CalendarRecord clock{};
  EXPECT_EQ(S7_GetCpuClock(app_->conn, &clock), S7_ERR_TIMEOUT);
  LogOperation(Op(S7_OP_GET_CPU_CLOCK), 0, &clock);
  EXPECT_EQ(TakeLog(), "PLC - S7_GetCpuClock : Nem j\xF6tt v\xE1lasz id\xF5" "ben.\r\n");
  EXPECT_EQ(S7_IsConnected(app_->conn), 1);
}

TEST_F(LogOperationTest, ItemResultLines) {
  app_->conn = Connect("PLC");
  ASSERT_EQ(Var_ParseDefinition("DB1.DBW0:1 (Word)", &app_->table.vars[0]), 1);
  ASSERT_EQ(Var_ParseDefinition("DB77.DBW0:2 (Int)", &app_->table.vars[1]), 1);
  app_->table.count = 2;
  ASSERT_EQ(VarTable_PrepareRequest(&app_->table, app_->conn, 0), S7_OK);
  EXPECT_EQ(S7_MultiRead(app_->conn), S7_ERR_DATA);
  LogOperation(Op(S7_OP_MULTI_READ), 0, nullptr);
  EXPECT_EQ(TakeLog(),
            "PLC - S7_MultiRead : Adat hiba. Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d : 2(0x0002).\r\n"
            "\tDB1.DBW0:1 (Word) : Sikeres\r\n"
            "\tDB77.DBW0:2 (Int) : Az objektum nem l\xE9tezik\r\n" +
                HintLine(IDS_HINT_ITEM_NO_DB));
  EXPECT_STREQ(ItemResultText(0x42), "Ismeretlen hiba");

  // The connection still holds those results; another operation's failure
  // does not show them.
  S7_SetError(S7_ERR_BAD_MODE, 0);
  LogOperation(Op(S7_OP_ONLINE_PARTNERS), 0, nullptr);
  EXPECT_EQ(TakeLog(), "S7_OnLine_Partners : \xC9rv\xE9nytelen m\xF3" "d.\r\n");
}

}  // namespace
