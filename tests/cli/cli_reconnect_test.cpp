// tolvane-cli monitor --reconnect against a simulator that goes away for 5 s
// and comes back: the read that meets the outage is logged, then exactly one
// loss line and one recovery line with the outage's length, and the values
// that changed meanwhile are printed once reading goes on.
#include <gtest/gtest.h>

#include <regex>

#include "platform/platform.h"
#include "tests/cli/cli_runner.h"
#include "tools/plcsim/plcsim.h"

namespace {

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(CliReconnect, MonitorRidesOutAFiveSecondOutage) {
  plcsim::Simulator sim;
  ASSERT_TRUE(sim.Start(plcsim::Config{}));
  const int before = sim.RequestCount();
  CliProcess p = StartCli({"--plc", sim.AddressText(), "--name", "Press 1", "read", "MW0:1 (Word)", "monitor",
                           "--interval", "200", "--count", "6", "--reconnect"});
  // The setup, the read and two monitor reads, then the PLC goes away.
  for (int i = 0; i < 3000 && sim.RequestCount() < before + 4; ++i) Plat_Sleep(5);
  sim.GoAway(5000);
  ASSERT_TRUE(sim.Model().WriteMemory(plcsim::kAreaFlags, 0, 0, {0x12, 0x34}));
  CliResult r = WaitCli(p);
  EXPECT_EQ(r.status, 10) << "a read failed, which the exit status still tells: " << r.err;
  EXPECT_EQ(Count(r.out, "Press 1 - S7_SimpleRead : Socket hiba."), 1) << r.out;
  EXPECT_EQ(Count(r.out, "Press 1 - A kapcsolat megszakadt, újrakapcsolódás folyamatban.\n"), 1) << r.out;
  std::smatch back;
  ASSERT_TRUE(std::regex_search(r.out, back, std::regex("Press 1 - A kapcsolat helyreállt, kiesés : (\\d+)\\.(\\d) mp\\.\n")))
      << r.out;
  EXPECT_EQ(Count(r.out, "A kapcsolat helyreállt"), 1) << r.out;
  // Back after 5 s; the attempts come 1, 3 and 8 s after the loss.
  const int tenths = std::stoi(back[1]) * 10 + std::stoi(back[2]);
  EXPECT_GE(tenths, 50) << r.out;
  EXPECT_LE(tenths, 95) << r.out;
  EXPECT_EQ(Count(r.out, "S7_Connect :"), 0) << "attempts are not logged: " << r.out;
  const std::size_t recovered = r.out.find("A kapcsolat helyreállt");
  EXPECT_NE(r.out.find(" MW0 = 0x1234 \n", recovered), std::string::npos) << "reading went on: " << r.out;
}

}  // namespace
