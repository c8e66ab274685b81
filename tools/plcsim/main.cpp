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
               "usage: tolvane-plcsim [--address A.B.C.D] [--rack N] [--slot N] [--pdu BYTES]\n"
               "                      [--db NUMBER:BYTES]... [--password TEXT] [--stopped]\n"
               "                      [--seconds N] [--szl-silent] [--refuse-szl ID]...\n"
               "Simulates an S7 CPU on ISO-on-TCP at the address (default 127.0.0.2), port 102,\n"
               "until stopped or for the given number of seconds. Without --db it has DB1 (512\n"
               "bytes), DB2 (64) and DB10 (1024); a password refuses writes until a login.\n"
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

}  // namespace

int main(int argc, char** argv) {
  plcsim::Config config;
  config.address = plcsim::ParseIpv4("127.0.0.2");
  int seconds = 0;
  bool ownBlocks = false;
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
    } else if (!std::strcmp(arg, "--rack") && value) {
      ok = IntArg(value, 0, 31, &config.rack);
    } else if (!std::strcmp(arg, "--slot") && value) {
      ok = IntArg(value, 0, 31, &config.slot);
    } else if (!std::strcmp(arg, "--pdu") && value) {
      ok = IntArg(value, 128, 960, &config.model.pduSize);
    } else if (!std::strcmp(arg, "--db") && value) {
      int number = 0, size = 0;
      const char* colon = std::strchr(value, ':');
      ok = colon && IntArg(std::string(value, colon).c_str(), 1, 65535, &number) &&
           IntArg(colon + 1, 1, 65536, &size);
      if (ok) {
        if (!ownBlocks) config.model.dataBlocks.clear();
        ownBlocks = true;
        config.model.dataBlocks.push_back({number, size});
      }
    } else if (!std::strcmp(arg, "--password") && value) {
      config.model.password = value;
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
  for (int waited = 0; seconds == 0 || waited < seconds * 10; ++waited) Plat_Sleep(100);
  sim.Stop();
  return 0;
}
