// A small program on Tolvane's libraries: formats values with the library's
// engine, opens a TCP interface, asks a PLC that is not there for its state
// and prints why that failed, as the program's log would word it.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "s7lib/s7lib.h"
#include "vars/vars.h"

int main() {
  if (Rt_Init() != 0) {
    std::fputs("the Tolvane runtime did not start\n", stderr);
    return 1;
  }
  char text[256];
  FormatText(text, "%#d bytes, %.3d V", 1234567, 12345);
  std::printf("formatted: %s\n", text);

  S7Interface* tcp = S7_Interface_Init(S7_KIND_TCP);
  std::int32_t extended = 0;
  int error = S7_GetLastError(&extended);
  FormatText(text, "S7_Interface_Init : %s.", TextId(IDS_ERR_OK + error));
  std::printf("%s\n", text);
  if (!tcp) return 1;

  // 127.0.0.1, rack 0, slot 2: normally nobody serves port 102 there. Texts
  // are code page 1250; the socket error's text is plain ASCII.
  const std::uint8_t octets[4] = {127, 0, 0, 1};
  std::uint32_t loopback = 0;  // network byte order: the octets as they lie in memory
  std::memcpy(&loopback, octets, sizeof loopback);
  S7Connection* plc = S7_Connection_Init(tcp, "Nobody", 500, loopback, 0, 2, 240);
  error = S7_GetLastError(&extended);
  FormatText(text, "S7_Connection_Init 127.0.0.1 : %s (%d).", TextId(IDS_ERR_OK + error),
             static_cast<int>(extended));
  std::printf("%s\n", text);

  S7_Connection_Done(plc);
  S7_Interface_Done(tcp);
  error = S7_GetLastError(&extended);
  std::printf("S7_Interface_Done : %d\n", error);
  return error == S7_OK ? 0 : 1;
}
