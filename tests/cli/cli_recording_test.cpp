// tolvane-cli's recordings end to end: a trace of a session of every service
// over TCP and through the stand-in access point, read back by tshark (every
// frame dissected, nothing malformed or warned, as many requests and replies
// as were sent); the value log of a table of every type held against the
// lines the program printed; a read that fails; and the real faults a disk
// gives: full, and the file's folder removed while rows are written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/tshark_check.h"
#include "tools/plcsim/plcsim.h"

namespace {

namespace fs = std::filesystem;

class CliRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.Start(plcsim::Config{}));
    dir_ = fs::temp_directory_path() / ("tolvane-cli-rec-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::vector<std::string> Plc(std::vector<std::string> rest) {
    rest.insert(rest.begin(), {"--plc", sim_.AddressText()});
    return rest;
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static std::vector<std::string> Split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
      if (i == text.size() || text[i] == at) {
        parts.push_back(text.substr(from, i - from));
        from = i + 1;
      }
    return parts;
  }
  static int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
  }

  plcsim::Simulator sim_;
  fs::path dir_;
};

TEST_F(CliRecordingTest, ATraceOfEveryServiceIsDissectedWithoutAWarning) {
  const std::string trace = File("session.pcap");
  CliResult r = RunCli(Plc({"--trace", trace, "state", "info", "diag", "stop", "start", "warm", "clock", "set-clock",
                            "now", "login", "secret", "logout", "write", "DB1.DBW0:3 (Int)=1,-2,300", "MD4:1 (Real)=2.5",
                            "read", "monitor", "--interval", "50", "--count", "3", "disconnect", "connect", "state"}));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.rfind("Nyomkövetés indul : " + trace + "\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Nyomkövetés vége : " + trace + "\n"), std::string::npos) << r.out;
  const TsharkReading t = ReadWithTshark(trace);
  ASSERT_TRUE(t.ran) << t.why;
  EXPECT_EQ(t.requests, sim_.RequestCount()) << "every request the PLC got is in the trace";
  EXPECT_EQ(t.replies, t.requests);
  EXPECT_EQ(t.malformed, 0);
  EXPECT_EQ(t.warned, 0);
  EXPECT_EQ(t.undissected, 0);
  EXPECT_EQ(t.s7Frames, t.requests + t.replies) << "no PDU needed reassembly here: one frame each";
}

// A table of many requests on the wire: writes cut into pieces, reads of
// merged runs with odd lengths and bits inside them; Wireshark reads every
// frame of it as it reads a single request.
TEST_F(CliRecordingTest, ATraceOfATableOfManyRequestsIsDissectedWithoutAWarning) {
  sim_.Stop();
  plcsim::Config config;
  config.model.dataBlocks = {{1, 4096}, {2, 4096}};
  ASSERT_TRUE(sim_.Start(config));
  const std::string trace = File("planned.pcap");
  std::vector<std::string> args = {"--trace", trace, "write"};
  for (int i = 0; i < 300; ++i) args.push_back("DB1.DBW" + std::to_string(5 * i) + ":1 (Int)=" + std::to_string(i));
  std::string array = "DB2.DBB1:999 (Byte)=";
  for (int i = 0; i < 999; ++i) array += (i ? ",0x" : "0x") + std::to_string(10 + i % 90);
  args.push_back(array);
  args.insert(args.end(), {"M0.3:1 (Bit)=1", "M1.0:1 (Bit)=1", "read", "monitor", "--interval", "50", "--count", "2"});
  CliResult r = RunCli(Plc(args));
  ASSERT_EQ(r.status, 0) << r.out.substr(0, 400) << r.err;
  EXPECT_NE(r.out.find("S7_MultiWrite : OK.\n\t303 változó, "), std::string::npos) << r.out.substr(0, 400);
  const TsharkReading t = ReadWithTshark(trace);
  ASSERT_TRUE(t.ran) << t.why;
  EXPECT_GT(t.requests, 10);
  EXPECT_EQ(t.requests, sim_.RequestCount()) << "every request the PLC got is in the trace";
  EXPECT_EQ(t.replies, t.requests);
  EXPECT_EQ(t.malformed, 0);
  EXPECT_EQ(t.warned, 0);
  EXPECT_EQ(t.undissected, 0);
}

