// The stand-in access point's bus: its stations (some with an S7 CPU behind
// them), bus parameters and the faults a test can ask for. Shared by the
// exported entry points (entrypoints.cpp) and the configuration reader.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/plcsim/plcmodel.h"

namespace scpstandin {

struct Station {
  std::uint8_t status = 0xFF;   // 0x00 passive, 0x20 active ready, 0x30 active; else absent
  bool cpu = false;             // an S7 CPU answers connections to this address
};

struct BusParameters {
  std::uint8_t hsa = 31, ts = 0;
  std::uint16_t type = 0, baud = 2, redundant = 0, retry = 1;
  std::uint8_t defaultSap = 0, totalSap = 0;
  std::uint16_t tsl = 415, tqui = 0, tset = 12, minTsdr = 11, maxTsdr = 400;
  std::uint32_t ttr = 9984;
  std::uint8_t gap = 10;
  std::int16_t inRing = 0, layer = 0;
  std::string ident = "Tolvane stand-in MPI";
};

struct Config {
  std::map<int, Station> stations;
  BusParameters bus;
  int pduSize = 240;
  int partnersLength = -1;     // data length of the partner answer; -1 = HSA + 1
  int busParsLength = 242;     // data length of the bus parameter answer
  std::string password;        // not empty: the CPUs refuse writes until a login with it
};

// The configuration used when none is given: the adapter at 0, an S7 CPU at 2.
Config DefaultConfig();

// Applies one configuration line ("station 2 0x30 cpu", "baud 2", ...).
// Returns false with a reason for a line it does not understand.
bool ApplyConfigLine(Config* config, const std::string& line, std::string* why);

// Reads the file named by TOLVANE_SCP_STANDIN, or the default.
Config LoadConfig();

}  // namespace scpstandin
