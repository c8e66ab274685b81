// tolvane-cli end to end against the bundled simulator: the exact log lines
// and value lines it prints, its exit status, refused values and bad usage,
// a .vat round trip and monitoring a value that changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/cli/cli_runner.h"
#include "tools/plcsim/plcsim.h"

namespace {

class CliSimTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(plcsim::Config{}); }
  void Start(const plcsim::Config& config) {
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(config));
  }
  std::vector<std::string> Plc(std::vector<std::string> rest) {
    rest.insert(rest.begin(), {"--plc", sim_.AddressText()});
    return rest;
  }
  plcsim::Bytes Memory(std::uint8_t area, int db, int offset, int length) {
    return sim_.Model().ReadMemory(area, db, offset, length);
  }
  plcsim::Simulator sim_;
};

// The command followed by n definitions of single words, MW0 upwards.
std::vector<std::string> Definitions(const char* command, int n) {
  std::vector<std::string> args = {command};
  for (int i = 0; i < n; ++i) args.push_back("MW" + std::to_string(2 * i) + ":1 (Word)");
  return args;
}

const std::string kOpen = "S7_Interface_Init : OK.\nS7_Connection_Init : OK.\n\tPDU méret : 240\n";
const std::string kOpenNamed = "S7_Interface_Init : OK.\nPress 1 - S7_Connection_Init : OK.\n\tPDU méret : 240\n";
// The hint lines after refusals, as a user reads them.
const std::string kHintNoListener =
    "\tTipp : Ezen a címen senki sem fogad kapcsolatot a 102-es porton. Jó az IP cím? Be van kapcsolva a PLC, és "
    "elérhető a hálózaton?\n";
const std::string kHintNoDb = "\tTipp : A DB nem létezik a PLC-ben: ellenőrizze a DB számát, és hogy le van-e töltve.\n";
const std::string kHintAccess =
    "\tTipp : A hozzáférést a PLC védelmi szintje vagy jelszava tiltja (Login), vagy a DB védett.\n";

