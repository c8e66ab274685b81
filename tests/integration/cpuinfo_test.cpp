// "CPU adatai" and "Diagnosztikai puffer" against the simulator: lists the
// CPU gets wrong or refuses become lines of the entry, a connection that
// breaks stops the command where it broke, a time-out disconnects, and the
// buffer's text file holds the window's lines in the program's code page.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "app/cpuinfo.h"
#include "res/codepage.h"
#include "tests/integration/shell_fixture.h"
#include "tools/plcsim/plcfaults.h"

namespace {

using plcsim::Bytes;

class ConnectedCpuInfoTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    app_->iface = iface_;
    app_->conn = Connect("Press 1");
    ASSERT_EQ(S7_IsConnected(app_->conn), 1);
  }
  std::string Log() { return Utf8FromCp1250(TakeLog()); }
};

TEST_F(ConnectedCpuInfoTest, ListsGoneWrongAreLinesOfTheEntry) {
  // The LED list comes back with a record count its bytes do not hold; the
  // protection list is refused. (Module identification, the component
  // identification's two fragments and the mode come before the LEDs.)
  sim_.Model().RefuseSzl(0x0232);
  for (int i = 0; i < 4; ++i) sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [](Bytes&) {}});
  sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [](Bytes& pdu) { pdu[22 + 11] = 9; }});
  EXPECT_EQ(Cmd_CpuInfo(app_), S7_OK);
  const std::string log = Log();
  EXPECT_NE(log.find("Press 1 - S7_ReadSzl : OK.\r\n\tRendelési szám : 6ES7 315-2EH14-0AB0\r\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("\tLED-ek : nem elérhető (0x0000)\r\n\tVédelem : nem elérhető (0xd401)\r\n\tMax. PDU : 240"),
            std::string::npos)
      << log;

  // Without the module identification the command fails, with what else came.
  sim_.Model().RefuseSzl(0x0011);
  EXPECT_EQ(Cmd_CpuInfo(app_), S7_ERR_PARAMETER);
  EXPECT_EQ(Log().rfind("Press 1 - S7_ReadSzl : Paraméter hiba. Kiegészítő hibakód : 54273(0xd401).\r\n"
                        "\tModul azonosítás : nem elérhető (0xd401)\r\n\tModul típus : CPU 315-2 PN/DP\r\n",
                        0),
            0u);
}

TEST_F(ConnectedCpuInfoTest, ABrokenConnectionStopsTheCommand) {
  // The mode's reply is cut off with the connection (after the module
  // identification and the component identification's two fragments): what
  // came is shown, nothing more is asked.
  for (int i = 0; i < 3; ++i) sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [](Bytes&) {}});
  sim_.Inject({plcsim::FaultKind::CloseMidReply});
  const int before = sim_.RequestCount();
  EXPECT_EQ(Cmd_CpuInfo(app_), S7_ERR_SOCKET);
  EXPECT_TRUE(Eventually([&] { return sim_.RequestCount() - before == 4; }));
  const std::string log = Log();
  EXPECT_EQ(log.rfind("Press 1 - S7_ReadSzl : Socket hiba. Kiegészítő hibakód : ", 0), 0u) << log;
  EXPECT_NE(log.find("\tCopyright : Tolvane PLC simulator\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Üzemmód"), std::string::npos) << log;
}

TEST_F(ConnectedCpuInfoTest, ATimeOutDisconnects) {
  sim_.Model().SetSzlBehaviour(plcsim::SzlBehaviour::Silent);
  DiagList list{};
  EXPECT_EQ(Cmd_ReadDiagnostics(app_, 0, &list), S7_ERR_TIMEOUT);
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.entries, nullptr);
  EXPECT_EQ(Log(), "Press 1 - S7_ReadSzl : Nem jött válasz időben.\r\nPress 1 - S7_Disconnect : OK.\r\n");
  EXPECT_EQ(S7_IsConnected(app_->conn), 0);
  ASSERT_FALSE(frontEnd_.calls.empty());
  EXPECT_EQ(frontEnd_.calls.back(), "menu 2 1") << "the connection items follow the disconnection";
}

TEST_F(ConnectedCpuInfoTest, DiagnosticBufferAndItsTextFile) {
  DiagList list{};
  ASSERT_EQ(Cmd_ReadDiagnostics(app_, 0, &list), S7_OK);
  ASSERT_EQ(list.count, 30);
  EXPECT_EQ(Log(), "Press 1 - S7_ReadSzl : OK.\r\n\tBejegyzések : 30\r\n");

  // A folder of its own: test runs of other trees may run beside this one.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tolvane-diag-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "puffer.txt").string();
  EXPECT_EQ(DiagList_Save(&list, path.c_str()), 0u);
  EXPECT_EQ(Log(), "Diagnosztikai puffer mentése : " + path + " - mentve.\r\n");
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t length = 0;
  char* text = DiagList_Text(&list, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(bytes, std::string(text, length));
  Rt_Free(text);
  EXPECT_EQ(bytes.rfind("2024.03.01 08:00:00.000  16#4302  \xDCzemm\xF3" "dv\xE1lt\xE1s: INDUL\xC1S -> RUN\r\n", 0), 0u)
      << "code page 1250 and CR LF, as the program's other files";
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 30);

  const std::string nowhere = (dir / "no" / "such" / "puffer.txt").string();
  EXPECT_NE(DiagList_Save(&list, nowhere.c_str()), 0u);
  EXPECT_EQ(Log(), "Diagnosztikai puffer mentése : " + nowhere + " - can't save. :-(\r\n");
  file.close();
  std::filesystem::remove_all(dir);
  DiagList_Free(&list);
  EXPECT_EQ(list.entries, nullptr);

  // The newest entries alone take one request.
  const int before = sim_.RequestCount();
  ASSERT_EQ(Cmd_ReadDiagnostics(app_, 2, &list), S7_OK);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.entries[1].eventId, 0x4301);
  EXPECT_EQ(sim_.RequestCount() - before, 1);
  DiagList_Free(&list);
}

}  // namespace