TEST(CliRecordingAccessPoint, ATraceThroughTheAccessPointIsS7FrameForFrame) {
  const std::string trace = (fs::temp_directory_path() / ("tolvane-cli-mpi-" + std::to_string(::getpid()) + ".pcap")).string();
  CliResult r = RunCliWithAccessPoint({"--if", "S7ONLINE", "--plc", "2", "--trace", trace, "state", "clock", "write",
                                       "MW0:2 (Word)=0x1234,0x7", "read"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const TsharkReading t = ReadWithTshark(trace);
  std::remove(trace.c_str());
  ASSERT_TRUE(t.ran) << t.why;
  // The setup, the state, the clock, the write, its read-back and the read.
  EXPECT_EQ(t.requests, 6);
  EXPECT_EQ(t.replies, 6);
  EXPECT_EQ(t.frames, 12);
  EXPECT_EQ(t.s7Frames, 12);
  EXPECT_EQ(t.malformed, 0);
  EXPECT_EQ(t.warned, 0);
}

TEST_F(CliRecordingTest, NothingIsSentWhenTheTraceOrTheLogCannotBeMade) {
  const std::string nowhere = File("missing/x.pcap");
  CliResult r = RunCli(Plc({"--trace", nowhere, "state"}));
  EXPECT_EQ(r.status, 74);
  EXPECT_EQ(r.out, "Nyomkövetés : " + nowhere + " - nem hozható létre. Hibakód : 3. :-(\n");
  EXPECT_EQ(sim_.ConnectRequestCount(), 0);

  r = RunCli(Plc({"read", "MW0:1 (Word)", "monitor", "--changed"}));
  EXPECT_EQ(r.status, 64) << "--changed is a choice of the value log";
  EXPECT_NE(r.err.find("--changed goes with --csv FILE"), std::string::npos) << r.err;

  const std::string noLog = File("missing/x.csv");
  r = RunCli(Plc({"read", "MW0:1 (Word)", "monitor", "--count", "2", "--csv", noLog}));
  EXPECT_EQ(r.status, 74);
  EXPECT_NE(r.out.find("Naplózás : " + noLog + " - nem hozható létre. Hibakód : 3. :-(\n"), std::string::npos);
  EXPECT_EQ(r.out.find("\n20"), std::string::npos) << "no monitor block: " << r.out;
}

// One variable of every type, preloaded in the PLC; the value log's cells
// are the printed lines' values, a real's with a decimal comma.
TEST_F(CliRecordingTest, TheValueLogOfEveryTypeHoldsWhatTheWindowShows) {
  struct Column {
    const char* definition;
    std::uint8_t area;
    int db, offset;
    plcsim::Bytes memory;
  } columns[] = {
      {"DB1.DBX2.3:1 (Bit)", plcsim::kAreaDataBlock, 1, 2, {0x08}},
      {"M4.0:16 (Bit)", plcsim::kAreaFlags, 0, 4, {0x01, 0xC0}},
      {"DB1.DBB10:3 (Byte)", plcsim::kAreaDataBlock, 1, 10, {0x80, 0x7F, 0x00}},
      {"DB1.DBB13:2 (Short)", plcsim::kAreaDataBlock, 1, 13, {0x80, 0x05}},
      {"DB1.DBB15:3 (Char)", plcsim::kAreaDataBlock, 1, 15, {'H', ';', '"'}},
      {"DB1.DBW20:2 (Word)", plcsim::kAreaDataBlock, 1, 20, {0xFF, 0xFE, 0x12, 0x34}},
      {"DB1.DBW24:1 (Int)", plcsim::kAreaDataBlock, 1, 24, {0xFF, 0xFE}},
      {"DB1.DBD26:1 (DWord)", plcsim::kAreaDataBlock, 1, 26, {0xDE, 0xAD, 0xBE, 0xEF}},
      {"DB1.DBD30:1 (DInt)", plcsim::kAreaDataBlock, 1, 30, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"DB1.DBD34:1 (Time)", plcsim::kAreaDataBlock, 1, 34, {0xFF, 0xFF, 0xFC, 0x18}},
      {"DB1.DBD38:1 (TOD)", plcsim::kAreaDataBlock, 1, 38, {0x05, 0x26, 0x5B, 0xFF}},
      {"DB1.DBW42:2 (S5Time)", plcsim::kAreaDataBlock, 1, 42, {0x11, 0x23, 0x21, 0x27}},
      {"DB1.DBD46:1 (Real)", plcsim::kAreaDataBlock, 1, 46, {0xBF, 0xC0, 0x00, 0x00}},
      {"DB1.DBQ50:1 (Date&Time)", plcsim::kAreaDataBlock, 1, 50, {0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}},
      {"DB1.DBW58:1 (Date)", plcsim::kAreaDataBlock, 1, 58, {0x23, 0x45}},
      {"T3:2 (Timer)", plcsim::kAreaTimers, 0, 6, {0x09, 0x99, 0x00, 0x00}},
      {"Z5:2 (Counter)", plcsim::kAreaCounters, 0, 10, {0x00, 0x42, 0x09, 0x99}},
  };
  std::vector<std::string> args = {"read"};
  for (const Column& c : columns) {
    ASSERT_TRUE(sim_.Model().WriteMemory(c.area, c.db, c.offset, c.memory)) << c.definition;
    args.push_back(c.definition);
  }
  const std::string csv = File("every type.csv");
  for (const char* a : {"monitor", "--interval", "50", "--count", "2", "--csv"}) args.push_back(a);
  args.push_back(csv);
  CliResult r = RunCli(Plc(args));
  ASSERT_EQ(r.status, 0) << r.out << r.err;

  // The lines the read printed: " address = value ".
  std::vector<std::string> addresses, values;
  const std::string readBlock = r.out.substr(r.out.find("S7_MultiRead : OK.\n") + 19);
  for (const std::string& line : Split(readBlock.substr(0, readBlock.find("Naplózás")), '\n')) {
    if (line.empty()) continue;
    const std::size_t eq = line.find("= ");
    ASSERT_NE(eq, std::string::npos) << line;
    std::string address = line.substr(1, eq - 1);
    address.erase(address.find_last_not_of(' ') + 1);
    addresses.push_back(address);
    values.push_back(line.substr(eq + 2, line.size() - eq - 3));
  }
  ASSERT_EQ(addresses.size(), 41u);

  const std::string text = Contents(csv);
  ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with a byte-order mark";
  std::vector<std::string> rows = Split(text.substr(3), '\n');
  ASSERT_EQ(rows.size(), 4u) << "header, two rows, and nothing after the last line end";
  EXPECT_TRUE(rows.back().empty());
  std::vector<std::string> header = Split(rows[0].substr(0, rows[0].size() - 1), ';');
  ASSERT_EQ(header.size(), addresses.size() + 2);
  EXPECT_EQ(header.front(), "Idő");
  EXPECT_EQ(header.back(), "Hiba");
  for (std::size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(header[i + 1], addresses[i]);
  for (int row = 1; row <= 2; ++row) {
    const std::string& line = rows[static_cast<std::size_t>(row)];
    ASSERT_EQ(line.back(), '\r');
    // Cells, with the quoted ones (the Char ';' and '"') joined back.
    std::vector<std::string> cells;
    for (const std::string& piece : Split(line.substr(0, line.size() - 1), ';')) {
      if (!cells.empty() && Count(cells.back(), "\"") % 2 == 1)
        cells.back() += ";" + piece;
      else
        cells.push_back(piece);
    }
    ASSERT_EQ(cells.size(), header.size()) << line;
    EXPECT_TRUE(cells.back().empty()) << "no error";
    EXPECT_EQ(cells[0].size(), 23u) << cells[0];
    EXPECT_EQ(cells[0][19], ',') << "milliseconds after a decimal comma: " << cells[0];
    for (std::size_t i = 0; i < values.size(); ++i) {
      std::string expected = values[i];
      if (addresses[i] == "DB1.DBD46") expected = "-1,5";
      if (expected.find_first_of(";\"") != std::string::npos) {
        std::string quoted = "\"";
        for (char c : expected) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        expected = quoted + "\"";
      }
      EXPECT_EQ(cells[i + 1], expected) << addresses[i];
    }
  }
}

TEST_F(CliRecordingTest, AFailedReadIsARowThatSaysSo) {
  // The setup, the read and the first monitor read pass; the second gets no answer.
  for (int i = 0; i < 3; ++i) sim_.Inject({plcsim::FaultKind::Delay});
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  const std::string csv = File("failed.csv");
  CliResult r = RunCli(Plc({"--timeout", "1000", "read", "MW0:2 (Word)", "monitor", "--interval", "50", "--count",
                            "5", "--csv", csv}));
  EXPECT_EQ(r.status, 14) << r.out;
  const std::vector<std::string> rows = Split(Contents(csv), '\n');
  ASSERT_EQ(rows.size(), 4u) << Contents(csv);
  EXPECT_EQ(rows[1].substr(23), ";0x0000;0x0000;\r");
  EXPECT_EQ(rows[2].substr(23), ";;;Nem jött válasz időben\r");
}

// A small file system of its own (a tmpfs in a mount namespace that unshare
// makes without privileges) fills up while rows are written: one line tells
// it, the reads go on, and every row in the file is whole.
TEST_F(CliRecordingTest, AFullDiskStopsTheLogWithOneLineAndKeepsWholeRows) {
  if (CliIsWindows()) GTEST_SKIP() << "the tmpfs is made around a native process";
  const fs::path disk = dir_ / "disk";
  fs::create_directories(disk);
  const std::string kept = File("kept.csv");
  std::string cli = TOLVANE_CLI_PATH;
  std::string command = "unshare -rm sh -c 'mount -t tmpfs -o size=8k tmpfs \"" + disk.string() + "\" && \"" + cli +
                        "\" --plc " + sim_.AddressText() +
                        " read \"DB1.DBW0:100 (Int)\" monitor --interval 50 --count 60 --csv \"" +
                        (disk / "v.csv").string() + "\"; rc=$?; cp \"" + (disk / "v.csv").string() + "\" \"" + kept +
                        "\"; exit $rc' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status)) << out;
  ASSERT_NE(WEXITSTATUS(status), 1) << "unshare or mount failed: " << out;
  EXPECT_EQ(WEXITSTATUS(status), 74) << out;
  EXPECT_EQ(Count(out, "Naplózás : " + (disk / "v.csv").string() + " - leállt, megtelt a lemez. Hibakód : 112. :-("),
            1)
      << out;
  EXPECT_EQ(sim_.RequestCount(), 1 + 1 + 60) << "the setup, the read and every monitor read were made";
  const std::string text = Contents(kept);
  ASSERT_GT(text.size(), 4096u);
  ASSERT_LE(text.size(), 8192u);
  const std::vector<std::string> rows = Split(text, '\n');
  EXPECT_TRUE(rows.back().empty()) << "the file ends on a whole row";
  for (std::size_t i = 1; i + 1 < rows.size(); ++i) EXPECT_EQ(Count(rows[i], ";"), 101) << i;
}

TEST_F(CliRecordingTest, ALogWhoseFolderIsRemovedStopsWithOneLine) {
  const fs::path folder = dir_ / "going";
  fs::create_directories(folder);
  const std::string csv = (folder / "v.csv").string();
  CliProcess p = StartCli(Plc({"read", "MW0:1 (Word)", "monitor", "--interval", "50", "--count", "80", "--csv", csv}));
  for (int i = 0; i < 2000 && Count(Contents(csv), "\n") < 4; ++i) Plat_Sleep(5);
  ASSERT_GE(Count(Contents(csv), "\n"), 4);
  fs::remove_all(folder);
  const CliResult r = WaitCli(p);
  EXPECT_EQ(r.status, 74) << r.out;
  EXPECT_EQ(Count(r.out, "Naplózás : " + csv + " - leállt, a fájl eltűnt. Hibakód : 2. :-("), 1) << r.out;
  EXPECT_EQ(Count(r.out, "Naplózás vége"), 0);
  EXPECT_EQ(sim_.RequestCount(), 1 + 1 + 80) << "the reads went on";
}

}  // namespace