TEST_F(CliSimTest, StateStopStartAndConnection) {
  CliResult r = RunCli(Plc({"--name", "Press 1", "state", "stop", "state", "start", "warm", "disconnect",
                            "connect"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpenNamed +
                       "Press 1 - S7_GetCpuState : OK.\n\tCPU : Run\n"
                       "Press 1 - S7_CpuStop : OK.\n\tCPU : Stop\n"
                       "Press 1 - S7_GetCpuState : OK.\n\tCPU : Stop\n"
                       "Press 1 - S7_CpuStart : OK.\n\tCPU : Run\n"
                       "Press 1 - S7_Disconnect : OK.\n"
                       "Press 1 - S7_Connect : OK.\n\tPDU méret : 240\n");
  EXPECT_TRUE(sim_.Model().Running());
}

TEST_F(CliSimTest, ClockReadAndSet) {
  CliResult r = RunCli(Plc({"set-clock", "2031-07-15 08:09:10.500", "clock"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("S7_SetCpuClock : OK\\.\n\tCPU : 2031\\.07\\.15 08:09:1\\d PC : "
                                                  "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\n")))
      << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("S7_GetCpuClock : OK\\.\n\tCPU : 2031\\.07\\.15 08:09:1\\d\n")))
      << r.out;
  EXPECT_EQ(sim_.Model().Clock().weekday, 2) << "15 July 2031 is a Tuesday";
}

TEST_F(CliSimTest, ReadAndWriteMixedDefinitions) {
  CliResult r = RunCli(Plc({"write", "DB1.DBW2:3 (Int)=1,-2,300", "MD4:1 (Real)=3.5", "MB0:2 (Char)=A,#233",
                            "DB1.DBD10:1 (Time)=1m30s", "M20.0:8 (Bit)=1,0,1,0,0,0,0,1"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen +
                       "S7_MultiWrite : OK.\n"
                       " DB1.DBW2  = 1 \n"
                       " DB1.DBW4  = -2 \n"
                       " DB1.DBW6  = 300 \n"
                       " MD4       = 3.5 \n"
                       " MB0       = 'A' (#65) \n"
                       " MB1       = 'é' (#233) \n"
                       " DB1.DBD10 = 1m30s \n"
                       " M20.0     = 1 \n M20.1     = 0 \n M20.2     = 1 \n M20.3     = 0 \n"
                       " M20.4     = 0 \n M20.5     = 0 \n M20.6     = 0 \n M20.7     = 1 \n");
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 2, 6), (plcsim::Bytes{0x00, 0x01, 0xFF, 0xFE, 0x01, 0x2C}));
  EXPECT_EQ(Memory(plcsim::kAreaFlags, 0, 4, 4), (plcsim::Bytes{0x40, 0x60, 0x00, 0x00}));
  EXPECT_EQ(Memory(plcsim::kAreaFlags, 0, 0, 2), (plcsim::Bytes{0x41, 0xE9}));
  EXPECT_EQ(Memory(plcsim::kAreaFlags, 0, 20, 1), plcsim::Bytes{0x85});

  r = RunCli(Plc({"read", "DB1.DBW2:1 (Word)"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kOpen + "S7_SimpleRead : OK.\n DB1.DBW2 = 0x0001 \n");
}

// The newer types from the command line: texts into the PLC's own headers
// (a letter outside code page 1250 typed as its escape), nanoseconds, the
// shortest LReal, and the lines that show them read back.
TEST_F(CliSimTest, NewerTypesWrittenAndReadBack) {
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 20, {10, 0}));
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 70, {0, 3, 0, 0}));
  CliResult r = RunCli(Plc({"write", "DB1.DBB20:1 (String[10])=árvíz tűrő", "DB1.DBB40:1 (LReal)=0.1",
                            "DB1.DBB50:1 (DTL)=2024.02.29.12:00:00.000000001", "DB1.DBB70:1 (WString[3])=\\u0436ő",
                            "DB1.DBB80:1 (ULInt)=18446744073709551615"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen +
                       "S7_MultiWrite : OK.\n"
                       " DB1.DBB20 = 'árvíz tűrő' \n"
                       " DB1.DBB40 = 0.1 \n"
                       " DB1.DBB50 = 2024.02.29.12:00:00.000000001 \n"
                       " DB1.DBB70 = '\\u0436ő' \n"
                       " DB1.DBB80 = 18 446 744 073 709 551 615 \n");
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 20, 12),
            (plcsim::Bytes{10, 10, 0xE1, 'r', 'v', 0xED, 'z', ' ', 't', 0xFB, 'r', 0xF5}));
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 50, 12),
            (plcsim::Bytes{0x07, 0xE8, 2, 29, 5, 12, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 70, 8), (plcsim::Bytes{0, 3, 0, 2, 0x04, 0x36, 0x01, 0x51}));

  r = RunCli(Plc({"read", "DB1.DBB20:1 (String[10])", "DB1.DBB40:1 (LReal)", "DB1.DBB50:1 (DTL)"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpen +
                       "S7_MultiRead : OK.\n"
                       " DB1.DBB20 = 'árvíz tűrő' \n"
                       " DB1.DBB40 = 0.1 \n"
                       " DB1.DBB50 = 2024.02.29.12:00:00.000000001 \n");

  // Eleven letters for the PLC's ten: refused, nothing written.
  r = RunCli(Plc({"write", "DB1.DBB20:1 (String[254])=árvíztűrő t"}));
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 20, 3), (plcsim::Bytes{10, 10, 0xE1}));
}

