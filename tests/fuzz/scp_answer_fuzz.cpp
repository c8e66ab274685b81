// Fuzzes what an access point answers: the bus services' partner list and
// bus parameters, a PDU exchange over an SCP connection, and a whole connect
// sequence. The first input byte picks the operation; the rest is the script
// of answer blocks the fake access point hands out (fake_access_point.cpp).
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"

namespace {

using ScriptFn = void (*)(const std::uint8_t*, std::size_t);
ScriptFn g_script = nullptr;
S7Interface* g_iface = nullptr;
S7Connection* g_conn = nullptr;

void Append(std::vector<std::uint8_t>* s, int response, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> block(80 + data.size(), 0);
  block[4] = 80;
  block[14] = static_cast<std::uint8_t>(response);
  block[16] = static_cast<std::uint8_t>(data.size());
  block[17] = static_cast<std::uint8_t>(data.size() >> 8);
  if (!data.empty()) std::memcpy(block.data() + 80, data.data(), data.size());
  std::uint16_t n = static_cast<std::uint16_t>(block.size());
  s->insert(s->end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)});
  s->insert(s->end(), block.begin(), block.end());
}

void Setup() {
  if (g_conn) return;
  if (!g_iface) {
    if (Rt_Init() != 0) std::abort();
    // The wire trace runs too: its hooks read the answers' PDUs.
    if (S7_Trace_Start("/dev/null", {}) != 0) std::abort();
    PlatLibrary lib = Plat_LibLoad(kScpLibraryName);
    g_script = lib ? reinterpret_cast<ScriptFn>(Plat_LibSymbol(lib, "fakescp_script")) : nullptr;
    if (!g_script) std::abort();
    g_iface = S7_Interface_Init(S7_KIND_S7ONLINE);
    if (!g_iface) std::abort();
  }
  // A good connect: open, connect, send-data, receive-data with a setup reply.
  std::vector<std::uint8_t> script;
  Append(&script, 1, {});
  Append(&script, 1, {});
  Append(&script, 1, {});
  Append(&script, 3, {0x32, 3, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0xF0, 0, 0, 1, 0, 1, 0, 0xF0});
  g_script(script.data(), script.size());
  g_conn = S7_Connection_Init(g_iface, "fuzz", 1000, 2, 0, 0, 240);
  if (S7_IsConnected(g_conn) != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 8192) return 0;
  Setup();
  g_script(data + 1, size - 1);
  std::uint8_t buffer[520];
  int count = 0;
  switch (data[0] % 4) {
    case 0: S7_OnLine_Partners(g_iface, 1000, data[0] & 0x80 ? 520 : 256, buffer, &count); break;
    case 1: S7_OnLine_BusPars(g_iface, 1000, buffer); break;
    case 2:
      if (S7_BeginPdu(g_conn, 1, 0xF0, 0, 1) == S7_OK && S7_Exchange(g_conn) == S7_OK) S7_ReadPduSize(g_conn);
      break;
    case 3:
      S7_Disconnect(g_conn);
      S7_Connect(g_conn);
      break;
  }
  // Whatever happened, the next input starts from a connected connection.
  if (!S7_IsConnected(g_conn)) {
    g_conn = S7_Connection_Done(g_conn);
    Setup();
  }
  return 0;
}
