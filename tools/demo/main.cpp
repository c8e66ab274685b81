// tolvane-demo: what the S7 library can do so far, shown against a PLC (by
// default the bundled simulator, or a station behind the MPI/PROFIBUS access
// point): connect with PDU size negotiation, the
// CPU's operating state and clock, a write and a read of a few variables,
// disconnect. It gives way to tolvane-cli as the front end.
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

const char* StateName(int state) {
  static const char* const kNames[] = {"???", "Stop", "Run"};
  return state >= 0 && state <= 2 ? kNames[state] : "???";
}
}  // namespace

int main(int argc, char** argv) {
  // "mpi:N" goes through the MPI/PROFIBUS access point to station N.
  const char* address = argc > 1 ? argv[1] : "127.0.0.2";
  const bool mpi = std::strncmp(address, "mpi:", 4) == 0;
  std::uint32_t ip = mpi ? static_cast<std::uint32_t>(std::atoi(address + 4)) : plcsim::ParseIpv4(address);
  if (!mpi && !ip) {
    std::fprintf(stderr, "usage: tolvane-demo [IPv4-ADDRESS | mpi:STATION]\n");
    return 64;
  }
  if (int rc = Rt_Init()) return rc;
  S7Interface* tcp = S7_Interface_Init(mpi ? S7_KIND_S7ONLINE : S7_KIND_TCP);
  if (Report("S7_Interface_Init") != S7_OK) return 1;
  if (mpi) {
    std::uint8_t partners[256];
    int count = 0;
    S7_OnLine_Partners(tcp, 1000, sizeof partners, partners, &count);
    if (Report("S7_OnLine_Partners") == S7_OK)
      for (int i = 0; i < count; ++i)
        if (partners[i] == 0x00 || partners[i] == 0x20 || partners[i] == 0x30)
          std::printf("  station %3d: %s\n", i, partners[i] == 0x00 ? "passive" : "active");
  }
  S7Connection* plc = S7_Connection_Init(tcp, "Demo", 1000, ip, 0, 2, 240);
  int rc = Report("S7_Connection_Init");
  if (rc == S7_OK) {
    std::printf("  connected to %s, PDU size %d\n", address, S7_GetPduSize(plc));

    int state = 0;
    S7_GetCpuState(plc, &state);
    if (Report("S7_GetCpuState") == S7_OK) std::printf("  CPU state: %s\n", StateName(state));

    CalendarRecord clock{};
    S7_GetCpuClock(plc, &clock);
    if (Report("S7_GetCpuClock") == S7_OK)
      std::printf("  CPU clock: %04u-%02u-%02u %02u:%02u:%02u.%03u\n", clock.year, clock.month, clock.day,
                  clock.hour, clock.minute, clock.second, clock.milliseconds);

    // DB1.DBW0 = 1234, MD4 = -5, T0 = 2.5 s, then all three read back in one request.
    std::uint32_t word = 1234, dint = static_cast<std::uint32_t>(-5), timer = 2500;
    S7_MultiWrite_Begin(plc);
    S7_AddVar(plc, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &word);
    S7_AddVar(plc, S7_TYPE_DINT, S7_AREA_FLAGS, 0, 4, 0, 1, 1, &dint);
    S7_AddVar(plc, S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 0, 0, 1, 1, &timer);
    S7_MultiWrite(plc);
    Report("S7_MultiWrite");

    std::uint32_t values[3] = {};
    S7_MultiRead_Begin(plc);
    S7_AddVar(plc, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &values[0]);
    S7_AddVar(plc, S7_TYPE_DINT, S7_AREA_FLAGS, 0, 4, 0, 1, 1, &values[1]);
    S7_AddVar(plc, S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 0, 0, 1, 1, &values[2]);
    S7_MultiRead(plc);
    if (Report("S7_MultiRead") == S7_OK)
      std::printf("  DB1.DBW0 = %u, MD4 = %d, T0 = %u ms\n", values[0], static_cast<int>(values[1]), values[2]);
  }
  S7_Disconnect(plc);
  Report("S7_Disconnect");
  tcp = S7_Interface_Done(tcp);
  Report("S7_Interface_Done");
  return rc;
}
