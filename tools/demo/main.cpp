// tolvane-demo: what the S7 library can do so far, shown against a PLC (by
// default the bundled simulator): open the TCP interface, connect with PDU
// size negotiation, disconnect. It gives way to tolvane-cli as the front end.
#include <cstdio>
#include <cstdlib>

#include "s7lib/s7lib.h"
#include "tools/plcsim/plcsim.h"

namespace {
int Report(const char* what) {
  std::int32_t ext = 0;
  int rc = S7_GetLastError(&ext);
  std::printf("%-22s error %d", what, rc);
  if (ext) std::printf(", extended %d (0x%04x)", ext, static_cast<unsigned>(ext));
  std::printf("\n");
  return rc;
}
}  // namespace

int main(int argc, char** argv) {
  const char* address = argc > 1 ? argv[1] : "127.0.0.2";
  std::uint32_t ip = plcsim::ParseIpv4(address);
  if (!ip) {
    std::fprintf(stderr, "usage: tolvane-demo [IPv4-ADDRESS]\n");
    return 64;
  }
  if (int rc = Rt_Init()) return rc;
  S7Interface* tcp = S7_Interface_Init(S7_KIND_TCP);
  Report("S7_Interface_Init");
  S7Connection* plc = S7_Connection_Init(tcp, "Demo", 1000, ip, 0, 2, 240);
  int rc = Report("S7_Connection_Init");
  if (rc == S7_OK) std::printf("  connected to %s, PDU size %d\n", address, S7_GetPduSize(plc));
  S7_Disconnect(plc);
  Report("S7_Disconnect");
  tcp = S7_Interface_Done(tcp);
  Report("S7_Interface_Done");
  return rc;
}
