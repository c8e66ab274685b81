// tolvane-plcsim: the simulated S7 CPU as a program of its own, for trying
// Tolvane without a PLC.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/plcsim/plcsim.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: tolvane-plcsim [--address A.B.C.D] [--family NAME] [--rack N] [--slot N]\n"
               "                      [--tsap LOCAL:REMOTE] [--pg-limit N] [--pdu BYTES]\n"
               "                      [--db NUMBER:BYTES[:optimized|:protected]]... [--no-put-get]\n"
               "                      [--password TEXT] [--stopped] [--outage EVERY:FOR] [--seconds N]\n"
               "                      [--szl-silent] [--refuse-szl ID]...\n"
               "Simulates an S7 CPU on ISO-on-TCP at the address (default 127.0.0.2), port 102,\n"
               "until stopped or for the given number of seconds. Without --db it has DB1 (512\n"
               "bytes), DB2 (64) and DB10 (1024); a password refuses writes until a login.\n"
               "--family S7-300|S7-1200|S7-1500|LOGO|S7-200|S7-200SMART|custom takes that\n"
               "family's rack and slot or TSAPs (hex) and connection limits; --pg-limit 0 lifts\n"
               "the limit. --no-put-get refuses reads and writes as an S7-1200/1500 without\n"
               "PUT/GET access; --outage goes away every EVERY seconds for FOR seconds.\n"
               "--szl-silent leaves system status list reads unanswered (as a LOGO! does), but\n"
               "the state's; --refuse-szl refuses list ID (0x001C or 28) as a CPU without it.\n");
}

bool IntArg(const char* text, int low, int high, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!end || *end || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

// "0100:0200": two 16-bit hex numbers.
bool TsapArg(const char* text, std::uint16_t* local, std::uint16_t* remote) {
  unsigned a = 0, b = 0;
  int used = 0;
  if (std::sscanf(text, "%4x:%4x%n", &a, &b, &used) != 2 || text[used] != '\0') return false;
  *local = static_cast<std::uint16_t>(a);
  *remote = static_cast<std::uint16_t>(b);
  return true;
}

// "NUMBER:BYTES" with an optional ":optimized" or ":protected".
bool DbArg(const char* text, plcsim::DataBlockSpec* db) {
  const std::string arg(text);
  const std::size_t first = arg.find(':');
  if (first == std::string::npos) return false;
  const std::size_t second = arg.find(':', first + 1);
  const std::string size = arg.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (!IntArg(arg.substr(0, first).c_str(), 1, 65535, &db->number) || !IntArg(size.c_str(), 1, 65536, &db->size))
    return false;
  db->access = plcsim::DbAccess::Standard;
  if (second == std::string::npos) return true;
  const std::string access = arg.substr(second + 1);
  if (access == "optimized") db->access = plcsim::DbAccess::Optimized;
  else if (access == "protected") db->access = plcsim::DbAccess::Protected;
  else return false;
  return true;
}

// A family first, whatever its place: the other options refine it.
bool TakeFamily(int argc, char** argv, plcsim::Config* config) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--family") != 0) continue;
    plcsim::Family family;
    if (!plcsim::ParseFamily(argv[i + 1], &family)) return false;
    const plcsim::Config chosen = plcsim::FamilyConfig(family);
    config->family = chosen.family;
    config->slot = chosen.slot;
    config->localTsap = chosen.localTsap;
    config->remoteTsap = chosen.remoteTsap;
    config->pgConnections = chosen.pgConnections;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  plcsim::Config config;
  config.address = plcsim::ParseIpv4("127.0.0.2");
  int seconds = 0;
  int outageEvery = 0, outageFor = 0;
  bool ownBlocks = false;
  if (!TakeFamily(argc, argv, &config)) {
    Usage();
    return 64;
  }
  bool szlSilent = false;
  std::vector<int> refusedLists;
  for (int i = 1; i < argc; i += 2) {
    const char* arg = argv[i];
    // Flags without a value.
    if (!std::strcmp(arg, "--stopped")) {
      config.model.running = false;
      --i;
      continue;
    }
    if (!std::strcmp(arg, "--no-put-get")) {
      config.model.putGet = false;
      --i;
      continue;
    }
    if (!std::strcmp(arg, "--szl-silent")) {
      szlSilent = true;
      --i;
      continue;
    }
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (!std::strcmp(arg, "--address") && value) {
      config.address = plcsim::ParseIpv4(value);
      ok = config.address != 0;
    } else if (!std::strcmp(arg, "--family") && value) {
      ok = true;  // taken above
    } else if (!std::strcmp(arg, "--rack") && value) {
      ok = IntArg(value, 0, 31, &config.rack);
    } else if (!std::strcmp(arg, "--slot") && value) {
      ok = IntArg(value, 0, 31, &config.slot);
    } else if (!std::strcmp(arg, "--tsap") && value) {
      ok = TsapArg(value, &config.localTsap, &config.remoteTsap);
    } else if (!std::strcmp(arg, "--pg-limit") && value) {
      ok = IntArg(value, 0, 64, &config.pgConnections);
    } else if (!std::strcmp(arg, "--pdu") && value) {
      ok = IntArg(value, 128, 960, &config.model.pduSize);
    } else if (!std::strcmp(arg, "--db") && value) {
      plcsim::DataBlockSpec db{};
      ok = DbArg(value, &db);
      if (ok) {
        if (!ownBlocks) config.model.dataBlocks.clear();
        ownBlocks = true;
        config.model.dataBlocks.push_back(db);
      }
    } else if (!std::strcmp(arg, "--password") && value) {
      config.model.password = value;
    } else if (!std::strcmp(arg, "--outage") && value) {
      const char* colon = std::strchr(value, ':');
      ok = colon && IntArg(std::string(value, colon).c_str(), 1, 86400, &outageEvery) &&
           IntArg(colon + 1, 1, 86400, &outageFor);
    } else if (!std::strcmp(arg, "--refuse-szl") && value) {
      char* end = nullptr;
      const long id = std::strtol(value, &end, 0);
      ok = end && !*end && id >= 0 && id <= 0xFFFF;
      if (ok) refusedLists.push_back(static_cast<int>(id));
    } else if (!std::strcmp(arg, "--seconds") && value) {
      ok = IntArg(value, 1, 86400, &seconds);
    } else {
      ok = false;
    }
    if (!ok) {
      Usage();
      return 64;
    }
  }
  plcsim::Simulator sim;
  int wsa = 0;
  if (!sim.Start(config, &wsa)) {
    std::fprintf(stderr, "tolvane-plcsim: cannot listen on %s:102 (error %d)\n",
                 plcsim::Ipv4Text(config.address).c_str(), wsa);
    return 1;
  }
  if (szlSilent) sim.Model().SetSzlBehaviour(plcsim::SzlBehaviour::Silent);
  for (int id : refusedLists) sim.Model().RefuseSzl(static_cast<std::uint16_t>(id));
  std::printf("tolvane-plcsim: S7 CPU (rack %d, slot %d, PDU %d) listening on %s:102\n", config.rack,
              config.slot, config.model.pduSize, sim.AddressText().c_str());
  std::fflush(stdout);
  for (int waited = 0; seconds == 0 || waited < seconds * 10; ++waited) {
    Plat_Sleep(100);
    if (outageEvery > 0 && waited > 0 && waited % (outageEvery * 10) == 0) {
      std::printf("tolvane-plcsim: away for %d s\n", outageFor);
      std::fflush(stdout);
      sim.GoAway(outageFor * 1000);
    }
  }
  sim.Stop();
  return 0;
}