// Five hundred variables and a 2,000-byte array: written in as many
// requests as they take, every byte landing, and read back for the lines.
TEST_F(CliSimTest, ATableLargerThanARequestIsWrittenAndReadBack) {
  plcsim::Config config;
  config.model.dataBlocks = {{1, 4096}, {2, 4096}};
  Start(config);
  std::vector<std::string> args = {"write"};
  for (int i = 0; i < 500; ++i) args.push_back("DB1.DBW" + std::to_string(4 * i) + ":1 (Int)=" + std::to_string(i - 250));
  std::string array = "DB2.DBB0:2000 (Byte)=";
  for (int i = 0; i < 2000; ++i) {
    char value[8];
    std::snprintf(value, sizeof value, "%s0x%02x", i ? "," : "", (i * 7) & 0xFF);
    array += value;
  }
  args.push_back(array);
  CliResult r = RunCli(Plc(args));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\nS7_MultiWrite : OK\.\n\t501 változó, \d+ kérés\n DB1\.DBW0 )")))
      << r.out.substr(0, 400);
  EXPECT_NE(r.out.find(" DB1.DBW1996 = 249 \n"), std::string::npos);
  EXPECT_NE(r.out.find(" DB2.DBB1999 = 0xa9 \n"), std::string::npos);
  const plcsim::Bytes words = Memory(plcsim::kAreaDataBlock, 1, 0, 2000);
  for (int i = 0; i < 500; ++i) {
    const int value = (words[4 * i] << 8 | words[4 * i + 1]) - ((words[4 * i] & 0x80) ? 0x10000 : 0);
    ASSERT_EQ(value, i - 250) << "DB1.DBW" << 4 * i;
  }
  const plcsim::Bytes bytes = Memory(plcsim::kAreaDataBlock, 2, 0, 2000);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(bytes[i], (i * 7) & 0xFF) << "DB2.DBB" << i;
}

TEST_F(CliSimTest, RefusedValueWritesNothing) {
  struct Case {
    std::string arg, message;
  } cases[] = {
      {"DB1.DBW2:2 (Int)=1,-40000", "Int DB1.DBW4: -40000 is below -32768"},
      {"MW0:1 (Word)=1f", "Word MW0:"},
      {"MW0:2 (Word)=0x1", "MW0:2 (Word) has 2 element(s) but 1 value(s) were given"},
      {"T0:1 (Timer)=30s1m", "Timer T0:"},
      {"MW0:1 (Real)=1", "refused definition: MW0:1 (Real)"},
  };
  for (const Case& c : cases) {
    const int requests = sim_.RequestCount();
    CliResult r = RunCli(Plc({"write", c.arg}));
    EXPECT_EQ(r.status, 64) << c.arg;
    EXPECT_EQ(r.out, "") << c.arg << ": nothing is opened or sent";
    EXPECT_EQ(r.err.rfind("tolvane-cli: " + c.message, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("usage: tolvane-cli"), std::string::npos);
    EXPECT_EQ(sim_.RequestCount(), requests);
  }
}

TEST_F(CliSimTest, BadUsage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"fly"}, "unknown command fly"},
      {{"--frobnicate", "state"}, "unknown option --frobnicate"},
      {{"--plc", "300.1.1.1", "state"}, "--plc takes an IPv4 address for TCP, not 300.1.1.1"},
      {{"--if", "S7ONLINE", "--plc", "128", "state"}, "--plc takes a station address 0-127, not 128"},
      {{"--if", "MPI", "state"}, "--if takes TCP, S7ONLINE, CP_L2_1 or CP_L2_2, not MPI"},
      {{"--rack", "32", "state"}, "--rack takes 0-31"},
      {{"start"}, "start needs an argument"},
      {{"start", "hot"}, "start takes warm or cold"},
      {{"state", "now"}, "state: unexpected argument now"},
      {{"set-clock", "2031-02-30 00:00:00"}, "set-clock takes now or"},
      {{"monitor", "--count", "0"}, "--count takes a positive number"},
      {{"diag", "--count", "0"}, "--count takes a positive number"},
      {{"diag", "--count", "70000"}, "diag --count takes 1-65535"},
      {{"szl", "17"}, "szl needs an argument"},
      {{"szl", "0x10000", "0"}, "szl takes a list id and an index, 0-0xFFFF each (0x0011 or 17), not 0x10000 0"},
      {{"szl", "17", "-1"}, "szl takes a list id and an index, 0-0xFFFF each (0x0011 or 17), not 17 -1"},
      {{"szl", "0x11", "one"}, "szl takes a list id and an index, 0-0xFFFF each (0x0011 or 17), not 0x11 one"},
      {{"--name", "a name that is far too long for a PLC", "state"}, "--name takes at most 23 characters"},
      {{"--name", "Presse 日", "state"}, "--name holds characters that code page 1250 cannot"},
      {Definitions("read", 1001), "read takes at most 1000 definitions, not 1001"},
  };
  for (const Case& c : cases) {
    CliResult r = RunCli(c.args);
    EXPECT_EQ(r.status, 64) << c.message;
    EXPECT_EQ(r.err.rfind("tolvane-cli: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: tolvane-cli", 0), 0u);
  EXPECT_NE(help.out.find("examples:"), std::string::npos);
}

