// tolvane-cli end to end against the Snap7 server, an S7 implementation
// nobody here wrote: state, stop and start, the clock, login and logout, a
// write and read of mixed definitions checked in the server's memory, a
// monitor that sees a value the server changes, and a .vat round trip.
// (How the server differs from a CPU is listed in tests/interop.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/cli/cli_runner.h"
#include "tests/interop/snap7_peer.h"

namespace {

constexpr int kSnap7Flags = 2;
constexpr int kSnap7DataBlock = 5;

class CliSnap7Test : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(peer_.Start(&why)) << why;
  }
  std::vector<std::string> Plc(std::vector<std::string> rest) {
    rest.insert(rest.begin(), {"--plc", peer_.AddressText(), "--name", "Snap7"});
    return rest;
  }
  // Waits (up to 30 s: a program under Wine on a busy machine starts slowly)
  // until the server has served count reads since the last look at its
  // events; false when it has not.
  bool WaitForReads(int count) {
    int reads = 0;
    for (int i = 0; i < 3000 && reads < count; ++i) {
      const std::string events = " " + peer_.Command("events");
      for (std::size_t at = events.find(" 20000/"); at != std::string::npos; at = events.find(" 20000/", at + 1))
        ++reads;
      if (reads < count) Plat_Sleep(10);
    }
    return reads >= count;
  }
  Snap7Peer peer_;
};

const std::string kOpen = "S7_Interface_Init : OK.\nSnap7 - S7_Connection_Init : OK.\n\tPDU méret : 512\n";

TEST_F(CliSnap7Test, StateStopStartLoginLogout) {
  CliResult r = RunCli(Plc({"state", "stop", "start", "cold", "login", "anything", "logout"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen +
                       "Snap7 - S7_GetCpuState : OK.\n\tCPU : Run\n"
                       "Snap7 - S7_CpuStop : OK.\n\tCPU : Stop\n"
                       "Snap7 - S7_CpuStart : OK.\n\tCPU : Run\n"
                       "Snap7 - S7_SessionLogin : OK.\n"
                       "Snap7 - S7_SessionLogout : OK.\n");
}

TEST_F(CliSnap7Test, Clock) {
  // The server writes the weekday one too low, so on a Sunday its clock does
  // not decode (23); on other days the date reads one day early.
  CliResult r = RunCli(Plc({"clock"}));
  EXPECT_TRUE(std::regex_match(r.out, std::regex(kOpen + "(Snap7 - S7_GetCpuClock : OK\\.\n\tCPU : "
                                                         "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\n|"
                                                         "Snap7 - S7_GetCpuClock : .rv.nytelen d.tum\\.\n)")))
      << r.out;
  EXPECT_TRUE(r.status == 0 || r.status == 23) << r.status;
}

TEST_F(CliSnap7Test, WriteAndReadMixedDefinitions) {
  // One item whose length counts bytes, and that one last: the server loses
  // its place after it.
  CliResult r = RunCli(Plc({"write", "DB1.DBW0:2 (Int)=-1,1000", "MW4:1 (Word)=0xbeef", "DB1.DBD8:1 (DInt)=-70000",
                            "DB1.DBD12:1 (Real)=-0.25", "write", "M6.0:8 (Bit)=1,1,0,0,0,0,0,1"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen +
                       "Snap7 - S7_MultiWrite : OK.\n"
                       " DB1.DBW0  = -1 \n"
                       " DB1.DBW2  = 1 000 \n"
                       " MW4       = 0xbeef \n"
                       " DB1.DBD8  = -70 000 \n"
                       " DB1.DBD12 = -0.25 \n"
                       "Snap7 - S7_SimpleWrite : OK.\n"
                       " M6.0 = 1 \n M6.1 = 1 \n M6.2 = 0 \n M6.3 = 0 \n M6.4 = 0 \n M6.5 = 0 \n M6.6 = 0 \n M6.7 = 1 \n");
  const std::vector<std::uint8_t> db = peer_.Area(kSnap7DataBlock, 1);
  ASSERT_GE(db.size(), 16u);
  EXPECT_EQ(std::vector<std::uint8_t>(db.begin(), db.begin() + 16),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0x03, 0xE8, 0, 0, 0, 0, 0xFF, 0xFE, 0xEE, 0x90, 0xBE, 0x80,
                                       0x00, 0x00}));
  const std::vector<std::uint8_t> flags = peer_.Area(kSnap7Flags, 0);
  EXPECT_EQ(flags[4], 0xBE);
  EXPECT_EQ(flags[5], 0xEF);
  EXPECT_EQ(flags[6], 0x83);
}

TEST_F(CliSnap7Test, MonitorSeesTheServerChangeAValue) {
  peer_.SetArea(kSnap7DataBlock, 1, {0x00, 0x07});
  peer_.Command("events");
  // Five seconds of monitoring; the value changes once the read and the
  // monitor's first read have seen the old one.
  CliProcess p = StartCli(Plc({"read", "DB1.DBW0:1 (Word)", "monitor", "--interval", "200", "--count", "25"}));
  ASSERT_TRUE(WaitForReads(2)) << "the server saw no reads";
  peer_.SetArea(kSnap7DataBlock, 1, {0x12, 0x34});
  CliResult r = WaitCli(p);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string stamp = "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\n";
  EXPECT_TRUE(std::regex_match(r.out, std::regex(kOpen + "Snap7 - S7_SimpleRead : OK\\.\n DB1\\.DBW0 = 0x0007 \n" +
                                                 stamp + " DB1\\.DBW0 = 0x0007 \n" + stamp +
                                                 " DB1\\.DBW0 = 0x1234 \n")))
      << r.out;
}

TEST_F(CliSnap7Test, TableRoundTrip) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tolvane-snap7-" + std::to_string(::getpid()) + ".vat")).string();
  CliResult r = RunCli(Plc({"write", "DB2.DBB0:3 (Byte)=0x01,0x02,0x03", "save", path}));
  ASSERT_EQ(r.status, 0) << r.err;
  peer_.SetArea(kSnap7DataBlock, 2, {9, 8, 7});
  r = RunCli({"--vat", path, "read"});
  std::remove(path.c_str());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen + "Snap7 - S7_SimpleRead : OK.\n DB2.DBB0 = 0x09 \n DB2.DBB1 = 0x08 \n DB2.DBB2 = 0x07 \n");
}

TEST_F(CliSnap7Test, CpuInfoAndDiagnosticBuffer) {
  CliResult r = RunCli(Plc({"info", "diag"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Snap7 - S7_ReadSzl : OK\\.\n"
                                                  "\tRendelési szám : 6ES7 315-2EH14-0AB0\n"
                                                  "\tHardver : 16#0004 0001  Firmware : V3\\.2\\.6\n"
                                                  "\tModul típus : CPU 315-2 PN/DP\n"
                                                  "\tPLC név : SNAP7-SERVER\n")))
      << r.out;
  EXPECT_NE(r.out.find("\tMax. PDU : 2048  Max. kapcsolat : 1024\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Snap7 - S7_ReadSzl : OK.\n\tBejegyzések : 10\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\n\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  16#4302  "
                                                  "Üzemmódváltás: INDULÁS -> RUN\n")))
      << r.out;
}

}  // namespace
