// Wireshark's reading of the connection requests the families send: the
// frames the simulator received go through text2pcap and tshark, which must
// find the TSAPs where the library put them and nothing malformed or warned.
// Native only: the tools are Linux programs (scripts/setup.sh installs them).
#ifndef _WIN32
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/integration/sim_fixture.h"

namespace {

using FamiliesWireTest = SimTest;

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  return out;
}

TEST_F(FamiliesWireTest, TsharkReadsEveryFamilysRequest) {
  ASSERT_EQ(std::system("command -v tshark >/dev/null && command -v text2pcap >/dev/null"), 0)
      << "tshark and text2pcap are missing: run scripts/setup.sh";
  struct Case {
    plcsim::Family sim;
    S7Family client;
    S7ConnectionType type;
  } cases[] = {
      {plcsim::Family::S7_300, S7Family::S7_300, S7ConnectionType::PG},
      {plcsim::Family::S7_300, S7Family::S7_300, S7ConnectionType::OP},
      {plcsim::Family::S7_1200, S7Family::S7_1200, S7ConnectionType::Basic},
      {plcsim::Family::S7_1500, S7Family::S7_1500, S7ConnectionType::PG},
      {plcsim::Family::Logo, S7Family::Logo, S7ConnectionType::PG},
      {plcsim::Family::S7_200, S7Family::S7_200, S7ConnectionType::PG},
      {plcsim::Family::S7_200Smart, S7Family::S7_200Smart, S7ConnectionType::Basic},
  };
  std::ostringstream dump;
  std::ostringstream expected;
  for (const Case& c : cases) {
    StartSim(plcsim::FamilyConfig(c.sim));
    const S7FamilyProfile* p = S7_GetFamilyProfile(c.client);
    const S7Tsaps tsaps = p->addressing == S7Addressing::RackSlot ? S7_RackSlotTsaps(c.type, p->rack, p->slot) : p->tsaps;
    S7Connection* conn = S7_Connection_InitTsaps(iface_, "wire", 1000, sim_.Address(), tsaps, 240);
    ASSERT_EQ(S7_IsConnected(conn), 1);
    S7_Connection_Done(conn);
    const plcsim::Bytes cr = sim_.LastConnectRequest();
    dump << "0000";
    for (std::uint8_t b : cr) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02x", b);
      dump << hex;
    }
    dump << "\n";
    char line[64];
    std::snprintf(line, sizeof line, "0x0e\t0x%04x\t0x%04x\t\t\n", tsaps.local, tsaps.remote);
    expected << line;
  }
  const std::string base = ::testing::TempDir() + "families_wire_" + std::to_string(Plat_ProcessId());
  std::ofstream(base + ".txt") << dump.str();
  ASSERT_EQ(std::system(("text2pcap -q -T 49152,102 " + base + ".txt " + base + ".pcap >/dev/null 2>&1").c_str()), 0);
  const std::string fields = Output("tshark -r " + base + ".pcap -T fields -e cotp.type -e cotp.src-tsap -e cotp.dst-tsap "
                                 "-e _ws.expert -e _ws.malformed 2>/dev/null");
  EXPECT_EQ(fields, expected.str());
  std::remove((base + ".txt").c_str());
  std::remove((base + ".pcap").c_str());
}

}  // namespace
#endif