TEST_F(CliSimTest, ExitStatusIsTheFirstFailure) {
  CliResult r = RunCli(Plc({"read", "DB1.DBW0:1 (Word)", "DB99.DBW0:1 (Word)", "state"}));
  EXPECT_EQ(r.status, 27);
  EXPECT_EQ(r.out, kOpen +
                       "S7_MultiRead : Adat hiba. Kiegészítő hibakód : 2(0x0002).\n"
                       "\tDB1.DBW0:1 (Word) : Sikeres\n"
                       "\tDB99.DBW0:1 (Word) : Az objektum nem létezik\n" +
                       kHintNoDb + "S7_GetCpuState : OK.\n\tCPU : Run\n")
      << "the commands after a failure still run";

  sim_.Inject({plcsim::FaultKind::RewriteReply});  // the setup communication goes through
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  r = RunCli(Plc({"read", "MW0:1 (Word)", "state"}));
  EXPECT_EQ(r.status, 14);
  EXPECT_EQ(r.out, kOpen +
                       "S7_SimpleRead : Nem jött válasz időben.\n"
                       "S7_Disconnect : OK.\n"
                       "S7_GetCpuState : A PLC kapcsolat bontva.\n");

  sim_.Stop();
  r = RunCli(Plc({"state"}));
  EXPECT_EQ(r.status, 10);
  EXPECT_EQ(r.out,
            "S7_Interface_Init : OK.\nS7_Connection_Init : Socket hiba. Kiegészítő hibakód : 10061(0x274d).\n" +
                kHintNoListener + "S7_GetCpuState : A PLC kapcsolat bontva.\n");
}

TEST_F(CliSimTest, LoginGatesWrites) {
  plcsim::Config config;
  config.model.password = "secret";
  Start(config);
  CliResult r = RunCli(Plc({"write", "MB0:1 (Byte)=0x12", "login", "secret", "write", "MB0:1 (Byte)=0x12",
                            "logout"}));
  EXPECT_EQ(r.status, 27);
  EXPECT_EQ(r.out, kOpen +
                       "S7_SimpleWrite : Adat hiba. Kiegészítő hibakód : 1(0x0001).\n"
                       "\tMB0:1 (Byte) : A hozzáférés nem engedélyezett\n" +
                       kHintAccess + "S7_SessionLogin : OK.\n"
                       "S7_SimpleWrite : OK.\n MB0 = 0x12 \n"
                       "S7_SessionLogout : OK.\n");
}

