// tolvane-cli with the PLC families: every family's options connecting to
// the simulator acting as that family, a wrong family refused with its hint,
// the options that do not fit together, and a .vat file that keeps them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "tests/cli/cli_runner.h"
#include "tools/plcsim/plcsim.h"

namespace {

class CliFamiliesTest : public ::testing::Test {
 protected:
  void Start(const plcsim::Config& config) {
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(config));
  }
  std::vector<std::string> Plc(std::vector<std::string> rest) {
    rest.insert(rest.begin(), {"--plc", sim_.AddressText()});
    return rest;
  }
  plcsim::Simulator sim_;
};

TEST_F(CliFamiliesTest, EveryFamilyConnects) {
  struct Case {
    plcsim::Family sim;
    std::vector<std::string> options;
    std::uint8_t remote0, remote1;  // the called TSAP on the wire
  } cases[] = {
      {plcsim::Family::S7_300, {"--family", "S7-300"}, 0x01, 0x02},
      {plcsim::Family::S7_300, {"--family", "s7-300", "--conn-type", "op"}, 0x02, 0x02},
      {plcsim::Family::S7_1200, {"--family", "S7-1200"}, 0x01, 0x01},
      {plcsim::Family::S7_1500, {"--family", "S7-1500", "--conn-type", "basic"}, 0x03, 0x01},
      {plcsim::Family::Logo, {"--family", "LOGO"}, 0x02, 0x00},
      {plcsim::Family::S7_200, {"--family", "S7-200"}, 0x10, 0x01},
      {plcsim::Family::S7_200Smart, {"--family", "S7-200SMART"}, 0x03, 0x01},
      {plcsim::Family::Custom, {"--tsap", "0100:0102"}, 0x01, 0x02},
  };
  for (const Case& c : cases) {
    Start(plcsim::FamilyConfig(c.sim));
    std::vector<std::string> args = Plc(c.options);
    args.push_back("state");
    CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << c.options[1] << ": " << r.out << r.err;
    EXPECT_NE(r.out.find("S7_GetCpuState : OK.\n\tCPU : Run\n"), std::string::npos) << r.out;
    const plcsim::Bytes cr = sim_.LastConnectRequest();
    ASSERT_EQ(cr.size(), 22u);
    EXPECT_EQ(cr[20], c.remote0) << c.options[1];
    EXPECT_EQ(cr[21], c.remote1) << c.options[1];
  }
}

TEST_F(CliFamiliesTest, AWrongFamilyIsRefusedWithItsHint) {
  Start(plcsim::FamilyConfig(plcsim::Family::S7_300));
  CliResult r = RunCli(Plc({"--family", "S7-1200", "state"}));
  EXPECT_EQ(r.status, 16);
  EXPECT_EQ(r.out.rfind("S7_Interface_Init : OK.\nS7_Connection_Init : Visszautasított válasz.\n"
                        "\tTipp : A PLC visszautasította a kapcsolatkérést.",
                        0),
            0u)
      << r.out;
}

TEST_F(CliFamiliesTest, OptionsThatDoNotFit) {
  Start({});
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--family", "S7-400", "state"}, "--family takes S7-300, S7-1200, S7-1500, LOGO, S7-200, S7-200SMART or custom"},
      {{"--tsap", "0100", "state"}, "--tsap takes LOCAL:REMOTE in hex"},
      {{"--tsap", "01000:0200", "state"}, "--tsap takes LOCAL:REMOTE in hex"},
      {{"--conn-type", "hmi", "state"}, "--conn-type takes pg, op or basic, not hmi"},
      {{"--family", "S7-1200", "--tsap", "0100:0200", "state"}, "--tsap does not go with --family S7-1200"},
      {{"--family", "LOGO", "--conn-type", "op", "state"}, "--conn-type goes with the families addressed by rack"},
      {{"--tsap", "0100:0200", "--conn-type", "pg", "state"}, "--conn-type goes with the families addressed by rack"},
      {{"monitor", "--reconnect", "1"}, "monitor: unexpected argument 1"},
  };
  for (const Case& c : cases) {
    CliResult r = RunCli(c.args);
    EXPECT_EQ(r.status, 64) << c.message;
    EXPECT_EQ(r.err.rfind("tolvane-cli: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(CliFamiliesTest, AFileKeepsTheFamily) {
  plcsim::Config config = plcsim::FamilyConfig(plcsim::Family::Logo);
  config.localTsap = 0x0300;
  Start(config);
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tolvane-cli-logo-" + std::to_string(::getpid()) + ".vat")).string();
  CliResult r = RunCli(Plc({"--family", "LOGO", "--tsap", "0300:0200", "read", "DB1.DBB0:2 (Byte)", "save", path}));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[PLC]\r\nIF = TCP\r\nAddress = " + sim_.AddressText() +
                      "\r\nTimeOut = 1000\r\nRack = 0\r\nSlot = 2\r\nFamily = LOGO\r\nTSAP = 0300:0200\r\n"
                      "VarCount = 1\r\n[Var0]\r\nVar = DB1.DBB0:2 (Byte)\r\n");
  r = RunCli({"--vat", path, "read"});
  EXPECT_EQ(r.status, 0) << "the file's TSAPs connect again: " << r.out;
  std::remove(path.c_str());
}

}  // namespace