TEST_F(CliSimTest, SaveAndLoadATable) {
  // An accented name: the path reaches the file system as the same letters
  // whether it is saved or loaded.
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("tolvane-cli-prés-ő-" + std::to_string(::getpid()) + ".vat"))
                               .string();
  CliResult r = RunCli(Plc({"--name", "Press 1", "write", "DB1.DBW2:2 (Word)=0x1234,0x10", "MD4:1 (Real)=2.5",
                            "save", path}));
  ASSERT_EQ(r.status, 0) << r.err;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[PLC]\r\nIF = TCP\r\nName = Press 1\r\nAddress = " + sim_.AddressText() +
                      "\r\nTimeOut = 1000\r\nRack = 0\r\nSlot = 2\r\nVarCount = 2\r\n"
                      "[Var0]\r\nVar = DB1.DBW2:2 (Word)\r\n[Var1]\r\nVar = MD4:1 (Real)\r\n");

  r = RunCli({"--vat", path, "read"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpenNamed +
                       "Press 1 - S7_MultiRead : OK.\n"
                       " DB1.DBW2 = 0x1234 \n"
                       " DB1.DBW4 = 0x0010 \n"
                       " MD4      = 2.5 \n");

  // The options name the PLC: the file's variables, the options' connection.
  r = RunCli({"--vat", path, "--plc", sim_.AddressText(), "--name", "Other", "read"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("S7_Interface_Init : OK.\nOther - S7_Connection_Init : OK.", 0), 0u) << r.out;

  std::ofstream(path, std::ios::binary) << "[PLC]\r\nIF = MPI\r\n";
  r = RunCli({"--vat", path, "read"});
  EXPECT_EQ(r.status, 65);
  EXPECT_EQ(r.out, "Invalid line in " + std::filesystem::path(path).filename().string() +
                       " at section PLC\nIF = MPI\n");
  std::remove(path.c_str());

  r = RunCli(Plc({"read", "MW0:1 (Word)", "save", "/nonexistent-dir/x.vat"}));
  EXPECT_EQ(r.status, 74);
  EXPECT_NE(r.out.find("Változó tábla mentése : x.vat - can't save. :-(\n"), std::string::npos);

  r = RunCli(Plc({"save", path}));
  EXPECT_EQ(r.status, 74) << "a file without variables could never be loaded";
  EXPECT_EQ(r.out, kOpen + "Változó tábla mentése : " + std::filesystem::path(path).filename().string() +
                       " - no variables to save. :-(\n");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CliSimTest, MonitorShowsWhatChanges) {
  const int before = sim_.RequestCount();
  CliProcess p = StartCli(Plc({"read", "MW0:2 (Word)", "monitor", "--interval", "200", "--count", "8"}));
  // Once the setup, the read and two monitor reads are through, the value
  // changes in the PLC.
  for (int i = 0; i < 3000 && sim_.RequestCount() < before + 4; ++i) Plat_Sleep(5);
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaFlags, 0, 2, {0xBE, 0xEF}));
  CliResult r = WaitCli(p);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string stamp = "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\n";
  EXPECT_TRUE(std::regex_match(r.out, std::regex(
      "S7_Interface_Init : OK\\.\nS7_Connection_Init : OK\\.\n\tPDU méret : 240\n"
      "S7_SimpleRead : OK\\.\n MW0 = 0x0000 \n MW2 = 0x0000 \n" +
      stamp + " MW0 = 0x0000 \n MW2 = 0x0000 \n" + stamp + " MW2 = 0xbeef \n")))
      << r.out;
}

// A monitor of a table larger than one request reads all of it each cycle
// and says once, after its first block, how many requests a read takes (the
// count the read's entry gave). A change anywhere reaches its line.
TEST_F(CliSimTest, MonitorOfALargeTableSaysWhatAReadCosts) {
  plcsim::Config config;
  config.model.flagBytes = 1024;
  Start(config);
  const std::regex entry("\nS7_MultiRead : OK\\.\n\t300 változó, (\\d+) kérés\n");
  std::smatch read;
  const CliResult once = RunCli(Plc(Definitions("read", 300)));
  ASSERT_TRUE(std::regex_search(once.out, read, entry)) << once.out.substr(0, 300);
  const int requests = std::stoi(read[1].str());
  EXPECT_GT(requests, 1);

  const int before = sim_.RequestCount();
  std::vector<std::string> args = Definitions("read", 300);
  args.insert(args.end(), {"monitor", "--interval", "200", "--count", "6"});
  CliProcess p = StartCli(Plc(args));
  // The change comes once the monitor's second read has begun (after the
  // setup, the read and the first), so that the first block cannot show it.
  const int second = before + 1 + 2 * requests + 1;
  for (int i = 0; i < 3000 && sim_.RequestCount() < second; ++i) Plat_Sleep(5);
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaFlags, 0, 598, {0xBE, 0xEF}));
  CliResult r = WaitCli(p);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(std::regex_search(r.out, read, entry)) << r.out.substr(0, 300);
  EXPECT_EQ(std::stoi(read[1].str()), requests);
  const std::string line = "\n" + read[1].str() + " kérés ciklusonként\n";
  const std::size_t at = r.out.find(line);
  ASSERT_NE(at, std::string::npos) << r.out.substr(r.out.size() > 300 ? r.out.size() - 300 : 0);
  EXPECT_EQ(r.out.find(line, at + 1), std::string::npos) << "said once";
  // The first block: from the monitor's first time stamp to that line.
  std::smatch stamp;
  const std::string after = r.out.substr(static_cast<std::size_t>(read.position(0) + read.length(0)));
  ASSERT_TRUE(std::regex_search(after, stamp, std::regex("\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\n")));
  const std::size_t first = static_cast<std::size_t>(read.position(0) + read.length(0) + stamp.position(0));
  const std::size_t still = r.out.find(" MW598 = 0x0000 \n", first);
  EXPECT_TRUE(still != std::string::npos && still < at) << "the whole table in the first block, then the line";
  EXPECT_NE(r.out.find(" MW598 = 0xbeef \n", at), std::string::npos);
}

TEST(CliAccessPoint, BusServicesAndACpuOverMpi) {
  CliResult r = RunCliWithAccessPoint({"--if", "CP_L2_1", "--plc", "2", "--name", "MPI", "partners", "state",
                                       "write", "MB0:1 (Byte)=0x5a", "diag", "--count", "2", "buspars"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("\tHSA")),
            "S7_Interface_Init : OK.\nMPI - S7_Connection_Init : OK.\n\tPDU méret : 240\n"
            "S7_OnLine_Partners : OK.\n\t  0 : active\n\t  2 : active\n"
            "MPI - S7_GetCpuState : OK.\n\tCPU : Run\n"
            "MPI - S7_SimpleWrite : OK.\n MB0 = 0x5a \n"
            "MPI - S7_ReadSzl : OK.\n\tBejegyzések : 2\n"
            "2024.03.01 08:00:00.000  16#4302  Üzemmódváltás: INDULÁS -> RUN\n"
            "2024.03.01 07:22:46.875  16#4301  Üzemmódváltás: STOP -> INDULÁS\n"
            "S7_OnLine_BusPars : OK.\n");
  EXPECT_NE(r.out.find("\tIdent\t\t: Tolvane stand-in MPI\n"), std::string::npos);

  // A TCP interface has no bus to ask.
  r = RunCli({"--if", "TCP", "--plc", "127.0.0.1", "partners"});
  const std::string refused = "S7_OnLine_Partners : Érvénytelen mód.\n";
  ASSERT_GE(r.out.size(), refused.size());
  EXPECT_EQ(r.out.substr(r.out.size() - refused.size()), refused) << r.out;
  EXPECT_EQ(r.status, 10) << "the connect to 127.0.0.1 failed first";
}

TEST_F(CliSimTest, RawGivesTheLogsOwnBytes) {
  CliResult r = RunCli(Plc({"--raw", "--name", "\xC3\x81gens", "state"}));  // "Ágens" in UTF-8
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.rawOut,
            "S7_Interface_Init : OK.\r\n\xC1gens - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n"
            "\xC1gens - S7_GetCpuState : OK.\r\n\tCPU : Run\r\n");
}

const std::string kInfo =
    "Press 1 - S7_ReadSzl : OK.\n"
    "\tRendelési szám : 6ES7 315-2EH14-0AB0\n"
    "\tHardver : V1.0.0  Firmware : V3.2.6\n"
    "\tModul típus : CPU 315-2 PN/DP\n"
    "\tPLC név : TOLVANE-SIM\n"
    "\tModul név : CPU 315-2 PN/DP\n"
    "\tBerendezés jelölés : Test bench\n"
    "\tSorozatszám : S C-T0LV4N312024\n"
    "\tMemóriakártya sorozatszám : MMC 1A2B3C4D\n"
    "\tCopyright : Tolvane PLC simulator\n"
    "\tÜzemmód : Run\n"
    "\tUtolsó váltás : 2024.03.01 08:00:00.000  Üzemmódváltás: INDULÁS -> RUN\n"
    "\tLED : RUN\n"
    "\tVédelmi szint : 1 (kulcskapcsoló : 1, jelszó : 0)  Üzemmódkapcsoló : RUN-P\n"
    "\tMax. PDU : 240  Max. kapcsolat : 16\n";

TEST_F(CliSimTest, CpuInfoDiagnosticBufferAndAnyList) {
  CliResult r = RunCli(Plc({"--name", "Press 1", "info", "diag", "--count", "3", "szl", "0x0074", "0"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOpenNamed + kInfo +
                       "Press 1 - S7_ReadSzl : OK.\n\tBejegyzések : 3\n"
                       "2024.03.01 08:00:00.000  16#4302  Üzemmódváltás: INDULÁS -> RUN\n"
                       "2024.03.01 07:22:46.875  16#4301  Üzemmódváltás: STOP -> INDULÁS\n"
                       "2024.03.01 06:45:33.750  16#1381  Meleg újraindítás kérése (kézi)\n"
                       "Press 1 - S7_ReadSzl : OK.\n\tLista : 16#0074  Index : 16#0000  Rekord : 7 x 4 bájt\n"
                       "   1: 00 01 00 00\n   2: 00 04 01 00\n   3: 00 05 00 00\n   4: 00 06 00 00\n"
                       "   5: 00 08 00 00\n   6: 00 0b 00 00\n   7: 00 0c 00 00\n");

  // The whole buffer, newest first, after a stop: the stop leads, its LED
  // and mode follow it.
  r = RunCli(Plc({"stop", "diag", "info"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("S7_ReadSzl : OK\\.\n\tBejegyzések : 31\n"
                                                  "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  16#4304  "
                                                  "STOP programozókészülékről\n"
                                                  "2024\\.03\\.01 08:00:00\\.000  16#4302  ")))
      << r.out;
  EXPECT_NE(r.out.find("2024.02.29 14:00:39.375  16#9123  Felhasználói esemény, bejövő\nS7_ReadSzl"),
            std::string::npos)
      << "the oldest entry last, an event without a text of its own by its class";
  EXPECT_NE(r.out.find("\tÜzemmód : Stop\n"), std::string::npos);
  EXPECT_NE(r.out.find("\tLED : STOP\n"), std::string::npos);
}

TEST_F(CliSimTest, ListsACpuRefusesOrNeverAnswers) {
  // A CPU without the component identification: the rest still shows.
  sim_.Model().RefuseSzl(0x001C);
  CliResult r = RunCli(Plc({"info", "szl", "0x001C", "0"}));
  EXPECT_EQ(r.status, 26) << "the refused szl";
  EXPECT_NE(r.out.find("\tHardver : V1.0.0  Firmware : V3.2.6\n\tKomponens azonosítás : nem elérhető (0xd401)\n"
                       "\tÜzemmód : Run\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("S7_ReadSzl : OK.\n"), std::string::npos) << "info itself succeeds";
  EXPECT_NE(r.out.find("S7_ReadSzl : Paraméter hiba. Kiegészítő hibakód : 54273(0xd401).\n"), std::string::npos);

  // A PLC that never answers a list (a LOGO!): the commands that ask none
  // work, and only a list asked for by the user meets the silence.
  sim_.Model().SetSzlBehaviour(plcsim::SzlBehaviour::Silent);
  r = RunCli(Plc({"state", "clock", "disconnect", "connect"}));
  EXPECT_EQ(r.status, 0) << r.out;
  r = RunCli(Plc({"info", "state"}));
  EXPECT_EQ(r.status, 14);
  EXPECT_EQ(r.out, kOpen +
                       "S7_ReadSzl : Nem jött válasz időben.\n"
                       "S7_Disconnect : OK.\n"
                       "S7_GetCpuState : A PLC kapcsolat bontva.\n");
}

}  // namespace
